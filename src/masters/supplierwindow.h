// The supplier window "仕入先": pick a supplier number from the list, name it, give its telephone number and
// consumption tax type, and register it.
#pragma once

#include "storage/supplier.h"

#include <QWidget>

class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

class SupplierWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SupplierWindow(QWidget* parent = nullptr);

    // Shows supplier p + 1 (list position p) in the boxes.
    void choose(int p);
    // "登録"; false when nothing was saved.
    bool registerSupplier();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* supplierList = nullptr;
    QPushButton* supplierNoCaption = nullptr; // caption "番号"
    QLineEdit* supplierNoBox = nullptr;
    QPushButton* supplierNameCaption = nullptr; // caption "仕入先名"
    QLineEdit* supplierNameBox = nullptr;
    QPushButton* phoneCaption = nullptr; // caption "電話番号"
    QLineEdit* phoneBox = nullptr;
    QGroupBox* taxFrame = nullptr;
    QPushButton* taxCaption = nullptr;     // caption "消費税"
    QRadioButton* taxTypeOptions[3] = {};  // 外税, 内税, 非課税: TaxType 1, 2, 3
    QPushButton* registerButton = nullptr; // "登録"
    QPushButton* closeButton = nullptr;    // "閉じる"
    QLineEdit* guideBox = nullptr;         // the hint
    QLabel* statusLine = nullptr;          // what the last "登録" saved

    void fillList();
    // The name, telephone and tax type as the boxes hold them.
    QStringList typedTexts() const;

    int m_chosen = 0;          // supplier shown, 0 before one was chosen
    Supplier m_supplier;       // as read when chosen, with its reserved bytes
    QStringList m_storedTexts; // typedTexts() as last read or saved
};
