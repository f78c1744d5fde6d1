// Opening the program's windows. Each window exists once: asking for it again brings it to the front.
#pragma once

class QWidget;

namespace Windows {

QWidget* productSettings();    // ProductWindow "商品設定"
QWidget* graphs();             // GraphWindow "グラフ"
QWidget* purchasing();         // PurchaseSlipWindow purchase slips
QWidget* purchaseItems();      // PurchaseItemWindow "仕入商品設定"
QWidget* suppliers();          // SupplierWindow "仕入先"
QWidget* reports();            // ReportWindow "日報"
QWidget* history();            // HistoryWindow "訂正・削除履歴", opened from the report window
QWidget* dataManagement();     // BackupWindow "データ管理"
QWidget* systemSettings();     // SettingsWindow "system"
QWidget* dataInitialisation(); // DataResetWindow "データ初期化"
QWidget* cashMovements();      // CashWindow "入金・出金"
QWidget* closing();            // ClosingWindow "レジ点検・精算"

// Fills the openers table (widgets/openers.h) with the functions above, so the windows open each other.
void installOpeners();
// After every closing, the whole backup the owner asked for in データ管理; a failure is told, the closing stands.
void installBackupAfterClosing();

} // namespace Windows
