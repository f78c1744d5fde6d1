// The resets behind data initialisation: typed counts, stored counts that cannot be used, and failures that must
// leave the tables in memory matching the files.
#include "../common/offsets.h"
#include "../common/testutil.h"

#include "storage/initialise.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <cmath>
#include <limits>

class TestInitialise : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A save journalled but not yet applied is completed before the reset, so it can never bring the old
    // slip and counter back into the emptied file afterwards.
    void pendingSaveCompletedBeforeReset()
    {
        TestAppDir dir;
        SysNum[Sys::SalesRecordCount] = 3;
        SysNum[Sys::NextSalesSlipNo] = 1;
        QVERIFY(SaveSettings());
        Transaction t;
        t.description = QStringLiteral("伝票 1 の保存");
        t.records << JournalRecord{QStringLiteral("reg.dat"), 1, QByteArray(SalesSlipRecordSize, 'x'),
                                   QByteArray(SalesSlipRecordSize, ' ')};
        t.settings << JournalSetting{Sys::NextSalesSlipNo, 2};
        // Stopped right after the journal reached the disk, as a power cut would stop it.
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::JournalWritten)
                throw step;
        });
        QVERIFY_THROWS_EXCEPTION(JournalStep, CommitTransaction(t));
        SetJournalHook(nullptr);
        QVERIFY(QFile::exists(JournalPath()));

        QVERIFY(ResetSalesSlips(5, ResetSteps{}));
        QVERIFY(!QFile::exists(JournalPath()));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 1.0);
        QCOMPARE(dir.bytes("reg.dat").mid(0, 10), QByteArray(10, ' ')); // slip 1 blank, not the journalled one
        // Every line of every emptied slip, down to the last line of the last slip, names the product "0".
        QCOMPARE(dir.bytes("reg.dat").mid(2 * 1024 + Off::Sales::line(10) + Off::Line::Name, 2), QByteArray("0 "));
        QString completed;
        QVERIFY(RecoverJournal(&completed));
        QVERIFY(completed.isEmpty());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 1.0);
    }

    void countFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("max");
        QTest::addColumn<qint64>("expected"); // -1: refused
        QTest::newRow("empty is 0") << QString() << qint64(1000) << qint64(0);
        QTest::newRow("blanks around") << QStringLiteral("  500 ") << qint64(1000) << qint64(500);
        QTest::newRow("at the limit") << QStringLiteral("1000") << qint64(1000) << qint64(1000);
        QTest::newRow("one beyond") << QStringLiteral("1001") << qint64(1000) << qint64(-1);
        QTest::newRow("32-bit limit") << QStringLiteral("2147483647") << MaxSlipCount << MaxSlipCount;
        QTest::newRow("beyond 32 bits") << QStringLiteral("2147483648") << MaxSlipCount << qint64(-1);
        QTest::newRow("very long") << QStringLiteral("99999999999999999999999") << MaxSlipCount << qint64(-1);
        QTest::newRow("fraction") << QStringLiteral("1.5") << qint64(1000) << qint64(-1);
        QTest::newRow("negative") << QStringLiteral("-1") << qint64(1000) << qint64(-1);
        QTest::newRow("trailing text") << QStringLiteral("12a") << qint64(1000) << qint64(-1);
        QTest::newRow("full-width digits") << QStringLiteral("５００") << qint64(1000) << qint64(-1);
    }
    void countFromText()
    {
        QFETCH(QString, text);
        QFETCH(qint64, max);
        QFETCH(qint64, expected);
        QCOMPARE(::countFromText(text, max).value_or(-1), expected);
    }

    void storedCountThatCannotBeUsedStopsBeforeAnything_data()
    {
        QTest::addColumn<double>("stored");
        QTest::newRow("negative") << -1.0;
        QTest::newRow("beyond 32 bits") << 3e9;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
    }
    void storedCountThatCannotBeUsedStopsBeforeAnything()
    {
        QFETCH(double, stored);
        TestAppDir dir;
        SysNum[1] = stored;
        SysNum[2] = 7;
        bool kept = false;
        ResetSteps steps;
        steps.keepOld = [&](const QString&) {
            kept = true;
            return Result::success();
        };
        const Result r = ResetSalesSlips(10, steps);
        QVERIFY(!r);
        QVERIFY(r.error.contains(QStringLiteral("売上データ件数")));
        QVERIFY(!kept);
        QVERIFY(!QFile::exists(dir.file("reg.dat")));
        QCOMPARE(SysNum[2], 7.0);
    }

    void keepFailureStopsTheReset()
    {
        TestAppDir dir;
        SysNum[3] = 2;
        SysNum[4] = 5;
        dir.writeBytes("siire.dat", QByteArray(2048, 'x'));
        ResetSteps steps;
        steps.keepOld = [](const QString&) { return Result::failure(QStringLiteral("no room")); };
        QCOMPARE(ResetPurchaseSlips(0, steps).error, QStringLiteral("no room"));
        QCOMPARE(dir.bytes("siire.dat"), QByteArray(2048, 'x'));
        QCOMPARE(SysNum[4], 5.0);
    }

    // sys.ini cannot be written once reg.dat is replaced: the reset has taken effect and its counters are
    // journalled; they reach sys.ini as soon as it can be written, never the old counters with the new file.
    void unsavedSettingsAreCompletedFromTheJournal()
    {
        TestAppDir dir;
        SysNum[1] = 2;
        SysNum[2] = 9;
        QVERIFY(SaveSettings());
        dir.writeBytes("reg.dat", QByteArray(3 * 1024, 'x'));
        // sys.ini is written beside itself and renamed; a folder in the way makes that fail.
        QVERIFY(QDir().mkpath(dir.file("sys.ini.new")));
        qint64 lastDone = 0;
        ResetSteps steps;
        steps.progress = [&](qint64 done, qint64 total) {
            QCOMPARE(total, qint64(2));
            lastDone = done;
        };
        const Result r = ResetSalesSlips(100, steps);
        QVERIFY(r.ok);
        QVERIFY2(r.error.contains(QStringLiteral("sys.ini")), qPrintable(r.error));
        QCOMPARE(lastDone, qint64(2));
        QCOMPARE(dir.bytes("reg.dat").mid(2048), QByteArray(1024, 'x'));
        QCOMPARE(dir.bytes("reg.dat").mid(0, 10), QByteArray(10, ' '));
        QVERIFY(QFile::exists(JournalPath()));
        QVERIFY(QDir(dir.file("sys.ini.new")).removeRecursively());
        QVERIFY(LoadSettings());
        QCOMPARE(SysNum[2], 9.0);
        QVERIFY(RecoverJournal(nullptr));
        QVERIFY(LoadSettings());
        QCOMPARE(SysNum[1], 100.0);
        QCOMPARE(SysNum[2], 1.0);
    }

    void unwritableProductFileLeavesTheTable()
    {
        TestAppDir dir;
        ProductTable[1].ProductName = QStringLiteral("りんご");
        SysNum[6] = 400;
        QVERIFY(QDir().mkpath(dir.file("syohin.dat")));
        QVERIFY(!ResetProducts(1, {}));
        QCOMPARE(ProductTable[1].ProductName, QStringLiteral("りんご"));
        QCOMPARE(SysNum[6], 400.0);
    }
};

QTEST_MAIN(TestInitialise)
#include "tst_initialise.moc"
