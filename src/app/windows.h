// Opening the program's windows. Each window exists once: asking for it again brings it to the front.
#pragma once

class QWidget;

namespace Windows {

QWidget* productSettings();    // Form2 "商品設定"
QWidget* graphs();             // Form5 "グラフ"
QWidget* purchasing();         // Form16 purchase slips
QWidget* purchaseItems();      // Form11 "仕入商品設定"
QWidget* suppliers();          // Form9 "仕入先"
QWidget* reports();            // Form14 "日報"
QWidget* history();            // Form17 "訂正・削除履歴", opened from the report window
QWidget* dataManagement();     // Form15 "データ管理"
QWidget* systemSettings();     // Form8 "system"
QWidget* dataInitialisation(); // Form3 "データ初期化"
QWidget* cashMovements();      // CashWindow "入金・出金"
QWidget* closing();            // ClosingWindow "レジ点検・精算"

} // namespace Windows
