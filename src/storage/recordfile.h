// A file of fixed-length records without header: record n (from 1) starts at (n - 1) x size.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QFile>
#include <QString>

class RecordFile
{
public:
    RecordFile(const QString& path, int recordSize);
    ~RecordFile(); // closes, flushing to disk if anything was written

    // Opens for reading and writing; a missing file is created empty.
    Result open();
    // Closes; when anything was written it is flushed to disk first, and a failure is reported.
    Result close();

    qint64 length() const;
    // The number of records: length / size rounded to the nearest whole number, ties to even, so a
    // trailing part record counts when it is more than half there.
    qint64 recordCount() const;

    // Reads record n into `dest` (recordSize bytes). Bytes beyond the end of the file are taken from
    // `blank`, so a short or missing record reads as (partly) blank. Returns false on an I/O error.
    bool read(qint64 n, char* dest, const char* blank);
    // Writes record n from `src`, extending the file when n lies beyond its end.
    bool write(qint64 n, const char* src);

    QString errorMessage() const;
    QString path() const { return m_file.fileName(); }

private:
    QFile m_file;
    int m_size;
    bool m_written = false;
};
