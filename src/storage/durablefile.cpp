// Durable writes: flush to disk, and atomic replacement of whole files.
#include "storage/durablefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QString systemReason(int errorNumber)
{
    const QString text = QString::fromLocal8Bit(std::strerror(errorNumber));
    if (errorNumber == ENOSPC || errorNumber == EDQUOT)
        return QStringLiteral("ディスクの空き容量が足りません。%1").arg(text);
    if (errorNumber == EFBIG)
        return QStringLiteral("ファイルが大きすぎます。%1").arg(text);
    return text;
}

bool syncToDisk(QFileDevice& file, QString* reason)
{
    errno = 0;
    if (!file.flush()) {
        // Qt says "Unknown error" for a flush the disk refused; the system's reason says why.
        if (reason)
            *reason = errno != 0 ? systemReason(errno) : file.errorString();
        return false;
    }
    if (::fsync(file.handle()) == 0)
        return true;
    if (reason)
        *reason = systemReason(errno);
    return false;
}

namespace {

// Straight to the descriptor, so a failure carries the system's own reason.
bool writeAll(QFileDevice& file, const QByteArray& bytes, QString& error)
{
    if (!file.flush()) {
        error = file.errorString();
        return false;
    }
    const char* data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(file.handle(), data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = systemReason(n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

QString replacementPath(const QString& path)
{
    return path + QStringLiteral(".new");
}

DurableSteps systemDurableSteps()
{
    DurableSteps steps;
    steps.write = &writeAll;
    steps.sync = [](QFileDevice& file, QString& error) { return syncToDisk(file, &error); };
    steps.rename = [](const QString& from, const QString& to, QString& error) {
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            return true;
        error = systemReason(errno);
        return false;
    };
    steps.syncFolder = [](const QString& folder) {
        const int dir = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        if (dir < 0)
            return false;
        const bool synced = ::fsync(dir) == 0;
        ::close(dir);
        return synced;
    };
    return steps;
}

DurableSteps& durableSteps()
{
    static DurableSteps steps = systemDurableSteps();
    return steps;
}

NewFile::NewFile(const QString& path) : m_path(path) {}

NewFile::~NewFile()
{
    if (!m_keep)
        discard();
}

bool NewFile::open()
{
    m_keep = false;
    auto file = std::make_unique<QFile>(replacementPath(m_path));
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_reason = file->errorString();
        return false;
    }
    m_file = std::move(file);
    return true;
}

bool NewFile::append(const QByteArray& bytes)
{
    return m_file && durableSteps().write(*m_file, bytes, m_reason);
}

bool NewFile::finish()
{
    if (!m_file || !durableSteps().sync(*m_file, m_reason))
        return false;
    m_file->close();
    m_file.reset();
    m_keep = true;
    return true;
}

bool NewFile::commit()
{
    if (!finish())
        return false;
    const DurableSteps& steps = durableSteps();
    if (!steps.rename(replacementPath(m_path), m_path, m_reason)) {
        m_keep = false;
        return false;
    }
    // The rename itself must reach the disk too; the new contents are in place already, so a folder that
    // cannot be flushed does not undo the save.
    steps.syncFolder(QFileInfo(m_path).absolutePath());
    return true;
}

void NewFile::discard()
{
    m_file.reset();
    QFile::remove(replacementPath(m_path));
    m_keep = false;
}

Result replaceFile(const QString& path, const QByteArray& bytes)
{
    NewFile file(path);
    if (file.open() && file.append(bytes) && file.commit())
        return Result::success();
    return Result::failure(QStringLiteral("%1 を保存できません（%2）。").arg(QFileInfo(path).fileName(), file.reason()));
}
