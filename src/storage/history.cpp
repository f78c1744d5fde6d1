// The history file: entries built into the slip's own journal transaction, block scans and the chain check.
#include "storage/history.h"

#include "storage/datafiles.h"
#include "storage/durablefile.h"
#include "storage/journal.h"
#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace L = HistoryLayout;

namespace {

constexpr int MarkSize = 8;
constexpr int HashSize = 32;
constexpr qint64 EntriesPerBlock = 1024; // about 2 MB a read

bool g_warned = false;

const QByteArray& blankEntry()
{
    static const QByteArray blank(L::EntrySize, '\0');
    return blank;
}

// A file is ours when it starts with our mark; a torn first entry still shows the mark's beginning.
bool startsOurs(const QByteArray& head)
{
    const qsizetype n = std::min<qsizetype>(head.size(), MarkSize);
    return std::memcmp(head.constData(), HistoryMark, size_t(n)) == 0 &&
           (head.size() < MarkSize + 2 || getInt16(head.constData() + L::Version) == HistoryVersion);
}

QString foreignMessage()
{
    return QStringLiteral("rireki.dat はこのプログラムの履歴ファイルではありません。書き換えずに残しています。");
}

Result readLastEntry(QFile& file, qint64 whole, QByteArray& hash)
{
    hash.clear();
    if (whole == 0)
        return Result::success();
    QByteArray last(L::EntrySize, '\0');
    if (!file.seek((whole - 1) * L::EntrySize) || file.read(last.data(), L::EntrySize) != L::EntrySize)
        return Result::failure(QStringLiteral("rireki.dat を読めません（%1）。").arg(file.errorString()));
    hash = historyEntryHash(last.constData());
    return Result::success();
}

QString now()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}

} // namespace

QString historyOperationName(HistoryOperation op)
{
    switch (op) {
    case HistoryOperation::New:
        return QStringLiteral("新規");
    case HistoryOperation::Correction:
        return QStringLiteral("訂正");
    case HistoryOperation::Deletion:
        return QStringLiteral("削除");
    case HistoryOperation::Reset:
        return QStringLiteral("初期化");
    }
    return QStringLiteral("不明");
}

QString HistoryFileName()
{
    return QStringLiteral("rireki.dat");
}

QString HistoryPath()
{
    return dataPath(HistoryFileName());
}

QByteArray historyEntryHash(const char* entry)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(QByteArrayView(entry, L::Hash));
    h.addData(QByteArrayView(entry + L::Hash + HashSize, L::EntrySize - L::Hash - HashSize));
    return h.result();
}

HistoryEntry decodeHistoryEntry(const char* p)
{
    HistoryEntry e;
    e.entryNo = getInt32(p + L::EntryNo);
    e.operation = HistoryOperation(getInt16(p + L::Operation));
    e.time = getText(p + L::Time, 19);
    e.file = getText(p + L::File, 12).trimmed();
    e.recordNo = getInt32(p + L::RecordNo);
    e.hasBefore = getInt16(p + L::HasBefore) != 0;
    e.anchored = getInt16(p + L::Anchored) != 0;
    e.disagreed = getInt16(p + L::Disagreed) != 0;
    e.before = QByteArray(p + L::Before, L::RecordSize);
    e.after = QByteArray(p + L::After, L::RecordSize);
    return e;
}

QByteArray encodeHistoryEntry(const HistoryEntry& e, const QByteArray& previousHash)
{
    QByteArray bytes(L::EntrySize, '\0');
    char* p = bytes.data();
    std::memcpy(p + L::Mark, HistoryMark, MarkSize);
    putInt16(p + L::Version, HistoryVersion);
    putInt16(p + L::Operation, int16_t(e.operation));
    putInt32(p + L::EntryNo, int32_t(e.entryNo));
    putText(p + L::Time, e.time, 19);
    putText(p + L::File, e.file, 12);
    putInt32(p + L::RecordNo, int32_t(e.recordNo));
    putInt16(p + L::HasBefore, e.hasBefore ? 1 : 0);
    putInt16(p + L::Anchored, e.anchored ? 1 : 0);
    putInt16(p + L::Disagreed, e.disagreed ? 1 : 0);
    std::memcpy(p + L::PreviousHash, previousHash.constData(),
                size_t(std::min<qsizetype>(previousHash.size(), HashSize)));
    if (e.hasBefore)
        std::memcpy(p + L::Before, e.before.constData(), size_t(std::min<qsizetype>(e.before.size(), L::RecordSize)));
    std::memcpy(p + L::After, e.after.constData(), size_t(std::min<qsizetype>(e.after.size(), L::RecordSize)));
    const QByteArray hash = historyEntryHash(p);
    std::memcpy(p + L::Hash, hash.constData(), HashSize);
    return bytes;
}

