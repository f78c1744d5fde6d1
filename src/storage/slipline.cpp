// Encoding and decoding of the shared slip line and totals block.
#include "storage/slipline.h"

#include "storage/text.h"

using namespace SlipLayout;

SlipLineFields readSlipLine(const char* line)
{
    return {getInt16(line + LineNumber), getText(line + LineName, LineNameWidth), getInt16(line + LineUnitPrice),
            getInt16(line + LineQty), getDouble(line + LineAmount)};
}

void writeSlipLine(char* line, const SlipLineFields& fields)
{
    putInt16(line + LineNumber, fields.number);
    putText(line + LineName, fields.name, LineNameWidth);
    putInt16(line + LineUnitPrice, fields.unitPrice);
    putInt16(line + LineQty, fields.qty);
    putDouble(line + LineAmount, fields.amount);
}

SlipTotals readSlipTotals(const char* totals)
{
    return {getDouble(totals + Subtotal), getDouble(totals + Tax), getDouble(totals + Total),
            getInt16(totals + Deleted)};
}

void writeSlipTotals(char* totals, const SlipTotals& t)
{
    putDouble(totals + Subtotal, t.subtotal);
    putDouble(totals + Tax, t.tax);
    putDouble(totals + Total, t.total);
    putInt16(totals + Deleted, t.deleted);
}
