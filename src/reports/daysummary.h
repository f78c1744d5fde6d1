// 日別集計: a month of sales slips, one line per day, figured the way the day's closing figures them.
#pragma once

#include "platform/gridtable.h"
#include "storage/result.h"
#include "storage/seisan.h"

#include <QList>
#include <QString>

struct DaySummaryLine
{
    QString date;      // yyyy/mm/dd as the slips carry it
    int customers = 0; // valid slips that are not returns (a total of 0 or more)
    ClosingFigures figures;
};

struct MonthDaySummary
{
    int year = 0;
    int month = 0;
    // Every day of the month in order, then any day number the slips carry that the calendar has not
    // (2024/02/30), so that the lines add up to the month's line.
    QList<DaySummaryLine> days;
    DaySummaryLine total;
};

// Reads the month's sales slips (records 1 to the last slip issued) through the month index.
ResultWith<MonthDaySummary> SummariseMonthByDay(int year, int month);

// The summary as a report's grid: a heading row, a line per day (a day without slips shows its date only), the
// month's line. The rate columns are captioned with the rates set now.
GridTable DaySummaryTable(const MonthDaySummary& summary);
