// The data file table, how far a save may reach into a file, and the counters raised to a restored slip file.
#include "offsets.h"
#include "storage/datafiles.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QDir>
#include <QtTest>

namespace {

// `count` records of `size` bytes, those listed in `slips` holding their slip number, the others blank (0).
QByteArray slipFile(int count, const QList<int>& slips, int size = 1024)
{
    QByteArray bytes(qsizetype(count) * size, ' ');
    for (int n = 1; n <= count; ++n)
        putInt32(bytes.data() + (n - 1) * size + 60, slips.contains(n) ? n : 0);
    return bytes;
}

} // namespace

class TestDataFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void table_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("recordSize"); // -1: not a data file
        QTest::newRow("settings") << "sys.ini" << 0;
        QTest::newRow("products") << "syohin.dat" << 512;
        QTest::newRow("sales") << "reg.dat" << 1024;
        QTest::newRow("items") << "zaiko.dat" << 128;
        QTest::newRow("suppliers") << "siiresaki.dat" << 128;
        QTest::newRow("purchases") << "siire.dat" << 1024;
        QTest::newRow("corrections cache") << "rireki.cor" << 0;
        QTest::newRow("history anchor") << "rireki.anc" << 64;
        QTest::newRow("upper case") << "REG.DAT" << -1;
        QTest::newRow("journal") << "till.journal" << -1;
        QTest::newRow("leftover") << "reg.dat.new" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void table()
    {
        QFETCH(QString, name);
        QFETCH(int, recordSize);
        const DataFileInfo* f = findDataFile(name);
        QCOMPARE(f ? f->recordSize : -1, recordSize);
        if (f && recordSize == 0) // not a record file: no save writes records to it
            QCOMPARE(plausibleRecordEnd(*f), qint64(0));
    }

    void plausibleEnd_data()
    {
        QTest::addColumn<int>("records"); // in reg.dat, the last one 100 bytes short
        QTest::addColumn<double>("prepared");
        QTest::addColumn<double>("next");
        QTest::addColumn<qint64>("end");
        QTest::newRow("empty file, fresh counters") << 0 << 0.0 << 1.0 << qint64(1 + AppendMargin);
        QTest::newRow("file longest") << 300 << 10.0 << 20.0 << qint64(300 + AppendMargin);
        QTest::newRow("file longest, whole records") << -300 << 10.0 << 20.0 << qint64(300 + AppendMargin);
        QTest::newRow("prepared count longest") << 3 << 5000.0 << 4.0 << qint64(5000 + AppendMargin);
        QTest::newRow("next slip longest") << 3 << 0.0 << 9000.0 << qint64(9000 + AppendMargin);
        QTest::newRow("counters not numbers") << 2 << qQNaN() << -5.0 << qint64(2 + AppendMargin);
        QTest::newRow("counters beyond 32 bits") << 2 << 1e300 << 0.0 << qint64(2147483647 + AppendMargin);
    }
    void plausibleEnd()
    {
        QFETCH(int, records);
        QFETCH(double, prepared);
        QFETCH(double, next);
        QFETCH(qint64, end);
        TestAppDir dir;
        if (records > 0)
            dir.writeBytes(QStringLiteral("reg.dat"), QByteArray(records * 1024 - 100, 'x')); // a part record too
        else if (records < 0)
            dir.writeBytes(QStringLiteral("reg.dat"), QByteArray(-records * 1024, 'x'));
        SysNum[Sys::SalesRecordCount] = prepared;
        SysNum[Sys::NextSalesSlipNo] = next;
        QCOMPARE(plausibleRecordEnd(*findDataFile(u"reg.dat")), end);
        // A file with a count but no next number: index 0 of the table is never one of its counters.
        SysNum[0] = 90000;
        SysNum[Sys::SupplierCount] = 100;
        QCOMPARE(plausibleRecordEnd(*findDataFile(u"siiresaki.dat")), 100 + AppendMargin);
        SysNum[0] = 0;
    }

    // Restoring a slip file alone: the counters rise to what it holds, never fall, and sys.ini says so too.
    void countersRaisedToRestoredFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("records");
        QTest::addColumn<QList<int>>("slips");
        QTest::addColumn<double>("prepared");
        QTest::addColumn<double>("next");
        QTest::addColumn<double>("preparedAfter");
        QTest::addColumn<double>("nextAfter");
        QTest::addColumn<QString>("note");
        // clang-format off
        QTest::newRow("3000 slips, counter at 6") << "reg.dat" << 3000 << QList<int>{1, 2, 2999, 3000} << 100.0 << 6.0
            << 3000.0 << 3001.0 << "reg.dat に合わせて、次の伝票番号を 6 から 3001 に、データ件数を 100 から 3000 に上げました。";
        QTest::newRow("purchase slips") << "siire.dat" << 40 << QList<int>{1, 12} << 40.0 << 3.0 << 40.0 << 13.0
            << "siire.dat に合わせて、次の伝票番号を 3 から 13 に上げました。";
        QTest::newRow("prepared blanks are no slips") << "reg.dat" << 500 << QList<int>{1, 2} << 500.0 << 3.0 << 500.0 << 3.0 << "";
        QTest::newRow("counters ahead stay") << "reg.dat" << 10 << QList<int>{10} << 800.0 << 900.0 << 800.0 << 900.0 << "";
        QTest::newRow("only the count behind") << "siire.dat" << 50 << QList<int>{4} << 20.0 << 7.0 << 50.0 << 7.0
            << "siire.dat に合わせて、データ件数を 20 から 50 に上げました。";
        QTest::newRow("only the first slip") << "siire.dat" << 3 << QList<int>{1} << 0.0 << 1.0 << 3.0 << 2.0
            << "siire.dat に合わせて、次の伝票番号を 1 から 2 に、データ件数を 0 から 3 に上げました。";
        QTest::newRow("empty file") << "reg.dat" << 0 << QList<int>{} << 0.0 << 1.0 << 0.0 << 1.0 << "";
        QTest::newRow("no file") << "reg.dat" << -1 << QList<int>{} << 4.0 << 9.0 << 4.0 << 9.0 << "";
        QTest::newRow("not a slip file") << "zaiko.dat" << 400 << QList<int>{400} << 0.0 << 1.0 << 0.0 << 1.0 << "";
        // clang-format on
    }
    void countersRaisedToRestoredFile()
    {
        QFETCH(QString, file);
        QFETCH(int, records);
        QFETCH(QList<int>, slips);
        QFETCH(double, prepared);
        QFETCH(double, next);
        QFETCH(double, preparedAfter);
        QFETCH(double, nextAfter);
        QFETCH(QString, note);
        TestAppDir dir;
        const bool sales = file != u"siire.dat";
        const int countAt = sales ? Sys::SalesRecordCount : Sys::PurchaseRecordCount;
        const int nextAt = sales ? Sys::NextSalesSlipNo : Sys::NextPurchaseSlipNo;
        SysNum[countAt] = prepared;
        SysNum[nextAt] = next;
        QVERIFY(SaveSettings());
        if (records >= 0)
            dir.writeBytes(file, slipFile(records, slips, file == u"zaiko.dat" ? 128 : 1024));
        QString raised = QStringLiteral("left from before");
        QVERIFY(RaiseCountersToRestoredFile(file, &raised));
        QCOMPARE(raised, note);
        QCOMPARE(SysNum[countAt], preparedAfter);
        QCOMPARE(SysNum[nextAt], nextAfter);
        QVERIFY(LoadSettings());
        QCOMPARE(SysNum[countAt], preparedAfter);
        QCOMPARE(SysNum[nextAt], nextAfter);
    }

    // sys.ini cannot be written: the counters in memory stay as the file holds them, and the reason is given.
    void unsavedCountersStayAsTheyWere()
    {
        TestAppDir dir;
        SysNum[Sys::SalesRecordCount] = 1;
        SysNum[Sys::NextSalesSlipNo] = 2;
        QVERIFY(SaveSettings());
        dir.writeBytes(QStringLiteral("reg.dat"), slipFile(8, {8}));
        QVERIFY(QDir().mkpath(dir.file(QStringLiteral("sys.ini.new"))));
        const Result r = RaiseCountersToRestoredFile(QStringLiteral("sys.ini"), nullptr);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("sys.ini")), qPrintable(r.error));
        QCOMPARE(SysNum[Sys::SalesRecordCount], 1.0);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
    }

    // A restored sys.ini may lag behind both slip files.
    void restoredSettingsCheckedAgainstBothSlipFiles()
    {
        TestAppDir dir;
        SysNum[Sys::SalesRecordCount] = SysNum[Sys::PurchaseRecordCount] = 0;
        SysNum[Sys::NextSalesSlipNo] = SysNum[Sys::NextPurchaseSlipNo] = 1;
        QVERIFY(SaveSettings());
        dir.writeBytes(QStringLiteral("reg.dat"), slipFile(2, {2}));
        dir.writeBytes(QStringLiteral("siire.dat"), slipFile(4, {3}));
        QString raised;
        QVERIFY(RaiseCountersToRestoredFile(QStringLiteral("sys.ini"), &raised));
        QCOMPARE(raised.count(u'\n'), 1);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 3.0);
        QCOMPARE(SysNum[Sys::NextPurchaseSlipNo], 4.0);
        QCOMPARE(SysNum[Sys::PurchaseRecordCount], 4.0);
        dir.writeBytes(QStringLiteral("reg.dat"), slipFile(9, {9}));
        QVERIFY(RaiseCountersToRestoredFile(QStringLiteral("sys.ini"), nullptr)); // no sentence wanted
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 10.0);
    }
};

QTEST_GUILESS_MAIN(TestDataFiles)
#include "tst_datafiles.moc"
