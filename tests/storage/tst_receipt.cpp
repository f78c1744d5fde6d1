// A receipt's content from stored slips: lines, the reduced-rate mark and legend, the per-rate figures.
#include "storage/products.h"
#include "storage/receipt.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/tax.h"

#include <QtTest>

namespace {

SalesSlipRecord slipOf(const QList<std::tuple<int, QString, int, int>>& lines)
{
    SalesSlipRecord s;
    s.Date = QStringLiteral("2026/12/05");
    s.Time = QStringLiteral("14:03:22");
    s.SlipNo = 123;
    int k = 1;
    for (const auto& [no, name, qty, price] : lines) {
        s.Line[k].ProductNo = int16_t(no);
        s.Line[k].ProductName = name;
        s.Line[k].Qty = int16_t(qty);
        s.Line[k].UnitPrice = int16_t(price);
        s.Line[k].Amount = qty * price;
        s.Total += qty * price;
        ++k;
    }
    s.Subtotal = s.Total;
    return s;
}

QStringList texts(const Receipt& r)
{
    QStringList out;
    for (const ReceiptRow& row : r.rows())
        out << (row.right.isEmpty() ? row.left : row.left + u'|' + row.right);
    return out;
}

const ShopDetails Shop{QStringLiteral("やおや"), QStringLiteral("東京都千代田区1-1"), QStringLiteral("03-1234-5678"),
                       QStringLiteral("T1234567890123")};

// The rate figures as the register stores them, all lines at the reduced rate or none.
void putRates(SalesSlipRecord& s, int reducedLines, double tax)
{
    SlipRates rates;
    rates.present = true;
    rates.reducedLines = uint16_t(reducedLines);
    (reducedLines ? rates.reduced : rates.standard) = {220, tax, 0};
    rates.standard.rate = 0.1;
    rates.reduced.rate = 0.08;
    PutSlipRates(s.Raw.data(), rates);
    s.Tax = tax;
}

void pay(SalesSlipRecord& s, int method, double tendered)
{
    PutSlipPayment(s.Raw.data(), {true, PaymentMethod(method), tendered});
    s.Payment = GetSlipPayment(s.Raw.data());
}

// Line 1 of 110 at the standard rate and line 2 of 110 at the reduced rate, saved with the tax switch off.
void savedWithoutTax(SalesSlipRecord& s)
{
    SysNum[Sys::TaxRate] = 0.1;
    SysNum[Sys::ReducedTaxRate] = 0.08;
    ProductTable[2].Reduced = 1;
    s = slipOf({{1, QStringLiteral("a"), 1, 110}, {2, QStringLiteral("b"), 1, 110}});
    FillSlipTax(s, false);
    EncodeSalesSlip(s);
    ProductTable[2].Reduced = 0;
    QVERIFY(GetSlipRates(s.Raw.data()).lineReduced(2));
}

using SlipSetUp = void (*)(SalesSlipRecord&);

} // namespace

Q_DECLARE_METATYPE(SlipSetUp)