namespace {

namespace A = AnchorLayout;
constexpr char AnchorMark[] = "TILLRANC";
constexpr int AnchorVersion = 1;

QByteArray anchorCheck(const char* p)
{
    return QCryptographicHash::hash(QByteArrayView(p, A::Check), QCryptographicHash::Sha256).left(16);
}

// Entry k as a record file reads it: bytes beyond the end are zero, as a later write past a torn entry fills them.
bool readEntryAt(QFile& file, qint64 k, QByteArray& entry)
{
    entry = QByteArray(L::EntrySize, '\0');
    if (!file.seek((k - 1) * L::EntrySize))
        return false;
    return file.read(entry.data(), L::EntrySize) >= 0;
}

// Where the next entry goes and what it links to, from the file's entries (a torn one counts as taken) and the
// anchor: never over an entry the file or the anchor holds, linked to the anchor's last entry when it counts up
// to there, otherwise to the last entry as the file holds it.
Result placeNextEntry(QFile& file, HistoryState& s)
{
    const HistoryAnchor anchor = readHistoryAnchor();
    const qint64 taken = s.wholeEntries + (s.partialBytes != 0 ? 1 : 0);
    const qint64 last = anchor.kind == HistoryAnchor::Valid ? std::max(anchor.entries, taken) : taken;
    s.nextEntry = last + 1;
    QByteArray entry;
    if (taken > 0 && !readEntryAt(file, taken, entry))
        return Result::failure(QStringLiteral("rireki.dat を読めません（%1）。").arg(file.errorString()));
    const QByteArray takenHash = taken > 0 ? historyEntryHash(entry.constData()) : QByteArray();
    if (anchor.kind == HistoryAnchor::Valid && last == anchor.entries)
        s.previousHash = anchor.lastHash;
    else
        s.previousHash = takenHash;
    if (anchor.kind == HistoryAnchor::Valid)
        s.disagrees = taken != anchor.entries || s.partialBytes != 0 || (taken > 0 && takenHash != anchor.lastHash);
    else
        s.disagrees = anchor.kind == HistoryAnchor::Damaged || s.partialBytes != 0 ||
                      (taken > 0 && getInt16(entry.constData() + L::Anchored) != 0);
    return Result::success();
}

} // namespace

QString HistoryAnchorFileName()
{
    return QStringLiteral("rireki.anc");
}

QByteArray encodeHistoryAnchor(qint64 entries, const QByteArray& lastHash)
{
    QByteArray bytes(A::Size, '\0');
    char* p = bytes.data();
    std::memcpy(p + A::Mark, AnchorMark, MarkSize);
    putInt16(p + A::Version, AnchorVersion);
    putInt32(p + A::Entries, int32_t(entries));
    std::memcpy(p + A::LastHash, lastHash.constData(), size_t(std::min<qsizetype>(lastHash.size(), HashSize)));
    const QByteArray check = anchorCheck(p);
    std::memcpy(p + A::Check, check.constData(), size_t(check.size()));
    return bytes;
}

HistoryAnchor readHistoryAnchor()
{
    HistoryAnchor a;
    QFile file(dataPath(HistoryAnchorFileName()));
    // An empty file is what a commit refused after checking that the anchor can be opened leaves behind.
    if (!file.exists() || file.size() == 0)
        return a;
    a.kind = HistoryAnchor::Damaged;
    if (!file.open(QIODevice::ReadOnly) || file.size() != A::Size)
        return a;
    const QByteArray bytes = file.readAll();
    const char* p = bytes.constData();
    if (bytes.size() != A::Size || std::memcmp(p, AnchorMark, MarkSize) != 0 ||
        getInt16(p + A::Version) != AnchorVersion || getInt32(p + A::Entries) < 0 ||
        QByteArrayView(p + A::Check, 16) != anchorCheck(p))
        return a;
    a.kind = HistoryAnchor::Valid;
    a.entries = getInt32(p + A::Entries);
    a.lastHash = bytes.mid(A::LastHash, HashSize);
    return a;
}

