// The day's closing figures from the slips and the cash in and out, and the closing report's rows.
#include "storage/closing.h"

#include "storage/payment.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QDate>
#include <algorithm>

namespace {

// The numeric year, month and day of a yyyy/mm/dd text; false when it is no date.
bool dayParts(const QString& day, int& y, int& m, int& d)
{
    const QDate date = QDate::fromString(day, QStringLiteral("yyyy/MM/dd"));
    if (!date.isValid())
        return false;
    y = date.year();
    m = date.month();
    d = date.day();
    return true;
}

// Negative money with its sign before the yen mark: -¥300.
QString money(double v)
{
    return v < 0 ? QStringLiteral("-¥") + groupedNumber(-v) : yen(v);
}

// Over (+) or short (-).
QString signedYen(double v)
{
    return v > 0 ? QStringLiteral("+¥") + groupedNumber(v) : money(v);
}

} // namespace

void AddSlipToClosing(const SlipView& slip, ClosingFigures& f)
{
    const double total = slip.total();
    const int32_t no = slip.slipNo();
    if (no > 0) {
        if (f.firstSlip == 0 || no < f.firstSlip)
            f.firstSlip = no;
        f.lastSlip = std::max(f.lastSlip, no);
    }
    if (slip.deleted()) {
        ++f.deletedCount;
        f.deletedAmount += total;
        return;
    }
    ++f.slipCount;
    for (int k = 1; k <= SalesSlipLineCount; ++k) {
        const double amount = slip.amount(k);
        if (amount > 0)
            f.gross += amount;
        else if (amount < 0)
            f.returns += amount;
    }
    f.byMethod[int(slip.payment().method)] += total;
    const SlipRates rates = slip.rates();
    if (rates.present) {
        f.standard.total += rates.standard.total;
        f.standard.tax += rates.standard.tax;
        f.reduced.total += rates.reduced.total;
        f.reduced.tax += rates.reduced.tax;
    } else {
        // Written before the reduced rate: all at the standard rate, with the tax it stored.
        f.standard.total += total;
        f.standard.tax += slip.tax();
    }
}

Result ComputeClosing(const QString& day, const QList<SeisanRecord>& movements, double changeFund,
                      ClosingFigures& figures)
{
    figures = {};
    figures.changeFund = changeFund;
    figures.standard.rate = SysNum[Sys::TaxRate];
    figures.reduced.rate = SysNum[Sys::ReducedTaxRate];
    for (const SeisanRecord& m : movements) {
        if (m.deleted != 0 || m.day != day)
            continue;
        if (m.kind == SeisanKind::CashIn)
            figures.cashIn += m.amount;
        else if (m.kind == SeisanKind::CashOut)
            figures.cashOut += m.amount;
    }
    int y = 0, mo = 0, d = 0;
    if (!dayParts(day, y, mo, d))
        return Result::failure(QStringLiteral("日付 %1 は正しくありません（yyyy/mm/dd）。").arg(day));
    const qint64 last = LastSalesSlipNo();
    if (last < 1)
        return Result::success();
    return ScanSalesMonth(y, mo, d, last, [&](qint64, const SlipView& slip) {
        AddSlipToClosing(slip, figures);
        return true;
    });
}

SeisanRecord MakeClosing(const QString& day, const ClosingFigures& figures, const CashCount& count, const QString& date,
                         const QString& time)
{
    SeisanRecord r;
    r.kind = SeisanKind::Closing;
    r.day = day;
    r.date = date;
    r.time = time;
    r.figures = figures;
    r.count = count;
    r.expected = figures.expectedCash();
    r.counted = count.total();
    r.difference = r.counted - r.expected;
    return r;
}

