// The graph tables read from slips written by the storage functions, and the five views computed from them.
#include "reports/graphdata.h"
#include "testutil.h"

#include <QTest>

namespace {

GraphChoice choice(const QString& year, const QString& month, bool sales, bool purchases, bool total)
{
    return GraphChoice{year, month, sales, purchases, total};
}

QList<double> seriesValues(const GraphView& v, int s = 0)
{
    QList<double> values;
    for (const auto& value : v.chart.series[s])
        values << value.value_or(-999999);
    return values;
}

} // namespace

class TestGraphData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadFromFiles();
    void monthlyTrend_data();
    void monthlyTrend();
    void annualTrendSignsAndMonthSums();
    void monthComparisonRestartsEachMonth();
    void yearComparison_data();
    void yearComparison();
    void visitorsPerHourIgnoresTotal();
    void daysToComeAreNotPlotted_data();
    void daysToComeAreNotPlotted();
    void selectorsOutsideTheTables_data();
    void selectorsOutsideTheTables();
};

void TestGraphData::loadFromFiles()
{
    TestAppDir dir;
    QVERIFY(storeSale(1, QStringLiteral("2006/03/01"), 100, QStringLiteral("09:10:00")));
    QVERIFY(storeSale(2, QStringLiteral("2006/03/01"), 20, QStringLiteral("09:59:59")));
    QVERIFY(storeSale(3, QStringLiteral("2006/03/01"), 1000, QStringLiteral("09:30:00"), true)); // deleted: nothing
    QVERIFY(storeSale(4, QStringLiteral("2006/03/01"), 5, QStringLiteral("        ")));          // takings, no visit
    QVERIFY(storeSale(5, QStringLiteral("2106/03/01"), 7, QStringLiteral("09:00:00")));          // not 2006
    QVERIFY(storeSale(6, QStringLiteral("1999/12/31"), 7, QStringLiteral("23:00:00")));
    QVERIFY(storeSale(8, QStringLiteral("2000/01/01"), 3, QStringLiteral("12:00:00"))); // the first day kept
    QVERIFY(storeSale(7, QStringLiteral("2030/12/31"), 8, QStringLiteral("23:00:00")));
    QVERIFY(storeSale(9, QStringLiteral("2006/03/01"), 1, QStringLiteral("10:00:00"))); // beyond the last slip read
    QVERIFY(storePurchase(1, QStringLiteral("2006/03/01"), 40));
    QVERIFY(storePurchase(2, QStringLiteral("2006/03/01"), 400, true));
    GraphTables t;
    QVERIFY(t.load(8, 2));
    QCOMPARE(t.sales(2006, 3, 1), 125.0);
    QCOMPARE(t.purchases(2006, 3, 1), 40.0);
    QCOMPARE(t.visitors(9, 2006, 3, 1), 2);
    QCOMPARE(t.visitors(0, 2006, 3, 1), 0);
    QCOMPARE(t.visitors(10, 2006, 3, 1), 0);
    QCOMPARE(t.sales(2030, 12, 31), 8.0);
    QCOMPARE(t.sales(1999, 12, 31), 0.0);
    QCOMPARE(t.sales(2000, 1, 1), 3.0);
    QCOMPARE(t.sales(2106, 3, 1), 0.0);
    // Loading again starts from empty tables.
    QVERIFY(t.load(0, 0));
    QCOMPARE(t.sales(2006, 3, 1), 0.0);
    QCOMPARE(t.purchases(2006, 3, 1), 0.0);
    QCOMPARE(t.visitors(9, 2006, 3, 1), 0);
}

void TestGraphData::monthlyTrend_data()
{
    QTest::addColumn<bool>("sales");
    QTest::addColumn<bool>("purchases");
    QTest::addColumn<bool>("total");
    QTest::addColumn<QList<double>>("first4"); // chart, days 1 to 4
    QTest::addColumn<QStringList>("row3");     // table row of day 3

    // clang-format off
    QTest::newRow("sales, running") << true << false << true << QList<double>{100, 100, 150, 150} << QStringList{"2006/03/03", "", "150", ""};
    QTest::newRow("sales") << true << false << false << QList<double>{100, 0, 50, 0} << QStringList{"2006/03/03", "", "50", ""};
    QTest::newRow("purchases are positive") << false << true << false << QList<double>{0, 30, 0, 0} << QStringList{"2006/03/03", "0", "", ""};
    QTest::newRow("both, running") << true << true << true << QList<double>{100, 70, 120, 120} << QStringList{"2006/03/03", "30", "150", "120"};
    // clang-format on
    QTest::newRow("neither") << false << false << false << QList<double>{0, 0, 0, 0} << QStringList{"", "", "", ""};
}

