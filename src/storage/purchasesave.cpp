// Purchase slip operations built on the redo journal: one transaction per save, correction or deletion.
#include "storage/purchasesave.h"

#include "storage/history.h"
#include "storage/journal.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QDate>
#include <algorithm>
#include <cmath>

namespace {

const QString NotSaved = QStringLiteral("伝票は保存されていません。\n");

bool digitsOnly(const QString& text, int minLength, int maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// A message for a value that does not fit its 16-bit field, or an empty text when it fits.
QString fieldProblem(int line, const QString& field, double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("%1 行目の%2が数値ではありません。").arg(line).arg(field);
    if (fitsInt16(value))
        return {};
    return QStringLiteral("%1 行目の%2が%3（-32768～32767）。")
        .arg(line)
        .arg(field, value < 0 ? QStringLiteral("小さすぎます") : QStringLiteral("大きすぎます"));
}

QString itemProblem(int line, double itemNo)
{
    if (itemNo == 0)
        return {};
    const double n = std::isfinite(itemNo) ? roundHalfEven(itemNo) : -1;
    if (n >= 1 && n <= PurchaseItemCount)
        return {};
    return QStringLiteral("%1 行目の仕入商品番号 %2 は範囲外です（1～400）。").arg(line).arg(numText(itemNo));
}

// The stock changes of a save in the order of the stock rules (each line's quantity, then what the recalled
// version had added taken back), restricted to the items whose stock really changes.
QList<StockChange> stockChanges(const PurchaseSlipRecord* slip, const PurchaseQtyTable& recalled)
{
    PurchaseQtyTable net = {};
    QList<StockChange> steps;
    if (slip)
        for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
            const PurchaseSlipLine& line = slip->Line[k];
            if (line.ItemNo >= 1 && line.ItemNo <= PurchaseItemCount && line.Qty != 0) {
                steps << StockChange{line.ItemNo, double(line.Qty)};
                net[line.ItemNo] += line.Qty;
            }
        }
    for (int i = 1; i <= PurchaseItemCount; ++i)
        if (recalled[i] != 0) {
            steps << StockChange{i, -recalled[i]};
            net[i] -= recalled[i];
        }
    QList<StockChange> changes;
    for (const StockChange& s : steps)
        if (net[s.item] != 0)
            changes << s;
    return changes;
}

JournalRecord slipRecord(qint64 n, PurchaseSlipRecord& slip)
{
    return JournalRecord{QStringLiteral("siire.dat"), n, EncodePurchaseSlip(slip), PurchaseSlipBlankRecord()};
}

// Reads stored slip n for a change to it; refused when it is marked deleted.
Result readLiveSlip(qint64 n, PurchaseSlipRecord& slip)
{
    if (n < 1 || n > qint64(HighestSlipNo))
        return Result::failure(QStringLiteral("伝票番号 %1 の伝票はありません。").arg(n));
    if (Result r = ReadPurchaseSlip(n, slip); !r)
        return r;
    if (slip.Deleted != 0)
        return Result::failure(QStringLiteral("伝票は削除されています。"));
    return Result::success();
}

} // namespace

Result PurchaseSlipDate(const QString& year, const QString& month, const QString& day, QString& date)
{
    const QString y = year.trimmed();
    const QString m = month.trimmed();
    const QString d = day.trimmed();
    if (!digitsOnly(y, 4, 4) || y.toInt() < 1)
        return Result::failure(QStringLiteral("日付の年「%1」は 4 桁の数字で入力してください。").arg(year));
    if (!digitsOnly(m, 1, 2) || m.toInt() < 1 || m.toInt() > 12)
        return Result::failure(QStringLiteral("日付の月「%1」は 1 から 12 で入力してください。").arg(month));
    const int lastDay = QDate(y.toInt(), m.toInt(), 1).daysInMonth();
    if (!digitsOnly(d, 1, 2) || d.toInt() < 1 || d.toInt() > lastDay)
        return Result::failure(QStringLiteral("日付の日「%1」が正しくありません。%2 年 %3 月は %4 日までです。")
                                   .arg(day, y)
                                   .arg(m.toInt())
                                   .arg(lastDay));
    date = QStringLiteral("%1/%2/%3").arg(y).arg(m.toInt(), 2, 10, QChar(u'0')).arg(d.toInt(), 2, 10, QChar(u'0'));
    return Result::success();
}

