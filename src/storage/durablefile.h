// Writing files so that what the user saw saved survives a crash or power cut.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QString>
#include <functional>

class QFileDevice;

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`.
// On failure `path` is left as it was.
Result replaceFile(const QString& path, const QByteArray& bytes);

// Flushes an open file's data to the disk itself, not just to the system's cache.
bool syncToDisk(QFileDevice& file);

// The system calls a replacement makes, in this order: write the new file, flush it to disk, rename it over
// the old one, flush the folder. Tests substitute their own to see the order or to make one step fail.
struct DurableSteps
{
    std::function<bool(QFileDevice& file, const QByteArray& bytes)> write;
    std::function<bool(QFileDevice& file)> sync;
    std::function<bool(const QString& from, const QString& to, QString& error)> rename;
    std::function<bool(const QString& folder)> syncFolder;
};
// The steps in use; the system's own unless a test replaced them.
DurableSteps& durableSteps();
// The system's own steps.
DurableSteps systemDurableSteps();