Result anchorRestoredHistory()
{
    const HistoryState state = readHistoryState();
    if (state.kind != HistoryState::Usable)
        return Result::success(); // not ours: nothing to anchor, and the window goes on reporting it
    const QByteArray hash = state.wholeEntries > 0 ? state.lastHash : QByteArray(HashSize, '\0');
    return replaceFile(dataPath(HistoryAnchorFileName()), encodeHistoryAnchor(state.wholeEntries, hash));
}

HistoryState readHistoryState()
{
    HistoryState s;
    QFile file(HistoryPath());
    if (!file.exists()) {
        placeNextEntry(file, s);
        return s;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        s.kind = HistoryState::Unreadable;
        s.problem = QStringLiteral("rireki.dat を開けません（%1）。").arg(file.errorString());
        return s;
    }
    const qint64 size = file.size();
    if (size > 0 && !startsOurs(file.read(MarkSize + 2))) {
        s.kind = HistoryState::Foreign;
        s.problem = foreignMessage();
        return s;
    }
    s.wholeEntries = size / L::EntrySize;
    s.partialBytes = size % L::EntrySize;
    Result r = readLastEntry(file, s.wholeEntries, s.lastHash);
    if (r)
        r = placeNextEntry(file, s);
    if (!r) {
        s.kind = HistoryState::Unreadable;
        s.problem = r.error;
    }
    return s;
}

QString addHistoryEntry(Transaction& t, HistoryOperation op)
{
    if (t.records.isEmpty())
        return {};
    const JournalRecord& slip = t.records.front();
    HistoryState state = readHistoryState();
    if (state.kind == HistoryState::Usable) {
        // The journal opens every file of the transaction before it writes; a file it cannot open refuses the
        // sale, so the history is only added when it can be written.
        RecordFile check(HistoryPath(), L::EntrySize, blankEntry().constData());
        if (Result r = check.open(); !r) {
            state.kind = HistoryState::Unreadable;
            state.problem = r.error;
        }
    }
    if (state.kind != HistoryState::Usable) {
        if (g_warned)
            return {};
        g_warned = true;
        return QStringLiteral("伝票は保存しましたが、訂正・削除履歴には記録できませんでした。\n%1").arg(state.problem);
    }

    HistoryEntry e;
    e.entryNo = state.nextEntry;
    e.operation = op;
    e.time = now();
    e.file = slip.fileName;
    e.recordNo = slip.recordNo;
    e.after = slip.bytes;
    e.disagreed = state.disagrees;
    if (op != HistoryOperation::New) {
        RecordFile file(dataPath(slip.fileName), int(slip.bytes.size()), slip.blank.constData());
        QByteArray before(slip.bytes.size(), '\0');
        const Result read = accessRecords(file, [&](RecordFile& f) { return f.read(slip.recordNo, before.data()); });
        if (read) {
            e.hasBefore = true;
            e.before = before;
        }
    }
    const QByteArray bytes = encodeHistoryEntry(e, state.previousHash);
    t.records << JournalRecord{HistoryFileName(), e.entryNo, bytes, blankEntry()};
    t.records << JournalRecord{HistoryAnchorFileName(), 1, encodeHistoryAnchor(e.entryNo, bytes.mid(L::Hash, HashSize)),
                               QByteArray(A::Size, '\0')};
    return {};
}

void resetHistoryWarning()
{
    g_warned = false;
}

Result scanHistory(const std::function<bool(qint64, const char*)>& visit, qint64 fromEntry)
{
    QFile file(HistoryPath());
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("rireki.dat を開けません（%1）。").arg(file.errorString()));
    if (file.size() > 0 && !startsOurs(file.read(MarkSize + 2)))
        return Result::failure(foreignMessage());
    const qint64 whole = file.size() / L::EntrySize;
    QByteArray block(EntriesPerBlock * L::EntrySize, Qt::Uninitialized);
    qint64 n = std::max<qint64>(1, fromEntry);
    if (!file.seek((n - 1) * L::EntrySize))
        return Result::failure(QStringLiteral("rireki.dat を読めません（%1）。").arg(file.errorString()));
    while (n <= whole) {
        const qint64 count = std::min(EntriesPerBlock, whole - n + 1);
        const qint64 bytes = count * L::EntrySize;
        if (file.read(block.data(), bytes) != bytes)
            return Result::failure(QStringLiteral("rireki.dat を読めません（%1）。").arg(file.errorString()));
        for (qint64 i = 0; i < count; ++i, ++n)
            if (!visit(n, block.constData() + i * L::EntrySize))
                return Result::success();
    }
    return Result::success();
}

