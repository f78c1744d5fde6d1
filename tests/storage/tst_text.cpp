// Number reading and display, rounding, and code page 932 fixed-width texts.
#include "storage/text.h"

#include <QtTest>

class TestText : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void readValue_data();
    void readValue();
    void rounding();
    void shownFigures_data();
    void shownFigures();
    void paddingNotShown_data();
    void paddingNotShown();
    void cp932Bytes();
    void fixedWidthCut_data();
    void fixedWidthCut();
    void littleEndianFields();
};

// The lenient reading takes the number a text starts with; the strict one only a text that is one number. A
// number too large for a double is no number: the lenient reading shows it as 0 and says so through valTooLarge.
void TestText::readValue_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");  // as the lenient reading gives it
    QTest::addColumn<bool>("isNumber"); // to the strict reading, which then gives the same value
    QTest::addColumn<bool>("tooLarge");
    // clang-format off
    QTest::newRow("plain") << "450" << 450.0 << true << false;
    QTest::newRow("leading blanks") << "   12" << 12.0 << true << false;
    QTest::newRow("blanks around") << " 12.5 " << 12.5 << true << false;
    QTest::newRow("trailing letters") << "12a" << 12.0 << false << false;
    QTest::newRow("letters only") << "abc" << 0.0 << false << false;
    QTest::newRow("empty") << "" << 0.0 << false << false;
    QTest::newRow("minus alone") << "-" << 0.0 << false << false;
    QTest::newRow("negative") << "-2" << -2.0 << true << false;
    QTest::newRow("negative fraction") << "-.5" << -0.5 << true << false;
    QTest::newRow("no leading zero") << ".05" << 0.05 << true << false;
    QTest::newRow("exponent") << "5E-02" << 0.05 << true << false;
    QTest::newRow("exponent without digits") << "5E" << 5.0 << false << false;
    QTest::newRow("trailing period") << "3." << 3.0 << true << false;
    QTest::newRow("decimal") << "99.5" << 99.5 << true << false;
    QTest::newRow("date year") << "2026/03/07" << 2026.0 << false << false;
    QTest::newRow("leading zero") << "03" << 3.0 << true << false;
    QTest::newRow("inner blank") << "1 000" << 1.0 << false << false;
    QTest::newRow("too large") << "1e999" << 0.0 << false << true;
    QTest::newRow("too large negative, lenient") << "-1e400yen" << 0.0 << false << true;
    QTest::newRow("tiny is zero, not too large") << "1e-999" << 0.0 << true << false;
    // clang-format on
}

void TestText::readValue()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(bool, isNumber);
    QCOMPARE(val(text), value);
    const std::optional<double> v = strictVal(text);
    QCOMPARE(v.has_value(), isNumber);
    if (v)
        QCOMPARE(*v, value);
    QTEST(valTooLarge(text), "tooLarge");
}

void TestText::rounding()
{
    QCOMPARE(roundHalfEven(2.5), 2.0);
    QCOMPARE(roundHalfEven(3.5), 4.0);
    QCOMPARE(roundHalfEven(-2.5), -2.0);
    QCOMPARE(roundMoney(52.5), 53.0);
    QCOMPARE(roundMoney(52.45 + 0.0), 52.0);
    QCOMPARE(roundMoney(-5.25), -5.0);
    QCOMPARE(roundMoney(-4.75 - 0.5 + 0.5), -5.0);
    QVERIFY(fitsInt16(32767.4));
    QVERIFY(fitsInt16(-32768.5)); // rounds to the even -32768
    QVERIFY(!fitsInt16(32767.5)); // rounds to 32768
    QVERIFY(!fitsInt16(-32769));
    QCOMPARE(toInt16(40000), int16_t(32767)); // clamped, never undefined
    QVERIFY(fitsInt32(2147483647));
    QVERIFY(fitsInt32(-2147483648.0));
    QVERIFY(!fitsInt32(2147483647.5)); // rounds to 2147483648
    QVERIFY(!fitsInt32(-2147483649.0));
}

void TestText::cp932Bytes()
{
    // The Windows extensions plain Shift_JIS lacks must keep their code page 932 bytes.
    QCOMPARE(toCp932(u"①"), QByteArray("\x87\x40"));
    QCOMPARE(toCp932(u"～"), QByteArray("\x81\x60"));
    QCOMPARE(toCp932(u"髙"), QByteArray("\xFB\xFC"));
    QCOMPARE(toCp932(u"晴れ"), QByteArray("\x90\xB0\x82\xEA"));
    QCOMPARE(fromCp932(QByteArray("\x87\x40\x81\x60\xFB\xFC")), QStringLiteral("①～髙"));
    QCOMPARE(fromCp932(QByteArray("abc ")), QStringLiteral("abc "));
    // A byte with no character becomes U+FFFD and reading goes on; a lead byte cut off at the end is dropped.
    QCOMPARE(fromCp932(QByteArray("\x90\xB0\xA0\x82\xEA")), QStringLiteral("晴\uFFFDれ"));
    QCOMPARE(fromCp932(QByteArray("a\x90\xB0\x82")), QStringLiteral("a晴"));
    // A character code page 932 has no place for, a surrogate pair too, is one "?".
    QCOMPARE(toCp932(u"晴\U0001F600れ"), QByteArray("\x90\xB0?\x82\xEA"));
}

