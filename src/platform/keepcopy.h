// Keeping a data file as an LHA archive in the backup folder beside it before the file is overwritten.
#pragma once

#include "storage/result.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// Archives the file at `path` as backup/<name>-yyyyMMdd-hhmmss.lzh in the file's own folder (reg.dat kept at
// 2026-12-07 15:30:00 becomes backup/reg-20261207-153000.lzh); a name already taken gets -2, -3 … so no earlier
// copy is ever replaced. `archive` receives the archive's path, or stays empty when there is no file to keep.
// A failure leaves no partial archive behind.
Result keepCopy(const QString& path, const QDateTime& when, QString& archive,
                const std::function<void(qint64 done, qint64 total)>& progress = {});

// Keeps the file at `path` in `archive`, the copy just kept of another file, so that the two stay together; when
// `archive` is empty (there was nothing else to keep) in a dated archive of its own, whose path `archive` receives.
Result keepAlongside(const QString& path, const QDateTime& when, QString& archive,
                     const std::function<void(qint64 done, qint64 total)>& progress = {});

// A copy kept by keepCopy: the archive, the name of the data file it holds, and when it was kept.
struct KeptCopy
{
    QString archive;
    QString fileName; // reg.dat for backup/reg-20261207-153000.lzh
    QDateTime when;
};

// The copies in the backup folder `folder` whose names keepCopy gives to a file of `suffix` ("dat"), newest
// first (of two kept in the same second, the later -2, -3 … first). Other files there are left out.
QList<KeptCopy> keptCopies(const QString& folder, const QString& suffix);
