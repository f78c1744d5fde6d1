// The slip lists: date, time, total and deletion mark of every slip of a month, read in large blocks.
#include "storage/sliplist.h"

#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <cmath>

namespace {

constexpr int DateAt = 0;
constexpr int TimeAt = 20;
constexpr int TotalAt = 754;
constexpr int DeletedAt = 762;

// A year and month as the boxes give them, when a stored date can have them: whole numbers in range.
bool wholeMonth(double year, double month, int& y, int& m)
{
    if (!(year >= -2147483648.0 && year <= 2147483647.0 && month >= -128 && month <= 127))
        return false;
    y = int(year);
    m = int(month);
    return y == year && m == month;
}

} // namespace

Result ListSalesSlips(double year, double month, qint64 last, QList<SlipListRow>& rows)
{
    rows.clear();
    int y = 0, m = 0;
    if (!wholeMonth(year, month, y, m))
        return Result::success();
    return ScanSalesMonth(y, m, std::nullopt, last, [&](qint64 n, const SlipView& view) {
        rows.append(SlipListRow{n, view.date(), view.time(), view.total(), view.deleted(),
                                paymentMethodName(view.payment().method)});
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
    int y = 0, m = 0;
    if (!wholeMonth(year, month, y, m))
        return Result::success();
    return ScanSlipMonth(SlipFile::Purchases, y, m, std::nullopt, last, [&](qint64 n, const char* r) {
        rows.append(SlipListRow{n, getText(r + DateAt, 10), getText(r + TimeAt, 8), getDouble(r + TotalAt),
                                getInt16(r + DeletedAt) != 0, QString()});
        return true;
    });
}
