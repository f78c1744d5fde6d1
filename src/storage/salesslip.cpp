// Sales slip records: header at 0, ten 64-byte lines from 64, totals from 704, deletion mark at 728.
#include "storage/salesslip.h"

#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFile>
#include <cstring>
#include <vector>

SalesSlipRecord WorkingSlip;

namespace {

constexpr int LineOffset = 64;
constexpr int LineSize = 64;

const char* blankRecord()
{
    static const std::array<char, SalesSlipRecordSize> blank = [] {
        std::array<char, SalesSlipRecordSize> r{};
        std::memset(r.data(), ' ', 60); // date, time, weather and the reserved texts between them
        for (int k = 0; k < SalesSlipLineCount; ++k)
            std::memset(r.data() + LineOffset + LineSize * k + 2, ' ', 50);
        return r;
    }();
    return blank.data();
}

void decode(const char* r, SalesSlipRecord& s)
{
    std::memcpy(s.Raw.data(), r, SalesSlipRecordSize);
    s.Date = getText(r + 0, 10);
    s.Time = getText(r + 20, 8);
    s.Weather = getText(r + 40, 20);
    s.SlipNo = getInt32(r + 60);
    for (int k = 1; k <= SalesSlipLineCount; ++k) {
        const char* l = r + LineOffset + LineSize * (k - 1);
        SalesSlipLine& line = s.Line[k];
        line.ProductNo = getInt16(l + 0);
        line.ProductName = getText(l + 2, 50);
        line.UnitPrice = getInt16(l + 52);
        line.Qty = getInt16(l + 54);
        line.Amount = getDouble(l + 56);
    }
    s.Subtotal = getDouble(r + 704);
    s.Tax = getDouble(r + 712);
    s.Total = getDouble(r + 720);
    s.Deleted = getInt16(r + 728);
}

void encode(SalesSlipRecord& s)
{
    char* r = s.Raw.data();
    putText(r + 0, s.Date, 10);
    putText(r + 20, s.Time, 8);
    putText(r + 40, s.Weather, 20);
    putInt32(r + 60, s.SlipNo);
    for (int k = 1; k <= SalesSlipLineCount; ++k) {
        char* l = r + LineOffset + LineSize * (k - 1);
        const SalesSlipLine& line = s.Line[k];
        putInt16(l + 0, line.ProductNo);
        putText(l + 2, line.ProductName, 50);
        putInt16(l + 52, line.UnitPrice);
        putInt16(l + 54, line.Qty);
        putDouble(l + 56, line.Amount);
    }
    putDouble(r + 704, s.Subtotal);
    putDouble(r + 712, s.Tax);
    putDouble(r + 720, s.Total);
    putInt16(r + 728, s.Deleted);
}

// The numeric value of a short ASCII field such as the year of a date; other text goes the slow way.
int fieldValue(const char* p, int len)
{
    int i = 0;
    while (i < len && p[i] == ' ')
        ++i;
    int value = 0;
    int digits = 0;
    for (; i < len && p[i] >= '0' && p[i] <= '9'; ++i, ++digits)
        value = value * 10 + (p[i] - '0');
    if (i == len || p[i] == '/' || p[i] == ':' || p[i] == ' ')
        return value;
    return int(roundHalfEven(val(fromCp932(QByteArrayView(p, len)))));
}

} // namespace

SalesSlipRecord::SalesSlipRecord()
{
    decode(blankRecord(), *this);
}

SalesSlipRecord InitialisedSalesSlip()
{
    SalesSlipRecord slip;
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        slip.Line[k].ProductName = QStringLiteral("0");
    encode(slip);
    return slip;
}

struct SalesSlipFile::Impl
{
    RecordFile file{dataPath(QStringLiteral("reg.dat")), SalesSlipRecordSize, blankRecord()};
};

SalesSlipFile::SalesSlipFile() : m(new Impl) {}
SalesSlipFile::~SalesSlipFile()
{
    delete m;
}
Result SalesSlipFile::open()
{
    return m->file.open();
}
Result SalesSlipFile::close()
{
    return m->file.close();
}
QString SalesSlipFile::errorMessage() const
{
    return m->file.errorMessage();
}

bool SalesSlipFile::read(qint64 n, SalesSlipRecord& slip)
{
    char buf[SalesSlipRecordSize];
    if (!m->file.read(n, buf))
        return false;
    decode(buf, slip);
    return true;
}

bool SalesSlipFile::write(qint64 n, SalesSlipRecord& slip)
{
    encode(slip);
    return m->file.write(n, slip.Raw.data());
}

Result ReadSalesSlip(qint64 n)
{
    SalesSlipFile file;
    if (Result r = file.open(); !r)
        return r;
    if (!file.read(n, WorkingSlip))
        return Result::failure(file.errorMessage());
    return file.close();
}

Result WriteSalesSlip(qint64 n)
{
    SalesSlipFile file;
    if (Result r = file.open(); !r)
        return r;
    if (!file.write(n, WorkingSlip))
        return Result::failure(file.errorMessage());
    return file.close();
}

int SlipView::year() const
{
    return fieldValue(p + 0, 4);
}
int SlipView::month() const
{
    return fieldValue(p + 5, 2);
}
int SlipView::day() const
{
    return fieldValue(p + 8, 2);
}
QString SlipView::date() const
{
    return getText(p + 0, 10);
}
QString SlipView::time() const
{
    return getText(p + 20, 8);
}
int SlipView::hour() const
{
    return fieldValue(p + 20, 2);
}
double SlipView::subtotal() const
{
    return getDouble(p + 704);
}
double SlipView::tax() const
{
    return getDouble(p + 712);
}
double SlipView::total() const
{
    return getDouble(p + 720);
}
bool SlipView::deleted() const
{
    return getInt16(p + 728) != 0;
}
int16_t SlipView::productNo(int line) const
{
    return getInt16(p + LineOffset + LineSize * (line - 1));
}
int16_t SlipView::qty(int line) const
{
    return getInt16(p + LineOffset + LineSize * (line - 1) + 54);
}
double SlipView::amount(int line) const
{
    return getDouble(p + LineOffset + LineSize * (line - 1) + 56);
}
QString SlipView::productName(int line) const
{
    return getText(p + LineOffset + LineSize * (line - 1) + 2, 50);
}

Result ScanSalesSlips(qint64 first, qint64 last, const std::function<bool(qint64, const SlipView&)>& visit)
{
    QFile file(dataPath(QStringLiteral("reg.dat")));
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("reg.dat を読めません（%1）。").arg(file.errorString()));
    first = std::max<qint64>(first, 1);
    if (last < first || !file.seek((first - 1) * SalesSlipRecordSize))
        return Result::success();
    constexpr qint64 BlockRecords = 512; // half a megabyte per read
    std::vector<char> block(BlockRecords * SalesSlipRecordSize);
    qint64 n = first;
    while (n <= last) {
        const qint64 want = std::min(BlockRecords, last - n + 1) * SalesSlipRecordSize;
        const qint64 got = file.read(block.data(), want);
        if (got < 0)
            return Result::failure(QStringLiteral("reg.dat を読めません（%1）。").arg(file.errorString()));
        const qint64 records = got / SalesSlipRecordSize;
        for (qint64 i = 0; i < records; ++i, ++n)
            if (!visit(n, SlipView(block.data() + i * SalesSlipRecordSize)))
                return Result::success();
        if (got < want)
            break; // end of file; a trailing part record holds no complete slip
    }
    return Result::success();
}
