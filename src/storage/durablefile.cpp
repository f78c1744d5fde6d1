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

bool syncToDisk(QFileDevice& file)
{
    if (!file.flush())
        return false;
    return ::fsync(file.handle()) == 0;
}

Result replaceFile(const QString& path, const QByteArray& bytes)
{
    const QString temp = path + QStringLiteral(".new");
    auto fail = [&](const QString& reason) {
        QFile::remove(temp);
        return Result::failure(QStringLiteral("%1 を保存できません（%2）。").arg(QFileInfo(path).fileName(), reason));
    };
    {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(file.errorString());
        if (file.write(bytes) != bytes.size() || !syncToDisk(file))
            return fail(file.errorString());
    }
    if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    // The rename itself must reach the disk too.
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return Result::success();
}
