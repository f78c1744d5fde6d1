// Saving, correcting and deleting a sales slip together with its stock, each as one journalled operation.
#pragma once

#include "storage/purchaseitem.h"
#include "storage/salesslip.h"

#include <QList>
#include <QString>

// `saved`: the operation took effect (the entry may be cleared); `error` is a message for the user, which a
// saved operation may also carry when its last writes are completed later (see storage/journal.h).
struct SaveOutcome
{
    bool saved = false;
    qint64 slipNo = 0;
    QString error;
};

struct Transaction;
enum class HistoryOperation : int16_t;

// The highest number a slip record can have: slip numbers are stored in 32 bits.
constexpr double HighestSlipNo = 2147483647.0;

// True when `next` can be saved under and the counter can still move on by one after it.
bool NextSlipNoUsable(double next);

// Adds the history entry of `op` and the stock figures `stock` leads to, and commits `t` as the operation on
// slip n; `refusal` goes before the message of an operation that did not take effect.
SaveOutcome CommitSlipOperation(Transaction& t, qint64 n, HistoryOperation op, const QList<StockChange>& stock,
                                const QString& refusal = {});

// Stores `slip` as record SysNum[2], read after any pending save is completed, with that number as its SlipNo;
// raises SysNum[2] by one in memory and in sys.ini, and applies `stock` (what the slip takes out, negative).
// Everything is checked before the first write: a product line at least, the counter, the slip's amounts,
// zaiko.dat and the resulting stock figures; a refused save writes nothing.
SaveOutcome SaveNewSalesSlip(SalesSlipRecord& slip, const QList<StockChange>& stock);

// Rewrites slip n in place, with n as its SlipNo, and applies `stock` (the new lines taken out and the old
// version given back). A slip without a product line is refused, as for a new slip.
SaveOutcome SaveCorrectedSalesSlip(qint64 n, SalesSlipRecord& slip, const QList<StockChange>& stock);

// Marks slip n deleted (its stored record, reserved bytes and all) and applies `stockBack` (what it had taken, given
// back). A slip already marked deleted is refused, so its stock is never given back twice.
SaveOutcome DeleteSalesSlip(qint64 n, const QList<StockChange>& stockBack);
