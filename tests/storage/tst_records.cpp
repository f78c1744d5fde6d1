// The five record files: bytes at the documented offsets, padding, odd file lengths and bulk operations.
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/recordfile.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "testutil.h"

#include <QtTest>

namespace {

// Reads record n of the file, renames it and writes it back; the copy `held` is written last, after another
// record was read, as a window that keeps its record while others read theirs.
using Rename = Result (*)(int n, int other);
template <typename T, ResultWith<T> (*read)(int), Result (*write)(int, const T&)> Result rename(int n, int other)
{
    ResultWith<T> held = read(n);
    ResultWith<T> second = read(other);
    if (!held || !second)
        return held ? Result(second) : Result(held);
    held.value.Name = QStringLiteral("新しい名前");
    second.value.Name = QStringLiteral("別の名前");
    if (Result r = write(other, second.value); !r)
        return r;
    return write(n, held.value);
}

} // namespace

Q_DECLARE_METATYPE(Rename)

class TestRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void productFieldOffsets();
    void productSaveTouchesOnlyItsRecord();
    void productFileLengths_data();
    void productFileLengths();
    void writePastPartRecord();
    void recordAtAnyPlace_data();
    void recordAtAnyPlace();
    void salesSlipFieldsAndLimits();
    void salesSlipNameCutAndReservedCarried();
    void salesSlipScan();
    void purchaseItemInitAndStock();
    void supplierList();
    void reservedBytesKept_data();
    void reservedBytesKept();
    void purchaseSlipLayout();
};

void TestRecords::productFieldOffsets()
{
    TestAppDir dir;
    ProductEntry& p = ProductTable[2];
    p.ClassCode = QStringLiteral("A1");
    p.ProductName = QStringLiteral("おにぎり鮭"); // 10 bytes in code page 932
    p.SalePrice = 150;
    p.CostPrice = QStringLiteral("0.5");
    p.Reduced = 1;
    p.Slot[3].ComponentItemNo = 12;
    p.Slot[3].ComponentSpare = -1;
    p.Slot[3].ComponentName = QStringLiteral("米");
    p.Slot[3].ComponentQty = 2;
    p.Slot[3].ComponentUnitPrice = 30;
    p.Slot[3].ComponentAmount = 60;
    p.Slot[5] = {400, 0, QStringLiteral("塩"), 0.25, -7, 5};
    QVERIFY(SaveProduct(2).ok);

    const QByteArray file = dir.bytes(QStringLiteral("syohin.dat"));
    QCOMPARE(file.size(), 1024); // record 1 written empty, record 2 is ours
    QCOMPARE(file.left(36), QByteArray(36, ' '));
    const char* r = file.constData() + 512;
    QCOMPARE(QByteArray(r, 6), QByteArray("A1    "));
    QCOMPARE(QByteArray(r + 6, 30), fixedText(u"おにぎり鮭", 30));
    QCOMPARE(getDouble(r + 36), 150.0);
    QCOMPARE(getDouble(r + 44), 0.5);
    QCOMPARE(getInt16(r + 52), int16_t(1)); // the reduced-rate mark
    const auto slot = [r](int k) {          // 58 bytes each from 102: slot 5 ends where the JAN code begins
        const char* at = r + 102 + 58 * (k - 1);
        return QVariantList{getInt16(at),       getInt16(at + 2),   QByteArray(at + 4, 30),
                            getDouble(at + 34), getDouble(at + 42), getDouble(at + 50)};
    };
    QCOMPARE(slot(3), (QVariantList{int16_t(12), int16_t(-1), fixedText(u"米", 30), 2.0, 30.0, 60.0}));
    QCOMPARE(slot(5), (QVariantList{int16_t(400), int16_t(0), fixedText(u"塩", 30), 0.25, -7.0, 5.0}));
    QCOMPARE(QByteArray(r + 392, 120), QByteArray(120, ' '));

    ClearProduct(2);
    QVERIFY(ReloadProduct(2).ok);
    QCOMPARE(p.ProductName, QStringLiteral("おにぎり鮭") + QString(20, u' ')); // padding kept
    QCOMPARE(p.CostPrice, QStringLiteral("0.5"));
    QCOMPARE(p.Reduced, int16_t(1));
    QCOMPARE(p.Slot[3].ComponentItemNo, int16_t(12));
    QCOMPARE(p.Slot[3].ComponentSpare, int16_t(-1));
    QCOMPARE(p.Slot[3].ComponentName.size(), 29); // one double-byte character and 28 blanks
    QCOMPARE((QVariantList{p.Slot[5].ComponentItemNo, p.Slot[5].ComponentQty, p.Slot[5].ComponentUnitPrice,
                           p.Slot[5].ComponentAmount}),
             (QVariantList{int16_t(400), 0.25, -7.0, 5.0}));

    // Numbers outside the table are refused, not read into entry 0 or written before the file.
    for (const Result& refused : {ReloadProduct(0), SaveProduct(0), SaveProduct(1001)})
        QVERIFY(!refused.ok && refused.error.startsWith(QStringLiteral("商品番号 ")));
    QCOMPARE(dir.bytes(QStringLiteral("syohin.dat")).size(), 1024);
}

