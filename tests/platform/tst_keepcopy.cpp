// Dated archives of a data file in the backup folder: names, no overwriting, and a missing file.
#include "platform/keepcopy.h"

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
        QFile f(data);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(5000, 'r'));
        f.close();
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
};

QTEST_MAIN(TestKeepCopy)
#include "tst_keepcopy.moc"
