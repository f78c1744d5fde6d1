// A file of fixed-length records without header: record n (from 1) starts at (n - 1) x size.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <functional>

class RecordFile
{
public:
    // `blank` is the image of an empty record (recordSize bytes, kept alive by the caller).
    RecordFile(const QString& path, int recordSize, const char* blank);
    ~RecordFile(); // closes, flushing to disk if anything was written

    // Opens for reading and writing; a missing file is created empty.
    Result open();
    // Closes; when anything was written it is flushed to disk first, and a failure is reported.
    Result close();

    qint64 length() const;
    // The number of records: length / size rounded to the nearest whole number, ties to even, so a
    // trailing part record counts when it is more than half there.
    qint64 recordCount() const;

    // Reads record n into `dest` (recordSize bytes). Bytes beyond the end of the file read as those of
    // the empty record, so a short or missing record reads as (partly) blank. False on an I/O error.
    bool read(qint64 n, char* dest);
    // Writes record n from `src`. When n lies beyond the end, the records in between are written empty,
    // so the file never holds records of zero bytes that no writer made.
    bool write(qint64 n, const char* src);

    QString errorMessage() const;
    QString path() const { return m_file.fileName(); }

private:
    bool writeRecord(qint64 n, const char* src);

    QFile m_file;
    int m_size;
    const char* m_blank;
    bool m_written = false;
    QString m_reason; // the system's reason when a flush to disk failed; Qt's error text says nothing then
};

// Opens `file`, runs `work` on it and closes it, flushing what was written to disk. A `work` that returns false
// fails with the file's error message; the file is closed either way.
Result accessRecords(RecordFile& file, const std::function<bool(RecordFile&)>& work);

// A file edited one record at a time: its name, its empty record, and the one record buffer its operations
// share, so a save writes back the reserved bytes of the record last read or written. Every operation on the
// file goes through access(), which opens and closes it.
class RecordBuffer
{
public:
    RecordBuffer(const QString& fileName, const QByteArray& emptyRecord);
    // The file in AppDir, not yet opened.
    RecordFile file() const;
    // accessRecords() on the file.
    Result access(const std::function<bool(RecordFile&)>& work) const;
    const char* blank() const { return m_blank.constData(); }
    char* data() { return m_current.data(); }

private:
    QString m_fileName;
    QByteArray m_blank;
    QByteArray m_current;
};
