// Start-up: one copy per program directory, and no window without a complete settings file.
#include "app/startup.h"
#include "platform/frontrequest.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salessave.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QSysInfo>
#include <QtTest>
#include <atomic>
#include <thread>

// Where a start that cannot take the lock is made: the program directory to start in.
using LockProblem = QString (*)(const TestAppDir& dir);
Q_DECLARE_METATYPE(LockProblem)

namespace {
struct StopSave
{
};
void stopAfterJournal(JournalStep step)
{
    if (step == JournalStep::JournalWritten)
        throw StopSave{};
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Whatever a copy that ended badly left in till.lock, the start takes the lock, the settings and the products.
    void leftoverLockDoesNotBlock_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty file, power cut while it was written") << QByteArray();
        QTest::newRow("other host, folder copied from another computer") << QByteArray("4242\ntill\nshop-pc-old\n");
        // A process number that is not in use: our own child, already ended.
        QProcess ended;
        ended.start(QStringLiteral("true"));
        ended.waitForFinished();
        QTest::newRow("dead process")
            << QStringLiteral("%1\ntill\n%2\n").arg(ended.processId()).arg(QSysInfo::machineHostName()).toUtf8();
        QTest::newRow("binary rubbish") << QByteArray("\xFF\x00\x12garbage", 10);
    }
    void leftoverLockDoesNotBlock()
    {
        QFETCH(QByteArray, content);
        TestAppDir dir;
        dir.writeBytes(QStringLiteral("till.lock"), content);
        QByteArray product(512, ' ');
        putDouble(product.data() + 36, 180);
        dir.writeBytes(QStringLiteral("syohin.dat"), product);
        SysNum[2] = 0;
        std::unique_ptr<InstanceLock> lock;
        const Result r = startTill(dir.path(), lock);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(lock && lock->acquired());
        QCOMPARE(AppDir, dir.path());
        QCOMPARE(SysNum[2], 1.0);
        QCOMPARE(ProductTable[1].SalePrice, 180.0);
    }

