// The history window's rows without the window: field comparison, the filters, and the report's correction mark.
#include "reports/historyview.h"
#include "reports/reportbuilder.h"
#include "storage/history.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QtTest>

// What a row changes in a sales or a purchase slip between its two images.
using Change = void (*)(SalesSlipRecord&, PurchaseSlipRecord&);
Q_DECLARE_METATYPE(Change)

namespace {

SalesSlipRecord baseSale()
{
    SalesSlipRecord s;
    s.Date = QStringLiteral("2026/12/01");
    s.Time = QStringLiteral("10:00:00");
    s.Weather = QStringLiteral("晴れ");
    s.SlipNo = 3;
    s.Line[1] = {12, QStringLiteral("どら焼き"), 150, 2, 300};
    s.Subtotal = s.Total = 300;
    return s;
}

// A history file as the program writes one: entries numbered from 1, each linked to the one before.
QByteArray historyFile(QList<HistoryEntry> entries)
{
    QByteArray file;
    QByteArray previous;
    for (HistoryEntry& e : entries) {
        e.entryNo = file.size() / HistoryLayout::EntrySize + 1;
        e.hasBefore = !e.before.isEmpty();
        file += encodeHistoryEntry(e, previous);
        previous = historyEntryHash(file.constData() + file.size() - HistoryLayout::EntrySize);
    }
    return file;
}

// December 2026, every operation unless told.
HistoryFilter december(int operation = 5)
{
    HistoryFilter filter;
    filter.period = ReportPeriod::fromTexts(QStringLiteral("2026"), QStringLiteral("12"), {}, false);
    setOperationChoice(filter, operation);
    return filter;
}

} // namespace

class TestHistoryView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void changedFieldsAreMarked_data();
    void changedFieldsAreMarked();
    void filterChoosesEntries_data();
    void filterChoosesEntries();
    void csvRowsCarryTheirKeys();
    void slipListMarksCorrectedSlips();
    void foreignHistoryListsNothing();
};

void TestHistoryView::changedFieldsAreMarked_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("label"); // the row that must be marked
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("changed"); // what it says changed
    QTest::addColumn<int>("marked");      // how many rows are marked in all
    using S = SalesSlipRecord&;
    using P = PurchaseSlipRecord&;
    // clang-format off
    QTest::newRow("quantity") << Change([](S s, P) { s.Line[1].Qty = 1; s.Line[1].Amount = 150; s.Subtotal = s.Total = 150; }) << "1行目" << "12 どら焼き 150×2 = 300" << "12 どら焼き 150×1 = 150" << "数量・金額" << 3; // the line, 計 and 合計
    QTest::newRow("line added, money grouped") << Change([](S s, P) { s.Line[2] = {7, QStringLiteral("最中"), 1200, 3, 3600}; }) << "2行目" << "" << "7 最中 1,200×3 = 3,600" << "CODE・品名・単価・数量・金額" << 1;
    QTest::newRow("weather") << Change([](S s, P) { s.Weather = QStringLiteral("雨"); }) << "天気" << "晴れ" << "雨" << "天気" << 1;
    QTest::newRow("deleted") << Change([](S s, P) { s.Deleted = 1; }) << "削除" << "" << "削除" << "削除" << 1;
    QTest::newRow("reserved bytes only") << Change([](S s, P) { s.Raw[1000] = 'x'; s.Raw[1001] = 'y'; }) << "その他" << "（予備領域）" << "（予備領域 1000〜1001 バイト目が異なります）" << "予備領域" << 1;
    QTest::newRow("cash to credit") << Change([](S s, P) { s.Payment = {true, PaymentMethod::Credit, 0}; }) << "支払方法" << "現金" << "クレジット" << "支払方法" << 2; // and お預り gone
    QTest::newRow("amount tendered") << Change([](S s, P) { s.Payment.tendered = 5000; }) << "お預り" << "1000" << "5000" << "お預り" << 1;
    QTest::newRow("a rate's tax only") << Change([](S s, P) { s.Rates.standard.tax = 28; }) << "標準消費税" << "27" << "28" << "標準消費税" << 1;
    QTest::newRow("reduced rate of a line") << Change([](S s, P) { s.Rates.reducedLines = 1; }) << "軽減行" << "" << "1" << "軽減行" << 1;
    QTest::newRow("new slip: nothing marked") << Change(nullptr) << "1行目" << "" << "12 どら焼き 150×2 = 300" << "" << 0;
    QTest::newRow("purchase supplier") << Change([](S, P p) { p.SupplierNo = 4; }) << "仕入先" << "3 さくら養鶏場 0120" << "4 さくら養鶏場 0120" << "仕入先" << 1;
    // clang-format on
}

