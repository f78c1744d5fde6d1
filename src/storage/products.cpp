// Product records: 512 bytes, the reduced-rate mark at 52, five 58-byte component slots from offset 102, the
// JAN code from 392.
#include "storage/products.h"

#include "storage/instancelock.h"
#include "storage/jancode.h"
#include "storage/recordfile.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cstring>

ProductEntry ProductTable[MaxProductEntries + 1];

namespace {

constexpr int ReducedOffset = 52; // the first int16 of the block older writers left unused
constexpr int SlotOffset = 102;
constexpr int SlotSize = 58;

QByteArray blankRecord()
{
    QByteArray r(ProductRecordSize, '\0');
    std::memset(r.data() + 0, ' ', 36);  // ClassCode, ProductName
    std::memset(r.data() + 64, ' ', 30); // reserved text
    for (int k = 0; k < 5; ++k)
        std::memset(r.data() + SlotOffset + SlotSize * k + 4, ' ', 30);
    std::memset(r.data() + JanFieldOffset, ' ', JanFieldWidth);
    return r;
}

RecordBuffer& records()
{
    static RecordBuffer r(QStringLiteral("syohin.dat"), blankRecord());
    return r;
}

void decode(const char* r, ProductEntry& e)
{
    e.ClassCode = getText(r + 0, 6);
    e.ProductName = getText(r + 6, 30);
    e.SalePrice = getDouble(r + 36);
    e.CostPrice = numText(getDouble(r + 44));
    e.Reduced = getInt16(r + ReducedOffset);
    for (int k = 1; k <= 5; ++k) {
        const char* s = r + SlotOffset + SlotSize * (k - 1);
        ComponentSlot& slot = e.Slot[k];
        slot.ComponentItemNo = getInt16(s + 0);
        slot.ComponentSpare = getInt16(s + 2);
        slot.ComponentName = getText(s + 4, 30);
        slot.ComponentQty = getDouble(s + 34);
        slot.ComponentUnitPrice = getDouble(s + 42);
        slot.ComponentAmount = getDouble(s + 50);
    }
    e.JanCode = decodeJanField(r + JanFieldOffset);
}

void encode(const ProductEntry& e, char* r)
{
    putText(r + 0, e.ClassCode, 6);
    putText(r + 6, e.ProductName, 30);
    putDouble(r + 36, e.SalePrice);
    putDouble(r + 44, val(e.CostPrice));
    putInt16(r + ReducedOffset, e.Reduced);
    for (int k = 1; k <= 5; ++k) {
        char* s = r + SlotOffset + SlotSize * (k - 1);
        const ComponentSlot& slot = e.Slot[k];
        putInt16(s + 0, slot.ComponentItemNo);
        putInt16(s + 2, slot.ComponentSpare);
        putText(s + 4, slot.ComponentName, 30);
        putDouble(s + 34, slot.ComponentQty);
        putDouble(s + 42, slot.ComponentUnitPrice);
        putDouble(s + 50, slot.ComponentAmount);
    }
    // Blanks when there is no code, whatever an older writer left in these bytes.
    encodeJanField(r + JanFieldOffset, e.JanCode);
}

bool validEntry(int n)
{
    return n >= 1 && n <= MaxProductEntries;
}

Result outOfTable(int n)
{
    return Result::failure(QStringLiteral("商品番号 %1 は範囲外です。").arg(n));
}

} // namespace

void DecodeProduct(const char* record, ProductEntry& entry)
{
    decode(record, entry);
}

void ClearProduct(int n)
{
    if (n >= 0 && n <= MaxProductEntries)
        ProductTable[n] = ProductEntry{};
}

Result LoadProductTable()
{
    janIndex().invalidate();
    return records().access([](RecordFile& file) {
        const qint64 count = std::min<qint64>(file.recordCount(), MaxProductEntries);
        for (int n = 0; n <= MaxProductEntries; ++n)
            ClearProduct(n);
        for (int n = 1; n <= count; ++n) {
            if (!file.read(n, records().data()))
                return false;
            decode(records().data(), ProductTable[n]);
        }
        return true;
    });
}

Result ReloadProduct(int16_t n)
{
    if (!validEntry(n))
        return outOfTable(n);
    janIndex().invalidate();
    return records().access([n](RecordFile& file) {
        if (!file.read(n, records().data()))
            return false;
        decode(records().data(), ProductTable[n]);
        return true;
    });
}

Result SaveProduct(int16_t n)
{
    if (!validEntry(n))
        return outOfTable(n);
    if (Result r = CheckInstanceLock(); !r)
        return r;
    return records().access([n](RecordFile& file) {
        encode(ProductTable[n], records().data());
        return file.write(n, records().data());
    });
}

QByteArray ProductRecordImage(const ProductEntry& entry)
{
    encode(entry, records().data());
    return QByteArray(records().data(), ProductRecordSize);
}

Result SaveAllProducts()
{
    if (Result r = CheckInstanceLock(); !r)
        return r;
    const int count = std::min<int>(toInt16(SysNum[Sys::ProductCount]), MaxProductEntries);
    return records().access([count](RecordFile& file) {
        for (int n = 1; n <= count; ++n) {
            encode(ProductTable[n], records().data());
            if (!file.write(n, records().data()))
                return false;
        }
        return true;
    });
}
