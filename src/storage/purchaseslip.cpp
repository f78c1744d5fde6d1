// Purchase slip records: header to 98, ten 64-byte lines from 98, totals from 738, deletion mark at 762.
#include "storage/purchaseslip.h"

#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/slipline.h"
#include "storage/text.h"

#include <cstring>

namespace {

// Where the fields of a record lie; the lines and totals inside their blocks are in SlipLayout.
constexpr int DateAt = 0, TimeAt = 20, SlipNoAt = 60, SupplierNoAt = 64, SupplierNameAt = 66, SupplierPhoneAt = 86,
              LinesAt = 98, TotalsAt = 738;
constexpr int DateWidth = 10, TimeWidth = 8, SupplierNameWidth = 20, SupplierPhoneWidth = 12;

// As initialisation writes it: blank texts, zero numbers, and each line's name "0".
QByteArray blankRecord()
{
    QByteArray r(PurchaseSlipRecordSize, ' ');
    std::memset(r.data() + SlipNoAt, 0, SupplierNameAt - SlipNoAt);
    for (int k = 1; k <= PurchaseSlipLineCount; ++k)
        writeSlipLine(r.data() + SlipLayout::lineAt(LinesAt, k), {0, QStringLiteral("0"), 0, 0, 0});
    writeSlipTotals(r.data() + TotalsAt, {});
    return r;
}

RecordBuffer& records()
{
    static RecordBuffer r(QStringLiteral("siire.dat"), blankRecord());
    return r;
}

void decode(const char* r, PurchaseSlipRecord& s)
{
    std::memcpy(s.Raw.data(), r, PurchaseSlipRecordSize);
    s.Date = getText(r + DateAt, DateWidth);
    s.Time = getText(r + TimeAt, TimeWidth);
    s.SlipNo = getInt32(r + SlipNoAt);
    s.SupplierNo = getInt16(r + SupplierNoAt);
    s.SupplierName = getText(r + SupplierNameAt, SupplierNameWidth);
    s.SupplierPhone = getText(r + SupplierPhoneAt, SupplierPhoneWidth);
    readSlipBody(r, LinesAt, TotalsAt, s);
}

void encode(PurchaseSlipRecord& s)
{
    char* r = s.Raw.data();
    putText(r + DateAt, s.Date, DateWidth);
    putText(r + TimeAt, s.Time, TimeWidth);
    putInt32(r + SlipNoAt, s.SlipNo);
    putInt16(r + SupplierNoAt, s.SupplierNo);
    putText(r + SupplierNameAt, s.SupplierName, SupplierNameWidth);
    putText(r + SupplierPhoneAt, s.SupplierPhone, SupplierPhoneWidth);
    writeSlipBody(r, LinesAt, TotalsAt, s);
}

} // namespace

PurchaseSlipRecord::PurchaseSlipRecord()
{
    decode(records().blank(), *this);
}

void DecodePurchaseSlip(const char* record, PurchaseSlipRecord& slip)
{
    decode(record, slip);
}

Result ReadPurchaseSlip(qint64 n, PurchaseSlipRecord& slip)
{
    return records().access([&](RecordFile& file) {
        char buf[PurchaseSlipRecordSize];
        if (!file.read(n, buf))
            return false;
        decode(buf, slip);
        return true;
    });
}

Result WritePurchaseSlip(qint64 n, PurchaseSlipRecord& slip)
{
    // Written outside a journalled save: the month index no longer follows and is built anew when next read.
    DropSlipIndex(QStringLiteral("siire.dat"));
    return records().access([&](RecordFile& file) {
        encode(slip);
        return file.write(n, slip.Raw.data());
    });
}

Result InitPurchaseSlipFile(qint64 count)
{
    DropSlipIndex(QStringLiteral("siire.dat"));
    return records().access([count](RecordFile& file) {
        for (qint64 n = 1; n <= count; ++n)
            if (!file.write(n, records().blank()))
                return false;
        return true;
    });
}

QByteArray EncodePurchaseSlip(PurchaseSlipRecord& slip)
{
    encode(slip);
    return QByteArray(slip.Raw.data(), PurchaseSlipRecordSize);
}

QByteArray PurchaseSlipBlankRecord()
{
    return QByteArray(blankRecord(), PurchaseSlipRecordSize);
}
