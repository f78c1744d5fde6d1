// The month index: keys per slip record, the runs of record numbers per month, their checks and rebuild.
#include "storage/slipindex.h"

#include "storage/durablefile.h"
#include "storage/journal.h"
#include "storage/purchaseslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int MonthRecordSize = 64;
constexpr int MaxRuns = 6;
constexpr char Mark[] = "TILLMON1";
// Version 2 adds the stamp; an index of version 1 is built anew once.
constexpr int Version = 2;
constexpr int ChecksumAt = 24;
constexpr int NameAt = 32;
constexpr int NameWidth = 12;
constexpr int StampAt = 48;
constexpr int CounterAt = 56;
constexpr int RunsAt = 12;
constexpr int SampledRecords = 4;

SlipIndexProgress g_progress;
SlipIndexUse g_use;

// CRC-8 (polynomial 0x07) of a key's bytes but its check byte at 3: any one changed bit, or any run of up to eight,
// is found.
quint8 keyCheck(const char* key)
{
    static const auto table = [] {
        std::array<quint8, 256> t{};
        for (int i = 0; i < 256; ++i) {
            quint8 c = quint8(i);
            for (int b = 0; b < 8; ++b)
                c = quint8(c & 0x80 ? (c << 1) ^ 0x07 : c << 1);
            t[size_t(i)] = c;
        }
        return t;
    }();
    // Not zero at the start, so that a key of zero bytes (a file cut short and filled in) fails.
    quint8 crc = 0xff;
    for (int i = 0; i < SlipKey::Size; ++i)
        if (i != 3)
            crc = table[crc ^ quint8(key[i])];
    return crc;
}

void encodeKey(const SlipKey& key, char* p)
{
    const auto year = uint32_t(key.year);
    p[0] = char(year & 0xff);
    p[1] = char((year >> 8) & 0xff);
    p[2] = char((year >> 16) & 0xff);
    p[4] = char(key.month);
    p[5] = char(key.day);
    p[6] = char(key.hour);
    p[7] = key.deleted ? 1 : 0;
    putDouble(p + 8, key.total);
    p[3] = char(keyCheck(p));
}

struct Run
{
    qint64 first = 0;
    qint64 last = 0;
};

struct MonthEntry
{
    int32_t year = 0;
    int8_t month = 0;
    qint64 count = 0;
    std::vector<Run> runs; // sorted, disjoint, not adjacent
};

struct Directory
{
    qint64 slipBytes = 0;
    // What the slip file and the key file were when the index last matched them; zero for not known.
    quint64 stamp = 0;
    double counter = 0;
    std::vector<MonthEntry> months;

    int find(int32_t year, int month) const
    {
        // Slips mostly come month after month: the month found last is tried first.
        if (lastFound >= 0 && size_t(lastFound) < months.size() && months[size_t(lastFound)].year == year &&
            months[size_t(lastFound)].month == month)
            return lastFound;
        for (size_t i = 0; i < months.size(); ++i)
            if (months[i].year == year && months[i].month == month)
                return lastFound = int(i);
        return -1;
    }
    mutable int lastFound = -1;

    // Records first..last become the month's; returns the entry's position.
    int add(int32_t year, int8_t month, qint64 first, qint64 last)
    {
        int i = find(year, month);
        if (i < 0) {
            months.push_back(MonthEntry{year, month, 0, {}});
            i = int(months.size()) - 1;
        }
        MonthEntry& m = months[size_t(i)];
        m.count += last - first + 1;
        std::vector<Run>& runs = m.runs;
        // The usual case: the next slip of the month just after its last one.
        if (!runs.empty() && runs.back().last + 1 == first) {
            runs.back().last = last;
            return i;
        }
        runs.push_back({first, last});
        std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.first < b.first; });
        std::vector<Run> merged;
        for (const Run& r : runs)
            if (!merged.empty() && r.first <= merged.back().last + 1)
                merged.back().last = std::max(merged.back().last, r.last);
            else
                merged.push_back(r);
        // Too many runs: the two closest are joined; the records between them are read and passed over.
        while (merged.size() > MaxRuns) {
            size_t best = 0;
            for (size_t k = 1; k + 1 < merged.size(); ++k)
                if (merged[k + 1].first - merged[k].last < merged[best + 1].first - merged[best].last)
                    best = k;
            merged[best].last = merged[best + 1].last;
            merged.erase(merged.begin() + qsizetype(best) + 1);
        }
        runs = std::move(merged);
        return i;
    }
};

