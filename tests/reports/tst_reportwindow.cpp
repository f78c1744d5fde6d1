// The report window on slips written by the storage functions, read back from the grid's model.
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "platform/twips.h"
#include "reports/reportwindow.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "testutil.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <cmath>

namespace {

struct Line
{
    int number;
    int qty;
    double amount;
};

// Sales slip n on `date` with lines placed at the given line positions (1 to 10).
void saveSale(qint64 n, const QString& date, const QList<std::pair<int, Line>>& lines, bool deleted = false)
{
    WorkingSlip = SalesSlipRecord();
    WorkingSlip.Date = date;
    WorkingSlip.Time = QStringLiteral("10:15:00");
    WorkingSlip.Weather = QStringLiteral("晴れ");
    WorkingSlip.SlipNo = int32_t(n);
    double total = 0;
    for (const auto& [k, l] : lines) {
        WorkingSlip.Line[k] = {int16_t(l.number), QStringLiteral("品%1").arg(l.number), 100, int16_t(l.qty), l.amount};
        total += l.amount;
    }
    WorkingSlip.Subtotal = WorkingSlip.Total = total;
    WorkingSlip.Tax = 9;
    WorkingSlip.Deleted = deleted ? 1 : 0;
    QVERIFY(WriteSalesSlip(n));
    SysNum[Sys::NextSalesSlipNo] = std::max<double>(SysNum[Sys::NextSalesSlipNo], double(n + 1));
}

// Sales slip n of one item each of the given products, priced `amount`, with each rate's figures worked out
// and stored as the register stores them.
void saveRatedSale(qint64 n, const QString& date, const QList<std::pair<int, double>>& lines)
{
    WorkingSlip = SalesSlipRecord();
    WorkingSlip.Date = date;
    WorkingSlip.SlipNo = int32_t(n);
    int k = 1;
    for (const auto& [number, amount] : lines) {
        WorkingSlip.Line[k++] = {int16_t(number), QStringLiteral("品%1").arg(number), int16_t(amount), 1, amount};
        WorkingSlip.Total += amount;
    }
    WorkingSlip.Subtotal = WorkingSlip.Total;
    FillSlipTax(WorkingSlip, true);
    QVERIFY(WriteSalesSlip(n));
    SysNum[Sys::NextSalesSlipNo] = std::max<double>(SysNum[Sys::NextSalesSlipNo], double(n + 1));
}

void savePurchase(qint64 n, const QString& date, const QList<Line>& lines, bool deleted = false)
{
    PurchaseSlipRecord slip;
    slip.Date = date;
    slip.SlipNo = int32_t(n);
    slip.SupplierNo = 7;
    slip.SupplierName = QStringLiteral("山田商店");
    int k = 1;
    for (const Line& l : lines)
        slip.Line[k++] = {int16_t(l.number), QStringLiteral("材%1").arg(l.number), 50, int16_t(l.qty), l.amount};
    slip.Subtotal = 300;
    slip.Tax = 30;
    slip.Total = 330;
    slip.Deleted = deleted ? 1 : 0;
    QVERIFY(WritePurchaseSlip(n, slip));
    SysNum[Sys::NextPurchaseSlipNo] = std::max<double>(SysNum[Sys::NextPurchaseSlipNo], double(n + 1));
}

QStringList row(const ReportWindow& form, int r)
{
    QStringList texts;
    for (int c = 0; c < form.reportGrid->cols(); ++c)
        texts << form.reportGrid->model()->text(r, c);
    return texts;
}

// Types the period into the boxes as the owner would, then presses the report's button.
void typePeriod(ReportWindow& form, const QString& year, const QString& month, const QString& day, bool daily)
{
    for (auto [combo, text] : {std::pair{form.yearBox, year}, {form.monthBox, month}, {form.dayBox, day}}) {
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), text);
    }
    (daily ? form.dailyButton : form.monthlyButton)->setChecked(true);
}

} // namespace

class TestReportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void periods_data();
    void periods();
    void firstUsedLineIsNumberOne();
    void totalsRows_data();
    void totalsRows();
    void sumsPerNumber_data();
    void sumsPerNumber();
    void purchasesPerItemNames();
    void reducedRate_data();
    void reducedRate();
    void periodTotals_data();
    void periodTotals();
    void comboPickRebuildsTypingWaits();
    void unreadableFileIsReported();
    void yearListReachesNextYear();
    void shownAsRead_data();
    void shownAsRead();
    void columnsShowWholeTexts();
    void paymentMethods_data();
    void paymentMethods();
};

