// The month index of the slip files: which records hold the slips of a year and month, so that a month's or a
// day's list reads only its own records.
#pragma once

#include "storage/result.h"
#include "storage/salesslip.h"
#include "storage/slipscan.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

struct Transaction;

// Each slip file has two index files beside it, both plain caches that are rebuilt from one full read of the
// slip file whenever they are missing or do not match it:
//
// - reg.key / siire.key: one 16-byte key per slip record, record n for slip record n (the layout below).
// - reg.mon / siire.mon: 64-byte records. Record 1 is the header: mark "TILLMON1" at 0, int16 version 2 at 8,
//   int16 slip record size at 10, int32 number of month records at 12, int64 size of the slip file in bytes at
//   16, uint64 FNV-1a checksum of the header (with this field and the stamp zero) and every month record at 24,
//   the slip file's name blank padded to 12 bytes at 32, zero at 44, the stamp at 48: uint64 FNV-1a of the slip
//   file's and the key file's size, modification and change times in nanoseconds (zero for none), and at 56 the
//   next slip number (SysNum[2] or SysNum[4]) as a double, both as they were when the index last matched its
//   files. Each further record is one year and month: int32 year at 0, int8 month at 4, uint8 runs in use at 5,
//   int32 number of records of that month at 8, and up to six runs of record numbers (int32 first, int32 last)
//   from 12 that together hold every one of them (and may hold others).
//
// Every save, correction and deletion writes the keys and month records it changes in the same journalled
// transaction as the slip, so the index and the slips are in agreement after any stop; the stamp is written
// after the transaction's records. An index whose stamp does not hold (the slip file written by anything else:
// a folder copied back, an older build, a hand edit; or a stop before the stamp) is checked against its file in
// one read before it is used.

enum class SlipFile
{
    Sales,     // reg.dat
    Purchases, // siire.dat
};

// What the index keeps of one slip record: its date as the readers read it, the hour of its time for the
// customer graph (-1 for none), its deletion mark and its total. Stored in 16 bytes: the year as a 24-bit
// integer at 0, a CRC-8 of the other 15 bytes at 3, month, day, hour and the deletion mark (1 deleted) as 8-bit
// integers at 4 to 7, the total as a double at 8.
struct SlipKey
{
    static constexpr int Size = 16;
    int32_t year = 0;
    int8_t month = 0;
    int8_t day = 0;
    int8_t hour = -1;
    bool deleted = false;
    double total = 0;
};

// The key of a stored slip record of that file.
SlipKey SlipKeyOf(SlipFile file, const char* record);
QByteArray EncodeSlipKey(const SlipKey& key);
SlipKey DecodeSlipKey(const char* bytes);
// False when a stored key's check byte does not match the rest of it.
bool SlipKeyIntact(const char* bytes);

// The file names: the slip file and its two index files.
QString SlipFileName(SlipFile file);
QString SlipKeyFileName(SlipFile file);
QString SlipMonthFileName(SlipFile file);

// Visits, in record order, exactly the whole records 1..last of the slip file dated in `year` and `month` (and on
// `day` when given), reading only those through the index. When the index is missing or does not match its
// file it is rebuilt first; when it cannot be (a save still pending, a file that cannot be written), the whole
// file is read instead. Stops early when visit returns false.
Result ScanSlipMonth(SlipFile file, int year, int month, std::optional<int> day, qint64 last,
                     const std::function<bool(qint64, const char*)>& visit);
Result ScanSalesMonth(int year, int month, std::optional<int> day, qint64 last,
                      const std::function<bool(qint64, const SlipView&)>& visit);
Result ScanPurchaseMonth(int year, int month, std::optional<int> day, qint64 last,
                         const std::function<bool(qint64, const PurchaseSlipView&)>& visit);

// Visits the keys of records 1..last in record order, from the index file alone when it is usable.
Result ScanSlipKeys(SlipFile file, qint64 last, const std::function<bool(qint64, const SlipKey&)>& visit);

enum class SlipIndexState
{
    Usable,
    Missing,
    Damaged, // present but not matching its slip file, or not ours
    Stale,   // whole, but its stamp does not hold: the slip file or the keys were written since it matched them
};

// Checks the index against its slip file: the header's mark, checksum, sizes and stamp, the counts, and a few
// records compared with their keys. Reads little and writes nothing.
SlipIndexState CheckSlipIndex(SlipFile file);

// Writes both index files anew from one read of the slip file.
Result RebuildSlipIndex(SlipFile file);

// Removes both index files of that slip file name ("reg.dat" or "siire.dat"; any other name does nothing).
// For every writer that changes a slip file outside a journalled save: restore and data initialisation.
void DropSlipIndex(const QString& slipFileName);

// After `t`'s records were all written by a commit: stamps the index of each slip file whose month records `t`
// wrote as matching the files as they are now.
void StampSlipIndex(const Transaction& t);

// Adds to `t` the index records that follow from its slip records. An index that is missing or does not match
// its file is removed instead, to be rebuilt by the next reader; the save goes ahead either way.
void AddSlipIndexRecords(Transaction& t);

// What the index has done since the program started, for tests and benchmarks: slip files read whole because the
// index could not be used, rebuilds, and slip records read through the index.
struct SlipIndexUse
{
    qint64 fullReads = 0;
    qint64 rebuilds = 0;
    qint64 recordsRead = 0;
};
SlipIndexUse slipIndexUse();

// Told how far a rebuild has come (records done of total), after every block read; null for none.
using SlipIndexProgress = std::function<void(qint64 done, qint64 total)>;
void SetSlipIndexProgress(SlipIndexProgress progress);
