// siire.dat: one 1024-byte record per purchase slip; the record number is the slip number.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

constexpr int PurchaseSlipRecordSize = 1024;
constexpr int PurchaseSlipLineCount = 10;

struct PurchaseSlipLine
{
    int16_t ItemNo = 0; // 0 = empty line
    QString ItemName;   // 50 bytes
    int16_t UnitPrice = 0;
    int16_t Qty = 0; // what the item's stock changed by
    double Amount = 0;
};

struct PurchaseSlipRecord
{
    QString Date; // yyyy/mm/dd
    QString Time; // hh:mm:ss
    int32_t SlipNo = 0;
    int16_t SupplierNo = 0;
    QString SupplierName;                             // 20 bytes
    QString SupplierPhone;                            // 12 bytes
    PurchaseSlipLine Line[PurchaseSlipLineCount + 1]; // lines 1 to 10; 0 unused
    double Subtotal = 0;
    double Tax = 0;
    double Total = 0;
    int16_t Deleted = 0;

    // The record as last read or written; reserved bytes are carried into the next write.
    std::array<char, PurchaseSlipRecordSize> Raw{};

    PurchaseSlipRecord(); // a record as initialisation writes it: each line's name "0"
};

// Read or write one slip, opening and closing siire.dat around it; a write is flushed to disk.
// The named fields and Raw of `slip` from a record image.
void DecodePurchaseSlip(const char* record, PurchaseSlipRecord& slip);

Result ReadPurchaseSlip(qint64 n, PurchaseSlipRecord& slip);
Result WritePurchaseSlip(qint64 n, PurchaseSlipRecord& slip);
// Writes `count` initialised records 1 .. count.
Result InitPurchaseSlipFile(qint64 count);

// The record image of `slip` (its Raw bytes, updated from the named fields) and the empty record.
QByteArray EncodePurchaseSlip(PurchaseSlipRecord& slip);
QByteArray PurchaseSlipBlankRecord();
