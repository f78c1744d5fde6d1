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

DurableSteps systemDurableSteps()
{
    DurableSteps steps;
    steps.write = [](QFileDevice& file, const QByteArray& bytes) { return file.write(bytes) == bytes.size(); };
    steps.sync = [](QFileDevice& file) { return syncToDisk(file); };
    steps.rename = [](const QString& from, const QString& to, QString& error) {
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
            return true;
        error = QString::fromLocal8Bit(std::strerror(errno));
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

Result replaceFile(const QString& path, const QByteArray& bytes)
{
    const DurableSteps& steps = durableSteps();
    const QString temp = path + QStringLiteral(".new");
    auto fail = [&](const QString& reason) {
        QFile::remove(temp);
        return Result::failure(QStringLiteral("%1 を保存できません（%2）。").arg(QFileInfo(path).fileName(), reason));
    };
    {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return fail(file.errorString());
        if (!steps.write(file, bytes) || !steps.sync(file))
            return fail(file.errorString());
    }
    if (QString error; !steps.rename(temp, path, error))
        return fail(error);
    // The rename itself must reach the disk too; the new contents are in place already, so a folder that
    // cannot be flushed does not undo the save.
    steps.syncFolder(QFileInfo(path).absolutePath());
    return Result::success();
}
