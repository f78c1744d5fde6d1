// The LHA archiver behind the backup window: command line parsing, adding a file, extracting safely.
#include "platform/archiver.h"

#include "platform/lhaencoder.h"
#include "platform/lhaformat.h"
#include "storage/text.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <archive.h>
#include <archive_entry.h>

#include <cstring>
#include <locale.h>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kChunk = 1 << 20;

struct Command
{
    bool add = false; // otherwise extract
    QString archive;
    QString target; // the file to add, or the directory to extract into
};

// Both paths may hold blanks and come unquoted, so the archive path is taken to end at the first ".lzh" followed
// by a blank; everything after that blank is the second path.
std::optional<Command> parseCommand(QString line)
{
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    qsizetype at = 0;
    auto skipBlanks = [&]() {
        while (at < line.size() && line[at] == u' ')
            ++at;
    };
    auto word = [&]() {
        skipBlanks();
        qsizetype end = line.indexOf(u' ', at);
        if (end < 0)
            return QString();
        QString w = line.mid(at, end - at);
        at = end;
        return w;
    };

    Command cmd;
    const QString verb = word();
    if (verb == u"a") {
        cmd.add = true;
    } else if (verb == u"e") {
        if (word().compare(u"-c", Qt::CaseInsensitive) != 0 || word().compare(u"-m", Qt::CaseInsensitive) != 0)
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    skipBlanks();
    const QString rest = line.mid(at);
    if (rest.startsWith(u'-'))
        return std::nullopt;
    const qsizetype ext = rest.indexOf(u".lzh ", 0, Qt::CaseInsensitive);
    if (ext <= 0)
        return std::nullopt;
    cmd.archive = rest.left(ext + 4);
    cmd.target = rest.mid(ext + 5);
    cmd.archive.replace(u'\\', u'/');
    cmd.target.replace(u'\\', u'/');
    if (cmd.target.isEmpty())
        return std::nullopt;
    if (!cmd.add)
        while (cmd.target.size() > 1 && cmd.target.endsWith(u'/'))
            cmd.target.chop(1);
    return cmd;
}

// libarchive converts LHA names through the thread's locale and gives up on the whole archive when a code page 932
// name does not fit it, as in the plain C locale; a UTF-8 character type is set for the time of reading.
class ArchiveReader
{
public:
    archive* a = nullptr;

    ArchiveReader()
    {
        m_utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (m_utf8)
            m_previous = uselocale(m_utf8);
        a = archive_read_new();
    }
    ~ArchiveReader()
    {
        archive_read_free(a);
        if (m_utf8) {
            uselocale(m_previous);
            freelocale(m_utf8);
        }
    }
    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    bool open(const QString& path, QString& error)
    {
        archive_read_support_format_lha(a);
        if (archive_read_set_options(a, "lha:hdrcharset=CP932") != ARCHIVE_OK ||
            archive_read_open_filename(a, QFile::encodeName(path).constData(), 1 << 16) != ARCHIVE_OK) {
            error = lastError();
            return false;
        }
        return true;
    }
    QString lastError() const
    {
        const char* s = archive_error_string(a);
        return s ? QString::fromLocal8Bit(s) : u"archive error"_s;
    }

private:
    locale_t m_utf8 = nullptr;
    locale_t m_previous = nullptr;
};

// Reads the whole entry so that libarchive checks its CRC; the data goes to `out` when given.
bool readEntryData(ArchiveReader& r, QIODevice* out, qint64& size, QString& error)
{
    std::vector<char> buf(kChunk);
    size = 0;
    for (;;) {
        la_ssize_t n = archive_read_data(r.a, buf.data(), buf.size());
        if (n == 0)
            return true;
        if (n < 0) {
            error = r.lastError();
            return false;
        }
        if (out && out->write(buf.data(), n) != n) {
            error = out->errorString();
            return false;
        }
        size += n;
    }
}

bool sameName(const QByteArray& a, const QByteArray& b)
{
    return fromCp932(a).compare(fromCp932(b), Qt::CaseInsensitive) == 0;
}

// The entries we keep are copied without recompressing, so they are decoded once here to be sure they are sound.
bool checkKeptEntries(const QString& path, const std::vector<LhaRawEntry>& entries, const std::vector<bool>& keep,
                      QString& error)
{
    ArchiveReader r;
    if (!r.open(path, error))
        return false;
    size_t i = 0;
    for (;;) {
        archive_entry* e = nullptr;
        int rc = archive_read_next_header(r.a, &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN || i >= entries.size()) {
            error = rc < ARCHIVE_WARN ? r.lastError() : u"unexpected entry"_s;
            return false;
        }
        if (keep[i]) {
            qint64 size = 0;
            if (!readEntryData(r, nullptr, size, error))
                return false;
        } else if (archive_read_data_skip(r.a) != ARCHIVE_OK) {
            error = r.lastError();
            return false;
        }
        ++i;
    }
    if (i != entries.size()) {
        error = u"entries missing"_s;
        return false;
    }
    return true;
}

bool copyRange(QIODevice& from, qint64 offset, qint64 length, QIODevice& to, QString& error)
{
    if (!from.seek(offset)) {
        error = from.errorString();
        return false;
    }
    std::vector<char> buf(kChunk);
    while (length > 0) {
        const qint64 n = from.read(buf.data(), std::min<qint64>(length, kChunk));
        if (n <= 0) {
            error = u"read error"_s;
            return false;
        }
        if (to.write(buf.data(), n) != n) {
            error = to.errorString();
            return false;
        }
        length -= n;
    }
    return true;
}

// Writes `in` as one entry at the current position of `out`: compressed, or stored when compressing does not pay.
bool writeEntry(QFileDevice& out, QFile& in, const QByteArray& name, uint32_t mtime, QString& error,
                const std::function<void(qint64, qint64)>& progress = {})
{
    LhaHeaderFields f;
    f.method = "-lh5-";
    f.name = name;
    f.mtime = mtime;
    const qint64 headerPos = out.pos();
    const QByteArray placeholder = lhaLevel2Header(f);
    if (out.write(placeholder) != placeholder.size()) {
        error = out.errorString();
        return false;
    }
    const qint64 dataPos = out.pos();

    std::vector<char> buf(kChunk);
    auto readAll = [&](auto&& consume) -> bool {
        if (!in.seek(0)) {
            error = in.errorString();
            return false;
        }
        uint16_t crc = 0;
        qint64 total = 0;
        for (;;) {
            const qint64 n = in.read(buf.data(), kChunk);
            if (n < 0) {
                error = in.errorString();
                return false;
            }
            if (n == 0)
                break;
            crc = lhaCrc16(buf.data(), size_t(n), crc);
            total += n;
            if (total > 0xFFFFFFFFll) {
                error = u"file too large"_s;
                return false;
            }
            if (!consume(buf.data(), size_t(n)))
                return false;
            if (progress)
                progress(total, in.size());
        }
        f.crc = crc;
        f.originalSize = uint32_t(total);
        return true;
    };
    auto toOut = [&](const char* d, size_t n) {
        if (out.write(d, qint64(n)) != qint64(n)) {
            error = out.errorString();
            return false;
        }
        return true;
    };

    Lh5Encoder encoder(toOut);
    if (!readAll([&](const char* d, size_t n) { return encoder.write(d, n); }) || !encoder.finish())
        return false;
    f.packedSize = uint32_t(encoder.packedSize());
    if (encoder.packedSize() >= f.originalSize) {
        f.method = "-lh0-";
        if (!out.seek(dataPos) || !readAll(toOut) || !out.resize(out.pos())) {
            if (error.isEmpty())
                error = out.errorString();
            return false;
        }
        f.packedSize = f.originalSize;
    }
    const qint64 endPos = out.pos();
    if (!out.seek(headerPos) || out.write(lhaLevel2Header(f)) != placeholder.size() || !out.seek(endPos)) {
        error = out.errorString();
        return false;
    }
    return true;
}

// The name an added file is stored under, or nothing (with `message` set) when the file cannot be added.
std::optional<QByteArray> storedFileName(const QFileInfo& info, QString& message)
{
    const QString name = info.fileName();
    const QByteArray storedName = toCp932(name);
    if (!info.isFile()) {
        message = u"no such file: "_s + info.filePath();
        return std::nullopt;
    }
    if (fromCp932(storedName) != name || storedName.size() > 0xFFFF - 64) {
        message = u"file name cannot be stored: "_s + name;
        return std::nullopt;
    }
    return storedName;
}

uint32_t storedTime(const QFileInfo& info)
{
    return uint32_t(std::max<qint64>(0, info.lastModified().toSecsSinceEpoch()));
}

bool addFile(const QString& archivePath, const QString& filePath, QString& message)
{
    const QFileInfo info(filePath);
    const QString name = info.fileName();
    const std::optional<QByteArray> stored = storedFileName(info, message);
    if (!stored)
        return false;
    const QByteArray& storedName = *stored;
    QFile in(filePath);
    if (!in.open(QIODevice::ReadOnly)) {
        message = in.errorString();
        return false;
    }

    QFile old(archivePath);
    std::vector<LhaRawEntry> entries;
    std::vector<bool> keep;
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly) || !scanLhaArchive(old, entries, message)) {
            if (message.isEmpty())
                message = old.errorString();
            return false;
        }
        for (const auto& e : entries)
            keep.push_back(!sameName(e.path, storedName));
        if (!checkKeptEntries(archivePath, entries, keep, message))
            return false;
    }

    // The old archive stays as it is until the new one is complete and on disk.
    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly)) {
        message = out.errorString();
        return false;
    }
    const uint32_t mtime = storedTime(info);
    bool written = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (keep[i]) {
            if (!copyRange(old, entries[i].offset, entries[i].length, out, message))
                return false;
        } else if (!written) {
            // The replacement takes the place of the old entry, so the order of the archive is kept.
            if (!writeEntry(out, in, storedName, mtime, message))
                return false;
            written = true;
        }
    }
    if (!written && !writeEntry(out, in, storedName, mtime, message))
        return false;
    if (out.write("\0", 1) != 1 || !out.commit()) {
        message = out.errorString();
        return false;
    }
    message = name + u" added to "_s + archivePath;
    return true;
}

