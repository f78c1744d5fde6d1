// Purchase slip saves, corrections and deletions as single journalled operations, their checks, and the
// month list read.
#include "offsets.h"
#include "storage/journal.h"
#include "storage/purchasesave.h"
#include "storage/settings.h"
#include "storage/sliplist.h"
#include "storage/text.h"
#include "testutil.h"

#include <QDir>
#include <QtTest>

namespace {

QList<JournalStep> g_steps;

void noteStep(JournalStep step)
{
    g_steps << step;
}

PurchaseSlipDraft draftOf(const QList<PurchaseDraftLine>& lines)
{
    PurchaseSlipDraft d;
    d.year = QStringLiteral("2024");
    d.month = QStringLiteral("03");
    d.day = QStringLiteral("15");
    d.time = QStringLiteral("09:30:00");
    for (int k = 0; k < lines.size(); ++k)
        d.line[k + 1] = lines[k];
    return d;
}

// A draft of one good line, changed by `edit`.
PurchaseSlipDraft edited(void (*edit)(PurchaseSlipDraft&))
{
    PurchaseSlipDraft d = draftOf({{5, "", 1, 1, 1}});
    edit(d);
    return d;
}

} // namespace

Q_DECLARE_METATYPE(PurchaseSlipDraft)

class TestPurchaseSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { g_steps.clear(); }
    void cleanup() { SetJournalHook(nullptr); }

    void newSlipIsOneOperation()
    {
        TestAppDir dir;
        dir.writeStock({{5, 10}, {7, 1}});
        SysNum[4] = 3;
        SetJournalHook(&noteStep);
        const SaveOutcome outcome = SaveNewPurchaseSlip(
            draftOf({{5, "ねじ", 12.5, 2, 25}, {5, "ねじ", 10, 3, 30}, {7, "釘", 1, 0, 0}, {0, "", 0, 0, 0}}));
        QVERIFY2(outcome.saved && outcome.error.isEmpty(), qPrintable(outcome.error));
        QCOMPARE(outcome.slipNo, 3);
        // Journal first, then the slip, its history entry and the history's anchor, the month index (the slip's key,
        // the header, the month of the blank records 1 and 2 and the slip's month), the counter, the one item whose
        // stock changes, journal removed.
        using S = JournalStep;
        QCOMPARE(g_steps, (QList<S>{S::JournalWritten} + QList<S>(7, S::RecordWritten) +
                           QList<S>{S::SettingsWritten, S::StockWritten, S::JournalRemoved}));
        const QByteArray siire = dir.bytes(QStringLiteral("siire.dat"));
        QCOMPARE(siire.size(), 3 * 1024);
        const QByteArray r = siire.mid(2 * 1024, 1024);
        QCOMPARE(getInt32(r.constData() + Off::Purchase::SlipNo), 3);
        QCOMPARE(fromCp932(r.mid(Off::Purchase::Date, 10)), QStringLiteral("2024/03/15"));
        QCOMPARE(getInt16(r.constData() + Off::Purchase::line(1) + Off::Line::UnitPrice), 12); // half to even
        QCOMPARE(getDouble(r.constData() + Off::Purchase::line(1) + Off::Line::Amount), 25.0);
        QCOMPARE(getInt16(r.constData() + Off::Purchase::line(4) + Off::Line::ProductNo), 0);
        QCOMPARE(r.mid(Off::Purchase::Reserved), QByteArray(260, ' '));
        QCOMPARE(dir.stockOf(5), 15.0);
        QCOMPARE(dir.stockOf(7), 1.0);
        SysNum[4] = 0;
        QVERIFY(LoadSettings().ok);
        QCOMPARE(SysNum[4], 4.0);
    }

    // Only items whose stock changes are rewritten, and an unchanged item keeps its figure to the last bit.
    void correctionTouchesOnlyChangedItems()
    {
        TestAppDir dir;
        dir.writeStock({{5, 0.1}, {6, 2}});
        SysNum[4] = 1;
        QVERIFY(SaveNewPurchaseSlip(draftOf({{5, "", 1, 10, 10}})).saved);
        const double five = dir.stockOf(5);
        PurchaseQtyTable recalled{};
        recalled[5] = 10;
        SetJournalHook(&noteStep);
        const SaveOutcome outcome =
            SaveCorrectedPurchaseSlip(1, draftOf({{5, "", 1, 4, 4}, {6, "", 1, 7, 7}, {5, "", 1, 6, 6}}), recalled);
        QVERIFY2(outcome.saved, qPrintable(outcome.error));
        QCOMPARE(g_steps.count(JournalStep::StockWritten), 1);
        QVERIFY(!g_steps.contains(JournalStep::SettingsWritten));
        QCOMPARE(dir.stockOf(5), five);
        QCOMPARE(dir.stockOf(6), 9.0);
        QCOMPARE(dir.bytes(QStringLiteral("siire.dat")).size(), 1024);
        QCOMPARE(SysNum[4], 2.0);
    }

    void refusedDraftWritesNothing_data()
    {
        QTest::addColumn<PurchaseSlipDraft>("draft");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("next"); // the next slip number
        using D = PurchaseSlipDraft&;
        // clang-format off
        QTest::newRow("unit price 32768") << draftOf({{5, "", 32768, 1, 1}}) << "1 行目の単価が大きすぎます" << 1.0;
        QTest::newRow("quantity -32769") << draftOf({{5, "", 1, 1, 1}, {6, "", 1, -32769, 1}}) << "2 行目の数量が小さすぎます" << 1.0;
        QTest::newRow("item 401") << draftOf({{5, "", 1, 1, 1}, {0, "", 0, 0, 0}, {401, "", 1, 1, 1}}) << "3 行目の仕入商品番号 401 は範囲外です" << 1.0;
        QTest::newRow("amount not a number") << draftOf({{5, "", 1, 1, qInf()}}) << "1 行目の金額が数値ではありません" << 1.0;
        QTest::newRow("full-width year") << edited([](D d) { d.year = "２０２４"; }) << "日付の年「２０２４」" << 1.0;
        QTest::newRow("29 February 2023") << edited([](D d) { d.year = "2023"; d.month = "2"; d.day = "29"; }) << "2023 年 2 月は 28 日まで" << 1.0;
        QTest::newRow("day 0") << edited([](D d) { d.day = "0"; }) << "日付の日「0」" << 1.0;
        QTest::newRow("month 13") << edited([](D d) { d.month = "13"; }) << "日付の月「13」" << 1.0;
        QTest::newRow("month 0") << edited([](D d) { d.month = "0"; }) << "日付の月「0」" << 1.0;
        QTest::newRow("month with a sign") << edited([](D d) { d.month = "+3"; }) << "日付の月「+3」" << 1.0;
        QTest::newRow("three-digit year") << edited([](D d) { d.year = "024"; }) << "日付の年「024」" << 1.0;
        QTest::newRow("supplier 32768") << edited([](D d) { d.supplierNo = 32768; }) << "仕入先番号 32768 は範囲外です" << 1.0;
        QTest::newRow("item 401 on the last line") << edited([](D d) { d.line[10] = {401, "", 1, 1, 1}; }) << "10 行目の仕入商品番号 401" << 1.0;
        QTest::newRow("no line") << draftOf({}) << "仕入商品が 1 行もない" << 1.0;
        QTest::newRow("a line without its item") << draftOf({{0, "ねじ", 10, 2, 20}}) << "仕入商品が 1 行もない" << 1.0;
        QTest::newRow("counter at the last slip number") << draftOf({{5, "", 1, 1, 1}}) << "伝票番号 2147483647 には保存できません" << 2147483647.0;
        // clang-format on
    }
    void refusedDraftWritesNothing()
    {
        QFETCH(PurchaseSlipDraft, draft);
        QFETCH(QString, message);
        QFETCH(double, next);
        TestAppDir dir;
        dir.writeStock({{5, 3}});
        SysNum[4] = next;
        QVERIFY(SaveSettings());
        const QByteArray zaiko = dir.bytes(QStringLiteral("zaiko.dat"));
        const QByteArray ini = dir.bytes(QStringLiteral("sys.ini"));
        SetJournalHook(&noteStep);
        const SaveOutcome outcome = SaveNewPurchaseSlip(draft);
        QVERIFY(!outcome.saved);
        QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
        QVERIFY(g_steps.isEmpty());
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("siire.dat"))));
        QCOMPARE(dir.bytes(QStringLiteral("zaiko.dat")), zaiko);
        QCOMPARE(dir.bytes(QStringLiteral("sys.ini")), ini);
        QCOMPARE(SysNum[4], next);
    }

    // The first and the last purchase item take their stock from a new slip, and the last one gives it back
    // when a correction drops it; the recalled quantities count the last line.
    void firstAndLastItem()
    {
        TestAppDir dir;
        dir.writeStock({{1, 5}, {400, 7}});
        PurchaseSlipDraft d = draftOf({{1, "", 1, 1, 1}});
        d.line[10] = {400, "", 1, 3, 3};
        QVERIFY(SaveNewPurchaseSlip(d).saved);
        QCOMPARE(dir.stockOf(1), 6.0);
        QCOMPARE(dir.stockOf(400), 10.0);
        PurchaseSlipRecord slip;
        QVERIFY(ReadPurchaseSlip(1, slip).ok);
        PurchaseQtyTable recalled{};
        AddPurchasedQty(slip, recalled);
        QCOMPARE(recalled[1], 1.0);
        QCOMPARE(recalled[400], 3.0);
        // Corrected to one unit given back: the one bought and the one returned both leave the stock.
        QVERIFY(SaveCorrectedPurchaseSlip(1, draftOf({{1, "", 1, -1, -1}}), recalled).saved);
        QCOMPARE(dir.stockOf(1), 4.0);
        QCOMPARE(dir.stockOf(400), 7.0);
        // An item on the last line alone is a purchase like any other.
        PurchaseSlipDraft last = draftOf({});
        last.line[10] = {400, "", 1, 1, 1};
        QVERIFY(SaveNewPurchaseSlip(last).saved);
    }

    // A change to a slip that was never issued, or that cannot be read, is refused before anything is written.
    void changeOfNoSlipIsRefused_data()
    {
        QTest::addColumn<qint64>("slipNo");
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<QString>("message");
        QTest::newRow("slip 0") << qint64(0) << false << QStringLiteral("伝票番号 0 の伝票はありません");
        QTest::newRow("past the highest")
            << qint64(2147483648) << false << QStringLiteral("伝票番号 2147483648 の伝票はありません");
        QTest::newRow("siire.dat unreadable") << qint64(1) << true << QStringLiteral("siire.dat");
    }
    void changeOfNoSlipIsRefused()
    {
        QFETCH(qint64, slipNo);
        QFETCH(bool, unreadable);
        QFETCH(QString, message);
        TestAppDir dir;
        dir.writeStock({{5, 3}});
        if (unreadable)
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("siire.dat")));
        const QByteArray zaiko = dir.bytes(QStringLiteral("zaiko.dat"));
        PurchaseQtyTable recalled{};
        recalled[5] = 1;
        SetJournalHook(&noteStep);
        for (const SaveOutcome& outcome : {SaveCorrectedPurchaseSlip(slipNo, draftOf({{5, "", 1, 1, 1}}), recalled),
                                           DeletePurchaseSlip(slipNo, recalled)}) {
            QVERIFY(!outcome.saved);
            QVERIFY2(outcome.error.contains(message), qPrintable(outcome.error));
        }
        QVERIFY(g_steps.isEmpty());
        QCOMPARE(dir.bytes(QStringLiteral("zaiko.dat")), zaiko);
    }

    void datesAreWrittenFindable_data()
    {
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("date");
        // clang-format off
        QTest::newRow("as chosen") << "2024" << "03" << "05" << "2024/03/05";
        QTest::newRow("typed without zeros") << " 2024" << "3" << "5 " << "2024/03/05";
        QTest::newRow("first month, last day") << "2024" << "1" << "31" << "2024/01/31";
        QTest::newRow("first day") << "2024" << "1" << "1" << "2024/01/01";
        QTest::newRow("last month") << "2024" << "12" << "31" << "2024/12/31";
        QTest::newRow("leap day") << "2024" << "02" << "29" << "2024/02/29";
        // clang-format on
    }
    void datesAreWrittenFindable()
    {
        QFETCH(QString, year);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, date);
        QString written;
        QVERIFY(PurchaseSlipDate(year, month, day, written).ok);
        QCOMPARE(written, date);
    }

    void deletionIsRefusedTwice()
    {
        TestAppDir dir;
        dir.writeStock({{5, 0}});
        QVERIFY(SaveNewPurchaseSlip(draftOf({{5, "", 1, 4, 4}})).saved);
        PurchaseQtyTable recalled{};
        recalled[5] = 4;
        const QByteArray before = dir.bytes(QStringLiteral("siire.dat"));
        QVERIFY(DeletePurchaseSlip(1, recalled).saved);
        const QByteArray after = dir.bytes(QStringLiteral("siire.dat"));
        QCOMPARE(getInt16(after.constData() + Off::Purchase::Deleted), 1);
        QCOMPARE(after.left(Off::Purchase::Deleted), before.left(Off::Purchase::Deleted));
        QCOMPARE(after.mid(Off::Purchase::Reserved), before.mid(Off::Purchase::Reserved));
        QCOMPARE(dir.stockOf(5), 0.0);

        const SaveOutcome again = DeletePurchaseSlip(1, recalled);
        QVERIFY(!again.saved);
        QVERIFY(again.error.contains(QStringLiteral("伝票は削除されています。")));
        QVERIFY(!SaveCorrectedPurchaseSlip(1, draftOf({}), recalled).saved);
        QCOMPARE(dir.stockOf(5), 0.0);
    }

    void missingStockFileRefusesSave()
    {
        TestAppDir dir;
        const SaveOutcome outcome = SaveNewPurchaseSlip(draftOf({{5, "", 1, 2, 2}}));
        QVERIFY(!outcome.saved);
        QVERIFY(outcome.error.contains(QStringLiteral("zaiko.dat")));
        QVERIFY(!QFile::exists(dir.file(QStringLiteral("zaiko.dat"))));
        QCOMPARE(SysNum[4], 1.0);
    }

    void listMatchesNumericYearAndMonth()
    {
        TestAppDir dir;
        const char* dates[] = {"2024/03/15", "2024/04/15", "2023/03/15", "2024/03/01", " 2024/3/ 9", "2024/13/15"};
        QByteArray siire;
        for (int n = 1; n <= 6; ++n) {
            PurchaseSlipRecord slip;
            slip.Date = QString::fromLatin1(dates[n - 1]);
            slip.Time = QStringLiteral("08:00:0%1").arg(n);
            slip.SlipNo = 90 + n; // a damaged number field: the list goes by record numbers
            slip.Total = 100 * n;
            slip.Deleted = n == 4 ? 1 : 0;
            siire += EncodePurchaseSlip(slip);
        }
        dir.writeBytes(QStringLiteral("siire.dat"), siire + QByteArray(100, 'x')); // a torn tail is no slip
        QList<SlipListRow> rows;
        QVERIFY(ListPurchaseSlips(2024, 3, 7, rows).ok);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].slipNo, 1);
        QCOMPARE(rows[0].date, QStringLiteral("2024/03/15"));
        QCOMPARE(rows[0].time, QStringLiteral("08:00:01"));
        QCOMPARE(rows[0].total, 100.0);
        QCOMPARE(rows[1].slipNo, 4);
        QVERIFY(rows[1].deleted && !rows[0].deleted);
        // Only the issued slips are read.
        QVERIFY(ListPurchaseSlips(2024, 3, 3, rows).ok);
        QCOMPARE(rows.size(), 1);
        QVERIFY(ListPurchaseSlips(2024, 5, 7, rows).ok);
        QVERIFY(rows.isEmpty());
        // A month no box can mean lists nothing, not the month it would be cut to, whatever the list held.
        rows = {SlipListRow{1}};
        QVERIFY(ListPurchaseSlips(2024, 3.5, 7, rows).ok);
        QVERIFY(rows.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPurchaseSave)
#include "tst_purchasesave.moc"
