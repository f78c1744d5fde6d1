// reg.dat: one 1024-byte record per sales slip; the record number is the slip number.
#pragma once

#include "storage/payment.h"
#include "storage/result.h"
#include "storage/tax.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

constexpr int SalesSlipRecordSize = 1024;
constexpr int SalesSlipLineCount = 10;

struct SalesSlipLine
{
    int16_t ProductNo = 0; // 0 = empty line
    QString ProductName;   // 50 bytes
    int16_t UnitPrice = 0;
    int16_t Qty = 0;
    double Amount = 0;
};

struct SalesSlipRecord
{
    QString Date;    // yyyy/mm/dd
    QString Time;    // hh:mm:ss
    QString Weather; // 晴れ, 雨, 曇り, 雪, 台風 or blank
    int32_t SlipNo = 0;
    SalesSlipLine Line[SalesSlipLineCount + 1]; // lines 1 to 10; 0 unused
    double Subtotal = 0;
    double Tax = 0;
    double Total = 0;
    int16_t Deleted = 0; // non-zero = deleted
    SlipRates Rates;     // the two rates' figures, in the reserved tail; absent in older slips
    SlipPayment Payment; // method and amount tendered, after the rate figures; absent in older slips

    // The record as last read or written; its reserved bytes are carried into the next write.
    std::array<char, SalesSlipRecordSize> Raw{};

    SalesSlipRecord();
};

// The record data initialisation prepares: texts blank, numbers 0, each line's name the text "0", the reserved
// bytes zero as in a new file; Raw already holds its image.
SalesSlipRecord InitialisedSalesSlip();

// The record image of `slip` (its Raw bytes, updated from the named fields), the empty record, and the
// named fields and Raw of `slip` from a record image.
QByteArray EncodeSalesSlip(SalesSlipRecord& slip);
QByteArray SalesSlipBlankRecord();
void DecodeSalesSlip(const char* record, SalesSlipRecord& slip);

// An open reg.dat for one user-level operation; closing flushes what was written to disk.
class SalesSlipFile
{
public:
    SalesSlipFile();
    ~SalesSlipFile();
    Result open();
    Result close();
    bool read(qint64 n, SalesSlipRecord& slip);
    bool write(qint64 n, SalesSlipRecord& slip);
    QString errorMessage() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// The slips issued so far are 1 .. LastSalesSlipNo(): SysNum[2] - 1, or 0 when SysNum[2] is no slip number.
qint64 LastSalesSlipNo();

// Record n as a value of its own, and `slip` written as record n with its reserved bytes, each opening and
// closing the file.
ResultWith<SalesSlipRecord> ReadSalesSlip(qint64 n);
Result WriteSalesSlip(qint64 n, const SalesSlipRecord& slip);

// A read-only look at one stored slip inside a scan, without decoding what is not asked for.
class SlipView
{
public:
    explicit SlipView(const char* record) : p(record) {}
    // What a date or time field reads as when its value is beyond five digits ("9e99"): no year, month or
    // day, and small enough for any arithmetic on dates.
    static constexpr int NotAField = -100000;
    int year() const;  // numeric value of date characters 1-4
    int month() const; // characters 6-7
    int day() const;   // characters 9-10
    QString date() const;
    QString time() const;
    int hour() const; // numeric value of time characters 1-2
    // The hour 0 to 23 of the time of saving; -1 when the time is blank or no time of day.
    int savedHour() const;
    QString weather() const;
    int32_t slipNo() const;
    double subtotal() const;
    double tax() const;
    double total() const;
    bool deleted() const;
    int16_t productNo(int line) const;
    int16_t unitPrice(int line) const;
    int16_t qty(int line) const;
    double amount(int line) const;
    QString productName(int line) const;
    SlipRates rates() const { return GetSlipRates(p); }
    SlipPayment payment() const { return GetSlipPayment(p); }
    const char* data() const { return p; }

private:
    const char* p;
};

// Reads records first..last in large sequential blocks and calls visit(slipNo, view) for each;
// records past the end of the file are not visited. Stops early when visit returns false.
Result ScanSalesSlips(qint64 first, qint64 last, const std::function<bool(qint64, const SlipView&)>& visit);
