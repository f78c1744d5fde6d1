// seisan.dat: the till's closings and the cash put into or taken from the drawer outside a sale, one
// 512-byte record each, appended in the order they were made.
#pragma once

#include "storage/journal.h"
#include "storage/result.h"
#include "storage/tax.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

constexpr int SeisanRecordSize = 512;
inline const QString SeisanFileName = QStringLiteral("seisan.dat");

enum class SeisanKind : int16_t
{
    Closing = 1, // 精算
    CashIn = 2,  // 入金
    CashOut = 3, // 出金
};

// The coins and notes the cashier counts, largest first.
constexpr int DenominationCount = 10;
constexpr std::array<int, DenominationCount> Denominations = {10000, 5000, 2000, 1000, 500, 100, 50, 10, 5, 1};
constexpr int HighestCount = 99999;
// Cash in and out, and the change fund: whole yen up to eight digits.
constexpr double HighestCashAmount = 99999999;

struct CashCount
{
    std::array<int32_t, DenominationCount> counts{};
    double total() const;
};

// What the register expects for one business day, from its slips and its cash in and out.
struct ClosingFigures
{
    int32_t slipCount = 0;            // valid slips
    double gross = 0;                 // positive line amounts of the valid slips
    double returns = 0;               // negative line amounts (a negative figure)
    int32_t deletedCount = 0;         // deleted slips
    double deletedAmount = 0;         // their totals
    std::array<double, 4> byMethod{}; // totals of the valid slips per payment method (cash, credit, e-money, QR)
    RateTotal standard;               // per rate: total and the tax contained in it
    RateTotal reduced;
    double cashIn = 0;
    double cashOut = 0;
    double changeFund = 0; // 釣銭準備金
    int32_t firstSlip = 0; // the lowest and highest slip numbers of the day, deleted slips included; 0 = none
    int32_t lastSlip = 0;  // (and in closings stored before they were kept)

    double sales() const; // the sum of the valid slips' totals
    // change fund + cash sales + cash in - cash out
    double expectedCash() const;
};

// One record of seisan.dat:
//     0 4      mark "SEI1" (a record without it is damage)
//     4 int16  kind: 1 closing, 2 cash in, 3 cash out
//     6 int16  deleted: 0 valid, 1 deleted (cash in and out only; closings are kept)
//     8 10     business day, yyyy/mm/dd
//    18 10     date written, yyyy/mm/dd
//    28 8      time written, hh:mm:ss
//    36 double amount (cash in or out)
//    44 60     reason (cash in or out), blank padded
//   104 int32  valid slips        108 double gross sales      116 double returns
//   124 int32  deleted slips      128 double deleted amount
//   136 4 x double totals per payment method: cash, credit, e-money, QR code
//   168 double standard total     176 standard tax   184 standard rate
//   192 double reduced total      200 reduced tax    208 reduced rate
//   216 double cash in            224 cash out       232 change fund
//   240 double expected cash      248 counted cash   256 difference (counted - expected)
//   264 10 x int32 counts of 10000, 5000, 2000, 1000, 500, 100, 50, 10, 5 and 1 yen
//   304 int32  first slip number of the day   308 int32 last slip number (0: none, or a closing stored
//              before they were kept)
//   312 .. 511 zero bytes
// Texts are code page 932; numbers little-endian.
struct SeisanRecord
{
    qint64 recordNo = 0;  // set when read
    qint64 closingNo = 0; // closings: how many closings the file holds up to this one (精算番号), set when read
    SeisanKind kind = SeisanKind::Closing;
    int16_t deleted = 0;
    QString day;
    QString date;
    QString time;
    double amount = 0;
    QString reason;
    ClosingFigures figures;
    CashCount count;
    // As stored: the figures of the time of the closing, whatever the figures above give now.
    double expected = 0;
    double counted = 0;
    double difference = 0;
};

namespace SeisanOffset {
constexpr int Mark = 0, Kind = 4, Deleted = 6, Day = 8, Date = 18, Time = 28, Amount = 36, Reason = 44, SlipCount = 104,
              Gross = 108, Returns = 116, DeletedCount = 124, DeletedAmount = 128, ByMethod = 136, StandardTotal = 168,
              StandardTax = 176, StandardRate = 184, ReducedTotal = 192, ReducedTax = 200, ReducedRate = 208,
              CashIn = 216, CashOut = 224, ChangeFund = 232, Expected = 240, Counted = 248, Difference = 256,
              Counts = 264, FirstSlip = 304, LastSlip = 308, End = 312;
constexpr int DayWidth = 10, DateWidth = 10, TimeWidth = 8, ReasonWidth = 60;
} // namespace SeisanOffset

// Why a cash in or out of `amount` cannot be stored (empty when it can): whole yen from 1 to HighestCashAmount.
QString CashAmountProblem(double amount);
// Why `record` cannot be stored (empty when it can): a cash amount, a change fund or a count no window takes.
QString SeisanRecordProblem(const SeisanRecord& record);

// The record image; empty when a figure is not finite (nothing such is ever written).
QByteArray EncodeSeisan(const SeisanRecord& record);
// False when the record does not carry the mark or its kind is unknown.
bool DecodeSeisan(const char* bytes, SeisanRecord& record);

// Every record of seisan.dat, in order. A missing file has none; a file whose size is no whole number of
// records, or with a record that is not one of ours, is reported as damaged and left as it is.
Result ReadSeisan(QList<SeisanRecord>& records);

// How many records seisan.dat holds, a last partial one counted; 0 when there is no file.
qint64 SeisanRecordCount();

// Appends `record` (written date and time as given) as the next record, with `settings` (for example the change
// fund) in the same journalled operation. `recordNo` gets its number. A result that is ok may still carry a
// message: the operation took effect, and its last writes are completed at the next start.
Result AppendSeisan(const SeisanRecord& record, const QList<JournalSetting>& settings = {}, qint64* recordNo = nullptr);

// Marks cash in or out record n deleted; its bytes otherwise stay.
Result DeleteSeisan(qint64 n);