struct Names
{
    QString slip;
    QString key;
    QString months;
    int recordSize;
    int counter; // the SysNum index of the next slip number
};

Names namesOf(SlipFile file)
{
    if (file == SlipFile::Sales)
        return {QStringLiteral("reg.dat"), QStringLiteral("reg.key"), QStringLiteral("reg.mon"), SalesSlipRecordSize,
                Sys::NextSalesSlipNo};
    return {QStringLiteral("siire.dat"), QStringLiteral("siire.key"), QStringLiteral("siire.mon"),
            PurchaseSlipRecordSize, Sys::NextPurchaseSlipNo};
}

std::optional<SlipFile> fileOfName(QStringView name)
{
    if (name == u"reg.dat")
        return SlipFile::Sales;
    if (name == u"siire.dat")
        return SlipFile::Purchases;
    return std::nullopt;
}

constexpr quint64 FnvBasis = 14695981039346656037ULL;

quint64 fnv(quint64 h, const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i) {
        h ^= quint8(p[i]);
        h *= 1099511628211ULL;
    }
    return h;
}

QByteArray encodeMonth(const MonthEntry& m)
{
    QByteArray r(MonthRecordSize, '\0');
    putInt32(r.data(), m.year);
    r[4] = char(m.month);
    r[5] = char(m.runs.size());
    putInt32(r.data() + 8, int32_t(m.count));
    for (size_t k = 0; k < m.runs.size(); ++k) {
        putInt32(r.data() + RunsAt + int(k) * 8, int32_t(m.runs[k].first));
        putInt32(r.data() + RunsAt + int(k) * 8 + 4, int32_t(m.runs[k].last));
    }
    return r;
}

// The stamp and the counter are left out of the checksum: they are written after the records they vouch for.
QByteArray encodeHeader(const Names& names, const Directory& d, quint64 checksum)
{
    QByteArray r(MonthRecordSize, '\0');
    std::memcpy(r.data(), Mark, 8);
    putInt16(r.data() + 8, Version);
    putInt16(r.data() + 10, int16_t(names.recordSize));
    putInt32(r.data() + 12, int32_t(d.months.size()));
    const qint64 bytes = d.slipBytes;
    std::memcpy(r.data() + 16, &bytes, 8); // little-endian, as every number of the data files
    std::memcpy(r.data() + ChecksumAt, &checksum, 8);
    const QByteArray name = names.slip.toLatin1().leftJustified(NameWidth, ' ', true);
    std::memcpy(r.data() + NameAt, name.constData(), NameWidth);
    std::memcpy(r.data() + StampAt, &d.stamp, 8);
    putDouble(r.data() + CounterAt, d.counter);
    return r;
}

quint64 checksumOf(const Names& names, const Directory& d)
{
    QByteArray header = encodeHeader(names, d, 0);
    std::memset(header.data() + StampAt, 0, MonthRecordSize - StampAt);
    quint64 h = fnv(FnvBasis, header.constData(), header.size());
    for (const MonthEntry& m : d.months) {
        const QByteArray r = encodeMonth(m);
        h = fnv(h, r.constData(), r.size());
    }
    return h;
}

QByteArray encodeDirectory(const Names& names, const Directory& d)
{
    QByteArray out = encodeHeader(names, d, checksumOf(names, d));
    for (const MonthEntry& m : d.months)
        out += encodeMonth(m);
    return out;
}

