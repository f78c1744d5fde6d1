// The rows of the history window built without widgets: entries of a period, filtered, each slip's fields before
// and after side by side with the changed ones marked.
#pragma once

#include "platform/gridtable.h"
#include "reports/reportbuilder.h"
#include "storage/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Which entries are listed.
struct HistoryFilter
{
    enum Slips
    {
        AllSlips,
        SalesSlips,
        PurchaseSlips,
    };
    ReportPeriod period; // the day or month of the change
    Slips slips = AllSlips;
    bool newSlips = false;
    bool corrections = true;
    bool deletions = true;
    bool resets = true;
};

// The choices of the window's operation box, in its order, and the filter each one sets.
QStringList historyOperationChoices();
void setOperationChoice(HistoryFilter& filter, int choice);

// One field of a slip in the two versions; `changed` names what differs ("数量・金額"), empty when nothing does.
// A line also has its parts apart (CODE, 品名, 単価, 数量, 金額), for the CSV file. The texts of a field keep
// plain digits, as the CSV file wants them; a line's text, which only the grid shows, groups its money.
struct HistoryFieldRow
{
    QString label;
    QString before;
    QString after;
    QString changed;
    QStringList beforeParts = {};
    QStringList afterParts = {};
    bool money = false; // an amount of yen: the grid groups its thousands
};

// The fields of two records of `fileName` (reg.dat or siire.dat) that either version fills, in the slip's
// order, and every field that differs, figures implied by the others (the rates' figures) and the reserved bytes
// included. Without `hasBefore` the record is new and nothing is marked.
QList<HistoryFieldRow> compareSlipRecords(const QString& fileName, const QByteArray& before, bool hasBefore,
                                          const QByteArray& after);

// Column order of the table.
enum HistoryColumn
{
    HistoryEntryCol,
    HistoryTimeCol,
    HistoryOperationCol,
    HistorySlipsCol,
    HistorySlipNoCol,
    HistoryFieldCol,
    HistoryBeforeCol,
    HistoryAfterCol,
    HistoryChangedCol,
    HistoryColumnCount,
};

// Builds the table of the entries the filter lets through; `entries` receives how many there are. When the file
// cannot be read, the table holds the heading row only and the result says why.
Result buildHistoryTable(const HistoryFilter& filter, GridTable& table, qint64* entries = nullptr);

// The same entries as the CSV file has them: every row carries its entry's number, time, operation, slip file and
// slip number, so that rows sorted or filtered apart still say whose they are, and a line's parts are columns of
// their own, before and after.
Result buildHistoryCsvTable(const HistoryFilter& filter, GridTable& table);
