// The day's closing: figures from one pass over the slips and the cash in and out; seisan.dat records at their offsets,
// damage reported, kill -9 during a closing.
#include "../common/testutil.h"

#include "storage/closing.h"
#include "storage/journal.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QtTest>
#include <cmath>
#include <csignal>
#include <limits>

namespace {

const QString Day = QStringLiteral("2026/12/01");

struct TestSlip
{
    QString date;
    int method;          // -1: a slip from before payments were stored (cash)
    QList<double> lines; // line amounts
    bool deleted;
    double reducedPart; // of the total, at the reduced rate; -1: no rate figures stored
};

// The day's slips and their neighbours, as the register stores them.
const QList<TestSlip> Slips = {
    {Day, 0, {1000}, false, 0},
    {Day, 1, {1120, 1080}, false, 1080},
    {Day, 3, {500}, false, 0},
    {Day, 2, {300}, false, 0},
    {Day, 0, {400, -600}, false, 0}, // a return
    {Day, 0, {700}, true, 0},        // deleted
    {Day, -1, {800}, false, -1},     // older slip: cash, tax only at 712
    {QStringLiteral("2026/12/02"), 0, {9999}, false, 0},
    {QStringLiteral("2026/11/01"), 1, {4444}, false, 0},
    {Day, 2, {-50}, false, 0}, // a pure return paid back by e-money
};

double taxOf(double amount, double rate)
{
    return std::floor(amount * rate / (1 + rate) + 0.5);
}

void storeTestSlips()
{
    qint64 n = 0;
    for (const TestSlip& t : Slips) {
        ++n;
        QList<SaleLine> lines;
        for (int k = 0; k < t.lines.size(); ++k)
            lines << SaleLine{k + 1, 1, t.lines[k]};
        SalesSlipRecord s = saleSlip(n, t.date, lines, QStringLiteral("12:00:00"));
        const double total = s.Total;
        s.Deleted = t.deleted ? 1 : 0;
        if (t.reducedPart >= 0) {
            s.Rates.present = true;
            s.Rates.standard = {total - t.reducedPart, taxOf(total - t.reducedPart, 0.1), 0.1};
            s.Rates.reduced = {t.reducedPart, taxOf(t.reducedPart, 0.08), 0.08};
            s.Tax = s.Rates.standard.tax + s.Rates.reduced.tax;
            s.Payment = {true, PaymentMethod(t.method), 0};
        } else {
            s.Tax = taxOf(total, 0.1);
        }
        QVERIFY(storeSalesSlip(n, s));
    }
    SysNum[Sys::NextSalesSlipNo] = double(n + 1);
}

SeisanRecord movement(SeisanKind kind, const QString& day, double amount, bool deleted = false)
{
    SeisanRecord r;
    r.kind = kind;
    r.day = day;
    r.date = day;
    r.time = QStringLiteral("09:00:00");
    r.amount = amount;
    r.reason = QStringLiteral("両替");
    r.deleted = deleted ? 1 : 0;
    return r;
}

ClosingFigures withFund(double fund, int slips = 0)
{
    return {.slipCount = slips, .standard = {}, .reduced = {}, .changeFund = fund};
}

// The child of the crash test: appends a closing and dies at the journal step it is given.
int crashChild(const QStringList& args)
{
    AppDir = args[2];
    if (!LoadSettings())
        return 3;
    killAtJournalStep(args[3].toInt());
    SeisanRecord r = MakeClosing(Day, withFund(30000, 3), CashCount{}, Day, QStringLiteral("21:00:00"));
    return AppendSeisan(r, {{Sys::ChangeFund, 30000}}) ? 0 : 5;
}

} // namespace