namespace {

// What the history held up to entry `entries`: the corrected slips, and the headers that tell whether a file
// still continues that history. Each header holds its entry's SHA-256 and the one before it, so when the header
// of the last entry read is still in its place, every entry before it is too.
struct CorrectionIndex
{
    QString path; // of the history it was read from
    qint64 entries = 0;
    QByteArray firstHeader;
    QByteArray lastHeader;
    QHash<QString, QSet<qint64>> corrected;
};

// rireki.cor, kept beside the history between runs. Numbers little-endian.
namespace C {
constexpr char Mark[] = "TILLRCOR";
constexpr int Entries = 8;                              // int32, entries read
constexpr int Pairs = 12;                               // int32, corrected slips listed
constexpr int FirstHeader = 16;                         // the header of entry 1
constexpr int LastHeader = FirstHeader + L::HeaderSize; // the header of the last entry read
constexpr int List = LastHeader + L::HeaderSize;        // per slip: its file (12 bytes, blank padded), int32 number
constexpr int PairSize = 16;
// After the list: SHA-256 of everything before it.
} // namespace C

CorrectionIndex g_index; // for the run
qint64 g_entriesRead = 0;

QString correctionCachePath()
{
    return dataPath(QStringLiteral("rireki.cor"));
}

QByteArray encodeCorrectionIndex(const CorrectionIndex& index)
{
    qint64 pairs = 0;
    for (const QSet<qint64>& slips : index.corrected)
        pairs += slips.size();
    QByteArray bytes(C::List + pairs * C::PairSize, '\0');
    char* p = bytes.data();
    std::memcpy(p, C::Mark, MarkSize);
    putInt32(p + C::Entries, int32_t(index.entries));
    putInt32(p + C::Pairs, int32_t(pairs));
    std::memcpy(p + C::FirstHeader, index.firstHeader.constData(), L::HeaderSize);
    std::memcpy(p + C::LastHeader, index.lastHeader.constData(), L::HeaderSize);
    char* at = p + C::List;
    for (auto i = index.corrected.cbegin(); i != index.corrected.cend(); ++i)
        for (const qint64 slip : i.value()) {
            putText(at, i.key(), 12);
            putInt32(at + 12, int32_t(slip));
            at += C::PairSize;
        }
    return bytes + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// The index the cache holds; entries 0 when it is missing, damaged or not ours.
CorrectionIndex readCorrectionCache()
{
    CorrectionIndex index;
    QFile file(correctionCachePath());
    if (!file.open(QIODevice::ReadOnly) || file.size() < C::List + HashSize || file.size() > (qint64(1) << 30))
        return index;
    const QByteArray bytes = file.readAll();
    const qsizetype body = bytes.size() - HashSize;
    const char* p = bytes.constData();
    if (std::memcmp(p, C::Mark, MarkSize) != 0 || getInt32(p + C::Pairs) < 0 ||
        qint64(getInt32(p + C::Pairs)) * C::PairSize != body - C::List || getInt32(p + C::Entries) < 1 ||
        QCryptographicHash::hash(QByteArrayView(p, body), QCryptographicHash::Sha256) != bytes.mid(body))
        return index;
    index.entries = getInt32(p + C::Entries);
    index.firstHeader = bytes.mid(C::FirstHeader, L::HeaderSize);
    index.lastHeader = bytes.mid(C::LastHeader, L::HeaderSize);
    for (const char* at = p + C::List; at < p + body; at += C::PairSize)
        index.corrected[getText(at, 12).trimmed()].insert(getInt32(at + 12));
    return index;
}

// A cache: written beside it and renamed into place, not flushed; a failure only costs a full read next time.
void writeCorrectionCache(const CorrectionIndex& index)
{
    const QString path = correctionCachePath();
    const QString temporary = replacementPath(path);
    QFile file(temporary);
    const QByteArray bytes = encodeCorrectionIndex(index);
    const bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    file.close();
    if (!written || std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0)
        QFile::remove(temporary);
}

// Whether `history` (open, `whole` entries, first header `first`) still begins with what `index` has read.
bool continues(const CorrectionIndex& index, QFile& history, qint64 whole, const QByteArray& first)
{
    if (index.entries < 1 || index.entries > whole || index.firstHeader != first)
        return false;
    QByteArray last(L::HeaderSize, '\0');
    return history.seek((index.entries - 1) * L::EntrySize) &&
           history.read(last.data(), L::HeaderSize) == L::HeaderSize && last == index.lastHeader;
}

} // namespace

QSet<qint64> correctedSlips(const QString& fileName)
{
    // Kept for the run and in rireki.cor between runs. The history only grows, so what was read stays true while
    // the file still holds the first and the last entry read; a reset or a restore puts other entries there, and
    // it is read again from the start.
    CorrectionIndex& index = g_index;
    g_entriesRead = 0;
    const QString path = HistoryPath();
    QFile file(path);
    QByteArray first;
    if (file.open(QIODevice::ReadOnly))
        first = file.read(L::HeaderSize);
    const qint64 whole = file.size() / L::EntrySize;
    if (whole < 1 || first.size() < L::HeaderSize) {
        index = {};
        index.path = path;
        return {};
    }
    if (index.path != path || !continues(index, file, whole, first)) {
        index = readCorrectionCache();
        index.path = path;
        if (!continues(index, file, whole, first)) {
            index = {};
            index.path = path;
        }
    }
    if (index.entries == whole)
        return index.corrected.value(fileName);
    file.close();
    scanHistory(
        [&](qint64 n, const char* p) {
            if (getInt16(p + L::Operation) == int16_t(HistoryOperation::Correction))
                index.corrected[getText(p + L::File, 12).trimmed()].insert(getInt32(p + L::RecordNo));
            if (n == 1)
                index.firstHeader = QByteArray(p, L::HeaderSize);
            index.lastHeader = QByteArray(p, L::HeaderSize);
            index.entries = n;
            ++g_entriesRead;
            return true;
        },
        index.entries + 1);
    if (g_entriesRead > 0)
        writeCorrectionCache(index);
    return index.corrected.value(fileName);
}

qint64 correctedSlipsEntriesRead()
{
    return g_entriesRead;
}

void forgetCorrectedSlips()
{
    g_index = {};
}

Result addNewHistoryChain(Transaction& t, const QString& resetFile, const QString& archivePath, NewFile& file)
{
    const HistoryState state = readHistoryState();
    // A history that is not ours, or cannot be opened, is not replaced; the window goes on reporting it, and the
    // reset is not held up by it, as no save is.
    if (state.kind != HistoryState::Usable)
        return Result::success();
    HistoryEntry e;
    e.entryNo = 1;
    e.operation = HistoryOperation::Reset;
    e.time = now();
    e.file = resetFile;
    e.after = QByteArray(L::RecordSize, '\0');
    if (!archivePath.isEmpty()) {
        QFile archive(archivePath);
        if (!archive.open(QIODevice::ReadOnly))
            return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(archivePath, archive.errorString()));
        QCryptographicHash h(QCryptographicHash::Sha256);
        if (!h.addData(&archive))
            return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(archivePath, archive.errorString()));
        const QString relative = QDir(AppDir).relativeFilePath(archivePath);
        putText(e.after.data() + L::ArchiveName, relative, L::ArchiveNameSize);
        std::memcpy(e.after.data() + L::ArchiveHash, h.result().constData(), HashSize);
    }
    // The old chain counts up to the anchor's last entry when it had more than the file still holds.
    putInt32(e.after.data() + L::ArchivedEntries, int32_t(state.nextEntry - 1));
    e.disagreed = state.disagrees;
    const QByteArray bytes = encodeHistoryEntry(e, state.previousHash);
    if (!file.open() || !file.append(bytes) || !file.finish()) {
        file.discard();
        return Result::failure(QStringLiteral("rireki.dat を書けません（%1）。").arg(file.reason()));
    }
    t.replacements << JournalReplace{HistoryFileName()};
    t.records << JournalRecord{HistoryAnchorFileName(), 1, encodeHistoryAnchor(1, bytes.mid(L::Hash, HashSize)),
                               QByteArray(A::Size, '\0')};
    return Result::success();
}

