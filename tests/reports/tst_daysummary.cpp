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

    // Every line against the test's own sums over its table, and against that day's closing figures.
    void linesAgainstOwnSums()
    {
        const auto read = SummariseMonthByDay(2024, 2);
        QVERIFY2(read.ok, qPrintable(read.error));
        const MonthDaySummary& s = read.value;
        QCOMPARE(s.days.size(), 30); // 29 days, then the 30th the slips carry
        QCOMPARE(s.days.last().date, QStringLiteral("2024/02/30"));
        int slips = 0, customersSum = 0;
        double sales = 0, gross = 0;
        for (const DaySummaryLine& l : s.days) {
            ClosingFigures want;
            int customers = 0;
            for (const Sale& sale : Sales) {
                if (sale.date != l.date)
                    continue;
                double total = 0, reduced = 0;
                for (const auto& [product, amount] : sale.lines) {
                    total += amount;
                    reduced += product == 7 ? amount : 0;
                    if (!sale.deleted)
                        (amount > 0 ? want.gross : want.returns) += amount;
                }
                if (sale.deleted) {
                    ++want.deletedCount;
                    continue;
                }
                ++want.slipCount;
                customers += total >= 0 ? 1 : 0;
                want.byMethod[int(sale.method)] += total;
                want.standard.tax += contained(total - reduced, 0.1);
                want.reduced.tax += contained(reduced, 0.08);
            }
            QCOMPARE(l.figures.slipCount, want.slipCount);
            QCOMPARE(l.customers, customers);
            QCOMPARE(l.figures.gross, want.gross);
            QCOMPARE(l.figures.returns, want.returns);
            QCOMPARE(l.figures.deletedCount, want.deletedCount);
            QCOMPARE(l.figures.byMethod, want.byMethod);
            QCOMPARE(l.figures.standard.tax, want.standard.tax);
            QCOMPARE(l.figures.reduced.tax, want.reduced.tax);
            ClosingFigures z;
            if (ComputeClosing(l.date, {}, 0, z)) // no closing is made for 2024/02/30
                QCOMPARE(l.figures.sales(), z.sales());
            slips += want.slipCount;
            customersSum += customers;
            sales += want.sales();
            gross += want.gross;
        }
        QCOMPARE(s.total.figures.slipCount, slips);
        QCOMPARE(s.total.customers, customersSum);
        QCOMPARE(s.total.figures.sales(), sales);
        QCOMPARE(s.total.figures.gross, gross);
    }

    // The grid: headings, a quiet day shows its date only, the month's line last; an empty month has lines too.
    void table()
    {
        const GridTable t = DaySummaryTable(SummariseMonthByDay(2024, 2).value);
        QCOMPARE(t.rows.size(), 1 + 30 + 1);
        QCOMPARE(t.rows[0].mid(6, 3), (QStringList{"10%対象", "内消費税等", "※8%対象"}));
        QCOMPARE(t.rows[1].mid(0, 6), (QStringList{"2024/02/01", "3", "2", "4040", "-500", "3540"}));
        QCOMPARE(t.rows[15], QStringList{"2024/02/15"} + QStringList(t.cols() - 1));
        QCOMPARE(t.rows.last().mid(0, 1) + t.rows.last().mid(5, 1), (QStringList{"月合計", "4577"}));
        QCOMPARE(t.cols(), 15); // four payment methods, then the deleted slips
        QCOMPARE(t.rows.last()[6] + u'|' + t.rows.last()[14],
                 QStringLiteral("2957|1")); // 4577 less the reduced 540 and 1080
        QCOMPARE(DaySummaryTable(SummariseMonthByDay(2023, 2).value).rows.last()[1], QStringLiteral("0"));
    }
};

QTEST_MAIN(TestDaySummary)
#include "tst_daysummary.moc"
