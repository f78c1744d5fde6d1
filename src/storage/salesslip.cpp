// Sales slip records: header at 0, ten 64-byte lines from 64, totals from 704, deletion mark at 728, the two
// rates' figures from 730, the payment from 782.
#include "storage/salesslip.h"

#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/slipline.h"
#include "storage/slipscan.h"
#include "storage/text.h"

#include <QFile>
#include <cmath>
#include <cstring>

namespace {

// Where the fields of a record lie; the lines and totals inside their blocks are in SlipLayout.
constexpr int DateAt = 0, TimeAt = 20, WeatherAt = 40, SlipNoAt = 60, LinesAt = 64, TotalsAt = 704;
constexpr int DateWidth = 10, TimeWidth = 8, WeatherWidth = 20;

QByteArray blankRecord()
{
    QByteArray r(SalesSlipRecordSize, '\0');
    std::memset(r.data(), ' ', SlipNoAt); // date, time, weather and the reserved texts between them
    for (int k = 1; k <= SalesSlipLineCount; ++k)
        std::memset(r.data() + SlipLayout::lineAt(LinesAt, k) + SlipLayout::LineName, ' ', SlipLayout::LineNameWidth);
    return r;
}

RecordBuffer& records()
{
    static RecordBuffer r(QStringLiteral("reg.dat"), blankRecord());
    return r;
}

void decode(const char* r, SalesSlipRecord& s)
{
    std::memcpy(s.Raw.data(), r, SalesSlipRecordSize);
    s.Date = getText(r + DateAt, DateWidth);
    s.Time = getText(r + TimeAt, TimeWidth);
    s.Weather = getText(r + WeatherAt, WeatherWidth);
    s.SlipNo = getInt32(r + SlipNoAt);
    readSlipBody(r, LinesAt, TotalsAt, s);
    s.Rates = GetSlipRates(r);
    s.Payment = GetSlipPayment(r);
}

void encode(SalesSlipRecord& s)
{
    char* r = s.Raw.data();
    putText(r + DateAt, s.Date, DateWidth);
    putText(r + TimeAt, s.Time, TimeWidth);
    putText(r + WeatherAt, s.Weather, WeatherWidth);
    putInt32(r + SlipNoAt, s.SlipNo);
    writeSlipBody(r, LinesAt, TotalsAt, s);
    // A slip without rate figures carries its reserved tail as it was, unless that still holds the figures
    // of another slip.
    if (s.Rates.present || GetSlipRates(r).present)
        PutSlipRates(r, s.Rates);
    if (s.Payment.present || GetSlipPayment(r).present)
        PutSlipPayment(r, s.Payment);
}

bool readSlip(RecordFile& file, qint64 n, SalesSlipRecord& slip)
{
    char buf[SalesSlipRecordSize];
    if (!file.read(n, buf))
        return false;
    decode(buf, slip);
    return true;
}

bool writeSlip(RecordFile& file, qint64 n, SalesSlipRecord& slip)
{
    encode(slip);
    return file.write(n, slip.Raw.data());
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
    // Anything else ("9e99", "-1.5") is read leniently; a value no four characters of plain digits could
    // hold is no year, month or day.
    const double v = roundHalfEven(val(fromCp932(QByteArrayView(p, len))));
    return v > SlipView::NotAField && v < -SlipView::NotAField ? int(v) : SlipView::NotAField;
}

} // namespace

QByteArray EncodeSalesSlip(SalesSlipRecord& slip)
{
    encode(slip);
    return QByteArray(slip.Raw.data(), SalesSlipRecordSize);
}

QByteArray SalesSlipBlankRecord()
{
    return QByteArray(blankRecord(), SalesSlipRecordSize);
}

void DecodeSalesSlip(const char* record, SalesSlipRecord& slip)
{
    decode(record, slip);
}

SalesSlipRecord::SalesSlipRecord()
{
    decode(records().blank(), *this);
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
    RecordFile file = records().file();
};

