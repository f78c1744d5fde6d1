// The 64-byte slip line that sales and purchase slips share, and the totals block after their ten lines.
#pragma once

#include <QString>
#include <cstdint>

namespace SlipLayout {

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