void TestRecords::productSaveTouchesOnlyItsRecord()
{
    TestAppDir dir;
    QByteArray before(400 * 512, '\0');
    for (int i = 0; i < before.size(); ++i)
        before[i] = char(i * 7 + 3);
    dir.writeBytes(QStringLiteral("syohin.dat"), before);
    QVERIFY(LoadProductTable().ok);
    ProductTable[250].ProductName = QStringLiteral("新しい名前");
    QVERIFY(SaveProduct(250).ok);
    const QByteArray after = dir.bytes(QStringLiteral("syohin.dat"));
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.left(127488), before.left(127488));
    QCOMPARE(after.mid(128000), before.mid(128000));
    QVERIFY(after.mid(127488, 512) != before.mid(127488, 512));
    QCOMPARE(after.mid(127488 + 6, 10), toCp932(u"新しい名前"));
}

void TestRecords::productFileLengths_data()
{
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("loaded"); // highest entry that holds a record
    QTest::newRow("400 records") << 400 * 512 << 400;
    QTest::newRow("one and a half records count as two") << 768 << 2;
    QTest::newRow("two and a half records count as two") << 1280 << 2;
    QTest::newRow("a quarter record counts as none") << 128 << 0;
    QTest::newRow("over 1000 records: the rest ignored") << 1200 * 512 << 1000;
}

void TestRecords::productFileLengths()
{
    QFETCH(int, bytes);
    QFETCH(int, loaded);
    TestAppDir dir;
    QByteArray file(bytes, ' ');
    for (int n = 0; n * 512 < bytes; ++n)
        putDouble(file.data() + n * 512 + 36, n + 1); // SalePrice = record number, where it fits
    dir.writeBytes(QStringLiteral("syohin.dat"), file);
    ProductTable[1000].SalePrice = -1;
    QVERIFY(LoadProductTable().ok);
    for (int n = 1; n <= loaded; ++n)
        if (n * 512 <= bytes)
            QCOMPARE(ProductTable[n].SalePrice, double(n));
    QCOMPARE(ProductTable[loaded + 1 <= 1000 ? loaded + 1 : 1000].SalePrice, loaded >= 1000 ? 1000.0 : 0.0);
    QCOMPARE(ProductTable[1000].SalePrice, loaded >= 1000 ? 1000.0 : 0.0); // the last entry cleared too
    if (bytes == 768) // the missing half of record 2 reads as blank
        QCOMPARE(ProductTable[2].ProductName, QString(30, u' '));
}

