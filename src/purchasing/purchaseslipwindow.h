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
    // Fills the slip list with the slips of the year and month in listYearBox and listMonthBox and shows it.
    void BuildSlipList();
    // The month BuildSlipList lists, as if chosen in the list's year and month boxes.
    void chooseListMonth(int year, int month);
    // The deletion mark of stored slip n; -1 when it cannot be read (the user has been told).
    int slipDeletionMark(qint64 n);
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

    // The line arrays are indexed by line, line 1 at 0.
    QGroupBox* slipHeaderFrame = nullptr;
    QPushButton* dateCaption = nullptr; // "日付"
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QComboBox* dayBox = nullptr;
    QPushButton* slipNoCaption = nullptr; // "伝票番号"
    QLineEdit* slipNoBox = nullptr;
    QLineEdit* supplierNoBox = nullptr;
    QLineEdit* supplierNameBox = nullptr;
    QLineEdit* supplierPhoneBox = nullptr;
    QGroupBox* supplierFrame = nullptr;
    QPushButton* supplierCaption = nullptr;    // "仕入先"
    QPushButton* supplierListButton = nullptr; // "一覧"
    QGroupBox* linesFrame = nullptr;
    QLineEdit* lineHeaders[6] = {};
    QLineEdit* lineNumberBoxes[Lines] = {};
    QLineEdit* lineCodeBoxes[Lines] = {};
    QLineEdit* lineNameBoxes[Lines] = {};
    QLineEdit* linePriceBoxes[Lines] = {};
    QLineEdit* lineQtyBoxes[Lines] = {};
    QLineEdit* lineAmountBoxes[Lines] = {};
    QLabel* totalLabels[3] = {};
    QLineEdit* totalBoxes[3] = {};
    Grid* itemGrid = nullptr; // purchase items of the chosen group with their stock
    QPushButton* itemGroupButtons[4] = {};
    QPushButton* saveButton = nullptr;          // "登録(F12)"
    QPushButton* clearButton = nullptr;         // "取消（ESC）"
    QPushButton* recallButton = nullptr;        // "伝票呼出(F10)"
    QPushButton* purchaseItemsButton = nullptr; // "仕入商品設定"
    QPushButton* closeButton = nullptr;         // "閉じる（END）"
    QGroupBox* supplierListFrame = nullptr;
    QListWidget* supplierList = nullptr;
    QPushButton* supplierListCloseButton = nullptr; // "×"
    SlipListPanel* slipListPanel = nullptr;
    Grid* slipGrid = nullptr;
    QComboBox* listYearBox = nullptr;
    QComboBox* listMonthBox = nullptr;
    QPushButton* correctButton = nullptr;       // "修正"
    QPushButton* deleteButton = nullptr;        // "削除"
    QPushButton* slipListCloseButton = nullptr; // "閉じる"

    SlipLines* m_lines = nullptr;
    int m_currentItemGroup = 0;
    bool m_correctionMode = false;
    qint64 m_recalledSlipNo = 0; // the record a correction writes to
    PurchaseQtyTable m_recalledQty{};
    SlipChoice m_slips;
};
