// Sales slip saves and corrections: what is never stored, and the number a stored slip carries.
#include "offsets.h"
#include "storage/journal.h"
#include "storage/salessave.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "testutil.h"

#include <QtTest>

namespace {

// A slip of product `product` on line 1 (none for 0) and `amount` on line 2 without a product, carrying
// number `slipNo`.
SalesSlipRecord slipOf(int product, double amount, int32_t slipNo)
{
    return saleSlip(slipNo, QStringLiteral("2026/12/08"), {{product, product ? 1 : 0, 100}, {0, 1, amount}},
                    QStringLiteral("10:18:53"));
}

} // namespace

class TestSalesSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A slip without a product line is refused before anything is written, new or corrected: it would count
    // as a customer in the day's figures. A product on any line, the last one too, makes it a sale.
    void slipWithoutProductRefused_data()
    {
        QTest::addColumn<bool>("correction");
        QTest::addColumn<double>("amount");
        QTest::addColumn<int>("lastLineProduct");
        QTest::newRow("new, empty") << false << 0.0 << 0;
        QTest::newRow("new, an amount without a product") << false << 280.0 << 0;
        QTest::newRow("correction emptied") << true << 0.0 << 0;
        QTest::newRow("new, a product on the last line only") << false << 0.0 << 400;
        QTest::newRow("correction to the last line only") << true << 0.0 << 400;
    }
    void slipWithoutProductRefused()
    {
        QFETCH(bool, correction);
        QFETCH(double, amount);
        QFETCH(int, lastLineProduct);
        TestAppDir dir;
        SalesSlipRecord sold = slipOf(1, 0, 1);
        QVERIFY(SaveNewSalesSlip(sold, {}).saved);
        const QStringList files{QStringLiteral("reg.dat"), QStringLiteral("rireki.dat"), QStringLiteral("sys.ini")};
        const QList<QByteArray> before = dir.snapshot(files);
        SalesSlipRecord empty = slipOf(0, amount, 1);
        empty.Line[SalesSlipLineCount].ProductNo = int16_t(lastLineProduct);
        const SaveOutcome outcome = correction ? SaveCorrectedSalesSlip(1, empty, {}) : SaveNewSalesSlip(empty, {});
        if (lastLineProduct) {
            QVERIFY2(outcome.saved, qPrintable(outcome.error));
            return;
        }
        QVERIFY(!outcome.saved);
        QVERIFY2(outcome.error.contains(QStringLiteral("商品が 1 行もない")), qPrintable(outcome.error));
        QCOMPARE(dir.snapshot(files), before);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
    }

    // A save left pending (its counter never reached sys.ini) is completed by the next one, which is then
    // numbered after it: the number inside every stored slip is its record number, whatever the entry showed.
    void storedNumberIsRecordNumber_data()
    {
        QTest::addColumn<bool>("correction");
        QTest::newRow("new after a pending save") << false;
        QTest::newRow("correction carrying another number") << true;
    }
    void storedNumberIsRecordNumber()
    {
        QFETCH(bool, correction);
        TestAppDir dir;
        for (int n = 1; n <= 4; ++n) {
            SalesSlipRecord slip = slipOf(1, 0, n);
            QVERIFY(SaveNewSalesSlip(slip, {}).saved);
        }
        SalesSlipRecord fifth = slipOf(2, 0, 5);
        Transaction pending;
        pending.records << JournalRecord{QStringLiteral("reg.dat"), 5, EncodeSalesSlip(fifth), SalesSlipBlankRecord()};
        pending.settings << JournalSetting{Sys::NextSalesSlipNo, 6};
        dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(pending));

        SalesSlipRecord next = slipOf(3, 0, 5); // the number the entry showed
        const SaveOutcome outcome = correction ? SaveCorrectedSalesSlip(3, next, {}) : SaveNewSalesSlip(next, {});
        QVERIFY2(outcome.saved && outcome.error.isEmpty(), qPrintable(outcome.error));
        const qint64 stored = correction ? 3 : 6;
        QCOMPARE(outcome.slipNo, stored);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], correction ? 6.0 : 7.0);
        const QByteArray reg = dir.bytes(QStringLiteral("reg.dat"));
        for (qint64 n = 1; n <= reg.size() / Off::Sales::Size; ++n) {
            const QByteArray r = reg.mid((n - 1) * Off::Sales::Size, Off::Sales::Size);
            int32_t number = 0;
            std::memcpy(&number, r.constData() + Off::Sales::SlipNo, sizeof number);
            QCOMPARE(qint64(number), n);
        }
        QCOMPARE(reg.size(), (correction ? 5 : 6) * Off::Sales::Size);
    }
};

QTEST_MAIN(TestSalesSave)
#include "tst_salessave.moc"
