// Saving, correcting and deleting a purchase slip together with the stock it adds, each as one journalled
// operation (storage/journal.h): slip, counter and stock are all or nothing after a restart.
#pragma once

#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/result.h"
#include "storage/salessave.h"

#include <QString>
#include <array>

// One slip line as the clerk keyed it: the numbers are the values read from their boxes, not yet rounded.
struct PurchaseDraftLine
{
    double itemNo = 0;
    QString itemName;
    double unitPrice = 0;
    double qty = 0;
    double amount = 0;
};

// The slip in the purchase window, read from its boxes once.
struct PurchaseSlipDraft
{
    QString year; // the three date boxes as typed
    QString month;
    QString day;
    QString time; // hh:mm:ss of the save
    double supplierNo = 0;
    QString supplierName;
    QString supplierPhone;
    PurchaseDraftLine line[PurchaseSlipLineCount + 1]; // lines 1 to 10; 0 unused
    double subtotal = 0;
    double tax = 0;
    double total = 0;
};

// Per purchase item 1 to 400, the quantity a stored slip added to stock; index 0 unused.
using PurchaseQtyTable = std::array<double, PurchaseItemCount + 1>;

// "yyyy/mm/dd" from the date boxes: a year of four digits, a month 1 to 12 and a day within that month, each
// written with its leading zero, so the reports find the slip by the characters of its date. Otherwise a
// failure saying what is wrong.
Result PurchaseSlipDate(const QString& year, const QString& month, const QString& day, QString& date);

// Checks every field of `draft` before anything is written: the date, each line's item number (0 or 1 to
// 400), unit price and quantity (16-bit fields), the supplier number, that the amounts are numbers and that
// at least one line holds an item. A failure names the line and the field and leaves `slip` untouched;
// otherwise `slip` gets every field but SlipNo, and its reserved bytes stay as they were.
Result BuildPurchaseSlip(const PurchaseSlipDraft& draft, PurchaseSlipRecord& slip);

// Adds what stored slip `slip` added to stock, per item, to `qty`.
void AddPurchasedQty(const PurchaseSlipRecord& slip, PurchaseQtyTable& qty);

// Stores the draft as record SysNum[4] with that slip number, raises SysNum[4] by one in memory and in
// sys.ini, and adds each line's quantity to its item's stock.
SaveOutcome SaveNewPurchaseSlip(const PurchaseSlipDraft& draft);

// Rewrites slip n, the record that was recalled, and changes stock by the new quantities minus `recalled`.
// A slip marked deleted in the meantime is refused, so its quantities are never taken back twice.
SaveOutcome SaveCorrectedPurchaseSlip(qint64 n, const PurchaseSlipDraft& draft, const PurchaseQtyTable& recalled);

// Marks slip n deleted, the record otherwise as read, and takes `recalled` (its quantities) out of stock.
// A slip already marked deleted is refused.
SaveOutcome DeletePurchaseSlip(qint64 n, const PurchaseQtyTable& recalled);
