// Purchase item records: texts, standard cost at 36, stock at 44, supplier at 52.
#include "storage/purchaseitem.h"

#include "storage/recordfile.h"
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
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    if (!file.read(n, records().data()))
        return Result::failure(file.errorMessage());
    CurrentPurchaseItem = decode(records().data());
    return file.close();
}

Result SavePurchaseItem(int16_t n)
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    encode(CurrentPurchaseItem, records().data());
    if (!file.write(n, records().data()))
        return Result::failure(file.errorMessage());
    return file.close();
}

Result InitPurchaseItemFile()
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    const int count = toInt16(SysNum[5]);
    for (int n = 1; n <= count; ++n)
        if (!file.write(n, records().blank()))
            return Result::failure(file.errorMessage());
    return file.close();
}

Result ApplyStockChanges(const QList<StockChange>& changes)
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    char record[PurchaseItemRecordSize];
    for (const StockChange& change : changes) {
        if (change.item < 1 || change.item > PurchaseItemCount || change.delta == 0)
            continue;
        if (!file.read(change.item, record))
            return Result::failure(file.errorMessage());
        putDouble(record + StockOffset, getDouble(record + StockOffset) + change.delta);
        if (!file.write(change.item, record))
            return Result::failure(file.errorMessage());
    }
    return file.close();
}

QList<PurchaseItem> LoadPurchaseItems(int count)
{
    QList<PurchaseItem> items;
    RecordFile file = records().file();
    if (!file.open())
        return items;
    char record[PurchaseItemRecordSize];
    for (int n = 1; n <= count; ++n) {
        if (!file.read(n, record))
            break;
        items << decode(record);
    }
    file.close();
    return items;
}