// The directory file's bytes, when they are ours, for this slip file, and whole.
bool decodeDirectory(const Names& names, const QByteArray& bytes, Directory& d)
{
    if (bytes.size() < MonthRecordSize || bytes.size() % MonthRecordSize != 0)
        return false;
    const char* h = bytes.constData();
    if (std::memcmp(h, Mark, 8) != 0 || getInt16(h + 8) != Version || getInt16(h + 10) != names.recordSize)
        return false;
    if (QByteArray(h + NameAt, NameWidth) != names.slip.toLatin1().leftJustified(NameWidth, ' ', true))
        return false;
    const qint64 count = getInt32(h + 12);
    if (count != bytes.size() / MonthRecordSize - 1)
        return false;
    std::memcpy(&d.slipBytes, h + 16, 8);
    if (d.slipBytes < 0)
        return false;
    std::memcpy(&d.stamp, h + StampAt, 8);
    d.counter = getDouble(h + CounterAt);
    d.months.clear();
    for (qint64 i = 0; i < count; ++i) {
        const char* r = h + (i + 1) * MonthRecordSize;
        MonthEntry m;
        m.year = getInt32(r);
        m.month = int8_t(r[4]);
        const int runs = quint8(r[5]);
        m.count = getInt32(r + 8);
        if (runs > MaxRuns || m.count < 0)
            return false;
        for (int k = 0; k < runs; ++k) {
            const Run run{getInt32(r + RunsAt + k * 8), getInt32(r + RunsAt + k * 8 + 4)};
            if (run.first < 1 || run.last < run.first || (!m.runs.empty() && run.first <= m.runs.back().last + 1))
                return false;
            m.runs.push_back(run);
        }
        d.months.push_back(std::move(m));
    }
    quint64 stored = 0;
    std::memcpy(&stored, h + ChecksumAt, 8);
    return stored == checksumOf(names, d);
}

