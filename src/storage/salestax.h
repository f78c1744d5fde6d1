// The consumption tax of a sale at the shop's two rates, by the products' reduced-rate marks.
#pragma once

#include "storage/salesslip.h"
#include "storage/tax.h"

#include <array>

// What marks a product sold at the reduced rate, in lists, on its slip line and on receipts.
inline constexpr QChar ReducedMark = u'※';

// A rate as the shop reads it: "8%" for 0.08.
QString RatePercent(double rate);

// A reduced rate is in use when SysNum holds one above 0; an older sys.ini holds 0 there.
bool ReducedRateInUse();
// Product n is sold at the reduced rate when it is marked so and a reduced rate is in use.
bool SoldAtReducedRate(int productNo);

// One line of a sale as far as tax goes; product 0 is an empty line.
struct TaxLine
{
    int productNo = 0;
    double amount = 0;
};
using TaxLines = std::array<TaxLine, SalesSlipLineCount + 1>; // lines 1 to 10; 0 unused

// The two rates' totals and contained taxes of a sale whose tax-inclusive total is `total`. With `taxOn`
// false no tax is applied: both taxes and rates are 0, the totals and the reduced lines are kept.
SlipRates SaleTax(const TaxLines& lines, double total, bool taxOn);

// Fills the rates tail of `slip` from its lines and total, and its Tax as the sum of both rates' taxes.
void FillSlipTax(SalesSlipRecord& slip, bool taxOn);
