// Which mounted file systems the backup window offers as drives.
#include "platform/drives.h"

#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace {

bool isPseudoFileSystem(const QByteArray& type)
{
    static const QSet<QByteArray> pseudo = {
        "proc",    "sysfs",           "tmpfs",       "devtmpfs", "devpts",     "cgroup",  "cgroup2",   "securityfs",
        "debugfs", "tracefs",         "pstore",      "bpf",      "configfs",   "fusectl", "mqueue",    "hugetlbfs",
        "autofs",  "ramfs",           "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",    "selinuxfs", "squashfs",
        "nfsd",    "fuse.gvfsd-fuse", "fuse.portal", "none",
    };
    return type.isEmpty() || pseudo.contains(type);
}

bool isUnder(const QString& path, const QString& dir)
{
    return path == dir || path.startsWith(dir + u'/');
}

bool isRemovableMediaPath(const QString& path)
{
    return isUnder(path, QStringLiteral("/media")) || isUnder(path, QStringLiteral("/run/media")) ||
           isUnder(path, QStringLiteral("/mnt"));
}

// Mounts the system makes for itself (containers bind single files under /etc, runtimes stack overlays
// under /var/lib) are no place for a backup, even when writable.
bool isSystemInternalPath(const QString& path)
{
    if (isRemovableMediaPath(path))
        return false;
    for (const char* dir : {"/proc", "/sys", "/dev", "/run", "/etc", "/boot", "/snap", "/var/lib/docker",
                            "/var/lib/containers", "/var/snap"}) {
        if (isUnder(path, QString::fromLatin1(dir)))
            return true;
    }
    return false;
}

} // namespace

QStringList backupDrives(const QList<MountRecord>& mounts)
{
    QStringList removable;
    QStringList others;
    for (const MountRecord& m : mounts) {
        if (m.readOnly || m.path.isEmpty() || isPseudoFileSystem(m.fsType) || isSystemInternalPath(m.path))
            continue;
        QStringList& group = isRemovableMediaPath(m.path) ? removable : others;
        if (!removable.contains(m.path) && !others.contains(m.path))
            group << m.path;
    }
    std::sort(removable.begin(), removable.end());
    std::sort(others.begin(), others.end());
    return removable + others;
}

QList<MountRecord> mountedFileSystems()
{
    QList<MountRecord> mounts;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo& v : volumes) {
        if (v.isValid() && v.isReady())
            mounts << MountRecord{v.rootPath(), v.fileSystemType(), v.isReadOnly()};
    }
    return mounts;
}