QList<ReceiptRow> ClosingReportRows(const SeisanRecord& c, const ShopDetails& shop, ClosingReportKind kind)
{
    QList<ReceiptRow> out;
    const auto add = [&](ReceiptRow::Kind k, const QString& left, const QString& right = QString()) {
        out.append({k, left, right});
    };
    const ClosingFigures& f = c.figures;
    if (!shop.name.isEmpty())
        add(ReceiptRow::Title, shop.name);
    add(ReceiptRow::Title, kind == ClosingReportKind::Check ? QStringLiteral("レジ点検") : QStringLiteral("レジ精算"));
    if (kind == ClosingReportKind::Reprint)
        add(ReceiptRow::Centred, QStringLiteral("＊ 再発行 ＊"));
    add(ReceiptRow::LeftRight, QStringLiteral("営業日"), c.day);
    add(ReceiptRow::LeftRight, QStringLiteral("印字"), c.date + u' ' + c.time);
    if (c.closingNo > 0)
        add(ReceiptRow::LeftRight, QStringLiteral("精算番号"), QString::number(c.closingNo));
    add(ReceiptRow::Rule, QString());
    add(ReceiptRow::LeftRight, QStringLiteral("伝票数"), QStringLiteral("%1 件").arg(f.slipCount));
    if (f.firstSlip > 0)
        add(ReceiptRow::LeftRight, QStringLiteral("伝票番号"),
            QStringLiteral("%1 ～ %2").arg(f.firstSlip).arg(f.lastSlip));
    add(ReceiptRow::LeftRight, QStringLiteral("総売上"), yen(f.gross));
    add(ReceiptRow::LeftRight, QStringLiteral("返品"), money(f.returns));
    add(ReceiptRow::Emphasised, QStringLiteral("売上合計"), money(f.sales()));
    add(ReceiptRow::LeftRight, QStringLiteral("削除伝票 %1 件").arg(f.deletedCount), money(f.deletedAmount));
    add(ReceiptRow::Rule, QString());
    for (int m = 0; m < PaymentMethodCount; ++m)
        add(ReceiptRow::LeftRight, paymentMethodName(PaymentMethod(m)), money(f.byMethod[m]));
    add(ReceiptRow::Rule, QString());
    add(ReceiptRow::LeftRight, RatePercent(f.standard.rate) + QStringLiteral("対象"), money(f.standard.total));
    add(ReceiptRow::LeftRight, QStringLiteral("　内消費税"), money(f.standard.tax));
    if (f.reduced.rate != 0 || f.reduced.total != 0) {
        add(ReceiptRow::LeftRight, ReducedMark + RatePercent(f.reduced.rate) + QStringLiteral("対象"),
            money(f.reduced.total));
        add(ReceiptRow::LeftRight, QStringLiteral("　内消費税"), money(f.reduced.tax));
    }
    add(ReceiptRow::Rule, QString());
    add(ReceiptRow::LeftRight, QStringLiteral("釣銭準備金"), yen(f.changeFund));
    add(ReceiptRow::LeftRight, QStringLiteral("現金売上"), money(f.byMethod[0]));
    add(ReceiptRow::LeftRight, QStringLiteral("入金"), yen(f.cashIn));
    add(ReceiptRow::LeftRight, QStringLiteral("出金"), yen(f.cashOut));
    add(ReceiptRow::Emphasised, QStringLiteral("現金在高（理論）"), money(c.expected));
    add(ReceiptRow::Rule, QString());
    for (int i = 0; i < DenominationCount; ++i)
        add(ReceiptRow::LeftRight, QStringLiteral("%1円 × %2").arg(Denominations[i]).arg(c.count.counts[i]),
            yen(double(c.count.counts[i]) * Denominations[i]));
    add(ReceiptRow::Emphasised, QStringLiteral("現金在高（実査）"), yen(c.counted));
    add(ReceiptRow::Emphasised, QStringLiteral("過不足"), signedYen(c.difference));
    return out;
}

QList<ClosingHistoryEntry> ClosingHistory(const QList<SeisanRecord>& records)
{
    QList<ClosingHistoryEntry> out;
    QStringList laterDays; // days with a closing after the one being looked at
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        const SeisanRecord& r = records[i];
        if (r.kind != SeisanKind::Closing)
            continue;
        out.append({r, laterDays.contains(r.day)});
        laterDays.append(r.day);
    }
    return out;
}

QList<SeisanRecord> CashMovementsOf(const QList<SeisanRecord>& records, const QString& day)
{
    QList<SeisanRecord> out;
    for (const SeisanRecord& r : records)
        if (r.kind != SeisanKind::Closing && r.day == day)
            out.append(r);
    return out;
}
