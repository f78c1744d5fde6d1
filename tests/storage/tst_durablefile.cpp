// The order of a durable replacement's steps, seen through substituted system calls, and each step failing.
#include "storage/durablefile.h"
#include "testutil.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

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

    void stepsInOrder()
    {
        const Result r = replaceFile(path(), "new");
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(m_steps,
                 (QStringList{"write sys.ini.new", "fsync sys.ini.new", "rename sys.ini.new sys.ini", "fsync folder"}));
        QCOMPARE(contents(), QByteArray("new"));
        QVERIFY(!QFile::exists(path() + QStringLiteral(".new")));
    }

    void failedStepKeepsOldFile_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("stepsRun");
        QTest::newRow("write") << "write" << 1;
        QTest::newRow("fsync") << "fsync" << 2;
        QTest::newRow("rename") << "rename" << 3;
    }
    void failedStepKeepsOldFile()
    {
        QFETCH(QString, failing);
        QFETCH(int, stepsRun);
        m_failing = failing;
        const Result r = replaceFile(path(), "new");
        QVERIFY(!r.ok);
        QVERIFY2(r.error.startsWith(QStringLiteral("sys.ini を保存できません")), qPrintable(r.error));
        const QString reason = failing == u"rename" ? QStringLiteral("refused") : QStringLiteral("no room");
        QVERIFY2(r.error.contains(reason), qPrintable(r.error)); // the step's own reason, never "Unknown error"
        QCOMPARE(m_steps.size(), stepsRun); // nothing after the failed step, above all no rename
        QCOMPARE(contents(), QByteArray("old"));
        QVERIFY(!QFile::exists(path() + QStringLiteral(".new")));
    }
};

QTEST_GUILESS_MAIN(TestDurableFile)
#include "tst_durablefile.moc"
