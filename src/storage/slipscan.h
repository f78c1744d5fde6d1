// One sequential pass over a slip file (reg.dat or siire.dat) in large blocks, for lists, reports and graphs.
#pragma once

#include "storage/result.h"

#include <QString>
#include <cstdint>
#include <functional>

// Reads records first..last of `fileName` in AppDir front to back and calls visit(recordNo, record) for each
// whole record; records past the end of the file are not visited, and a missing file has none. Stops early
// when visit returns false. The block buffer is page-aligned and kept for the whole run, so a fresh process
// reads as fast as a warm one.
Result ScanRecords(const QString& fileName, int recordSize, qint64 first, qint64 last,
                   const std::function<bool(qint64, const char*)>& visit);

// A read-only look at one stored purchase slip inside a scan, decoding only the fields asked for.
class PurchaseSlipView
{
public:
    explicit PurchaseSlipView(const char* record) : p(record) {}
    int year() const;  // numeric value of date characters 1-4
    int month() const; // characters 6-7
    int day() const;   // characters 9-10
    QString date() const;
    int32_t slipNo() const;
    int16_t supplierNo() const;
    QString supplierName() const;
    int16_t itemNo(int line) const; // lines 1 to 10; 0 = empty line
    QString itemName(int line) const;
    int16_t unitPrice(int line) const;
    int16_t qty(int line) const;
    double amount(int line) const;
    double subtotal() const;
    double tax() const;
    double total() const;
    bool deleted() const;
    const char* data() const { return p; }

private:
    const char* line(int k) const;
    const char* p;
};

// Purchase slips first..last of siire.dat, as ScanRecords.
Result ScanPurchaseSlips(qint64 first, qint64 last, const std::function<bool(qint64, const PurchaseSlipView&)>& visit);
