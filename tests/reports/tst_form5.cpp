// The graph window driven by its keys and controls, on slips written by the storage functions.
#include "platform/chart.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "reports/form5.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "testutil.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

// A window opened on sales of 100 on 2006/03/01 (one more deleted) and purchases of 30 on 2006/03/02.
std::unique_ptr<Form5> openOnMarch2006()
{
    const QString time = QStringLiteral("11:00:00");
    storeSale(1, QStringLiteral("2006/03/01"), 100, time);
    storeSale(2, QStringLiteral("2006/03/01"), 500, time, true);
    storePurchase(1, QStringLiteral("2006/03/02"), 30);
    SysNum[Sys::NextSalesSlipNo] = 3;
    SysNum[Sys::NextPurchaseSlipNo] = 2;
    auto form = std::make_unique<Form5>();
    form->Combo1->lineEdit()->selectAll();
    QTest::keyClicks(form->Combo1->lineEdit(), QStringLiteral("2006"));
    form->Combo2->setEditText(QStringLiteral("03"));
    return form;
}

} // namespace

class TestForm5 : public QObject
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
};

void TestForm5::opensOnThisMonth()
{
    TestAppDir dir;
    Form5 form;
    const QDate today = QDate::currentDate();
    QCOMPARE(form.Combo1->currentText(), QString::number(today.year()));
    QCOMPARE(form.Combo2->currentText(), today.toString(QStringLiteral("MM")));
    QCOMPARE(form.Combo1->itemText(form.Combo1->count() - 1), QString::number(today.year() + 1));
    QVERIFY(form.Check1->isChecked() && form.Check2->isChecked() && !form.Check3->isChecked());
    QCOMPARE(form.graphMode(), int(MonthlyTrend));
    QCOMPARE(form.MSChart1->type(), Chart::Line);
    QCOMPARE(form.SSTab1->selectedTab(), 0);
    QCOMPARE(form.MSChart1->points().labels.size(), 31);
    QCOMPARE(form.MSChart1->chart()->series().size(), 1);
    for (QWidget* w : form.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
}

void TestForm5::viewKeys_data()
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

void TestForm5::viewKeys()
{
    QFETCH(int, key);
    QFETCH(int, mode);
    QFETCH(bool, monthEnabled);
    QFETCH(int, series);
    QFETCH(bool, legend);
    TestAppDir dir;
    auto form = openOnMarch2006();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_F7); // from another view, typed in the year box
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key(key));
    QCOMPARE(form->graphMode(), mode);
    QVERIFY(form->Combo1->isEnabled());
    QCOMPARE(form->Combo2->isEnabled(), monthEnabled);
    QCOMPARE(form->MSChart1->chart()->series().size(), series);
    QCOMPARE(form->MSChart1->chart()->legend()->isVisible(), legend);

    // The customers per hour view has no key; its button enables both selectors again.
    QTest::mouseClick(form->Command6, Qt::LeftButton);
    QCOMPARE(form->graphMode(), int(VisitorsPerHour));
    QVERIFY(form->Combo2->isEnabled());
    QCOMPARE(form->MSFlexGrid1->text(11, 1), "1"); // the one valid slip, saved at 11:00
}

void TestForm5::checksAndChartType()
{
    TestAppDir dir;
    auto form = openOnMarch2006();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_F5);
    QCOMPARE(form->MSFlexGrid1->text(1, 3), "100"); // the deleted slip adds nothing
    QCOMPARE(form->MSFlexGrid1->text(2, 3), "-30");
    QTest::mouseClick(form->Check2, Qt::LeftButton); // sales only
    QTest::mouseClick(form->Check3, Qt::LeftButton); // running sums
    QCOMPARE(form->MSFlexGrid1->text(31, 2), "100");
    QCOMPARE(form->MSChart1->points().series[0][30], 100.0);
    QTest::mouseClick(form->Option2, Qt::LeftButton);
    QCOMPARE(form->chartType(), Chart::Bar);
    QCOMPARE(form->MSChart1->chart()->series().first()->type(), QAbstractSeries::SeriesTypeBar);
    QTest::mouseClick(form->Option1, Qt::LeftButton);
    QCOMPARE(form->MSChart1->chart()->series().first()->type(), QAbstractSeries::SeriesTypeLine);
}

void TestForm5::tabKeysAndEnd()
{
    TestAppDir dir;
    auto owned = openOnMarch2006();
    QPointer<Form5> form = owned.release();
    form->setAttribute(Qt::WA_DeleteOnClose);
    form->show();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_F10);
    QCOMPARE(form->SSTab1->selectedTab(), 1);
    QTest::keyClick(form->MSFlexGrid1, Qt::Key_F9);
    QCOMPARE(form->SSTab1->selectedTab(), 0);
    // Enter in a selector does nothing, and the year list keeps its entries.
    const int years = form->Combo1->count();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_Return);
    QCOMPARE(form->Combo1->count(), years);
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_End);
    QTRY_VERIFY(form.isNull());
}

// Losing the focus with a list entry's text counts as a pick; it must not draw from tables being destroyed.
void TestForm5::destroyedWithTheFocusInTheYearBox()
{
    TestAppDir dir;
    auto form = openOnMarch2006();
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    form->Combo1->setFocus();
    QTest::keyClick(form->Combo1->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(form->Combo1->lineEdit(), QStringLiteral("7"));
    form.reset();
}

QTEST_MAIN(TestForm5)
#include "tst_form5.moc"
