// Tax arithmetic and the per-rate tail of a sales slip record.
#include "storage/tax.h"

#include "storage/sliptail.h"

#include <algorithm>
#include <cmath>

namespace {

// floor(a / b) for b > 0, also for negative a.
__int128 floorDiv(__int128 a, __int128 b)
{
    __int128 q = a / b;
    if ((a % b != 0) && (a < 0))
        --q;
    return q;
}

// value x scale when that is a whole number that fits comfortably, else false.
bool scaled(double value, double scale, __int128& out)
{
    const double s = value * scale;
    const double r = std::nearbyint(s);
    if (!std::isfinite(s) || std::fabs(r) > 9e15 || std::fabs(s - r) > 1e-6 * std::max(1.0, std::fabs(s)))
        return false;
    out = static_cast<__int128>(r);
    return true;
}

} // namespace

double ContainedTax(double total, double rate)
{
    __int128 t = 0, r = 0;
    // total in hundredths, rate in ten-thousandths: tax = floor(t r / (100 (10000 + r)) + 1/2)
    if (scaled(total, 100, t) && scaled(rate, 10000, r) && r > -10000) {
        const __int128 den = 100 * (10000 + r);
        return double(floorDiv(2 * t * r + den, 2 * den));
    }
    return std::floor(total * rate / (1 + rate) + 0.5);
}

double TaxOnTop(double subtotal, double rate)
{
    __int128 t = 0, r = 0;
    if (scaled(subtotal, 100, t) && scaled(rate, 10000, r))
        return double(floorDiv(2 * t * r + 1000000, 2000000));
    return std::floor(subtotal * rate + 0.5);
}

SlipRates SplitSlipTax(double total, double reducedTotal, uint16_t reducedLines, double standardRate,
                       double reducedRate)
{
    SlipRates s;
    s.present = true;
    s.reducedLines = reducedLines;
    if (reducedLines != 0)
        s.reduced = {reducedTotal, ContainedTax(reducedTotal, reducedRate), reducedRate};
    // The rest of the total, so that the two totals always add up to it.
    const double standardTotal = reducedLines != 0 ? total - reducedTotal : total;
    s.standard = {standardTotal, ContainedTax(standardTotal, standardRate), standardRate};
    return s;
}

SlipRates GetSlipRates(const char* record)
{
    using namespace SlipRatesOffset;
    const SlipTailReader tail(record, {Version, End});
    SlipRates s;
    if (!tail.present())
        return s;
    s.present = true;
    s.reducedLines = uint16_t(tail.int16At(ReducedLines));
    s.standard = {tail.doubleAt(StandardTotal), tail.doubleAt(StandardTax), tail.doubleAt(StandardRate)};
    s.reduced = {tail.doubleAt(ReducedTotal), tail.doubleAt(ReducedTax), tail.doubleAt(ReducedRate)};
    return s;
}

void PutSlipRates(char* record, const SlipRates& s)
{
    using namespace SlipRatesOffset;
    SlipTailWriter tail(record, {Version, End}, s.present);
    if (!s.present)
        return;
    tail.putInt16(ReducedLines, int16_t(s.reducedLines));
    tail.putDouble(StandardTotal, s.standard.total);
    tail.putDouble(StandardTax, s.standard.tax);
    tail.putDouble(StandardRate, s.standard.rate);
    tail.putDouble(ReducedTotal, s.reduced.total);
    tail.putDouble(ReducedTax, s.reduced.tax);
    tail.putDouble(ReducedRate, s.reduced.rate);
}
