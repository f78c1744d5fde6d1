// CSV bytes as a spreadsheet program on a Japanese desktop reads them, and the file written whole or not at all.
#include "storage/csv.h"
#include "storage/durablefile.h"
#include "testutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestCsv : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rowBytes_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QByteArray>("bytes");
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
        QTest::newRow("not quite numbers")
            << QStringList{"-1.", "-.5", "--1", "-1e5"} << QByteArray("'-1.,'-.5,'--1,'-1e5\r\n");
        QTest::newRow("formula sign inside") << QStringList{"a=b", "1-2"} << QByteArray("a=b,1-2\r\n");
        // 品名 りんご in code page 932.
        QTest::newRow("japanese") << QStringList{"品名", "りんご"} << QByteArray::fromHex("956996bc2c82e882f182b20d0a");
        // 髙 and ① exist only in the Windows extensions of Shift_JIS; ～ is the full-width tilde.
        QTest::newRow("code page 932 only") << QStringList{"髙①", "～"} << QByteArray::fromHex("fbfc87402c81600d0a");
        QTest::newRow("japanese with comma")
            << QStringList{"売上,りんご"} << QByteArray::fromHex("2294848fe32c82e882f182b2220d0a");
        // A character the code page lacks cannot be read back by the spreadsheet; it becomes "?".
        QTest::newRow("not in code page") << QStringList{QStringLiteral("a\U0001F34Eb")} << QByteArray("a?b\r\n");
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

    // The disk fills part way: the message names the file and the reason, the old file stays, nothing is left.
    void fullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<qint64>("room");
        QTest::newRow("nothing fits") << qint64(0);
        QTest::newRow("a few rows fit") << qint64(100);
        QTest::newRow("all but the last byte") << qint64(2000 * 5 - 1);
    }
    void fullDiskKeepsTheOldFile()
    {
        QFETCH(qint64, room);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        QVERIFY(putFile(path, "old\r\n"));
        Result r;
        {
            FullDisk disk(room);
            r = writeCsvFile(path, 2000, [](qsizetype) { return QStringList{"new"}; });
        }
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(path) && r.error.contains(FullDisk::reason()), qPrintable(r.error));
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
    }

    void failedWriteIsReportedAndKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/dir/a.csv"));
        Result r = writeCsvFile(missing, 1, [](qsizetype) { return QStringList{"a"}; });
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(missing), qPrintable(r.error));

        // Cancelled half way: the file that was there stays as it was.
        const QString path = dir.filePath(QStringLiteral("a.csv"));
        QVERIFY(putFile(path, "old\r\n"));
        r = writeCsvFile(
            path, 2000, [](qsizetype) { return QStringList{"new"}; }, [](qsizetype done) { return done < 1000; });
        QVERIFY(!r.ok);
        QVERIFY(r.error.isEmpty());
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});

        // One block refused, the next ones written: the file would lack rows.
        durableSteps().write = [writes = 0](QFileDevice& file, const QByteArray& bytes, QString& error) mutable {
            if (++writes == 1) {
                error = QStringLiteral("refused");
                return false;
            }
            return systemDurableSteps().write(file, bytes, error);
        };
        r = writeCsvFile(path, 2000, [](qsizetype) { return QStringList{"new"}; });
        durableSteps() = systemDurableSteps();
        QVERIFY2(!r.ok && r.error.contains(QStringLiteral("refused")), qPrintable(r.error));
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));

        // The finished file cannot be renamed into place.
        durableSteps().rename = [](const QString&, const QString&, QString& error) {
            error = QStringLiteral("refused");
            return false;
        };
        r = writeCsvFile(path, 1, [](qsizetype) { return QStringList{"new"}; });
        durableSteps() = systemDurableSteps();
        QVERIFY2(!r.ok && r.error.contains(QStringLiteral("refused")), qPrintable(r.error));
        QCOMPARE(fileBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.csv"});
    }
};

QTEST_GUILESS_MAIN(TestCsv)
#include "tst_csv.moc"