Result BuildPurchaseSlip(const PurchaseSlipDraft& draft, PurchaseSlipRecord& slip)
{
    QString date;
    if (Result r = PurchaseSlipDate(draft.year, draft.month, draft.day, date); !r)
        return r;
    if (!fitsInt16(draft.supplierNo))
        return Result::failure(QStringLiteral("仕入先番号 %1 は範囲外です。").arg(numText(draft.supplierNo)));
    for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
        const PurchaseDraftLine& line = draft.line[k];
        for (const QString& problem :
             {itemProblem(k, line.itemNo), fieldProblem(k, QStringLiteral("単価"), line.unitPrice),
              fieldProblem(k, QStringLiteral("数量"), line.qty)})
            if (!problem.isEmpty())
                return Result::failure(problem);
        if (!std::isfinite(line.amount))
            return Result::failure(QStringLiteral("%1 行目の金額が数値ではありません。").arg(k));
    }
    if (!std::isfinite(draft.subtotal) || !std::isfinite(draft.tax) || !std::isfinite(draft.total))
        return Result::failure(QStringLiteral("計、消費税または合計が数値ではありません。"));
    // A slip without an item line is no purchase, only a number used up and an empty row in the books.
    if (std::none_of(draft.line + 1, draft.line + PurchaseSlipLineCount + 1,
                     [](const PurchaseDraftLine& line) { return line.itemNo != 0; }))
        return Result::failure(QStringLiteral("仕入商品が 1 行もない伝票は保存できません。"));

    slip.Date = date;
    slip.Time = draft.time;
    slip.SupplierNo = toInt16(draft.supplierNo);
    slip.SupplierName = draft.supplierName;
    slip.SupplierPhone = draft.supplierPhone;
    for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
        const PurchaseDraftLine& in = draft.line[k];
        PurchaseSlipLine& out = slip.Line[k];
        out.ItemNo = toInt16(in.itemNo);
        out.ItemName = in.itemName;
        out.UnitPrice = toInt16(in.unitPrice);
        out.Qty = toInt16(in.qty);
        out.Amount = in.amount;
    }
    slip.Subtotal = draft.subtotal;
    slip.Tax = draft.tax;
    slip.Total = draft.total;
    slip.Deleted = 0;
    return Result::success();
}

void AddPurchasedQty(const PurchaseSlipRecord& slip, PurchaseQtyTable& qty)
{
    for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
        const PurchaseSlipLine& line = slip.Line[k];
        if (line.ItemNo >= 1 && line.ItemNo <= PurchaseItemCount)
            qty[line.ItemNo] += line.Qty;
    }
}

SaveOutcome SaveNewPurchaseSlip(const PurchaseSlipDraft& draft)
{
    if (Result r = CompletePendingSave(QStringLiteral("保存")); !r)
        return {false, 0, NotSaved + r.error};
    const double next = SysNum[Sys::NextPurchaseSlipNo];
    if (!NextSlipNoUsable(next))
        return {false, 0, NotSaved + QStringLiteral("伝票番号 %1 には保存できません。").arg(numText(next))};
    const qint64 n = qint64(next);
    PurchaseSlipRecord slip;
    if (Result r = BuildPurchaseSlip(draft, slip); !r)
        return {false, n, NotSaved + r.error};
    slip.SlipNo = int32_t(n);
    Transaction t;
    t.description = QStringLiteral("仕入伝票 %1 の保存").arg(n);
    t.records << slipRecord(n, slip);
    t.settings << JournalSetting{Sys::NextPurchaseSlipNo, next + 1};
    return CommitSlipOperation(t, n, HistoryOperation::New, stockChanges(&slip, PurchaseQtyTable{}), NotSaved);
}

SaveOutcome SaveCorrectedPurchaseSlip(qint64 n, const PurchaseSlipDraft& draft, const PurchaseQtyTable& recalled)
{
    if (Result r = CompletePendingSave(QStringLiteral("保存")); !r)
        return {false, n, NotSaved + r.error};
    PurchaseSlipRecord slip;
    if (Result r = readLiveSlip(n, slip); !r)
        return {false, n, NotSaved + r.error};
    if (Result r = BuildPurchaseSlip(draft, slip); !r)
        return {false, n, NotSaved + r.error};
    slip.SlipNo = int32_t(n);
    Transaction t;
    t.description = QStringLiteral("仕入伝票 %1 の保存").arg(n);
    t.records << slipRecord(n, slip);
    return CommitSlipOperation(t, n, HistoryOperation::Correction, stockChanges(&slip, recalled), NotSaved);
}

SaveOutcome DeletePurchaseSlip(qint64 n, const PurchaseQtyTable& recalled)
{
    if (Result r = CompletePendingSave(QStringLiteral("削除")); !r)
        return {false, n, QStringLiteral("伝票は削除されていません。\n") + r.error};
    PurchaseSlipRecord slip;
    if (Result r = readLiveSlip(n, slip); !r)
        return {false, n, r.error};
    slip.Deleted = 1;
    Transaction t;
    t.description = QStringLiteral("仕入伝票 %1 の削除").arg(n);
    t.records << slipRecord(n, slip);
    return CommitSlipOperation(t, n, HistoryOperation::Deletion, stockChanges(nullptr, recalled),
                               QStringLiteral("伝票は削除されていません。\n"));
}