class Fd
{
public:
    explicit Fd(const QString& path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    bool isOpen() const { return m_fd >= 0; }
    // Exactly `bytes` bytes at `offset`, or false.
    bool readAt(qint64 offset, char* into, qint64 bytes) const
    {
        qint64 got = 0;
        while (got < bytes) {
            const ssize_t r = ::pread(m_fd, into + got, size_t(bytes - got), off_t(offset + got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                return false;
            got += r;
        }
        return true;
    }

private:
    int m_fd;
};

// An opened index that matched its slip file when it was checked.
struct Index
{
    Names names;
    Directory dir;
    qint64 records = 0; // whole records of the slip file
};

// A file's size and its modification and change times to the nanosecond, hashed on from `from`; zero when the
// file cannot be looked at. The system sets the change time on every write and no program can set it back, so a
// copy put back, an older build or a hand edit all change it, also where the size stays. Device and inode numbers
// are left out, as a remount may change them.
quint64 fileStamp(const QString& name, quint64 from = FnvBasis)
{
    struct stat st = {};
    if (from == 0 || ::stat(QFile::encodeName(dataPath(name)).constData(), &st) != 0)
        return 0;
    const qint64 fields[] = {qint64(st.st_size), qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec),
                             qint64(st.st_ctim.tv_sec), qint64(st.st_ctim.tv_nsec)};
    return fnv(from, reinterpret_cast<const char*>(fields), qsizetype(sizeof fields));
}

// The slip file and the key file as they are now.
quint64 stampOf(const Names& n)
{
    return fileStamp(n.key, fileStamp(n.slip));
}

// The index was stamped for both files as they are now and for the slips issued so far. The next slip number
// catches an index put back from before later saves made within one tick of the clock the times are kept in.
bool stampHolds(const Names& n, const Directory& d)
{
    return d.stamp != 0 && d.stamp == stampOf(n) && d.counter == SysNum[n.counter];
}

bool sameKey(const char* stored, const char* record, SlipFile file)
{
    char key[SlipKey::Size];
    encodeKey(SlipKeyOf(file, record), key);
    return std::memcmp(stored, key, SlipKey::Size) == 0;
}

SlipIndexState openIndex(SlipFile file, Index& index)
{
    index.names = namesOf(file);
    const Names& n = index.names;
    QFile dirFile(dataPath(n.months));
    const bool hasDir = dirFile.exists(), hasKeys = QFileInfo::exists(dataPath(n.key));
    const QFileInfo slipInfo(dataPath(n.slip));
    const qint64 slipBytes = slipInfo.exists() ? slipInfo.size() : 0;
    if (!hasDir && !hasKeys && slipBytes == 0) {
        // Nothing to index yet: an empty index, which the first save writes.
        index.dir = Directory{};
        index.records = 0;
        return SlipIndexState::Usable;
    }
    if (!hasDir || !hasKeys)
        return SlipIndexState::Missing;
    if (!dirFile.open(QIODevice::ReadOnly))
        return SlipIndexState::Damaged;
    if (!decodeDirectory(n, dirFile.readAll(), index.dir) || index.dir.slipBytes != slipBytes)
        return SlipIndexState::Damaged;
    index.records = slipBytes / n.recordSize;
    if (QFileInfo(dataPath(n.key)).size() != index.records * SlipKey::Size)
        return SlipIndexState::Damaged;
    qint64 counted = 0;
    for (const MonthEntry& m : index.dir.months) {
        counted += m.count;
        if (!m.runs.empty() && m.runs.back().last > index.records)
            return SlipIndexState::Damaged;
    }
    if (counted != index.records)
        return SlipIndexState::Damaged;
    // Whole and ours, but the slips may have been written since by something that did not write the index: a
    // sample of records cannot tell, when the size stayed.
    if (!stampHolds(n, index.dir))
        return SlipIndexState::Stale;
    if (index.records == 0)
        return SlipIndexState::Usable;
    // A few records compared with their keys: the last, the first and two anywhere.
    const Fd keys(dataPath(n.key)), slips(dataPath(n.slip));
    if (!keys.isOpen() || !slips.isOpen())
        return SlipIndexState::Damaged;
    QByteArray record(n.recordSize, '\0');
    char key[SlipKey::Size];
    for (int k = 0; k < SampledRecords; ++k) {
        const qint64 r = k == 0   ? index.records
                         : k == 1 ? 1
                                  : 1 + qint64(QRandomGenerator::global()->bounded(quint64(index.records)));
        if (!keys.readAt((r - 1) * SlipKey::Size, key, SlipKey::Size) ||
            !slips.readAt((r - 1) * n.recordSize, record.data(), n.recordSize) ||
            !sameKey(key, record.constData(), file))
            return SlipIndexState::Damaged;
    }
    return SlipIndexState::Usable;
}

bool matches(const SlipKey& k, int year, int month, std::optional<int> day)
{
    return k.year == year && k.month == month && (!day || k.day == *day);
}

// Through the index: false when it turned out not to match its file, with nothing visited.
bool scanThroughIndex(SlipFile file, const Index& index, int year, int month, std::optional<int> day, qint64 last,
                      const std::function<bool(qint64, const char*)>& visit)
{
    const int at = index.dir.find(year, month);
    if (at < 0)
        return true;
    const MonthEntry& entry = index.dir.months[size_t(at)];
    const Fd keys(dataPath(index.names.key));
    if (!keys.isOpen())
        return false;
    std::vector<qint64> wanted;
    std::vector<char> storedKeys;
    qint64 counted = 0;
    QByteArray block;
    for (const Run& run : entry.runs) {
        const qint64 records = run.last - run.first + 1;
        block.resize(records * SlipKey::Size);
        if (!keys.readAt((run.first - 1) * SlipKey::Size, block.data(), block.size()))
            return false;
        for (qint64 i = 0; i < records; ++i) {
            const char* k = block.constData() + i * SlipKey::Size;
            if (!SlipKeyIntact(k))
                return false;
            const SlipKey key = DecodeSlipKey(k);
            if (key.year != year || key.month != month)
                continue;
            ++counted;
            if (matches(key, year, month, day) && run.first + i <= last) {
                wanted.push_back(run.first + i);
                storedKeys.insert(storedKeys.end(), k, k + SlipKey::Size);
            }
        }
    }
    if (counted != entry.count)
        return false;
    // Every record is read and compared with its key before the first is visited, so that a mismatch can
    // still go the long way without anything visited twice.
    const int size = index.names.recordSize;
    QByteArray records(qsizetype(wanted.size()) * size, Qt::Uninitialized);
    const Fd slips(dataPath(index.names.slip));
    if (!wanted.empty() && !slips.isOpen())
        return false;
    for (size_t i = 0; i < wanted.size();) {
        size_t j = i + 1;
        while (j < wanted.size() && wanted[j] == wanted[j - 1] + 1)
            ++j;
        if (!slips.readAt((wanted[i] - 1) * size, records.data() + qsizetype(i) * size, qint64(j - i) * size))
            return false;
        i = j;
    }
    for (size_t i = 0; i < wanted.size(); ++i)
        if (!sameKey(storedKeys.data() + i * SlipKey::Size, records.constData() + qsizetype(i) * size, file))
            return false;
    g_use.recordsRead += qint64(wanted.size());
    for (size_t i = 0; i < wanted.size(); ++i)
        if (!visit(wanted[i], records.constData() + qsizetype(i) * size))
            break;
    return true;
}

// An index file written beside its place and renamed into it.
Result writeCache(const QString& name, const QByteArray& bytes)
{
    const QString path = dataPath(name);
    QFile out(replacementPath(path));
    const bool written = out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(bytes) == bytes.size();
    const QString reason = out.errorString();
    out.close();
    if (written && QFile::rename(replacementPath(path), path))
        return Result::success();
    QFile::remove(replacementPath(path));
    return Result::failure(QStringLiteral("%1 を書けません（%2）。").arg(name, reason));
}

bool journalPending()
{
    return QFileInfo::exists(JournalPath());
}

// An index to read through: the one there when it matches, else a new one; false when neither can be had.
bool usableIndex(SlipFile file, Index& index)
{
    if (openIndex(file, index) == SlipIndexState::Usable)
        return true;
    // With a save still pending its journal holds index records for the files as they are not yet.
    if (journalPending() || !RebuildSlipIndex(file))
        return false;
    return openIndex(file, index) == SlipIndexState::Usable;
}

} // namespace

SlipKey SlipKeyOf(SlipFile file, const char* record)
{
    const SlipView v(record);
    SlipKey k;
    k.year = v.year();
    // Two characters hold no value outside -9..99.
    k.month = int8_t(v.month());
    k.day = int8_t(v.day());
    k.hour = int8_t(v.savedHour());
    if (file == SlipFile::Sales) {
        k.deleted = v.deleted();
        k.total = v.total();
    } else {
        const PurchaseSlipView p(record);
        k.deleted = p.deleted();
        k.total = p.total();
    }
    return k;
}

QByteArray EncodeSlipKey(const SlipKey& key)
{
    QByteArray r(SlipKey::Size, Qt::Uninitialized);
    encodeKey(key, r.data());
    return r;
}

SlipKey DecodeSlipKey(const char* bytes)
{
    SlipKey k;
    // 24 bits hold every year four characters can give, and the mark of no year.
    const uint32_t year = quint8(bytes[0]) | quint8(bytes[1]) << 8 | quint8(bytes[2]) << 16;
    k.year = int32_t(year << 8) >> 8;
    k.month = int8_t(bytes[4]);
    k.day = int8_t(bytes[5]);
    k.hour = int8_t(bytes[6]);
    k.deleted = bytes[7] != 0;
    k.total = getDouble(bytes + 8);
    return k;
}

bool SlipKeyIntact(const char* bytes)
{
    return quint8(bytes[3]) == keyCheck(bytes);
}

QString SlipFileName(SlipFile file)
{
    return namesOf(file).slip;
}

QString SlipKeyFileName(SlipFile file)
{
    return namesOf(file).key;
}

QString SlipMonthFileName(SlipFile file)
{
    return namesOf(file).months;
}

Result ScanSlipMonth(SlipFile file, int year, int month, std::optional<int> day, qint64 last,
                     const std::function<bool(qint64, const char*)>& visit)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        Index index;
        if (!usableIndex(file, index))
            break;
        if (scanThroughIndex(file, index, year, month, day, std::min(last, index.records), visit))
            return Result::success();
        // The index said otherwise than the records: it is rebuilt once, then the file is read whole.
        if (journalPending())
            break;
        DropSlipIndex(namesOf(file).slip);
    }
    const Names n = namesOf(file);
    ++g_use.fullReads;
    return ScanRecords(n.slip, n.recordSize, 1, last, [&](qint64 r, const char* record) {
        return !matches(SlipKeyOf(file, record), year, month, day) || visit(r, record);
    });
}

