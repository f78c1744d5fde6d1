// The resets of data initialisation: check, keep the old file, rewrite, then the counters.
#include "storage/initialise.h"

#include "storage/durablefile.h"
#include "storage/history.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/recordfile.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"

#include <QFile>
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

// The new version of `fileName` written beside it and flushed to disk: records 1 .. count from `record(n)`, then
// whatever the old file holds beyond them (records beyond those reset are kept, and no file is shortened).
Result writeNewFile(const QString& fileName, int size, qint64 count, const std::function<QByteArray(qint64)>& record,
                    const ResetSteps& steps, NewFile& out)
{
    const auto failed = [&](const QString& reason) {
        out.discard();
        return Result::failure(QStringLiteral("%1 を初期化できません（%2）。").arg(fileName, reason));
    };
    if (!out.open())
        return failed(out.reason());
    constexpr qint64 BlockBytes = 1 << 20;
    QByteArray block;
    block.reserve(BlockBytes + size);
    for (qint64 n = 1; n <= count; ++n) {
        block += record(n);
        if (block.size() >= BlockBytes || n == count) {
            if (!out.append(block))
                return failed(out.reason());
            block.clear();
            if (steps.progress)
                steps.progress(n, count);
        }
    }
    QFile old(dataPath(fileName));
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return failed(old.errorString());
        if (old.size() > count * size && !old.seek(count * size))
            return failed(old.errorString());
        while (old.size() > count * size && !old.atEnd()) {
            const QByteArray part = old.read(BlockBytes);
            if (part.isEmpty() && old.error() != QFileDevice::NoError)
                return failed(old.errorString());
            if (!out.append(part))
                return failed(out.reason());
        }
    }
    if (!out.finish())
        return failed(out.reason());
    return Result::success();
}

// Replaces the file by its new version and sets the counters as one journalled operation: after any stop or
// failure either the old file and counters or the new ones are in place. A slip file's reset starts the new
// history chain in the same operation (`history` names the archive of the old one), so no stop leaves new slips
// recorded in the old chain. The tables in memory change only with the files. A reset that took effect but whose
// last writes are left for the next start succeeds with a note.
Result commitReset(const QString& fileName, NewFile& file, std::initializer_list<std::pair<int, double>> counters,
                   const std::optional<QString>& history)
{
    Transaction t;
    t.description = QStringLiteral("%1 の初期化").arg(fileName);
    t.replacements << JournalReplace{fileName};
    NewFile chain(HistoryPath());
    if (history) {
        if (Result r = addNewHistoryChain(t, fileName, *history, chain); !r) {
            file.discard();
            return Result::failure(
                QStringLiteral("訂正・削除履歴を新しく始められないため、初期化を中止しました。\n%1").arg(r.error));
        }
    }
    for (const auto& [index, value] : counters)
        t.settings << JournalSetting{index, value};
    const CommitOutcome c = CommitTransaction(t);
    if (!c.committed) {
        file.discard();
        chain.discard();
        return Result::failure(c.error);
    }
    return Result{true, c.error};
}

// The reset of a record file with its counters: check, keep the old file (and for slips the history), write the
// new one, commit.
Result resetFile(const QString& fileName, int size, qint64 count, const std::function<QByteArray(qint64)>& record,
                 const ResetSteps& steps, std::initializer_list<std::pair<int, double>> counters,
                 bool withHistory = false)
{
    if (Result r = keepOld(steps, fileName); !r)
        return r;
    std::optional<QString> history;
    if (withHistory) {
        QString archive;
        if (Result r = keepHistory(steps, archive); !r)
            return r;
        history = archive;
    }
    NewFile file(dataPath(fileName));
    if (Result r = writeNewFile(fileName, size, count, record, steps, file); !r)
        return r;
    return commitReset(fileName, file, counters, history);
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
    const SalesSlipRecord blank = InitialisedSalesSlip();
    const QByteArray image(blank.Raw.data(), SalesSlipRecordSize);
    return resetFile(
        QStringLiteral("reg.dat"), SalesSlipRecordSize, *n, [&](qint64) { return image; }, steps,
        {{Sys::SalesRecordCount, double(newCount)}, {Sys::NextSalesSlipNo, 1}}, true);
}

Result ResetPurchaseSlips(qint64 newCount, const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    const std::optional<qint64> n = storedCount(Sys::PurchaseRecordCount, MaxSlipCount);
    if (!n)
        return badStoredCount(Sys::PurchaseRecordCount, QStringLiteral("仕入データ件数"));
    const PurchaseSlipRecord blank;
    const QByteArray image(blank.Raw.data(), PurchaseSlipRecordSize);
    return resetFile(
        QStringLiteral("siire.dat"), PurchaseSlipRecordSize, *n, [&](qint64) { return image; }, steps,
        {{Sys::PurchaseRecordCount, double(newCount)}, {Sys::NextPurchaseSlipNo, 1}}, true);
}

Result ResetProducts(int emptied, const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (emptied < 0 || emptied > MaxProductEntries)
        return Result::failure(QStringLiteral("商品データ件数は 0 から %1 までです。").arg(MaxProductEntries));
    const std::optional<qint64> stored = storedCount(Sys::ProductCount, 32767);
    if (!stored)
        return badStoredCount(Sys::ProductCount, QStringLiteral("商品データ件数"));
    // The table changes only when the file does.
    std::vector<ProductEntry> table(ProductTable, ProductTable + MaxProductEntries + 1);
    for (int n = 1; n <= emptied; ++n)
        table[n] = ProductEntry{};
    const qint64 count = std::min<qint64>(toInt16(SysNum[Sys::ProductCount]), MaxProductEntries);
    const Result r = resetFile(QStringLiteral("syohin.dat"), ProductRecordSize, std::max<qint64>(count, 0),
                               [&](qint64 n) { return ProductRecordImage(table[n]); }, steps,
                               {{Sys::ProductCount, InitialisedProductCount}});
    if (r)
        std::copy(table.begin() + 1, table.begin() + 1 + emptied, ProductTable + 1);
    return r;
}

Result ResetPurchaseItems(const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (!storedCount(Sys::PurchaseItemCount, 32767))
        return badStoredCount(Sys::PurchaseItemCount, QStringLiteral("仕入商品データ件数"));
    const QByteArray blank = PurchaseItemBlankRecord();
    const qint64 count = std::max<qint64>(toInt16(SysNum[Sys::PurchaseItemCount]), 0);
    return resetFile(QStringLiteral("zaiko.dat"), PurchaseItemRecordSize, count, [&](qint64) { return blank; }, steps,
                     {{Sys::PurchaseItemCount, InitialisedItemCount}});
}

Result ResetSuppliers(const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    const QByteArray blank = SupplierBlankRecord();
    return resetFile(QStringLiteral("siiresaki.dat"), SupplierRecordSize, InitialisedSupplierCount,
                     [&](qint64) { return blank; }, steps, {{Sys::SupplierCount, InitialisedSupplierCount}});
}

Result ResetSeisan(const ResetSteps& steps)
{
    if (Result r = CompletePendingSave(QStringLiteral("初期化")); !r)
        return r;
    if (Result r = keepOld(steps, SeisanFileName); !r)
        return r;
    if (Result r = replaceFile(dataPath(SeisanFileName), QByteArray()); !r)
        return r;
    if (steps.progress)
        steps.progress(1, 1);
    return Result::success();
}
