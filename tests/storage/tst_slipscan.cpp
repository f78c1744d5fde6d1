// The block scan of both slip files: bytes placed at their offsets read back through the views, block edges,
// a scan inside a scan, and a file that cannot be read.
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/sliplist.h"
#include "storage/slipscan.h"
#include "storage/text.h"
#include "testutil.h"

#include <QDir>
#include <QTest>
#include <cmath>

class TestSlipScan : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void purchaseViewReadsItsOffsets();
    void salesViewFields_data();
    void salesViewFields();
    void blockEdgesAndPartRecord();
    void scanInsideScan();
    void unreadableFile();
    void lastSlipNo_data();
    void lastSlipNo();
};

void TestSlipScan::purchaseViewReadsItsOffsets()
{
    TestAppDir dir;
    QByteArray r(PurchaseSlipRecordSize, ' ');
    r.replace(0, 10, "2006/03/07");
    putInt32(r.data() + 60, 12);
    putInt16(r.data() + 64, -3);
    r.replace(66, 20, fixedText(QStringLiteral("山田商店"), 20));
    putInt16(r.data() + 98 + 64 * 9, 400); // line 10
    r.replace(98 + 64 * 9 + 2, 50, fixedText(QStringLiteral("牛乳"), 50));
    putInt16(r.data() + 98 + 64 * 9 + 52, 32767);
    putInt16(r.data() + 98 + 64 * 9 + 54, -32768);
    putDouble(r.data() + 98 + 64 * 9 + 56, 2.5);
    putDouble(r.data() + 738, 1);
    putDouble(r.data() + 746, 2);
    putDouble(r.data() + 754, 3);
    putInt16(r.data() + 762, 0);
    QByteArray deleted = r;
    putInt16(deleted.data() + 762, 1);
    dir.writeBytes(QStringLiteral("siire.dat"), r + deleted);

    QList<bool> marks;
    QVariantList got;
    QVERIFY(ScanPurchaseSlips(1, 9, [&](qint64 n, const PurchaseSlipView& v) {
        marks << v.deleted();
        if (n == 1)
            got = {v.year(),        v.month(),        v.day(),      v.date(),     v.slipNo(),
                   v.supplierNo(),  v.supplierName(), v.itemNo(1),  v.itemNo(10), v.itemName(10).trimmed(),
                   v.unitPrice(10), v.qty(10),        v.amount(10), v.subtotal(), v.tax(),
                   v.total()};
        return true;
    }));
    // clang-format off
    const QVariantList expected = {2006, 3, 7, QStringLiteral("2006/03/07"), 12, -3,
                                   QString(QStringLiteral("山田商店") + QString(12, u' ')),
                                   0x2020, // the blanks of line 1, as the bytes say
                                   400, QStringLiteral("牛乳"), 32767, -32768, 2.5, 1.0, 2.0, 3.0};
    // clang-format on
    QCOMPARE(got.size(), expected.size());
    for (int i = 0; i < got.size(); ++i)
        QVERIFY2(got[i].toString() == expected[i].toString(), qPrintable(QString::number(i)));
    QCOMPARE(marks, (QList<bool>{false, true}));
}

void TestSlipScan::salesViewFields_data()
{
    QTest::addColumn<QByteArray>("date");
    QTest::addColumn<QByteArray>("time");
    QTest::addColumn<QList<int>>("ymdh"); // year, month, day, saved hour
    const int no = SlipView::NotAField;
    // clang-format off
    QTest::newRow("morning") << QByteArray("2026/03/07") << QByteArray("09:10:00") << QList<int>{2026, 3, 7, 9};
    QTest::newRow("midnight") << QByteArray("2026/12/31") << QByteArray("00:00:01") << QList<int>{2026, 12, 31, 0};
    QTest::newRow("last hour") << QByteArray("2026/ 3/ 7") << QByteArray("23:59:59") << QList<int>{2026, 3, 7, 23};
    QTest::newRow("blank") << QByteArray(10, ' ') << QByteArray("        ") << QList<int>{0, 0, 0, -1};
    QTest::newRow("blank date") << QByteArray(10, ' ') << QByteArray("09:10:00") << QList<int>{0, 0, 0, 9};
    QTest::newRow("hour 24") << QByteArray("2026/03/07") << QByteArray("24:00:00") << QList<int>{2026, 3, 7, -1};
    QTest::newRow("one digit") << QByteArray("2026/03/07") << QByteArray("9:10:00 ") << QList<int>{2026, 3, 7, -1};
    QTest::newRow("blank before the hour") << QByteArray("2026/03/07") << QByteArray(" 9:10:00") << QList<int>{2026, 3, 7, -1};
    QTest::newRow("blank second digit") << QByteArray("2026/03/07") << QByteArray("0 :10:00") << QList<int>{2026, 3, 7, -1};
    QTest::newRow("year not digits") << QByteArray("9e99/03/07") << QByteArray("09:10:00") << QList<int>{no, 3, 7, 9};
    QTest::newRow("year reads as 100000") << QByteArray("1e5 /03/07") << QByteArray("09:10:00") << QList<int>{no, 3, 7, 9};
    // clang-format on
}

