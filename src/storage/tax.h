// Consumption tax: the tax contained in a tax-inclusive total, and the per-rate figures a sales slip keeps.
#pragma once

#include <array>
#include <cstdint>

// The tax contained in a tax-inclusive `total` at `rate` (a fraction, 0.1 for 10 %):
// floor(total x rate / (1 + rate) + 0.5). Exact for rates with up to four decimals and totals in whole
// yen or hundredths, so a half is never lost to binary fractions; a negative total gives a negative tax.
double ContainedTax(double total, double rate);

// The tax added on top of a pre-tax `subtotal`: floor(subtotal x rate + 0.5).
double TaxOnTop(double subtotal, double rate);

struct RateTotal
{
    double total = 0; // tax-inclusive amount of the lines at this rate
    double tax = 0;   // tax contained in it, rounded once per slip
    double rate = 0;  // the rate applied, as a fraction
};

// What a sales slip keeps of its two rates, in the tail of its record (reserved, zero bytes in slips written
// before the reduced rate existed):
//   730 int16   version: 0 = no rate figures (an older slip: every line at the standard rate), 1 = present
//   732 int16   reduced lines: bit k - 1 set when line k is at the reduced rate
//   734 double  standard total, 742 double standard tax, 750 double standard rate
//   758 double  reduced total,  766 double reduced tax,  774 double reduced rate
// Tax (offset 712) stays the sum of both taxes, so every reader of the older layout sees the right figure.
struct SlipRates
{
    bool present = false;
    uint16_t reducedLines = 0;
    RateTotal standard;
    RateTotal reduced;

    bool lineReduced(int k) const { return present && (reducedLines >> (k - 1)) & 1; }
};

namespace SlipRatesOffset {
constexpr int Version = 730, ReducedLines = 732, StandardTotal = 734, StandardTax = 742, StandardRate = 750,
              ReducedTotal = 758, ReducedTax = 766, ReducedRate = 774, End = 782;
}

// The figures of a slip whose tax-inclusive `total` holds `reducedTotal` at `reducedRate` (the lines in
// `reducedLines`) and the rest at `standardRate`; each rate's tax is rounded once. Without a reduced line
// the standard figures are those of the whole total.
SlipRates SplitSlipTax(double total, double reducedTotal, uint16_t reducedLines, double standardRate,
                       double reducedRate);

// Decodes the tail of a 1024-byte sales slip record image.
SlipRates GetSlipRates(const char* record);
// Encodes it into a record image; `present` false writes the tail as zero bytes.
void PutSlipRates(char* record, const SlipRates& rates);
