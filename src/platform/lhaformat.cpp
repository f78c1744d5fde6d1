// LHA header layout: writing level-2 headers and walking level 0, 1 and 2 headers of existing archives.
#include "platform/lhaformat.h"

#include "platform/lhaencoder.h"

#include <QIODevice>

using namespace Qt::StringLiterals;

namespace {

void put16(QByteArray& b, int at, uint32_t v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}

void put32(QByteArray& b, int at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

uint32_t get16(const QByteArray& b, qsizetype at)
{
    return uchar(b[at]) | uchar(b[at + 1]) << 8;
}

uint32_t get32(const QByteArray& b, qsizetype at)
{
    return get16(b, at) | get16(b, at + 2) << 16;
}

// Directory fields separate their parts with 0xFF (level 1 and 2) or, in old names, with '\'. Only 0xFF is
// turned into '/': a '\' byte may be the second half of a two-byte character.
QByteArray joinPath(QByteArray dir, const QByteArray& name)
{
    dir.replace('\xFF', '/');
    if (!dir.isEmpty() && !dir.endsWith('/'))
        dir += '/';
    QByteArray n = name;
    n.replace('\xFF', '/');
    return dir + n;
}

bool readAt(QIODevice& file, qint64 pos, qint64 size, QByteArray& out)
{
    if (!file.seek(pos))
        return false;
    out = file.read(size);
    return out.size() == size;
}

// Extended headers: each is its size (2 bytes), a type byte, data and the size of the next one.
// `block` holds them from `at`; `first` is the size of the first.
bool walkExtensions(const QByteArray& block, qsizetype at, uint32_t first, QByteArray& name, QByteArray& dir,
                    uint16_t& unixMode, qsizetype& crcAt)
{
    uint32_t size = first;
    while (size != 0) {
        if (size < 3 || at + qsizetype(size) > block.size())
            return false;
        const char type = block[at];
        QByteArray data = block.mid(at + 1, size - 3);
        if (type == 0x00 && data.size() >= 2)
            crcAt = at + 1;
        else if (type == 0x01)
            name = data;
        else if (type == 0x02)
            dir = data;
        else if (type == 0x50 && data.size() >= 2)
            unixMode = uint16_t(get16(data, 0));
        at += size;
        size = get16(block, at - 2);
    }
    return true;
}

} // namespace

QByteArray lhaLevel2Header(const LhaHeaderFields& f)
{
    const int common = 5; // type, header CRC, next size
    const int nameExt = 3 + int(f.name.size());
    int size = 26 + common + nameExt;
    // A first byte of 0 would read as the end of the archive, so such a header gets one padding byte.
    const bool pad = (size & 0xFF) == 0;
    if (pad)
        ++size;

    QByteArray h(size, '\0');
    put16(h, 0, size);
    h.replace(2, 5, f.method.left(5));
    put32(h, 7, f.packedSize);
    put32(h, 11, f.originalSize);
    put32(h, 15, f.mtime);
    h[19] = 0x20; // MS-DOS "archive" attribute
    h[20] = 2;    // header level
    put16(h, 21, f.crc);
    h[23] = 'M'; // MS-DOS family, whose names are code page 932
    put16(h, 24, common);
    h[26] = 0x00; // header CRC goes at 27, filled in last
    put16(h, 29, nameExt);
    h[31] = 0x01;
    h.replace(32, f.name.size(), f.name);
    put16(h, 32 + int(f.name.size()), 0);
    put16(h, 27, lhaCrc16(h.constData(), h.size()));
    return h;
}

bool scanLhaArchive(QIODevice& file, std::vector<LhaRawEntry>& entries, QString& error)
{
    entries.clear();
    const qint64 fileSize = file.size();
    qint64 pos = 0;
    QByteArray h;
    for (;;) {
        // Some writers leave out the final 0 byte; the end of the file ends the archive just as well.
        if (pos == fileSize)
            return true;
        if (!readAt(file, pos, 1, h))
            break;
        if (h[0] == 0)
            return true;
        if (!readAt(file, pos, 22, h))
            break;
        const int level = uchar(h[20]);
        if (h[2] != '-' || h[6] != '-') {
            error = u"not an LHA header at offset %1"_s.arg(pos);
            return false;
        }
        const uint32_t packed = get32(h, 7);
        LhaRawEntry e;
        e.offset = pos;
        e.method = h.mid(2, 5);
        QByteArray name, dir;
        if (level == 0 || level == 1) {
            const int hsize = uchar(h[0]);
            // The fixed fields run to the name length at byte 21; a shorter header cannot hold them.
            if (hsize < 20) {
                error = u"damaged header at offset %1"_s.arg(pos);
                return false;
            }
            if (!readAt(file, pos, hsize + 2, h))
                break;
            uint8_t sum = 0;
            for (int i = 2; i < hsize + 2; ++i)
                sum += uchar(h[i]);
            const int nameLen = uchar(h[21]);
            if (sum != uchar(h[1]) || 22 + nameLen + 2 > hsize + 2) {
                error = u"damaged header at offset %1"_s.arg(pos);
                return false;
            }
            name = h.mid(22, nameLen);
            // Level 0 from Unix: 'U', version, time, mode, uid, gid after the CRC.
            const int extAt = 24 + nameLen;
            if (level == 0 && hsize + 2 >= extAt + 8 && h[extAt] == 'U')
                e.unixMode = uint16_t(get16(h, extAt + 6));
            e.length = hsize + 2 + qint64(packed);
            if (level == 1) {
                // The extended headers follow the base header and are counted in the packed size.
                qint64 at = pos + hsize + 2;
                uint32_t next = get16(h, hsize);
                qint64 extTotal = 0;
                QByteArray ext;
                while (next != 0) {
                    if (next < 3 || extTotal + next > packed || !readAt(file, at, next, ext)) {
                        error = u"damaged extended header at offset %1"_s.arg(at);
                        return false;
                    }
                    if (ext[0] == 0x01)
                        name = ext.mid(1, next - 3);
                    else if (ext[0] == 0x02)
                        dir = ext.mid(1, next - 3);
                    else if (ext[0] == 0x50 && next >= 5)
                        e.unixMode = uint16_t(get16(ext, 1));
                    extTotal += next;
                    at += next;
                    next = get16(ext, next - 2);
                }
            }
        } else if (level == 2) {
            const uint32_t hsize = get16(h, 0);
            if (hsize < 26 || !readAt(file, pos, hsize, h))
                break;
            qsizetype crcAt = -1;
            if (!walkExtensions(h, 26, get16(h, 24), name, dir, e.unixMode, crcAt)) {
                error = u"damaged extended header at offset %1"_s.arg(pos);
                return false;
            }
            if (crcAt >= 0) {
                const uint32_t stored = get16(h, crcAt);
                QByteArray copy = h;
                put16(copy, int(crcAt), 0);
                if (lhaCrc16(copy.constData(), copy.size()) != stored) {
                    error = u"header CRC error at offset %1"_s.arg(pos);
                    return false;
                }
            }
            e.length = qint64(hsize) + packed;
        } else {
            error = u"unsupported header level %1 at offset %2"_s.arg(level).arg(pos);
            return false;
        }
        if (pos + e.length > fileSize) {
            error = u"archive is cut short in the entry at offset %1"_s.arg(pos);
            return false;
        }
        e.path = joinPath(dir, name);
        entries.push_back(e);
        pos += e.length;
    }
    error = u"archive is cut short at offset %1"_s.arg(pos);
    return false;
}
