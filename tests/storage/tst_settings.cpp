// sys.ini: exact bytes written, the tolerant reader, refusal of bad files, and safe replacement.
#include "storage/settings.h"
#include "testutil.h"

#include <QDir>
#include <QtTest>
#include <limits>

class TestSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void writesExactBytes();
    void roundTripKeepsAwkwardTexts();
    void tolerantReader_data();
    void tolerantReader();
    void refusesBadFiles_data();
    void refusesBadFiles();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void shippedFileHasFreshValues();
};

void TestSettings::writesExactBytes()
{
    TestAppDir dir;
    SysNum[11] = 0.05;
    SysNum[20] = -3;
    SysNum[21] = -0.0; // zero, however it was reached
    SysStr[1] = QStringLiteral("髙橋①～");
    QVERIFY(SaveSettings().ok);
    const QByteArray bytes = dir.bytes(QStringLiteral("sys.ini"));
    const QList<QByteArray> lines = bytes.split('\n');
    QCOMPARE(lines.size(), 101); // 100 lines, each ended by CR LF
    QVERIFY(lines.last().isEmpty());
    QCOMPARE(lines[1], QByteArray("1\r"));
    QCOMPARE(lines[10], QByteArray("0.05\r"));
    QCOMPARE(lines[19], QByteArray("-3\r"));
    QCOMPARE(lines[20], QByteArray("0\r"));
    QCOMPARE(lines[50], QByteArray("\"\xFB\xFC\x8B\xB4\x87\x40\x81\x60\"\r"));
    QCOMPARE(lines[99], QByteArray("\"\"\r"));
}

void TestSettings::roundTripKeepsAwkwardTexts()
{
    TestAppDir dir;
    for (int i = 1; i <= 50; ++i)
        SysNum[i] = i <= 7 ? i * 3 : i * 1.25 - 20;
    // Numbers that 15 significant digits would change, or write as "inf".
    SysNum[20] = 1.0 / 3;
    SysNum[21] = 0.1 + 0.2;
    SysNum[30] = std::numeric_limits<double>::max();
    SysNum[31] = -std::numeric_limits<double>::max();
    SysNum[32] = std::numeric_limits<double>::denorm_min();
    SysNum[33] = 123456789012345678.0;
    SysStr[2] = QStringLiteral("パン, 菓子");
    SysStr[3] = QStringLiteral("  blanks kept  ");
    SysStr[30] = QStringLiteral("残しておく値");
    double numbers[51];
    QString texts[51];
    std::copy(SysNum, SysNum + 51, numbers);
    std::copy(SysStr, SysStr + 51, texts);
    QVERIFY(SaveSettings().ok);
    for (int i = 1; i <= 50; ++i) {
        SysNum[i] = 0;
        SysStr[i].clear();
    }
    QVERIFY(LoadSettings().ok);
    for (int i = 1; i <= 50; ++i) {
        QCOMPARE(SysNum[i], numbers[i]);
        QCOMPARE(SysStr[i], texts[i]);
    }
}

