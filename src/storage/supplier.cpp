// Supplier records: name at 5, telephone at 35, tax type at 47.
#include "storage/supplier.h"

#include "storage/recordfile.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <cstring>

Supplier CurrentSupplier;

namespace {

QByteArray blankRecord()
{
    QByteArray r(SupplierRecordSize, ' ');
    putInt16(r.data() + 47, 1);
    std::memset(r.data() + 49, 0, 8);
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
    s.Reserved1 = getText(r + 0, 5);
    s.Name = getText(r + 5, 30);
    s.Phone = getText(r + 35, 12);
    s.TaxType = getInt16(r + 47);
    s.Reserved2 = getDouble(r + 49);
    return s;
}

} // namespace

Result LoadSupplier(int16_t n)
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    if (!file.read(n, records().data()))
        return Result::failure(file.errorMessage());
    CurrentSupplier = decode(records().data());
    return file.close();
}

Result SaveSupplier(int16_t n)
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    char* r = records().data();
    putText(r + 0, CurrentSupplier.Reserved1, 5);
    putText(r + 5, CurrentSupplier.Name, 30);
    putText(r + 35, CurrentSupplier.Phone, 12);
    putInt16(r + 47, CurrentSupplier.TaxType);
    putDouble(r + 49, CurrentSupplier.Reserved2);
    if (!file.write(n, r))
        return Result::failure(file.errorMessage());
    return file.close();
}

Result InitSupplierFile(int count)
{
    RecordFile file = records().file();
    if (Result r = file.open(); !r)
        return r;
    std::memcpy(records().data(), records().blank(), SupplierRecordSize);
    CurrentSupplier = Supplier{};
    if (!file.writeCopies(1, records().blank(), count))
        return Result::failure(file.errorMessage());
    return file.close();
}

QString supplierListEntry(int n, const QString& name)
{
    return QString::number(n) + u'-' + name;
}

QStringList supplierPickList()
{
    QStringList entries;
    const int count = toInt16(SysNum[7]);
    RecordFile file = records().file();
    const bool opened = bool(file.open());
    char record[SupplierRecordSize];
    for (int n = 1; n <= count; ++n) {
        if (!opened || !file.read(n, record))
            std::memcpy(record, records().blank(), SupplierRecordSize);
        entries << supplierListEntry(n, getText(record + 5, 30));
    }
    file.close();
    return entries;
}
