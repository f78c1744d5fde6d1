// Sales tax split by rate: reduced lines by the product marks, the rest of the total at the standard rate.
#include "storage/salestax.h"

#include "storage/products.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

QString RatePercent(double rate)
{
    return numText(rate * 100) + u'%';
}

bool ReducedRateInUse()
{
    return SysNum[Sys::ReducedTaxRate] > 0;
}

bool SoldAtReducedRate(int productNo)
{
    return productNo >= 1 && productNo <= MaxProductEntries && ProductTable[productNo].Reduced != 0 &&
           ReducedRateInUse();
}

SlipRates SaleTax(const TaxLines& lines, double total, bool taxOn)
{
    uint16_t reducedLines = 0;
    double reducedTotal = 0;
    for (int k = 1; k <= SalesSlipLineCount; ++k) {
        if (!SoldAtReducedRate(lines[k].productNo))
            continue;
        reducedLines |= uint16_t(1u << (k - 1));
        reducedTotal += lines[k].amount;
    }
    if (!taxOn)
        return SplitSlipTax(total, reducedTotal, reducedLines, 0, 0);
    return SplitSlipTax(total, reducedTotal, reducedLines, SysNum[Sys::TaxRate], SysNum[Sys::ReducedTaxRate]);
}

void FillSlipTax(SalesSlipRecord& slip, bool taxOn)
{
    TaxLines lines;
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        lines[k] = {slip.Line[k].ProductNo, slip.Line[k].Amount};
    slip.Rates = SaleTax(lines, slip.Total, taxOn);
    slip.Tax = slip.Rates.standard.tax + slip.Rates.reduced.tax;
}
