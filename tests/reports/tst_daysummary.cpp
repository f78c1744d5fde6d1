// 日別集計 against sums the test makes from its own table of slips, and each day's line against that day's
// closing figures.
#include "../common/testutil.h"

#include "reports/daysummary.h"
#include "storage/closing.h"
#include "storage/products.h"
#include "storage/salessave.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QtTest>

namespace {

struct Sale
{
    QString date;
    PaymentMethod method;
    QList<QPair<int, double>> lines; // product (7 is sold at the reduced rate), amount
    bool deleted = false;
};

const PaymentMethod Cash = PaymentMethod::Cash, Credit = PaymentMethod::Credit, QR = PaymentMethod::QrCode;

// February of a leap year, with its neighbours and a day the calendar does not have.
const QList<Sale> Sales = {
    {QStringLiteral("2024/02/01"), Cash, {{1, 1000}, {7, 540}}},
    {QStringLiteral("2024/02/01"), Credit, {{1, 2200}}},
    {QStringLiteral("2024/02/01"), Cash, {{1, 300}, {2, -500}}}, // an exchange giving money back: a return
    {QStringLiteral("2024/02/01"), Cash, {{1, 800}}, true},      // deleted
    {QStringLiteral("2024/02/29"), QR, {{7, 1080}}},
    {QStringLiteral("2024/02/29"), Cash, {{2, -120}}}, // a pure return
    {QStringLiteral("2024/02/30"), Cash, {{1, 77}}},   // typed wrong, kept and counted
    {QStringLiteral("2024/01/31"), Cash, {{1, 9000}}},
    {QStringLiteral("2024/03/01"), Cash, {{1, 9000}}},
};

void storeSales()
{
    for (const Sale& sale : Sales) {
        SalesSlipRecord s;
        s.Date = sale.date;
        s.Time = QStringLiteral("12:00:00");
        int k = 0;
        for (const auto& [product, amount] : sale.lines) {
            ++k;
            s.Line[k].ProductNo = int16_t(product);
            s.Line[k].Qty = 1;
            s.Line[k].Amount = amount;
            s.Subtotal += amount;
        }
        s.Total = s.Subtotal;
        FillSlipTax(s, true);
        s.Payment = {true, sale.method, 0};
        const SaveOutcome saved = SaveNewSalesSlip(s, {});
        QVERIFY2(saved.saved, qPrintable(saved.error));
        if (sale.deleted)
            QVERIFY(DeleteSalesSlip(saved.slipNo, {}).saved);
    }
}

// The tax contained in an amount at a rate, rounded to the nearest yen, half up.
double contained(double amount, double rate)
{
    return std::floor(amount * rate / (1 + rate) + 0.5);
}

const DaySummaryLine* line(const MonthDaySummary& s, const QString& date)
{
    for (const DaySummaryLine& l : s.days)
        if (l.date == date)
            return &l;
    return nullptr;
}

} // namespace

