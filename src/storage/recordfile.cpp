// Whole-record reads and writes at (n - 1) x size, with a flush to disk when the operation ends.
#include "storage/recordfile.h"

#include "storage/durablefile.h"
#include "storage/settings.h"

#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>

RecordFile::RecordFile(const QString& path, int recordSize, const char* blank)
    : m_file(path), m_size(recordSize), m_blank(blank)
{
}

RecordFile::~RecordFile()
{
    close();
}

Result RecordFile::open()
{
    if (m_file.isOpen())
        return Result::success();
    if (!m_file.open(QIODevice::ReadWrite))
        return Result::failure(errorMessage());
    return Result::success();
}

Result RecordFile::close()
{
    if (!m_file.isOpen())
        return Result::success();
    const bool synced = !m_written || syncToDisk(m_file, &m_reason);
    const QString message = synced ? QString() : errorMessage();
    m_file.close();
    m_written = false;
    return synced ? Result::success() : Result::failure(message);
}

qint64 RecordFile::length() const
{
    return m_file.isOpen() ? m_file.size() : QFileInfo(m_file.fileName()).size();
}

qint64 RecordFile::recordCount() const
{
    return qint64(std::nearbyint(double(length()) / m_size));
}

bool RecordFile::read(qint64 n, char* dest)
{
    std::memcpy(dest, m_blank, size_t(m_size));
    if (n < 1)
        return true;
    const qint64 offset = (n - 1) * m_size;
    if (offset >= m_file.size())
        return true;
    if (!m_file.seek(offset))
        return false;
    return m_file.read(dest, m_size) >= 0;
}

bool RecordFile::write(qint64 n, const char* src)
{
    // Qt's text for a write that failed while its buffer was flushed (a full disk) is "Unknown error"; the
    // system's own reason is kept for the message.
    errno = 0;
    const bool written = writeRecord(n, src);
    if (!written && errno != 0)
        m_reason = systemReason(errno);
    return written;
}

bool RecordFile::writeRecord(qint64 n, const char* src)
{
    if (n < 1)
        return false;
    m_written = true;
    // Writing past the end: a part record there is completed, and records in between are written
    // empty, each as a read of it would have shown it.
    const qint64 size = m_file.size();
    const qint64 lastWhole = size / m_size;
    if (n > lastWhole + 1 || (n == lastWhole + 1 && size % m_size == 0)) {
        qint64 next = lastWhole + 1;
        if (const qint64 part = size % m_size; part != 0) {
            if (!m_file.seek(size) || m_file.write(m_blank + part, m_size - part) != m_size - part)
                return false;
            ++next;
        }
        if (!m_file.seek((next - 1) * m_size))
            return false;
        for (; next < n; ++next)
            if (m_file.write(m_blank, m_size) != m_size)
                return false;
    }
    if (!m_file.seek((n - 1) * m_size))
        return false;
    return m_file.write(src, m_size) == m_size;
}

QString RecordFile::errorMessage() const
{
    return QStringLiteral("%1 を読み書きできません（%2）。")
        .arg(QFileInfo(m_file.fileName()).fileName(), m_reason.isEmpty() ? m_file.errorString() : m_reason);
}

RecordBuffer::RecordBuffer(const QString& fileName, const QByteArray& emptyRecord)
    : m_fileName(fileName), m_blank(emptyRecord), m_current(emptyRecord)
{
}

RecordFile RecordBuffer::file() const
{
    return RecordFile(dataPath(m_fileName), int(m_blank.size()), blank());
}

Result accessRecords(RecordFile& file, const std::function<bool(RecordFile&)>& work)
{
    if (Result r = file.open(); !r)
        return r;
    if (!work(file))
        return Result::failure(file.errorMessage());
    return file.close();
}

Result RecordBuffer::access(const std::function<bool(RecordFile&)>& work) const
{
    RecordFile f = file();
    return accessRecords(f, work);
}
