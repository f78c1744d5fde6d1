// Writing the whole backup and keeping the last few on the drive.
#include "platform/wholebackup.h"

#include "platform/archiver.h"
#include "storage/datafiles.h"
#include "storage/journal.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QRegularExpression WholeBackupPattern(QStringLiteral("^till-\\d{8}-\\d{6}\\.lzh$"));

bool isIndexFile(const QString& name)
{
    return name.endsWith(QStringLiteral(".key")) || name.endsWith(QStringLiteral(".mon")) ||
           name.endsWith(QStringLiteral(".cor"));
}

} // namespace

QString wholeBackupName(const QDateTime& at)
{
    return at.toString(QStringLiteral("'till-'yyyyMMdd-HHmmss'.lzh'"));
}

QStringList wholeBackupFiles()
{
    QStringList paths;
    for (const DataFileInfo& f : dataFiles()) {
        const QString name = QString::fromLatin1(f.name);
        if (isIndexFile(name))
            continue;
        const QString path = dataPath(name);
        if (QFileInfo(path).isFile())
            paths.append(path);
    }
    return paths;
}

ResultWith<WholeBackup> writeWholeBackup(const QString& drive, const QDateTime& at, int keep)
{
    using Outcome = ResultWith<WholeBackup>;
    const QDir dir(drive);
    if (drive.isEmpty() || !dir.exists())
        return Outcome::failure(QStringLiteral("バックアップ先 %1 が見つかりません。").arg(drive));
    if (const Result r = CompletePendingSave(QStringLiteral("バックアップ")); !r)
        return Outcome::failure(r);
    WholeBackup done;
    done.archivePath = dir.filePath(wholeBackupName(at));
    QString error;
    if (!archiveFiles(done.archivePath, wholeBackupFiles(), error))
        return Outcome::failure(
            QStringLiteral("バックアップを書けませんでした（%1）。\n%2").arg(error, done.archivePath));
    done.size = QFileInfo(done.archivePath).size();
    if (keep > 0) {
        // The names sort by the time they carry; the newest come last.
        QStringList kept = dir.entryList(QDir::Files, QDir::Name).filter(WholeBackupPattern);
        while (kept.size() > keep) {
            const QString oldest = kept.takeFirst();
            if (QFile::remove(dir.filePath(oldest)))
                done.removed.append(oldest);
        }
    }
    return Outcome::of(done);
}

std::optional<ResultWith<WholeBackup>> backupAfterClosing(const QDateTime& at)
{
    if (SysNum[Sys::BackupAfterClosing] != 1)
        return std::nullopt;
    return writeWholeBackup(SysStr[Sys::BackupDrive], at, KeptAfterClosing);
}
