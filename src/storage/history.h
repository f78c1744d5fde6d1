// rireki.dat: the append-only history of every new, corrected and deleted slip, each entry chained to the one
// before it by SHA-256, so that a rewritten entry shows.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

struct Transaction;

// Entry n is record n of the file: a 128-byte header, the whole slip record before the change (zero bytes for
// a new slip) and after it. Numbers little-endian.
namespace HistoryLayout {
constexpr int HeaderSize = 128;
constexpr int RecordSize = 1024;
constexpr int EntrySize = HeaderSize + 2 * RecordSize; // 2176
constexpr int Mark = 0;                                // 8 bytes "TILLRRK1"
constexpr int Version = 8;                             // int16, 1
constexpr int Operation = 10;                          // int16, HistoryOperation
constexpr int EntryNo = 12;                            // int32, the entry's own record number
constexpr int Time = 16;                               // 19 bytes "yyyy/mm/dd hh:mm:ss", local time of the change
constexpr int File = 36;                               // 12 bytes, "reg.dat" or "siire.dat", blank padded
constexpr int RecordNo = 48;                           // int32, the slip number (the record number in File)
constexpr int HasBefore = 52;                          // int16, 1 when Before holds a record
constexpr int Anchored = 54;     // int16, 1 when rireki.anc was written in the entry's transaction (0 in older entries)
constexpr int Disagreed = 56;    // int16, 1 when the file did not match rireki.anc as the entry was written
constexpr int PreviousHash = 64; // 32 bytes, SHA-256 of the entry before (its Hash); zero bytes for none
constexpr int Hash = 96;         // 32 bytes, SHA-256 of this entry without these 32 bytes
constexpr int Before = HeaderSize;
constexpr int After = HeaderSize + RecordSize;
// The After part of a reset entry, which starts a new chain.
constexpr int ArchiveName = 0;       // 256 bytes, the archive of the old history, relative to AppDir, CP932
constexpr int ArchiveHash = 256;     // 32 bytes, SHA-256 of that archive file
constexpr int ArchivedEntries = 288; // int32, entries of the old chain
constexpr int ArchiveNameSize = 256;
} // namespace HistoryLayout

constexpr char HistoryMark[] = "TILLRRK1";
constexpr int HistoryVersion = 1;

enum class HistoryOperation : int16_t
{
    New = 1,
    Correction = 2,
    Deletion = 3,
    Reset = 4, // data initialisation: the first entry of a new chain
};

// The operation as the shopkeeper reads it: 新規, 訂正, 削除, 初期化.
QString historyOperationName(HistoryOperation op);

QString HistoryFileName();
QString HistoryPath();

// SHA-256 of an entry's bytes without its own Hash field.
QByteArray historyEntryHash(const char* entry);

// One entry read back.
struct HistoryEntry
{
    qint64 entryNo = 0;
    HistoryOperation operation = HistoryOperation::New;
    QString time;
    QString file;
    qint64 recordNo = 0;
    bool hasBefore = false;
    QByteArray before;      // RecordSize bytes
    QByteArray after;       // RecordSize bytes
    bool anchored = true;   // written with rireki.anc
    bool disagreed = false; // the file did not match rireki.anc when it was written
};
HistoryEntry decodeHistoryEntry(const char* entry);

// The bytes of an entry; Hash is filled in from the rest.
QByteArray encodeHistoryEntry(const HistoryEntry& e, const QByteArray& previousHash);

// rireki.anc: one record outside the history holding how many entries it has and the last one's SHA-256, written
// in the same journalled transaction as every entry, so that entries cut off the end or a torn last entry show.
namespace AnchorLayout {
constexpr int Size = 64;
constexpr int Mark = 0;      // 8 bytes "TILLRANC"
constexpr int Version = 8;   // int16, 1
constexpr int Entries = 12;  // int32, entries of the history
constexpr int LastHash = 16; // 32 bytes, SHA-256 of the last entry (its Hash field); zero bytes for none
constexpr int Check = 48;    // 16 bytes, the first 16 bytes of the SHA-256 of bytes 0 to 47
} // namespace AnchorLayout

QString HistoryAnchorFileName();

