// Purchase item records: texts, standard cost at 36, stock at 44, supplier at 52.
#include "storage/purchaseitem.h"

#include "storage/recordfile.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cstring>

PurchaseItem CurrentPurchaseItem;

namespace {

constexpr int StockOffset = 44;

QByteArray blankRecord()
{
    QByteArray r(PurchaseItemRecordSize, ' ');
    std::memset(r.data() + 36, 0, 18); // StandardCost, StockQty, SupplierNo
    return r;
}

RecordBuffer& records()
{
    static RecordBuffer r(QStringLiteral("zaiko.dat"), blankRecord());
    return r;
}

PurchaseItem decode(const char* r)
{
    PurchaseItem item;
    item.Category = getText(r + 0, 6);
    item.Name = getText(r + 6, 30);
    item.StandardCost = getDouble(r + 36);
    item.StockQty = getDouble(r + StockOffset);
    item.SupplierNo = getInt16(r + 52);
    item.SupplierName = getText(r + 54, 30);
    return item;
}

void encode(const PurchaseItem& item, char* r)
{
    putText(r + 0, item.Category, 6);
    putText(r + 6, item.Name, 30);
    putDouble(r + 36, item.StandardCost);
    putDouble(r + StockOffset, item.StockQty);
    putInt16(r + 52, item.SupplierNo);
    putText(r + 54, item.SupplierName, 30);
}

} // namespace

Result LoadPurchaseItem(int16_t n)
{
    return records().access([n](RecordFile& file) {
        if (!file.read(n, records().data()))
            return false;
        CurrentPurchaseItem = decode(records().data());
        return true;
    });
}

Result SavePurchaseItem(int16_t n)
{
    return records().access([n](RecordFile& file) {
        encode(CurrentPurchaseItem, records().data());
        return file.write(n, records().data());
    });
}

Result InitPurchaseItemFile()
{
    const int count = toInt16(SysNum[Sys::PurchaseItemCount]);
    return records().access([count](RecordFile& file) {
        for (int n = 1; n <= count; ++n)
            if (!file.write(n, records().blank()))
                return false;
        return true;
    });
}

Result ApplyStockChanges(const QList<StockChange>& changes)
{
    return records().access([&changes](RecordFile& file) {
        char record[PurchaseItemRecordSize];
        for (const StockChange& change : changes) {
            if (change.item < 1 || change.item > PurchaseItemCount || change.delta == 0)
                continue;
            if (!file.read(change.item, record))
                return false;
            putDouble(record + StockOffset, getDouble(record + StockOffset) + change.delta);
            if (!file.write(change.item, record))
                return false;
        }
        return true;
    });
}

QList<PurchaseItem> LoadPurchaseItems(int count)
{
    QList<PurchaseItem> items;
    // A file that cannot be read gives the items read so far; the grids show the rest empty.
    records().access([&](RecordFile& file) {
        char record[PurchaseItemRecordSize];
        for (int n = 1; n <= count; ++n) {
            if (!file.read(n, record))
                break;
            items << decode(record);
        }
        return true;
    });
    return items;
}
