// A dated archive of a data file in the backup folder, through our own LHA writer.
#include "platform/keepcopy.h"

#include "platform/archiver.h"

#include <QDir>
#include <QFileInfo>

Result keepCopy(const QString& path, const QDateTime& when, QString& archive,
                const std::function<void(qint64 done, qint64 total)>& progress)
{
    archive.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return Result::success();
    const QString folder = info.absolutePath() + QStringLiteral("/backup");
    if (!QDir().mkpath(folder))
        return Result::failure(QStringLiteral("バックアップ用のフォルダー %1 を作れません。").arg(folder));
    const QString stem =
        folder + u'/' + info.completeBaseName() + u'-' + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = stem + QStringLiteral(".lzh");
    for (int k = 2; QFileInfo::exists(target); ++k)
        target = stem + QStringLiteral("-%1.lzh").arg(k);
    QString error;
    if (!archiveSingleFile(target, path, error, progress))
        return Result::failure(
            QStringLiteral("%1 のバックアップ %2 を書けません（%3）。").arg(info.fileName(), target, error));
    archive = target;
    return Result::success();
}

Result keepAlongside(const QString& path, const QDateTime& when, QString& archive,
                     const std::function<void(qint64 done, qint64 total)>& progress)
{
    if (archive.isEmpty())
        return keepCopy(path, when, archive, progress);
    if (!QFileInfo::exists(path))
        return Result::success();
    QString error;
    if (!addToArchive(archive, path, error))
        return Result::failure(QStringLiteral("%1 をバックアップ %2 に加えられません（%3）。")
                                   .arg(QFileInfo(path).fileName(), archive, error));
    return Result::success();
}