SalesSlipFile::SalesSlipFile() : m(std::make_unique<Impl>()) {}
SalesSlipFile::~SalesSlipFile() = default;
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
    return readSlip(m->file, n, slip);
}

bool SalesSlipFile::write(qint64 n, SalesSlipRecord& slip)
{
    // Written outside a journalled save: the month index no longer follows and is built anew when next read.
    DropSlipIndex(QStringLiteral("reg.dat"));
    return writeSlip(m->file, n, slip);
}

qint64 LastSalesSlipNo()
{
    const double next = SysNum[2];
    return next >= 1 && next <= 2147483648.0 ? qint64(std::floor(next)) - 1 : 0;
}

ResultWith<SalesSlipRecord> ReadSalesSlip(qint64 n)
{
    SalesSlipRecord slip;
    if (Result r = records().access([&](RecordFile& file) { return readSlip(file, n, slip); }); !r)
        return ResultWith<SalesSlipRecord>::failure(r);
    return ResultWith<SalesSlipRecord>::of(std::move(slip));
}

Result WriteSalesSlip(qint64 n, const SalesSlipRecord& slip)
{
    DropSlipIndex(QStringLiteral("reg.dat"));
    // The image is made on a copy, so the caller's record stays as it was given.
    SalesSlipRecord image = slip;
    return records().access([&](RecordFile& file) { return writeSlip(file, n, image); });
}

int SlipView::year() const
{
    return fieldValue(p + DateAt, 4);
}
int SlipView::month() const
{
    return fieldValue(p + DateAt + 5, 2);
}
int SlipView::day() const
{
    return fieldValue(p + DateAt + 8, 2);
}
QString SlipView::date() const
{
    return getText(p + DateAt, DateWidth);
}
QString SlipView::time() const
{
    return getText(p + TimeAt, TimeWidth);
}
int SlipView::hour() const
{
    return fieldValue(p + TimeAt, 2);
}
double SlipView::subtotal() const
{
    return getDouble(p + TotalsAt + SlipLayout::Subtotal);
}
double SlipView::tax() const
{
    return getDouble(p + TotalsAt + SlipLayout::Tax);
}
double SlipView::total() const
{
    return getDouble(p + TotalsAt + SlipLayout::Total);
}
bool SlipView::deleted() const
{
    return getInt16(p + TotalsAt + SlipLayout::Deleted) != 0;
}
int16_t SlipView::productNo(int line) const
{
    return getInt16(p + SlipLayout::lineAt(LinesAt, line) + SlipLayout::LineNumber);
}
int16_t SlipView::qty(int line) const
{
    return getInt16(p + SlipLayout::lineAt(LinesAt, line) + SlipLayout::LineQty);
}
double SlipView::amount(int line) const
{
    return getDouble(p + SlipLayout::lineAt(LinesAt, line) + SlipLayout::LineAmount);
}
QString SlipView::productName(int line) const
{
    return getText(p + SlipLayout::lineAt(LinesAt, line) + SlipLayout::LineName, SlipLayout::LineNameWidth);
}

int32_t SlipView::slipNo() const
{
    return getInt32(p + SlipNoAt);
}
QString SlipView::weather() const
{
    return getText(p + WeatherAt, WeatherWidth);
}
int SlipView::savedHour() const
{
    const char* t = p + TimeAt;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(t[0]) || !digit(t[1]) || t[2] != ':')
        return -1;
    const int h = (t[0] - '0') * 10 + (t[1] - '0');
    return h < 24 ? h : -1;
}
int16_t SlipView::unitPrice(int line) const
{
    return getInt16(p + SlipLayout::lineAt(LinesAt, line) + SlipLayout::LineUnitPrice);
}

Result ScanSalesSlips(qint64 first, qint64 last, const std::function<bool(qint64, const SlipView&)>& visit)
{
    return ScanRecords(QStringLiteral("reg.dat"), SalesSlipRecordSize, first, last,
                       [&](qint64 n, const char* record) { return visit(n, SlipView(record)); });
}
