// Dated archives of a data file in the backup folder: names, no overwriting, and a missing file.
#include "platform/archiver.h"
#include "platform/keepcopy.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestKeepCopy : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void namesAreDatedAndNeverReused()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("reg.dat");
        QVERIFY(putFile(data, QByteArray(5000, 'r')));
        const QDateTime when(QDate(2026, 12, 7), QTime(15, 30, 0));
        QString first, second;
        qint64 seen = 0;
        QVERIFY(keepCopy(data, when, first, [&](qint64 done, qint64 total) {
            QCOMPARE(total, qint64(5000));
            seen = done;
        }));
        QCOMPARE(seen, qint64(5000));
        QCOMPARE(first, dir.filePath("backup/reg-20261207-153000.lzh"));
        QVERIFY(keepCopy(data, when, second));
        QCOMPARE(second, dir.filePath("backup/reg-20261207-153000-2.lzh"));
        QVERIFY(QFileInfo(first).size() > 0);
        QCOMPARE(QDir(dir.filePath("backup")).entryList(QDir::Files).size(), 2); // no temporary left behind
    }

    void missingFileKeepsNothing()
    {
        QTemporaryDir dir;
        QString archive = QStringLiteral("stale");
        QVERIFY(keepCopy(dir.filePath("zaiko.dat"), QDateTime::currentDateTime(), archive));
        QVERIFY(archive.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath("backup")));
    }

    // The history goes into the archive just made of the slips, or into one of its own when there was none.
    void historyIsKeptAlongside_data()
    {
        QTest::addColumn<bool>("slipsKept");
        QTest::addColumn<QStringList>("extracted"); // the files the archive holds
        QTest::newRow("with the slips") << true << QStringList{"reg.dat", "rireki.dat"};
        QTest::newRow("on its own") << false << QStringList{"rireki.dat"};
    }

    void historyIsKeptAlongside()
    {
        QFETCH(bool, slipsKept);
        QFETCH(QStringList, extracted);
        QTemporaryDir dir;
        QVERIFY(putFile(dir.filePath("reg.dat"), QByteArray(3000, 'e')));
        QVERIFY(putFile(dir.filePath("rireki.dat"), QByteArray(3000, 'i')));
        const QDateTime when(QDate(2026, 12, 7), QTime(15, 30, 0));
        QString archive;
        if (slipsKept)
            QVERIFY(keepCopy(dir.filePath("reg.dat"), when, archive));
        QVERIFY(keepAlongside(dir.filePath("rireki.dat"), when, archive));
        QCOMPARE(archive,
                 dir.filePath(slipsKept ? "backup/reg-20261207-153000.lzh" : "backup/rireki-20261207-153000.lzh"));
        QDir out(dir.filePath("out"));
        QVERIFY(out.mkpath("."));
        QVERIFY(RunArchiver(nullptr, QStringLiteral("e -c -m ") + archive + u' ' + out.path() + u'/'));
        QCOMPARE(out.entryList(QDir::Files), extracted);
        QCOMPARE(fileBytes(out.filePath("rireki.dat")), QByteArray(3000, 'i'));
        // Nothing to keep: the archive stays as it was.
        const QString before = archive;
        QVERIFY(keepAlongside(dir.filePath("missing.dat"), when, archive));
        QCOMPARE(archive, before);
    }
};

QTEST_MAIN(TestKeepCopy)
#include "tst_keepcopy.moc"
