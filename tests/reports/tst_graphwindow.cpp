// The graph window driven by its keys and controls, on slips written by the storage functions.
#include "platform/chart.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "reports/graphwindow.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QCategoryAxis>

namespace {

// A window opened on sales of 100 on 2006/03/01 (one more deleted) and purchases of 30 on 2006/03/02.
std::unique_ptr<GraphWindow> openOnMarch2006()
{
    const QString time = QStringLiteral("11:00:00");
    storeSale(1, QStringLiteral("2006/03/01"), 100, time);
    storeSale(2, QStringLiteral("2006/03/01"), 500, time, true);
    storePurchase(1, QStringLiteral("2006/03/02"), 30);
    SysNum[Sys::NextSalesSlipNo] = 3;
    SysNum[Sys::NextPurchaseSlipNo] = 2;
    auto form = std::make_unique<GraphWindow>();
    form->yearBox->lineEdit()->selectAll();
    QTest::keyClicks(form->yearBox->lineEdit(), QStringLiteral("2006"));
    form->monthBox->setEditText(QStringLiteral("03"));
    return form;
}

} // namespace

class TestGraphWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void opensOnThisMonth();
    void viewKeys_data();
    void viewKeys();
    void checksAndChartType();
    void tabKeysAndEnd();
    void destroyedWithTheFocusInTheYearBox();
    void chartSaysWhatItShows_data();
    void chartSaysWhatItShows();
    void valueTicksAreRound_data();
    void valueTicksAreRound();
};

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

// The title names the view, what is plotted and the period; both axes carry labels that can be read, the
// values as whole numbers with their thousands grouped.
void TestGraphWindow::chartSaysWhatItShows_data()
{
    QTest::addColumn<int>("key"); // 0: the customers per hour button
    QTest::addColumn<bool>("sales");
    QTest::addColumn<bool>("purchases");
    QTest::addColumn<bool>("total");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("xEnds"); // first and last label of the horizontal axis
    QTest::addColumn<int>("xCount");
    QTest::addColumn<QStringList>("yLabels");
    QTest::addColumn<bool>("legend");

    QTest::newRow("monthly trend, both") << int(Qt::Key_F5) << true << true << false
                                         << "月間推移　合計（売上 − 仕入）　2006年3月　（単位：円）"
                                         << QStringList{" 1", " 31"} << 31
                                         << QStringList{"-5,000", "0", "5,000", "10,000", "15,000"} << false;
    QTest::newRow("annual trend, sales") << int(Qt::Key_F6) << true << false << false
                                         << "年間推移　売上　2006年　（単位：円）" << QStringList{"1月", "12月"} << 12
                                         << QStringList{"0", "2,000", "4,000", "6,000", "8,000", "10,000", "12,000"}
                                         << false;
    QTest::newRow("annual trend, purchases")
        << int(Qt::Key_F6) << false << true << false << "年間推移　仕入（マイナスで表示）　2006年　（単位：円）"
        << QStringList{"1月", "12月"} << 12
        << QStringList{"-3,000", "-2,500", "-2,000", "-1,500", "-1,000", "-500", "0"} << false;
    QTest::newRow("month comparison, purchases")
        << int(Qt::Key_F7) << false << true << false << "月別比較　仕入　2006年　（単位：円）"
        << QStringList{" 1", " 31"} << 31 << QStringList{"0", "500", "1,000", "1,500", "2,000", "2,500", "3,000"}
        << true;
    QTest::newRow("year comparison, running")
        << int(Qt::Key_F8) << true << true << true
        << "年度比較　合計（売上 − 仕入）の累計　2002年〜2006年　（単位：円）" << QStringList{" 1月", " 12月"} << 12
        << QStringList{"0", "2,000", "4,000", "6,000", "8,000", "10,000"} << true;
    QTest::newRow("customers per hour") << 0 << true << true << true << "月間時間帯別来客数　2006年3月　（単位：人）"
                                        << QStringList{" 0:00", " 23:00"} << 24 << QStringList{"0", "1"} << false;
    QTest::newRow("nothing chosen") << int(Qt::Key_F5) << false << false << false
                                    << "月間推移　（売上か仕入を選んでください）　2006年3月　（単位：円）"
                                    << QStringList{" 1", " 31"} << 31 << QStringList{"0", "1"} << false;
}

