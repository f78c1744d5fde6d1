// The program directory's lock: taken at start, checked before every save.
#include "storage/instancelock.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock every save of this process checks: the first one acquired, until it is released.
const InstanceLock* g_held = nullptr;

} // namespace

InstanceLock::InstanceLock(const QString& appDir) : m_path(appDir + QStringLiteral("/till.lock"))
{
    const QByteArray path = QFile::encodeName(m_path);
    // Nothing is written into the file, so a full disk does not matter once it exists; a read-only file
    // can be locked as well. The descriptor is not inherited by programs started from here.
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        m_error = QStringLiteral("till.lock を作成できないため起動できません（%1）。\n%2\n"
                                 "フォルダへの書き込みの許可と空き容量を確かめてください。")
                      .arg(QString::fromLocal8Bit(std::strerror(errno)), m_path);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            m_heldByOther = true;
        else
            m_error = QStringLiteral("till.lock をロックできないため起動できません（%1）。\n%2")
                          .arg(QString::fromLocal8Bit(std::strerror(error)), m_path);
        return;
    }
    m_fd = fd;
    if (!g_held)
        g_held = this;
}

InstanceLock::~InstanceLock()
{
    if (g_held == this)
        g_held = nullptr;
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

Result InstanceLock::stillHeld() const
{
    struct stat held = {};
    struct stat named = {};
    // The same device and inode: the name still leads to the file locked at start. Deleted, or deleted and
    // created anew by a second copy that then locked it, it leads elsewhere or nowhere.
    if (m_fd >= 0 && ::fstat(m_fd, &held) == 0 && ::stat(QFile::encodeName(m_path).constData(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino)
        return Result::success();
    return Result::failure(QStringLiteral("till.lock が削除されたか置き換えられたため、保存しませんでした。\n"
                                          "同じフォルダーでこのプログラムがもう一つ起動している可能性があります。"
                                          "すべて終了してから起動し直してください。"));
}

Result CheckInstanceLock()
{
    return g_held ? g_held->stillHeld() : Result::success();
}