// Each slip's total row names how it was paid; under the list, the period's total per method. Deleted slips
// and other periods count nowhere; a slip from before payments were stored counts as cash.
void TestReportWindow::paymentMethods_data()
{
    QTest::addColumn<bool>("daily");
    QTest::addColumn<QStringList>("methods"); // on the total rows, in slip order
    QTest::addColumn<QStringList>("totals");  // cash, credit, e-money, QR
    QTest::newRow("day") << true << QStringList{"現金", "クレジット", "QRコード決済", "電子マネー", "現金"}
                         << QStringList{"-20", "200", "50", "300"};
    QTest::newRow("month") << false
                           << QStringList{"現金", "クレジット", "QRコード決済", "電子マネー", "現金", "クレジット"}
                           << QStringList{"-20", "270", "50", "300"};
}

void TestReportWindow::paymentMethods()
{
    QFETCH(bool, daily);
    QFETCH(QStringList, methods);
    QFETCH(QStringList, totals);
    TestAppDir dir;
    const QString day = QStringLiteral("2021/04/01");
    const auto paid = [&](qint64 n, const QString& date, double amount, PaymentMethod m, bool deleted = false) {
        saveSale(n, date, {{1, {3, 1, amount}}}, deleted);
        WorkingSlip.Payment = {true, m, m == PaymentMethod::Cash ? 1000.0 : 0};
        QVERIFY(WriteSalesSlip(n));
    };
    saveSale(1, day, {{1, {3, 1, 100}}}); // older slip: cash
    paid(2, day, 200, PaymentMethod::Credit);
    paid(3, day, 300, PaymentMethod::QrCode);
    paid(4, day, 50, PaymentMethod::EMoney);
    paid(5, day, -120, PaymentMethod::Cash); // a return paid back in cash
    paid(6, day, 999, PaymentMethod::Credit, true);
    paid(7, QStringLiteral("2021/04/02"), 70, PaymentMethod::Credit);
    paid(8, QStringLiteral("2021/05/01"), 5000, PaymentMethod::Cash);
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", daily);
    QTest::mouseClick(form.salesSlipsButton, Qt::LeftButton);
    QStringList shown;
    const int rows = form.reportGrid->rows();
    int r = 1;
    for (; r < rows && form.reportGrid->text(r, 0) != u"期間合計"; ++r)
        if (form.reportGrid->text(r, 8) == u"合計")
            shown << form.reportGrid->text(r, 6);
    QCOMPARE(shown, methods);
    // The period's 合計 comes just before the methods' rows and is what they add up to.
    QCOMPARE(form.reportGrid->text(rows - 5, 8), "合計");
    int sum = 0;
    const QStringList names = {"現金", "クレジット", "電子マネー", "QRコード決済"};
    for (int m = 0; m < 4; ++m) {
        QCOMPARE(form.reportGrid->text(rows - 4 + m, 6), QStringLiteral("支払方法別 ") + names[m]);
        QCOMPARE(form.reportGrid->text(rows - 4 + m, 9), totals[m]);
        sum += totals[m].toInt();
    }
    QCOMPARE(form.reportGrid->text(rows - 5, 9), QString::number(sum));
}

void TestReportWindow::periods_data()
{
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("day");
    QTest::addColumn<bool>("daily");
    QTest::addColumn<QStringList>("slips"); // slip numbers listed, in order

    QTest::newRow("monthly, day 31 ignored") << "2021"
                                             << "4"
                                             << "31" << false << QStringList{"1", "2", "4"};
    QTest::newRow("daily") << "2021"
                           << "4"
                           << "2" << true << QStringList{"2"};
    QTest::newRow("daily, empty day") << "2021"
                                      << "4"
                                      << "3" << true << QStringList{};
    QTest::newRow("month 04 matches April") << "2021"
                                            << "04"
                                            << "01" << true << QStringList{"1"};
    QTest::newRow("month with a plus sign") << "2021"
                                            << "+4"
                                            << "2" << true << QStringList{"2"};
    QTest::newRow("typed year 2020") << "2020"
                                     << "4"
                                     << "1" << false << QStringList{"5"};
    QTest::newRow("year not a number") << "abc"
                                       << "4"
                                       << "1" << false << QStringList{};
    QTest::newRow("letters never match the blank next record") << "abc"
                                                               << "x"
                                                               << "y" << true << QStringList{};
    QTest::newRow("blank boxes never match the blank next record") << ""
                                                                   << ""
                                                                   << "" << true << QStringList{};
}