Result ScanSalesMonth(int year, int month, std::optional<int> day, qint64 last,
                      const std::function<bool(qint64, const SlipView&)>& visit)
{
    return ScanSlipMonth(SlipFile::Sales, year, month, day, last,
                         [&](qint64 n, const char* record) { return visit(n, SlipView(record)); });
}

Result ScanPurchaseMonth(int year, int month, std::optional<int> day, qint64 last,
                         const std::function<bool(qint64, const PurchaseSlipView&)>& visit)
{
    return ScanSlipMonth(SlipFile::Purchases, year, month, day, last,
                         [&](qint64 n, const char* record) { return visit(n, PurchaseSlipView(record)); });
}

Result ScanSlipKeys(SlipFile file, qint64 last, const std::function<bool(qint64, const SlipKey&)>& visit)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        Index index;
        if (!usableIndex(file, index))
            break;
        const qint64 end = std::max<qint64>(0, std::min(last, index.records));
        QByteArray keys(end * SlipKey::Size, Qt::Uninitialized);
        const Fd keyFile(dataPath(index.names.key));
        bool intact = end == 0 || (keyFile.isOpen() && keyFile.readAt(0, keys.data(), keys.size()));
        // Every key is checked before the first is handed on, so that a damaged one can still go the long way.
        for (qint64 i = 0; intact && i < end; ++i)
            intact = SlipKeyIntact(keys.constData() + i * SlipKey::Size);
        if (intact) {
            for (qint64 i = 0; i < end; ++i)
                if (!visit(i + 1, DecodeSlipKey(keys.constData() + i * SlipKey::Size)))
                    break;
            return Result::success();
        }
        if (journalPending())
            break;
        DropSlipIndex(index.names.slip);
    }
    const Names n = namesOf(file);
    ++g_use.fullReads;
    return ScanRecords(n.slip, n.recordSize, 1, last,
                       [&](qint64 r, const char* record) { return visit(r, SlipKeyOf(file, record)); });
}