class TestReceipt : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mixedRates()
    {
        // Lines 2 and 4 to 9 empty; lines 3 and 10 at the reduced rate; the name keeps the blanks the record pads
        // it with.
        QList<std::tuple<int, QString, int, int>> lines(10, {0, QString(), 0, 0});
        lines[0] = {5, QStringLiteral("ビール"), 1, 330};
        lines[2] = {7, QStringLiteral("りんご"), 3, 108};
        lines[9] = {8, QStringLiteral("食パン    "), 1, 216};
        SalesSlipRecord s = slipOf(lines);
        SlipRates rates;
        rates.present = true;
        rates.reducedLines = 0b1000000100;
        rates.standard = {330, 30, 0.1};
        rates.reduced = {540, 40, 0.08};
        PutSlipRates(s.Raw.data(), rates);
        s.Tax = 70;

        const Receipt r = buildReceipt(s, Shop, 0.1, true, false);
        QCOMPARE(r.items.size(), 3);
        QVERIFY(!r.items[0].reduced);
        QVERIFY(r.items[1].reduced);
        QCOMPARE(r.items[2].name, QStringLiteral("食パン"));
        const QStringList t = texts(r);
        QCOMPARE(t.mid(0, 5), (QStringList{QStringLiteral("やおや"), QStringLiteral("東京都千代田区1-1"),
                                           QStringLiteral("TEL 03-1234-5678"),
                                           QStringLiteral("登録番号 T1234567890123"), QStringLiteral("領収書")}));
        QVERIFY(t.contains(QStringLiteral("2026/12/05 14:03:22|No.123")));
        QVERIFY(t.contains(QStringLiteral("ビール")));
        QVERIFY(t.contains(QStringLiteral("※りんご")));
        QVERIFY(t.contains(QStringLiteral("　3 × ¥108|¥324")));
        QVERIFY(t.contains(QStringLiteral("合計|¥870")));
        // Per rate the total and the tax contained in it, standard first, then the legend of the mark.
        const qsizetype at = t.indexOf(QStringLiteral("10%対象|¥330"));
        QVERIFY(at > 0);
        QCOMPARE(t.mid(at, 5), (QStringList{QStringLiteral("10%対象|¥330"), QStringLiteral("　内消費税|¥30"),
                                            QStringLiteral("8%対象|¥540"), QStringLiteral("　内消費税|¥40"),
                                            QStringLiteral("※は軽減税率（8%）対象商品です")}));
        QVERIFY(!t.contains(QStringLiteral("＊ 再発行 ＊")));
    }

    // What follows the total of a slip of 2 x 110: the payment (cash with an amount tendered also that amount and
    // the change; a slip from before payments were stored reads as cash), per rate the total and the tax stored
    // (a slip from before the reduced rate is all at the standard rate with the tax it stored), and the legend of
    // the reduced-rate mark, which shows with a marked line and never without one.
    void rowsAfterTotal_data()
    {
        QTest::addColumn<SlipSetUp>("setUp");
        QTest::addColumn<bool>("taxInUse");
        QTest::addColumn<QStringList>("rows");
        const QString cash = QStringLiteral("お支払|現金");
        const QStringList standard{cash, "10%対象|¥220", "　内消費税|¥20"};
        // clang-format off
        QTest::newRow("older slip") << +[](SalesSlipRecord& s) { s.Tax = 20; } << true << standard;
        QTest::newRow("older slip, tax off") << +[](SalesSlipRecord&) {} << false << QStringList{cash};
        QTest::newRow("all reduced") << +[](SalesSlipRecord& s) { putRates(s, 1, 16); } << true << QStringList{cash, "8%対象|¥220", "　内消費税|¥16", "※は軽減税率（8%）対象商品です"};
        QTest::newRow("all standard") << +[](SalesSlipRecord& s) { putRates(s, 0, 20); } << true << standard;
        QTest::newRow("cash, nothing typed") << +[](SalesSlipRecord& s) { pay(s, 0, 0); } << false << QStringList{cash};
        QTest::newRow("cash with change") << +[](SalesSlipRecord& s) { pay(s, 0, 1000); } << false << QStringList{cash, "お預り|¥1,000", "お釣り|¥780"};
        QTest::newRow("cash, exact") << +[](SalesSlipRecord& s) { pay(s, 0, 220); } << false << QStringList{cash, "お預り|¥220", "お釣り|¥0"};
        QTest::newRow("card") << +[](SalesSlipRecord& s) { pay(s, 1, 0); } << false << QStringList{"お支払|クレジット"};
        QTest::newRow("e-money") << +[](SalesSlipRecord& s) { pay(s, 2, 0); } << false << QStringList{"お支払|電子マネー"};
        QTest::newRow("QR") << +[](SalesSlipRecord& s) { pay(s, 3, 0); } << false << QStringList{"お支払|QRコード決済"};
        // The register stores each rate's figures at rate 0 while no tax is in use: nothing charged, nothing marked.
        QTest::newRow("saved without tax") << +[](SalesSlipRecord& s) { savedWithoutTax(s); } << false << QStringList{cash};
        // clang-format on
    }
    void rowsAfterTotal()
    {
        QFETCH(SlipSetUp, setUp);
        QFETCH(bool, taxInUse);
        QFETCH(QStringList, rows);
        SalesSlipRecord s = slipOf({{1, QStringLiteral("a"), 2, 110}});
        setUp(s);
        const QStringList t = texts(buildReceipt(s, Shop, 0.1, taxInUse, false));
        const qsizetype total = t.indexOf(QStringLiteral("合計|¥220"));
        QVERIFY(total > 0);
        QCOMPARE(t.mid(total + 1), rows);
        QCOMPARE(t.join(u'\n').contains(u'※'), rows.last().startsWith(u'※'));
    }

    // Amounts on the receipt read as money: ¥ and the thousands grouped.
    void amountsGroupThousands()
    {
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::ReducedTaxRate] = 0;
        SalesSlipRecord s = slipOf({{1, QStringLiteral("ケーキ"), 4, 1090}, {2, QStringLiteral("パン"), 1, 220}});
        FillSlipTax(s, true);
        EncodeSalesSlip(s);
        const QStringList t = texts(buildReceipt(s, Shop, 0.1, true, false));
        QVERIFY2(t.contains(QStringLiteral("　4 × ¥1,090|¥4,360")), qPrintable(t.join(u'\n')));
        QVERIFY2(t.contains(QStringLiteral("合計|¥4,580")), qPrintable(t.join(u'\n')));
        QCOMPARE(yen(1234567), QStringLiteral("¥1,234,567"));
        QCOMPARE(yen(-2180), QStringLiteral("¥-2,180"));
    }

    void emptyShopDetailsAndReissue()
    {
        const QStringList t = texts(buildReceipt(slipOf({{1, QStringLiteral("a"), 1, 100}}), {}, 0.1, true, true));
        QCOMPARE(t.first(), QStringLiteral("領収書"));
        QCOMPARE(t.value(1), QStringLiteral("＊ 再発行 ＊"));
        for (const QString& row : t)
            QVERIFY2(!row.startsWith(QStringLiteral("TEL")) && !row.startsWith(QStringLiteral("登録番号")),
                     qPrintable(row));
    }

    void registrationNo_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("T and 13 digits") << "T1234567890123" << true;
        QTest::newRow("12 digits") << "T123456789012" << false;
        QTest::newRow("14 digits") << "T12345678901234" << false;
        QTest::newRow("no T") << "1234567890123" << false;
        QTest::newRow("lower t") << "t1234567890123" << false;
        QTest::newRow("hyphen") << "T1234-67890123" << false;
        QTest::newRow("full-width digits") << "T１２３４５６７８９０１２３" << false;
    }
    void registrationNo()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isRegistrationNo(text), valid);
    }
};

QTEST_GUILESS_MAIN(TestReceipt)
#include "tst_receipt.moc"
