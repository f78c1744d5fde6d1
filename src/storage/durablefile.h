// Writing files so that what the user saw saved survives a crash or power cut.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QString>

class QFileDevice;

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`.
// On failure `path` is left as it was.
Result replaceFile(const QString& path, const QByteArray& bytes);

// Flushes an open file's data to the disk itself, not just to the system's cache.
bool syncToDisk(QFileDevice& file);
