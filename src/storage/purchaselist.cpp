// The purchase slip list: date, time, total and deletion mark of every slip, read in large blocks.
#include "storage/purchaselist.h"

#include "storage/purchaseslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFile>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr int DateAt = 0;
constexpr int TimeAt = 20;
constexpr int TotalAt = 754;
constexpr int DeletedAt = 762;

// Records first..last of `fileName` front to back, visit(recordNo, record) for each whole one; stops when
// visit returns false. Same shape as the shared block scan of the slip files, which can take its place.
Result scanRecords(const QString& fileName, int recordSize, qint64 first, qint64 last,
                   const std::function<bool(qint64, const char*)>& visit)
{
    QFile file(dataPath(fileName));
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(fileName, file.errorString()));
    first = std::max<qint64>(first, 1);
    if (last < first || !file.seek((first - 1) * recordSize))
        return Result::success();
    const qint64 blockRecords = (512 * 1024) / recordSize;
    std::vector<char> block(blockRecords * recordSize);
    for (qint64 n = first; n <= last;) {
        const qint64 want = std::min(blockRecords, last - n + 1) * recordSize;
        const qint64 got = file.read(block.data(), want);
        if (got < 0)
            return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(fileName, file.errorString()));
        for (qint64 i = 0; i < got / recordSize; ++i, ++n)
            if (!visit(n, block.data() + i * recordSize))
                return Result::success();
        if (got < want)
            break; // end of file; a trailing part record holds no slip
    }
    return Result::success();
}

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

qint64 LastPurchaseSlipNo()
{
    const double next = SysNum[Sys::NextPurchaseSlipNo];
    return next >= 1 && next <= 2147483648.0 ? qint64(std::floor(next)) - 1 : 0;
}

Result ListPurchaseSlips(double year, double month, qint64 last, QList<PurchaseSlipListRow>& rows)
{
    rows.clear();
    return scanRecords(QStringLiteral("siire.dat"), PurchaseSlipRecordSize, 1, last, [&](qint64 n, const char* r) {
        if (fieldValue(r + DateAt, 4) == year && fieldValue(r + DateAt + 5, 2) == month)
            rows.append(PurchaseSlipListRow{n, getText(r + DateAt, 10), getText(r + TimeAt, 8), getDouble(r + TotalAt),
                                            getInt16(r + DeletedAt) != 0});
        return true;
    });
}