// Only a plain name may come out of an archive: nothing that could land outside the directory.
bool isPlainName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(u'\\') &&
           !name.contains(u':') && !name.contains(QChar(0));
}

bool extractAll(const QString& archivePath, const QString& dirPath, QString& message)
{
    const QDir dir(dirPath);
    if (!QFileInfo(dirPath).isDir()) {
        message = u"no such directory: "_s + dirPath;
        return false;
    }
    // libarchive reports LHA device entries as plain files, so the file type is taken from the headers as well.
    std::vector<LhaRawEntry> raw;
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly) || !scanLhaArchive(file, raw, message)) {
        if (message.isEmpty())
            message = file.errorString();
        return false;
    }
    for (const auto& e : raw) {
        const uint16_t type = e.unixMode & 0170000;
        if (e.method == "-lhd-" || (type != 0 && type != 0100000)) {
            message = u"refused entry: "_s + fromCp932(e.path);
            return false;
        }
    }
    ArchiveReader r;
    if (!r.open(archivePath, message))
        return false;

    // Every file goes to a temporary beside its target and replaces it only once all entries came out whole.
    std::vector<std::pair<QString, std::unique_ptr<QSaveFile>>> done;
    size_t index = 0;
    for (;;) {
        archive_entry* e = nullptr;
        const int rc = archive_read_next_header(r.a, &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN || index >= raw.size()) {
            message = rc < ARCHIVE_WARN ? r.lastError() : u"archive headers do not add up"_s;
            return false;
        }
        // The name as stored, through the one code page 932 converter everything else uses.
        const QString name = fromCp932(raw[index++].path);
        if (archive_entry_filetype(e) != AE_IFREG || archive_entry_hardlink(e) || archive_entry_symlink(e) ||
            !isPlainName(name)) {
            message = u"refused entry: "_s + (name.isEmpty() ? u"(no name)"_s : name);
            return false;
        }
        auto file = std::make_unique<QSaveFile>(dir.filePath(name));
        if (!file->open(QIODevice::WriteOnly)) {
            message = file->errorString();
            return false;
        }
        qint64 size = 0;
        if (!readEntryData(r, file.get(), size, message))
            return false;
        if (archive_entry_size_is_set(e) && size != archive_entry_size(e)) {
            message = u"size mismatch: "_s + name;
            return false;
        }
        // A later entry of the same name wins, as it would when extracting one by one.
        std::erase_if(done, [&](const auto& d) { return d.first == name; });
        done.emplace_back(name, std::move(file));
    }
    if (index != raw.size()) {
        message = u"archive headers do not add up"_s;
        return false;
    }
    if (done.empty()) {
        message = u"no file in archive"_s;
        return false;
    }
    for (auto& [name, file] : done) {
        if (!file->commit()) {
            message = file->errorString();
            return false;
        }
    }
    message = QString::number(done.size()) + u" file(s) extracted"_s;
    return true;
}