void TestGraphData::monthlyTrend()
{
    QFETCH(bool, sales);
    QFETCH(bool, purchases);
    QFETCH(bool, total);
    QFETCH(QList<double>, first4);
    QFETCH(QStringList, row3);
    GraphTables t;
    t.addSale(2006, 3, 1, 9, 100);
    t.addSale(2006, 3, 3, 9, 50);
    t.addPurchase(2006, 3, 2, 30);
    const GraphView v = drawGraph(MonthlyTrend, t, choice("2006", "03", sales, purchases, total));
    QCOMPARE(v.table.rows.size(), 32);
    QCOMPARE(v.table.rows[0], (QStringList{"年月日", "仕入", "売上", "利益"}));
    QCOMPARE(v.table.widthsTwips, (QList<int>{1500, 1000, 1000, 1000}));
    QCOMPARE(v.chart.labels.size(), 31);
    QCOMPARE(v.chart.labels[2], " 3");
    QVERIFY(!v.chart.legend);
    QCOMPARE(seriesValues(v).mid(0, 4), first4);
    QCOMPARE(seriesValues(v).last(), first4.last());
    QCOMPARE(v.table.rows[3], row3);
}

void TestGraphData::annualTrendSignsAndMonthSums()
{
    GraphTables t;
    t.addSale(2008, 1, 31, 9, 100);
    t.addSale(2008, 2, 29, 9, 10);
    t.addPurchase(2008, 1, 1, 30);
    t.addPurchase(2008, 12, 31, 5);
    GraphView v = drawGraph(AnnualTrend, t, choice("2008", "", false, true, false));
    QCOMPARE(v.chart.labels.size(), 366); // a leap year
    QCOMPARE(v.chart.labels[0], " ");
    QCOMPARE(v.chart.series[0][0], -30.0);
    QCOMPARE(v.chart.series[0][365], -5.0);
    QCOMPARE(v.table.rows[0][0], "月");
    QCOMPARE(v.table.rows.size(), 13);
    // The month rows hold both sums and their difference whatever the boxes say.
    QCOMPARE(v.table.rows[1], (QStringList{"1", "30", "100", "70"}));
    QCOMPARE(v.table.rows[2], (QStringList{"2", "0", "10", "10"}));

    v = drawGraph(AnnualTrend, t, choice("2008", "", true, true, true));
    QCOMPARE(v.chart.series[0][30], 70.0);  // Jan 31: 100 - 30
    QCOMPARE(v.chart.series[0][365], 75.0); // Dec 31: 110 - 35
    QCOMPARE(v.table.rows[2], (QStringList{"2", "30", "110", "80"}));
    QCOMPARE(v.table.rows[12], (QStringList{"12", "35", "110", "75"}));

    v = drawGraph(AnnualTrend, t, choice("2008", "", false, false, true));
    QCOMPARE(seriesValues(v), QList<double>(366, 0));
    QCOMPARE(v.table.rows[1], (QStringList{"1", "30", "100", "70"}));
}

void TestGraphData::monthComparisonRestartsEachMonth()
{
    GraphTables t;
    t.addSale(2006, 1, 1, 9, 10);
    t.addSale(2006, 1, 5, 9, 5);
    t.addSale(2006, 2, 2, 9, 7);
    GraphView v = drawGraph(MonthComparison, t, choice("2006", "", true, false, true));
    QCOMPARE(v.table.rows[0].first(), "日");
    QCOMPARE(v.table.rows[0].last(), "12月");
    QCOMPARE(v.table.rows[31][0], "31");
    QCOMPARE(v.table.rows[31][1], "15");
    QCOMPARE(v.table.rows[1][2], "0");
    QCOMPARE(v.table.rows[2][2], "7");
    QCOMPARE(v.chart.series[1][27], 7.0);
    // February has no 29th to 31st in 2006: nothing is plotted there, not even the running total.
    QVERIFY(!v.chart.series[1][28].has_value());
    QCOMPARE(v.table.rows[29][2], QString());
    QCOMPARE(v.chart.names.first(), "1月");
    QVERIFY(v.chart.legend);

    v = drawGraph(MonthComparison, t, choice("2006", "", false, false, true));
    QCOMPARE(v.table.rows[1][1], QString());
    QVERIFY(!v.chart.series[0][0].has_value());
}

void TestGraphData::yearComparison_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QStringList>("march"); // row 3, columns 1 to 5

    // clang-format off
    QTest::newRow("2006") << "2006" << QStringList{"月/年", "2002", "2003", "2004", "2005", "2006"} << QStringList{"30", "0", "0", "0", "130"};
    // Years the tables do not cover are left empty, not shown as nothing sold.
    QTest::newRow("2002 reaches before 2000") << "2002" << QStringList{"月/年", "1998", "1999", "2000", "2001", "2002"} << QStringList{"", "", "0", "0", "30"};
    // clang-format on
}

