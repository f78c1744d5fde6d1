// The 64-byte slip line that sales and purchase slips share, and the totals block after their ten lines.
#pragma once

#include <QString>
#include <cstdint>

namespace SlipLayout {

constexpr int LineCount = 10;
constexpr int LineSize = 64;
// Within a line.
constexpr int LineNumber = 0, LineName = 2, LineNameWidth = 50, LineUnitPrice = 52, LineQty = 54, LineAmount = 56;
// Within the totals block.
constexpr int Subtotal = 0, Tax = 8, Total = 16, Deleted = 24;

// Line k (1 to 10) of a slip whose lines begin at `linesAt`.
constexpr int lineAt(int linesAt, int k)
{
    return linesAt + LineSize * (k - 1);
}

} // namespace SlipLayout

// A line as stored: the product or purchase item number (0 = empty line), its name, price, quantity, amount.
struct SlipLineFields
{
    int16_t number = 0;
    QString name;
    int16_t unitPrice = 0;
    int16_t qty = 0;
    double amount = 0;
};

SlipLineFields readSlipLine(const char* line);
void writeSlipLine(char* line, const SlipLineFields& fields);

struct SlipTotals
{
    double subtotal = 0;
    double tax = 0;
    double total = 0;
    int16_t deleted = 0; // non-zero = deleted
};

SlipTotals readSlipTotals(const char* totals);
void writeSlipTotals(char* totals, const SlipTotals& t);

// The ten lines and the totals of a sales or purchase slip record `r`, whose line type holds the five fields
// in stored order, read into or written from `slip`.
template <typename Slip> void readSlipBody(const char* r, int linesAt, int totalsAt, Slip& slip)
{
    for (int k = 1; k <= SlipLayout::LineCount; ++k) {
        const SlipLineFields f = readSlipLine(r + SlipLayout::lineAt(linesAt, k));
        slip.Line[k] = {f.number, f.name, f.unitPrice, f.qty, f.amount};
    }
    const SlipTotals t = readSlipTotals(r + totalsAt);
    slip.Subtotal = t.subtotal;
    slip.Tax = t.tax;
    slip.Total = t.total;
    slip.Deleted = t.deleted;
}

template <typename Slip> void writeSlipBody(char* r, int linesAt, int totalsAt, const Slip& slip)
{
    for (int k = 1; k <= SlipLayout::LineCount; ++k) {
        const auto& [number, name, unitPrice, qty, amount] = slip.Line[k];
        writeSlipLine(r + SlipLayout::lineAt(linesAt, k), {number, name, unitPrice, qty, amount});
    }
    writeSlipTotals(r + totalsAt, {slip.Subtotal, slip.Tax, slip.Total, slip.Deleted});
}
