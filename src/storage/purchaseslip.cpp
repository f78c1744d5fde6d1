// Purchase slip records: header to 98, ten 64-byte lines from 98, totals from 738, deletion mark at 762.
#include "storage/purchaseslip.h"

#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cstring>

namespace {

constexpr int LineOffset = 98;
constexpr int LineSize = 64;

const char* blankRecord()
{
    static const std::array<char, PurchaseSlipRecordSize> blank = [] {
        std::array<char, PurchaseSlipRecordSize> r;
        r.fill(' ');
        std::memset(r.data() + 60, 0, 6); // SlipNo, SupplierNo
        for (int k = 0; k < PurchaseSlipLineCount; ++k) {
            char* l = r.data() + LineOffset + LineSize * k;
            std::memset(l, 0, 2);
            l[2] = '0';
            std::memset(l + 52, 0, 12);
        }
        std::memset(r.data() + 738, 0, 26); // totals and the deletion mark
        return r;
    }();
    return blank.data();
}

RecordFile slipFile()
{
    return RecordFile(dataPath(QStringLiteral("siire.dat")), PurchaseSlipRecordSize, blankRecord());
}

void decode(const char* r, PurchaseSlipRecord& s)
{
    std::memcpy(s.Raw.data(), r, PurchaseSlipRecordSize);
    s.Date = getText(r + 0, 10);
    s.Time = getText(r + 20, 8);
    s.SlipNo = getInt32(r + 60);
    s.SupplierNo = getInt16(r + 64);
    s.SupplierName = getText(r + 66, 20);
    s.SupplierPhone = getText(r + 86, 12);
    for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
        const char* l = r + LineOffset + LineSize * (k - 1);
        PurchaseSlipLine& line = s.Line[k];
        line.ItemNo = getInt16(l + 0);
        line.ItemName = getText(l + 2, 50);
        line.UnitPrice = getInt16(l + 52);
        line.Qty = getInt16(l + 54);
        line.Amount = getDouble(l + 56);
    }
    s.Subtotal = getDouble(r + 738);
    s.Tax = getDouble(r + 746);
    s.Total = getDouble(r + 754);
    s.Deleted = getInt16(r + 762);
}

void encode(PurchaseSlipRecord& s)
{
    char* r = s.Raw.data();
    putText(r + 0, s.Date, 10);
    putText(r + 20, s.Time, 8);
    putInt32(r + 60, s.SlipNo);
    putInt16(r + 64, s.SupplierNo);
    putText(r + 66, s.SupplierName, 20);
    putText(r + 86, s.SupplierPhone, 12);
    for (int k = 1; k <= PurchaseSlipLineCount; ++k) {
        char* l = r + LineOffset + LineSize * (k - 1);
        const PurchaseSlipLine& line = s.Line[k];
        putInt16(l + 0, line.ItemNo);
        putText(l + 2, line.ItemName, 50);
        putInt16(l + 52, line.UnitPrice);
        putInt16(l + 54, line.Qty);
        putDouble(l + 56, line.Amount);
    }
    putDouble(r + 738, s.Subtotal);
    putDouble(r + 746, s.Tax);
    putDouble(r + 754, s.Total);
    putInt16(r + 762, s.Deleted);
}

} // namespace

PurchaseSlipRecord::PurchaseSlipRecord()
{
    decode(blankRecord(), *this);
}

Result ReadPurchaseSlip(qint64 n, PurchaseSlipRecord& slip)
{
    RecordFile file = slipFile();
    if (Result r = file.open(); !r)
        return r;
    char buf[PurchaseSlipRecordSize];
    if (!file.read(n, buf))
        return Result::failure(file.errorMessage());
    decode(buf, slip);
    return file.close();
}

Result WritePurchaseSlip(qint64 n, PurchaseSlipRecord& slip)
{
    RecordFile file = slipFile();
    if (Result r = file.open(); !r)
        return r;
    encode(slip);
    if (!file.write(n, slip.Raw.data()))
        return Result::failure(file.errorMessage());
    return file.close();
}

Result InitPurchaseSlipFile(qint64 count)
{
    RecordFile file = slipFile();
    if (Result r = file.open(); !r)
        return r;
    for (qint64 n = 1; n <= count; ++n)
        if (!file.write(n, blankRecord()))
            return Result::failure(file.errorMessage());
    return file.close();
}
