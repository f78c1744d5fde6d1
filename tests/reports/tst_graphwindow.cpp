// The graph window driven by its keys and controls, on slips written by the storage functions.
#include "windowtest.h"

#include "platform/chart.h"
#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/tabstrip.h"
#include "reports/graphwindow.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QCategoryAxis>
#include <QtTest>

namespace {

QStringList axisLabels(QAbstractAxis* axis)
{
    if (auto* marks = qobject_cast<QCategoryAxis*>(axis))
        return marks->categoriesLabels();
    if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
        return categories->categories();
    return {};
}

} // namespace

class TestGraphWindow : public WindowTest
{
    Q_OBJECT

    QPointer<GraphWindow> m_form;

    void tearDown() override { delete m_form; }

    // The window opened on sales of `sold` on 2006/03/01 at 11:00 (one more deleted) and purchases of `bought` on
    // 2006/03/02, the year typed and the month set to March.
    void openOnMarch2006(double sold = 100, double bought = 30)
    {
        storeSale(1, QStringLiteral("2006/03/01"), sold, QStringLiteral("11:00:00"));
        storeSale(2, QStringLiteral("2006/03/01"), 500, QStringLiteral("11:00:00"), true);
        storePurchase(1, QStringLiteral("2006/03/02"), bought);
        SysNum[Sys::NextSalesSlipNo] = 3;
        SysNum[Sys::NextPurchaseSlipNo] = 2;
        m_form = openWindow<GraphWindow>();
        yearBox()->lineEdit()->selectAll();
        QTest::keyClicks(yearBox()->lineEdit(), QStringLiteral("2006"));
        control<QComboBox>(m_form, QStringLiteral("monthBox"))->setEditText(QStringLiteral("03"));
    }
    template <typename T = QAbstractButton> T* the(const QString& name) const { return control<T>(m_form, name); }
    QComboBox* yearBox() const { return the<QComboBox>(QStringLiteral("yearBox")); }
    Grid* table() const { return the<Grid>(QStringLiteral("tableGrid")); }
    QChart* chart() const { return the<Chart>(QStringLiteral("chartView"))->chart(); }
    void key(Qt::Key k) const { QTest::keyClick(yearBox()->lineEdit(), k); }
    void click(const QString& name) const { QTest::mouseClick(the(name), Qt::LeftButton); }

private Q_SLOTS:
    void opensOnThisMonth()
    {
        m_form = openWindow<GraphWindow>();
        const QDate today = QDate::currentDate();
        QCOMPARE(yearBox()->currentText(), QString::number(today.year()));
        QCOMPARE(the<QComboBox>(QStringLiteral("monthBox"))->currentText(), today.toString(QStringLiteral("MM")));
        QCOMPARE(yearBox()->itemText(yearBox()->count() - 1), QString::number(today.year() + 1));
        QVERIFY(the(QStringLiteral("salesCheck"))->isChecked() && the(QStringLiteral("purchasesCheck"))->isChecked());
        QVERIFY(!the(QStringLiteral("runningTotalCheck"))->isChecked());
        QVERIFY(the(QStringLiteral("runningTotalCheck"))->toolTip().contains(QStringLiteral("累計")));
        QCOMPARE(m_form->graphMode(), int(MonthlyTrend));
        QCOMPARE(the<Chart>(QStringLiteral("chartView"))->type(), Chart::Line);
        QCOMPARE(the<TabStrip>(QStringLiteral("viewTabs"))->selectedTab(), 0);
        QCOMPARE(the<Chart>(QStringLiteral("chartView"))->points().labels.size(), 31);
        QCOMPARE(chart()->series().size(), 1);
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    // The title names the view, what is plotted and the period; both axes carry labels that can be read, the
    // values as whole numbers with their thousands grouped.
    void chartSaysWhatItShows_data()
    {
        QTest::addColumn<int>("key");            // 0: the customers per hour button
        QTest::addColumn<QList<bool>>("checks"); // sales, purchases, running total
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("monthEnabled");
        QTest::addColumn<int>("series");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("xEnds"); // first and last label of the horizontal axis
        QTest::addColumn<int>("xCount");
        QTest::addColumn<QStringList>("yLabels");
        QTest::addColumn<bool>("legend");
        // clang-format off
        QTest::newRow("monthly trend, both") << int(Qt::Key_F5) << QList<bool>{true, true, false} << int(MonthlyTrend) << true << 1 << "月間推移　合計（売上 − 仕入）　2006年3月　（単位：円）" << QStringList{" 1", " 31"} << 31 << QStringList{"-5,000", "0", "5,000", "10,000", "15,000"} << false;
        QTest::newRow("annual trend, sales") << int(Qt::Key_F6) << QList<bool>{true, false, false} << int(AnnualTrend) << false << 1 << "年間推移　売上　2006年　（単位：円）" << QStringList{"1月", "12月"} << 12 << QStringList{"0", "2,000", "4,000", "6,000", "8,000", "10,000", "12,000"} << false;
        QTest::newRow("annual trend, purchases") << int(Qt::Key_F6) << QList<bool>{false, true, false} << int(AnnualTrend) << false << 1 << "年間推移　仕入（マイナスで表示）　2006年　（単位：円）" << QStringList{"1月", "12月"} << 12 << QStringList{"-3,000", "-2,500", "-2,000", "-1,500", "-1,000", "-500", "0"} << false;
        QTest::newRow("month comparison, purchases") << int(Qt::Key_F7) << QList<bool>{false, true, false} << int(MonthComparison) << false << 12 << "月別比較　仕入　2006年　（単位：円）" << QStringList{" 1", " 31"} << 31 << QStringList{"0", "500", "1,000", "1,500", "2,000", "2,500", "3,000"} << true;
        QTest::newRow("year comparison, running") << int(Qt::Key_F8) << QList<bool>{true, true, true} << int(YearComparison) << false << 5 << "年度比較　合計（売上 − 仕入）の累計　2002年〜2006年　（単位：円）" << QStringList{" 1月", " 12月"} << 12 << QStringList{"0", "2,000", "4,000", "6,000", "8,000", "10,000"} << true;
        QTest::newRow("customers per hour") << 0 << QList<bool>{true, true, true} << int(VisitorsPerHour) << true << 1 << "月間時間帯別来客数　2006年3月　（単位：人）" << QStringList{"0", "23"} << 24 << QStringList{"0", "1"} << false;
        QTest::newRow("nothing chosen") << int(Qt::Key_F5) << QList<bool>{false, false, false} << int(MonthlyTrend) << true << 1 << "月間推移　（売上か仕入を選んでください）　2006年3月　（単位：円）" << QStringList{" 1", " 31"} << 31 << QStringList{"0", "1"} << false;
        // clang-format on
    }
    void chartSaysWhatItShows()
    {
        QFETCH(int, key);
        QFETCH(QList<bool>, checks);
        QFETCH(int, mode);
        QFETCH(bool, monthEnabled);
        QFETCH(int, series);
        QFETCH(QString, title);
        QFETCH(QStringList, xEnds);
        QFETCH(int, xCount);
        QFETCH(QStringList, yLabels);
        QFETCH(bool, legend);
        openOnMarch2006(12000, 3000);
        this->key(Qt::Key_F8); // from another view, the month disabled, typed in the year box
        const QStringList choices{"salesCheck", "purchasesCheck", "runningTotalCheck"};
        for (int i = 0; i < 3; ++i)
            the(choices[i])->setChecked(checks[i]);
        if (key)
            this->key(Qt::Key(key));
        else
            click(QStringLiteral("visitorsPerHourButton"));

        QCOMPARE(m_form->graphMode(), mode);
        QVERIFY(yearBox()->isEnabled());
        QCOMPARE(the<QComboBox>(QStringLiteral("monthBox"))->isEnabled(), monthEnabled);
        QCOMPARE(chart()->series().size(), series);
        QCOMPARE(chart()->title(), title);
        const QStringList x = axisLabels(chart()->axes(Qt::Horizontal).constFirst());
        QCOMPARE(x.size(), xCount);
        QCOMPARE((QStringList{x.constFirst(), x.constLast()}), xEnds);
        QCOMPARE(axisLabels(chart()->axes(Qt::Vertical).constFirst()), yLabels);
        QCOMPARE(chart()->legend()->isVisible(), legend);
        // Every caption of the choices whole, inside its frame, and the frames clear of the buttons.
        for (const QString& name : choices + QStringList{"lineChartButton", "barChartButton"}) {
            QAbstractButton* choice = the(name);
            QVERIFY2(choice->width() >= choice->sizeHint().width(), qPrintable(name));
            QVERIFY2(choice->geometry().right() < choice->parentWidget()->width(), qPrintable(name));
        }
        QVERIFY(the<QGroupBox>(QStringLiteral("seriesFrame"))->geometry().right() <
                the<QGroupBox>(QStringLiteral("chartTypeFrame"))->x());
        QVERIFY(the<QGroupBox>(QStringLiteral("chartTypeFrame"))->geometry().right() <
                the(QStringLiteral("monthlyTrendButton"))->x());
    }

    void valueTicksAreRound_data()
    {
        QTest::addColumn<double>("low");
        QTest::addColumn<double>("high");
        QTest::addColumn<QList<double>>("ticks");
        QTest::newRow("empty chart") << 0.0 << 0.0 << QList<double>{0, 1};
        QTest::newRow("small counts stay whole") << 0.0 << 3.0 << QList<double>{0, 1, 2, 3};
        QTest::newRow("step of 2") << 0.0 << 12.0 << QList<double>{0, 2, 4, 6, 8, 10, 12};
        QTest::newRow("step of 5 across zero") << -3000.0 << 12000.0 << QList<double>{-5000, 0, 5000, 10000, 15000};
        QTest::newRow("step of 10") << 0.0 << 42.0 << QList<double>{0, 10, 20, 30, 40, 50};
        QTest::newRow("ends off the steps") << 130.0 << 970.0 << QList<double>{0, 200, 400, 600, 800, 1000};
        QTest::newRow("fractions round out") << 0.2 << 0.7 << QList<double>{0, 1};
        QTest::newRow("reversed") << 10.0 << 0.0 << QList<double>{0, 2, 4, 6, 8, 10};
    }
    void valueTicksAreRound()
    {
        QFETCH(double, low);
        QFETCH(double, high);
        QFETCH(QList<double>, ticks);
        QCOMPARE(valueTicks(low, high), ticks);
    }

    void checksAndChartType()
    {
        openOnMarch2006();
        key(Qt::Key_F5);
        click(QStringLiteral("purchasesCheck"));    // sales only
        click(QStringLiteral("runningTotalCheck")); // running sums, the figures tst_graphdata's
        QCOMPARE(the<Chart>(QStringLiteral("chartView"))->points().series[0][30], 100.0);
        click(QStringLiteral("barChartButton"));
        QCOMPARE(m_form->chartType(), Chart::Bar);
        QCOMPARE(chart()->series().first()->type(), QAbstractSeries::SeriesTypeBar);
        click(QStringLiteral("lineChartButton"));
        QCOMPARE(chart()->series().first()->type(), QAbstractSeries::SeriesTypeLine);
    }

    // F10 and F9 switch between the table and the chart; the table's CSV出力 shows with its tab only and writes
    // the table under the view's name and period, whole yen grouped on the screen and plain in the file.
    void tableTabAndCsv()
    {
        openOnMarch2006(12000);
        key(Qt::Key_F5);
        QVERIFY(the(QStringLiteral("csvButton"))->isHidden());
        key(Qt::Key_F10);
        QCOMPARE(the<TabStrip>(QStringLiteral("viewTabs"))->selectedTab(), 1);
        QVERIFY(!the(QStringLiteral("csvButton"))->isHidden());
        const QModelIndex day1 = table()->model()->index(0, 2);
        QCOMPARE(table()->model()->data(day1, Qt::DisplayRole).toString(), "12,000");
        QVERIFY(Qt::Alignment(table()->model()->data(day1, Qt::TextAlignmentRole).toInt()) & Qt::AlignRight);

        FileDialog::setNextSaveName(dir().file(QStringLiteral("g.csv")));
        click(QStringLiteral("csvButton"));
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("月間推移_2006-03.csv")});
        const QList<QByteArray> lines = dir().bytes(QStringLiteral("g.csv")).split('\n');
        QCOMPARE(lines.size(), 33); // heading, 31 days, and nothing after the last CR LF
        QCOMPARE(fromCp932(lines[0]), QStringLiteral("年月日,仕入,売上,利益\r"));
        QCOMPARE(fromCp932(lines[1]), QStringLiteral("2006/03/01,0,12000,12000\r"));
        QVERIFY(lines[32].isEmpty());
        key(Qt::Key_F8);
        FileDialog::setNextSaveName(dir().file(QStringLiteral("g.csv")));
        click(QStringLiteral("csvButton"));
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("年度比較_2006.csv")});

        QTest::keyClick(table(), Qt::Key_F9);
        QCOMPARE(the<TabStrip>(QStringLiteral("viewTabs"))->selectedTab(), 0);
    }

    // Enter in a selector does nothing, and the year list keeps its entries; End closes the window.
    void enterAndEnd()
    {
        openOnMarch2006();
        m_form->setAttribute(Qt::WA_DeleteOnClose);
        const int years = yearBox()->count();
        key(Qt::Key_Return);
        QCOMPARE(yearBox()->count(), years);
        key(Qt::Key_End);
        QTRY_VERIFY(m_form.isNull());
    }

    // Losing the focus with a list entry's text counts as a pick; it must not draw from tables being destroyed.
    void destroyedWithTheFocusInTheYearBox()
    {
        openOnMarch2006();
        yearBox()->setFocus();
        key(Qt::Key_Backspace);
        QTest::keyClicks(yearBox()->lineEdit(), QStringLiteral("7"));
        delete m_form;
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