SlipIndexState CheckSlipIndex(SlipFile file)
{
    Index index;
    return openIndex(file, index);
}

Result RebuildSlipIndex(SlipFile file)
{
    const Names n = namesOf(file);
    DropSlipIndex(n.slip);
    const QFileInfo slipInfo(dataPath(n.slip));
    // No slip file, no index: the first save writes both.
    if (!slipInfo.exists())
        return Result::success();
    ++g_use.rebuilds;
    Directory dir;
    const quint64 read = fileStamp(n.slip);
    dir.slipBytes = slipInfo.size();
    const qint64 total = dir.slipBytes / n.recordSize;
    QByteArray keys(total * SlipKey::Size, Qt::Uninitialized);
    if (g_progress)
        g_progress(0, total);
    qint64 done = 0;
    const Result scanned = ScanRecords(n.slip, n.recordSize, 1, total, [&](qint64 r, const char* record) {
        const SlipKey k = SlipKeyOf(file, record);
        dir.add(k.year, k.month, r, r);
        encodeKey(k, keys.data() + (r - 1) * SlipKey::Size);
        done = r;
        if (g_progress && r % 8192 == 0)
            g_progress(r, total);
        return true;
    });
    if (g_progress)
        g_progress(total, total);
    if (!scanned)
        return scanned;
    // The slip file changed while it was read: what was read may not match it.
    if (done != total || read == 0 || fileStamp(n.slip) != read)
        return Result::failure(QStringLiteral("%1 が読み込み中に変わりました。").arg(n.slip));
    // The keys first, the month file last: without it the keys are never used. Neither is flushed to disk here,
    // as a cache need not be: one cut short by a power cut fails its sizes, checksum or key checks and is built
    // anew, and the next save flushes both with its own records.
    if (Result r = writeCache(n.key, keys); !r)
        return r;
    // Stamped for the slip file as it was read, so that a write after the read leaves the index to be read again.
    dir.stamp = fileStamp(n.key, read);
    dir.counter = SysNum[n.counter];
    return writeCache(n.months, encodeDirectory(n, dir));
}

