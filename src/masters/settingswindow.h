// The system settings window: tax rates, sales tax switch and the captions of the four product lists.
#pragma once

#include "storage/settingnames.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class SettingsWindow : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    // Window load: the fields from SysNum and SysStr.
    void load();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* taxRateCaption = nullptr; // "消費税率", a caption only
    QLineEdit* taxRateBox = nullptr;
    QPushButton* reducedRateCaption = nullptr; // "軽減税率", a caption only
    QLineEdit* reducedRateBox = nullptr;       // reduced rate; 0 = none in use
    QCheckBox* salesTaxCheck = nullptr;
    QPushButton* groupCaptionLabels[Sys::GroupCount] = {}; // "一覧表名称1" … "一覧表名称4", captions only
    QLineEdit* groupCaptionBoxes[Sys::GroupCount] = {};
    QLabel* versionLabel = nullptr;
    QPushButton* registerButton = nullptr; // "登録"
    QPushButton* closeButton = nullptr;    // "閉じる"

    // Shop details printed on receipts, and the receipt printer.
    QGroupBox* shopFrame = nullptr;
    QLineEdit* shopNameBox = nullptr;
    QLineEdit* shopAddressBox = nullptr;
    QLineEdit* shopPhoneBox = nullptr;
    QLineEdit* registrationNoBox = nullptr;
    QComboBox* receiptWidthBox = nullptr;   // "58 mm" or "80 mm"
    QComboBox* receiptPrinterBox = nullptr; // item data: the printer name, empty for the system default

    void save();

    void buildShopControls();
    void loadShopDetails();
    // False, with a message, when a shop field cannot be stored.
    bool checkShopDetails();
    void storeShopDetails();
};
