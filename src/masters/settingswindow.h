// The system settings window: tax rates, sales tax switch and the captions of the four product lists.
#pragma once

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

    QPushButton* Command1 = nullptr; // "消費税率", a caption only
    QLineEdit* Text1 = nullptr;
    QPushButton* Command8 = nullptr; // "軽減税率", a caption only
    QLineEdit* Text6 = nullptr;      // reduced rate; 0 = none in use
    QCheckBox* Check1[1] = {};
    QPushButton* Command2 = nullptr; // "一覧表名称1" … "一覧表名称4", captions only
    QLineEdit* Text2 = nullptr;
    QPushButton* Command3 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* Command4 = nullptr;
    QLineEdit* Text4 = nullptr;
    QPushButton* Command5 = nullptr;
    QLineEdit* Text5 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* Command6 = nullptr; // "登録"
    QPushButton* Command7 = nullptr; // "閉じる"

    // Shop details printed on receipts, and the receipt printer.
    QGroupBox* FrameShop = nullptr;
    QLineEdit* TextShopName = nullptr;
    QLineEdit* TextShopAddress = nullptr;
    QLineEdit* TextShopTelephone = nullptr;
    QLineEdit* TextRegistrationNo = nullptr;
    QComboBox* ComboReceiptWidth = nullptr;   // "58 mm" or "80 mm"
    QComboBox* ComboReceiptPrinter = nullptr; // item data: the printer name, empty for the system default

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void save();

    void buildShopControls();
    void loadShopDetails();
    // False, with a message, when a shop field cannot be stored.
    bool checkShopDetails();
    void storeShopDetails();
};