void TestGraphWindow::chartSaysWhatItShows()
{
    QFETCH(int, key);
    QFETCH(bool, sales);
    QFETCH(bool, purchases);
    QFETCH(bool, total);
    QFETCH(QString, title);
    QFETCH(QStringList, xEnds);
    QFETCH(int, xCount);
    QFETCH(QStringList, yLabels);
    QFETCH(bool, legend);
    TestAppDir dir;
    storeSale(1, QStringLiteral("2006/03/01"), 12000, QStringLiteral("11:00:00"));
    storePurchase(1, QStringLiteral("2006/03/02"), 3000);
    SysNum[Sys::NextSalesSlipNo] = 2;
    SysNum[Sys::NextPurchaseSlipNo] = 2;
    GraphWindow form;
    form.yearBox->lineEdit()->selectAll();
    QTest::keyClicks(form.yearBox->lineEdit(), QStringLiteral("2006"));
    form.monthBox->setEditText(QStringLiteral("03"));
    form.salesCheck->setChecked(sales);
    form.purchasesCheck->setChecked(purchases);
    form.runningTotalCheck->setChecked(total);
    if (key)
        QTest::keyClick(form.yearBox->lineEdit(), Qt::Key(key));
    else
        QTest::mouseClick(form.visitorsPerHourButton, Qt::LeftButton);

    QChart* chart = form.chartView->chart();
    QCOMPARE(chart->title(), title);
    const QStringList x = axisLabels(chart->axes(Qt::Horizontal).constFirst());
    QCOMPARE(x.size(), xCount);
    QCOMPARE((QStringList{x.constFirst(), x.constLast()}), xEnds);
    QCOMPARE(axisLabels(chart->axes(Qt::Vertical).constFirst()), yLabels);
    QCOMPARE(chart->legend()->isVisible(), legend);
    // The table shows whole yen as whole numbers, grouped, and plain in what the CSV file takes.
    if (key == Qt::Key_F5 && sales && purchases) {
        const QModelIndex day1 = form.tableGrid->model()->index(0, 2);
        QCOMPARE(form.tableGrid->model()->data(day1, Qt::DisplayRole).toString(), "12,000");
        QCOMPARE(form.tableGrid->model()->data(day1, Qt::EditRole).toString(), "12000");
        QVERIFY(Qt::Alignment(form.tableGrid->model()->data(day1, Qt::TextAlignmentRole).toInt()) & Qt::AlignRight);
    }
    // Every caption of the choices whole, inside its frame, and the frames clear of the buttons.
    for (QAbstractButton* choice :
         QList<QAbstractButton*>{form.salesCheck, form.purchasesCheck, form.runningTotalCheck, form.lineChartButton, form.barChartButton}) {
        QVERIFY2(choice->width() >= choice->sizeHint().width(), qPrintable(choice->text()));
        QVERIFY2(choice->geometry().right() < choice->parentWidget()->width(), qPrintable(choice->text()));
    }
    QVERIFY(form.seriesFrame->geometry().right() < form.chartTypeFrame->x());
    QVERIFY(form.chartTypeFrame->geometry().right() < form.monthlyTrendButton->x());
}

void TestGraphWindow::valueTicksAreRound_data()
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

void TestGraphWindow::valueTicksAreRound()
{
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QList<double>, ticks);
    QCOMPARE(valueTicks(low, high), ticks);
}

