// The slip lists: date, time, total and deletion mark of every slip of a month, read in large blocks.
#include "storage/sliplist.h"

#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipscan.h"
#include "storage/text.h"

#include <cmath>

namespace {

constexpr int DateAt = 0;
constexpr int TimeAt = 20;
constexpr int TotalAt = 754;
constexpr int DeletedAt = 762;

// The numeric value of a short field of a date ("2025", "03", " 3"); anything unusual is read leniently.
double fieldValue(const char* p, int len)
{
    int i = 0;
    while (i < len && p[i] == ' ')
        ++i;
    double value = 0;
    for (; i < len && p[i] >= '0' && p[i] <= '9'; ++i)
        value = value * 10 + (p[i] - '0');
    if (i == len || p[i] == ' ')
        return value;
    return val(getText(p, len));
}

} // namespace

Result ListSalesSlips(double year, double month, qint64 last, QList<SlipListRow>& rows)
{
    rows.clear();
    return ScanSalesSlips(1, last, [&](qint64 n, const SlipView& view) {
        if (view.year() == year && view.month() == month)
            rows.append(SlipListRow{n, view.date(), view.time(), view.total(), view.deleted()});
        return true;
    });
}

qint64 LastPurchaseSlipNo()
{
    const double next = SysNum[Sys::NextPurchaseSlipNo];
    return next >= 1 && next <= 2147483648.0 ? qint64(std::floor(next)) - 1 : 0;
}

Result ListPurchaseSlips(double year, double month, qint64 last, QList<SlipListRow>& rows)
{
    rows.clear();
    return ScanRecords(QStringLiteral("siire.dat"), PurchaseSlipRecordSize, 1, last, [&](qint64 n, const char* r) {
        if (fieldValue(r + DateAt, 4) == year && fieldValue(r + DateAt + 5, 2) == month)
            rows.append(SlipListRow{n, getText(r + DateAt, 10), getText(r + TimeAt, 8), getDouble(r + TotalAt),
                                    getInt16(r + DeletedAt) != 0});
        return true;
    });
}
