// The month's slips added up per day with the closing's own arithmetic, so the day's line always agrees with
// that day's Z report.
#include "reports/daysummary.h"

#include "storage/closing.h"
#include "storage/payment.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QDate>
#include <map>

namespace {

const QColor HeadColour(100, 255, 255);
const QColor TotalsColour(255, 255, 100);

void addFigures(ClosingFigures& to, const ClosingFigures& f)
{
    to.slipCount += f.slipCount;
    to.gross += f.gross;
    to.returns += f.returns;
    to.deletedCount += f.deletedCount;
    to.deletedAmount += f.deletedAmount;
    for (int m = 0; m < PaymentMethodCount; ++m)
        to.byMethod[m] += f.byMethod[m];
    to.standard.total += f.standard.total;
    to.standard.tax += f.standard.tax;
    to.reduced.total += f.reduced.total;
    to.reduced.tax += f.reduced.tax;
}

void addSlip(DaySummaryLine& line, const SlipView& slip)
{
    AddSlipToClosing(slip, line.figures);
    if (!slip.deleted() && slip.total() >= 0)
        ++line.customers;
}

QString dayText(int year, int month, int day)
{
    return QStringLiteral("%1/%2/%3")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'));
}

} // namespace

ResultWith<MonthDaySummary> SummariseMonthByDay(int year, int month)
{
    MonthDaySummary s;
    s.year = year;
    s.month = month;
    const int length = QDate(year, month, 1).isValid() ? QDate(year, month, 1).daysInMonth() : 0;
    for (int d = 1; d <= length; ++d)
        s.days.append({dayText(year, month, d), 0, {}});
    s.total.date = QStringLiteral("月合計");
    // Days the calendar does not have, by the date text they carry.
    std::map<QString, DaySummaryLine> odd;
    const qint64 last = LastSalesSlipNo();
    if (last >= 1) {
        const Result r = ScanSalesMonth(year, month, std::nullopt, last, [&](qint64, const SlipView& slip) {
            const int d = slip.day();
            if (d >= 1 && d <= length) {
                addSlip(s.days[d - 1], slip);
            } else {
                DaySummaryLine& line = odd[slip.date()];
                line.date = slip.date();
                addSlip(line, slip);
            }
            return true;
        });
        if (!r)
            return ResultWith<MonthDaySummary>::failure(r);
    }
    for (auto& [date, line] : odd)
        s.days.append(line);
    for (const DaySummaryLine& line : s.days) {
        s.total.customers += line.customers;
        addFigures(s.total.figures, line.figures);
    }
    return ResultWith<MonthDaySummary>::of(s);
}

GridTable DaySummaryTable(const MonthDaySummary& summary)
{
    const QString standard = RatePercent(SysNum[Sys::TaxRate]) + QStringLiteral("対象");
    const QString reduced =
        ReducedMark + (ReducedRateInUse() ? RatePercent(SysNum[Sys::ReducedTaxRate]) : QStringLiteral("軽減税率")) +
        QStringLiteral("対象");
    QStringList headers = {QStringLiteral("日付"),
                           QStringLiteral("伝票数"),
                           QStringLiteral("客数"),
                           QStringLiteral("総売上"),
                           QStringLiteral("返品"),
                           QStringLiteral("売上合計"),
                           standard,
                           QStringLiteral("内消費税等"),
                           reduced,
                           QStringLiteral("内消費税等")};
    QList<int> widths = {1300, 700, 700, 1200, 1000, 1200, 1200, 1000, 1200, 1000};
    for (int m = 0; m < PaymentMethodCount; ++m) {
        headers.append(paymentMethodName(PaymentMethod(m)));
        widths.append(1200);
    }
    headers.append(QStringLiteral("削除伝票"));
    widths.append(900);
    GridTable t;
    t.setShape(widths, 1, headers);
    const auto append = [&](const DaySummaryLine& line, bool total) {
        const int r = int(t.rows.size());
        QStringList row(t.cols());
        row[0] = line.date;
        const ClosingFigures& f = line.figures;
        if (total || f.slipCount != 0 || f.deletedCount != 0) {
            row[1] = QString::number(f.slipCount);
            row[2] = QString::number(line.customers);
            row[3] = numText(f.gross);
            row[4] = numText(f.returns);
            row[5] = numText(f.sales());
            row[6] = numText(f.standard.total);
            row[7] = numText(f.standard.tax);
            row[8] = numText(f.reduced.total);
            row[9] = numText(f.reduced.tax);
            for (int m = 0; m < PaymentMethodCount; ++m)
                row[10 + m] = numText(f.byMethod[m]);
            row[10 + PaymentMethodCount] = QString::number(f.deletedCount);
        }
        t.rows.append(row);
        t.colours.append({r, 0, total ? TotalsColour : HeadColour});
        if (total) {
            for (int c = 1; c < t.cols(); ++c)
                t.colours.append({r, c, TotalsColour});
        }
    };
    for (const DaySummaryLine& line : summary.days)
        append(line, false);
    append(summary.total, true);
    return t;
}
