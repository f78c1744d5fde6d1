// The month's purchase slips for the slip list, read from siire.dat in one pass.
#pragma once

#include "storage/result.h"

#include <QList>
#include <QString>

struct PurchaseSlipListRow
{
    qint64 slipNo = 0; // the record number, which is the slip number
    QString date;
    QString time;
    double total = 0;
    bool deleted = false;
};

// The slips issued so far are 1 .. LastPurchaseSlipNo(): SysNum[4] - 1, or 0 when SysNum[4] is no slip number.
qint64 LastPurchaseSlipNo();

// The slips 1 .. last whose date has the numeric year `year` (characters 1 to 4) and month `month`
// (characters 6 and 7), deleted ones included, in slip number order. Reads only the fields it shows.
Result ListPurchaseSlips(double year, double month, qint64 last, QList<PurchaseSlipListRow>& rows);