void TestText::fixedWidthCut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("padded") << "abc" << 6 << QByteArray("abc   ");
    QTest::newRow("cut ascii") << "abcdefgh" << 6 << QByteArray("abcdef");
    QTest::newRow("cut between kanji") << "晴れ晴れ" << 4 << QByteArray("\x90\xB0\x82\xEA");
    QTest::newRow("half kanji dropped") << "a晴れ" << 4 << QByteArray("a\x90\xB0 ");
    QTest::newRow("empty") << "" << 3 << QByteArray("   ");
    // The last lead bytes of each lead range: a cut there must not keep half of the character.
    QTest::newRow("lead 0x9F at the cut") << "ab檗" << 3 << QByteArray("ab ");
    QTest::newRow("lead 0x9F fits") << "ab檗" << 4 << QByteArray("ab\x9F\x40");
    QTest::newRow("lead 0xFC at the cut") << "a髜" << 2 << QByteArray("a ");
    QTest::newRow("lead 0xFC fits") << "a髜" << 3 << QByteArray("a\xFC\x40");
    QTest::newRow("trail byte 0xFC not a lead") << "滌a" << 3 << QByteArray("\x9F\xFC" "a");
}

void TestText::fixedWidthCut()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QByteArray, bytes);
    QCOMPARE(fixedText(text, width), bytes);
}

void TestText::littleEndianFields()
{
    char buf[8] = {};
    putInt16(buf, -32768);
    QCOMPARE(QByteArray(buf, 2), QByteArray("\x00\x80", 2));
    QCOMPARE(getInt16(buf), int16_t(-32768));
    putInt32(buf, 250);
    QCOMPARE(QByteArray(buf, 4), QByteArray("\xFA\x00\x00\x00", 4));
    putDouble(buf, 1.0);
    QCOMPARE(QByteArray(buf, 8), QByteArray("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8));
    QCOMPARE(getDouble(buf), 1.0);
}

// Figures stored or written as plain decimals, with no exponent; figures that are only read group their thousands.
// What isFigureText accepts is what a grid aligns right.
void TestText::shownFigures_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("grouped");
    // clang-format off
    QTest::newRow("integer") << 120.0 << "120" << "120";
    QTest::newRow("half") << 37.5 << "37.5" << "37.5";
    QTest::newRow("small") << 0.05 << "0.05" << "0.05";
    QTest::newRow("negative") << -300.0 << "-300" << "-300";
    QTest::newRow("zero") << 0.0 << "0" << "0";
    QTest::newRow("negative zero") << -0.0 << "0" << "0";
    QTest::newRow("sum noise") << 0.1 + 0.2 << "0.3" << "0.3";
    QTest::newRow("large, no exponent") << 1e16 << "10000000000000000" << "10,000,000,000,000,000";
    QTest::newRow("fifteen digits") << 123456789.123456789 << "123456789.123457" << "123,456,789.123457";
    QTest::newRow("tiny, no exponent") << 0.000001 << "0.000001" << "0.000001";
    QTest::newRow("three digits") << 999.0 << "999" << "999";
    QTest::newRow("four digits") << 2180.0 << "2180" << "2,180";
    QTest::newRow("six digits") << 123456.0 << "123456" << "123,456";
    QTest::newRow("seven digits") << 1234567.0 << "1234567" << "1,234,567";
    QTest::newRow("negative four") << -1050.0 << "-1050" << "-1,050";
    QTest::newRow("negative three") << -100.0 << "-100" << "-100";
    QTest::newRow("decimals kept") << 12345.5 << "12345.5" << "12,345.5";
    QTest::newRow("small decimal") << -0.5 << "-0.5" << "-0.5";
    QTest::newRow("beyond 64 bits") << 1e20 << "100000000000000000000" << "100,000,000,000,000,000,000";
    // clang-format on
}

void TestText::shownFigures()
{
    QFETCH(double, value);
    QFETCH(QString, plain);
    QFETCH(QString, grouped);
    QCOMPARE(numText(value), plain);
    QCOMPARE(groupedNumber(value), grouped);
    QVERIFY(isFigureText(grouped));
    QVERIFY(isFigureText(plain));
    QVERIFY(isFigureText(QString(u'¥' + grouped)));
    QCOMPARE(QString(grouped).remove(u','), plain);
}

void TestText::paddingNotShown_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("figure");
    QTest::newRow("padded name") << "さくら養鶏場        " << "さくら養鶏場" << false;
    QTest::newRow("zero bytes") << QStringLiteral("abc") + QChar(0) + QChar(0) << "abc" << false;
    QTest::newRow("inner blank kept") << "さくら 養鶏場  " << "さくら 養鶏場" << false;
    QTest::newRow("leading blank kept") << " 1" << " 1" << true;
    QTest::newRow("full-width blank kept") << "晴れ　 " << "晴れ　" << false;
    QTest::newRow("all blank") << "    " << "" << false;
    QTest::newRow("padded number") << "1050   " << "1050" << true;
    QTest::newRow("date") << "2006/03/07" << "2006/03/07" << false;
    QTest::newRow("time") << "10:00:00" << "10:00:00" << false;
    QTest::newRow("label") << "合計" << "合計" << false;
    QTest::newRow("marked name") << "※パン" << "※パン" << false;
    QTest::newRow("double comma") << "1,,000" << "1,,000" << false;
    QTest::newRow("trailing point") << "12." << "12." << false;
    QTest::newRow("trailing comma") << "12," << "12," << false;
    QTest::newRow("sign only") << "-" << "-" << false;
    QTest::newRow("number then text") << "12a" << "12a" << false;
}

void TestText::paddingNotShown()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(bool, figure);
    QCOMPARE(shownText(stored), shown);
    QCOMPARE(isFigureText(stored), figure);
    // Saving pads again to the same bytes as stored.
    QCOMPARE(fixedText(shownText(stored), 20), fixedText(QString(stored).replace(QChar(0), u' '), 20));
}

QTEST_GUILESS_MAIN(TestText)
#include "tst_text.moc"
