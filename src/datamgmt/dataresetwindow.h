// The data initialisation window: the record counts and slip counters, and a reset of each data file behind a
// password.
#pragma once

#include "storage/result.h"

#include <QWidget>
#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
struct ResetSteps;

class DataResetWindow : public QWidget
{
    Q_OBJECT

public:
    explicit DataResetWindow(QWidget* parent = nullptr);

    // Window load: the boxes from SysNum[1] to SysNum[10].
    void load();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* settingCaptions[10] = {}; // captions of the boxes only
    QLineEdit* settingBoxes[10] = {};
    QGroupBox* resetFrame = nullptr;
    QPushButton* resetSalesButton = nullptr;         // sales slips
    QPushButton* resetPurchasesButton = nullptr;     // purchase slips
    QPushButton* resetPurchaseItemsButton = nullptr; // purchase items
    QPushButton* resetProductsButton = nullptr;      // products
    QPushButton* resetSuppliersButton = nullptr;     // suppliers
    QPushButton* resetClosingsButton = nullptr;      // closings and cash in and out
    QPushButton* passwordCaption = nullptr;          // "password", a caption only
    QLineEdit* passwordBox = nullptr;
    QPushButton* changePasswordButton = nullptr; // the owner's own password instead of the one every shop has
    QPushButton* closeButton = nullptr;          // "閉じる"

    void resetSalesSlips();
    void resetPurchaseSlips();
    void resetPurchaseItems();
    void resetProducts();
    void resetSuppliers();
    void resetClosings();

    // The frame every reset runs in: password, the register kept out of use, the reset itself, the boxes,
    // the message, the register started afresh, and the window closed.
    void runReset(const QString& fileName, const std::function<Result(const ResetSteps&)>& reset,
                  const std::function<void()>& announce);
    bool passwordGiven();
    // The last word before a reset: names the data and its file and how many records become empty.
    bool resetConfirmed(const QString& data, const QString& fileName, double records);
    // The whole-number count in box k, or -1 after telling the user what the box may hold.
    qint64 boxCount(int k, qint64 max, const QString& caption);

    bool m_busy = false;
};