void TestRecords::writePastPartRecord()
{
    // A file cut short in the middle of record 2: writing record 4 completes record 2 with the empty
    // record's bytes and writes record 3 empty, instead of leaving zero bytes no writer made.
    TestAppDir dir;
    dir.writeBytes(QStringLiteral("syohin.dat"), QByteArray(768, 'x'));
    ProductTable[4].ProductName = QStringLiteral("四");
    QVERIFY(SaveProduct(4).ok);
    const QByteArray file = dir.bytes(QStringLiteral("syohin.dat"));
    QCOMPARE(file.size(), 2048);
    QCOMPARE(file.left(768), QByteArray(768, 'x'));
    QCOMPARE(file.mid(768, 24), QByteArray(24, '\0')); // rest of record 2's reserved numbers
    QCOMPARE(file.mid(1024, 36), QByteArray(36, ' ')); // record 3 texts blank
    QCOMPARE(file.mid(1024 + 64, 30), QByteArray(30, ' '));
    QCOMPARE(file.mid(1024 + 102 + 58 * 4 + 4, 30), QByteArray(30, ' ')); // the last slot's name
    QCOMPARE(file.mid(1024 + 392, 120), QByteArray(120, ' '));
    QCOMPARE(getDouble(file.constData() + 1024 + 36), 0.0);
    QCOMPARE(file.mid(1536 + 6, 2), toCp932(u"四"));
}

// Records of four bytes, "...." empty: where record n lands in a file of any length, and what reads back.
void TestRecords::recordAtAnyPlace_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<qint64>("n");
    QTest::addColumn<QByteArray>("after"); // empty: the write is refused and the file stays
    QTest::addColumn<QByteArray>("read");  // record n read back before the write
    // clang-format off
    QTest::newRow("within") << QByteArray("aaaabbbbcccc") << qint64(2) << QByteArray("aaaaWWWWcccc") << QByteArray("bbbb");
    QTest::newRow("the last") << QByteArray("aaaabbbb") << qint64(2) << QByteArray("aaaaWWWW") << QByteArray("bbbb");
    QTest::newRow("right after the end") << QByteArray("aaaa") << qint64(2) << QByteArray("aaaaWWWW") << QByteArray("....");
    QTest::newRow("beyond the end") << QByteArray("aaaa") << qint64(4) << QByteArray("aaaa........WWWW") << QByteArray("....");
    QTest::newRow("into an empty file") << QByteArray() << qint64(2) << QByteArray("....WWWW") << QByteArray("....");
    QTest::newRow("over a part record") << QByteArray("aaaabb") << qint64(2) << QByteArray("aaaaWWWW") << QByteArray("bb..");
    QTest::newRow("past a part record") << QByteArray("aaaabb") << qint64(3) << QByteArray("aaaabb..WWWW") << QByteArray("....");
    QTest::newRow("before a part record") << QByteArray("aaaabbbbcc") << qint64(2) << QByteArray("aaaaWWWWcc") << QByteArray("bbbb");
    QTest::newRow("record 0") << QByteArray("aaaa") << qint64(0) << QByteArray() << QByteArray("....");
    QTest::newRow("record -1") << QByteArray("aaaa") << qint64(-1) << QByteArray() << QByteArray("....");
    // clang-format on
}

void TestRecords::recordAtAnyPlace()
{
    QFETCH(QByteArray, before);
    QFETCH(qint64, n);
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, read);
    TestAppDir dir;
    dir.writeBytes(QStringLiteral("r.dat"), before);
    RecordFile file(dir.file(QStringLiteral("r.dat")), 4, "....");
    QVERIFY(file.open());
    QVERIFY(file.open()); // already open: nothing changes
    char record[4];
    QVERIFY(file.read(n, record));
    QCOMPARE(QByteArray(record, 4), read);
    QCOMPARE(file.write(n, "WWWW"), !after.isEmpty());
    QVERIFY(file.close());
    QCOMPARE(dir.bytes(QStringLiteral("r.dat")), after.isEmpty() ? before : after);
    RecordFile folder(dir.path(), 4, "....");
    QVERIFY(!folder.open()); // a folder in the file's place
}

