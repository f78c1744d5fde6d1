// Sales slip operations built on the redo journal: one transaction per save, correction or deletion.
#include "storage/salessave.h"

#include "storage/history.h"
#include "storage/journal.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cmath>

namespace {

// The amounts on screen are sums and products of typed numbers and the tax rate; they can overflow.
Result checkAmounts(const SalesSlipRecord& slip)
{
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        if (!std::isfinite(slip.Line[k].Amount))
            return Result::failure(QStringLiteral("%1 行目の金額が数値ではないため、保存できません。").arg(k));
    const SlipRates& rates = slip.Rates;
    for (double v : {slip.Subtotal, slip.Tax, slip.Total, rates.standard.total, rates.standard.tax, rates.reduced.total,
                     rates.reduced.tax})
        if (!std::isfinite(v))
            return Result::failure(QStringLiteral("合計または消費税が数値ではないため、保存できません。"));
    return Result::success();
}

// A slip without a product line is no sale: stored, it would count as a customer and use up a number.
Result checkHasLine(const SalesSlipRecord& slip)
{
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        if (slip.Line[k].ProductNo != 0)
            return Result::success();
    return Result::failure(QStringLiteral("商品が 1 行もない伝票は保存できません。"));
}

JournalRecord slipRecord(qint64 n, SalesSlipRecord& slip)
{
    return JournalRecord{QStringLiteral("reg.dat"), n, EncodeSalesSlip(slip), SalesSlipBlankRecord()};
}

} // namespace

bool NextSlipNoUsable(double next)
{
    return next >= 1 && next < HighestSlipNo && next == std::floor(next);
}

SaveOutcome CommitSlipOperation(Transaction& t, qint64 n, HistoryOperation op, const QList<StockChange>& stock,
                                const QString& refusal)
{
    SaveOutcome outcome;
    outcome.slipNo = n;
    const QString unrecorded = addHistoryEntry(t, op);
    if (Result r = StockFigures(stock, t.stock); !r) {
        outcome.error = refusal + r.error;
        return outcome;
    }
    const CommitOutcome c = CommitTransaction(t);
    outcome.saved = c.committed;
    outcome.error = c.committed ? c.error : refusal + c.error;
    if (c.committed && !unrecorded.isEmpty())
        outcome.error = outcome.error.isEmpty() ? unrecorded : outcome.error + u'\n' + unrecorded;
    return outcome;
}

SaveOutcome SaveNewSalesSlip(SalesSlipRecord& slip, const QList<StockChange>& stock)
{
    if (Result r = checkHasLine(slip); !r)
        return {false, 0, r.error};
    if (Result r = CompletePendingSave(QStringLiteral("保存")); !r)
        return {false, 0, r.error};
    const double next = SysNum[Sys::NextSalesSlipNo];
    if (!NextSlipNoUsable(next))
        return {false, 0, QStringLiteral("伝票番号 %1 には保存できません。").arg(numText(next))};
    const qint64 n = qint64(next);
    if (Result r = checkAmounts(slip); !r)
        return {false, n, r.error};
    // The counter may have moved since the entry showed its number (a pending save completed just now): the
    // slip carries the number of the record it is stored as, never the one shown.
    slip.SlipNo = int32_t(n);
    Transaction t;
    t.description = QStringLiteral("伝票 %1 の保存").arg(n);
    t.records << slipRecord(n, slip);
    t.settings << JournalSetting{Sys::NextSalesSlipNo, next + 1};
    return CommitSlipOperation(t, n, HistoryOperation::New, stock);
}

SaveOutcome SaveCorrectedSalesSlip(qint64 n, SalesSlipRecord& slip, const QList<StockChange>& stock)
{
    if (n < 1 || n > qint64(HighestSlipNo))
        return {false, 0, QStringLiteral("伝票番号 %1 には保存できません。").arg(n)};
    if (Result r = checkHasLine(slip); !r)
        return {false, n, r.error};
    if (Result r = CompletePendingSave(QStringLiteral("保存")); !r)
        return {false, n, r.error};
    if (Result r = checkAmounts(slip); !r)
        return {false, n, r.error};
    slip.SlipNo = int32_t(n);
    Transaction t;
    t.description = QStringLiteral("伝票 %1 の保存").arg(n);
    t.records << slipRecord(n, slip);
    return CommitSlipOperation(t, n, HistoryOperation::Correction, stock);
}

SaveOutcome DeleteSalesSlip(qint64 n, const QList<StockChange>& stockBack)
{
    if (Result r = CompletePendingSave(QStringLiteral("削除")); !r)
        return {false, n, r.error};
    ResultWith<SalesSlipRecord> stored = ReadSalesSlip(n);
    if (!stored)
        return {false, n, stored.error};
    if (stored.value.Deleted != 0)
        return {false, n, QStringLiteral("伝票は削除されています。")};
    stored.value.Deleted = 1;
    Transaction t;
    t.description = QStringLiteral("伝票 %1 の削除").arg(n);
    t.records << slipRecord(n, stored.value);
    return CommitSlipOperation(t, n, HistoryOperation::Deletion, stockBack);
}