void TestReportWindow::periods()
{
    QFETCH(QString, year);
    QFETCH(QString, month);
    QFETCH(QString, day);
    QFETCH(bool, daily);
    QFETCH(QStringList, slips);
    TestAppDir dir;
    saveSale(1, QStringLiteral("2021/04/01"), {{1, {3, 1, 100}}});
    saveSale(2, QStringLiteral("2021/04/02"), {{1, {3, 1, 100}}});
    saveSale(3, QStringLiteral("2021/04/02"), {{1, {3, 1, 100}}}, true);
    saveSale(4, QStringLiteral("2021/04/30"), {{1, {3, 1, 100}}});
    saveSale(5, QStringLiteral("2020/04/30"), {{1, {3, 1, 100}}});
    saveSale(6, QStringLiteral("2021/05/01"), {{1, {3, 1, 100}}});
    WorkingSlip = SalesSlipRecord();
    QVERIFY(WriteSalesSlip(7)); // the blank record the next slip takes, read like the others

    ReportWindow form;
    typePeriod(form, year, month, day, daily);
    QTest::mouseClick(form.salesSlipsButton, Qt::LeftButton);
    QCOMPARE(form.reportKind(), 1);
    QStringList listed;
    for (int r = 1; r < form.reportGrid->rows(); ++r)
        if (!form.reportGrid->text(r, 0).isEmpty() && form.reportGrid->text(r, 0) != u"期間合計")
            listed << form.reportGrid->text(r, 0);
    QCOMPARE(listed, slips);
    // One line and three totals rows each, then the period's 伝票数, 計, 消費税 and 合計 and the total of
    // each of the four payment methods when a slip is listed.
    QCOMPARE(form.reportGrid->rows(), 1 + 4 * slips.size() + (slips.isEmpty() ? 0 : 8));
    QCOMPARE(row(form, 0),
             (QStringList{"伝票番号", "日付", "時間", "天気", "NO.", "CODE", "品名", "単価", "数量", "金額"}));
}

void TestReportWindow::firstUsedLineIsNumberOne()
{
    TestAppDir dir;
    saveSale(1, QStringLiteral("2021/04/01"), {{3, {12, 2, 240}}, {5, {401, 1, 50}}});
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::mouseClick(form.salesSlipsButton, Qt::LeftButton);
    QCOMPARE(row(form, 1), (QStringList{"1", "2021/04/01", "10:15:00", "晴れ" + QString(16, u' '), "1", "12",
                                        "品12" + QString(46, u' '), "100", "2", "240"}));
    // A number beyond 400 cannot be summed per product but is listed as stored.
    QCOMPARE(row(form, 2).mid(4, 2), (QStringList{"2", "401"}));
    QCOMPARE(form.reportGrid->cellBackground(1, 0), QColor(100, 255, 255));
    QCOMPARE(form.reportGrid->cellBackground(1, 4), QColor(255, 255, 0));
    QCOMPARE(form.reportGrid->cellBackground(2, 4), QColor(255, 255, 0));
    QCOMPARE(form.reportGrid->cellBackground(2, 0), QColor());
    QCOMPARE(form.reportGrid->columnWidth(6), twips(5000));

    QTest::mouseClick(form.salesPerProductButton, Qt::LeftButton);
    QCOMPARE(form.reportGrid->rows(), 3); // product 12 and the total
    QCOMPARE(row(form, 1).at(0), "12");
}

void TestReportWindow::totalsRows_data()
{
    QTest::addColumn<int>("taxSwitch");
    QTest::addColumn<bool>("purchases");
    QTest::addColumn<QStringList>("labels");       // column 8 from the slip's second row on
    QTest::addColumn<QStringList>("periodLabels"); // column 8 of the period's rows after the slip

    const QStringList all{"計", "消費税", "合計"};
    const QStringList allPeriod{"伝票数", "計", "消費税", "合計"};
    const QStringList methods(4); // a sales list's total per payment method, captioned in column 6
    QTest::newRow("sales, tax on") << 1 << false << all << allPeriod + methods;
    QTest::newRow("sales, tax off") << 0 << false << QStringList{"合計"} << QStringList{"伝票数", "合計"} + methods;
    QTest::newRow("sales, switch 2 is off")
        << 2 << false << QStringList{"合計"} << QStringList{"伝票数", "合計"} + methods;
    QTest::newRow("purchases, tax off") << 0 << true << all << allPeriod;
}