void TestRecords::salesSlipFieldsAndLimits()
{
    TestAppDir dir;
    SalesSlipRecord slip = saleSlip(6, QStringLiteral("2026/03/07"), {}, QStringLiteral("09:05:00"));
    slip.Weather = QStringLiteral("晴れ");
    slip.Line[1] = {5, QStringLiteral("弁当"), -32768, 32767, -1234.5};
    slip.Line[10] = {400, QStringLiteral("x"), 32767, -32768, 7};
    slip.Subtotal = slip.Total = 1050;
    slip.Tax = 53;
    QVERIFY(WriteSalesSlip(6, slip).ok);

    const QByteArray file = dir.bytes(QStringLiteral("reg.dat"));
    QCOMPARE(file.size(), 6 * 1024);
    const char* r = file.constData() + 5 * 1024;
    QCOMPARE(QByteArray(r, 10), QByteArray("2026/03/07"));
    QCOMPARE(QByteArray(r + 10, 10), QByteArray(10, ' ')); // a new record's reserved text is blank
    QCOMPARE(QByteArray(r + 20, 8), QByteArray("09:05:00"));
    QCOMPARE(QByteArray(r + 40, 20), fixedText(u"晴れ", 20));
    QCOMPARE(getInt32(r + 60), 6);
    const auto line = [r](int at) {
        return QVariantList{getInt16(r + at), QByteArray(r + at + 2, 50), getInt16(r + at + 52), getInt16(r + at + 54),
                            getDouble(r + at + 56)};
    };
    QCOMPARE(line(64), (QVariantList{int16_t(5), fixedText(u"弁当", 50), int16_t(-32768), int16_t(32767), -1234.5}));
    QCOMPARE(line(640),
             (QVariantList{int16_t(400), fixedText(u"x", 50), int16_t(32767), int16_t(-32768), 7.0})); // line 10
    QCOMPARE((QVariantList{getDouble(r + 704), getDouble(r + 712), getDouble(r + 720), getInt16(r + 728)}),
             (QVariantList{1050.0, 53.0, 1050.0, int16_t(0)}));
    QCOMPARE(file.mid(4 * 1024 + 640 + 2, 50), QByteArray(50, ' ')); // slip 5, written empty: line 10's name

    ResultWith<SalesSlipRecord> read = ReadSalesSlip(6);
    QVERIFY(read.ok);
    QCOMPARE(read.value.Date + read.value.Time, QStringLiteral("2026/03/0709:05:00"));
    QCOMPARE(read.value.Line[1].UnitPrice, int16_t(-32768));
    QCOMPARE(read.value.Line[1].Qty, int16_t(32767));
    QCOMPARE(read.value.Line[10].Qty, int16_t(-32768));
    QCOMPARE(read.value.Weather, QStringLiteral("晴れ") + QString(16, u' '));
    // An empty slip is a valid record: every line 0, totals 0.
    read = ReadSalesSlip(3);
    QVERIFY(read.ok);
    QCOMPARE(read.value.Line[1].ProductNo, int16_t(0));
    QCOMPARE(read.value.Total, 0.0);
}

void TestRecords::salesSlipNameCutAndReservedCarried()
{
    TestAppDir dir;
    QByteArray old(1024, 'R'); // reserved bytes of an existing record
    dir.writeBytes(QStringLiteral("reg.dat"), old);
    ResultWith<SalesSlipRecord> read = ReadSalesSlip(1);
    QVERIFY(read.ok);
    read.value.Line[2].ProductName = QString(30, QChar(0x3042)); // 30 x あ, 60 bytes
    read.value.Deleted = 1;
    QVERIFY(WriteSalesSlip(1, read.value).ok);
    const QByteArray file = dir.bytes(QStringLiteral("reg.dat"));
    QCOMPARE(QByteArray(file.constData() + 128 + 2, 50), toCp932(QString(25, QChar(0x3042))));
    QCOMPARE(QByteArray(file.constData() + 10, 10), QByteArray(10, 'R'));    // reserved text
    QCOMPARE(QByteArray(file.constData() + 730, 294), QByteArray(294, 'R')); // reserved tail
    QCOMPARE(getInt16(file.constData() + 728), int16_t(1));
}