void TestGraphData::yearComparison()
{
    QFETCH(QString, year);
    QFETCH(QStringList, headers);
    QFETCH(QStringList, march);
    GraphTables t;
    t.addSale(2006, 3, 31, 9, 100);
    t.addSale(2006, 2, 1, 9, 30);
    t.addSale(2002, 3, 1, 9, 30);
    const GraphView v = drawGraph(YearComparison, t, choice(year, "", true, false, true));
    QCOMPARE(v.table.rows[0], headers);
    QCOMPARE(v.table.rows[3].mid(1), march);
    QCOMPARE(v.table.rows[12][0], "１２月");
    QCOMPARE(v.chart.labels[2], " 3月");
    QCOMPARE(v.chart.names.last(), " " + year + "年度");
}

// With today on 2006/03/10, whatever lies after it is left out of every view, not drawn as a day without sales.
void TestGraphData::daysToComeAreNotPlotted_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("series");
    QTest::addColumn<int>("lastPlotted"); // the index of the last point with a value
    QTest::newRow("monthly trend") << int(MonthlyTrend) << "03" << 0 << 9;
    QTest::newRow("annual trend") << int(AnnualTrend) << "" << 0 << 31 + 28 + 9;
    QTest::newRow("month comparison, March") << int(MonthComparison) << "" << 2 << 9;
    QTest::newRow("month comparison, February") << int(MonthComparison) << "" << 1 << 27;
    QTest::newRow("month comparison, April") << int(MonthComparison) << "" << 3 << -1;
    QTest::newRow("year comparison, this year") << int(YearComparison) << "" << 4 << 2;
    QTest::newRow("year comparison, last year") << int(YearComparison) << "" << 3 << 11;
}

void TestGraphData::daysToComeAreNotPlotted()
{
    QFETCH(int, mode);
    QFETCH(QString, month);
    QFETCH(int, series);
    QFETCH(int, lastPlotted);
    GraphTables t;
    t.addSale(2006, 3, 10, 9, 100);
    t.addSale(2005, 12, 31, 9, 100);
    GraphChoice c = choice("2006", month, true, false, true);
    c.today = QDate(2006, 3, 10);
    const GraphView v = drawGraph(mode, t, c);
    const QList<std::optional<double>>& points = v.chart.series[series];
    int last = -1;
    for (int i = 0; i < points.size(); ++i)
        if (points[i].has_value())
            last = i;
    QCOMPARE(last, lastPlotted);
    for (int i = 0; i <= lastPlotted; ++i)
        QVERIFY2(points[i].has_value(), qPrintable(QString::number(i)));
}

void TestGraphData::visitorsPerHourIgnoresTotal()
{
    GraphTables t;
    t.addSale(2006, 3, 1, 0, 1);
    t.addSale(2006, 3, 1, 9, 1);
    t.addSale(2006, 3, 31, 9, 1);
    t.addSale(2006, 3, 2, 23, 1);
    t.addSale(2006, 4, 1, 9, 1);
    const GraphView a = drawGraph(VisitorsPerHour, t, choice("2006", "3", true, true, false));
    const GraphView b = drawGraph(VisitorsPerHour, t, choice("2006", "3", false, false, true));
    QCOMPARE(seriesValues(a), seriesValues(b));
    QCOMPARE(a.chart.series[0][9], 2.0);
    // The chart's point h and the table's row h + 1 are the same hour h.
    QCOMPARE(a.chart.labels[9], "9");
    QCOMPARE(a.table.rows[0], (QStringList{"時間", "人数"}));
    QCOMPARE(a.table.rows[1], (QStringList{"0", "1"}));
    QCOMPARE(a.table.rows[10], (QStringList{"9", "2"}));
    QCOMPARE(a.table.rows[24], (QStringList{"23", "1"}));
}

void TestGraphData::selectorsOutsideTheTables_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    for (int mode = MonthlyTrend; mode <= VisitorsPerHour; ++mode)
        for (const auto& [year, month] : {std::pair{"abc", "3"}, {"1999", "3"}, {"99999", "3"}, {"2006", "13"}})
            QTest::addRow("mode %d, %s/%s", mode, year, month) << mode << QString(year) << QString(month);
}

void TestGraphData::selectorsOutsideTheTables()
{
    QFETCH(int, mode);
    QFETCH(QString, year);
    QFETCH(QString, month);
    GraphTables t;
    t.addSale(2006, 3, 1, 9, 100);
    const GraphView v = drawGraph(mode, t, choice(year, month, true, true, false));
    QVERIFY(!v.table.rows.isEmpty());
    // Only a month the view does not use lets the 2006 figures through.
    const bool shown = year == "2006" && mode != MonthlyTrend && mode != VisitorsPerHour;
    bool anyFigure = false;
    bool anyValue = false;
    for (const auto& series : v.chart.series)
        for (const auto& value : series) {
            anyFigure = anyFigure || (value && *value != 0);
            anyValue = anyValue || value.has_value();
        }
    QCOMPARE(anyFigure, shown);
    // A year the tables do not cover is left empty, not drawn as nothing sold.
    if (mode == AnnualTrend && year != "2006")
        QVERIFY(!anyValue);
}

QTEST_GUILESS_MAIN(TestGraphData)
#include "tst_graphdata.moc"