void TestReportWindow::totalsRows()
{
    QFETCH(int, taxSwitch);
    QFETCH(bool, purchases);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, periodLabels);
    TestAppDir dir;
    SysNum[Sys::SalesTaxSwitch] = taxSwitch;
    saveSale(1, QStringLiteral("2021/04/01"), {{1, {5, 3, 300}}});
    savePurchase(1, QStringLiteral("2021/04/01"), {{5, 3, 300}});
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::mouseClick(purchases ? form.purchaseSlipsButton : form.salesPerProductButton, Qt::LeftButton);
    QTest::mouseClick(purchases ? form.purchaseSlipsButton : form.salesSlipsButton, Qt::LeftButton);
    const int slipEnd = 2 + int(labels.size());
    QCOMPARE(form.reportGrid->rows(), slipEnd + periodLabels.size());
    QStringList shown;
    QStringList period;
    for (int r = 2; r < form.reportGrid->rows(); ++r) {
        (r < slipEnd ? shown : period) << form.reportGrid->text(r, 8);
        QCOMPARE(form.reportGrid->cellBackground(r, 9), QColor(255, 255, 100));
    }
    QCOMPARE(shown, labels);
    QCOMPARE(period, periodLabels);
    QCOMPARE(form.reportGrid->text(slipEnd - 1, 9), purchases ? "330" : "300");
    QCOMPARE(form.reportGrid->text(slipEnd - 1, 6), purchases ? "" : "現金"); // how the sale was paid
    QCOMPARE(form.reportGrid->text(slipEnd, 0), "期間合計");
    QCOMPARE(form.reportGrid->text(slipEnd, 9), "1");
    if (purchases) {
        QCOMPARE(row(form, 1).mid(0, 4), (QStringList{"1", "2021/04/01", "7", "山田商店" + QString(12, u' ')}));
        QCOMPARE(form.reportGrid->model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "仕番号");
    }
}

void TestReportWindow::sumsPerNumber_data()
{
    QTest::addColumn<bool>("purchases");
    QTest::newRow("sales per product") << false;
    QTest::newRow("purchases per item") << true;
}

void TestReportWindow::sumsPerNumber()
{
    QFETCH(bool, purchases);
    TestAppDir dir;
    for (int n = 1; n <= 400; ++n)
        ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
    const QString day = QStringLiteral("2021/04/01");
    // Product 7 on two lines of one slip and on a second slip; 9 adds up to 0; 400 (on line 10) and 1 are the
    // bounds; 0 and 401 have no row; a deleted slip adds nothing.
    if (purchases) {
        savePurchase(1, day, {{7, 2, 20}, {7, 1, 10}, {9, 2, 20}, {401, 5, 5}});
        savePurchase(2, day, {{7, 4, 40}, {9, -2, -15}, {1, 1, 1}, {}, {}, {}, {}, {}, {}, {400, 1, 1}});
        savePurchase(3, day, {{7, 100, 1000}}, true);
    } else {
        saveSale(1, day, {{1, {7, 2, 20}}, {4, {7, 1, 10}}, {5, {9, 2, 20}}, {6, {401, 5, 5}}});
        saveSale(2, day, {{1, {7, 4, 40}}, {2, {9, -2, -15}}, {10, {400, 1, 1}}, {4, {1, 1, 1}}});
        saveSale(3, day, {{1, {7, 100, 1000}}}, true);
    }
    ReportWindow form;
    typePeriod(form, "2021", "4", "9", false);
    QTest::mouseClick(purchases ? form.purchasesPerItemButton : form.salesPerProductButton, Qt::LeftButton);
    QCOMPARE(form.reportGrid->rows(), 5);
    QCOMPARE(row(form, 1).mid(0, 1) + row(form, 1).mid(2), (QStringList{"1", "1", "1"}));
    QCOMPARE(row(form, 2).mid(0, 1) + row(form, 2).mid(2), (QStringList{"7", "7", "70"}));
    QCOMPARE(row(form, 3).mid(0, 1) + row(form, 3).mid(2), (QStringList{"400", "1", "1"}));
    QCOMPARE(form.reportGrid->cellBackground(2, 0), QColor(100, 255, 255));
    // The listed rows added up; 9 (summed to 0) and 401 have no row, so they add nothing.
    QCOMPARE(row(form, 4), (QStringList{"合計", "", QString::number(1 + 7 + 1), QString::number(1 + 70 + 1)}));
    QCOMPARE(form.reportGrid->cellBackground(4, 3), QColor(255, 255, 100));
    if (!purchases)
        QCOMPARE(row(form, 2).at(1), "商品7");
}

void TestReportWindow::purchasesPerItemNames()
{
    TestAppDir dir;
    SysNum[Sys::PurchaseItemCount] = 400;
    QVERIFY(InitPurchaseItemFile());
    PurchaseItem flour;
    flour.Name = QStringLiteral("小麦粉");
    QVERIFY(WritePurchaseItem(400, flour));
    savePurchase(1, QStringLiteral("2021/04/01"), {{400, 3, 30}, {12, 1, 1}});
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::mouseClick(form.purchasesPerItemButton, Qt::LeftButton);
    QCOMPARE(form.reportGrid->text(2, 1), "小麦粉" + QString(24, u' '));
    QCOMPARE(form.reportGrid->text(1, 1).trimmed(), QString());
    QCOMPARE(form.reportGrid->columnWidth(1), twips(3000));
}

