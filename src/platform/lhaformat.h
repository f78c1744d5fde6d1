// LHA archive structure: the level-2 header we write and a walk over the headers of an existing archive.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class QIODevice;

struct LhaHeaderFields
{
    QByteArray method; // "-lh5-" or "-lh0-"
    uint32_t packedSize = 0;
    uint32_t originalSize = 0;
    uint32_t mtime = 0; // seconds since 1970, UTC
    uint16_t crc = 0;
    QByteArray name; // code page 932, no directory part
};

// A complete level-2 header with its header CRC; its length depends on the name only.
QByteArray lhaLevel2Header(const LhaHeaderFields& fields);

struct LhaRawEntry
{
    qint64 offset = 0;     // first header byte
    qint64 length = 0;     // header and data together
    QByteArray path;       // code page 932 bytes, directories joined with '/'
    QByteArray method;     // "-lh5-", "-lhd-" (directory or link) …
    uint16_t unixMode = 0; // file type and permissions when a Unix writer recorded them, else 0
};

// Lists the entries of an archive from its headers (levels 0, 1 and 2), checking header sums and CRCs and that
// every entry lies within the file. False with `error` set when the archive is damaged or not understood.
bool scanLhaArchive(QIODevice& file, std::vector<LhaRawEntry>& entries, QString& error);
