// Writing files so that what the user saw saved survives a crash or power cut.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

class QFileDevice;

// Writes `bytes` to a new file beside `path`, flushes it to disk and renames it over `path`.
// On failure `path` is left as it was, and the message names the file and the system's reason.
Result replaceFile(const QString& path, const QByteArray& bytes);

// `path` + ".new", the file a replacement is written to before it is renamed into place.
QString replacementPath(const QString& path);

// Flushes an open file's data to the disk itself, not just to the system's cache. On failure `reason` (when
// given) gets the system's reason.
bool syncToDisk(QFileDevice& file, QString* reason = nullptr);

// The system's text for an error number, e.g. "No space left on device"; Qt's own error text can be
// "Unknown error" for a write that failed at flush or fsync.
QString systemReason(int errorNumber);

// The system calls a replacement makes, in this order: write the new file, flush it to disk, rename it over
// the old one, flush the folder. Tests substitute their own to see the order or to make one step fail, for
// example a write that stops after some bytes as on a full disk. A failing step sets `error` to the reason.
struct DurableSteps
{
    // Appends `bytes` at the end of what was written to `file` so far.
    std::function<bool(QFileDevice& file, const QByteArray& bytes, QString& error)> write;
    std::function<bool(QFileDevice& file, QString& error)> sync;
    std::function<bool(const QString& from, const QString& to, QString& error)> rename;
    std::function<bool(const QString& folder)> syncFolder;
};
// A file written in parts beside `path` (at replacementPath(path)) through the steps in use, then flushed to disk
// and renamed into place, or left for a journal to rename. Until then `path` stays as it was; a NewFile
// destroyed before that removes what it wrote.
class NewFile
{
public:
    explicit NewFile(const QString& path);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Each false on failure, with reason() saying why in the system's words.
    bool open();
    bool append(const QByteArray& bytes);
    // Flushed to disk and closed; the file stays beside `path` for the caller (or a journal) to rename.
    bool finish();
    // finish(), then renamed over `path`, and the folder flushed.
    bool commit();
    // Removes what was written.
    void discard();
    QString reason() const { return m_reason; }

private:
    QString m_path;
    std::unique_ptr<QFileDevice> m_file;
    QString m_reason;
    bool m_keep = false;
};

// The steps in use; the system's own unless a test replaced them.
DurableSteps& durableSteps();
// The system's own steps.
DurableSteps systemDurableSteps();