void TestReportWindow::reducedRate_data()
{
    QTest::addColumn<int>("taxSwitch");
    QTest::addColumn<QList<QStringList>>("slipOne"); // columns 6 to 9 of the first slip's rows
    QTest::addColumn<QList<QStringList>>("period");  // columns 6 to 9 of the period's rows
    const QString line1 = QStringLiteral("品2") + QString(47, u' ');
    const QString line2 = QStringLiteral("※品1") + QString(47, u' ');
    // The period's rows end with the total per payment method; slip 2 is from before payments were stored.
    const QList<QStringList> methods{{"支払方法別 現金", "", "", "2720"},
                                     {"支払方法別 クレジット", "", "", "0"},
                                     {"支払方法別 電子マネー", "", "", "0"},
                                     {"支払方法別 QRコード決済", "", "", "0"}};
    QTest::newRow("with the tax rows") << 1
                                       << QList<QStringList>{{line1, "1100", "1", "1100"},
                                                             {line2, "1080", "1", "1080"},
                                                             {"", "", "計", "2180"},
                                                             {"", "", "消費税", "180"},
                                                             {"10%対象", "1100", "内消費税等", "100"},
                                                             {"※8%対象", "1080", "内消費税等", "80"},
                                                             {"現金", "", "合計", "2180"}}
                                       // Slip 2, written before the rates were kept, counts at today's 10%.
                                       << QList<QStringList>{{"", "", "伝票数", "2"},
                                                             {"", "", "計", "2720"},
                                                             {"", "", "消費税", "189"},
                                                             {"10%対象", "1640", "内消費税等", "109"},
                                                             {"※8%対象", "1080", "内消費税等", "80"},
                                                             {"", "", "合計", "2720"}} +
                                              methods;
    // Without a tax row there is nothing for the reduced rate's row to split.
    QTest::newRow("without them") << 0
                                  << QList<QStringList>{{line1, "1100", "1", "1100"},
                                                        {line2.mid(1), "1080", "1", "1080"},
                                                        {"現金", "", "合計", "2180"}}
                                  << QList<QStringList>{{"", "", "伝票数", "2"}, {"", "", "合計", "2720"}} + methods;
}

void TestReportWindow::reducedRate()
{
    QFETCH(int, taxSwitch);
    QFETCH(QList<QStringList>, slipOne);
    QFETCH(QList<QStringList>, period);
    TestAppDir dir;
    SysNum[Sys::TaxRate] = 0.1;
    SysNum[Sys::ReducedTaxRate] = 0.08;
    for (int n = 1; n <= 3; ++n) {
        ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
        ProductTable[n].Reduced = n == 2 ? 0 : 1;
    }
    const QString day = QStringLiteral("2021/04/01");
    saveRatedSale(1, day, {{2, 1100}, {1, 1080}});
    // Written before the reduced rate existed: its tail is zero bytes, all of it at the standard rate.
    saveSale(2, day, {{1, {3, 1, 540}}});
    // The shop takes the mark off product 1 after selling it at the reduced rate.
    ProductTable[1].Reduced = 0;
    SysNum[Sys::SalesTaxSwitch] = taxSwitch;

    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::mouseClick(form.salesSlipsButton, Qt::LeftButton);
    QList<QStringList> shown;
    for (int r = 1; r <= slipOne.size(); ++r)
        shown << row(form, r).mid(6);
    QCOMPARE(shown, slipOne);
    const int periodStart = 1 + int(slipOne.size()) + (taxSwitch ? 4 : 2);
    QCOMPARE(form.reportGrid->rows(), periodStart + period.size());
    QList<QStringList> periodShown;
    for (int r = periodStart; r < form.reportGrid->rows(); ++r)
        periodShown << row(form, r).mid(6);
    QCOMPARE(periodShown, period);
    for (int r = slipOne.size() + 1; r < periodStart; ++r)
        QVERIFY2(!row(form, r).join(u'|').contains(u'※'), qPrintable(row(form, r).join(u'|')));
    if (taxSwitch) {
        for (int r : {5, 6})
            for (int c = 6; c <= 9; ++c)
                QCOMPARE(form.reportGrid->cellBackground(r, c), QColor(255, 255, 100));
    }

    // Per product, marked by how the period's slips sold it, whatever the mark says now.
    QTest::mouseClick(form.salesPerProductButton, Qt::LeftButton);
    QCOMPARE(form.reportGrid->rows(), 5);
    QCOMPARE(row(form, 1), (QStringList{"1", "※商品1", "1", "1080"}));
    QCOMPARE(row(form, 2), (QStringList{"2", "商品2", "1", "1100"}));
    QCOMPARE(row(form, 3), (QStringList{"3", "商品3", "1", "540"}));
    QCOMPARE(row(form, 4), (QStringList{"合計", "", "3", "2720"}));
    for (int n = 1; n <= 3; ++n)
        ClearProduct(n);
    SysNum[Sys::ReducedTaxRate] = 0;
}

