// JAN codes: check digits on real codes, what a typed code reads as, the stored field and the look-up index.
#include "../common/offsets.h"
#include "../common/testutil.h"

#include "storage/changes.h"
#include "storage/initialise.h"
#include "storage/jancode.h"
#include "storage/products.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QtTest>

class TestJanCode : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checkDigitOfNothing()
    {
        QCOMPARE(gs1CheckDigit(u""), -1);
        QCOMPARE(gs1CheckDigit(u"49a"), -1);
    }

    // Codes printed on real goods and in the GS1 examples, each also with its last digit changed, and what a
    // typed code reads as.
    void reading_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("problem"); // a word the message must hold; empty when accepted
        const QString wrong = QStringLiteral("チェックデジット");
        // clang-format off
        QTest::newRow("EAN-13 4006381333931") << "4006381333931" << "4006381333931" << "";
        QTest::newRow("EAN-13 5901234123457") << "5901234123457" << "5901234123457" << "";
        QTest::newRow("ISBN 9780201379624") << "9780201379624" << "9780201379624" << "";
        QTest::newRow("JAN 4901234567894") << "4901234567894" << "4901234567894" << "";
        QTest::newRow("check digit 0") << "4912345678904" << "4912345678904" << "";
        QTest::newRow("EAN-8 96385074") << "96385074" << "96385074" << "";
        QTest::newRow("EAN-8 73513537") << "73513537" << "73513537" << "";
        QTest::newRow("JAN-8 49123456") << "49123456" << "49123456" << "";
        QTest::newRow("in-store 0200000000127") << "0200000000127" << "0200000000127" << "";
        QTest::newRow("wrong 4006381333932") << "4006381333932" << "" << wrong;
        QTest::newRow("wrong 5901234123450") << "5901234123450" << "" << wrong;
        QTest::newRow("wrong 96385075") << "96385075" << "" << wrong;
        QTest::newRow("swapped digits") << "4006383133931" << "" << wrong;
        QTest::newRow("empty is no code") << "" << "" << "";
        QTest::newRow("full-width digits") << "４００６３８１３３３９３１" << "4006381333931" << "";
        QTest::newRow("UPC-A gets its 0") << "036000291452" << "0036000291452" << "";
        QTest::newRow("UPC-A wrong check") << "036000291453" << "" << wrong;
        QTest::newRow("7 digits") << "9638507" << "" << "8 桁か 13 桁";
        QTest::newRow("14 digits") << "40063813339310" << "" << "14 桁";
        QTest::newRow("11 digits") << "40063813339" << "" << "8 桁か 13 桁";
        QTest::newRow("letters") << "49O1234567894" << "" << "数字だけ";
        QTest::newRow("blank inside") << "4006381 333931" << "" << "数字だけ";
        QTest::newRow("line break") << "4006381333931\n" << "" << "数字だけ";
        QTest::newRow("minus") << "-96385074" << "" << "数字だけ";
        // clang-format on
    }
    void inStoreCodes_data()
    {
        QTest::addColumn<int>("product");
        QTest::addColumn<QString>("code");
        QTest::newRow("1") << 1 << "0200000000011";
        QTest::newRow("12") << 12 << "0200000000127";
        QTest::newRow("400") << 400 << "0200000004002";
    }
    void inStoreCodes()
    {
        QFETCH(int, product);
        QFETCH(QString, code);
        QCOMPARE(inStoreCode(product), code);
        QVERIFY(readJanCode(code).ok());
    }

    // The code at offset 392, blank padded, through save, reload, the whole table and a product reset.
    void storedAtItsOffset()
    {
        TestAppDir dir;
        SysNum[Sys::ProductCount] = 3;
        for (int n = 1; n <= 3; ++n)
            ClearProduct(n);
        ProductTable[2].ProductName = QStringLiteral("お茶");
        ProductTable[2].JanCode = QStringLiteral("4901234567894");
        ProductTable[3].JanCode = QStringLiteral("96385074");
        QVERIFY(SaveAllProducts());

        const QByteArray file = dir.bytes("syohin.dat");
        QCOMPARE(file.size(), 3 * Off::Product::Size);
        const QByteArray r2 = file.mid(Off::Product::Size, Off::Product::Size);
        QCOMPARE(r2.mid(392, 13), QByteArray("4901234567894"));
        QCOMPARE(r2.mid(405, 107), QByteArray(107, ' '));
        const QByteArray r3 = file.mid(2 * Off::Product::Size, Off::Product::Size);
        QCOMPARE(r3.mid(392, 120), QByteArray("96385074") + QByteArray(112, ' '));
        QCOMPARE(file.mid(392, 120), QByteArray(120, ' ')); // no code: blanks, as before

        ProductTable[2].JanCode.clear();
        QVERIFY(ReloadProduct(2));
        QCOMPARE(ProductTable[2].JanCode, QStringLiteral("4901234567894"));
        ProductTable[2].SalePrice = 120; // saving one product carries its code
        QVERIFY(SaveProduct(2));
        QVERIFY(LoadProductTable());
        QCOMPARE(ProductTable[2].JanCode, QStringLiteral("4901234567894"));
        QCOMPARE(ProductTable[3].JanCode, QStringLiteral("96385074"));
        QCOMPARE(ProductTable[1].JanCode, QString());

        QVERIFY(ResetProducts(3, {}));
        QCOMPARE(ProductTable[2].JanCode, QString());
        QCOMPARE(dir.bytes("syohin.dat").mid(Off::Product::Size + 392, 120), QByteArray(120, ' '));
    }

    // Bytes an older writer left there are no code, and a save leaves blanks.
    void fieldThatIsNoCode_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("code");
        QTest::newRow("blank") << QByteArray(120, ' ') << "";
        QTest::newRow("zeros") << QByteArray(120, '\0') << "";
        QTest::newRow("code") << QByteArray("73513537").leftJustified(120, ' ') << "73513537";
        QTest::newRow("wrong check digit") << QByteArray("73513538").leftJustified(120, ' ') << "";
        QTest::newRow("12 digits") << QByteArray("036000291452").leftJustified(120, ' ') << "";
        QTest::newRow("text after it") << QByteArray("73513537 x").leftJustified(120, ' ') << "";
        QTest::newRow("leading blank") << QByteArray(" 73513537").leftJustified(120, ' ') << "";
        QTest::newRow("no blank after") << QByteArray("73513537").leftJustified(120, '0') << "";
    }
    void fieldThatIsNoCode()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, code);
        QCOMPARE(decodeJanField(field.constData()), code);
        QByteArray written(120, 'x');
        encodeJanField(written.data(), code);
        QCOMPARE(decodeJanField(written.constData()), code);
        QCOMPARE(written.mid(code.size()), QByteArray(120 - code.size(), ' '));
    }

    // A changed product is found under its new code, and its old code finds nothing.
    void indexFollowsChanges()
    {
        for (int n = 1; n <= MaxProductEntries; ++n)
            ClearProduct(n);
        ProductTable[7].JanCode = QStringLiteral("4006381333931");
        Q_EMIT changes().productsChanged();
        QCOMPARE(janIndex().productFor(QStringLiteral("4006381333931")), 7);
        QCOMPARE(janIndex().productFor(QStringLiteral("5901234123457")), 0);

        ProductTable[7].JanCode = QStringLiteral("5901234123457");
        ProductTable[9].JanCode = QStringLiteral("4006381333931");
        Q_EMIT changes().productsChanged();
        QCOMPARE(janIndex().productFor(QStringLiteral("5901234123457")), 7);
        QCOMPARE(janIndex().productFor(QStringLiteral("4006381333931")), 9);
        // Changed without a notice: a stale entry never sells the wrong product.
        ProductTable[9].JanCode.clear();
        QCOMPARE(janIndex().productFor(QStringLiteral("4006381333931")), 0);

        // Two products with one code (a file written by hand): the lower number sells, as the first one found.
        ProductTable[3].JanCode = QStringLiteral("5901234123457");
        Q_EMIT changes().productsChanged();
        QCOMPARE(janIndex().productFor(QStringLiteral("5901234123457")), 3);
        QCOMPARE(janIndex().productFor(QString()), 0);
        ProductTable[3].JanCode.clear();
        Q_EMIT changes().productsChanged();

        QCOMPARE(janOwner(QStringLiteral("5901234123457"), 1), 7);
        QCOMPARE(janOwner(QStringLiteral("5901234123457"), 7), 0);
        QCOMPARE(janOwner(QString(), 1), 0);
    }

    void digits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("digits");
        QTest::addColumn<QString>("ascii");
        QTest::newRow("ascii") << "0123456789" << true << "0123456789";
        QTest::newRow("full width") << "０１２９" << true << "0129";
        QTest::newRow("mixed") << "1２3" << true << "123";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("letter") << "12a" << false << "12a";
        QTest::newRow("slash and colon") << "/:" << false << "/:";
    }
    void digits()
    {
        QFETCH(QString, text);
        QTEST(allDigits(text), "digits");
        QTEST(asciiDigits(text), "ascii");
    }
};

QTEST_MAIN(TestJanCode)
#include "tst_jancode.moc"