void TestSettings::tolerantReader_data()
{
    QTest::addColumn<QByteArray>("numbers"); // the 50 number values as they stand in the file
    QTest::addColumn<QByteArray>("texts");
    QTest::addColumn<double>("rate");   // SysNum[11] read back
    QTest::addColumn<QString>("first"); // SysStr[1]; SysStr[2] always reads "t2"

    QByteArray numbers;
    for (int i = 1; i <= 50; ++i)
        numbers += (i == 11 ? QByteArray(".05") : QByteArray::number(i)) + "\r\n";
    QByteArray texts;
    for (int i = 1; i <= 50; ++i)
        texts += "\"t" + QByteArray::number(i) + "\"\r\n";

    QTest::newRow("no zero before the period") << numbers << texts << 0.05 << "t1";
    QByteArray exponent = numbers;
    exponent.replace("\r\n.05\r\n", "\r\n5E-02\r\n");
    QTest::newRow("exponent") << exponent << texts << 0.05 << "t1";
    QByteArray commas;
    for (int i = 1; i <= 50; ++i)
        commas += (i == 11 ? QByteArray("0.08") : QByteArray::number(i)) + (i % 10 ? "," : "\r\n");
    QTest::newRow("values on one line, commas") << commas << texts << 0.08 << "t1";
    QByteArray quoteInside = texts;
    quoteInside.replace("\"t1\"", "\"ab\"cd\"");
    QTest::newRow("quote ends the text, rest skipped") << numbers << quoteInside << 0.05 << "ab";
    QByteArray commaInside = texts;
    commaInside.replace("\"t1\"", "\"a,b\"");
    QTest::newRow("comma inside a text") << numbers << commaInside << 0.05 << "a,b";
    QByteArray lfOnly = numbers + texts;
    lfOnly.replace("\r\n", "\n");
    QTest::newRow("LF line ends") << lfOnly << QByteArray() << 0.05 << "t1";
    QByteArray blanks = numbers;
    blanks.replace("\r\n.05\r\n", "\r\n   .05\r\n");
    QTest::newRow("blanks before a value") << blanks << texts << 0.05 << "t1";
    QByteArray trailing = numbers;
    trailing.replace("\r\n.05\r\n", "\r\n.05   \r\n");
    QByteArray paddedText = texts;
    paddedText.replace("\"t1\"", "\"t1  \"  ");
    QTest::newRow("blanks after a value") << trailing << paddedText << 0.05 << "t1  ";
    // Empty lines carry no value, wherever they stand, blanks or tabs on them included.
    QByteArray emptyLines = "\r\n \t\n" + numbers;
    emptyLines.replace("\r\n.05\r\n", "\r\n\r\n\t \r\n.05\r\n\n");
    QTest::newRow("empty lines") << emptyLines << "\r\n" + texts << 0.05 << "t1";
}

void TestSettings::tolerantReader()
{
    QFETCH(QByteArray, numbers);
    QFETCH(QByteArray, texts);
    QFETCH(double, rate);
    QFETCH(QString, first);
    TestAppDir dir;
    dir.writeBytes(QStringLiteral("sys.ini"), numbers + texts);
    const Result r = LoadSettings();
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(SysNum[11], rate);
    QCOMPARE(SysNum[50], 50.0);
    QCOMPARE(SysStr[1], first);
    QCOMPARE(SysStr[2], QStringLiteral("t2"));
    QCOMPARE(SysStr[50], QStringLiteral("t50"));
}

void TestSettings::refusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QString>("reason");
    QByteArray good;
    for (int i = 1; i <= 50; ++i)
        good += "1\r\n";
    QByteArray texts;
    for (int i = 1; i <= 50; ++i)
        texts += "\"x\"\r\n";
    QTest::newRow("missing") << QByteArray() << false << "ファイルがありません";
    QTest::newRow("a folder in its place") << QByteArray("folder") << true << "directory";
    QTest::newRow("empty") << QByteArray() << true << "数値が 0 個しかありません";
    QTest::newRow("only numbers") << good << true << "文字列が 0 個しかありません";
    QTest::newRow("49 texts") << good + texts.left(texts.size() - 5) << true << "文字列が 49 個しかありません";
    // Text 10's quote is never closed: it runs to the end of the file, leaving no texts after it.
    QTest::newRow("a text left open") << good + texts.left(9 * 5) + "\"x\r\n" +
                                             QByteArray(40, 'x').replace("x", "x\r\n")
                                      << true << "文字列が 10 個しかありません";
    QByteArray word = good;
    word.replace(6, 1, "x");
    QTest::newRow("number line not a number") << word + texts << true << "3 行目「x」は数値ではありません";
    // Numbers the program cannot use, in the file as shipped otherwise.
    const QList<QByteArray> shipped = TestAppDir().bytes(QStringLiteral("sys.ini")).split('\n');
    const auto withLine = [&](int line, const QByteArray& value) {
        QList<QByteArray> lines = shipped;
        lines[line - 1] = value + '\r';
        QTest::addRow("line %d: %s", line, value.constData())
            << lines.join('\n') << true << QStringLiteral("%1 行目「%2」").arg(line).arg(QString::fromLatin1(value));
    };
    withLine(2, "1.5");        // a fractional next slip number
    withLine(2, "1e308");      // a next slip number beyond 32 bits
    withLine(4, "0");          // next slip number 0
    withLine(4, "2147483648"); // beyond the highest slip number
    withLine(6, "-1");         // a negative record count
    withLine(5, "400.5");      // a fractional record count
    withLine(30, "1e999");     // beyond a double, though the line means nothing
}