void TestReportWindow::periodTotals_data()
{
    QTest::addColumn<bool>("purchases");
    QTest::addColumn<int>("taxSwitch");
    QTest::addColumn<double>("reducedRate");
    QTest::newRow("sales, one rate") << false << 1 << 0.0;
    QTest::newRow("sales, two rates") << false << 1 << 0.08;
    QTest::newRow("sales, tax off") << false << 0 << 0.08;
    QTest::newRow("purchases") << true << 0 << 0.0;
}

// The period's rows against sums worked out here from the slips as saved: a month of slips at odd amounts,
// one deleted and one of another month that must not count.
void TestReportWindow::periodTotals()
{
    QFETCH(bool, purchases);
    QFETCH(int, taxSwitch);
    QFETCH(double, reducedRate);
    TestAppDir dir;
    SysNum[Sys::TaxRate] = 0.1;
    SysNum[Sys::ReducedTaxRate] = reducedRate;
    SysNum[Sys::SalesTaxSwitch] = taxSwitch;
    for (int n = 1; n <= 3; ++n)
        ProductTable[n].Reduced = n == 1 ? 1 : 0;

    int slips = 0;
    double subtotal = 0, tax = 0, total = 0;
    RateTotal standard, reduced;
    for (int n = 1; n <= 9; ++n) {
        const bool counted = n != 4 && n != 9; // 4 is deleted, 9 is in May
        const QString date =
            n == 9 ? QStringLiteral("2021/05/01") : QStringLiteral("2021/04/%1").arg(n, 2, 10, QChar(u'0'));
        if (purchases) {
            PurchaseSlipRecord slip;
            slip.Date = date;
            slip.SlipNo = n;
            slip.Line[1] = {int16_t(n), QStringLiteral("材"), 37, int16_t(n), 37.0 * n};
            slip.Subtotal = 37.0 * n;
            slip.Tax = std::floor(slip.Subtotal * 0.1);
            slip.Total = slip.Subtotal + slip.Tax;
            slip.Deleted = n == 4;
            QVERIFY(WritePurchaseSlip(n, slip));
            SysNum[Sys::NextPurchaseSlipNo] = n + 1;
            if (counted) {
                ++slips;
                subtotal += slip.Subtotal;
                tax += slip.Tax;
                total += slip.Total;
            }
            continue;
        }
        saveRatedSale(n, date, {{1 + n % 3, 108.0 * n}, {1 + (n + 1) % 3, 55.0 + n}});
        if (n == 4) {
            WorkingSlip.Deleted = 1;
            QVERIFY(WriteSalesSlip(n));
        }
        if (counted) {
            ++slips;
            subtotal += WorkingSlip.Subtotal;
            tax += WorkingSlip.Tax;
            total += WorkingSlip.Total;
            standard.total += WorkingSlip.Rates.standard.total;
            standard.tax += WorkingSlip.Rates.standard.tax;
            reduced.total += WorkingSlip.Rates.reduced.total;
            reduced.tax += WorkingSlip.Rates.reduced.tax;
        }
    }

    ReportWindow form;
    typePeriod(form, "2021", "4", "1", false);
    QTest::mouseClick(purchases ? form.purchaseSlipsButton : form.salesSlipsButton, Qt::LeftButton);
    int first = -1;
    for (int r = 1; r < form.reportGrid->rows(); ++r)
        if (form.reportGrid->text(r, 0) == u"期間合計")
            first = r;
    QVERIFY(first > 0);
    QList<QStringList> shown;
    for (int r = first; r < form.reportGrid->rows(); ++r)
        shown << row(form, r).mid(6);
    QList<QStringList> wanted{{"", "", "伝票数", QString::number(slips)}};
    if (purchases || taxSwitch == 1)
        wanted << QStringList{"", "", "計", numText(subtotal)} << QStringList{"", "", "消費税", numText(tax)};
    if (!purchases && taxSwitch == 1 && reducedRate > 0)
        wanted << QStringList{"10%対象", numText(standard.total), "内消費税等", numText(standard.tax)}
               << QStringList{"※8%対象", numText(reduced.total), "内消費税等", numText(reduced.tax)};
    wanted << QStringList{"", "", "合計", numText(total)};
    if (!purchases) // every slip here was paid in cash
        wanted << QStringList{"支払方法別 現金", "", "", numText(total)}
               << QStringList{"支払方法別 クレジット", "", "", "0"} << QStringList{"支払方法別 電子マネー", "", "", "0"}
               << QStringList{"支払方法別 QRコード決済", "", "", "0"};
    QCOMPARE(shown, wanted);
    // Coloured as a slip's head and totals are: the caption, wherever it stands, and the figure.
    QCOMPARE(form.reportGrid->cellBackground(first, 0), QColor(100, 255, 255));
    QCOMPARE(form.reportGrid->cellBackground(first - 1, 8), QColor(255, 255, 100)); // the last slip's 合計
    for (int r = first; r < form.reportGrid->rows(); ++r)
        for (int c : {form.reportGrid->text(r, 8).isEmpty() ? 6 : 8, 9})
            QCOMPARE(form.reportGrid->cellBackground(r, c), QColor(255, 255, 100));
    SysNum[Sys::ReducedTaxRate] = 0;
    for (int n = 1; n <= 3; ++n)
        ClearProduct(n);
}

