// The five resets of data initialisation: check, keep the old file, rewrite, then the counters.
#include "storage/initialise.h"

#include "storage/history.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/recordfile.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

constexpr int InitialisedItemCount = 400;
constexpr int InitialisedProductCount = 400;
constexpr int InitialisedSupplierCount = 100;

// A count read from sys.ini as the number of records a reset rewrites; nothing when it cannot be one.
std::optional<qint64> storedCount(int index, qint64 max)
{
    const double value = SysNum[index];
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = roundHalfEven(value);
    if (whole < 0 || whole > double(max))
        return std::nullopt;
    return qint64(whole);
}

Result badStoredCount(int index, const QString& caption)
{
    return Result::failure(QStringLiteral("sys.ini の%1（%2）はレコード数として使えません。初期化を中止しました。")
                               .arg(caption, numText(SysNum[index])));
}

Result keepOld(const ResetSteps& steps, const QString& fileName)
{
    return steps.keepOld ? steps.keepOld(dataPath(fileName)) : Result::success();
}

// The history goes into the archive of the slips before it is replaced by a chain that names that archive.
Result keepHistory(const ResetSteps& steps, QString& archive)
{
    archive.clear();
    if (!steps.keepHistory || !QFileInfo::exists(HistoryPath()))
        return Result::success();
    return steps.keepHistory(HistoryPath(), archive);
}

Result restartHistory(const QString& fileName, const QString& archive)
{
    if (Result r = startNewHistoryChain(fileName, archive); !r)
        return Result::failure(
            QStringLiteral("初期化は済みましたが、訂正・削除履歴を新しく始められませんでした。\n%1").arg(r.error));
    return Result::success();
}

// Sets the counters and saves them; when sys.ini cannot be written the tables go back to what the file holds.
Result saveCounters(std::initializer_list<std::pair<int, double>> values)
{
    std::vector<std::pair<int, double>> previous;
    for (const auto& [index, value] : values) {
        previous.emplace_back(index, SysNum[index]);
        SysNum[index] = value;
    }
    Result saved = SaveSettings();
    if (!saved)
        for (const auto& [index, value] : previous)
            SysNum[index] = value;
    return saved;
}

// Writes `count` copies of a blank record from record 1 on; records beyond them stay as they are.
Result writeBlankRecords(const QString& fileName, const char* blank, int size, qint64 count, const ResetSteps& steps)
{
    RecordFile file(dataPath(fileName), size, blank);
    auto told = [&](qint64 done) {
        if (steps.progress)
            steps.progress(done, count);
    };
    return accessRecords(file, [&](RecordFile& f) { return f.writeCopies(1, blank, count, told); });
}

} // namespace

std::optional<qint64> countFromText(QStringView text, qint64 max)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return 0;
    qint64 value = 0;
    for (QChar c : t) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > max)
            return std::nullopt;
    }
    return value;
}

Result ResetSalesSlips(qint64 newCount, const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    const std::optional<qint64> n = storedCount(Sys::SalesRecordCount, MaxSlipCount);
    if (!n)
        return badStoredCount(Sys::SalesRecordCount, QStringLiteral("売上データ件数"));
    if (Result r = keepOld(steps, QStringLiteral("reg.dat")); !r)
        return r;
    QString historyArchive;
    if (Result r = keepHistory(steps, historyArchive); !r)
        return r;
    // The records go out through the working record, which is left holding the blank slip.
    WorkingSlip = InitialisedSalesSlip();
    if (Result r = writeBlankRecords(QStringLiteral("reg.dat"), WorkingSlip.Raw.data(), SalesSlipRecordSize, *n, steps);
        !r)
        return r;
    if (Result r = saveCounters({{Sys::SalesRecordCount, double(newCount)}, {Sys::NextSalesSlipNo, 1}}); !r)
        return r;
    return restartHistory(QStringLiteral("reg.dat"), historyArchive);
}

Result ResetPurchaseSlips(qint64 newCount, const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    const std::optional<qint64> n = storedCount(Sys::PurchaseRecordCount, MaxSlipCount);
    if (!n)
        return badStoredCount(Sys::PurchaseRecordCount, QStringLiteral("仕入データ件数"));
    if (Result r = keepOld(steps, QStringLiteral("siire.dat")); !r)
        return r;
    QString historyArchive;
    if (Result r = keepHistory(steps, historyArchive); !r)
        return r;
    const PurchaseSlipRecord blank;
    if (Result r = writeBlankRecords(QStringLiteral("siire.dat"), blank.Raw.data(), PurchaseSlipRecordSize, *n, steps);
        !r)
        return r;
    if (Result r = saveCounters({{Sys::PurchaseRecordCount, double(newCount)}, {Sys::NextPurchaseSlipNo, 1}}); !r)
        return r;
    return restartHistory(QStringLiteral("siire.dat"), historyArchive);
}

Result ResetProducts(int emptied, const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (emptied < 0 || emptied > MaxProductEntries)
        return Result::failure(QStringLiteral("商品データ件数は 0 から %1 までです。").arg(MaxProductEntries));
    if (!storedCount(Sys::ProductCount, 32767))
        return badStoredCount(Sys::ProductCount, QStringLiteral("商品データ件数"));
    if (Result r = keepOld(steps, QStringLiteral("syohin.dat")); !r)
        return r;
    // The table must go on matching the file when the file cannot be written.
    const std::vector<ProductEntry> previous(ProductTable + 1, ProductTable + 1 + emptied);
    for (int n = 1; n <= emptied; ++n)
        ClearProduct(n);
    if (Result r = SaveAllProducts(); !r) {
        std::copy(previous.begin(), previous.end(), ProductTable + 1);
        return r;
    }
    return saveCounters({{Sys::ProductCount, InitialisedProductCount}});
}

Result ResetPurchaseItems(const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (!storedCount(Sys::PurchaseItemCount, 32767))
        return badStoredCount(Sys::PurchaseItemCount, QStringLiteral("仕入商品データ件数"));
    if (Result r = keepOld(steps, QStringLiteral("zaiko.dat")); !r)
        return r;
    if (Result r = InitPurchaseItemFile(); !r)
        return r;
    return saveCounters({{Sys::PurchaseItemCount, InitialisedItemCount}});
}

Result ResetSuppliers(const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (Result r = keepOld(steps, QStringLiteral("siiresaki.dat")); !r)
        return r;
    if (Result r = InitSupplierFile(InitialisedSupplierCount); !r)
        return r;
    return saveCounters({{Sys::SupplierCount, InitialisedSupplierCount}});
}
