// The whole backup: every data file in one dated archive on the chosen drive, the oldest ones beyond a count
// removed.
#pragma once

#include "storage/result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

struct WholeBackup
{
    QString archivePath;
    qint64 size = 0;     // bytes of the archive
    QStringList removed; // older archives removed to keep the count
};

// "till-yyyyMMdd-HHmmss.lzh" for the moment `at`.
QString wholeBackupName(const QDateTime& at);

// The data files a whole backup holds, as paths in AppDir: the settings, the record files, the history with
// its anchor and the closings, those that exist. The month indexes are left out: they are rebuilt from their
// slip files.
QStringList wholeBackupFiles();

// Completes a save whose last writes still wait (so the files agree with each other), then writes the archive
// into directory `drive`. With `keep` above 0, whole backups in `drive` beyond the newest `keep` are removed
// afterwards (only files named as wholeBackupName names them). A failure leaves no new archive and removes
// nothing.
ResultWith<WholeBackup> writeWholeBackup(const QString& drive, const QDateTime& at, int keep = 0);

// How many whole backups the backup after a closing leaves on its drive.
constexpr int KeptAfterClosing = 14;

// The whole backup a closing is followed by when the owner has asked for one (SysNum[BackupAfterClosing] = 1)
// to the drive kept in SysStr[BackupDrive], the newest KeptAfterClosing kept; nullopt when not asked for.
std::optional<ResultWith<WholeBackup>> backupAfterClosing(const QDateTime& at);