namespace {

// A slip record's fingerprint for the check, keyed anew on every check so that no edit can be made to match it.
struct Digest
{
    size_t a = 0;
    size_t b = 0;
    bool operator==(const Digest&) const = default;
};

struct SlipTrail
{
    QString file;
    QByteArray field; // the file's name as an entry stores it, blank padded
    QString caption;    // 売上伝票, 仕入伝票
    qint64 counter = 0; // the next slip number
    qint64 limit = 0;   // slot count: the records the file holds or its counter counts
    bool resetSeen = false;
    qint64 firstNew = 0;
    std::vector<Digest> latest; // by slip number, the latest history image since the chain or the reset began
    std::vector<uint8_t> seen;  // 1 an entry, 2 with a 新規 entry among them
    qint64 outside = 0;         // entries naming a slip beyond the file and its counter
    qint64 firstOutside = 0;
    qint64 checked = 0;
};

struct ChainWalk
{
    size_t seeds[2] = {0, 0};
    qint64 firstBad = 0;
    QString why;
    QByteArray previous;
    qint64 firstDisagreed = 0;
    qint64 disagreed = 0;
    bool anyAnchored = false;
    CorrectionIndex read; // what correctedSlips() would have read, for checking rireki.cor
    QList<SlipTrail> trails;

