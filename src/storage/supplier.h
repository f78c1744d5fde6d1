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
    // The record image as read, so a write keeps the bytes no field holds; empty for a new supplier, written
    // over the empty record.
    QByteArray Record;
};

// The fields of a supplier record image.
Supplier DecodeSupplier(const char* record);

// Supplier n with its record image.
ResultWith<Supplier> ReadSupplier(int n);
// Writes `s` as record n over its own record image, so the reserved bytes stay those it was read with.
Result WriteSupplier(int n, const Supplier& s);
// A blank supplier record: texts blank, TaxType 1, the number at 49 zero.
QByteArray SupplierBlankRecord();

// A pick-list entry: the number without leading zeros, "-" and the name as stored ("3-" + 30 bytes).
QString supplierListEntry(int n, const QString& name);
// One entry per supplier 1 .. SysNum[Sys::SupplierCount], read in one pass; position p stands for supplier p + 1.
QStringList supplierPickList();