void TestReportWindow::comboPickRebuildsTypingWaits()
{
    TestAppDir dir;
    saveSale(1, QStringLiteral("2021/04/01"), {{1, {3, 1, 100}}});
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::keyClick(form.dayBox->lineEdit(), Qt::Key_Return);
    QCOMPARE(form.reportGrid->rows(), 1); // typing alone, Enter included, does not rebuild
    QTest::mouseClick(form.salesPerProductButton, Qt::LeftButton);
    QCOMPARE(form.reportGrid->rows(), 3); // the product and the total
    form.dayBox->setCurrentIndex(1);       // "2"
    Q_EMIT form.dayBox->activated(1);
    QCOMPARE(form.reportGrid->rows(), 1);
    QCOMPARE(form.reportKind(), 2);
    QTest::mouseClick(form.monthlyButton, Qt::LeftButton); // monthly: day 2 no longer counts
    QCOMPARE(form.reportGrid->rows(), 3);
}

void TestReportWindow::unreadableFileIsReported()
{
    TestAppDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("reg.dat")));
    SysNum[Sys::NextSalesSlipNo] = 5;
    MessageBox::takeShown();
    ReportWindow form;
    const QStringList shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY(shown[0].startsWith(QStringLiteral("reg.dat を読めません")));
    QCOMPARE(form.reportGrid->rows(), 1);
    QCOMPARE(form.reportGrid->text(0, 0), "伝票番号");
}

void TestReportWindow::yearListReachesNextYear()
{
    TestAppDir dir;
    ReportWindow form;
    QCOMPARE(form.yearBox->itemText(0), "2005");
    QCOMPARE(form.yearBox->itemText(form.yearBox->count() - 1), QString::number(QDate::currentDate().year() + 1));
    QCOMPARE(form.monthBox->currentText(), QDate::currentDate().toString(QStringLiteral("MM")));
    QVERIFY(form.dailyButton->isChecked());
    for (QWidget* w : form.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(u"qt_"))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
}

// What the grid shows, what the CSV file gets and how each cell is aligned: stored padding never shows,
// figures stand right, amounts group their thousands on screen only.
void TestReportWindow::shownAsRead_data()
{
    QTest::addColumn<int>("kind"); // 1 sales slips, 2 per product, 3 purchase slips
    QTest::addColumn<int>("row");  // 0: the period's total, last but for the sales slips' four method rows
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("csv");
    QTest::addColumn<bool>("right");

    QTest::newRow("slip number") << 1 << 1 << 0 << "1"
                                 << "1" << true;
    QTest::newRow("date") << 1 << 1 << 1 << "2021/04/01"
                          << "2021/04/01" << false;
    QTest::newRow("time") << 1 << 1 << 2 << "10:15:00"
                          << "10:15:00" << false;
    QTest::newRow("weather, no padding") << 1 << 1 << 3 << "晴れ"
                                         << "晴れ" << false;
    QTest::newRow("line number") << 1 << 1 << 4 << "1"
                                 << "1" << true;
    QTest::newRow("name, no padding") << 1 << 1 << 6 << "品12"
                                      << "品12" << false;
    QTest::newRow("unit price") << 1 << 1 << 7 << "100"
                                << "100" << true;
    QTest::newRow("quantity") << 1 << 1 << 8 << "2"
                              << "2" << true;
    QTest::newRow("amount grouped") << 1 << 1 << 9 << "12,345"
                                    << "12345" << true;
    QTest::newRow("total label") << 1 << 0 << 8 << "合計"
                                 << "合計" << false;
    QTest::newRow("total grouped") << 1 << 0 << 9 << "12,345"
                                   << "12345" << true;
    QTest::newRow("per product code") << 2 << 1 << 0 << "12"
                                      << "12" << true;
    QTest::newRow("per product quantity") << 2 << 1 << 2 << "2"
                                          << "2" << true;
    QTest::newRow("per product amount") << 2 << 1 << 3 << "12,345"
                                        << "12345" << true;
    QTest::newRow("supplier, no padding") << 3 << 1 << 3 << "山田商店"
                                          << "山田商店" << false;
    QTest::newRow("supplier number") << 3 << 1 << 2 << "7"
                                     << "7" << true;
    QTest::newRow("purchase amount") << 3 << 1 << 9 << "1,500"
                                     << "1500" << true;
    QTest::newRow("purchase total") << 3 << 0 << 9 << "330"
                                    << "330" << true;
}

