// Consumption tax: the tax contained in a total, the split of a slip by rate and its reserved tail on disk.
#include "offsets.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QtTest>

namespace {

// Offsets of the rate figures in a sales slip record, written out from the record description.
namespace Tail {
constexpr int Version = 730, ReducedLines = 732, StandardTotal = 734, StandardTax = 742, StandardRate = 750,
              ReducedTotal = 758, ReducedTax = 766, ReducedRate = 774, End = 782;
}

// Product n priced and marked as the shopkeeper sets it.
void product(int n, double price, bool reduced)
{
    ClearProduct(n);
    ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
    ProductTable[n].SalePrice = price;
    ProductTable[n].Reduced = reduced ? 1 : 0;
}

double f64(const QByteArray& r, int at)
{
    return getDouble(r.constData() + at);
}
int16_t i16(const QByteArray& r, int at)
{
    return getInt16(r.constData() + at);
}

} // namespace

class TestSalesTax : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void containedTax_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("tax");
        QTest::newRow("1050 at 0.05") << 1050.0 << 0.05 << 50.0;
        QTest::newRow("1049 at 0.05") << 1049.0 << 0.05 << 50.0;
        QTest::newRow("-300 at 0.05") << -300.0 << 0.05 << -14.0;
        QTest::newRow("-105 at 0.05") << -105.0 << 0.05 << -5.0;
        QTest::newRow("1100 at 0.1") << 1100.0 << 0.1 << 100.0;
        QTest::newRow("1080 at 0.08") << 1080.0 << 0.08 << 80.0;
        QTest::newRow("zero rate") << 1000.0 << 0.0 << 0.0;
        // Exactly a half of a yen inside, where the same sum in binary fractions falls just below it.
        QTest::newRow("half up at 0.05") << 640.5 << 0.05 << 31.0;
        QTest::newRow("negative half at 0.05") << -451.5 << 0.05 << -21.0;
        QTest::newRow("half up at 0.08") << 101.25 << 0.08 << 8.0;
        QTest::newRow("four decimals") << 1082.5 << 0.0825 << 83.0;
        // A rate finer than four decimals is worked out in floating point, not cut to 0.0801.
        QTest::newRow("finer rate") << 1000000.0 << 0.0801234 << 74180.0;
    }
    void containedTax()
    {
        QFETCH(double, total);
        QFETCH(double, rate);
        QTEST(ContainedTax(total, rate), "tax");
    }

    void taxOnTop_data()
    {
        QTest::addColumn<double>("subtotal");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("tax");
        QTest::newRow("1050 at 0.05") << 1050.0 << 0.05 << 53.0;
        QTest::newRow("1049 at 0.05") << 1049.0 << 0.05 << 52.0;
        QTest::newRow("-105 at 0.05") << -105.0 << 0.05 << -5.0;
        QTest::newRow("1000 at 0.1") << 1000.0 << 0.1 << 100.0;
        QTest::newRow("finer rate") << 1000000.0 << 0.0801234 << 80123.0;
    }
    void taxOnTop()
    {
        QFETCH(double, subtotal);
        QFETCH(double, rate);
        QTEST(TaxOnTop(subtotal, rate), "tax");
    }

    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[11] = 0.1;
        SysNum[17] = 0.08;
        product(1, 1080, true);
        product(2, 1100, false);
        product(3, 540, true);
    }
    void cleanup() { m_dir.reset(); }

    // A reduced product and a standard one on one slip: each rate's tax from its own total, Tax their sum,
    // and the tail at its offsets.
    void mixedSlipStoresBothRates()
    {
        SalesSlipRecord slip = saleSlip(1, {}, {{2, 1, 1100}, {1, 1, 1080}});
        FillSlipTax(slip, true);
        QVERIFY(WriteSalesSlip(1, slip).ok);

        const QByteArray r = m_dir->bytes(QStringLiteral("reg.dat"));
        QCOMPARE(r.size(), Off::Sales::Size);
        QCOMPARE(f64(r, Off::Sales::Total), 2180.0);
        QCOMPARE(f64(r, Off::Sales::Tax), 180.0);
        QCOMPARE(i16(r, Tail::Version), int16_t(1));
        QCOMPARE(i16(r, Tail::ReducedLines), int16_t(0b10)); // line 2
        QCOMPARE(f64(r, Tail::StandardTotal), 1100.0);
        QCOMPARE(f64(r, Tail::StandardTax), 100.0);
        QCOMPARE(f64(r, Tail::StandardRate), 0.1);
        QCOMPARE(f64(r, Tail::ReducedTotal), 1080.0);
        QCOMPARE(f64(r, Tail::ReducedTax), 80.0);
        QCOMPARE(f64(r, Tail::ReducedRate), 0.08);
        QCOMPARE(r.mid(Tail::End), QByteArray(Off::Sales::Size - Tail::End, '\0'));

        const ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        slip = read.value;
        QVERIFY(slip.Rates.present);
        QVERIFY(!slip.Rates.lineReduced(1));
        QVERIFY(slip.Rates.lineReduced(2));
        QCOMPARE(slip.Rates.reduced.tax, 80.0);
    }

    // Each rate's tax is rounded once for the slip, not line by line.
    void eachRateRoundedOncePerSlip()
    {
        product(4, 105, true); // 105 at 8 % holds 7.78: three lines one by one would make 24
        SalesSlipRecord slip = saleSlip(1, {}, {{4, 1, 105}, {4, 1, 105}, {4, 1, 105}, {2, 1, 1100}});
        FillSlipTax(slip, true);
        QCOMPARE(slip.Rates.reducedLines, uint16_t(0b0111));
        QCOMPARE(slip.Rates.reduced.total, 315.0);
        QCOMPARE(slip.Rates.reduced.tax, 23.0);
        QCOMPARE(slip.Tax, 123.0);

        // The tenth line counts like any other.
        slip = saleSlip(1, {}, QList<SaleLine>(9, {2, 1, 1100}) << SaleLine{1, 1, 1080});
        FillSlipTax(slip, true);
        QCOMPARE(slip.Rates.reducedLines, uint16_t(1u << 9));
        QCOMPARE(slip.Rates.reduced.total, 1080.0);
        QCOMPARE(slip.Tax, 980.0);
    }

    // With no reduced line, or no reduced rate in use (a sys.ini from before it), every figure is the
    // single-rate one.
    void singleRateWhenNothingIsReduced_data()
    {
        QTest::addColumn<double>("reducedRate");
        QTest::addColumn<int>("secondProduct");
        QTest::newRow("no reduced product") << 0.08 << 2;
        QTest::newRow("no reduced rate in use") << 0.0 << 1;
        QTest::newRow("negative reduced rate") << -0.08 << 1;
    }
    void singleRateWhenNothingIsReduced()
    {
        QFETCH(double, reducedRate);
        QFETCH(int, secondProduct);
        SysNum[17] = reducedRate;
        SalesSlipRecord slip = saleSlip(1, {}, {{2, 1, 1100}, {secondProduct, 1, 1080}});
        FillSlipTax(slip, true);
        QCOMPARE(slip.Tax, ContainedTax(2180, 0.1));
        QCOMPARE(slip.Rates.reducedLines, uint16_t(0));
        QCOMPARE(slip.Rates.standard.total, 2180.0);
        QCOMPARE(slip.Rates.reduced.total, 0.0);
        QCOMPARE(slip.Rates.reduced.tax, 0.0);
    }

    // The tax switch off stores no tax at either rate, but which lines are reduced and each rate's total.
    void taxSwitchOff()
    {
        SalesSlipRecord slip = saleSlip(1, {}, {{2, 1, 1100}, {1, 1, 1080}});
        FillSlipTax(slip, false);
        QCOMPARE(slip.Tax, 0.0);
        QCOMPARE(slip.Rates.standard.tax, 0.0);
        QCOMPARE(slip.Rates.reduced.tax, 0.0);
        QCOMPARE(slip.Rates.reduced.total, 1080.0);
        QCOMPARE(slip.Rates.reducedLines, uint16_t(0b10));
    }

    // A returned reduced product: the negative total holds a negative tax, by the same formula.
    void returnsGiveNegativeTax()
    {
        SalesSlipRecord slip = saleSlip(1, {}, {{3, 1, -540}, {2, 1, 1100}});
        FillSlipTax(slip, true);
        QCOMPARE(slip.Rates.reduced.total, -540.0);
        QCOMPARE(slip.Rates.reduced.tax, -40.0);
        QCOMPARE(slip.Rates.standard.tax, 100.0);
        QCOMPARE(slip.Tax, 60.0);
    }

    // A slip written before the rates existed has zero bytes in its tail: it reads as all standard, and
    // rewriting it (as a deletion does) keeps its stored tax.
    void oldSlipReadsAsAllStandard()
    {
        QByteArray old(Off::Sales::Size, '\0');
        putInt16(old.data() + Off::Sales::line(1), 1); // product 1, now marked reduced
        putDouble(old.data() + Off::Sales::line(1) + Off::Line::Amount, 1050);
        putDouble(old.data() + Off::Sales::Total, 1050);
        putDouble(old.data() + Off::Sales::Tax, 53); // as stored before the formula was mended
        m_dir->writeBytes(QStringLiteral("reg.dat"), old);

        ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        SalesSlipRecord& slip = read.value;
        QVERIFY(!slip.Rates.present);
        for (int k = 1; k <= SalesSlipLineCount; ++k)
            QVERIFY(!slip.Rates.lineReduced(k));
        slip.Deleted = 1;
        QVERIFY(WriteSalesSlip(1, slip).ok);
        const QByteArray r = m_dir->bytes(QStringLiteral("reg.dat"));
        QCOMPARE(f64(r, Off::Sales::Tax), 53.0);
        QCOMPARE(r.mid(Off::Sales::ReservedTail), QByteArray(Off::Sales::Size - Off::Sales::ReservedTail, '\0'));
    }

    // A slip's own rewrite carries its figures; a slip built afresh over a recalled one replaces them.
    void tailFollowsItsOwnSlip()
    {
        SalesSlipRecord slip = saleSlip(1, {}, {{1, 1, 1080}});
        FillSlipTax(slip, true);
        QVERIFY(WriteSalesSlip(1, slip).ok);
        ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        read.value.Rates = SlipRates{};
        QVERIFY(WriteSalesSlip(2, read.value).ok);
        const QByteArray r = m_dir->bytes(QStringLiteral("reg.dat")).mid(Off::Sales::Size);
        QCOMPARE(r.mid(Tail::Version, Tail::End - Tail::Version), QByteArray(Tail::End - Tail::Version, '\0'));
    }

    void productMarkSurvivesSaveAndReload()
    {
        ProductTable[7].ProductName = QStringLiteral("パン");
        ProductTable[7].Reduced = 1;
        QVERIFY(SaveProduct(7).ok);
        QVERIFY(SaveProduct(8).ok); // unmarked
        const QByteArray file = m_dir->bytes(QStringLiteral("syohin.dat"));
        QCOMPARE(i16(file, 6 * Off::Product::Size + Off::Product::Reserved), int16_t(1));
        QCOMPARE(i16(file, 7 * Off::Product::Size + Off::Product::Reserved), int16_t(0));
        // The rest of the block older writers left alone stays as it was.
        QCOMPARE(file.mid(6 * Off::Product::Size + Off::Product::Reserved + 2, 10), QByteArray(10, '\0'));

        ClearProduct(7);
        QVERIFY(ReloadProduct(7).ok);
        QCOMPARE(ProductTable[7].Reduced, int16_t(1));
        ClearProduct(7);
        QVERIFY(LoadProductTable().ok);
        QCOMPARE(ProductTable[7].Reduced, int16_t(1));
        QCOMPARE(ProductTable[8].Reduced, int16_t(0));
        QVERIFY(SoldAtReducedRate(7));
        QVERIFY(!SoldAtReducedRate(8));
    }

private:
    std::unique_ptr<TestAppDir> m_dir;
};

QTEST_GUILESS_MAIN(TestSalesTax)
#include "tst_salestax.moc"