void TestGraphWindow::opensOnThisMonth()
{
    TestAppDir dir;
    GraphWindow form;
    const QDate today = QDate::currentDate();
    QCOMPARE(form.yearBox->currentText(), QString::number(today.year()));
    QCOMPARE(form.monthBox->currentText(), today.toString(QStringLiteral("MM")));
    QCOMPARE(form.yearBox->itemText(form.yearBox->count() - 1), QString::number(today.year() + 1));
    QVERIFY(form.salesCheck->isChecked() && form.purchasesCheck->isChecked() && !form.runningTotalCheck->isChecked());
    QCOMPARE(form.graphMode(), int(MonthlyTrend));
    QCOMPARE(form.chartView->type(), Chart::Line);
    QCOMPARE(form.viewTabs->selectedTab(), 0);
    QCOMPARE(form.chartView->points().labels.size(), 31);
    QCOMPARE(form.chartView->chart()->series().size(), 1);
    for (QWidget* w : form.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
}

void TestGraphWindow::viewKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("monthEnabled");
    QTest::addColumn<int>("series");
    QTest::addColumn<bool>("legend");

    QTest::newRow("F6 annual trend") << int(Qt::Key_F6) << int(AnnualTrend) << false << 1 << false;
    QTest::newRow("F7 month comparison") << int(Qt::Key_F7) << int(MonthComparison) << false << 12 << true;
    QTest::newRow("F8 year comparison") << int(Qt::Key_F8) << int(YearComparison) << false << 5 << true;
    QTest::newRow("F5 monthly trend") << int(Qt::Key_F5) << int(MonthlyTrend) << true << 1 << false;
}

void TestGraphWindow::viewKeys()
{
    QFETCH(int, key);
    QFETCH(int, mode);
    QFETCH(bool, monthEnabled);
    QFETCH(int, series);
    QFETCH(bool, legend);
    TestAppDir dir;
    auto form = openOnMarch2006();
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_F7); // from another view, typed in the year box
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key(key));
    QCOMPARE(form->graphMode(), mode);
    QVERIFY(form->yearBox->isEnabled());
    QCOMPARE(form->monthBox->isEnabled(), monthEnabled);
    QCOMPARE(form->chartView->chart()->series().size(), series);
    QCOMPARE(form->chartView->chart()->legend()->isVisible(), legend);

    // The customers per hour view has no key; its button enables both selectors again.
    QTest::mouseClick(form->visitorsPerHourButton, Qt::LeftButton);
    QCOMPARE(form->graphMode(), int(VisitorsPerHour));
    QVERIFY(form->monthBox->isEnabled());
    QCOMPARE(form->tableGrid->text(11, 1), "1"); // the one valid slip, saved at 11:00
}

void TestGraphWindow::checksAndChartType()
{
    TestAppDir dir;
    auto form = openOnMarch2006();
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_F5);
    QCOMPARE(form->tableGrid->text(1, 3), "100"); // the deleted slip adds nothing
    QCOMPARE(form->tableGrid->text(2, 3), "-30");
    QTest::mouseClick(form->purchasesCheck, Qt::LeftButton); // sales only
    QTest::mouseClick(form->runningTotalCheck, Qt::LeftButton); // running sums
    QCOMPARE(form->tableGrid->text(31, 2), "100");
    QCOMPARE(form->chartView->points().series[0][30], 100.0);
    QTest::mouseClick(form->barChartButton, Qt::LeftButton);
    QCOMPARE(form->chartType(), Chart::Bar);
    QCOMPARE(form->chartView->chart()->series().first()->type(), QAbstractSeries::SeriesTypeBar);
    QTest::mouseClick(form->lineChartButton, Qt::LeftButton);
    QCOMPARE(form->chartView->chart()->series().first()->type(), QAbstractSeries::SeriesTypeLine);
}

void TestGraphWindow::tabKeysAndEnd()
{
    TestAppDir dir;
    auto owned = openOnMarch2006();
    QPointer<GraphWindow> form = owned.release();
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_F10);
    QCOMPARE(form->viewTabs->selectedTab(), 1);
    QTest::keyClick(form->tableGrid, Qt::Key_F9);
    QCOMPARE(form->viewTabs->selectedTab(), 0);
    // Enter in a selector does nothing, and the year list keeps its entries.
    const int years = form->yearBox->count();
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_Return);
    QCOMPARE(form->yearBox->count(), years);
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_End);
    QTRY_VERIFY(form.isNull());
}

// Losing the focus with a list entry's text counts as a pick; it must not draw from tables being destroyed.
void TestGraphWindow::destroyedWithTheFocusInTheYearBox()
{
    TestAppDir dir;
    auto form = openOnMarch2006();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->yearBox->setFocus();
    QTest::keyClick(form->yearBox->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(form->yearBox->lineEdit(), QStringLiteral("7"));
    form.reset();
}

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
