// Whole-record reads and writes at (n - 1) x size, with a flush to disk when the operation ends.
#include "storage/recordfile.h"

#include "storage/durablefile.h"

#include <QFileInfo>
#include <cmath>
#include <cstring>

RecordFile::RecordFile(const QString& path, int recordSize) : m_file(path), m_size(recordSize) {}

RecordFile::~RecordFile() { close(); }

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
    const bool synced = !m_written || syncToDisk(m_file);
    const QString message = synced ? QString() : errorMessage();
    m_file.close();
    m_written = false;
    return synced ? Result::success() : Result::failure(message);
}

qint64 RecordFile::length() const { return m_file.isOpen() ? m_file.size() : QFileInfo(m_file.fileName()).size(); }

qint64 RecordFile::recordCount() const
{
    return qint64(std::nearbyint(double(length()) / m_size));
}

bool RecordFile::read(qint64 n, char* dest, const char* blank)
{
    std::memcpy(dest, blank, size_t(m_size));
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
    if (n < 1 || !m_file.seek((n - 1) * m_size))
        return false;
    m_written = true;
    return m_file.write(src, m_size) == m_size;
}

QString RecordFile::errorMessage() const
{
    return QStringLiteral("%1 を読み書きできません（%2）。").arg(QFileInfo(m_file.fileName()).fileName(), m_file.errorString());
}
