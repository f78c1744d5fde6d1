// The drive list of the backup window on a system without drive letters: writable mounted file systems.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct MountRecord
{
    QString path;      // mount point
    QByteArray fsType; // as the kernel names it: ext4, vfat, proc …
    bool readOnly = false;
};

// The mount points a backup may go to, removable media (/media, /run/media, /mnt) first, each group sorted.
// Read-only and pseudo file systems and the system's own internal mounts are left out.
QStringList backupDrives(const QList<MountRecord>& mounts);

// The file systems mounted now, valid and ready ones only.
QList<MountRecord> mountedFileSystems();
