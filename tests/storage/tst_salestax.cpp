// Consumption tax: the tax contained in a total, the split of a slip by rate and its reserved tail on disk.
#include "offsets.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settings.h"
#include "storage/tax.h"
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

using TaxOf = double (*)(double, double);

} // namespace

Q_DECLARE_METATYPE(TaxOf)
Q_DECLARE_METATYPE(QList<SaleLine>)

class TestSalesTax : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The tax contained in a total, and the tax put on top of a subtotal, each rounded half up.
    void taxOfAmount_data()
    {
        QTest::addColumn<TaxOf>("taxOf");
        QTest::addColumn<double>("amount");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("tax");
        // clang-format off
        QTest::newRow("in 1050 at 0.05") << &ContainedTax << 1050.0 << 0.05 << 50.0;
        QTest::newRow("in 1049 at 0.05") << &ContainedTax << 1049.0 << 0.05 << 50.0;
        QTest::newRow("in -300 at 0.05") << &ContainedTax << -300.0 << 0.05 << -14.0;
        QTest::newRow("in -105 at 0.05") << &ContainedTax << -105.0 << 0.05 << -5.0;
        QTest::newRow("in 1100 at 0.1") << &ContainedTax << 1100.0 << 0.1 << 100.0;
        QTest::newRow("in 1080 at 0.08") << &ContainedTax << 1080.0 << 0.08 << 80.0;
        QTest::newRow("in, zero rate") << &ContainedTax << 1000.0 << 0.0 << 0.0;
        // Exactly a half of a yen inside, where the same sum in binary fractions falls just below it.
        QTest::newRow("in, half up at 0.05") << &ContainedTax << 640.5 << 0.05 << 31.0;
        QTest::newRow("in, negative half at 0.05") << &ContainedTax << -451.5 << 0.05 << -21.0;
        QTest::newRow("in, half up at 0.08") << &ContainedTax << 101.25 << 0.08 << 8.0;
        QTest::newRow("in, four decimals") << &ContainedTax << 1082.5 << 0.0825 << 83.0;
        // A rate finer than four decimals is worked out in floating point, not cut to 0.0801.
        QTest::newRow("in, finer rate") << &ContainedTax << 1000000.0 << 0.0801234 << 74180.0;
        QTest::newRow("on 1050 at 0.05") << &TaxOnTop << 1050.0 << 0.05 << 53.0;
        QTest::newRow("on 1049 at 0.05") << &TaxOnTop << 1049.0 << 0.05 << 52.0;
        QTest::newRow("on -105 at 0.05") << &TaxOnTop << -105.0 << 0.05 << -5.0;
        QTest::newRow("on 1000 at 0.1") << &TaxOnTop << 1000.0 << 0.1 << 100.0;
        QTest::newRow("on, finer rate") << &TaxOnTop << 1000000.0 << 0.0801234 << 80123.0;
        // clang-format on
    }
    void taxOfAmount()
    {
        QFETCH(TaxOf, taxOf);
        QFETCH(double, amount);
        QFETCH(double, rate);
        QTEST(taxOf(amount, rate), "tax");
    }

    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[11] = 0.1;
        SysNum[17] = 0.08;
        product(1, 1080, true);
        product(2, 1100, false);
        product(3, 540, true);
        product(4, 105, true); // 105 at 8 % holds 7.78: three lines one by one would make 24
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
        QCOMPARE((QList<double>{f64(r, Tail::StandardTotal), f64(r, Tail::StandardTax), f64(r, Tail::StandardRate),
                                f64(r, Tail::ReducedTotal), f64(r, Tail::ReducedTax), f64(r, Tail::ReducedRate)}),
                 (QList<double>{1100, 100, 0.1, 1080, 80, 0.08}));
        QCOMPARE(r.mid(Tail::End), QByteArray(Off::Sales::Size - Tail::End, '\0'));

        const ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        slip = read.value;
        QVERIFY(slip.Rates.present);
        QVERIFY(!slip.Rates.lineReduced(1));
        QVERIFY(slip.Rates.lineReduced(2));
        QCOMPARE(slip.Rates.reduced.tax, 80.0);
    }

    // Each rate's tax from its own total, rounded once for the slip, not line by line; with no reduced line, or
    // no reduced rate in use (a sys.ini from before it), every figure is the single-rate one; the tax switch off
    // stores no tax at either rate, but which lines are reduced and each rate's total.
    void fillSlipTax_data()
    {
        QTest::addColumn<QList<SaleLine>>("lines");
        QTest::addColumn<bool>("taxOn");
        QTest::addColumn<double>("reducedRate");
        QTest::addColumn<int>("reducedLines");
        QTest::addColumn<QList<double>>("figures"); // standard total and tax, reduced total and tax, Tax
        const QList<SaleLine> mixed = {{2, 1, 1100}, {1, 1, 1080}};
        // clang-format off
        QTest::newRow("rounded once per slip") << QList<SaleLine>{{4, 1, 105}, {4, 1, 105}, {4, 1, 105}, {2, 1, 1100}} << true << 0.08 << 0b0111 << QList<double>{1100, 100, 315, 23, 123};
        QTest::newRow("the tenth line") << (QList<SaleLine>(9, {2, 1, 1100}) << SaleLine{1, 1, 1080}) << true << 0.08 << (1 << 9) << QList<double>{9900, 900, 1080, 80, 980};
        QTest::newRow("no reduced product") << QList<SaleLine>{{2, 1, 1100}, {2, 1, 1080}} << true << 0.08 << 0 << QList<double>{2180, 198, 0, 0, 198};
        QTest::newRow("no reduced rate in use") << mixed << true << 0.0 << 0 << QList<double>{2180, 198, 0, 0, 198};
        QTest::newRow("negative reduced rate") << mixed << true << -0.08 << 0 << QList<double>{2180, 198, 0, 0, 198};
        QTest::newRow("tax switch off") << mixed << false << 0.08 << 0b10 << QList<double>{1100, 0, 1080, 0, 0};
        QTest::newRow("a reduced return: negative tax") << QList<SaleLine>{{3, 1, -540}, {2, 1, 1100}} << true << 0.08 << 0b01 << QList<double>{1100, 100, -540, -40, 60};
        // clang-format on
    }
    void fillSlipTax()
    {
        QFETCH(QList<SaleLine>, lines);
        QFETCH(bool, taxOn);
        QFETCH(double, reducedRate);
        SysNum[17] = reducedRate;
        SalesSlipRecord slip = saleSlip(1, {}, lines);
        FillSlipTax(slip, taxOn);
        QTEST(int(slip.Rates.reducedLines), "reducedLines");
        QTEST((QList<double>{slip.Rates.standard.total, slip.Rates.standard.tax, slip.Rates.reduced.total,
                             slip.Rates.reduced.tax, slip.Tax}),
              "figures");
    }

    // A slip written before the rates and the payment existed has zero bytes in its tail: it reads as all standard
    // and paid in cash, and rewriting it (as a deletion does) keeps its stored tax and its tail, the bytes after the
    // payment included.
    void oldSlipRewrittenAsItWas()
    {
        QByteArray old(Off::Sales::Size, '\0');
        putInt16(old.data() + Off::Sales::line(1), 1); // product 1, now marked reduced
        putDouble(old.data() + Off::Sales::line(1) + Off::Line::Amount, 1050);
        putDouble(old.data() + Off::Sales::Total, 1050);
        putDouble(old.data() + Off::Sales::Tax, 53); // as stored before the formula was mended
        old[Off::Sales::PayEnd] = 'Z';
        m_dir->writeBytes(QStringLiteral("reg.dat"), old);

        ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
        QVERIFY(read.ok);
        SalesSlipRecord& slip = read.value;
        QVERIFY(!slip.Rates.present);
        for (int k = 1; k <= SalesSlipLineCount; ++k)
            QVERIFY(!slip.Rates.lineReduced(k));
        QVERIFY(!slip.Payment.present);
        QCOMPARE(int(slip.Payment.method), int(PaymentMethod::Cash));
        slip.Deleted = 1;
        QVERIFY(WriteSalesSlip(1, slip).ok);
        const QByteArray r = m_dir->bytes(QStringLiteral("reg.dat"));
        QCOMPARE(f64(r, Off::Sales::Tax), 53.0);
        QCOMPARE(r.mid(Off::Sales::ReservedTail), old.mid(Off::Sales::ReservedTail));
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
