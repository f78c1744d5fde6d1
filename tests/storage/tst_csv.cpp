// CSV bytes as a spreadsheet program on a Japanese desktop reads them, and the file written whole or not at all.
#include "storage/csv.h"
#include "storage/durablefile.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// `count` rows of "new" written to `path`, the progress told to `progress`.
Result writeNew(const QString& path, qsizetype count = 2000, const std::function<bool(qsizetype)>& progress = {})
{
    return writeCsvFile(
        path, count, [](qsizetype) { return QStringList{"new"}; }, progress);
}

using Write = Result (*)(const QString& path);

} // namespace

Q_DECLARE_METATYPE(Write)

class TestCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowBytes_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("bytes");
        // clang-format off
        QTest::newRow("plain") << QStringList{"1", "2026/12/01", "120"} << QByteArray("1,2026/12/01,120\r\n");
        QTest::newRow("empty cells") << QStringList{"", "a", ""} << QByteArray(",a,\r\n");
        QTest::newRow("one empty cell") << QStringList{""} << QByteArray("\r\n");
        QTest::newRow("comma") << QStringList{"a,b", "c"} << QByteArray("\"a,b\",c\r\n");
        QTest::newRow("double quote") << QStringList{"say \"hi\""} << QByteArray("\"say \"\"hi\"\"\"\r\n");
        QTest::newRow("quote alone") << QStringList{"\""} << QByteArray("\"\"\"\"\r\n");
        QTest::newRow("line feed") << QStringList{"a\nb", "c"} << QByteArray("\"a\nb\",c\r\n");
        QTest::newRow("carriage return") << QStringList{"a\rb"} << QByteArray("\"a\rb\"\r\n");
        // The blanks that pad a stored field are dropped; a spreadsheet would keep them and look-ups would fail.
        QTest::newRow("trailing blanks") << QStringList{"ab  ", " 1", "   "} << QByteArray("ab, 1,\r\n");
        QTest::newRow("padded japanese") << QStringList{"りんご      "} << QByteArray::fromHex("82e882f182b20d0a");
        // A text a spreadsheet would run as a formula becomes plain text; numbers stay numbers.
        QTest::newRow("equals") << QStringList{"=1+2"} << QByteArray("'=1+2\r\n");
        QTest::newRow("plus") << QStringList{"+81 3"} << QByteArray("'+81 3\r\n");
        QTest::newRow("minus text") << QStringList{"-cmd"} << QByteArray("'-cmd\r\n");
        QTest::newRow("minus alone") << QStringList{"-"} << QByteArray("'-\r\n");
        QTest::newRow("at") << QStringList{"@SUM(A1)"} << QByteArray("'@SUM(A1)\r\n");
        QTest::newRow("tab") << QStringList{"\tx"} << QByteArray("'\tx\r\n");
        QTest::newRow("carriage return first") << QStringList{"\r=x"} << QByteArray("\"'\r=x\"\r\n");
        QTest::newRow("formula with comma") << QStringList{"=A1,B1"} << QByteArray("\"'=A1,B1\"\r\n");
        QTest::newRow("padded formula") << QStringList{"=HYPERLINK(1)   "} << QByteArray("'=HYPERLINK(1)\r\n");
        QTest::newRow("negative amount") << QStringList{"-120", "-0.5", "3.25"} << QByteArray("-120,-0.5,3.25\r\n");
        QTest::newRow("not quite numbers") << QStringList{"-1.", "-.5", "--1", "-1e5"} << QByteArray("'-1.,'-.5,'--1,'-1e5\r\n");
        QTest::newRow("formula sign inside") << QStringList{"a=b", "1-2"} << QByteArray("a=b,1-2\r\n");
        // 品名 りんご in code page 932.
        QTest::newRow("japanese") << QStringList{"品名", "りんご"} << QByteArray::fromHex("956996bc2c82e882f182b20d0a");
        // 髙 and ① exist only in the Windows extensions of Shift_JIS; ～ is the full-width tilde.
        QTest::newRow("code page 932 only") << QStringList{"髙①", "～"} << QByteArray::fromHex("fbfc87402c81600d0a");
        QTest::newRow("japanese with comma") << QStringList{"売上,りんご"} << QByteArray::fromHex("2294848fe32c82e882f182b2220d0a");
        // A character the code page lacks cannot be read back by the spreadsheet; it becomes "?".
        QTest::newRow("not in code page") << QStringList{QStringLiteral("a\U0001F34Eb")} << QByteArray("a?b\r\n");
        // clang-format on
    }
    void rowBytes()
    {
        QFETCH(QStringList, cells);
        QFETCH(QByteArray, bytes);
        QCOMPARE(csvBytes({cells}), bytes);
    }

    void manyRowsAcrossBlocks()
    {
        // More rows than one encoding block, each with a two-byte character, so block edges show up as damage.
        QList<QStringList> rows;
        QByteArray expected;
        for (int i = 0; i < 1500; ++i) {
            rows.append({QString::number(i), QStringLiteral("品")});
            expected += QByteArray::number(i) + "," + QByteArray::fromHex("9569") + "\r\n";
        }
        QCOMPARE(csvBytes(rows), expected);
    }

    void fileWrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("売上伝票一覧_2026-12.csv"));
        const QList<QStringList> rows{{"CODE", "品名"}, {"1", "a,b"}, {"2", "x"}};
        QList<qsizetype> told;
        const Result r = writeCsvFile(
            path, rows.size(), [&](qsizetype i) { return rows[i]; },
            [&](qsizetype done) {
                told.append(done);
                return true;
            });
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(fileBytes(path), QByteArray::fromHex("434f44452c956996bc0d0a") + "1,\"a,b\"\r\n2,x\r\n");
        QCOMPARE(told.last(), rows.size());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 1); // nothing left beside it

        // More rows than one block: each row once, in order.
        QList<QStringList> many;
        for (int i = 0; i < 1500; ++i)
            many.append({QString::number(i)});
        QVERIFY(writeCsvFile(path, many.size(), [&](qsizetype i) { return many[i]; }));
        QCOMPARE(fileBytes(path), csvBytes(many));
    }

    // A write that fails part way, or is cancelled, leaves the old file as it was and nothing beside it; the
    // message names the file and the reason (a cancel needs none).
    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<Write>("write");
        QTest::addColumn<QString>("reason");
        const QString refused = QStringLiteral("refused");
        // clang-format off
        QTest::newRow("no such folder") << +[](const QString& path) { return writeNew(path + "/a.csv", 1); } << "CSV ファイルを書き込めません";
        QTest::newRow("cancelled half way") << +[](const QString& path) { return writeNew(path, 2000, [](qsizetype done) { return done < 1000; }); } << "";
        QTest::newRow("full disk, nothing fits") << +[](const QString& path) { FullDisk disk(0); return writeNew(path); } << FullDisk::reason();
        QTest::newRow("full disk, a few rows fit") << +[](const QString& path) { FullDisk disk(100); return writeNew(path); } << FullDisk::reason();
        QTest::newRow("full disk, all but the last byte") << +[](const QString& path) { FullDisk disk(2000 * 5 - 1); return writeNew(path); } << FullDisk::reason();
        // clang-format on
        // One block refused, the next ones written: the file would lack rows.
        QTest::newRow("a block refused") << +[](const QString& path) {
            durableSteps().write = [writes = 0](QFileDevice& file, const QByteArray& bytes, QString& error) mutable {
                if (++writes == 1) {
                    error = QStringLiteral("refused");
                    return false;
                }
                return systemDurableSteps().write(file, bytes, error);
            };
            return writeNew(path);
        } << refused;
        QTest::newRow("rename refused") << +[](const QString& path) {
            durableSteps().rename = [](const QString&, const QString&, QString& error) {
                error = QStringLiteral("refused");
                return false;
            };
            return writeNew(path, 1);
        } << refused;
    }
    void failedWriteKeepsTheOldFile()
    {
        QFETCH(Write, write);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        QVERIFY(putFile(path, "old\r\n"));
        const Result r = write(path);
        durableSteps() = systemDurableSteps();
        QVERIFY(!r.ok);
        QCOMPARE(r.error.isEmpty(), reason.isEmpty());
        QVERIFY2(r.error.contains(reason) && (reason.isEmpty() || r.error.contains(path)), qPrintable(r.error));
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
