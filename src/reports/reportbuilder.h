// The four reports of the report window, built from the slip files into a grid's contents without widgets.
#pragma once

#include "platform/gridtable.h"
#include "storage/result.h"

#include <QString>

// The leading number of a box's text, rounded half to even as a 16-bit field holds it; false when the text
// has no leading number or the number does not fit.
bool boxNumber(const QString& text, int& value);

// SysNum[index] as a record number (the next sales or purchase slip number); 0 when it is none.
qint64 nextSlipNo(int index);

// The day or month a report covers, as typed or picked in the year, month and day boxes.
struct ReportPeriod
{
    // A box without a number yields an empty report, never a match with blank records.
    static ReportPeriod fromTexts(const QString& year, const QString& month, const QString& day, bool daily);
    bool contains(int year, int month, int day) const;

    bool valid = false;
    bool daily = true;
    int year = 0;
    int month = 0;
    int day = 0;
};

// Report kinds: 1 sales slips, 2 sales per product, 3 purchase slips, 4 purchases per item, 5 the month's sales
// one line per day (日別集計, always the month, whatever the day box says).
constexpr int SalesSlipReport = 1;
constexpr int SalesPerProductReport = 2;
constexpr int PurchaseSlipReport = 3;
constexpr int PurchasePerItemReport = 4;
constexpr int DaySummaryReport = 5;

// Whether a slip list's rows are all made at once, or each slip's when the grid first shows it (a month of
// a busy shop is tens of thousands of rows, of which a screen shows thirty).
enum class RowsMade
{
    All,
    WhenShown,
};

// Builds report `kind` for the period from reg.dat or siire.dat (the slips up to and including the next
// slip number), ProductTable and zaiko.dat. When a file cannot be read, `table` holds the heading row only
// and the result says why.
Result buildReport(int kind, const ReportPeriod& period, GridTable& table, RowsMade made = RowsMade::All);