struct HistoryAnchor
{
    enum Kind
    {
        Missing, // no rireki.anc: a history from before it, or none
        Damaged, // there, but not a whole anchor of ours
        Valid,
    };
    Kind kind = Missing;
    qint64 entries = 0;
    QByteArray lastHash;
};
HistoryAnchor readHistoryAnchor();
QByteArray encodeHistoryAnchor(qint64 entries, const QByteArray& lastHash);

// After rireki.dat was restored from a backup: the anchor is set to the file as it now is, replaced atomically.
Result anchorRestoredHistory();

// What the file is to the next entry.
struct HistoryState
{
    enum Kind
    {
        Usable,     // ours (or not there yet): the next entry follows the last whole one
        Foreign,    // not a history file of this program: never written to
        Unreadable, // cannot be opened
    };
    Kind kind = Usable;
    qint64 wholeEntries = 0;
    qint64 partialBytes = 0; // bytes of a torn entry after the last whole one
    QByteArray lastHash;     // computed hash of the last whole entry; empty when there is none
    QString problem;         // for Foreign and Unreadable
    // Where the next entry goes. It never overwrites an entry, whole or torn, and never one the anchor counts,
    // so damage stays in the file for the check to find; it links to the anchor's last entry when there is one.
    qint64 nextEntry = 1;
    QByteArray previousHash;
    bool disagrees = false; // the file does not match its anchor (entries cut, torn or added, anchor lost)
};
HistoryState readHistoryState();

// Adds to `t` the entry for the operation on its first record (a slip in reg.dat or siire.dat): the record as
// the file holds it now is the "before", the transaction's image the "after". The caller has completed any
// pending journal, so the entry follows the ones already promised. When the history cannot take the entry (a file that
// is not ours, one that cannot be opened) the slip is saved without it; the user is told once per run, by the message
// returned here, and the window shows the reason every time it opens.
QString addHistoryEntry(Transaction& t, HistoryOperation op);

// Reads the whole entries front to back in large blocks and calls visit(entryNo, entry bytes); stops early when
// visit returns false. A missing file has no entries; a foreign one is refused.
Result scanHistory(const std::function<bool(qint64, const char*)>& visit, qint64 fromEntry = 1);

// The outcome of walking the whole chain and the slip files against it.
struct HistoryCheck
{
    bool whole = true;   // every entry and link matches, nothing torn, the file is ours
    qint64 entries = 0;  // whole entries
    qint64 firstBad = 0; // the first entry that does not match, 0 for none
    qint64 partialBytes = 0;
    QByteArray lastHash;  // of the last whole entry
    QStringList problems; // each thing found beside a bad entry: the anchor, the slips, entries written on damage
    QString message;      // what the shopkeeper is told
};
// One pass over rireki.dat and one over each slip file: the chain, the anchor, every slip's record against its
// latest history image, and a 新規 entry for every slip below the counter since the chain began or the slip
// file's last reset (slips below the first one the chain records as new, in a chain without a reset of their
// file, are from before the history began and only counted). rireki.cor is compared with what was read and
// replaced when it differs. `progress(done, total)` is told the entries checked now and then.
HistoryCheck verifyHistory(const std::function<void(qint64, qint64)>& progress = {});

// Slip numbers of `fileName` (reg.dat or siire.dat) with at least one correction in the history. Kept between
// calls, and between runs in rireki.cor beside the history, and brought up to date by reading only what was
// appended since, as the file only grows; a history that no longer continues what was read is read in full.
QSet<qint64> correctedSlips(const QString& fileName);

// For tests: the entries the last correctedSlips() call read from the history, and forgetting what it kept for
// the run, as at the start of the program.
qint64 correctedSlipsEntriesRead();
void forgetCorrectedSlips();

class NewFile;

// Data initialisation of `resetFile`: a new chain whose first entry records the reset, the archive (relative to
// AppDir) that holds the old history with its SHA-256, and links to the old chain's last entry, is written into
// `file` (beside rireki.dat); `t` gets its replacement and the new anchor, so that the reset, the new chain and
// its anchor take effect together. `archivePath` may be empty when there was no history to keep. A history that
// is not ours adds nothing and is left as it is.
Result addNewHistoryChain(Transaction& t, const QString& resetFile, const QString& archivePath, NewFile& file);

// For tests: forget that the user was told about a history that cannot be written.
void resetHistoryWarning();