void TestSettings::refusesBadFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, present);
    QFETCH(QString, reason);
    TestAppDir dir;
    QFile::remove(dir.file(QStringLiteral("sys.ini")));
    if (content == "folder")
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sys.ini")));
    else if (present)
        dir.writeBytes(QStringLiteral("sys.ini"), content);
    SysNum[2] = 77;
    const Result r = LoadSettings();
    QVERIFY(!r.ok);
    QVERIFY(r.error.contains(QStringLiteral("sys.ini")));
    QVERIFY2(r.error.contains(reason), qPrintable(r.error));
    QCOMPARE(SysNum[2], 77.0);                                             // the tables stay as they were
    QCOMPARE(QFile::exists(dir.file(QStringLiteral("sys.ini"))), present); // never created
}

// A save that fails or would write what the reader refuses at the next start leaves the old file, and says why.
void TestSettings::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("reason");
    QTest::newRow("infinity") << 11 << std::numeric_limits<double>::infinity() << "11 行目";
    QTest::newRow("minus infinity") << 11 << -std::numeric_limits<double>::infinity() << "11 行目";
    QTest::newRow("NaN in the last setting") << 50 << std::numeric_limits<double>::quiet_NaN() << "50 行目";
    QTest::newRow("fractional next slip number") << 2 << 6.5 << "2 行目「6.5」";
    QTest::newRow("next slip number 0") << 4 << 0.0 << "4 行目「0」";
    QTest::newRow("negative sales record count") << 1 << -1.0 << "1 行目「-1」";
    QTest::newRow("negative supplier count") << 7 << -1.0 << "7 行目「-1」";
    QTest::newRow("a fraction beyond the counts is kept") << 8 << 0.5 << "";
    QTest::newRow("no room beside the old file") << 2 << 5000.0 << "sys.ini を保存できません";
}

void TestSettings::failedSaveKeepsOldFile()
{
    QFETCH(int, index);
    QFETCH(double, value);
    QFETCH(QString, reason);
    TestAppDir dir;
    const QByteArray before = dir.bytes(QStringLiteral("sys.ini"));
    if (QTest::currentDataTag() == QByteArray("no room beside the old file"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sys.ini.new")));
    SysNum[index] = value;
    const Result r = SaveSettings();
    QVERIFY(LoadSettings().ok);
    if (reason.isEmpty()) {
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(SysNum[index], value);
        return;
    }
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(reason), qPrintable(r.error));
    QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), before);
}

void TestSettings::shippedFileHasFreshValues()
{
    TestAppDir dir;
    QFile::remove(dir.file(QStringLiteral("sys.ini")));
    QVERIFY(QFile::copy(qEnvironmentVariable("TILL_SOURCE_DIR") + QStringLiteral("/data/sys.ini"),
                        dir.file(QStringLiteral("sys.ini"))));
    const QByteArray shipped = dir.bytes(QStringLiteral("sys.ini"));
    QVERIFY(LoadSettings().ok);
    QCOMPARE((QList<double>{SysNum[2], SysNum[4], SysNum[5], SysNum[6], SysNum[7], SysNum[11], SysNum[16]}),
             (QList<double>{1, 1, 400, 400, 100, 0.1, 1}));
    for (int g = 1; g <= 4; ++g)
        QVERIFY(!SysStr[g].isEmpty());
    // Our own writer produces the shipped file byte for byte.
    QVERIFY(SaveSettings().ok);
    QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), shipped);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