void putMessage(char* output, int outputSize, const QString& message)
{
    if (!output || outputSize <= 0)
        return;
    const QByteArray bytes = toCp932(message);
    const int n = std::min<int>(int(bytes.size()), outputSize - 1);
    std::memcpy(output, bytes.constData(), size_t(n));
    output[n] = '\0';
}

} // namespace

int Unlha(void* owner, const char* commandLine, char* output, int outputSize)
{
    Q_UNUSED(owner);
    const std::optional<Command> cmd = commandLine ? parseCommand(fromCp932(commandLine)) : std::nullopt;
    if (!cmd) {
        putMessage(output, outputSize, u"unknown command"_s);
        return 1;
    }
    QString message;
    const bool ok =
        cmd->add ? addFile(cmd->archive, cmd->target, message) : extractAll(cmd->archive, cmd->target, message);
    putMessage(output, outputSize, ok ? message : u"error: "_s + message);
    return ok ? 0 : 2;
}

bool RunArchiver(QWidget* owner, const QString& commandLine)
{
    const QByteArray line = toCp932(commandLine);
    char output[256] = {};
    return Unlha(owner, line.constData(), output, int(sizeof output)) == 0;
}

bool archiveSingleFile(const QString& archivePath, const QString& filePath, QString& error,
                       const std::function<void(qint64 done, qint64 total)>& progress)
{
    return archiveFiles(archivePath, {filePath}, error, progress);
}

