// The purchase slip window: deliveries keyed in, saved under the next slip number and added to stock;
// a month's slips listed, recalled, corrected and deleted.
#pragma once

#include "storage/purchasesave.h"
#include "widgets/sliplistpanel.h"

#include <QList>
#include <QWidget>

class Grid;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class SlipLines;

class PurchaseSlipWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int Lines = 10;

    explicit PurchaseSlipWindow(QWidget* parent = nullptr);

    // Slip number of the next new slip, every box emptied, correction ended without touching stock.
    void ClearSlipEntry();
    // The picker grid shows purchase items 100 g + 1 to 100 g + 100 with their stock.
    void ShowItemGroup(int g);
    // Saves the slip in the boxes: a new one under SysNum[4], or the recalled one over its own record.
    void SavePurchaseSlip();
    // Fills the slip list with the slips of the year and month in Combo4 and Combo5 and shows it.
    void BuildSlipList();
    // The deletion mark of stored slip n; -1 when it cannot be read (the user has been told).
    int delcheck(qint64 n);
    // Shows stored slip n in the boxes and notes what it added to stock; false when it cannot be read.
    bool RecallPurchaseSlip(qint64 n);
    // "修正" and "削除" of the slip list.
    void correctSlip();
    void deleteSlip();
    // The slip list hidden, its selection dropped, the focus back on the supplier name.
    void closeSlipList();
    // "一覧": the suppliers listed; choosing entry p takes supplier p + 1.
    void openSupplierList();
    void chooseSupplier(int p);
    void closeSupplierList();

    bool correctionMode() const { return m_correctionMode; }
    const PurchaseQtyTable& recalledQty() const { return m_recalledQty; }
    // Slip number of each data row of the slip list; entry 0 is unused.
    const QList<qint64>& slipRowMap() const { return m_slips.gridSlipNos; }
    bool slipSelected() const { return m_slips.slipSelected; }
    qint64 selectedSlipNo() const { return m_slips.selectedSlipNo; }
    int currentItemGroup() const { return m_currentItemGroup; }
    bool slipListOpen() const;
    bool supplierListOpen() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHeader();
    void buildLines();
    void buildPicker();
    void buildButtons();
    void buildSupplierList();
    void buildSlipList();
    void installKeyTables();

    void lookUpItem(int k);
    void completeLine(int k);
    void itemChanged(int k);
    void priceOrQtyChanged(int k, QLineEdit* box);
    void escapeFromLine();
    PurchaseSlipDraft draft() const;
    void showSettings();
    void openPurchaseItems();
    // The chosen slip, if it may be changed, recalled into the emptied entry with the list hidden.
    bool recallChosenSlip();

public:
    // Controls under their designed names; arrays are indexed as in the design, line k from 0.
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr; // "日付"
    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QComboBox* Combo3 = nullptr;
    QPushButton* Command2 = nullptr; // "伝票番号"
    QLineEdit* Text1[4] = {};
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command3 = nullptr; // "仕入先"
    QPushButton* Command4 = nullptr; // "一覧"
    QGroupBox* Frame3 = nullptr;
    QLineEdit* Text2[6] = {};
    QLineEdit* Text3[Lines] = {};
    QLineEdit* Text4[Lines] = {};
    QLineEdit* Text5[Lines] = {};
    QLineEdit* Text6[Lines] = {};
    QLineEdit* Text7[Lines] = {};
    QLineEdit* Text8[Lines] = {};
    QLabel* Text9[3] = {};
    QLineEdit* Text10[3] = {};
    Grid* MSFlexGrid1 = nullptr; // the picker, MSFlexGrid1(0)
    QPushButton* Command9[4] = {};
    QPushButton* Command5 = nullptr;  // "登録(F12)"
    QPushButton* Command6 = nullptr;  // "取消（ESC）"
    QPushButton* Command7 = nullptr;  // "伝票呼出(F10)"
    QPushButton* Command13 = nullptr; // "仕入商品設定"
    QPushButton* Command8 = nullptr;  // "閉じる（END）"
    QGroupBox* Frame4 = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton* Command15 = nullptr; // "×"
    SlipListPanel* Frame5 = nullptr;
    Grid* MSFlexGrid2 = nullptr;
    QComboBox* Combo4 = nullptr;
    QComboBox* Combo5 = nullptr;
    QPushButton* Command10 = nullptr; // "修正"
    QPushButton* Command11 = nullptr; // "削除"
    QPushButton* Command12 = nullptr; // "閉じる"

private:
    SlipLines* m_lines = nullptr;
    int m_currentItemGroup = 0;
    bool m_correctionMode = false;
    qint64 m_recalledSlipNo = 0; // the record a correction writes to
    PurchaseQtyTable m_recalledQty{};
    SlipChoice m_slips;
};