    Digest digest(const char* record) const
    {
        return {qHashBits(record, L::RecordSize, seeds[0]), qHashBits(record, L::RecordSize, seeds[1])};
    }
    // Compared on the bytes: decoding the name of every entry of a long history would cost more than its hash.
    SlipTrail* trailOf(const char* entry)
    {
        for (SlipTrail& t : trails)
            if (std::memcmp(entry + L::File, t.field.constData(), 12) == 0)
                return &t;
        return nullptr;
    }
    void visit(qint64 n, const char* p);
    void follow(const char* p);
};

void ChainWalk::visit(qint64 n, const char* p)
{
    const QByteArray hash = historyEntryHash(p);
    const bool own = QByteArrayView(p + L::Hash, HashSize) == hash;
    QString bad;
    if (std::memcmp(p, HistoryMark, MarkSize) != 0 || getInt16(p + L::Version) != HistoryVersion)
        bad = QStringLiteral("履歴の印がありません");
    else if (getInt32(p + L::EntryNo) != n)
        bad = QStringLiteral("番号が %1 になっています").arg(getInt32(p + L::EntryNo));
    else if (!own)
        bad = QStringLiteral("内容が記録時から変わっています");
    else if (n > 1 && QByteArrayView(p + L::PreviousHash, HashSize) != previous)
        bad = QStringLiteral("前の履歴とのつながりが切れています");
    if (!bad.isEmpty() && firstBad == 0) {
        firstBad = n;
        why = bad;
    }
    previous = hash;
    if (getInt16(p + L::Operation) == int16_t(HistoryOperation::Correction))
        read.corrected[getText(p + L::File, 12).trimmed()].insert(getInt32(p + L::RecordNo));
    if (n == 1)
        read.firstHeader = QByteArray(p, L::HeaderSize);
    read.lastHeader = QByteArray(p, L::HeaderSize);
    read.entries = n;
    // Only an entry that still is what was written tells what a slip holds.
    if (own && std::memcmp(p, HistoryMark, MarkSize) == 0)
        follow(p);
    if (own && getInt16(p + L::Disagreed) != 0 && disagreed++ == 0)
        firstDisagreed = n;
}

void ChainWalk::follow(const char* p)
{
    anyAnchored = anyAnchored || getInt16(p + L::Anchored) != 0;
    SlipTrail* t = trailOf(p);
    if (!t)
        return;
    const auto op = HistoryOperation(getInt16(p + L::Operation));
    if (op == HistoryOperation::Reset) {
        // The slips before a reset went into its archive; from here every slip starts with 新規.
        SlipTrail fresh;
        fresh.file = t->file;
        fresh.field = t->field;
        fresh.caption = t->caption;
        fresh.counter = t->counter;
        fresh.limit = t->limit;
        fresh.resetSeen = true;
        *t = std::move(fresh);
        t->latest.assign(size_t(t->limit + 1), Digest{});
        t->seen.assign(size_t(t->limit + 1), 0);
        return;
    }
    const qint64 slip = getInt32(p + L::RecordNo);
    if (slip < 1 || slip > t->limit) {
        if (t->outside++ == 0)
            t->firstOutside = slip;
        return;
    }
    t->latest[size_t(slip)] = digest(p + L::After);
    if (op == HistoryOperation::New) {
        t->seen[size_t(slip)] = 2;
        if (t->firstNew == 0 || slip < t->firstNew)
            t->firstNew = slip;
    } else if (t->seen[size_t(slip)] == 0) {
        t->seen[size_t(slip)] = 1;
    }
}

// The slip files the history follows, with their counters and how many slots each needs.
QList<SlipTrail> slipTrails()
{
    QList<SlipTrail> trails;
    for (const DataFileInfo& f : dataFiles()) {
        if (f.nextSetting == 0 || f.recordSize != L::RecordSize)
            continue;
        SlipTrail t;
        t.file = QString::fromLatin1(f.name);
        t.field = QByteArray(f.name).leftJustified(12, ' ');
        t.caption = t.file == u"siire.dat" ? QStringLiteral("仕入伝票") : QStringLiteral("売上伝票");
        const double next = SysNum[f.nextSetting];
        t.counter = std::isfinite(next) && next > 0 ? qint64(std::min(next, 2147483647.0)) : 0;
        const qint64 held = (QFileInfo(dataPath(t.file)).size() + f.recordSize - 1) / f.recordSize;
        t.limit = std::max(held, t.counter);
        t.latest.assign(size_t(t.limit + 1), Digest{});
        t.seen.assign(size_t(t.limit + 1), 0);
        trails << t;
    }
    return trails;
}

// One pass over the slip file: each slip with history against its latest image, each slip below the counter
// for its 新規 entry.
Result checkSlips(const ChainWalk& walk, SlipTrail& t, QStringList& problems, QStringList& notes)
{
    QFile file(dataPath(t.file));
    if (file.exists() && !file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(t.file, file.errorString()));
    const qint64 held = file.isOpen() ? file.size() / L::RecordSize : 0;
    qint64 differ = 0, firstDiffer = 0, missing = 0, firstMissing = 0, before = 0;
    constexpr qint64 Block = 1024;
    QByteArray block(Block * L::RecordSize, Qt::Uninitialized);
    for (qint64 n = 1; n <= t.limit; n += Block) {
        const qint64 count = std::min(Block, t.limit - n + 1);
        const qint64 whole = std::clamp<qint64>(held - n + 1, 0, count);
        if (whole > 0 && file.read(block.data(), whole * L::RecordSize) != whole * L::RecordSize)
            return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(t.file, file.errorString()));
        for (qint64 i = 0; i < count; ++i) {
            const qint64 slip = n + i;
            const uint8_t seen = t.seen[size_t(slip)];
            if (seen != 0) {
                ++t.checked;
                if ((i >= whole || !(walk.digest(block.constData() + i * L::RecordSize) == t.latest[size_t(slip)])) &&
                    differ++ == 0)
                    firstDiffer = slip;
            }
            if (slip >= t.counter || seen == 2)
                continue;
            if (t.resetSeen || (t.firstNew != 0 && slip >= t.firstNew)) {
                if (missing++ == 0)
                    firstMissing = slip;
            } else {
                ++before;
            }
        }
    }
    if (differ > 0)
        problems << QStringLiteral("%1 %2 の内容が最後の履歴と違います（このような伝票 %3 件）。")
                        .arg(t.caption)
                        .arg(firstDiffer)
                        .arg(differ);
    if (missing > 0)
        problems << QStringLiteral("%1 %2 には新規の履歴がありません（このような伝票 %3 件）。")
                        .arg(t.caption)
                        .arg(firstMissing)
                        .arg(missing);
    if (t.outside > 0)
        problems << QStringLiteral("履歴にある%1 %2 は %3 にありません（このような履歴 %4 件）。")
                        .arg(t.caption)
                        .arg(t.firstOutside)
                        .arg(t.file)
                        .arg(t.outside);
    if (before > 0)
        notes << QStringLiteral("履歴を始める前の%1 %2 件は照合していません。").arg(t.caption).arg(before);
    return Result::success();
}

