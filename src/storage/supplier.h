// siiresaki.dat: suppliers 1 .. SysNum[Sys::SupplierCount], 128 bytes each.
#pragma once

#include "storage/result.h"

#include <QString>
#include <QStringList>
#include <cstdint>

constexpr int SupplierRecordSize = 128;

struct Supplier
{
    QString Reserved1;   // 5 bytes, blank
    QString Name;        // 30 bytes; blank = free number
    QString Phone;       // 12 bytes
    int16_t TaxType = 1; // 1 外税, 2 内税, 3 非課税
    double Reserved2 = 0;
};

extern Supplier CurrentSupplier;

// The fields of a supplier record image.
Supplier DecodeSupplier(const char* record);

Result LoadSupplier(int16_t n);
// Writes CurrentSupplier as record n; the trailing reserved bytes are those last read.
Result SaveSupplier(int16_t n);
// A blank supplier record: texts blank, TaxType 1, the number at 49 zero.
QByteArray SupplierBlankRecord();
// CurrentSupplier and the record buffer blank, as after saving blank suppliers one by one.
void ClearCurrentSupplier();

// A pick-list entry: the number without leading zeros, "-" and the name as stored ("3-" + 30 bytes).
QString supplierListEntry(int n, const QString& name);
// One entry per supplier 1 .. SysNum[Sys::SupplierCount], read in one pass; position p stands for supplier p + 1.
QStringList supplierPickList();