// Each row changes one slip, a sales or a purchase slip; a row without a change is a new sales slip.
void TestHistoryView::changedFieldsAreMarked()
{
    QFETCH(Change, change);
    QFETCH(QString, label);
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, changed);
    QFETCH(int, marked);
    SalesSlipRecord s = baseSale();
    s.Payment = {true, PaymentMethod::Cash, 1000};
    s.Rates.present = true;
    s.Rates.standard = {300, 27, 0.1};
    PurchaseSlipRecord p;
    p.Date = QStringLiteral("2026/12/01");
    p.SupplierNo = 3;
    p.SupplierName = QStringLiteral("さくら養鶏場");
    p.SupplierPhone = QStringLiteral("0120");
    const QByteArray sold = EncodeSalesSlip(s);
    const QByteArray bought = EncodePurchaseSlip(p);
    if (change)
        change(s, p);
    const QByteArray purchase = EncodePurchaseSlip(p);
    const QList<HistoryFieldRow> rows =
        purchase != bought ? compareSlipRecords(QStringLiteral("siire.dat"), bought, true, purchase)
                           : compareSlipRecords(QStringLiteral("reg.dat"), sold, change != nullptr, EncodeSalesSlip(s));
    int count = 0;
    const HistoryFieldRow* found = nullptr;
    for (const HistoryFieldRow& r : rows) {
        count += r.changed.isEmpty() ? 0 : 1;
        if (r.label == label)
            found = &r;
    }
    QVERIFY2(found, qPrintable(label));
    QCOMPARE(found->before, before);
    QCOMPARE(found->after, after);
    QCOMPARE(found->changed, changed);
    QCOMPARE(count, marked);
}

void TestHistoryView::filterChoosesEntries_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("daily");
    QTest::addColumn<int>("slips");          // HistoryFilter::Slips
    QTest::addColumn<int>("operation");      // index of historyOperationChoices()
    QTest::addColumn<QStringList>("listed"); // entry numbers, in order
    // clang-format off
    QTest::newRow("month, corrections and deletions") << "2026" << "12" << "" << false << 0 << 0 << QStringList{"2", "3", "5", "7"};
    QTest::newRow("month, everything") << "2026" << "12" << "" << false << 0 << 5 << QStringList{"1", "2", "3", "4", "5", "7"};
    QTest::newRow("one day") << "2026" << "12" << "07" << true << 0 << 5 << QStringList{"2", "3"};
    QTest::newRow("sales only") << "2026" << "12" << "" << false << 1 << 5 << QStringList{"1", "2", "4", "7"};
    QTest::newRow("purchases, deletions") << "2026" << "12" << "" << false << 2 << 2 << QStringList{"3", "5"};
    QTest::newRow("new slips") << "2026" << "12" << "" << false << 0 << 3 << QStringList{"1", "4"};
    QTest::newRow("another month") << "2026" << "11" << "" << false << 0 << 5 << QStringList{"6"};
    QTest::newRow("no reset that month") << "2026" << "11" << "" << false << 0 << 4 << QStringList{};
    QTest::newRow("resets") << "2026" << "12" << "" << false << 0 << 4 << QStringList{"7"};
    QTest::newRow("no year typed") << "" << "12" << "" << false << 0 << 5 << QStringList{};
    // clang-format on
}

