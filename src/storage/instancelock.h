// The lock that keeps a second copy of the program off its directory, and the check before every save that
// this copy still holds it.
#pragma once

#include "storage/result.h"

#include <QString>

// Holds the program directory for this run: an advisory lock on AppDir/till.lock, which the system releases
// when the process ends in any way. So only a copy that is really running refuses a start; what the file
// holds (nothing, or a process or host name left by an older copy) does not matter.
//
// A lock lives on the file, not on its name: when till.lock is deleted while the program runs, a second copy
// creates a new one and locks that. The first lock acquired in a process is therefore the one every save
// checks with CheckInstanceLock() before it writes.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& appDir);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool acquired() const { return m_fd >= 0; }
    // Not acquired because another copy holds the lock.
    bool heldByOther() const { return m_heldByOther; }
    // Not acquired for another reason (no such directory, no permission, disk full): the message to show.
    QString error() const { return m_error; }
    // Success while the folder's till.lock is still the file this lock holds.
    Result stillHeld() const;

private:
    QString m_path;
    int m_fd = -1;
    bool m_heldByOther = false;
    QString m_error;
};

// Success when this process holds no lock (a tool, a test) or still holds the folder's till.lock; otherwise the
// message saying that nothing was written, as another copy may be writing the same files.
Result CheckInstanceLock();