void TestRecords::salesSlipScan()
{
    TestAppDir dir;
    SalesSlipFile file;
    QVERIFY(file.open().ok);
    for (int n = 1; n <= 1500; ++n) {
        SalesSlipRecord s;
        s.Date = QStringLiteral("2026/%1/15").arg(n % 12 + 1, 2, 10, QChar(u'0'));
        s.Time = QStringLiteral("10:00:00");
        s.SlipNo = n;
        s.Total = n;
        s.Deleted = n % 100 == 0 ? 1 : 0;
        QVERIFY(file.write(n, s));
    }
    QVERIFY(file.close().ok);
    int count = 0;
    double sum = 0;
    int deleted = 0;
    int wrongTotals = 0;
    QVERIFY(ScanSalesSlips(1, 2000, [&](qint64 n, const SlipView& v) -> bool {
                if (v.year() == 2026 && v.month() == 3) {
                    ++count;
                    sum += v.total();
                }
                wrongTotals += v.total() != double(n);
                deleted += v.deleted();
                return true;
            }).ok);
    QCOMPARE(wrongTotals, 0);
    QCOMPARE(count, 125); // n % 12 == 2
    QCOMPARE(deleted, 15);
    QVERIFY(sum > 0);
    QList<qint64> visited;
    QString date;
    QVERIFY(ScanSalesSlips(1499, 1499, [&](qint64 n, const SlipView& v) -> bool {
                visited << n;
                date = v.date();
                return true;
            }).ok);
    QCOMPARE(visited, QList<qint64>{1499});
    QCOMPARE(date, QStringLiteral("2026/12/15"));
}

void TestRecords::purchaseItemInitAndStock()
{
    TestAppDir dir;
    QVERIFY(InitPurchaseItemFile().ok);
    QByteArray file = dir.bytes(QStringLiteral("zaiko.dat"));
    QCOMPARE(file.size(), 51200);
    QCOMPARE(QByteArray(file.constData() + 128 * 399, 36), QByteArray(36, ' '));
    QCOMPARE(getDouble(file.constData() + 128 * 399 + 44), 0.0);

    PurchaseItem rice = ReadPurchaseItem(12).value;
    rice.Category = QStringLiteral("A1");
    rice.Name = QStringLiteral("米");
    rice.StandardCost = 12.5;
    rice.StockQty = 4;
    rice.SupplierNo = 3;
    rice.SupplierName = QStringLiteral("山田");
    QVERIFY(WritePurchaseItem(12, rice).ok);
    file = dir.bytes(QStringLiteral("zaiko.dat"));
    const char* r = file.constData() + 128 * 11;
    QCOMPARE(QByteArray(r, 8), QByteArray("A1    ") + toCp932(u"米"));
    QCOMPARE(getDouble(r + 36), 12.5);
    QCOMPARE(QByteArray(r + 54, 4), toCp932(u"山田"));
    const QByteArray before = file;
    // Selling more than is in stock goes negative; nothing but StockQty changes.
    QVERIFY(ApplyStockChanges({{12, -6}, {30, 0}, {0, 5}, {401, 5}, {12, 1}, {12, -1}}).ok);
    file = dir.bytes(QStringLiteral("zaiko.dat"));
    QCOMPARE(getDouble(file.constData() + 128 * 11 + 44), -2.0);
    QCOMPARE(file.left(128 * 11 + 44), before.left(128 * 11 + 44));
    QCOMPARE(file.mid(128 * 11 + 52), before.mid(128 * 11 + 52));
    QCOMPARE(ReadPurchaseItem(12).value.Name, QStringLiteral("米") + QString(28, u' '));
    QCOMPARE(getInt16(file.constData() + 128 * 11 + 52), int16_t(3));

    // Every way of reading an item finds the same fields, down to the last item.
    PurchaseItem last = ReadPurchaseItem(400).value;
    last.Name = QStringLiteral("最後");
    QVERIFY(WritePurchaseItem(400, last).ok);
    const QList<PurchaseItem> items = LoadPurchaseItems(400);
    QCOMPARE(items.size(), 400);
    const ResultWith<PurchaseItem> read = ReadPurchaseItem(12);
    QVERIFY(read.ok);
    for (const PurchaseItem& item : {items[11], read.value})
        QCOMPARE((QVariantList{item.Category, item.StandardCost, item.StockQty, item.SupplierNo, item.SupplierName}),
                 (QVariantList{QStringLiteral("A1    "), 12.5, -2.0, int16_t(3),
                               QString(QStringLiteral("山田") + QString(26, u' '))}));
    QCOMPARE(items[399].Name.trimmed(), QStringLiteral("最後"));

    // Without zaiko.dat a stock change is refused, not dropped.
    QVERIFY(QFile::remove(dir.file(QStringLiteral("zaiko.dat"))));
    QVERIFY(!ApplyStockChanges({{12, 1}}).ok);
}