void TestHistoryView::filterChoosesEntries()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(bool, daily);
    QFETCH(int, slips);
    QFETCH(int, operation);
    QFETCH(QStringList, listed);
    TestAppDir dir;
    SalesSlipRecord s = baseSale();
    const QByteArray sale = EncodeSalesSlip(s);
    s.Line[1].Qty = 1;
    const QByteArray corrected = EncodeSalesSlip(s);
    PurchaseSlipRecord p;
    p.Date = QStringLiteral("2026/12/01");
    const QByteArray bought = EncodePurchaseSlip(p);
    p.Deleted = 1;
    const QByteArray deleted = EncodePurchaseSlip(p);
    using O = HistoryOperation;
    // clang-format off
    dir.writeBytes(QStringLiteral("rireki.dat"), historyFile({
        {0, O::New, "2026/12/06 09:00:00", "reg.dat", 3, false, {}, sale},
        {0, O::Correction, "2026/12/07 10:00:00", "reg.dat", 3, false, sale, corrected},
        {0, O::Deletion, "2026/12/07 11:00:00", "siire.dat", 3, false, bought, deleted},
        {0, O::New, "2026/12/08 09:00:00", "reg.dat", 3, false, {}, sale},
        {0, O::Deletion, "2026/12/31 23:59:59", "siire.dat", 3, false, bought, deleted},
        {0, O::Correction, "2026/11/30 23:59:59", "reg.dat", 3, false, sale, corrected},
        {0, O::Reset, "2026/12/20 18:00:00", "reg.dat", 3, false, {}, QByteArray(1024, '\0')}}));
    // clang-format on

    HistoryFilter filter;
    filter.period = ReportPeriod::fromTexts(year, month, day, daily);
    filter.slips = HistoryFilter::Slips(slips);
    setOperationChoice(filter, operation);
    GridTable table;
    qint64 entries = -1;
    QVERIFY(buildHistoryTable(filter, table, &entries));
    QStringList numbers;
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        QCOMPARE(table.rows[r].size(), qsizetype(HistoryColumnCount));
        QVERIFY(!table.rows[r][HistoryFieldCol].isEmpty()); // every row shows a field, no filler rows
        if (!table.rows[r][HistoryEntryCol].isEmpty())
            numbers << table.rows[r][HistoryEntryCol];
    }
    QCOMPARE(numbers, listed);
    QCOMPARE(entries, qint64(listed.size()));
}

// Every row of the CSV file says whose it is, and a line's parts are columns of their own.
void TestHistoryView::csvRowsCarryTheirKeys()
{
    TestAppDir dir;
    SalesSlipRecord s = baseSale();
    s.Payment = {true, PaymentMethod::Cash, 10000};
    const QByteArray sale = EncodeSalesSlip(s);
    s.Payment = {true, PaymentMethod::Credit, 0};
    s.Line[1].Qty = 1;
    s.Line[1].Amount = 150;
    const QByteArray corrected = EncodeSalesSlip(s);
    dir.writeBytes(
        QStringLiteral("rireki.dat"),
        historyFile({{0, HistoryOperation::New, "2026/12/07 10:00:00", "reg.dat", 3, false, {}, sale},
                     {0, HistoryOperation::Correction, "2026/12/07 10:05:00", "reg.dat", 3, false, sale, corrected}}));
    GridTable table;
    QVERIFY(buildHistoryTable(december(), table));
    // The grid groups the money the file keeps plain, and only the money: the slip number stays as it is.
    QStringList tendered;
    for (const QStringList& row : std::as_const(table.rows))
        if (row[HistoryFieldCol] == u"お預り")
            tendered << row[HistoryBeforeCol] + u'|' + row[HistoryAfterCol];
    QCOMPARE(tendered, (QStringList{"|10,000", "10,000|"}));
    QCOMPARE(table.rows[1][HistorySlipNoCol], QStringLiteral("3"));
    QVERIFY(buildHistoryCsvTable(december(), table));
    const QStringList head = table.rows[0];
    QCOMPARE(head.mid(0, 9),
             (QStringList{"履歴番号", "日時", "操作", "区分", "伝票番号", "項目", "変更前", "変更後", "変更箇所"}));
    QCOMPARE(head.mid(9), (QStringList{"変更前CODE", "変更前品名", "変更前単価", "変更前数量", "変更前金額",
                                       "変更後CODE", "変更後品名", "変更後単価", "変更後数量", "変更後金額"}));
    QMap<QString, QStringList> corrections; // 項目 → row, of entry 2
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        QCOMPARE(row.size(), head.size());
        QVERIFY(row[0] == u"1" || row[0] == u"2");
        QCOMPARE(row[4], QStringLiteral("3"));
        QCOMPARE(row[1],
                 row[0] == u"1" ? QStringLiteral("2026/12/07 10:00:00") : QStringLiteral("2026/12/07 10:05:00"));
        if (row[0] == u"2")
            corrections[row[5]] = row;
    }
    QCOMPARE(
        corrections.value(QStringLiteral("1行目")).mid(6),
        (QStringList{"", "", "数量・金額", "12", "どら焼き", "150", "2", "300", "12", "どら焼き", "150", "1", "150"}));
    QCOMPARE(corrections.value(QStringLiteral("支払方法")).mid(6, 3), (QStringList{"現金", "クレジット", "支払方法"}));
    QCOMPARE(corrections.value(QStringLiteral("お預り")).mid(6, 3), (QStringList{"10000", "", "お預り"}));
}

