// Start-up of the program: single copy, settings, products, register window.
#pragma once

#include "storage/result.h"

#include <QString>
#include <memory>

class QApplication;
class QLockFile;

// Holds the program directory for this run; a second holder of the same directory is refused.
class InstanceLock
{
public:
    explicit InstanceLock(const QString& appDir);
    ~InstanceLock();
    bool acquired() const { return m_acquired; }

private:
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

// The checks before any window: another copy running, then sys.ini and syohin.dat. On failure the
// result carries the message to show, and nothing has been written.
Result startTill(const QString& appDir, std::unique_ptr<InstanceLock>& lock);

// Japanese translations of Qt's own buttons and a Japanese font for the whole program.
void setUpJapanese(QApplication& app);

// The whole program run; returns the exit code.
int runTill(QApplication& app);
