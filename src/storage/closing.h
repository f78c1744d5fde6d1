// The closing of the till for one business day: the figures the register expects, from one pass over the
// sales slips and the day's cash in and out, and the report the receipt printer prints of them.
#pragma once

#include "storage/receipt.h"
#include "storage/result.h"
#include "storage/seisan.h"

#include <QList>
#include <QString>

// Adds one stored slip to the day's figures (the caller has checked its date).
class SlipView;
void AddSlipToClosing(const SlipView& slip, ClosingFigures& figures);

// The figures of business day `day` (yyyy/mm/dd): its slips in reg.dat (records 1 to the last slip issued),
// its cash in and out in `movements` (deleted ones left out) and the change fund.
Result ComputeClosing(const QString& day, const QList<SeisanRecord>& movements, double changeFund,
                      ClosingFigures& figures);

// A closing record of the day as it would be stored now: the figures, the count and the differences.
SeisanRecord MakeClosing(const QString& day, const ClosingFigures& figures, const CashCount& count,
                         const QString& date, const QString& time);

// The report for the receipt printer: 点検 (a check, nothing stored), 精算 (the closing stored), or a reprint
// of a stored closing.
enum class ClosingReportKind
{
    Check,
    Close,
    Reprint,
};
QList<ReceiptRow> ClosingReportRows(const SeisanRecord& closing, const ShopDetails& shop, ClosingReportKind kind);

// The closings among `records`, newest first, each with whether a later closing of the same day exists.
struct ClosingHistoryEntry
{
    SeisanRecord record;
    bool superseded = false; // another closing of the same day was made after it
};
QList<ClosingHistoryEntry> ClosingHistory(const QList<SeisanRecord>& records);

// The cash in and out of one day, deleted ones included, in the order they were made.
QList<SeisanRecord> CashMovementsOf(const QList<SeisanRecord>& records, const QString& day);