// What the anchor says against what the file holds.
void checkAnchor(const ChainWalk& walk, const HistoryState& state, QStringList& problems)
{
    const HistoryAnchor anchor = readHistoryAnchor();
    if (anchor.kind == HistoryAnchor::Missing) {
        if (walk.anyAnchored)
            problems << QStringLiteral("rireki.anc（履歴の件数と最後の検証値）がありません。"
                                       "履歴の最後が削られた可能性があります。");
        return;
    }
    if (anchor.kind == HistoryAnchor::Damaged) {
        problems << QStringLiteral("rireki.anc（履歴の件数と最後の検証値）が壊れています。");
        return;
    }
    if (anchor.entries > state.wholeEntries)
        problems << QStringLiteral("rireki.anc では履歴は %1 件ですが、rireki.dat には %2 件しかありません。"
                                   "最後の %3 件が失われています。")
                        .arg(anchor.entries)
                        .arg(state.wholeEntries)
                        .arg(anchor.entries - state.wholeEntries);
    else if (anchor.entries < state.wholeEntries)
        problems << QStringLiteral("rireki.anc では履歴は %1 件ですが、rireki.dat には %2 件あります。")
                        .arg(anchor.entries)
                        .arg(state.wholeEntries);
    else if (anchor.entries > 0 && anchor.lastHash != state.lastHash)
        problems << QStringLiteral("履歴 %1 件目が rireki.anc の検証値と一致しません。").arg(anchor.entries);
    if (walk.disagreed > 0)
        problems << QStringLiteral("履歴 %1 件目から %2 件は、履歴が rireki.anc と食い違った状態で記録されました。")
                        .arg(walk.firstDisagreed)
                        .arg(walk.disagreed);
}