void TestHistoryView::slipListMarksCorrectedSlips()
{
    TestAppDir dir;
    for (int n = 1; n <= 3; ++n)
        QVERIFY(storeSale(n, QStringLiteral("2026/12/0%1").arg(n), 100 * n));
    SysNum[Sys::NextSalesSlipNo] = 4;
    SalesSlipRecord s = baseSale();
    dir.writeBytes(QStringLiteral("rireki.dat"),
                   historyFile({{0, HistoryOperation::Correction, "2026/12/07 10:00:00", "reg.dat", 2, false,
                                 EncodeSalesSlip(s), EncodeSalesSlip(s)}}));
    GridTable table;
    QVERIFY(buildReport(SalesSlipReport,
                        ReportPeriod::fromTexts(QStringLiteral("2026"), QStringLiteral("12"), {}, false), table));
    const int last = table.cols() - 1;
    QCOMPARE(table.rows[0][last], QStringLiteral("訂正"));
    QStringList marks;
    for (qsizetype r = 1; r < table.rows.size(); ++r)
        if (!table.rows[r][0].isEmpty())
            marks << table.rows[r][0] + u':' + table.rows[r][last];
    QCOMPARE(marks, (QStringList{"1:", "2:訂正", "3:", "期間合計:"}));
    // A period without a corrected slip keeps the ten columns; the purchase list reads the purchase slips'
    // corrections only.
    QVERIFY(buildReport(
        SalesSlipReport,
        ReportPeriod::fromTexts(QStringLiteral("2026"), QStringLiteral("12"), QStringLiteral("3"), true), table));
    QCOMPARE(table.cols(), 10);
    QCOMPARE(table.rows[0].size(), 10);
    QVERIFY(storePurchase(2, QStringLiteral("2026/12/02"), 500));
    SysNum[Sys::NextPurchaseSlipNo] = 3;
    QVERIFY(buildReport(PurchaseSlipReport,
                        ReportPeriod::fromTexts(QStringLiteral("2026"), QStringLiteral("12"), {}, false), table));
    QCOMPARE(table.cols(), 10);
}

void TestHistoryView::foreignHistoryListsNothing()
{
    TestAppDir dir;
    SalesSlipRecord s = baseSale();
    dir.writeBytes(
        QStringLiteral("rireki.dat"),
        "PK" + historyFile(
                   {{0, HistoryOperation::New, "2026/12/07 10:00:00", "reg.dat", 3, false, {}, EncodeSalesSlip(s)}}));
    GridTable table;
    qint64 entries = -1;
    const Result r = buildHistoryTable(december(), table, &entries);
    QVERIFY(!r);
    QVERIFY2(r.error.contains(QStringLiteral("rireki.dat")), qPrintable(r.error));
    QCOMPARE(table.rows.size(), 1);
    QCOMPARE(entries, 0);
}

QTEST_GUILESS_MAIN(TestHistoryView)
#include "tst_historyview.moc"
