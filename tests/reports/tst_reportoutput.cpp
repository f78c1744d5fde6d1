// The report builder's tables without a window: which slips a period lists, a slip's rows and the period's
// totals, the sums per product or item, the reduced rate's rows, the takings per payment method, the colours.
#include "offsets.h"
#include "testutil.h"

#include "reports/reportbuilder.h"
#include "storage/products.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QDir>
#include <QtTest>
#include <functional>

using SetUp = void (*)();
Q_DECLARE_METATYPE(SetUp)

namespace {

const QString Day = QStringLiteral("2021/04/01");
const QString SalesHead = QStringLiteral("伝票番号,日付,時間,天気,NO.,CODE,品名,単価,数量,金額");
const QString PurchaseHead = QStringLiteral("伝票番号,日付,仕番号,仕入先,NO.,CODE,品名,単価,数量,金額");
const QString NumberHead = QStringLiteral("CODE,品名,数量,金額");

// A line at its place on the slip (1 to 10).
struct Line
{
    int at;
    int number;
    int qty;
    double amount;
};

// `slip` as record n of reg.dat, blank records before it where the file was shorter; the next slip number moves
// past it.
void put(qint64 n, SalesSlipRecord slip)
{
    const QString path = dataPath(QStringLiteral("reg.dat"));
    QByteArray file = fileBytes(path);
    while (file.size() < n * SalesSlipRecordSize)
        file += SalesSlipBlankRecord();
    file.replace((n - 1) * SalesSlipRecordSize, SalesSlipRecordSize, EncodeSalesSlip(slip));
    QVERIFY(putFile(path, file));
    SysNum[Sys::NextSalesSlipNo] = std::max<double>(SysNum[Sys::NextSalesSlipNo], double(n + 1));
}

// Sales slip n as the register leaves one: lines named 品<number> at 100 each, a tax of 9, saved at 10:15 on a
// sunny day; `edit` changes it before it is put.
void putSale(qint64 n, const QString& date, const QList<Line>& lines, bool deleted = false,
             const std::function<void(SalesSlipRecord&)>& edit = {})
{
    SalesSlipRecord s;
    s.Date = date;
    s.Time = QStringLiteral("10:15:00");
    s.Weather = QStringLiteral("晴れ");
    s.SlipNo = int32_t(n);
    for (const Line& l : lines) {
        s.Line[l.at] = {int16_t(l.number), QStringLiteral("品%1").arg(l.number), 100, int16_t(l.qty), l.amount};
        s.Total += l.amount;
    }
    s.Subtotal = s.Total;
    s.Tax = 9;
    s.Deleted = deleted ? 1 : 0;
    if (edit)
        edit(s);
    put(n, s);
}

// A purchase slip of supplier 7 on `date`: items named 材<number> at 50 each, 300 and a tax of 30.
void putPurchase(qint64 n, const QString& date, const QList<Line>& lines, bool deleted = false)
{
    PurchaseSlipRecord slip;
    slip.Date = date;
    slip.SlipNo = int32_t(n);
    slip.SupplierNo = 7;
    slip.SupplierName = QStringLiteral("山田商店");
    for (const Line& l : lines)
        slip.Line[l.at] = {int16_t(l.number), QStringLiteral("材%1").arg(l.number), 50, int16_t(l.qty), l.amount};
    slip.Subtotal = 300;
    slip.Tax = 30;
    slip.Total = 330;
    slip.Deleted = deleted ? 1 : 0;
    QVERIFY(WritePurchaseSlip(n, slip));
    SysNum[Sys::NextPurchaseSlipNo] = std::max<double>(SysNum[Sys::NextPurchaseSlipNo], double(n + 1));
}

GridTable table(int kind, const QString& year, const QString& month, const QString& day, bool daily)
{
    // One table built over and over, as the window does: nothing of an earlier report may stay in it.
    static GridTable t;
    const Result r = buildReport(kind, ReportPeriod::fromTexts(year, month, day, daily), t);
    if (!r)
        qWarning("%s", qPrintable(r.error));
    return t;
}

// Report `kind` of 2021/04/01 (or its month) one line a row: the cells without the blanks that pad them,
// comma-separated as in a CSV file, the empty cells at the end left out.
QStringList report(int kind, bool daily = true)
{
    QStringList lines;
    for (const QStringList& row : table(kind, "2021", "4", "1", daily).rows) {
        QStringList cells;
        for (const QString& cell : row)
            cells << cell.trimmed();
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
        lines << cells.join(u',');
    }
    return lines;
}

// The rows under a sales slip list's 合計: the period's takings per payment method.
QStringList methods(const QString& cash, const QString& credit = "0", const QString& eMoney = "0",
                    const QString& qr = "0")
{
    return {",,,,,,支払方法別 現金,,," + cash, ",,,,,,支払方法別 クレジット,,," + credit,
            ",,,,,,支払方法別 電子マネー,,," + eMoney, ",,,,,,支払方法別 QRコード決済,,," + qr};
}

// Products 1 to 3 with product 1 at the reduced rate: slip 1 sells 2 at the standard and 1 at the reduced rate,
// slip 2 was written before the rates were kept (its tail zero bytes), and the mark was taken off product 1
// after both were sold.
void ratedSlips()
{
    SysNum[Sys::TaxRate] = 0.1;
    SysNum[Sys::ReducedTaxRate] = 0.08;
    for (int n = 1; n <= 3; ++n) {
        ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
        ProductTable[n].Reduced = n == 1 ? 1 : 0;
    }
    putSale(1, Day, {{1, 2, 1, 1100}, {2, 1, 1, 1080}}, false, [](SalesSlipRecord& s) { FillSlipTax(s, true); });
    putSale(2, Day, {{1, 3, 1, 540}});
    ProductTable[1].Reduced = 0;
}

} // namespace

