// A dated archive of a data file in the backup folder, through our own LHA writer.
#include "platform/keepcopy.h"

#include "platform/archiver.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

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

QList<KeptCopy> keptCopies(const QString& folder, const QString& suffix)
{
    static const QRegularExpression name(QStringLiteral("^(.+)-(\\d{8}-\\d{6})(?:-(\\d+))?\\.lzh$"));
    struct Found
    {
        KeptCopy copy;
        int k;
    };
    QList<Found> found;
    for (const QFileInfo& info : QDir(folder).entryInfoList({QStringLiteral("*.lzh")}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(info.fileName());
        if (!m.hasMatch())
            continue;
        const QDateTime when = QDateTime::fromString(m.captured(2), QStringLiteral("yyyyMMdd-HHmmss"));
        if (!when.isValid())
            continue;
        const int k = m.captured(3).isEmpty() ? 1 : m.captured(3).toInt();
        found.append({{info.absoluteFilePath(), m.captured(1) + u'.' + suffix, when}, k});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.copy.when != b.copy.when ? a.copy.when > b.copy.when : a.k > b.k;
    });
    QList<KeptCopy> copies;
    for (const Found& f : found)
        copies.append(f.copy);
    return copies;
}
