// The purchase item window "仕入商品設定": choose one of the 400 items from its grid and keep its
// classification, name, standard price, stock and supplier.
#pragma once

#include "storage/purchaseitem.h"
#include "widgets/entrywindow.h"

class QGroupBox;
class QLineEdit;

class PurchaseItemWindow : public EntryWindow
{
    Q_OBJECT

public:
    explicit PurchaseItemWindow(QWidget* parent = nullptr);

protected:
    void loadEntry(int n) override;
    Result saveEntry(int n) override;
    QStringList gridRow(int n) override;
    void fillGrids() override;
    bool hasUnsavedEdits() const override;

private:
    QGroupBox* itemFrame = nullptr;     // "商品"
    QPushButton* fieldCaptions[6] = {}; // captions 番号 分類 名称 標準仕入単価 在庫数量 仕入先
    QLineEdit* itemNoBox = nullptr;     // item number
    QLineEdit* fieldBoxes[6] = {};      // Category, Name, StandardCost, StockQty, SupplierNo, SupplierName
    QPushButton* supplierListButton = nullptr; // "一覧": the supplier pick list
    QLineEdit* guideBox = nullptr;             // the hint

    // The fields as one window shows them; the supplier's number and name count as one field.
    enum Field
    {
        Category,
        Name,
        Cost,
        Stock,
        Supplier,
        Fields
    };
    static QString fieldText(const PurchaseItem& item, Field f);
    static bool sameField(const PurchaseItem& a, const PurchaseItem& b, Field f);
    static void copyField(PurchaseItem& to, const PurchaseItem& from, Field f);
    // The boxes as an item; the numbers read leniently. A number that cannot be stored is refused.
    Result readBoxes(PurchaseItem& item) const;
    void showField(const PurchaseItem& item, Field f);
    bool edited(Field f) const;
    // Another window changed stock (a sale, a purchase): the grids and the boxes not being edited follow.
    void followStoredItem();
    void openSupplierList();

    PurchaseItem m_shown;        // the chosen item as its boxes showed it when read
    QString m_shownText[Fields]; // and the box texts then
};
