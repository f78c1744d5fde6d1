// The register's arithmetic, checks and stock changes without its window, at the edges of their ranges.
#include "../common/guitest.h"

#include "register/slipentry.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QtTest>

namespace {

// An entry with product `product` x `qty` at `price` on each of lines 1 .. lines, the amounts and the total
// worked out as the window works them out.
EntryTexts entryOf(int lines, int product, const QString& qty, const QString& price)
{
    EntryTexts e;
    e.date = QStringLiteral("2010/06/01");
    e.time = QStringLiteral("10:00:00");
    e.weather = QStringLiteral("1");
    e.slipNo = QStringLiteral("1");
    QStringList amounts;
    for (int k = 1; k <= lines; ++k) {
        const QString amount = numText(val(price) * val(qty));
        e.line[k] = {QString::number(product), ProductTable[product].ProductName, price, qty, amount};
        amounts << amount;
    }
    e.total = numText(slipTotal(amounts));
    return e;
}

double stockTaken(const QList<StockChange>& changes, int item)
{
    double sum = 0;
    for (const StockChange& c : changes)
        if (c.item == item)
            sum += c.delta;
    return sum;
}

} // namespace

class TestSlipEntry : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::SalesTaxSwitch] = 1;
        // A set using the first and the last purchase item.
        setProduct(9, QStringLiteral("端の組"), 300, {{400, 2}, {1, 0.5}});
        setStock(1, 10);
        setStock(400, 10);
    }
    void cleanup() { m_dir.reset(); }

    void totalsTaxAndChange_data()
    {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("tax");     // contained at 10 %
        QTest::addColumn<QString>("change"); // for 1000
        QTest::newRow("empty lines count 0") << QStringList{"", "", "110"} << 110.0 << 10.0 << "890";
        QTest::newRow("half rounds up") << QStringList{"5.5"} << 5.5 << 1.0 << "994.5";
        QTest::newRow("below half") << QStringList{"5.4"} << 5.4 << 0.0 << "994.6";
        QTest::newRow("return, half towards up") << QStringList{"-5.5"} << -5.5 << 0.0 << "1005.5";
        QTest::newRow("return beyond half") << QStringList{"-16.6"} << -16.6 << -2.0 << "1016.6";
        QTest::newRow("exactly the tender") << QStringList{"600", "400"} << 1000.0 << 91.0 << "0";
        QTest::newRow("a fraction over") << QStringList{"1000.5"} << 1000.5 << 91.0 << "-----";
        QTest::newRow("lenient texts") << QStringList{"12a", "abc", " 3"} << 15.0 << 1.0 << "985";
    }
    void totalsTaxAndChange()
    {
        QFETCH(QStringList, amounts);
        QFETCH(double, total);
        QCOMPARE(slipTotal(amounts), total);
        EntryTexts entry;
        for (int k = 1; k <= amounts.size(); ++k)
            entry.line[k] = {QStringLiteral("1"), QString(), QString(), QString(), amounts[k - 1]};
        entry.total = numText(total);
        const SlipRates rates = entryTax(entry);
        QCOMPARE(rates.reducedLines, uint16_t(0)); // no reduced rate in use
        QTEST(rates.standard.tax, "tax");
        QTEST(changeText(1000, total), "change");
    }

    // Lines count at the reduced rate by the product number their code field reads as.
    void entryTaxByCodeField()
    {
        SysNum[Sys::ReducedTaxRate] = 0.08;
        setProduct(3, QStringLiteral("パン"), 540);
        ProductTable[3].Reduced = 1;
        EntryTexts entry;
        entry.line[1] = {QStringLiteral("3"), QString(), QString(), QString(), QStringLiteral("1080")};
        entry.line[2] = {QStringLiteral("3.4"), QString(), QString(), QString(), QStringLiteral("540")};
        entry.line[3] = {QStringLiteral("1e9"), QString(), QString(), QString(), QStringLiteral("1100")};
        entry.line[5] = {QString(), QString(), QString(), QString(), QStringLiteral("10")};
        entry.total = QStringLiteral("2730");
        const SlipRates rates = entryTax(entry);
        QCOMPARE(rates.reducedLines, uint16_t(0b11));
        QCOMPARE(rates.reduced.total, 1620.0);
        QCOMPARE(rates.reduced.tax, 120.0);
        QCOMPARE(rates.standard.total, 1110.0);
        QCOMPARE(rates.standard.tax, 101.0);
        // Saved, the slip keeps the same figures.
        SalesSlipRecord slip;
        QList<StockChange> taken;
        entry.slipNo = QStringLiteral("1");
        entry.line[3].code = QStringLiteral("2"); // a code the slip can hold, of a standard product
        QVERIFY(buildSlip(entry, true, slip, taken));
        QCOMPARE(slip.Tax, 221.0);
        QCOMPARE(slip.Rates.reducedLines, uint16_t(0b11));
    }

    void productCodeBoundedByCount_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<double>("count");
        QTest::addColumn<int>("entry"); // -1: none
        QTest::newRow("equal to the count") << "300" << 300.0 << 300;
        QTest::newRow("one above the count") << "301" << 300.0 << -1;
        QTest::newRow("400 of 400") << "400" << 400.0 << 400;
        QTest::newRow("fraction rounds to even") << "2.5" << 400.0 << 2;
        QTest::newRow("empty field: empty product") << "" << 400.0 << 0;
        QTest::newRow("negative") << "-5" << 400.0 << -1;
        QTest::newRow("huge negative") << "-1e300" << 400.0 << -1;
        QTest::newRow("beyond the table") << "1001" << 2000.0 << -1;
    }
    void productCodeBoundedByCount()
    {
        QFETCH(QString, code);
        QFETCH(double, count);
        QFETCH(int, entry);
        QCOMPARE(productEntryFor(code, count).value_or(-1), entry);
    }

    void sixteenBitRefusalOnLastLine_data()
    {
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QString>("message");
        QTest::newRow("32767 fits") << "32767" << QString();
        QTest::newRow("32768") << "32768" << QStringLiteral("10 行目の数量が大きすぎます（-32768～32767）。");
        QTest::newRow("-32768 fits") << "-32768" << QString();
        QTest::newRow("-32769") << "-32769" << QStringLiteral("10 行目の数量が小さすぎます（-32768～32767）。");
    }
    void sixteenBitRefusalOnLastLine()
    {
        QFETCH(QString, qty);
        QFETCH(QString, message);
        EntryTexts entry = entryOf(10, 9, QStringLiteral("1"), QStringLiteral("300"));
        entry.line[10].qty = qty;
        SalesSlipRecord slip;
        slip.Date = QStringLiteral("untouched");
        QList<StockChange> taken;
        const Result r = buildSlip(entry, true, slip, taken);
        QCOMPARE(r.error, message);
        if (!message.isEmpty()) {
            QCOMPARE(slip.Date, QStringLiteral("untouched"));
            QVERIFY(taken.isEmpty());
            return;
        }
        for (int k = 1; k <= SlipLineCount; ++k)
            QCOMPARE(slip.Line[k].ProductNo, int16_t(9));
        QCOMPARE(int(slip.Line[10].Qty), int(val(qty)));
        QCOMPARE(stockTaken(taken, 400), -2.0 * (9 + val(qty)));
        QCOMPARE(stockTaken(taken, 1), -0.5 * (9 + val(qty)));
    }

    // The typed quantity leaves the shelf; the slip stores it rounded half to even.
    void fractionalQuantity_data()
    {
        QTest::addColumn<QString>("qty");
        QTest::addColumn<int>("stored");
        QTest::newRow("1.5") << "1.5" << 2;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("-0.5") << "-0.5" << 0;
    }
    void fractionalQuantity()
    {
        QFETCH(QString, qty);
        QFETCH(int, stored);
        SalesSlipRecord slip;
        QList<StockChange> taken;
        QVERIFY(buildSlip(entryOf(1, 9, qty, QStringLiteral("300")), true, slip, taken));
        QCOMPARE(int(slip.Line[1].Qty), stored);
        QCOMPARE(slip.Line[1].Amount, 300 * val(qty));
        // What leaves the shelf is what the stored slip gives back when it is corrected or deleted.
        QCOMPARE(stockTaken(taken, 400), -2.0 * stored);
        QCOMPARE(stockTaken(taken, 1), -0.5 * stored);
        StockRestoreTable back{};
        addStockTaken(slip, back);
        QCOMPARE(back[400] + stockTaken(taken, 400), 0.0);
        QCOMPARE(back[1] + stockTaken(taken, 1), 0.0);
    }

    // A set of item 400 and item 1, sold, corrected and deleted; the stock file shows every step.
    void soldCorrectedDeleted()
    {
        StockRestoreTable restore{};
        SaveOutcome saved = saveSale(entryOf(2, 9, QStringLiteral("3"), QStringLiteral("300")), false, restore);
        QVERIFY2(saved.saved && saved.error.isEmpty(), qPrintable(saved.error));
        QCOMPARE(saved.slipNo, qint64(1));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
        QCOMPARE(storedStock(400), 10.0 - 12);
        QCOMPARE(storedStock(1), 10.0 - 3);

        // Correction: what the stored slip took comes back, what the new lines take goes out.
        QVERIFY(ReadSalesSlip(1));
        addStockTaken(WorkingSlip, restore);
        QCOMPARE(restore[400], 12.0);
        QCOMPARE(restore[1], 3.0);
        QCOMPARE(restore[2], 0.0);
        saved = saveSale(entryOf(1, 9, QStringLiteral("1"), QStringLiteral("300")), true, restore);
        QVERIFY2(saved.saved && saved.error.isEmpty(), qPrintable(saved.error));
        QCOMPARE(saved.slipNo, qint64(1));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
        QCOMPARE(restore[400], 0.0);
        QCOMPARE(storedStock(400), 10.0 - 2);
        QCOMPARE(storedStock(1), 10.0 - 0.5);

        QVERIFY(ReadSalesSlip(1));
        addStockTaken(WorkingSlip, restore);
        QVERIFY(deleteSale(1, restore).saved);
        QCOMPARE(restore[400], 0.0);
        QCOMPARE(storedStock(400), 10.0);
        QCOMPARE(storedStock(1), 10.0);
        const QByteArray r = record(m_dir->bytes(QStringLiteral("reg.dat")), 1, Off::Sales::Size);
        QCOMPARE(i16(r, Off::Sales::Deleted), int16_t(1));
        QCOMPARE(i16(r, Off::Sales::line(1) + Off::Line::ProductNo), int16_t(9));
        QCOMPARE(i16(r, Off::Sales::line(2) + Off::Line::ProductNo), int16_t(0));
    }

    // A component outside 1 to 400 changes no stock, and taking stock back skips it too.
    void componentOutsideItemsIgnored()
    {
        setProduct(10, QStringLiteral("壊れた組"), 100, {{401, 1}, {0, 5}, {400, 1}});
        SalesSlipRecord slip;
        QList<StockChange> taken;
        QVERIFY(buildSlip(entryOf(1, 10, QStringLiteral("2"), QStringLiteral("100")), false, slip, taken));
        StockRestoreTable restore{};
        addStockTaken(slip, restore);
        QCOMPARE(restore[400], 2.0);
        QVERIFY(ApplyStockChanges(taken));
        QCOMPARE(storedStock(400), 8.0);
        QCOMPARE(slip.Tax, 0.0); // the tax switch was off
    }
};

QTEST_MAIN(TestSlipEntry)
#include "tst_slipentry.moc"
