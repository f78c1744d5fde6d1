// The register's arithmetic, checks and stock changes without its window, at the edges of their ranges.
#include "../common/guitest.h"

#include "register/slipentry.h"
#include "storage/changes.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QtTest>

namespace {

// An entry with product `product` x `qty` at `price` on each of lines 1 .. lines, the amounts and the total
// worked out as the window works them out.
EntryTexts entryOf(int lines, int product, const QString& qty, const QString& price)
{
    EntryTexts e;
    e.date = QStringLiteral("2010/06/01");
    e.time = QStringLiteral("10:00:00");
    e.weather = QStringLiteral("1");
    e.slipNo = QStringLiteral("1");
    QStringList amounts;
    for (int k = 1; k <= lines; ++k) {
        const QString amount = numText(val(price) * val(qty));
        e.line[k] = {QString::number(product), ProductTable[product].ProductName, price, qty, amount};
        amounts << amount;
    }
    e.total = numText(slipTotal(amounts));
    return e;
}

double stockTaken(const QList<StockChange>& changes, int item)
{
    double sum = 0;
    for (const StockChange& c : changes)
        if (c.item == item)
            sum += c.delta;
    return sum;
}

// What a field keeps of the text typed into it.
using TextRule = QString (*)(const QString&);

} // namespace

Q_DECLARE_METATYPE(TextRule)

