// A redo journal: an operation that changes several files is made whole after a crash or power cut.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QList>
#include <QString>

// How an operation that writes more than one file (a slip, the counter in sys.ini, the stock in zaiko.dat)
// stays whole:
//
// 1. The caller reads what it needs and builds a Transaction holding only final values: whole record images,
//    the new SysNum values and the absolute new StockQty of every touched purchase item. Every check happens
//    while building it, so nothing is written for an operation that is refused.
// 2. CommitTransaction writes the transaction to "till.journal" in AppDir and flushes it to disk. From then on
//    the operation counts as done.
// 3. It applies the transaction: the records, then SysNum and sys.ini, then the stock, each flushed to disk.
// 4. It removes the journal.
//
// A crash before step 2 finished leaves no journal or a torn one (its checksum fails): nothing was written and
// the torn journal is dropped. A crash after step 2 leaves a whole journal, which RecoverJournal applies again
// at the next start. Applying is idempotent because every value in the journal is a final one, never a change,
// so a journal may be applied any number of times, also after a crash during recovery itself.
//
// The purchase slip save builds its Transaction the same way: the siire.dat record, SysNum[4] and the stock.

// One whole record written to a record file in AppDir: record n (from 1) at (n - 1) x bytes.size().
struct JournalRecord
{
    QString fileName; // plain file name in AppDir, for example "reg.dat"
    qint64 recordNo = 0;
    QByteArray bytes; // the complete record image
    QByteArray blank; // the file's empty record, written to any records between the end of the file and this one
};

// A new value of SysNum[index]; sys.ini is rewritten once after all of them are set.
struct JournalSetting
{
    int index = 0;
    double value = 0;
};

// The new StockQty of purchase item `item` (1 to 400) in zaiko.dat; every other byte of its record stays.
struct JournalStock
{
    int item = 0;
    double stockQty = 0;
};

// Data file `fileName` replaced whole by the file written beside it (replacementPath in storage/durablefile.h),
// which was flushed to disk before the journal. Applying renames it into place when it is still there; when it
// is gone, the rename was done already.
struct JournalReplace
{
    QString fileName;
};

struct Transaction
{
    // What the user is told when the operation is completed at the next start, e.g. "伝票 12 の保存".
    QString description;
    QList<JournalRecord> records;
    QList<JournalSetting> settings;
    QList<JournalStock> stock;
    QList<JournalReplace> replacements; // applied first
};

// `committed`: the operation is durable and takes effect (now or, when `error` is also set, at the latest at
// the next start). Not committed: nothing was written and `error` says why.
struct CommitOutcome
{
    bool committed = false;
    QString error;
};

// Checks the transaction (data files of the table in storage/datafiles.h, whole records up to the file's
// plausible end, settings sys.ini can be read back with, finite stock, zaiko.dat present when stock changes),
// then journals, applies and removes the journal. The caller builds the transaction after CompletePendingSave;
// a journal still pending here is completed and the transaction refused, as it was built on older figures.
CommitOutcome CommitTransaction(const Transaction& t);

// Applies a journal left by an interrupted commit. `completed` gets the transaction's description when one was
// applied and is emptied otherwise. A whole journal asking for something no commit produces (another file, a
// record of the wrong size or far beyond the file's end, a setting sys.ini could not be read back with, stock
// that is not a number) is removed before its first write, and `dropped` gets the message saying so. SysNum
// must have been loaded. A failure (a file that cannot be written) leaves the journal for another try.
Result RecoverJournal(QString* completed, QString* dropped = nullptr);

// Before any operation reads the counters or stock it builds on (a save, correction, deletion, reset, restore):
// a save whose last writes were left for later holds final figures from before it, and applied afterwards would
// put an old slip, counter or stock over the new ones. It is completed now; when it cannot be, `operation`
// must not go ahead.
Result CompletePendingSave(const QString& operation);

// The bytes of the journal file for `t`, and a journal file around any payload (for tests of recovery).
QByteArray JournalBytes(const Transaction& t);
QByteArray FramedJournal(const QByteArray& payload);

// The journal's path in AppDir.
QString JournalPath();

// At start, after RecoverJournal: removes what a process stopped before a rename left behind ("till.journal.new",
// "sys.ini.new", "reg.dat.new" from a reset, an archive's temporary file in backup/). Only when no journal is
// left, as a pending one may need them.
void RemoveLeftovers();

// The durable steps of a commit, in order. A test may stop the process at any of them.
enum class JournalStep
{
    JournalWritten,  // the journal is on disk
    FileReplaced,    // one data file is replaced by its new version (once per file)
    RecordWritten,   // one record is written (once per record); records of one file in a row reach the disk together
    SettingsWritten, // sys.ini is on disk
    StockWritten,    // one item's stock is on disk (once per item)
    JournalRemoved,  // the operation is complete
};

// A function called after every durable step, for tests that stop a save half way; null (the default) in the
// program.
using JournalHook = void (*)(JournalStep step);
void SetJournalHook(JournalHook hook);
