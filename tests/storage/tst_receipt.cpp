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

} // namespace

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

    void rateRows_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("reducedLines");
        QTest::addColumn<bool>("taxInUse");
        QTest::addColumn<double>("storedTax");
        QTest::addColumn<QStringList>("rateRows");
        // A slip written before the reduced rate: all at the standard rate with the tax it stored.
        QTest::newRow("older slip") << false << 0 << true << 20.0 << QStringList{"10%対象|¥220", "　内消費税|¥20"};
        QTest::newRow("older slip, tax off") << false << 0 << false << 0.0 << QStringList{};
        QTest::newRow("all reduced") << true << 1 << true << 16.0 << QStringList{"8%対象|¥220", "　内消費税|¥16"};
        QTest::newRow("all standard") << true << 0 << true << 20.0 << QStringList{"10%対象|¥220", "　内消費税|¥20"};
    }
    void rateRows()
    {
        QFETCH(bool, present);
        QFETCH(int, reducedLines);
        QFETCH(bool, taxInUse);
        QFETCH(double, storedTax);
        QFETCH(QStringList, rateRows);
        SalesSlipRecord s = slipOf({{1, QStringLiteral("a"), 2, 110}});
        s.Tax = storedTax;
        if (present) {
            SlipRates rates;
            rates.present = true;
            rates.reducedLines = uint16_t(reducedLines);
            if (reducedLines)
                rates.reduced = {220, storedTax, 0.08};
            else
                rates.standard = {220, storedTax, 0.1};
            rates.standard.rate = 0.1;
            rates.reduced.rate = 0.08;
            PutSlipRates(s.Raw.data(), rates);
        }
        const QStringList t = texts(buildReceipt(s, Shop, 0.1, taxInUse, false));
        const qsizetype total = t.indexOf(QStringLiteral("合計|¥220"));
        QVERIFY(total > 0);
        QStringList after = t.mid(total + 1);
        after.removeIf([](const QString& x) { return x.startsWith(u'※') || x.startsWith(QStringLiteral("お支払")); });
        QCOMPARE(after, rateRows);
        QCOMPARE(t.last().startsWith(u'※'), bool(reducedLines));
    }

    // The register stores each rate's figures at rate 0 while no tax is in use: nothing charged, nothing marked.
    void savedWithoutTax()
    {
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::ReducedTaxRate] = 0.08;
        ProductTable[2].Reduced = 1;
        SalesSlipRecord s = slipOf({{1, QStringLiteral("a"), 2, 110}, {2, QStringLiteral("b"), 1, 108}});
        FillSlipTax(s, false);
        EncodeSalesSlip(s);
        ProductTable[2].Reduced = 0;
        QVERIFY(GetSlipRates(s.Raw.data()).lineReduced(2));
        const QStringList t = texts(buildReceipt(s, Shop, 0.1, false, false));
        QCOMPARE(t.mid(t.size() - 2), (QStringList{"合計|¥328", "お支払|現金"}));
        QVERIFY(t.contains(QStringLiteral("b")));
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

    // The method after the total; for cash with an amount tendered also that amount and the change. A slip
    // from before payments were stored reads as cash.
    void payment_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<int>("method");
        QTest::addColumn<double>("tendered");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("older slip") << false << 0 << 0.0 << QStringList{"お支払|現金"};
        QTest::newRow("cash, nothing typed") << true << 0 << 0.0 << QStringList{"お支払|現金"};
        QTest::newRow("cash with change")
            << true << 0 << 1000.0 << QStringList{"お支払|現金", "お預り|¥1,000", "お釣り|¥780"};
        QTest::newRow("cash, exact") << true << 0 << 220.0 << QStringList{"お支払|現金", "お預り|¥220", "お釣り|¥0"};
        QTest::newRow("card") << true << 1 << 0.0 << QStringList{"お支払|クレジット"};
        QTest::newRow("e-money") << true << 2 << 0.0 << QStringList{"お支払|電子マネー"};
        QTest::newRow("QR") << true << 3 << 0.0 << QStringList{"お支払|QRコード決済"};
    }
    void payment()
    {
        QFETCH(bool, present);
        QFETCH(int, method);
        QFETCH(double, tendered);
        QFETCH(QStringList, rows);
        SalesSlipRecord s = slipOf({{1, QStringLiteral("a"), 2, 110}});
        if (present) {
            PutSlipPayment(s.Raw.data(), {true, PaymentMethod(method), tendered});
            s.Payment = GetSlipPayment(s.Raw.data());
        }
        const QStringList t = texts(buildReceipt(s, {}, 0.1, false, false));
        const qsizetype total = t.indexOf(QStringLiteral("合計|¥220"));
        QVERIFY(total > 0);
        QCOMPARE(t.mid(total + 1), rows);
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