class TestSlipEntry : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::SalesTaxSwitch] = 1;
        // A set using the first and the last purchase item.
        setProduct(9, QStringLiteral("端の組"), 300, {{400, 2}, {1, 0.5}});
        setStock(1, 10);
        setStock(400, 10);
    }
    void cleanup() { m_dir.reset(); }

    void totalsTaxAndChange_data()
    {
        QTest::addColumn<QStringList>("amounts");
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("tax"); // contained at 10 %
        // clang-format off
        QTest::newRow("empty lines count 0") << QStringList{"", "", "110"} << 110.0 << 10.0;
        QTest::newRow("half rounds up") << QStringList{"5.5"} << 5.5 << 1.0;
        QTest::newRow("below half") << QStringList{"5.4"} << 5.4 << 0.0;
        QTest::newRow("return, half towards up") << QStringList{"-5.5"} << -5.5 << 0.0;
        QTest::newRow("return beyond half") << QStringList{"-16.6"} << -16.6 << -2.0;
        QTest::newRow("two lines") << QStringList{"600", "400"} << 1000.0 << 91.0;
        QTest::newRow("lenient texts") << QStringList{"12a", "abc", " 3"} << 15.0 << 1.0;
        // clang-format on
    }
    void totalsTaxAndChange()
    {
        QFETCH(QStringList, amounts);
        QFETCH(double, total);
        QCOMPARE(slipTotal(amounts), total);
        EntryTexts entry;
        for (int k = 1; k <= amounts.size(); ++k)
            entry.line[k] = {QStringLiteral("1"), QString(), QString(), QString(), amounts[k - 1]};
        entry.total = numText(total);
        const SlipRates rates = entryTax(entry);
        QCOMPARE(rates.reducedLines, uint16_t(0)); // no reduced rate in use
        QTEST(rates.standard.tax, "tax");
    }

    // A recalled slip shows its own rate figures; one from before they were kept, its total and tax at the
    // standard rate.
    void storedRatesOfOldAndNewSlips()
    {
        SalesSlipRecord slip;
        slip.Total = 1050;
        slip.Tax = 50;
        SlipRates rates = storedRates(slip, 0.05);
        QCOMPARE(rates.standard.total, 1050.0);
        QCOMPARE(rates.standard.tax, 50.0);
        QCOMPARE(rates.standard.rate, 0.05);
        QCOMPARE(rates.reduced.total, 0.0);
        slip.Rates = SplitSlipTax(1050, 280, 1, 0.1, 0.08);
        rates = storedRates(slip, 0.05);
        QCOMPARE(rates.reduced.total, 280.0);
        QCOMPARE(rates.standard.total, 770.0);
    }

    // Lines count at the reduced rate by the product number their code field reads as.
    void entryTaxByCodeField()
    {
        SysNum[Sys::ReducedTaxRate] = 0.08;
        setProduct(3, QStringLiteral("パン"), 540);
        ProductTable[3].Reduced = 1;
        EntryTexts entry;
        entry.line[1] = {QStringLiteral("3"), QString(), QString(), QString(), QStringLiteral("1080")};
        entry.line[2] = {QStringLiteral("3.4"), QString(), QString(), QString(), QStringLiteral("540")};
        entry.line[3] = {QStringLiteral("1e9"), QString(), QString(), QString(), QStringLiteral("1100")};
        entry.line[5] = {QString(), QString(), QString(), QString(), QStringLiteral("10")};
        entry.line[10] = {QStringLiteral("3"), QString(), QString(), QString(), QStringLiteral("540")};
        entry.total = QStringLiteral("3270");
        const SlipRates rates = entryTax(entry);
        QCOMPARE(rates.reducedLines, uint16_t(0b10'0000'0011));
        QCOMPARE(rates.reduced.total, 2160.0);
        QCOMPARE(rates.reduced.tax, 160.0);
        QCOMPARE(rates.standard.total, 1110.0);
        QCOMPARE(rates.standard.tax, 101.0);
        // Saved, the slip keeps the same figures.
        SalesSlipRecord slip;
        QList<StockChange> taken;
        entry.slipNo = QStringLiteral("1");
        entry.line[3].code = QStringLiteral("2"); // a code the slip can hold, of a standard product
        QVERIFY(buildSlip(entry, true, slip, taken));
        QCOMPARE(slip.Tax, 261.0);
        QCOMPARE(slip.Rates.reducedLines, uint16_t(0b10'0000'0011));
    }

    void productCodeBoundedByCount_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<double>("count");
        QTest::addColumn<int>("entry"); // -1: none
        QTest::newRow("equal to the count") << "300" << 300.0 << 300;
        QTest::newRow("one above the count") << "301" << 300.0 << -1;
        QTest::newRow("400 of 400") << "400" << 400.0 << 400;
        QTest::newRow("fraction rounds to even") << "2.5" << 400.0 << 2;
        QTest::newRow("empty field: empty product") << "" << 400.0 << 0;
        QTest::newRow("negative") << "-5" << 400.0 << -1;
        QTest::newRow("huge negative") << "-1e300" << 400.0 << -1;
        QTest::newRow("beyond the table") << "1001" << 2000.0 << -1;
    }
    void productCodeBoundedByCount()
    {
        QFETCH(QString, code);
        QFETCH(double, count);
        QTEST(productEntryFor(code, count).value_or(-1), "entry");
    }

    // Up to 4 digits, or a text that is not all digits, is a product number; 8, 12 or 13 digits a JAN code.
    void codeLookUp_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("product");
        QTest::addColumn<QString>("problem"); // a part of the message
        QTest::newRow("empty") << "" << int(CodeLookUp::Nothing) << 0 << "";
        QTest::newRow("number") << "9" << int(CodeLookUp::Product) << 9 << "";
        QTest::newRow("number, leading zeros") << "0009" << int(CodeLookUp::Product) << 9 << "";
        QTest::newRow("number, full width") << "９" << int(CodeLookUp::Product) << 9 << "";
        QTest::newRow("number then letter") << "9a" << int(CodeLookUp::Product) << 9 << "";
        QTest::newRow("number with no product") << "8" << int(CodeLookUp::Refused) << 0 << "商品番号 8 の";
        QTest::newRow("priced product without name") << "11" << int(CodeLookUp::Product) << 11 << "";
        QTest::newRow("zero") << "0" << int(CodeLookUp::Refused) << 0 << "商品番号 0";
        QTest::newRow("above the count") << "401" << int(CodeLookUp::Refused) << 0 << "商品番号 401";
        QTest::newRow("4 digits") << "4006" << int(CodeLookUp::Refused) << 0 << "商品番号 4006";
        QTest::newRow("EAN-13") << "4006381333931" << int(CodeLookUp::Scan) << 9 << "";
        QTest::newRow("EAN-8") << "96385074" << int(CodeLookUp::Scan) << 12 << "";
        QTest::newRow("UPC-A") << "036000291452" << int(CodeLookUp::Scan) << 400 << "";
        QTest::newRow("full-width EAN-8") << "９６３８５０７４" << int(CodeLookUp::Scan) << 12 << "";
        QTest::newRow("unknown code") << "5901234123457" << int(CodeLookUp::Refused) << 0 << "5901234123457 の商品";
        QTest::newRow("wrong check digit") << "4006381333932" << int(CodeLookUp::Refused) << 0 << "チェックデジット";
        QTest::newRow("5 digits") << "40063" << int(CodeLookUp::Refused) << 0 << "5 桁";
        QTest::newRow("7 digits") << "9638507" << int(CodeLookUp::Refused) << 0 << "7 桁";
        QTest::newRow("14 digits") << "40063813339310" << int(CodeLookUp::Refused) << 0 << "14 桁";
        // clang-format off
        QTest::newRow("code of a product beyond the count") << "73513537" << int(CodeLookUp::Refused) << 0 << "73513537 の商品";
        // clang-format on
        QTest::newRow("code of an emptied product") << "49123456" << int(CodeLookUp::Refused) << 0 << "の商品";
    }
    void codeLookUp()
    {
        QFETCH(QString, code);
        QFETCH(QString, problem);
        for (int n = 1; n <= MaxProductEntries; ++n)
            ClearProduct(n);
        setProduct(9, QStringLiteral("端の組"), 300);
        setProduct(11, QString(), 80);
        setProduct(12, QStringLiteral("ガム"), 100);
        setProduct(400, QStringLiteral("輸入品"), 500);
        setProduct(500, QStringLiteral("番号の外"), 500);
        ProductTable[9].JanCode = QStringLiteral("4006381333931");
        ProductTable[12].JanCode = QStringLiteral("96385074");
        ProductTable[400].JanCode = QStringLiteral("0036000291452");
        ProductTable[500].JanCode = QStringLiteral("73513537");
        ProductTable[8].JanCode = QStringLiteral("49123456");       // a code left on a product without name or price
        ProductTable[0].ProductName = QStringLiteral("使われない"); // entry 0 is never a product
        Q_EMIT changes().productsChanged();
        const CodeLookUp found = lookUpCode(code, 400);
        QTEST(int(found.kind), "kind");
        QTEST(found.product, "product");
        QVERIFY2(found.problem.contains(problem), qPrintable(found.problem));
        QCOMPARE(found.problem.isEmpty(), problem.isEmpty());
        ClearProduct(0);
    }

    // What the code, quantity and tendered fields keep as the cashier types: digits stay in the code field as
    // they are typed, so that a scanned code arrives whole; the quantity as a figure; the amount tendered as at
    // most 8 plain digits.
    void fieldTextAsTyped_data()
    {
        QTest::addColumn<TextRule>("rule");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const TextRule code = [](const QString& t) { return codeTextKept(t) ? t : QStringLiteral("(refused)"); };
        const TextRule qty = quantityText;
        const TextRule tendered = [](const QString& t) {
            return tenderedTextKept(t) ? t : QStringLiteral("(refused)");
        };
        // clang-format off
        QTest::newRow("code: product number") << code << "400" << "400";
        QTest::newRow("code: start of a JAN code") << code << "490" << "490";
        QTest::newRow("code: leading zero of a UPC code") << code << "0" << "0";
        QTest::newRow("code: 13 digits") << code << "4901234567894" << "4901234567894";
        QTest::newRow("code: 20 digits") << code << QString(20, u'1') << QString(20, u'1');
        QTest::newRow("code: 21 digits") << code << QString(21, u'1') << "(refused)";
        QTest::newRow("code: full width") << code << "４９" << "４９";
        QTest::newRow("code: number then letter") << code << "12a" << "12a";
        QTest::newRow("code: above 400 then letter") << code << "401a" << "(refused)";
        QTest::newRow("code: letters") << code << "abc" << "(refused)";
        QTest::newRow("code: minus") << code << "-" << "(refused)";
        QTest::newRow("code: blank") << code << " " << "(refused)";
        QTest::newRow("quantity: letter dropped") << qty << "2x" << "2";
        QTest::newRow("quantity: leading zero") << qty << "05" << "5";
        QTest::newRow("quantity: trailing period") << qty << "2." << "2";
        QTest::newRow("quantity: negative") << qty << "-2" << "-2";
        QTest::newRow("quantity: minus alone") << qty << "-" << "-";
        QTest::newRow("quantity: zero stays") << qty << "0" << "0";
        QTest::newRow("tendered: every digit") << tendered << "01234567" << "01234567";
        QTest::newRow("tendered: 9") << tendered << "9" << "9";
        QTest::newRow("tendered: nine digits") << tendered << "123456789" << "(refused)";
        QTest::newRow("tendered: point") << tendered << "5.0" << "(refused)";
        QTest::newRow("tendered: full width") << tendered << "５" << "(refused)";
        // clang-format on
    }
    void fieldTextAsTyped()
    {
        QFETCH(TextRule, rule);
        QFETCH(QString, typed);
        QTEST(rule(typed), "shown");
    }

    // Where a scan into line k goes, given what the lines hold (a product number, or "-" for a line with
    // a product on it whose code field is not that product).
    void scanPlace_data()
    {
        QTest::addColumn<QStringList>("codes"); // lines 1 .. as they were; "" an empty line
        QTest::addColumn<int>("k");
        QTest::addColumn<int>("line");
        QTest::addColumn<bool>("addOne");
        QTest::newRow("first scan") << QStringList{} << 1 << 1 << false;
        QTest::newRow("next line") << QStringList{"5"} << 2 << 2 << false;
        QTest::newRow("same as above") << QStringList{"9"} << 2 << 1 << true;
        QTest::newRow("same as two above") << QStringList{"9", "5"} << 3 << 3 << false;
        QTest::newRow("same as own line") << QStringList{"5", "9"} << 2 << 2 << true;
        QTest::newRow("occupied line, next free") << QStringList{"5", "6"} << 2 << 3 << false;
        QTest::newRow("occupied line, free after it") << QStringList{"", "6", "7"} << 3 << 4 << false;
        // clang-format off
        QTest::newRow("occupied to the end, free above") << QStringList{"", "2", "3", "4", "5", "6", "7", "8", "1", "2"} << 10 << 1 << false;
        QTest::newRow("line 10 taken, same") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "1", "9"} << 10 << 10 << true;
        QTest::newRow("line 10 same as 9") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "9"} << 10 << 9 << true;
        QTest::newRow("line 10 free") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "1"} << 10 << 10 << false;
        QTest::newRow("full") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "1", "2"} << 10 << 0 << false;
        QTest::newRow("full, scanned on line 4") << QStringList{"1", "2", "3", "4", "5", "6", "7", "8", "1", "2"} << 4 << 0 << false;
        // clang-format on
        QTest::newRow("line with a name only") << QStringList{"-"} << 1 << 2 << false;
    }
    void scanPlace()
    {
        QFETCH(QStringList, codes);
        QFETCH(int, k);
        EntryTexts entry;
        for (int j = 1; j <= codes.size(); ++j)
            if (codes[j - 1] == QStringLiteral("-"))
                entry.line[j].name = QStringLiteral("名前だけ");
            else if (!codes[j - 1].isEmpty())
                entry.line[j] = {codes[j - 1], QStringLiteral("品"), QStringLiteral("100"), QStringLiteral("1"),
                                 QStringLiteral("100")};
        const ScanPlace place = placeScan(entry, k, 9);
        QTEST(place.line, "line");
        QTEST(place.addOne, "addOne");
        QCOMPARE(place.problem.isEmpty(), place.line != 0);
    }

    // The quantity and the unit price of the last line at the edges of their 16 bits; a price is rounded half
    // to even before it is checked.
    void sixteenBitRefusalOnLastLine_data()
    {
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("storedPrice");
        const QString priceTooLarge = QStringLiteral("10 行目の単価が大きすぎます（-32768～32767）。");
        // clang-format off
        QTest::newRow("32767 fits") << "32767" << "300" << QString() << 300;
        QTest::newRow("32768") << "32768" << "300" << QStringLiteral("10 行目の数量が大きすぎます（-32768～32767）。") << 0;
        QTest::newRow("-32768 fits") << "-32768" << "300" << QString() << 300;
        QTest::newRow("-32769") << "-32769" << "300" << QStringLiteral("10 行目の数量が小さすぎます（-32768～32767）。") << 0;
        QTest::newRow("price 32767") << "1" << "32767" << QString() << 32767;
        QTest::newRow("price -32768") << "1" << "-32768" << QString() << -32768;
        QTest::newRow("price 32768") << "1" << "32768" << priceTooLarge << 0;
        QTest::newRow("price 32767.5 rounds up") << "1" << "32767.5" << priceTooLarge << 0;
        QTest::newRow("price 32766.5 rounds to even") << "1" << "32766.5" << QString() << 32766;
        // clang-format on
    }
    void sixteenBitRefusalOnLastLine()
    {
        QFETCH(QString, qty);
        QFETCH(QString, price);
        QFETCH(QString, message);
        EntryTexts entry = entryOf(10, 9, QStringLiteral("1"), QStringLiteral("300"));
        entry.line[10].qty = qty;
        entry.line[10].price = entry.line[10].amount = price;
        entry.total = numText(2700 + val(price));
        SalesSlipRecord slip;
        slip.Date = QStringLiteral("untouched");
        QList<StockChange> taken;
        const Result r = buildSlip(entry, true, slip, taken);
        QCOMPARE(r.error, message);
        if (!message.isEmpty()) {
            QCOMPARE(slip.Date, QStringLiteral("untouched"));
            QVERIFY(taken.isEmpty());
            return;
        }
        for (int k = 1; k <= SlipLineCount; ++k)
            QCOMPARE(slip.Line[k].ProductNo, int16_t(9));
        QCOMPARE(int(slip.Line[10].Qty), int(val(qty)));
        QTEST(int(slip.Line[10].UnitPrice), "storedPrice");
        QCOMPARE(stockTaken(taken, 400), -2.0 * (9 + val(qty)));
        QCOMPARE(stockTaken(taken, 1), -0.5 * (9 + val(qty)));
    }

    // The four change boxes for a total: each tender's change, "-----" when the tender is too small, and for
    // a return what goes back in the first box alone.
    void changeBoxesForTotal_data()
    {
        QTest::addColumn<double>("total");
        QTest::addColumn<bool>("refund");
        QTest::addColumn<QStringList>("texts");
        // clang-format off
        QTest::newRow("450") << 450.0 << false << QStringList{"9,550", "4,550", "550", "50"};
        QTest::newRow("298.5") << 298.5 << false << QStringList{"9,701.5", "4,701.5", "701.5", "201.5"};
        QTest::newRow("1049") << 1049.0 << false << QStringList{"8,951", "3,951", "-----", "-----"};
        QTest::newRow("a fraction over") << 1000.5 << false << QStringList{"8,999.5", "3,999.5", "-----", "-----"};
        QTest::newRow("10450") << 10450.0 << false << QStringList{"-----", "-----", "-----", "-----"};
        QTest::newRow("700") << 700.0 << false << QStringList{"9,300", "4,300", "300", "-----"};
        QTest::newRow("exactly 500") << 500.0 << false << QStringList{"9,500", "4,500", "500", "0"};
        QTest::newRow("return") << -300.0 << true << QStringList{"300", "", "", ""};
        QTest::newRow("return grouped") << -1050.0 << true << QStringList{"1,050", "", "", ""};
        QTest::newRow("nothing to pay") << 0.0 << false << QStringList{"10,000", "5,000", "1,000", "500"};
        // clang-format on
    }
    void changeBoxesForTotal()
    {
        QFETCH(double, total);
        const ChangeBoxes boxes = changeBoxes(total);
        QTEST(boxes.refund, "refund");
        QTEST((QStringList{boxes.texts[0], boxes.texts[1], boxes.texts[2], boxes.texts[3]}), "texts");
    }

    // The total stored must be the sum of the lines stored: a total left on screen over emptied lines is refused.
    void totalMustBeSumOfLines_data()
    {
        QTest::addColumn<QStringList>("amounts"); // lines 1, 2, ...
        QTest::addColumn<QString>("total");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("sum") << QStringList{"300", "180"} << "480" << true;
        QTest::newRow("lines emptied, total left") << QStringList{"", ""} << "480" << false;
        QTest::newRow("one line emptied") << QStringList{"300", ""} << "480" << false;
        QTest::newRow("one yen off") << QStringList{"300", "180"} << "481" << false;
        QTest::newRow("nothing at all") << QStringList{} << "0" << true;
        QTest::newRow("empty total, no lines") << QStringList{} << "" << true;
        QTest::newRow("fractions as shown") << QStringList{"0.1", "0.2"} << "0.3" << true;
        QTest::newRow("returns") << QStringList{"300", "-300"} << "0" << true;
        // clang-format off
        QTest::newRow("amount on the last line") << QStringList{"", "", "", "", "", "", "", "", "", "5"} << "0" << false;
        // clang-format on
    }
    void totalMustBeSumOfLines()
    {
        QFETCH(QStringList, amounts);
        QFETCH(QString, total);
        QFETCH(bool, accepted);
        EntryTexts entry;
        entry.slipNo = QStringLiteral("1");
        for (int k = 1; k <= amounts.size(); ++k)
            entry.line[k].amount = amounts[k - 1];
        entry.total = total;
        SalesSlipRecord slip;
        slip.Date = QStringLiteral("untouched");
        QList<StockChange> taken;
        const Result r = buildSlip(entry, true, slip, taken);
        QCOMPARE(r.ok, accepted);
        if (!accepted) {
            QVERIFY2(r.error.contains(QStringLiteral("合わない")), qPrintable(r.error));
            QCOMPARE(slip.Date, QStringLiteral("untouched"));
        }
    }

    // The typed quantity leaves the shelf; the slip stores it rounded half to even.
    // The amount tendered as the cashier types it: the change beside it, and a save refused when it is short.
    void payment_data()
    {
        QTest::addColumn<QString>("qty");
        QTest::addColumn<int>("method");
        QTest::addColumn<QString>("tendered");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<double>("storedTendered");
        // The entry totals 600 (product 9 x 2 at 300); a return of one, -300, needs no more tendered than nothing.
        // clang-format off
        QTest::newRow("cash, none typed") << "2" << 0 << "" << "" << true << 0.0;
        QTest::newRow("cash with change") << "2" << 0 << "10000" << "9,400" << true << 10000.0;
        QTest::newRow("cash, exact") << "2" << 0 << "600" << "0" << true << 600.0;
        QTest::newRow("cash, one yen short") << "2" << 0 << "599" << "-1" << false << 0.0;
        QTest::newRow("cash, zero typed") << "2" << 0 << "0" << "-600" << false << 0.0;
        QTest::newRow("cash, not digits") << "2" << 0 << "1e9" << "999,999,400" << false << 0.0;
        QTest::newRow("cash, nine digits") << "2" << 0 << "100000000" << "99,999,400" << false << 0.0;
        QTest::newRow("card ignores tendered") << "2" << 1 << "10" << "" << true << 0.0;
        QTest::newRow("QR") << "2" << 3 << "" << "" << true << 0.0;
        QTest::newRow("return, zero typed") << "-1" << 0 << "0" << "300" << true << 0.0;
        // clang-format on
    }
    void payment()
    {
        QFETCH(QString, qty);
        QFETCH(int, method);
        QFETCH(QString, tendered);
        QFETCH(bool, saved);
        EntryTexts entry = entryOf(1, 9, qty, QStringLiteral("300"));
        entry.method = PaymentMethod(method);
        entry.tendered = tendered;
        QTEST(changeDueText(entry.method, tendered, val(entry.total)), "change");
        SalesSlipRecord slip;
        QList<StockChange> taken;
        const Result r = buildSlip(entry, true, slip, taken);
        QCOMPARE(r.ok, saved);
        if (!saved) {
            QVERIFY(r.error.contains(QStringLiteral("お預り")));
            QVERIFY(!slip.Payment.present); // left untouched
            return;
        }
        QVERIFY(slip.Payment.present);
        QCOMPARE(int(slip.Payment.method), method);
        QTEST(slip.Payment.tendered, "storedTendered");
    }

    void fractionalQuantity_data()
    {
        QTest::addColumn<QString>("qty");
        QTest::addColumn<int>("stored");
        QTest::newRow("1.5") << "1.5" << 2;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("-0.5") << "-0.5" << 0;
    }
    void fractionalQuantity()
    {
        QFETCH(QString, qty);
        QFETCH(int, stored);
        SalesSlipRecord slip;
        QList<StockChange> taken;
        QVERIFY(buildSlip(entryOf(1, 9, qty, QStringLiteral("300")), true, slip, taken));
        QCOMPARE(int(slip.Line[1].Qty), stored);
        QCOMPARE(slip.Line[1].Amount, 300 * val(qty));
        // What leaves the shelf is what the stored slip gives back when it is corrected or deleted.
        QCOMPARE(stockTaken(taken, 400), -2.0 * stored);
        QCOMPARE(stockTaken(taken, 1), -0.5 * stored);
        StockRestoreTable back{};
        addStockTaken(slip, back);
        QCOMPARE(back[400] + stockTaken(taken, 400), 0.0);
        QCOMPARE(back[1] + stockTaken(taken, 1), 0.0);
    }

    // The slip number box shows one past the slip saved last only while that save's last writes are pending.
    void nextSlipNumberShown_data()
    {
        QTest::addColumn<qint64>("lastSaved");
        QTest::addColumn<bool>("pending"); // the journal of a save not yet completed is there
        QTest::addColumn<QString>("shown");
        QTest::newRow("saved, complete") << qint64(5) << false << "6";
        QTest::newRow("saved, pending") << qint64(6) << true << "7";
        QTest::newRow("saved, complete, no journal") << qint64(6) << false << "6";
        QTest::newRow("older save, another pending") << qint64(4) << true << "6";
    }
    void nextSlipNumberShown()
    {
        QFETCH(qint64, lastSaved);
        QFETCH(bool, pending);
        SysNum[Sys::NextSalesSlipNo] = 6;
        if (pending) {
            QFile journal(JournalPath());
            QVERIFY(journal.open(QIODevice::WriteOnly));
        }
        QTEST(nextSlipNoText(lastSaved), "shown");
    }

    // A recalled slip shows the weather it was saved with, from its blank-padded stored name.
    void weatherFromStoredName()
    {
        const QStringList names{"晴れ", "雨", "曇り", "雪", "台風"};
        for (int code = 1; code <= 5; ++code) {
            QCOMPARE(weatherName(code), names[code - 1]);
            QCOMPARE(weatherCode(names[code - 1].leftJustified(20, u' ')), code);
        }
        QCOMPARE(weatherName(0), QString());
        QCOMPARE(weatherName(6), QString());
        QCOMPARE(weatherCode(QStringLiteral("曇")), 0);
    }

    // A line whose code is no entry of the product table takes no stock; the first product takes its own.
    void stockTakenByCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("changes");
        QTest::newRow("negative") << "-32768" << 2;
        QTest::newRow("past the table") << "1001" << 2;
        QTest::newRow("first product") << "1" << 3;
        QTest::newRow("no code") << "" << 2;
    }
    void stockTakenByCode()
    {
        QFETCH(QString, code);
        QFETCH(int, changes);
        setProduct(1, QStringLiteral("単品"), 100, {{2, 1}});
        ProductTable[0].Slot[1].ComponentItemNo = 400;
        ProductTable[0].Slot[1].ComponentQty = 1;
        EntryTexts entry = entryOf(1, 9, QStringLiteral("1"), QStringLiteral("300"));
        entry.line[2] = {code, QStringLiteral("手入力"), QStringLiteral("100"), QStringLiteral("1"),
                         QStringLiteral("100")};
        entry.total = QStringLiteral("400");
        SalesSlipRecord slip;
        QList<StockChange> taken;
        QVERIFY(buildSlip(entry, true, slip, taken));
        QCOMPARE(int(slip.Line[2].ProductNo), int(val(code)));
        QCOMPARE(taken.size(), changes); // product 9 takes two items
        // Taken back on a correction or deletion, the same: entry 0, never a product, gives nothing back either.
        StockRestoreTable back{};
        addStockTaken(slip, back);
        QCOMPARE(back[400], -stockTaken(taken, 400));
        QCOMPARE(back[2], -stockTaken(taken, 2));
        ClearProduct(0);
    }

    // A save refused for its entry writes no slip, no counter and no stock.
    void refusedSaveWritesNothing_data()
    {
        QTest::addColumn<bool>("correction");
        QTest::addColumn<QString>("slipNo");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("total off the lines") << false << "1" << "601" << "合わない";
        QTest::newRow("slip number beyond 32 bits") << false << "2147483648" << "600" << "伝票番号が大きすぎます";
        QTest::newRow("correction of slip 0") << true << "0" << "600" << "伝票番号 0 には保存できません";
        QTest::newRow("correction of a negative slip") << true << "-1" << "600" << "伝票番号 -1 には";
        // clang-format on
    }
    void refusedSaveWritesNothing()
    {
        QFETCH(bool, correction);
        QFETCH(QString, slipNo);
        QFETCH(QString, total);
        QFETCH(QString, message);
        EntryTexts entry = entryOf(1, 9, QStringLiteral("2"), QStringLiteral("300"));
        entry.slipNo = slipNo;
        entry.total = total;
        const double next = SysNum[Sys::NextSalesSlipNo];
        StockRestoreTable restore{};
        restore[1] = 4; // what a recalled slip gave back stays to be given back
        const SaveOutcome out = saveSale(entry, correction, restore);
        QVERIFY(!out.saved);
        QVERIFY2(out.error.contains(message), qPrintable(out.error));
        QCOMPARE(restore[1], 4.0);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], next);
        QCOMPARE(m_dir->bytes(QStringLiteral("reg.dat")).size(), 0);
        QCOMPARE(storedStock(400), 10.0);
        QCOMPARE(storedStock(1), 10.0);
    }

    // A set of item 400 and item 1, sold, corrected and deleted; the stock file shows every step.
    void soldCorrectedDeleted()
    {
        StockRestoreTable restore{};
        SaveOutcome saved = saveSale(entryOf(2, 9, QStringLiteral("3"), QStringLiteral("300")), false, restore);
        QVERIFY2(saved.saved && saved.error.isEmpty(), qPrintable(saved.error));
        QCOMPARE(saved.slipNo, qint64(1));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
        QCOMPARE(storedStock(400), 10.0 - 12);
        QCOMPARE(storedStock(1), 10.0 - 3);

        // Correction: what the stored slip took comes back, what the new lines take goes out.
        addStockTaken(ReadSalesSlip(1).value, restore);
        QCOMPARE(restore[400], 12.0);
        QCOMPARE(restore[1], 3.0);
        QCOMPARE(restore[2], 0.0);
        saved = saveSale(entryOf(1, 9, QStringLiteral("1"), QStringLiteral("300")), true, restore);
        QVERIFY2(saved.saved && saved.error.isEmpty(), qPrintable(saved.error));
        QCOMPARE(saved.slipNo, qint64(1));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
        QCOMPARE(restore[400], 0.0);
        QCOMPARE(storedStock(400), 10.0 - 2);
        QCOMPARE(storedStock(1), 10.0 - 0.5);

        addStockTaken(ReadSalesSlip(1).value, restore);
        QVERIFY(deleteSale(1, restore).saved);
        QCOMPARE(restore[400], 0.0);
        QCOMPARE(storedStock(400), 10.0);
        QCOMPARE(storedStock(1), 10.0);
        const QByteArray r = record(m_dir->bytes(QStringLiteral("reg.dat")), 1, Off::Sales::Size);
        QCOMPARE(i16(r, Off::Sales::Deleted), int16_t(1));
        QCOMPARE(i16(r, Off::Sales::line(1) + Off::Line::ProductNo), int16_t(9));
        QCOMPARE(i16(r, Off::Sales::line(2) + Off::Line::ProductNo), int16_t(0));
    }

    // A component outside 1 to 400 changes no stock, and taking stock back skips it too; the last entry
    // of the table takes its stock like any other.
    void componentOutsideItemsIgnored()
    {
        setProduct(1000, QStringLiteral("壊れた組"), 100, {{401, 1}, {0, 5}, {400, 1}});
        SalesSlipRecord slip;
        QList<StockChange> taken;
        QVERIFY(buildSlip(entryOf(1, 1000, QStringLiteral("2"), QStringLiteral("100")), false, slip, taken));
        StockRestoreTable restore{};
        addStockTaken(slip, restore);
        QCOMPARE(restore[400], 2.0);
        QVERIFY(ApplyStockChanges(taken));
        QCOMPARE(storedStock(400), 8.0);
        QCOMPARE(slip.Tax, 0.0); // the tax switch was off
    }
};

QTEST_MAIN(TestSlipEntry)
#include "tst_slipentry.moc"