    // A second start is refused without touching a file, and the running copy, undisturbed, is asked to the
    // front; once it ends the directory can be used again.
    void secondStartBringsRunningCopyForward()
    {
        TestAppDir dir;
        std::unique_ptr<InstanceLock> first;
        QVERIFY(startTill(dir.path(), first).ok);
        const QStringList before = QDir(dir.path()).entryList(QDir::Files);
        const QByteArray settings = dir.bytes(QStringLiteral("sys.ini"));
        int requests = 0;
        FrontRequestListener listener(frontRequestName(dir.path()), [&] { ++requests; });
        QVERIFY(listener.listening());

        // The second start runs in a thread of its own, as it would in a process of its own, while this one serves.
        std::atomic<bool> done = false;
        std::unique_ptr<InstanceLock> second;
        Result refused;
        std::thread start([&] {
            refused = startTill(dir.path(), second);
            done = true;
        });
        QTRY_VERIFY(done.load());
        start.join();
        QCOMPARE(refused.error, QStringLiteral("既に起動されています。"));
        QVERIFY(!second);
        QCOMPARE(requests, 1);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), before);
        QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), settings);
        QVERIFY(first->acquired());

        // Another program directory is another copy, and nobody listens for it.
        QTemporaryDir other;
        QVERIFY(frontRequestName(other.path()) != frontRequestName(dir.path()));
        QVERIFY(!requestFront(frontRequestName(other.path()), 200));
        QCOMPARE(requests, 1);
        first.reset();
        QVERIFY(startTill(dir.path(), second).ok);
    }

    void liveCopyInAnotherProcess()
    {
        TestAppDir dir;
        std::unique_ptr<InstanceLock> lock;
        QVERIFY(startTill(dir.path(), lock).ok);
        lock.reset();
        // Another process holds the lock the way a running copy does, then dies without cleaning up.
        QProcess other;
        other.start(QStringLiteral("sh"),
                    {QStringLiteral("-c"), QStringLiteral("exec 9<>\"$0\" && flock -n 9 && exec sleep 60"),
                     dir.file(QStringLiteral("till.lock"))});
        QVERIFY(other.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                InstanceLock probe(dir.path());
                return probe.heldByOther();
            }(),
            10000);
        const Result r = startTill(dir.path(), lock);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("既に起動されています。"));
        other.kill();
        other.waitForFinished();
        QVERIFY(startTill(dir.path(), lock).ok);
    }

    void lockThatCannotBeTaken_data()
    {
        QTest::addColumn<LockProblem>("problem");
        QTest::newRow("no such directory")
            << LockProblem([](const TestAppDir& dir) { return dir.file(QStringLiteral("not-there")); });
        QTest::newRow("lock is a directory") << LockProblem([](const TestAppDir& dir) {
            QDir(dir.path()).mkdir(QStringLiteral("till.lock"));
            return dir.path();
        });
    }
    void lockThatCannotBeTaken()
    {
        QFETCH(LockProblem, problem);
        TestAppDir dir;
        std::unique_ptr<InstanceLock> lock;
        const Result r = startTill(problem(dir), lock);
        QVERIFY(!r.ok);
        QVERIFY(!r.error.contains(QStringLiteral("既に起動されています")));
        QVERIFY2(r.error.contains(QStringLiteral("till.lock")), qPrintable(r.error));
    }

    void completesInterruptedSave()
    {
        TestAppDir dir;
        dir.writeStock({});
        SysNum[2] = 6;
        QVERIFY(SaveSettings().ok);
        SalesSlipRecord slip;
        slip.Date = QStringLiteral("2024/06/01");
        slip.Line[1].ProductNo = 1;
        slip.Total = 500;
        SetJournalHook(&stopAfterJournal);
        QVERIFY_THROWS_EXCEPTION(StopSave, SaveNewSalesSlip(slip, {{12, -2}}));
        SetJournalHook(nullptr);
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("reg.dat"))) || dir.bytes(QStringLiteral("reg.dat")).isEmpty());

        std::unique_ptr<InstanceLock> lock;
        QString notice;
        const Result r = startTill(dir.path(), lock, &notice);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(notice, QStringLiteral("前回中断した伝票 6 の保存を完了しました。"));
        QCOMPARE(SysNum[2], 7.0);
        QCOMPARE(dir.bytes(QStringLiteral("reg.dat")).size(), 6 * 1024);
        QCOMPARE(getDouble(dir.bytes(QStringLiteral("reg.dat")).constData() + 5 * 1024 + 720), 500.0);
        QCOMPARE(dir.stockOf(12), -2.0);

        // Told once: the next start has nothing to complete.
        lock.reset();
        QVERIFY(startTill(dir.path(), lock, &notice).ok);
        QVERIFY(notice.isEmpty());
    }

    void refusesBadSettings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("short") << QByteArray("1\r\n2\r\n") << true;
        QTest::newRow("not a number") << QByteArray("abc\r\n") << true;
    }

    void refusesBadSettings()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, present);
        TestAppDir dir;
        QFile::remove(dir.file(QStringLiteral("sys.ini")));
        if (present)
            dir.writeBytes(QStringLiteral("sys.ini"), content);
        std::unique_ptr<InstanceLock> lock;
        const Result r = startTill(dir.path(), lock);
        QVERIFY(!r.ok);
        QVERIFY(r.error.contains(QStringLiteral("sys.ini")));
        QCOMPARE(QFile::exists(dir.file(QStringLiteral("sys.ini"))), present);
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("syohin.dat"))));
    }

    void standardButtonsReadJapanese()
    {
        // Without Qt's own Japanese translation the Yes/No questions would show English buttons.
        setUpJapanese(*qApp);
        QMessageBox box(QMessageBox::Question, QString(), QStringLiteral("削除しますか。"),
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
    }

    // A process stopped before a rename leaves a file beside its name; the next start removes it, unless a pending
    // journal still needs it to complete a reset.
    void leftoversRemovedAtStart_data()
    {
        QTest::addColumn<QString>("leftover");
        QTest::addColumn<bool>("pendingReset"); // a journal replacing reg.dat by reg.dat.new is on disk
        QTest::newRow("journal") << "till.journal.new" << false;
        QTest::newRow("settings") << "sys.ini.new" << false;
        QTest::newRow("reset of reg.dat") << "reg.dat.new" << false;
        QTest::newRow("reset of zaiko.dat") << "zaiko.dat.new" << false;
        QTest::newRow("reset the journal needs") << "reg.dat.new" << true;
    }

    void leftoversRemovedAtStart()
    {
        QFETCH(QString, leftover);
        QFETCH(bool, pendingReset);
        TestAppDir dir;
        dir.writeBytes(QStringLiteral("reg.dat"), QByteArray(1024, 'o'));
        dir.writeBytes(QStringLiteral("notes.new"), "the shop's own file");
        dir.writeBytes(leftover, QByteArray(1024, 'n'));
        if (pendingReset) {
            Transaction t;
            t.description = QStringLiteral("reg.dat の初期化");
            t.replacements << JournalReplace{QStringLiteral("reg.dat")};
            dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(t));
        }
        std::unique_ptr<InstanceLock> lock;
        QString notice;
        const Result r = startTill(dir.path(), lock, &notice);
        QVERIFY2(r.ok, qPrintable(r.error));
        QVERIFY(!QFile::exists(dir.file(leftover)));
        QVERIFY(QFile::exists(dir.file(QStringLiteral("notes.new")))); // only our own names are touched
        QCOMPARE(dir.bytes(QStringLiteral("reg.dat")), QByteArray(1024, pendingReset ? 'n' : 'o'));
        QCOMPARE(notice.isEmpty(), !pendingReset);
    }

    // A journal no save could have written is not applied, and the shopkeeper is told.
    void forgedJournalIsReported()
    {
        TestAppDir dir;
        Transaction t;
        t.description = QStringLiteral("伝票 1 の保存");
        t.records << JournalRecord{QStringLiteral("till"), 1, QByteArray(1024, 'x'), QByteArray(1024, ' ')};
        dir.writeBytes(QStringLiteral("till.journal"), JournalBytes(t));
        std::unique_ptr<InstanceLock> lock;
        QString notice;
        QVERIFY(startTill(dir.path(), lock, &notice).ok);
        QVERIFY2(notice.contains(QStringLiteral("till.journal")) && notice.contains(QStringLiteral("「till」")),
                 qPrintable(notice));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("till"))));
        QVERIFY(!QFile::exists(JournalPath()));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