class TestClosing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { SetJournalHook(nullptr); }

    // Every figure of the closing against sums the test makes from its own table of slips.
    void mixedDay()
    {
        TestAppDir dir;
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::ReducedTaxRate] = 0.08;
        storeTestSlips();
        // Written beyond the last slip issued: no slip yet, not counted.
        const qint64 unissued = qint64(SysNum[Sys::NextSalesSlipNo]);
        SalesSlipRecord beyond = saleSlip(unissued, Day);
        beyond.Total = 123456;
        QVERIFY(storeSalesSlip(unissued, beyond));

        const QList<SeisanRecord> moves = {movement(SeisanKind::CashIn, Day, 10000),
                                           movement(SeisanKind::CashOut, Day, 3000),
                                           movement(SeisanKind::CashOut, Day, 500, true),
                                           movement(SeisanKind::CashIn, QStringLiteral("2026/12/02"), 777)};
        ClosingFigures f;
        QVERIFY(ComputeClosing(Day, moves, 20000, f).ok);
        // Slips 1 to 5, 7 and 10 count; slip 6 is deleted, 8 and 9 are of other days. Slip 7 holds no rate
        // figures: all standard, its tax as stored. Cash is 1000 - 200 + 800.
        QCOMPARE(f.slipCount, 7);
        QCOMPARE(f.deletedCount, 1);
        QCOMPARE((QList<double>{f.gross, f.returns, f.deletedAmount, f.sales(), f.cashIn, f.cashOut, f.expectedCash()}),
                 (QList<double>{5200, -650, 700, 4550, 10000, 3000, 20000 + 1600 + 10000 - 3000}));
        QCOMPARE((QList<double>{f.byMethod[0], f.byMethod[1], f.byMethod[2], f.byMethod[3]}),
                 (QList<double>{1600, 2200, 300 - 50, 500}));
        // Each slip's tax rounded on its own: 91 + 102 + 45 + 27 - 18 + 73 - 5 at the standard rate.
        QCOMPARE((QList<double>{f.standard.total, f.standard.tax, f.standard.rate}), (QList<double>{3470, 315, 0.1}));
        QCOMPARE((QList<double>{f.reduced.total, f.reduced.tax, f.reduced.rate}), (QList<double>{1080, 80, 0.08}));
        // The day's numbers run from its first slip to its last, the deleted one and those of other days between.
        QCOMPARE(f.firstSlip, 1);
        QCOMPARE(f.lastSlip, int32_t(Slips.size()));
    }

    void dayWithoutSlips_data()
    {
        QTest::addColumn<QString>("day");
        QTest::addColumn<bool>("ok");
        QTest::newRow("no slips that day") << QStringLiteral("2030/01/01") << true;
        QTest::newRow("no date") << QStringLiteral("2030/13/01") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void dayWithoutSlips()
    {
        QFETCH(QString, day);
        QFETCH(bool, ok);
        TestAppDir dir;
        storeTestSlips();
        ClosingFigures f;
        QCOMPARE(ComputeClosing(day, {}, 5000, f).ok, ok);
        QCOMPARE(f.slipCount, 0);
        QCOMPARE(f.firstSlip, 0);
        QCOMPARE(f.sales(), 0.0);
        QCOMPARE(f.expectedCash(), 5000.0);
    }

    void countedAndDifference_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<double>("counted");
        QTest::addColumn<double>("expected");
        QTest::addColumn<double>("difference");
        QTest::newRow("none") << QList<int>(10, 0) << 0.0 << 1000.0 << -1000.0;
        QTest::newRow("one of each") << QList<int>(10, 1) << 18666.0 << 18666.0 << 0.0;
        QTest::newRow("over") << QList<int>{0, 0, 0, 2, 0, 0, 0, 0, 0, 3} << 2003.0 << 2000.0 << 3.0;
        QTest::newRow("largest counts") << QList<int>(10, HighestCount) << 18666.0 * HighestCount << 0.0
                                        << 18666.0 * HighestCount;
    }
    void countedAndDifference()
    {
        QFETCH(QList<int>, counts);
        QFETCH(double, counted);
        QFETCH(double, expected);
        QFETCH(double, difference);
        CashCount c;
        for (int i = 0; i < DenominationCount; ++i)
            c.counts[i] = counts[i];
        QCOMPARE(c.total(), counted);
        const SeisanRecord r = MakeClosing(Day, withFund(expected), c, Day, QString());
        QCOMPARE(r.expected, expected);
        QCOMPARE(r.counted, counted);
        QCOMPARE(r.difference, difference);
    }

    // A closing and cash in and out at their offsets; a second closing of the day is kept beside the first.
    void storedRecords()
    {
        TestAppDir dir;
        QVERIFY(!QFile::exists(dir.file(SeisanFileName)));
        // clang-format off
        const ClosingFigures f{.slipCount = 7, .gross = 5000, .returns = -600, .deletedCount = 1,
                               .deletedAmount = 700, .byMethod = {1600, 2200, 300, 500}, .standard = {3520, 320, 0.1},
                               .reduced = {1080, 80, 0.08}, .cashIn = 10000, .cashOut = 3000, .changeFund = 20000,
                               .firstSlip = 41, .lastSlip = 2147483647};
        // clang-format on
        CashCount c;
        c.counts = {2, 1, 0, 3, 1, 4, 0, 7, 1, 9};
        qint64 n = 0;
        QVERIFY(AppendSeisan(MakeClosing(Day, f, c, QStringLiteral("2026/12/02"), QStringLiteral("00:05:09")),
                             {{Sys::ChangeFund, 20000}}, &n));
        QCOMPARE(n, 1);
        QCOMPARE(SysNum[Sys::ChangeFund], 20000.0);
        QVERIFY(AppendSeisan(movement(SeisanKind::CashOut, Day, 1234), {}, &n));
        QCOMPARE(n, 2);
        QVERIFY(AppendSeisan(MakeClosing(Day, f, CashCount{}, Day, QStringLiteral("21:30:00")), {}, &n));
        QCOMPARE(n, 3);

        const QByteArray all = dir.bytes(SeisanFileName);
        QCOMPARE(all.size(), 3 * 512);
        const char* r = all.constData();
        QCOMPARE(QByteArray(r, 4), QByteArray("SEI1"));
        QCOMPARE(getInt16(r + 4), int16_t(1));
        QCOMPARE(getInt16(r + 6), int16_t(0));
        QCOMPARE(QByteArray(r + 8, 10), QByteArray("2026/12/01"));
        QCOMPARE(QByteArray(r + 18, 10), QByteArray("2026/12/02")); // printed after midnight
        QCOMPARE(QByteArray(r + 28, 8), QByteArray("00:05:09"));
        QCOMPARE(getInt32(r + 104), 7);
        QCOMPARE(getDouble(r + 108), 5000.0);
        QCOMPARE(getDouble(r + 116), -600.0);
        QCOMPARE(getInt32(r + 124), 1);
        QCOMPARE(getDouble(r + 128), 700.0);
        const double expected = 20000 + 1600 + 10000 - 3000;
        const double counted = 2 * 10000 + 5000 + 3 * 1000 + 500 + 4 * 100 + 7 * 10 + 5 + 9;
        // By method, standard and reduced total, tax and rate, cash in and out, fund, expected, counted, difference.
        const QList<double> doubles = {1600, 2200, 300,   500,  3520,  320,      0.1,     1080,
                                       80,   0.08, 10000, 3000, 20000, expected, counted, counted - expected};
        for (int i = 0; i < doubles.size(); ++i)
            QCOMPARE(getDouble(r + 136 + 8 * i), doubles[i]);
        QCOMPARE(getInt32(r + 264), 2);
        QCOMPARE(getInt32(r + 264 + 4 * 9), 9);
        QCOMPARE(getInt32(r + 304), 41);
        QCOMPARE(getInt32(r + 308), 2147483647);
        QCOMPARE(QByteArray(r + 312, 200), QByteArray(200, '\0'));
        const char* m = r + 512;
        QCOMPARE(getInt16(m + 4), int16_t(3));
        QCOMPARE(getDouble(m + 36), 1234.0);
        QCOMPARE(QByteArray(m + 44, 60), toCp932(QStringLiteral("両替")) + QByteArray(56, ' '));

        QList<SeisanRecord> records;
        QVERIFY(ReadSeisan(records));
        QCOMPARE(records.size(), 3);
        QCOMPARE(SeisanRecordCount(), qint64(3));
        QCOMPARE(records[0].closingNo, 1);
        QCOMPARE(records[1].closingNo, 0);
        QCOMPARE(records[2].closingNo, 2);
        // Every field read back where it was written: encoded again, the records give the same bytes.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(EncodeSeisan(records[i]), all.mid(512 * i, 512));
        const QList<ClosingHistoryEntry> history = ClosingHistory(records);
        QCOMPARE(history.size(), 2);
        QCOMPARE(history[0].record.recordNo, 3); // newest first
        QVERIFY(!history[0].superseded);
        QCOMPARE(history[1].record.recordNo, 1);
        QVERIFY(history[1].superseded);
        QCOMPARE(EncodeSeisan(history[1].record), all.left(512));
        QCOMPARE(CashMovementsOf(records, Day).size(), 1);
    }

    // Deleting cash in or out changes the mark alone; closings and marked records are refused.
    void deleteMovement()
    {
        TestAppDir dir;
        QVERIFY(AppendSeisan(movement(SeisanKind::CashIn, Day, 500)));
        QVERIFY(AppendSeisan(MakeClosing(Day, {}, {}, Day, QString())));
        const QByteArray before = dir.bytes(SeisanFileName);
        QVERIFY(DeleteSeisan(1));
        QByteArray after = dir.bytes(SeisanFileName);
        QCOMPARE(getInt16(after.constData() + 6), int16_t(1));
        after[6] = 0;
        QCOMPARE(after, before);
        for (qint64 refused : {1, 2, 3, 0}) // marked already, a closing, beyond the file, no record
            QVERIFY(!DeleteSeisan(refused));
        ClosingFigures f;
        QList<SeisanRecord> records;
        QVERIFY(ReadSeisan(records));
        QVERIFY(ComputeClosing(Day, records, 0, f));
        QCOMPARE(f.cashIn, 0.0);
    }

    // A damaged file is reported and left exactly as it was; nothing is appended to it.
    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("count"); // as the reset counts them, a part record included
        QByteArray good = EncodeSeisan(movement(SeisanKind::CashIn, Day, 100));
        QTest::newRow("part record") << good + QByteArray(100, '\0') << qint64(2);
        QByteArray mark = good;
        mark[0] = 'X';
        QTest::newRow("wrong mark") << good + mark << qint64(2);
        QByteArray kind = good;
        kind[4] = 9;
        QTest::newRow("unknown kind") << kind << qint64(1);
        kind[4] = 0;
        QTest::newRow("kind 0") << kind << qint64(1);
        QTest::newRow("zero bytes") << QByteArray(512, '\0') << qint64(1);
    }
    void damagedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, count);
        TestAppDir dir;
        dir.writeBytes(SeisanFileName, bytes);
        QCOMPARE(SeisanRecordCount(), count);
        QList<SeisanRecord> records;
        const Result read = ReadSeisan(records);
        QVERIFY(!read);
        QVERIFY(read.error.contains(QStringLiteral("壊れています")));
        QVERIFY(records.isEmpty());
        QVERIFY(!AppendSeisan(movement(SeisanKind::CashOut, Day, 100)));
        QVERIFY(!DeleteSeisan(1));
        QCOMPARE(dir.bytes(SeisanFileName), bytes);
    }

    // What no window takes is refused by storage too: cash in and out of whole yen from 1 to 99,999,999, a
    // change fund of whole yen up to the same, counts up to 99,999.
    void refusedAmountsNeverWritten_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("cashRefused");
        QTest::addColumn<bool>("closingRefused"); // the value as the change fund, the count as the 1-yen count
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("inf") << inf << 0 << true << true;
        QTest::newRow("-inf") << -inf << 0 << true << true;
        QTest::newRow("nan") << std::nan("") << 0 << true << true;
        QTest::newRow("1e308") << 1e308 << 0 << true << true;
        QTest::newRow("nine digits") << 100000000.0 << 0 << true << true;
        QTest::newRow("eight digits") << 99999999.0 << 99999 << false << false;
        QTest::newRow("fraction") << 10.5 << 0 << true << true;
        QTest::newRow("negative") << -1.0 << 0 << true << true;
        QTest::newRow("zero") << 0.0 << 0 << true << false;
        QTest::newRow("one") << 1.0 << 0 << false << false;
        QTest::newRow("count beyond five digits") << 1.0 << 100000 << false << true;
        QTest::newRow("count negative") << 1.0 << -1 << false << true;
    }
    void refusedAmountsNeverWritten()
    {
        QFETCH(double, value);
        QFETCH(int, count);
        QFETCH(bool, cashRefused);
        QFETCH(bool, closingRefused);
        for (SeisanKind kind : {SeisanKind::CashIn, SeisanKind::CashOut}) {
            TestAppDir dir;
            const Result r = AppendSeisan(movement(kind, Day, value));
            QCOMPARE(!r, cashRefused);
            QCOMPARE(QFile::exists(dir.file(SeisanFileName)), !cashRefused);
        }
        TestAppDir dir;
        CashCount c;
        c.counts[9] = count;
        QCOMPARE(!AppendSeisan(MakeClosing(Day, withFund(value), c, Day, QString())), closingRefused);
        QCOMPARE(QFile::exists(dir.file(SeisanFileName)), !closingRefused);
    }

    // The report rows of a closing: the check is named as such, a reprint is marked, and the sums are there.
    void reportRows_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("reprintMark");
        QTest::newRow("check") << int(ClosingReportKind::Check) << QStringLiteral("レジ点検") << false;
        QTest::newRow("close") << int(ClosingReportKind::Close) << QStringLiteral("レジ精算") << false;
        QTest::newRow("reprint") << int(ClosingReportKind::Reprint) << QStringLiteral("レジ精算") << true;
    }
    void reportRows()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(bool, reprintMark);
        // clang-format off
        const ClosingFigures f{.slipCount = 2, .gross = 1500, .returns = -300, .byMethod = {1000, 200, 0, 0},
                               .standard = {1200, 109, 0.1}, .reduced = {}, .cashIn = 700, .cashOut = 700,
                               .changeFund = 5000, .firstSlip = 118, .lastSlip = 121};
        // clang-format on
        CashCount c;
        c.counts[0] = 1; // one 10000 note against 6000 expected: 4000 over
        SeisanRecord r = MakeClosing(Day, f, c, Day, QStringLiteral("20:00:00"));
        // Only a stored closing has a number, and it counts closings, not the cash in and out beside them.
        r.recordNo = ClosingReportKind(kind) == ClosingReportKind::Check ? 0 : 6;
        r.closingNo = ClosingReportKind(kind) == ClosingReportKind::Check ? 0 : 4;
        QStringList texts;
        for (const ReceiptRow& row :
             ClosingReportRows(r, ShopDetails{QStringLiteral("やおや"), {}, {}, {}}, ClosingReportKind(kind)))
            texts << (row.right.isEmpty() ? row.left : row.left + u'|' + row.right);
        QCOMPARE(texts.value(0), QStringLiteral("やおや"));
        QCOMPARE(texts.value(1), title);
        QCOMPARE(texts.contains(QStringLiteral("＊ 再発行 ＊")), reprintMark);
        QCOMPARE(texts.contains(QStringLiteral("精算番号|4")), ClosingReportKind(kind) != ClosingReportKind::Check);
        QVERIFY(!texts.join(u'\n').contains(QStringLiteral("精算番号|0")));
        QCOMPARE(texts.filter(QStringLiteral("対象|")).size(), 1); // no reduced rate, no reduced rows
        // A closing stored before the slip numbers were kept has none, and shows no such row.
        r.figures.firstSlip = 0;
        for (const ReceiptRow& row : ClosingReportRows(r, {}, ClosingReportKind(kind)))
            QVERIFY(row.left != QStringLiteral("伝票番号"));
        r.figures.firstSlip = 118;
        for (const QString& row :
             {QStringLiteral("営業日|2026/12/01"), QStringLiteral("伝票数|2 件"), QStringLiteral("伝票番号|118 ～ 121"),
              QStringLiteral("返品|-¥300"), QStringLiteral("売上合計|¥1,200"), QStringLiteral("現金|¥1,000"),
              QStringLiteral("クレジット|¥200"), QStringLiteral("10%対象|¥1,200"), QStringLiteral("　内消費税|¥109"),
              QStringLiteral("釣銭準備金|¥5,000"), QStringLiteral("入金|¥700"), QStringLiteral("出金|¥700"),
              QStringLiteral("現金在高（理論）|¥6,000"), QStringLiteral("10000円 × 1|¥10,000"),
              QStringLiteral("現金在高（実査）|¥10,000"), QStringLiteral("過不足|+¥4,000")})
            QVERIFY2(texts.contains(row), qPrintable(row));
    }

    // kill -9 at every durable step of a closing: after the next start the whole record and the change fund
    // are there.
    void killedDuringClosing_data()
    {
        QTest::addColumn<int>("step");
        for (int step = 1; step <= 4; ++step)
            QTest::addRow("step %d", step) << step;
    }
    void killedDuringClosing()
    {
        QFETCH(int, step);
        TestAppDir dir;
        QVERIFY(AppendSeisan(movement(SeisanKind::CashIn, Day, 100)));
        QVERIFY(runCrashChild({dir.path(), QString::number(step)}));
        QString completed;
        QVERIFY(RecoverJournal(&completed));
        QVERIFY(LoadSettings());
        QList<SeisanRecord> records;
        QVERIFY(ReadSeisan(records));
        QCOMPARE(records.size(), 2);
        QCOMPARE(int(records[1].kind), int(SeisanKind::Closing));
        QCOMPARE(records[1].figures.slipCount, 3);
        QCOMPARE(SysNum[Sys::ChangeFund], 30000.0);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == u"--crash")
        return crashChild(args);
    TestClosing t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_closing.moc"
