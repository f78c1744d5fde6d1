// zaiko.dat: purchase items 1 to 400 with their stock, 128 bytes each.
#pragma once

#include "storage/recordfile.h"
#include "storage/result.h"

#include <QList>
#include <QString>
#include <cstdint>

constexpr int PurchaseItemRecordSize = 128;
constexpr int PurchaseItemCount = 400;
constexpr int StockQtyOffset = 44; // the one field that saves of slips change

struct PurchaseItem
{
    QString Category; // 6 bytes
    QString Name;     // 30 bytes; blank = free number
    double StandardCost = 0;
    double StockQty = 0; // may become negative
    int16_t SupplierNo = 0;
    QString SupplierName; // 30 bytes
    // The record image as read, so a write keeps the reserved bytes; empty for a new item, written over the
    // empty record.
    QByteArray Record;
};

// The six fields of a purchase item record image.
PurchaseItem DecodePurchaseItem(const char* record);

// Item n with its record image.
ResultWith<PurchaseItem> ReadPurchaseItem(int n);
// Writes `item` as record n over its own record image, so the reserved bytes stay those it was read with.
Result WritePurchaseItem(int n, const PurchaseItem& item);
// Writes a blank record to every record 1 .. SysNum[Sys::PurchaseItemCount].
Result InitPurchaseItemFile();
// The empty item record.
QByteArray PurchaseItemBlankRecord();

// One change of stock: item n gains delta (negative to take out).
struct StockChange
{
    int item = 0;
    double delta = 0;
};

struct JournalStock;

// The absolute StockQty each touched item ends with when `changes` are applied in order, read from zaiko.dat
// now. Items outside 1 to 400 are skipped. Refused when zaiko.dat is missing or a figure would not be a finite
// number; `figures` then stays empty.
Result StockFigures(const QList<StockChange>& changes, QList<JournalStock>& figures);

// Applies the changes as one journalled operation (see storage/journal.h) that touches only StockQty.
// Items outside 1 to 400 and zero changes are skipped.
Result ApplyStockChanges(const QList<StockChange>& changes);

// zaiko.dat in AppDir, not yet opened.
RecordFile PurchaseItemFile();

// The message for a save that needs zaiko.dat when it is missing.
QString MissingStockFileMessage();

// Reads every record 1 .. count (400 at most 1000) in one pass, for grids and lists.
QList<PurchaseItem> LoadPurchaseItems(int count);