void TestRecords::supplierList()
{
    TestAppDir dir;
    QCOMPARE(supplierPickList().value(99), QStringLiteral("100-") + QString(30, u' ')); // no file yet
    Supplier yamada;
    yamada.Reserved1 = QStringLiteral("R");
    yamada.Name = QStringLiteral("山田商店");
    yamada.Phone = QStringLiteral("03-1234-5678");
    yamada.TaxType = 2;
    yamada.Reserved2 = 2.5;
    QVERIFY(WriteSupplier(3, yamada).ok);
    yamada.Name = QStringLiteral("最後の仕入先");
    QVERIFY(WriteSupplier(100, yamada).ok);
    QByteArray file = dir.bytes(QStringLiteral("siiresaki.dat"));
    const char* r = file.constData() + 256;
    QCOMPARE(QByteArray(r, 5), QByteArray("R    "));
    QCOMPARE(QByteArray(r + 5, 8), toCp932(u"山田商店"));
    QCOMPARE(QByteArray(r + 35, 12), QByteArray("03-1234-5678"));
    QCOMPARE(getInt16(r + 47), int16_t(2));
    QCOMPARE(getDouble(r + 49), 2.5);
    // Suppliers 1, 2 and 4 to 99 written empty: tax type 1, the reserved number 0.
    QCOMPARE(getInt16(file.constData() + 47), int16_t(1));
    QCOMPARE(file.mid(49, 8), QByteArray(8, '\0'));

    const Supplier read = ReadSupplier(3).value;
    QCOMPARE((QStringList{read.Reserved1, read.Name.trimmed(), read.Phone}),
             (QStringList{QStringLiteral("R    "), QStringLiteral("山田商店"), QStringLiteral("03-1234-5678")}));
    QCOMPARE(read.TaxType, int16_t(2));
    QCOMPARE(read.Reserved2, 2.5);

    // A new supplier starts from the empty record, whatever tail the supplier read last had.
    QByteArray tail = file;
    tail.replace(256 + 57, 71, QByteArray(71, 'x'));
    dir.writeBytes(QStringLiteral("siiresaki.dat"), tail);
    QVERIFY(ReadSupplier(3).ok);
    QVERIFY(WriteSupplier(4, Supplier()).ok);
    file = dir.bytes(QStringLiteral("siiresaki.dat"));
    QCOMPARE(file.mid(3 * 128 + 57, 71), QByteArray(71, ' '));

    const QStringList list = supplierPickList();
    QCOMPARE(list.size(), 100);
    QCOMPARE(list[0], QStringLiteral("1-") + QString(30, u' '));
    QCOMPARE(list[2], QStringLiteral("3-山田商店") + QString(22, u' '));
    QCOMPARE(list[99], QStringLiteral("100-最後の仕入先") + QString(18, u' '));
}

// A written record keeps the reserved bytes it had in the file, though another record was read since.
void TestRecords::reservedBytesKept_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("tailAt");
    QTest::addColumn<int>("nameAt");
    QTest::addColumn<Rename>("rename");
    // clang-format off
    QTest::newRow("supplier") << "siiresaki.dat" << 57 << 5 << &rename<Supplier, ReadSupplier, WriteSupplier>;
    QTest::newRow("item") << "zaiko.dat" << 84 << 6 << &rename<PurchaseItem, ReadPurchaseItem, WritePurchaseItem>;
    // clang-format on
}