bool archiveFiles(const QString& archivePath, const QStringList& filePaths, QString& error,
                  const std::function<void(qint64 done, qint64 total)>& progress)
{
    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly)) {
        error = out.errorString();
        return false;
    }
    for (const QString& filePath : filePaths) {
        const QFileInfo info(filePath);
        const std::optional<QByteArray> storedName = storedFileName(info, error);
        if (!storedName)
            return false;
        QFile in(filePath);
        if (!in.open(QIODevice::ReadOnly)) {
            error = in.errorString();
            return false;
        }
        if (!writeEntry(out, in, *storedName, storedTime(info), error, progress))
            return false;
    }
    if (out.write("\0", 1) != 1 || !out.commit()) {
        error = out.errorString();
        return false;
    }
    return true;
}

bool addToArchive(const QString& archivePath, const QString& filePath, QString& error)
{
    return addFile(archivePath, filePath, error);
}

RestoreCheck checkRestoreArchive(const QString& archivePath, const QString& fileName)
{
    RestoreCheck check;
    const QFileInfo info(archivePath);
    if (!info.isFile())
        return check;
    check.written = info.lastModified();
    check.problem = RestoreCheck::Damaged;
    std::vector<LhaRawEntry> raw;
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly)) {
        check.detail = file.errorString();
        return check;
    }
    if (!scanLhaArchive(file, raw, check.detail))
        return check;
    ArchiveReader r;
    if (!r.open(archivePath, check.detail))
        return check;
    bool plain = true;
    for (size_t index = 0;; ++index) {
        archive_entry* e = nullptr;
        const int rc = archive_read_next_header(r.a, &e);
        if (rc == ARCHIVE_EOF)
            break;
        if (rc < ARCHIVE_WARN || index >= raw.size()) {
            check.detail = rc < ARCHIVE_WARN ? r.lastError() : u"archive headers do not add up"_s;
            return check;
        }
        check.names << fromCp932(raw[index].path);
        const uint16_t type = raw[index].unixMode & 0170000;
        if (raw[index].method == "-lhd-" || (type != 0 && type != 0100000) || archive_entry_filetype(e) != AE_IFREG)
            plain = false;
        qint64 size = 0;
        if (!readEntryData(r, nullptr, size, check.detail))
            return check;
    }
    // The slips' history is kept beside them in the same archive and comes back with them.
    QStringList others = check.names;
    others.removeOne(fileName);
    others.removeAll(QStringLiteral("rireki.dat"));
    check.problem = plain && check.names.contains(fileName) && others.isEmpty() && check.names.size() <= 2
                        ? RestoreCheck::Ready
                        : RestoreCheck::NotOurs;
    return check;
}
