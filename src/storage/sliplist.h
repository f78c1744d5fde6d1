// A month's slips for the slip lists of the register and the purchase slip window, read in one pass.
#pragma once

#include "storage/result.h"

#include <QList>
#include <QString>

// One row of a slip list; sales and purchase slips give the same row.
struct SlipListRow
{
    qint64 slipNo = 0; // the record number, which is the slip number
    QString date;
    QString time;
    double total = 0;
    bool deleted = false;
    QString payment; // how a sales slip was paid, named as the register names it; empty for purchase slips
};

// The sales slips 1 .. last (reg.dat) whose date has the numeric year `year` (characters 1 to 4) and month
// `month` (characters 6 and 7), deleted ones included, in slip number order.
Result ListSalesSlips(double year, double month, qint64 last, QList<SlipListRow>& rows);

// The slips issued so far are 1 .. LastPurchaseSlipNo(): SysNum[4] - 1, or 0 when SysNum[4] is no slip number.
qint64 LastPurchaseSlipNo();

// The purchase slips 1 .. last (siire.dat) of a year and month, chosen as ListSalesSlips chooses them. Reads
// only the fields it shows.
Result ListPurchaseSlips(double year, double month, qint64 last, QList<SlipListRow>& rows);