class TestDaySummary : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestAppDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::ReducedTaxRate] = 0.08;
        for (int n = 1; n <= MaxProductEntries; ++n)
            ProductTable[n].Reduced = n == 7 ? 1 : 0;
        storeSales();
    }
    void cleanup() { m_dir.reset(); }

    // Each figure of the month against the test's own sums over its table.
    void figuresOfTheMonth()
    {
        const auto read = SummariseMonthByDay(2024, 2);
        QVERIFY2(read.ok, qPrintable(read.error));
        const MonthDaySummary& s = read.value;
        QCOMPARE(s.days.size(), 30); // 29 days, then 2024/02/30
        QCOMPARE(s.days.first().date, QStringLiteral("2024/02/01"));
        QCOMPARE(s.days[28].date, QStringLiteral("2024/02/29"));
        QCOMPARE(s.days.last().date, QStringLiteral("2024/02/30"));

        const DaySummaryLine* first = line(s, QStringLiteral("2024/02/01"));
        QCOMPARE(first->figures.slipCount, 3);
        QCOMPARE(first->customers, 2);
        QCOMPARE(first->figures.gross, 1000.0 + 540 + 2200 + 300);
        QCOMPARE(first->figures.returns, -500.0);
        QCOMPARE(first->figures.sales(), 1540.0 + 2200 - 200);
        QCOMPARE(first->figures.deletedCount, 1);
        QCOMPARE(first->figures.deletedAmount, 800.0);
        QCOMPARE(first->figures.byMethod[int(Cash)], 1540.0 - 200);
        QCOMPARE(first->figures.byMethod[int(Credit)], 2200.0);
        QCOMPARE(first->figures.reduced.total, 540.0);
        QCOMPARE(first->figures.reduced.tax, contained(540, 0.08));
        QCOMPARE(first->figures.standard.total, 1000.0 + 2200 - 200);
        QCOMPARE(first->figures.standard.tax, contained(1000, 0.1) + contained(2200, 0.1) + contained(-200, 0.1));

        const DaySummaryLine* last = line(s, QStringLiteral("2024/02/29"));
        QCOMPARE(last->figures.slipCount, 2);
        QCOMPARE(last->customers, 1); // the return is no customer
        QCOMPARE(last->figures.byMethod[int(QR)], 1080.0);
        QCOMPARE(last->figures.reduced.tax, contained(1080, 0.08));

        QCOMPARE(line(s, QStringLiteral("2024/02/15"))->figures.slipCount, 0);
        QCOMPARE(s.total.figures.slipCount, 3 + 2 + 1);
        QCOMPARE(s.total.customers, 2 + 1 + 1);
        QCOMPARE(s.total.figures.sales(), 1540.0 + 2200 - 200 + 1080 - 120 + 77);
        QCOMPARE(s.total.figures.deletedCount, 1);
    }

    // A day's line is that day's Z report: both come from the same slips by the same arithmetic.
    void eachDayAgreesWithItsClosing()
    {
        const MonthDaySummary s = SummariseMonthByDay(2024, 2).value;
        for (const DaySummaryLine& l : s.days) {
            ClosingFigures z;
            if (!ComputeClosing(l.date, {}, 0, z))
                continue; // 2024/02/30 is no day a closing can be made for
            QCOMPARE(l.figures.slipCount, z.slipCount);
            QCOMPARE(l.figures.sales(), z.sales());
            QCOMPARE(l.figures.returns, z.returns);
            QCOMPARE(l.figures.standard.tax, z.standard.tax);
            QCOMPARE(l.figures.reduced.tax, z.reduced.tax);
        }
    }

    // The grid: headings, a quiet day shows its date only, the month's line last; an empty month has lines too.
    void table()
    {
        const GridTable t = DaySummaryTable(SummariseMonthByDay(2024, 2).value);
        QCOMPARE(t.rows.size(), 1 + 30 + 1);
        QCOMPARE(t.rows[0].mid(0, 3), (QStringList{"日付", "伝票数", "客数"}));
        QCOMPARE(t.rows[0][6], QStringLiteral("10%対象"));
        QCOMPARE(t.rows[0][8], QStringLiteral("※8%対象"));
        QCOMPARE(t.rows[0][13], QStringLiteral("QRコード決済"));
        QCOMPARE(t.rows[1].mid(0, 6), (QStringList{"2024/02/01", "3", "2", "4040", "-500", "3540"}));
        QCOMPARE(t.rows[15], QStringList{"2024/02/15"} + QStringList(t.cols() - 1));
        QCOMPARE(t.rows.last()[0], QStringLiteral("月合計"));
        QCOMPARE(t.rows.last()[5], QStringLiteral("4577"));
        QCOMPARE(t.rows.last()[14], QStringLiteral("1"));

        const GridTable empty = DaySummaryTable(SummariseMonthByDay(2023, 2).value);
        QCOMPARE(empty.rows.size(), 1 + 28 + 1);
        QCOMPARE(empty.rows.last()[1], QStringLiteral("0"));
    }
};

QTEST_MAIN(TestDaySummary)
#include "tst_daysummary.moc"