void DropSlipIndex(const QString& slipFileName)
{
    const std::optional<SlipFile> file = fileOfName(slipFileName);
    if (!file)
        return;
    const Names n = namesOf(*file);
    // The month file goes first: without it the keys are never read.
    QFile::remove(dataPath(n.months));
    QFile::remove(dataPath(n.key));
}

void AddSlipIndexRecords(Transaction& t)
{
    const QList<JournalRecord> slips = t.records;
    for (const JournalRecord& s : slips) {
        const std::optional<SlipFile> file = fileOfName(s.fileName);
        if (!file)
            continue;
        // Each record's change is worked out from the index on disk, which knows nothing of another record
        // of the same transaction.
        if (std::count_if(slips.begin(), slips.end(),
                          [&](const JournalRecord& o) { return o.fileName == s.fileName; }) > 1) {
            DropSlipIndex(s.fileName);
            continue;
        }
        Index index;
        const Names& n = index.names;
        if (openIndex(*file, index) != SlipIndexState::Usable || index.dir.slipBytes % namesOf(*file).recordSize != 0 ||
            s.recordNo < 1 || s.bytes.size() != namesOf(*file).recordSize) {
            DropSlipIndex(s.fileName);
            continue;
        }
        Directory& dir = index.dir;
        std::vector<int> changed;
        const SlipKey key = SlipKeyOf(*file, s.bytes.constData());
        const SlipKey blank = SlipKeyOf(*file, s.blank.constData());
        if (s.recordNo <= index.records) {
            // The record leaves its old month and joins its new one, which may be the same. A key that cannot be
            // read, or names a month without a record, leaves the index to be built anew.
            char stored[SlipKey::Size] = {};
            const Fd keys(dataPath(n.key));
            const bool read = keys.isOpen() && keys.readAt((s.recordNo - 1) * SlipKey::Size, stored, SlipKey::Size);
            const SlipKey old = DecodeSlipKey(stored);
            const int at = read ? dir.find(old.year, old.month) : -1;
            if (at < 0 || dir.months[size_t(at)].count < 1) {
                DropSlipIndex(s.fileName);
                continue;
            }
            --dir.months[size_t(at)].count;
            changed.push_back(at);
            changed.push_back(dir.add(key.year, key.month, s.recordNo, s.recordNo));
        } else {
            if (s.recordNo > index.records + 1)
                changed.push_back(dir.add(blank.year, blank.month, index.records + 1, s.recordNo - 1));
            changed.push_back(dir.add(key.year, key.month, s.recordNo, s.recordNo));
            dir.slipBytes = s.recordNo * n.recordSize;
        }
        t.records << JournalRecord{n.key, s.recordNo, EncodeSlipKey(key), EncodeSlipKey(blank)};
        // Unstamped until the records are written: StampSlipIndex stamps it after the commit.
        dir.stamp = 0;
        dir.counter = 0;
        const QByteArray emptyMonth(MonthRecordSize, '\0');
        t.records << JournalRecord{n.months, 1, encodeHeader(n, dir, checksumOf(n, dir)), emptyMonth};
        std::sort(changed.begin(), changed.end());
        changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
        for (int at : changed)
            t.records << JournalRecord{n.months, at + 2, encodeMonth(dir.months[size_t(at)]), emptyMonth};
    }
}

void StampSlipIndex(const Transaction& t)
{
    for (SlipFile file : {SlipFile::Sales, SlipFile::Purchases}) {
        const Names n = namesOf(file);
        if (std::none_of(t.records.begin(), t.records.end(),
                         [&](const JournalRecord& r) { return r.fileName == n.months; }))
            continue;
        char stamp[MonthRecordSize - StampAt];
        const quint64 now = stampOf(n);
        std::memcpy(stamp, &now, 8);
        putDouble(stamp + CounterAt - StampAt, SysNum[n.counter]);
        const int fd = ::open(QFile::encodeName(dataPath(n.months)).constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Not flushed, and not checked: a stamp not written, or lost to a power cut, leaves the journalled zero,
        // which never holds, so it only costs one full check.
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, stamp, sizeof stamp, StampAt);
        ::close(fd);
    }
}

SlipIndexUse slipIndexUse()
{
    return g_use;
}

void SetSlipIndexProgress(SlipIndexProgress progress)
{
    g_progress = std::move(progress);
}
