// Purchase item records: texts, standard cost at 36, stock at 44, supplier at 52.
#include "storage/purchaseitem.h"

#include "storage/instancelock.h"
#include "storage/journal.h"
#include "storage/recordfile.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

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
    item.StockQty = getDouble(r + StockQtyOffset);
    item.SupplierNo = getInt16(r + 52);
    item.SupplierName = getText(r + 54, 30);
    item.Record = QByteArray(r, PurchaseItemRecordSize);
    return item;
}

void encode(const PurchaseItem& item, char* r)
{
    putText(r + 0, item.Category, 6);
    putText(r + 6, item.Name, 30);
    putDouble(r + 36, item.StandardCost);
    putDouble(r + StockQtyOffset, item.StockQty);
    putInt16(r + 52, item.SupplierNo);
    putText(r + 54, item.SupplierName, 30);
}

} // namespace

PurchaseItem DecodePurchaseItem(const char* record)
{
    return decode(record);
}

ResultWith<PurchaseItem> ReadPurchaseItem(int n)
{
    char record[PurchaseItemRecordSize];
    if (const Result r = records().access([&](RecordFile& file) { return file.read(n, record); }); !r)
        return ResultWith<PurchaseItem>::failure(r);
    return ResultWith<PurchaseItem>::of(decode(record));
}

Result WritePurchaseItem(int n, const PurchaseItem& item)
{
    if (Result r = CheckInstanceLock(); !r)
        return r;
    // A pending save holds final stock figures; applied after this write it would put older stock back.
    if (Result r = CompletePendingSave(QStringLiteral("保存")); !r)
        return r;
    QByteArray image = item.Record.size() == PurchaseItemRecordSize ? item.Record : blankRecord();
    encode(item, image.data());
    return records().access([&](RecordFile& file) { return file.write(n, image.constData()); });
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

QByteArray PurchaseItemBlankRecord()
{
    return blankRecord();
}

RecordFile PurchaseItemFile()
{
    return records().file();
}

QString MissingStockFileMessage()
{
    return QStringLiteral("在庫ファイル zaiko.dat がありません。バックアップから戻すか、データ初期化で作り直してから"
                          "保存してください。保存は行っていません。");
}

Result StockFigures(const QList<StockChange>& changes, QList<JournalStock>& figures)
{
    figures.clear();
    QList<JournalStock> result;
    bool any = false;
    for (const StockChange& change : changes)
        any = any || (change.item >= 1 && change.item <= PurchaseItemCount);
    if (!any)
        return Result::success();
    if (!QFileInfo::exists(dataPath(QStringLiteral("zaiko.dat"))))
        return Result::failure(MissingStockFileMessage());
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    char record[PurchaseItemRecordSize];
    for (const StockChange& change : changes) {
        if (change.item < 1 || change.item > PurchaseItemCount)
            continue;
        auto known =
            std::find_if(result.begin(), result.end(), [&](const JournalStock& s) { return s.item == change.item; });
        if (known == result.end()) {
            if (!file.read(change.item, record))
                return Result::failure(file.errorMessage());
            result << JournalStock{change.item, getDouble(record + StockQtyOffset)};
            known = result.end() - 1;
        }
        known->stockQty = known->stockQty + change.delta;
        if (!std::isfinite(known->stockQty))
            return Result::failure(
                QStringLiteral("仕入商品 %1 の在庫数量が数値でなくなるため、保存できません。").arg(change.item));
    }
    figures = result;
    return file.close();
}

Result ApplyStockChanges(const QList<StockChange>& changes)
{
    QList<StockChange> nonZero;
    for (const StockChange& change : changes)
        if (change.delta != 0)
            nonZero << change;
    if (Result r = CompletePendingSave(QStringLiteral("在庫数量の更新")); !r)
        return r;
    Transaction t;
    t.description = QStringLiteral("在庫数量の更新");
    if (Result r = StockFigures(nonZero, t.stock); !r)
        return r;
    if (t.stock.isEmpty())
        return Result::success();
    const CommitOutcome outcome = CommitTransaction(t);
    return outcome.error.isEmpty() ? Result::success() : Result::failure(outcome.error);
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
