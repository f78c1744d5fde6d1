// Resetting one data file at a time to its empty state, with the counters in sys.ini that belong to it.
#pragma once

#include "storage/result.h"

#include <QString>
#include <QStringView>
#include <functional>
#include <optional>

constexpr qint64 MaxSlipCount = 2147483647; // slip numbers are signed 32-bit

// A count typed into a box: blanks around it are allowed and an empty box counts 0; anything but a whole
// number from 0 to `max` gives nothing.
std::optional<qint64> countFromText(QStringView text, qint64 max);

// What a reset asks of its caller on the way.
struct ResetSteps
{
    // Keeps the file at `path` before it is overwritten (it may not exist); a failure stops the reset with
    // nothing changed.
    std::function<Result(const QString& path)> keepOld;
    // Keeps the history file at `path` with the slips keepOld has just kept (in one archive); `archive` receives
    // the path of the archive that holds it. A slip reset then starts the history anew, naming that archive.
    std::function<Result(const QString& path, QString& archive)> keepHistory;
    // How many of `total` records are written so far.
    std::function<void(qint64 done, qint64 total)> progress;
};

// Each reset completes a pending save, checks the counts it uses before anything changes, keeps the old file,
// writes the new one beside it ("reg.dat.new") and then replaces the file and sets its counters in one
// journalled operation: after a stop at any point, or a full disk, either the old file and counters or the new
// ones are in place. A failure leaves the files and the tables in memory as they were; its message names the
// file and the system's reason. A reset whose last writes are left for the next start succeeds with a note in
// `error`.

// Records 1 .. SysNum[1] of reg.dat blank; then SysNum[1] := newCount, SysNum[2] := 1; then a new history.
Result ResetSalesSlips(qint64 newCount, const ResetSteps& steps);
// Records 1 .. SysNum[3] of siire.dat blank; then SysNum[3] := newCount, SysNum[4] := 1; then a new history.
Result ResetPurchaseSlips(qint64 newCount, const ResetSteps& steps);
// ProductTable entries 1 .. emptied cleared, syohin.dat rewritten from the table (entries 1 .. SysNum[6]);
// then SysNum[6] := 400.
Result ResetProducts(int emptied, const ResetSteps& steps);
// Records 1 .. SysNum[5] of zaiko.dat blank; then SysNum[5] := 400.
Result ResetPurchaseItems(const ResetSteps& steps);
// Records 1 .. 100 of siiresaki.dat blank with TaxType 1; SysNum[7] := 100.
Result ResetSuppliers(const ResetSteps& steps);
// seisan.dat emptied: no closing and no cash in or out; the change fund in sys.ini stays.
Result ResetSeisan(const ResetSteps& steps);
