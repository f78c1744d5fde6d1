// Start-up of the program: single copy, settings, products, register window.
#pragma once

#include "storage/result.h"

#include <QString>
#include <memory>

class QApplication;

// Holds the program directory for this run: an advisory lock on AppDir/till.lock, which the system releases
// when the process ends in any way. So only a copy that is really running refuses a start; what the file
// holds (nothing, or a process or host name left by an older copy) does not matter.
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

private:
    int m_fd = -1;
    bool m_heldByOther = false;
    QString m_error;
};

// The checks before any window: another copy running, sys.ini, an interrupted save completed from its
// journal (and what a process stopped before a rename left behind removed), then syohin.dat. On failure the result carries the message to show, and nothing has been written
// (beyond completing the interrupted save). `notice` gets a message for the user when a save was completed.
Result startTill(const QString& appDir, std::unique_ptr<InstanceLock>& lock, QString* notice = nullptr);

// Japanese translations of Qt's own buttons and a Japanese font for the whole program.
void setUpJapanese(QApplication& app);

// The whole program run; returns the exit code.
int runTill(QApplication& app);
