// Start-up of the program: single copy, settings, products, register window.
#pragma once

#include "storage/instancelock.h"
#include "storage/result.h"

#include <QString>
#include <memory>

class QApplication;

// The checks before any window: another copy running, sys.ini, an interrupted save completed from its
// journal (and what a process stopped before a rename left behind removed), then syohin.dat. On failure the result
// carries the message to show, and nothing has been written (beyond completing the interrupted save). `notice` gets a
// message for the user when a save was completed.
Result startTill(const QString& appDir, std::unique_ptr<InstanceLock>& lock, QString* notice = nullptr);

// Japanese translations of Qt's own buttons and a Japanese font for the whole program.
void setUpJapanese(QApplication& app);

// The whole program run; returns the exit code.
int runTill(QApplication& app);