void TestRecords::reservedBytesKept()
{
    QFETCH(QString, file);
    QFETCH(int, tailAt);
    QFETCH(int, nameAt);
    QFETCH(Rename, rename);
    TestAppDir dir;
    QByteArray bytes(5 * 128, ' ');
    bytes.replace(2 * 128 + tailAt, 128 - tailAt, QByteArray(128 - tailAt, 'R'));
    bytes.replace(4 * 128 + tailAt, 128 - tailAt, QByteArray(128 - tailAt, 'S'));
    dir.writeBytes(file, bytes);
    QVERIFY(rename(3, 5).ok);
    const QByteArray after = dir.bytes(file);
    QCOMPARE(after.size(), 5 * 128);
    QCOMPARE(after.mid(2 * 128 + tailAt, 128 - tailAt), QByteArray(128 - tailAt, 'R'));
    QCOMPARE(after.mid(4 * 128 + tailAt, 128 - tailAt), QByteArray(128 - tailAt, 'S'));
    QCOMPARE(after.mid(2 * 128 + nameAt, 10), toCp932(u"新しい名前"));
    QCOMPARE(after.mid(4 * 128 + nameAt, 8), toCp932(u"別の名前"));
    QCOMPARE(after.left(2 * 128), bytes.left(2 * 128));
}

void TestRecords::purchaseSlipLayout()
{
    TestAppDir dir;
    QVERIFY(InitPurchaseSlipFile(2).ok);
    QByteArray file = dir.bytes(QStringLiteral("siire.dat"));
    QCOMPARE(file.size(), 2048);
    // As initialisation writes it: slip and supplier numbers zero, every line named "0", totals zero.
    QCOMPARE(file.mid(1024 + 60, 6), QByteArray(6, '\0'));
    QCOMPARE(QByteArray(file.constData() + 1024 + 98 + 2, 2), QByteArray("0 "));
    QCOMPARE(QByteArray(file.constData() + 1024 + 674 + 2, 2), QByteArray("0 "));
    QCOMPARE(file.mid(1024 + 738, 26), QByteArray(26, '\0'));
    QCOMPARE(getInt16(file.constData() + 674), int16_t(0));

    PurchaseSlipRecord slip;
    QVERIFY(ReadPurchaseSlip(1, slip).ok);
    slip.Date = QStringLiteral("2024/03/15");
    slip.Time = QStringLiteral("09:30:00");
    slip.SlipNo = 1;
    slip.SupplierNo = -2;
    slip.SupplierName = QStringLiteral("株式会社とても長い名前の仕入先"); // over 20 bytes
    slip.SupplierPhone = QStringLiteral("0120-000-111");
    slip.Line[3] = {7, QStringLiteral("牛乳"), 180, 12, 2160};
    slip.Line[10] = {400, QString(), 1, 1, 99};
    slip.Total = 2259;
    QVERIFY(WritePurchaseSlip(1, slip).ok);
    file = dir.bytes(QStringLiteral("siire.dat"));
    QCOMPARE(QByteArray(file.constData() + 20, 8), QByteArray("09:30:00"));
    QCOMPARE(getInt16(file.constData() + 64), int16_t(-2));
    QCOMPARE(QByteArray(file.constData() + 86, 12), QByteArray("0120-000-111"));
    QCOMPARE(getInt16(file.constData() + 98), int16_t(0));  // line 1 stays empty
    QCOMPARE(getInt16(file.constData() + 226), int16_t(7)); // line 3
    QCOMPARE(getInt16(file.constData() + 226 + 54), int16_t(12));
    QCOMPARE(getDouble(file.constData() + 674 + 56), 99.0); // line 10's amount ends at 738
    QCOMPARE(getDouble(file.constData() + 754), 2259.0);
    slip = PurchaseSlipRecord();
    QVERIFY(ReadPurchaseSlip(1, slip).ok);
    QCOMPARE((QStringList{slip.Date, slip.Time, slip.SupplierPhone}),
             (QStringList{QStringLiteral("2024/03/15"), QStringLiteral("09:30:00"), QStringLiteral("0120-000-111")}));
    QCOMPARE(slip.SupplierNo, int16_t(-2));
    QCOMPARE(slip.Line[10].Amount, 99.0);
    QCOMPARE(toCp932(slip.SupplierName).size(), 20);
    QVERIFY(slip.SupplierName.startsWith(QStringLiteral("株式会社とても長い")));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