// rireki.cor is a cache: compared with what the check read, and replaced when it says anything else. False
// when there was one and it did not agree.
bool cacheAgrees(const ChainWalk& walk)
{
    const bool existed = QFileInfo::exists(correctionCachePath());
    const CorrectionIndex cached = readCorrectionCache();
    const bool agrees = walk.read.entries == 0
                            ? !existed
                            : cached.entries == walk.read.entries && cached.firstHeader == walk.read.firstHeader &&
                                  cached.lastHeader == walk.read.lastHeader && cached.corrected == walk.read.corrected;
    if (agrees)
        return true;
    g_index = walk.read;
    g_index.path = HistoryPath();
    if (walk.read.entries > 0)
        writeCorrectionCache(walk.read);
    else
        QFile::remove(correctionCachePath());
    return !existed;
}

QString checkMessage(const HistoryCheck& c, const ChainWalk& walk, const QString& slipNote)
{
    QStringList lines;
    if (c.firstBad != 0)
        lines << QStringLiteral("履歴 %1 件目が一致しません（%2）。この履歴から後は書き換えられた可能性があります。")
                     .arg(c.firstBad)
                     .arg(walk.why);
    if (c.partialBytes != 0)
        lines << QStringLiteral("履歴 %1 件の後の最後の記録が途中で切れています（%2 バイト）。")
                     .arg(c.entries)
                     .arg(c.partialBytes);
    lines << c.problems;
    if (lines.isEmpty()) {
        if (c.entries == 0)
            lines << QStringLiteral("履歴はまだありません。");
        else
            lines << QStringLiteral("履歴 %1 件はすべて一致しました。%2最後の検証値（SHA-256）は %3 です。")
                         .arg(c.entries)
                         .arg(slipNote, QString::fromLatin1(c.lastHash.toHex()));
    }
    return lines.join(u'\n');
}

} // namespace

HistoryCheck verifyHistory(const std::function<void(qint64, qint64)>& progress)
{
    HistoryCheck c;
    const HistoryState state = readHistoryState();
    if (state.kind != HistoryState::Usable) {
        c.whole = false;
        c.message = state.problem;
        return c;
    }
    const qint64 total = state.wholeEntries;
    ChainWalk walk;
    walk.seeds[0] = size_t(QRandomGenerator::global()->generate64());
    walk.seeds[1] = size_t(QRandomGenerator::global()->generate64());
    walk.trails = slipTrails();
    Result scanned = scanHistory([&](qint64 n, const char* p) {
        walk.visit(n, p);
        if (progress && n % 4096 == 0)
            progress(n, total);
        return true;
    });
    c.entries = total;
    c.partialBytes = state.partialBytes;
    c.lastHash = state.lastHash;
    c.firstBad = walk.firstBad;
    QStringList notes;
    qint64 slipsChecked = 0;
    for (SlipTrail& t : walk.trails) {
        if (scanned)
            scanned = checkSlips(walk, t, c.problems, notes);
        slipsChecked += t.checked;
    }
    if (!scanned) {
        c.whole = false;
        c.message = scanned.error;
        return c;
    }
    checkAnchor(walk, state, c.problems);
    const bool cached = cacheAgrees(walk);
    if (progress)
        progress(total, total);
    c.whole = c.firstBad == 0 && c.partialBytes == 0 && c.problems.isEmpty();
    const QString slipNote =
        slipsChecked > 0 ? QStringLiteral("伝票 %1 件も最後の履歴と一致しました。").arg(slipsChecked) : QString();
    c.message = checkMessage(c, walk, slipNote);
    if (!notes.isEmpty())
        c.message += u'\n' + notes.join(u'\n');
    if (!cached)
        c.message += QStringLiteral("\n訂正の一覧（rireki.cor）が履歴と違ったため、作り直しました。");
    return c;
}