class TestReportOutput : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestAppDir> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<TestAppDir>(); }
    void cleanup() { m_dir.reset(); }

    // A period lists the slips of its day or month that are not deleted; boxes without a number list nothing,
    // not even the blank record the next slip takes, which is read like the others.
    void periods_data()
    {
        QTest::addColumn<QStringList>("boxes"); // year, month, day
        QTest::addColumn<bool>("daily");
        QTest::addColumn<QStringList>("slips");
        // clang-format off
        QTest::newRow("monthly, day 31 ignored") << QStringList{"2021", "4", "31"} << false << QStringList{"1", "2", "4"};
        QTest::newRow("daily") << QStringList{"2021", "4", "2"} << true << QStringList{"2"};
        QTest::newRow("daily, empty day") << QStringList{"2021", "4", "3"} << true << QStringList{};
        QTest::newRow("month 04 matches April") << QStringList{"2021", "04", "01"} << true << QStringList{"1"};
        QTest::newRow("month with a plus sign") << QStringList{"2021", "+4", "2"} << true << QStringList{"2"};
        QTest::newRow("year 2020") << QStringList{"2020", "4", "1"} << false << QStringList{"5"};
        QTest::newRow("year not a number") << QStringList{"abc", "4", "1"} << false << QStringList{};
        QTest::newRow("letters never match the blank record") << QStringList{"abc", "x", "y"} << true << QStringList{};
        QTest::newRow("blank boxes never match the blank record") << QStringList{"", "", ""} << true << QStringList{};
        // clang-format on
    }
    void periods()
    {
        QFETCH(QStringList, boxes);
        QFETCH(bool, daily);
        QFETCH(QStringList, slips);
        const QStringList dates{"2021/04/01", "2021/04/02", "2021/04/02", "2021/04/30", "2020/04/30", "2021/05/01"};
        for (int n = 1; n <= 6; ++n)
            putSale(n, dates[n - 1], {{1, 3, 1, 100}}, n == 3);
        put(7, SalesSlipRecord());
        SysNum[Sys::NextSalesSlipNo] = 7;
        const GridTable t = table(SalesSlipReport, boxes[0], boxes[1], boxes[2], daily);
        QStringList listed;
        for (const QStringList& row : t.rows.mid(1))
            if (!row[0].isEmpty() && row[0] != u"期間合計")
                listed << row[0];
        QCOMPARE(listed, slips);
        // A line and three totals rows a slip, then 伝票数, 計, 消費税, 合計 and the four payment methods.
        QCOMPARE(t.rows.size(), 1 + 4 * slips.size() + (slips.isEmpty() ? 0 : 8));
    }

    // A slip's used lines numbered from 1 under its heading cells, its totals rows as the tax switch has them
    // (purchases keep them all), the period's rows under the last slip.
    void slipRows_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("rows");
        const QStringList taxOff = QStringList{SalesHead, "1,2021/04/01,10:15:00,晴れ,1,5,品5,100,3,300",
                                               ",,,,,,現金,,合計,300", "期間合計,,,,,,,,伝票数,1", ",,,,,,,,合計,300"} +
                                   methods("300");
        // clang-format off
        QTest::newRow("first used line is number one")
            << SetUp(+[] { putSale(1, Day, {{3, 12, 2, 240}, {5, 401, 1, 50}}); }) << SalesSlipReport
            << QStringList{SalesHead, "1,2021/04/01,10:15:00,晴れ,1,12,品12,100,2,240", ",,,,2,401,品401,100,1,50",
                           ",,,,,,,,計,290", ",,,,,,,,消費税,9", ",,,,,,現金,,合計,290",
                           "期間合計,,,,,,,,伝票数,1", ",,,,,,,,計,290", ",,,,,,,,消費税,9", ",,,,,,,,合計,290"} + methods("290");
        QTest::newRow("tax off")
            << SetUp(+[] { SysNum[Sys::SalesTaxSwitch] = 0; putSale(1, Day, {{1, 5, 3, 300}}); }) << SalesSlipReport
            << taxOff;
        QTest::newRow("tax switch 2 is off")
            << SetUp(+[] { SysNum[Sys::SalesTaxSwitch] = 2; putSale(1, Day, {{1, 5, 3, 300}}); }) << SalesSlipReport
            << taxOff;
        // The record the next slip will take is read too.
        QTest::newRow("next slip number 1")
            << SetUp(+[] { SysNum[Sys::SalesTaxSwitch] = 0; putSale(1, Day, {{1, 5, 3, 300}}); SysNum[Sys::NextSalesSlipNo] = 1; })
            << SalesSlipReport << taxOff;
        QTest::newRow("purchases, tax off")
            << SetUp(+[] { SysNum[Sys::SalesTaxSwitch] = 0; putPurchase(1, Day, {{1, 5, 3, 300}}); }) << PurchaseSlipReport
            << QStringList{PurchaseHead, "1,2021/04/01,7,山田商店,1,5,材5,50,3,300", ",,,,,,,,計,300",
                           ",,,,,,,,消費税,30", ",,,,,,,,合計,330", "期間合計,,,,,,,,伝票数,1", ",,,,,,,,計,300",
                           ",,,,,,,,消費税,30", ",,,,,,,,合計,330"};
        QTest::newRow("no slip: the heading alone")
            << SetUp(+[] { putSale(1, "2021/04/02", {{1, 5, 3, 300}}); putPurchase(1, "2021/03/01", {{1, 5, 3, 300}}); })
            << PurchaseSlipReport << QStringList{PurchaseHead};
        // clang-format on
    }
    void slipRows()
    {
        QFETCH(SetUp, setUp);
        QFETCH(int, kind);
        QFETCH(QStringList, rows);
        setUp();
        QCOMPARE(report(kind), rows);
    }

    // Product 7 on two lines of one slip and on a second slip; 9 adds up to 0; 400 (on line 10) and 1 are the
    // bounds; 0 and 401 have no row; a deleted slip adds nothing. The total adds up the rows listed.
    void sumsPerNumber_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("rows");
        // clang-format off
        QTest::newRow("sales per product") << SetUp(+[] {
            for (int n = 1; n <= 400; ++n)
                ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
            putSale(1, Day, {{1, 7, 2, 20}, {4, 7, 1, 10}, {5, 9, 2, 20}, {6, 401, 5, 5}});
            putSale(2, "2021/04/09", {{1, 7, 4, 40}, {2, 9, -2, -15}, {10, 400, 1, 1}, {4, 1, 1, 1}});
            putSale(3, Day, {{1, 7, 100, 1000}}, true);
        }) << SalesPerProductReport << QStringList{NumberHead, "1,商品1,1,1", "7,商品7,7,70", "400,商品400,1,1", "合計,,9,72"};
        // Names from zaiko.dat, where item 400 has one.
        QTest::newRow("purchases per item") << SetUp(+[] {
            QByteArray zaiko(400 * Off::Item::Size, ' ');
            zaiko.replace(399 * Off::Item::Size + Off::Item::Name, 6, toCp932(QStringLiteral("小麦粉")));
            QVERIFY(putFile(dataPath(QStringLiteral("zaiko.dat")), zaiko));
            putPurchase(1, Day, {{1, 7, 2, 20}, {4, 7, 1, 10}, {5, 9, 2, 20}, {6, 401, 5, 5}});
            putPurchase(2, "2021/04/09", {{1, 7, 4, 40}, {2, 9, -2, -15}, {10, 400, 1, 1}, {4, 1, 1, 1}});
            putPurchase(3, Day, {{1, 7, 100, 1000}}, true);
        }) << PurchasePerItemReport << QStringList{NumberHead, "1,,1,1", "7,,7,70", "400,小麦粉,1,1", "合計,,9,72"};
        QTest::newRow("purchases without zaiko.dat") << SetUp(+[] { putPurchase(1, Day, {{1, 12, 3, 30}}); })
            << PurchasePerItemReport << QStringList{NumberHead, "12,,3,30", "合計,,3,30"};
        // clang-format on
    }
    void sumsPerNumber()
    {
        QFETCH(SetUp, setUp);
        QFETCH(int, kind);
        QFETCH(QStringList, rows);
        setUp();
        QCOMPARE(report(kind, false), rows);
        QCOMPARE(QFile::exists(dataPath(QStringLiteral("zaiko.dat"))),
                 kind == PurchasePerItemReport && rows.size() > 3);
    }

    // Lines sold at the reduced rate are marked by what the slip says, whatever the product's mark says now; each
    // rate's total and tax follow the tax row they split, and a slip from before the rates counts at today's 10%.
    void reducedRate_data()
    {
        QTest::addColumn<int>("taxSwitch");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("rows");
        // clang-format off
        QTest::newRow("with the tax rows") << 1 << SalesSlipReport << QStringList{SalesHead,
            "1,2021/04/01,10:15:00,晴れ,1,2,品2,100,1,1100", ",,,,2,1,※品1,100,1,1080", ",,,,,,,,計,2180", ",,,,,,,,消費税,180",
            ",,,,,,10%対象,1100,内消費税等,100", ",,,,,,※8%対象,1080,内消費税等,80", ",,,,,,現金,,合計,2180",
            "2,2021/04/01,10:15:00,晴れ,1,3,品3,100,1,540", ",,,,,,,,計,540", ",,,,,,,,消費税,9", ",,,,,,現金,,合計,540",
            "期間合計,,,,,,,,伝票数,2", ",,,,,,,,計,2720", ",,,,,,,,消費税,189", ",,,,,,10%対象,1640,内消費税等,109",
            ",,,,,,※8%対象,1080,内消費税等,80", ",,,,,,,,合計,2720"} + methods("2720");
        // Without a tax row there is nothing for the rates' rows to split.
        QTest::newRow("without them") << 0 << SalesSlipReport << QStringList{SalesHead,
            "1,2021/04/01,10:15:00,晴れ,1,2,品2,100,1,1100", ",,,,2,1,品1,100,1,1080", ",,,,,,現金,,合計,2180",
            "2,2021/04/01,10:15:00,晴れ,1,3,品3,100,1,540", ",,,,,,現金,,合計,540",
            "期間合計,,,,,,,,伝票数,2", ",,,,,,,,合計,2720"} + methods("2720");
        QTest::newRow("per product") << 0 << SalesPerProductReport
            << QStringList{NumberHead, "1,※商品1,1,1080", "2,商品2,1,1100", "3,商品3,1,540", "合計,,3,2720"};
        // clang-format on
    }
    void reducedRate()
    {
        QFETCH(int, taxSwitch);
        QFETCH(int, kind);
        QFETCH(QStringList, rows);
        ratedSlips();
        SysNum[Sys::SalesTaxSwitch] = taxSwitch;
        QCOMPARE(report(kind), rows);
    }

    // Each slip's total row names how it was paid; under the list, the period's total per method. Deleted slips
    // and other periods count nowhere; a slip from before payments were stored counts as cash.
    void paymentMethods_data()
    {
        QTest::addColumn<bool>("daily");
        QTest::addColumn<QStringList>("methods"); // on the total rows, in slip order
        QTest::addColumn<QStringList>("totals");  // under the period's 合計
        // clang-format off
        QTest::newRow("day") << true << QStringList{"現金", "クレジット", "QRコード決済", "電子マネー", "現金"}
                             << QStringList{",,,,,,,,合計,530"} + methods("-20", "200", "50", "300");
        QTest::newRow("month") << false << QStringList{"現金", "クレジット", "QRコード決済", "電子マネー", "現金", "クレジット"}
                               << QStringList{",,,,,,,,合計,600"} + methods("-20", "270", "50", "300");
        // clang-format on
    }
    void paymentMethods()
    {
        QFETCH(bool, daily);
        QFETCH(QStringList, methods);
        QFETCH(QStringList, totals);
        SysNum[Sys::SalesTaxSwitch] = 0;
        const auto paid = [](qint64 n, const QString& date, double amount, PaymentMethod m, bool deleted = false) {
            putSale(n, date, {{1, 3, 1, amount}}, deleted, [m](SalesSlipRecord& s) {
                s.Payment = {true, m, m == PaymentMethod::Cash ? 1000.0 : 0};
            });
        };
        putSale(1, Day, {{1, 3, 1, 100}}); // older slip: cash
        paid(2, Day, 200, PaymentMethod::Credit);
        paid(3, Day, 300, PaymentMethod::QrCode);
        paid(4, Day, 50, PaymentMethod::EMoney);
        paid(5, Day, -120, PaymentMethod::Cash); // a return paid back in cash
        paid(6, Day, 999, PaymentMethod::Credit, true);
        paid(7, QStringLiteral("2021/04/02"), 70, PaymentMethod::Credit);
        paid(8, QStringLiteral("2021/05/01"), 5000, PaymentMethod::Cash);
        const GridTable t = table(SalesSlipReport, "2021", "4", "1", daily);
        QStringList shown;
        for (const QStringList& row : t.rows)
            if (row[8] == u"合計" && row[0].isEmpty() && !row[6].isEmpty())
                shown << row[6];
        QCOMPARE(shown, methods);
        const QStringList rows = report(SalesSlipReport, daily);
        QCOMPARE(rows.mid(rows.size() - 5), totals);
    }

    // A slip and the period's totals each begin a block that no printed page cuts. Each column's widest text is
    // noted as the rows are built, so that the window fits its columns without reading the rows again.
    void blocksAndWidestTexts_data()
    {
        QTest::addColumn<SetUp>("setUp");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("blockStarts");
        // clang-format off
        QTest::newRow("sales slips with both rates") << SetUp(ratedSlips) << SalesSlipReport << QList<int>{1, 8, 12};
        QTest::newRow("purchase slips, a return") << SetUp(+[] {
            putPurchase(1, Day, {{1, 5, 3, 300}});
            putPurchase(2, Day, {{1, 6, -12345, -99999}});
        }) << PurchaseSlipReport << QList<int>{1, 5, 9};
        QTest::newRow("the widest weather first") << SetUp(+[] {
            putSale(1, Day, {{1, 1, 1, 100}}, false, [](SalesSlipRecord& s) { s.Weather = QStringLiteral("くもりのち晴れ"); });
            putSale(2, Day, {{1, 1, 1, 100}});
        }) << SalesSlipReport << QList<int>{1, 5, 9};
        QTest::newRow("per product: any row may end a page") << SetUp(ratedSlips) << SalesPerProductReport << QList<int>{};
        QTest::newRow("unreadable file") << SetUp(+[] {
            QVERIFY(QDir().mkdir(dataPath(QStringLiteral("reg.dat"))));
            SysNum[Sys::NextSalesSlipNo] = 5;
        }) << SalesSlipReport << QList<int>{};
        // clang-format on
    }
    void blocksAndWidestTexts()
    {
        QFETCH(SetUp, setUp);
        QFETCH(int, kind);
        setUp();
        const GridTable t = table(kind, "2021", "4", "1", true);
        QTEST(t.blockStarts, "blockStarts");
        QCOMPARE(t.widest.size(), t.cols());
        // A slip list's names are squeezed into what the other columns leave, never fitted.
        const bool slipList = kind == SalesSlipReport || kind == PurchaseSlipReport;
        for (int c = 0; c < t.cols(); ++c) {
            if (slipList && c == 6)
                continue;
            int widest = 0;
            for (const QStringList& row : t.rows.mid(1))
                widest = std::max(widest, GridTable::narrowCount(row[c]));
            QVERIFY2(GridTable::narrowCount(t.widest[c]) == widest,
                     qPrintable(QStringLiteral("column %1: %2").arg(c).arg(t.widest[c])));
        }
    }

    // The heading cells of a slip and of the period, the line numbers and every total are coloured; so are a
    // per-number list's numbers and its total.
    void colours_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("shades"); // a row's cells: h heading, n line number, t total, . none
        // clang-format off
        QTest::newRow("slip list") << SalesSlipReport << QStringList{"..........",
            "hhhhn.....", "....n.....", "........tt", "........tt", "......tttt", "......tttt", "........tt",
            "hhhhn.....", "........tt", "........tt", "........tt",
            "h.......tt", "........tt", "........tt", "......tttt", "......tttt", "........tt",
            "......t..t", "......t..t", "......t..t", "......t..t"};
        QTest::newRow("per product") << SalesPerProductReport << QStringList{"....", "h...", "h...", "h...", "t.tt"};
        // clang-format on
    }
    void colours()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, shades);
        ratedSlips();
        const GridTable t = table(kind, "2021", "4", "1", true);
        QStringList shown(t.rows.size(), QString(t.cols(), u'.'));
        const QHash<QRgb, QChar> marks{{QColor(100, 255, 255).rgb(), u'h'},
                                       {QColor(255, 255, 0).rgb(), u'n'},
                                       {QColor(255, 255, 100).rgb(), u't'}};
        for (const GridTable::Colour& c : t.colours)
            shown[c.row][c.col] = marks.value(c.colour.rgb(), u'?');
        QCOMPARE(shown, shades);
    }
};

QTEST_MAIN(TestReportOutput)
#include "tst_reportoutput.moc"
