// The order of a durable replacement's steps, seen through substituted system calls, and each step failing.
#include "storage/durablefile.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <sys/resource.h>

using Last = void (*)(NewFile&);
Q_DECLARE_METATYPE(Last)

class TestDurableFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QStringList m_steps;
    QString m_failing; // the step that reports failure, or empty

    QString path() const { return m_dir.filePath(QStringLiteral("sys.ini")); }
    QByteArray contents() const { return fileBytes(path()); }

    // The system's steps, each first noted with what it works on; the failing one does nothing.
    void recordSteps()
    {
        const DurableSteps system = systemDurableSteps();
        DurableSteps& steps = durableSteps();
        steps.write = [this, system](QFileDevice& file, const QByteArray& bytes, QString& error) {
            m_steps << QStringLiteral("write ") + QFileInfo(file.fileName()).fileName();
            if (m_failing == u"write") {
                error = QStringLiteral("no room");
                return false;
            }
            return system.write(file, bytes, error);
        };
        steps.sync = [this, system](QFileDevice& file, QString& error) {
            m_steps << QStringLiteral("fsync ") + QFileInfo(file.fileName()).fileName();
            if (m_failing == u"fsync") {
                error = QStringLiteral("no room");
                return false;
            }
            return system.sync(file, error);
        };
        steps.rename = [this, system](const QString& from, const QString& to, QString& error) {
            m_steps << QStringLiteral("rename %1 %2").arg(QFileInfo(from).fileName(), QFileInfo(to).fileName());
            if (m_failing == u"rename") {
                error = QStringLiteral("refused");
                return false;
            }
            return system.rename(from, to, error);
        };
        steps.syncFolder = [this, system](const QString& folder) {
            m_steps << QStringLiteral("fsync folder") + (folder == m_dir.path() ? QString() : folder);
            return system.syncFolder(folder);
        };
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(putFile(path(), "old"));
        m_steps.clear();
        m_failing.clear();
        recordSteps();
    }
    void cleanup() { durableSteps() = systemDurableSteps(); }

    // Whatever the size, every byte reaches the file after the four steps in order, an empty file (a file emptied
    // by a reset) included; a step that fails stops the replacement there, with its own reason, and the old file stays.
    void replacementStepByStep_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("failing"); // empty: none
        QTest::addColumn<int>("stepsRun");
        QTest::addColumn<QString>("reason");
        // clang-format off
        QTest::newRow("three bytes") << QByteArray("new") << QString() << 4 << QString();
        QTest::newRow("one byte") << QByteArray("n") << QString() << 4 << QString();
        QTest::newRow("nothing") << QByteArray() << QString() << 4 << QString();
        QTest::newRow("open") << QByteArray("new") << "open" << 0 << QString(); // a folder in the way: no step is tried
        QTest::newRow("write") << QByteArray("new") << "write" << 1 << "no room";
        QTest::newRow("write, the system's own") << QByteArray("new") << "full" << 1 << systemReason(ENOSPC);
        QTest::newRow("fsync") << QByteArray("new") << "fsync" << 2 << "no room";
        QTest::newRow("rename") << QByteArray("new") << "rename" << 3 << "refused";
        // clang-format on
    }
    void replacementStepByStep()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, failing);
        QFETCH(int, stepsRun);
        QFETCH(QString, reason);
        const QString beside = path() + QStringLiteral(".new");
        if (failing == u"open")
            QVERIFY(QDir().mkpath(beside));
        else if (failing == u"full")
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), beside));
        else
            m_failing = failing;
        const Result r = replaceFile(path(), bytes);
        const QStringList steps{"write sys.ini.new", "fsync sys.ini.new", "rename sys.ini.new sys.ini", "fsync folder"};
        QCOMPARE(m_steps, steps.first(stepsRun)); // nothing after a failed step, above all no rename
        QVERIFY(QFileInfo::exists(path()));
        QCOMPARE(QFileInfo::exists(beside), failing == u"open"); // what it wrote is gone, a folder is not its own
        QDir(beside).removeRecursively();
        if (failing.isEmpty()) {
            QVERIFY2(r.ok, qPrintable(r.error));
            QCOMPARE(contents(), bytes);
            return;
        }
        QVERIFY(!r.ok);
        QVERIFY2(r.error.startsWith(QStringLiteral("sys.ini を保存できません")), qPrintable(r.error));
        QVERIFY2(r.error.contains(reason), qPrintable(r.error)); // the step's own reason, never "Unknown error"
        QCOMPARE(contents(), QByteArray("old"));
    }

    // Data that did not reach the disk is never reported as flushed, whether the caller wants the reason or not.
    void syncReportsWhatDidNotReachTheDisk_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<bool>("wantReason");
        for (const bool want : {true, false}) {
            QTest::addRow("flush, reason %s", want ? "wanted" : "not wanted") << "flush" << want;
            QTest::addRow("fsync, reason %s", want ? "wanted" : "not wanted") << "fsync" << want;
        }
    }
    void syncReportsWhatDidNotReachTheDisk()
    {
        QFETCH(QString, failing);
        QFETCH(bool, wantReason);
        QFile file(failing == u"flush" ? m_dir.filePath(QStringLiteral("big")) : QStringLiteral("/dev/full"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        if (failing == u"flush") {
            QCOMPARE(file.write(QByteArray(1024, 'x')), qint64(1024)); // held by Qt until the flush
            rlimit small = limit;
            small.rlim_cur = 512;
            std::signal(SIGXFSZ, SIG_IGN);
            setrlimit(RLIMIT_FSIZE, &small);
        }
        QString reason;
        const bool synced = syncToDisk(file, wantReason ? &reason : nullptr);
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(!synced);
        QCOMPARE(reason.isEmpty(), !wantReason);
        file.close();
        QFile::remove(m_dir.filePath(QStringLiteral("big")));
    }

    // A new file left unfinished is removed; a finished one stays beside the old file for the journal to rename.
    void newFileKeptOnlyWhenFinished_data()
    {
        QTest::addColumn<Last>("last"); // the last step before the NewFile goes
        QTest::addColumn<QByteArray>("beside");
        QTest::addColumn<QByteArray>("file");
        // clang-format off
        QTest::newRow("appended") << Last([](NewFile&) {}) << QByteArray() << QByteArray("old");
        QTest::newRow("discarded") << Last([](NewFile& f) { f.discard(); }) << QByteArray() << QByteArray("old");
        QTest::newRow("finished") << Last([](NewFile& f) { QVERIFY(f.finish()); }) << QByteArray("new")
            << QByteArray("old");
        QTest::newRow("committed") << Last([](NewFile& f) { QVERIFY(f.commit()); }) << QByteArray()
            << QByteArray("new");
        // clang-format on
    }
    void newFileKeptOnlyWhenFinished()
    {
        QFETCH(Last, last);
        QFETCH(QByteArray, beside);
        QFETCH(QByteArray, file);
        {
            NewFile f(path());
            QVERIFY(f.open() && f.append("new"));
            last(f);
        }
        QCOMPARE(fileBytes(path() + QStringLiteral(".new")), beside);
        QCOMPARE(QFileInfo::exists(path() + QStringLiteral(".new")), !beside.isEmpty());
        QCOMPARE(contents(), file);
        QFile::remove(path() + QStringLiteral(".new"));
    }
};

QTEST_GUILESS_MAIN(TestDurableFile)
#include "tst_durablefile.moc"