void TestSlipScan::salesViewFields()
{
    QFETCH(QByteArray, date);
    QFETCH(QByteArray, time);
    QFETCH(QList<int>, ymdh);
    TestAppDir dir;
    SalesSlipRecord slip = saleSlip(77, {}, {}, {});
    slip.Weather = QStringLiteral("台風");
    slip.Line[2] = {5, QStringLiteral("パン"), -32768, 3, 1};
    slip.Line[10] = {400, QStringLiteral("牛乳"), 150, -2, -300.5};
    QVERIFY(storeSalesSlip(1, slip));
    QByteArray bytes = dir.bytes(QStringLiteral("reg.dat"));
    bytes.replace(0, 10, date);
    bytes.replace(20, 8, time);
    dir.writeBytes(QStringLiteral("reg.dat"), bytes);
    QList<int> fields;
    QVariantList got;
    QVERIFY(ScanSalesSlips(1, 1, [&](qint64, const SlipView& v) {
        fields = {v.year(), v.month(), v.day(), v.savedHour()};
        got = {v.time(),  v.slipNo(),  v.weather(), v.unitPrice(2), v.productNo(10), v.productName(10).trimmed(),
               v.qty(10), v.amount(10)};
        return true;
    }));
    QCOMPARE(fields, ymdh);
    QCOMPARE(got, (QVariantList{QString::fromLatin1(time), 77, QString(QStringLiteral("台風") + QString(16, u' ')),
                                int16_t(-32768), int16_t(400), QStringLiteral("牛乳"), int16_t(-2), -300.5}));
}

void TestSlipScan::blockEdgesAndPartRecord()
{
    TestAppDir dir;
    // 1100 records cross two block edges; half a record more is not a slip.
    QByteArray file(1100 * SalesSlipRecordSize + 512, '\0');
    for (int n = 1; n <= 1100; ++n)
        putDouble(file.data() + (n - 1) * SalesSlipRecordSize + 720, n);
    dir.writeBytes(QStringLiteral("reg.dat"), file);
    qint64 count = 0;
    bool inOrder = true;
    QVERIFY(ScanSalesSlips(0, 5000, [&](qint64 n, const SlipView& v) {
        inOrder = inOrder && v.total() == double(n) && n == count + 1;
        ++count;
        return true;
    }));
    QCOMPARE(count, 1100);
    QVERIFY(inOrder);
    count = 0;
    QVERIFY(ScanSalesSlips(511, 1030, [&](qint64 n, const SlipView& v) {
        inOrder = inOrder && v.total() == double(n);
        return ++count < 515; // stops early
    }));
    QCOMPARE(count, 515);
    QVERIFY(inOrder);
}

void TestSlipScan::scanInsideScan()
{
    TestAppDir dir;
    QByteArray file(700 * SalesSlipRecordSize, '\0');
    for (int n = 1; n <= 700; ++n)
        putDouble(file.data() + (n - 1) * SalesSlipRecordSize + 720, n);
    dir.writeBytes(QStringLiteral("reg.dat"), file);
    double outer = 0, inner = 0;
    QVERIFY(ScanSalesSlips(1, 700, [&](qint64 n, const SlipView& v) {
        if (n == 1)
            ScanSalesSlips(600, 700, [&](qint64, const SlipView& w) {
                inner += w.total();
                return true;
            });
        outer += v.total(); // still the outer block's bytes after the inner scan
        return true;
    }));
    QCOMPARE(outer, 700.0 * 701 / 2);
    QCOMPARE(inner, (600.0 + 700) * 101 / 2);
}

void TestSlipScan::unreadableFile()
{
    TestAppDir dir;
    QVERIFY(ScanPurchaseSlips(1, 10, [](qint64, const PurchaseSlipView&) { return true; })); // missing: no slips
    QVERIFY(!QFile::exists(dir.file(QStringLiteral("siire.dat"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("siire.dat")));
    const Result r = ScanPurchaseSlips(1, 10, [](qint64, const PurchaseSlipView&) { return true; });
    QVERIFY(!r);
    QVERIFY(r.error.startsWith(QStringLiteral("siire.dat を読めません")));
}

// The slips issued so far end one before the next slip number; a counter that is no slip number means none.
void TestSlipScan::lastSlipNo_data()
{
    QTest::addColumn<double>("next");
    QTest::addColumn<qint64>("last");
    QTest::newRow("first slip next") << 1.0 << qint64(0);
    QTest::newRow("seven next") << 7.0 << qint64(6);
    QTest::newRow("fraction") << 7.5 << qint64(6);
    QTest::newRow("zero") << 0.0 << qint64(0);
    QTest::newRow("below one") << 0.5 << qint64(0);
    QTest::newRow("negative") << -3.0 << qint64(0);
    QTest::newRow("highest") << 2147483648.0 << qint64(2147483647);
    QTest::newRow("past the highest") << 2147483649.0 << qint64(0);
    QTest::newRow("NaN") << std::nan("") << qint64(0);
}

void TestSlipScan::lastSlipNo()
{
    QFETCH(double, next);
    QFETCH(qint64, last);
    SysNum[Sys::NextSalesSlipNo] = next;
    SysNum[Sys::NextPurchaseSlipNo] = next;
    QCOMPARE(LastSalesSlipNo(), last);
    QCOMPARE(LastPurchaseSlipNo(), last);
}

QTEST_GUILESS_MAIN(TestSlipScan)
#include "tst_slipscan.moc"
