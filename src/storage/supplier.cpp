// Supplier records: name at 5, telephone at 35, tax type at 47.
#include "storage/supplier.h"

#include "storage/instancelock.h"
#include "storage/recordfile.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cstring>

namespace {

constexpr int Reserved1At = 0, NameAt = 5, PhoneAt = 35, TaxTypeAt = 47, Reserved2At = 49;
constexpr int Reserved1Width = 5, NameWidth = 30, PhoneWidth = 12;

QByteArray blankRecord()
{
    QByteArray r(SupplierRecordSize, ' ');
    putInt16(r.data() + TaxTypeAt, 1);
    putDouble(r.data() + Reserved2At, 0);
    return r;
}

RecordBuffer& records()
{
    static RecordBuffer r(QStringLiteral("siiresaki.dat"), blankRecord());
    return r;
}

Supplier decode(const char* r)
{
    Supplier s;
    s.Reserved1 = getText(r + Reserved1At, Reserved1Width);
    s.Name = getText(r + NameAt, NameWidth);
    s.Phone = getText(r + PhoneAt, PhoneWidth);
    s.TaxType = getInt16(r + TaxTypeAt);
    s.Reserved2 = getDouble(r + Reserved2At);
    s.Record = QByteArray(r, SupplierRecordSize);
    return s;
}

void encode(const Supplier& s, char* r)
{
    putText(r + Reserved1At, s.Reserved1, Reserved1Width);
    putText(r + NameAt, s.Name, NameWidth);
    putText(r + PhoneAt, s.Phone, PhoneWidth);
    putInt16(r + TaxTypeAt, s.TaxType);
    putDouble(r + Reserved2At, s.Reserved2);
}

} // namespace

Supplier DecodeSupplier(const char* record)
{
    return decode(record);
}

ResultWith<Supplier> ReadSupplier(int n)
{
    char record[SupplierRecordSize];
    if (const Result r = records().access([&](RecordFile& file) { return file.read(n, record); }); !r)
        return ResultWith<Supplier>::failure(r);
    return ResultWith<Supplier>::of(decode(record));
}

Result WriteSupplier(int n, const Supplier& s)
{
    if (Result r = CheckInstanceLock(); !r)
        return r;
    QByteArray image = s.Record.size() == SupplierRecordSize ? s.Record : blankRecord();
    encode(s, image.data());
    return records().access([&](RecordFile& file) { return file.write(n, image.constData()); });
}

QByteArray SupplierBlankRecord()
{
    return blankRecord();
}

QString supplierListEntry(int n, const QString& name)
{
    return QString::number(n) + u'-' + name;
}

QStringList supplierPickList()
{
    QStringList entries;
    const int count = toInt16(SysNum[Sys::SupplierCount]);
    // A supplier that cannot be read is listed with a blank name, so position p still stands for p + 1.
    records().access([&](RecordFile& file) {
        char record[SupplierRecordSize];
        for (int n = 1; n <= count; ++n) {
            if (!file.read(n, record))
                std::memcpy(record, records().blank(), SupplierRecordSize);
            entries << supplierListEntry(n, getText(record + NameAt, NameWidth));
        }
        return true;
    });
    while (entries.size() < count)
        entries << supplierListEntry(int(entries.size()) + 1, getText(records().blank() + NameAt, NameWidth));
    return entries;
}
