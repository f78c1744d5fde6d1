// The whole backup read back by an independent LHA reader (bsdtar), and the count of archives kept.
#include "platform/wholebackup.h"
#include "storage/journal.h"
#include "testutil.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QDateTime At(QDate(2026, 12, 8), QTime(21, 5, 9));

// The file names and bytes an archive holds, as bsdtar extracts them.
QMap<QString, QByteArray> extracted(const QString& archive)
{
    QTemporaryDir out;
    QProcess p;
    p.start(QStringLiteral("bsdtar"), {QStringLiteral("-xf"), archive, QStringLiteral("-C"), out.path()});
    p.waitForFinished(60000);
    QMap<QString, QByteArray> files;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return files;
    for (const QString& name : QDir(out.path()).entryList(QDir::Files))
        files[name] = fileBytes(QDir(out.path()).filePath(name));
    return files;
}

} // namespace

class TestWholeBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Every data file there is, byte for byte; the month index is left out; the size is the archive's.
    void holdsEveryDataFile()
    {
        TestAppDir dir;
        QTemporaryDir drive;
        dir.writeBytes(QStringLiteral("reg.dat"), QByteArray(3 * 1024, 'r'));
        dir.writeBytes(QStringLiteral("rireki.dat"), QByteArray(500, 'h'));
        dir.writeBytes(QStringLiteral("rireki.anc"), QByteArray(64, 'a'));
        dir.writeBytes(QStringLiteral("seisan.dat"), QByteArray(512, 's'));
        dir.writeBytes(QStringLiteral("reg.mon"), QByteArray(64, 'm'));
        const auto done = writeWholeBackup(drive.path(), At);
        QVERIFY2(done.ok, qPrintable(done.error));
        QCOMPARE(done.value.archivePath, QDir(drive.path()).filePath(QStringLiteral("till-20261208-210509.lzh")));
        QCOMPARE(done.value.size, QFileInfo(done.value.archivePath).size());
        const auto files = extracted(done.value.archivePath);
        QCOMPARE(QStringList(files.keys()),
                 (QStringList{"reg.dat", "rireki.anc", "rireki.dat", "seisan.dat", "sys.ini"}));
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QCOMPARE(it.value(), dir.bytes(it.key()));
    }

    // The newest archives are kept up to the count; other files on the drive are never touched.
    void keepsTheNewest()
    {
        TestAppDir dir;
        QTemporaryDir drive;
        const QDir d(drive.path());
        for (int day = 1; day <= 15; ++day)
            QVERIFY(putFile(d.filePath(wholeBackupName(At.addDays(-day))), "old"));
        QVERIFY(putFile(d.filePath(QStringLiteral("till-photos.lzh")), "mine"));
        QVERIFY(putFile(d.filePath(QStringLiteral("reg.lzh")), "mine"));
        const auto done = writeWholeBackup(drive.path(), At, 14);
        QVERIFY(done.ok);
        QCOMPARE(done.value.removed.size(), 2);
        QCOMPARE(done.value.removed.first(), wholeBackupName(At.addDays(-15)));
        QVERIFY(QFile::exists(d.filePath(wholeBackupName(At))));
        QVERIFY(QFile::exists(d.filePath(wholeBackupName(At.addDays(-13)))));
        QVERIFY(!QFile::exists(d.filePath(wholeBackupName(At.addDays(-14)))));
        QVERIFY(QFile::exists(d.filePath(QStringLiteral("till-photos.lzh"))));
        QVERIFY(QFile::exists(d.filePath(QStringLiteral("reg.lzh"))));
    }

    // A drive that is not there, or a write that fails, leaves no archive and removes none.
    void failureKeepsWhatWasThere()
    {
        TestAppDir dir;
        const auto missing = writeWholeBackup(dir.file(QStringLiteral("no-such-drive")), At, 14);
        QVERIFY(!missing.ok);
        QVERIFY(missing.error.contains(QStringLiteral("見つかりません")));

        QTemporaryDir drive;
        const QDir d(drive.path());
        QVERIFY(putFile(d.filePath(wholeBackupName(At.addDays(-1))), "old"));
        QVERIFY(d.mkdir(wholeBackupName(At))); // the new archive cannot be written where a folder stands
        QVERIFY(!writeWholeBackup(drive.path(), At, 1).ok);
        QCOMPARE(d.entryList(QDir::Files), QStringList{wholeBackupName(At.addDays(-1))});
    }
};

QTEST_MAIN(TestWholeBackup)
#include "tst_wholebackup.moc"