void TestReportWindow::shownAsRead()
{
    QFETCH(int, kind);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, shown);
    QFETCH(QString, csv);
    QFETCH(bool, right);
    TestAppDir dir;
    saveSale(1, QStringLiteral("2021/04/01"), {{1, {12, 2, 12345}}});
    savePurchase(1, QStringLiteral("2021/04/01"), {{5, 3, 1500}});
    ReportWindow form;
    typePeriod(form, "2021", "4", "1", true);
    QTest::mouseClick(QList<QPushButton*>{form.salesSlipsButton, form.salesPerProductButton, form.purchaseSlipsButton}[kind - 1], Qt::LeftButton);
    GridModel* model = form.reportGrid->model();
    const int periodTotal = form.reportGrid->rows() - (kind == 1 ? 5 : 1);
    const QModelIndex index = model->index((row ? row : periodTotal) - 1, col);
    QCOMPARE(model->data(index, Qt::DisplayRole).toString(), shown);
    QCOMPARE(model->data(index, Qt::EditRole).toString(), csv);
    const Qt::Alignment align(model->data(index, Qt::TextAlignmentRole).toInt());
    QCOMPARE(bool(align & Qt::AlignRight), right);
    // A cell shows its whole text: never cut off with "…".
    QVERIFY2(form.reportGrid->columnWidth(col) > form.reportGrid->fontMetrics().horizontalAdvance(shown),
             qPrintable(QString::number(form.reportGrid->columnWidth(col))));
}

// Date, time and weather whole on the screen and on the printed page, also a weather of the whole field.
void TestReportWindow::columnsShowWholeTexts()
{
    TestAppDir dir;
    saveSale(1, QStringLiteral("2021/12/28"), {{1, {12, 2, 123456}}});
    WorkingSlip.Time = QStringLiteral("23:59:58");
    WorkingSlip.Weather = QStringLiteral("くもりのち晴れ時々雨");
    QVERIFY(WriteSalesSlip(1));
    ReportWindow form;
    typePeriod(form, "2021", "12", "28", true);
    QTest::mouseClick(form.salesSlipsButton, Qt::LeftButton);
    const QFontMetrics metrics = form.reportGrid->fontMetrics();
    const QStringList texts{"2021/12/28", "23:59:58", "くもりのち晴れ時々雨"};
    for (int c = 1; c <= 3; ++c) {
        const int needed = metrics.horizontalAdvance(texts[c - 1]);
        QVERIFY2(form.reportGrid->columnWidth(c) > needed,
                 qPrintable(
                     QStringLiteral("column %1: %2 for %3").arg(c).arg(form.reportGrid->columnWidth(c)).arg(needed)));
        // The header too.
        QVERIFY(form.reportGrid->columnWidth(c) >
                form.reportGrid->horizontalHeader()->fontMetrics().horizontalAdvance(
                    form.reportGrid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()));
    }
    // The name column gives up the room, so that every column up to 金額 is in view without scrolling.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    int columns = 0;
    for (int c = 0; c < form.reportGrid->cols(); ++c)
        columns += form.reportGrid->columnWidth(c);
    QVERIFY2(columns <= form.reportGrid->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(form.reportGrid->viewport()->width())));
    QVERIFY(form.reportGrid->columnWidth(6) < twips(5000));
    QVERIFY(form.reportGrid->columnWidth(6) >= metrics.horizontalAdvance(QString(10, u'あ')));

    const QString pdf = dir.file(QStringLiteral("report.pdf"));
    Printing::redirectToPdf(pdf);
    QTest::mouseClick(form.printButton, Qt::LeftButton);
    Printing::redirectToPdf(QString());
    const QStringList pages = pdfPages(pdf);
    QCOMPARE(pages.size(), 1);
    for (const QString& text : texts + QStringList{"123,456"})
        QVERIFY2(pages[0].contains(text), qPrintable(text + u'\n' + pages[0]));
    QVERIFY(!pages[0].contains(u'…'));
}

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
