// The history file: entries built into the slip's own journal transaction, block scans and the chain check.
#include "storage/history.h"

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
#include <cstdio>
#include <cstring>

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
    std::memcpy(p + L::PreviousHash, previousHash.constData(),
                size_t(std::min<qsizetype>(previousHash.size(), HashSize)));
    if (e.hasBefore)
        std::memcpy(p + L::Before, e.before.constData(), size_t(std::min<qsizetype>(e.before.size(), L::RecordSize)));
    std::memcpy(p + L::After, e.after.constData(), size_t(std::min<qsizetype>(e.after.size(), L::RecordSize)));
    const QByteArray hash = historyEntryHash(p);
    std::memcpy(p + L::Hash, hash.constData(), HashSize);
    return bytes;
}

HistoryState readHistoryState()
{
    HistoryState s;
    QFile file(HistoryPath());
    if (!file.exists())
        return s;
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
    if (Result r = readLastEntry(file, s.wholeEntries, s.lastHash); !r) {
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
    e.entryNo = state.wholeEntries + 1;
    e.operation = op;
    e.time = now();
    e.file = slip.fileName;
    e.recordNo = slip.recordNo;
    e.after = slip.bytes;
    if (op != HistoryOperation::New) {
        RecordFile file(dataPath(slip.fileName), int(slip.bytes.size()), slip.blank.constData());
        QByteArray before(slip.bytes.size(), '\0');
        const Result read = accessRecords(file, [&](RecordFile& f) { return f.read(slip.recordNo, before.data()); });
        if (read) {
            e.hasBefore = true;
            e.before = before;
        }
    }
    t.records << JournalRecord{HistoryFileName(), e.entryNo, encodeHistoryEntry(e, state.lastHash), blankEntry()};
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
    QByteArray previous;
    QString why;
    const Result scanned = scanHistory([&](qint64 n, const char* p) {
        const QByteArray hash = historyEntryHash(p);
        if (std::memcmp(p, HistoryMark, MarkSize) != 0 || getInt16(p + L::Version) != HistoryVersion)
            why = QStringLiteral("履歴の印がありません");
        else if (getInt32(p + L::EntryNo) != n)
            why = QStringLiteral("番号が %1 になっています").arg(getInt32(p + L::EntryNo));
        else if (QByteArrayView(p + L::Hash, HashSize) != hash)
            why = QStringLiteral("内容が記録時から変わっています");
        else if (n > 1 && QByteArrayView(p + L::PreviousHash, HashSize) != previous)
            why = QStringLiteral("前の履歴とのつながりが切れています");
        if (!why.isEmpty() && c.firstBad == 0)
            c.firstBad = n;
        previous = hash;
        c.entries = n;
        if (progress && n % 4096 == 0)
            progress(n, total);
        return c.firstBad == 0;
    });
    c.entries = total;
    c.partialBytes = state.partialBytes;
    c.lastHash = state.lastHash;
    if (!scanned) {
        c.whole = false;
        c.message = scanned.error;
        return c;
    }
    if (progress)
        progress(total, total);
    if (c.firstBad != 0) {
        c.whole = false;
        c.message = QStringLiteral("履歴 %1 件目が一致しません（%2）。この履歴から後は書き換えられた可能性があります。")
                        .arg(c.firstBad)
                        .arg(why);
    } else if (c.partialBytes != 0) {
        c.whole = false;
        c.message = QStringLiteral("履歴 %1 件はすべて一致しましたが、最後の記録が途中で切れています（%2 バイト）。"
                                   "次の記録はその前から続けます。")
                        .arg(total)
                        .arg(c.partialBytes);
    } else {
        c.message = total == 0 ? QStringLiteral("履歴はまだありません。")
                               : QStringLiteral("履歴 %1 件はすべて一致しました。最後の検証値（SHA-256）は %2 です。")
                                     .arg(total)
                                     .arg(QString::fromLatin1(c.lastHash.toHex()));
    }
    return c;
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
constexpr int Entries = 8;      // int32, entries read
constexpr int Pairs = 12;       // int32, corrected slips listed
constexpr int FirstHeader = 16; // the header of entry 1
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

Result startNewHistoryChain(const QString& resetFile, const QString& archivePath)
{
    const HistoryState state = readHistoryState();
    if (state.kind == HistoryState::Foreign)
        return Result::success(); // not ours to replace; the window goes on reporting it
    if (state.kind == HistoryState::Unreadable)
        return Result::failure(state.problem);
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
    putInt32(e.after.data() + L::ArchivedEntries, int32_t(state.wholeEntries));
    return replaceFile(HistoryPath(), encodeHistoryEntry(e, state.lastHash));
}
