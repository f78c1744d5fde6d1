// The supplier window "仕入先": pick a supplier number from the list, name it, give its telephone number and
// consumption tax type, and register it.
#pragma once

#include <QWidget>

class QGroupBox;
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
    // "登録".
    void registerSupplier();

    QListWidget* List1 = nullptr;
    QPushButton* Command1 = nullptr; // caption "番号"
    QLineEdit* Text1 = nullptr;
    QPushButton* Command2 = nullptr; // caption "仕入先名"
    QLineEdit* Text2 = nullptr;
    QPushButton* Command3 = nullptr; // caption "電話番号"
    QLineEdit* Text3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command6 = nullptr; // caption "消費税"
    QRadioButton* Option1[3] = {};   // 外税, 内税, 非課税: TaxType 1, 2, 3
    QPushButton* Command5 = nullptr; // "登録"
    QPushButton* Command4 = nullptr; // "閉じる"
    QLineEdit* Text4 = nullptr;      // the hint

private:
    void fillList();

    int m_chosen = 0; // supplier shown, 0 before one was chosen
};
