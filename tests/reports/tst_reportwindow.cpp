// The report window's wiring: the period typed or picked and the report chosen, what the grid shows of a
// report, its columns whole, and 印刷 and CSV出力 taking the report shown.
#include "windowtest.h"

#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/printing.h"
#include "platform/twips.h"
#include "reports/reportwindow.h"
#include "storage/products.h"
#include "storage/purchaseslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

class TestReportWindow : public WindowTest
{
    Q_OBJECT

    ReportWindow* m_form = nullptr;

    void setUp() override
    {
        SysStr[Sys::ShopName] = QStringLiteral("やおや本店");
        FileDialog::takeProposed();
    }
    void tearDown() override
    {
        delete m_form;
        m_form = nullptr;
        Printing::redirectToPdf(QString());
    }

    // The window opened on the slips stored so far.
    void open() { m_form = openWindow<ReportWindow>(); }
    Grid* grid() const { return control<Grid>(m_form, QStringLiteral("reportGrid")); }
    void click(const QString& button) const
    {
        QTest::mouseClick(control<QAbstractButton>(m_form, button), Qt::LeftButton);
    }
    // Types the period into the boxes as the owner would and chooses a day or a month, which builds nothing yet.
    void typePeriod(const QString& year, const QString& month, const QString& day, bool daily) const
    {
        for (const auto& [name, text] : {std::pair{"yearBox", year}, {"monthBox", month}, {"dayBox", day}}) {
            QLineEdit* edit = control<QComboBox>(m_form, name)->lineEdit();
            edit->selectAll();
            QTest::keyClicks(edit, text);
        }
        control<QRadioButton>(m_form, daily ? "dailyButton" : "monthlyButton")->setChecked(true);
    }
    // Sales slip n on `date`: `qty` of product 5, named `name`, at 100 each.
    static void sale(qint64 n, const QString& date, const QString& name, int qty, int price = 100,
                     const QString& weather = QStringLiteral("晴れ"))
    {
        ProductTable[5].ProductName = name;
        QVERIFY(storeSlip(n, date, 5, qty, price, false, weather));
        SysNum[Sys::NextSalesSlipNo] = std::max<double>(SysNum[Sys::NextSalesSlipNo], double(n + 1));
    }

private Q_SLOTS:
    void opensOnTodaysSlips()
    {
        open();
        auto* years = control<QComboBox>(m_form, QStringLiteral("yearBox"));
        QCOMPARE(years->itemText(0), "2005");
        QCOMPARE(years->itemText(years->count() - 1), QString::number(QDate::currentDate().year() + 1));
        QCOMPARE(control<QComboBox>(m_form, QStringLiteral("monthBox"))->currentText(),
                 QDate::currentDate().toString(QStringLiteral("MM")));
        QVERIFY(control<QRadioButton>(m_form, QStringLiteral("dailyButton"))->isChecked());
        QCOMPARE(m_form->reportKind(), 1);
        QCOMPARE(m_form->windowTitle(), "日報");
        QCOMPARE(grid()->text(0, 0), "伝票番号");
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    // Only a button, a pick from a list or the day / month choice builds; typing, Enter included, waits.
    void buildsOnAPickNotOnTyping()
    {
        sale(1, QStringLiteral("2021/04/01"), QStringLiteral("りんご"), 1);
        open();
        typePeriod("2021", "4", "1", true);
        QTest::keyClick(control<QComboBox>(m_form, QStringLiteral("dayBox"))->lineEdit(), Qt::Key_Return);
        QCOMPARE(grid()->rows(), 1);
        click(QStringLiteral("salesPerProductButton"));
        QCOMPARE(m_form->reportKind(), 2);
        QCOMPARE(grid()->rows(), 3); // the product and the total
        auto* day = control<QComboBox>(m_form, QStringLiteral("dayBox"));
        day->setCurrentIndex(1); // "2"
        Q_EMIT day->activated(1);
        QCOMPARE(grid()->rows(), 1);
        QCOMPARE(m_form->reportKind(), 2);
        click(QStringLiteral("monthlyButton")); // day 2 no longer counts
        QCOMPARE(grid()->rows(), 3);
        QCOMPARE(m_form->windowTitle(), "月報");
        click(QStringLiteral("purchasesPerItemButton"));
        QCOMPARE(m_form->reportKind(), 4);
        click(QStringLiteral("salesSlipsButton"));
        QCOMPARE(grid()->text(1, 0), "1");
        click(QStringLiteral("daySummaryButton")); // the whole month, whatever the day box says
        QCOMPARE(m_form->reportKind(), 5);
        QCOMPARE(m_form->shownTitle() + m_form->shownPeriod(), QStringLiteral("日別集計2021年4月"));
        QCOMPARE(grid()->text(grid()->rows() - 1, 0), "月合計");
    }

    // Each report groups the thousands of its own money columns and stands figures right; every cell shows its
    // whole text. (What a cell shows and the CSV file takes is tst_grid's cellsAsShown.)
    void gridShowsTheReport_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("row"); // 0: the period's total
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("right");
        // clang-format off
        QTest::newRow("date") << "salesSlipsButton" << 1 << 1 << "2021/04/01" << false;
        QTest::newRow("time") << "salesSlipsButton" << 1 << 2 << "10:00:00" << false;
        QTest::newRow("weather, the whole field") << "salesSlipsButton" << 1 << 3 << "くもりのち晴れ時々雨" << false;
        QTest::newRow("unit price") << "salesSlipsButton" << 1 << 7 << "6,000" << true;
        QTest::newRow("amount") << "salesSlipsButton" << 1 << 9 << "12,000" << true;
        QTest::newRow("total") << "salesSlipsButton" << 0 << 9 << "12,000" << true;
        QTest::newRow("per product amount") << "salesPerProductButton" << 1 << 3 << "12,000" << true;
        QTest::newRow("supplier") << "purchaseSlipsButton" << 1 << 3 << "山田商店" << false;
        QTest::newRow("day summary") << "daySummaryButton" << 0 << 5 << "12,000" << true;
        // clang-format on
    }
    void gridShowsTheReport()
    {
        QFETCH(QString, button);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, shown);
        QFETCH(bool, right);
        sale(1, QStringLiteral("2021/04/01"), QStringLiteral("品12"), 2, 6000, QStringLiteral("くもりのち晴れ時々雨"));
        PurchaseSlipRecord slip;
        slip.Date = QStringLiteral("2021/04/01");
        slip.SupplierName = QStringLiteral("山田商店");
        slip.Line[1] = {5, QStringLiteral("材"), 500, 3, 1500};
        slip.Subtotal = slip.Total = 1500;
        QVERIFY(WritePurchaseSlip(1, slip));
        SysNum[Sys::NextPurchaseSlipNo] = 2;
        open();
        typePeriod("2021", "4", "1", true);
        click(button);
        GridModel* model = grid()->model();
        const int periodTotal = grid()->rows() - (button == u"salesSlipsButton" ? 5 : 1);
        const QModelIndex index = model->index((row ? row : periodTotal) - 1, col);
        QCOMPARE(model->data(index, Qt::DisplayRole).toString(), shown);
        QCOMPARE(bool(Qt::Alignment(model->data(index, Qt::TextAlignmentRole).toInt()) & Qt::AlignRight), right);
        QVERIFY2(grid()->columnWidth(col) > grid()->fontMetrics().horizontalAdvance(shown),
                 qPrintable(QString::number(grid()->columnWidth(col))));
    }

    // Headers show whole, and the name column gives up the room, down to ten characters, so that every column up
    // to 金額 is in view without scrolling.
    void columnsFitTheView()
    {
        sale(1, QStringLiteral("2021/12/28"), QStringLiteral("品12"), 4, 30864, QStringLiteral("くもりのち晴れ時々雨"));
        open();
        typePeriod("2021", "12", "28", true);
        click(QStringLiteral("salesSlipsButton"));
        const QFontMetrics head = grid()->horizontalHeader()->fontMetrics();
        int columns = 0;
        for (int c = 0; c < grid()->cols(); ++c) {
            columns += grid()->columnWidth(c);
            const QString text = grid()->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            QVERIFY2(grid()->columnWidth(c) > head.horizontalAdvance(text), qPrintable(text));
        }
        QVERIFY2(columns <= grid()->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(columns).arg(grid()->viewport()->width())));
        QVERIFY(grid()->columnWidth(6) < twips(5000));
        QVERIFY(grid()->columnWidth(6) >= grid()->fontMetrics().horizontalAdvance(QString(10, u'あ')));
    }

    // CSV出力 writes every row of the report shown under a name of the report and its period. (The rows' figures
    // are tst_reportoutput's slipRows and paymentMethods; quoting and the code page, tst_printing's tableCsv.)
    void csvTakesTheReportShown()
    {
        sale(1, QStringLiteral("2026/12/01"), QStringLiteral("りんご, 青森"), 2);
        sale(2, QStringLiteral("2026/12/02"), QStringLiteral("12\"TV"), 1);
        sale(3, QStringLiteral("2026/11/30"), QStringLiteral("他の月"), 1);
        open();
        typePeriod("2026", "12", "1", false);
        click(QStringLiteral("salesSlipsButton"));
        FileDialog::setNextSaveName(dir().file(QStringLiteral("out.csv")));
        click(QStringLiteral("csvButton"));
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("売上伝票一覧_2026-12.csv")});
        QCOMPARE(shown(), QStringList());
        const QStringList lines = fromCp932(dir().bytes(QStringLiteral("out.csv"))).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), grid()->rows() + 1); // and the empty text after the last line's end
        QCOMPARE(lines[0], QStringLiteral("伝票番号,日付,時間,天気,NO.,CODE,品名,単価,数量,金額"));
        QCOMPARE(lines[1], QStringLiteral("1,2026/12/01,10:00:00,晴れ,1,5,\"りんご, 青森\",100,2,200"));

        // A file that cannot be written is said so; cancelled in the dialog, nothing is written or said.
        FileDialog::setNextSaveName(dir().file(QStringLiteral("no/such/dir/out.csv")));
        click(QStringLiteral("csvButton"));
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QStringLiteral("CSV ファイルを書き込めません")), qPrintable(boxes.first()));
        FileDialog::setNextSaveName(QString());
        click(QStringLiteral("csvButton"));
        QCOMPARE(shown(), QStringList());
    }

    // A new list opens at its top. 印刷 prints the report shown on as many pages as it takes, each with the
    // report's name, period, shop and page number and the column headings, every text whole, and each starting
    // with a slip or the period's totals (where a page is cut is tst_printing's pagesEndBetweenBlocks).
    void printedReportRepeatsHeadings()
    {
        sale(1, QStringLiteral("2026/12/01"), QStringLiteral("品物1"), 4, 30864,
             QStringLiteral("くもりのち晴れ時々雨"));
        for (int n = 2; n <= 30; ++n)
            sale(n, QStringLiteral("2026/12/%1").arg(1 + n % 28, 2, 10, QChar(u'0')), QStringLiteral("品物%1").arg(n),
                 n);
        open();
        typePeriod("2026", "12", "1", false);
        click(QStringLiteral("salesSlipsButton"));
        QCOMPARE(grid()->rows(), 129); // four rows a slip, the month's four total rows and four per method
        QScrollBar* bar = grid()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        click(QStringLiteral("salesSlipsButton"));
        QCOMPARE(bar->value(), 0);
        const QString pdf = dir().file(QStringLiteral("report.pdf"));
        Printing::redirectToPdf(pdf);
        click(QStringLiteral("printButton"));
        QCOMPARE(shown(), QStringList());

        const QStringList pages = pdfPages(pdf);
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        int totals = 0;
        for (int i = 0; i < pages.size(); ++i) {
            for (const QString& wanted :
                 {QStringLiteral("売上伝票一覧"), QStringLiteral("2026年12月"), QStringLiteral("やおや本店"),
                  QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size())})
                QVERIFY2(pages[i].contains(wanted),
                         qPrintable(QStringLiteral("page %1 lacks %2").arg(i + 1).arg(wanted)));
            QVERIFY2(pages[i].contains(QRegularExpression(
                         QStringLiteral("伝票番号\\s+日付\\s+時間\\s+天気\\s+NO\\.\\s+CODE\\s+品名"))),
                     qPrintable(QStringLiteral("page %1 has no headings").arg(i + 1)));
            QVERIFY(!pages[i].contains(u'…'));
            QVERIFY2(pages[i].contains(QRegularExpression(QStringLiteral("金額\\s+(\\d+\\s+2026/12/\\d\\d|期間合計)"))),
                     qPrintable(pages[i]));
            totals += int(pages[i].count(QStringLiteral("合計")));
        }
        QCOMPARE(totals, 32); // every slip's last row is on paper, and the month's total with its heading
        QVERIFY(pages[0].contains(QStringLiteral("くもりのち晴れ時々雨")));

        // The day summary's fifteen columns fit the page whole too.
        click(QStringLiteral("daySummaryButton"));
        const QString days = dir().file(QStringLiteral("days.pdf"));
        Printing::redirectToPdf(days);
        click(QStringLiteral("printButton"));
        const QString text = pdfPages(days).join(u'\n');
        QVERIFY2(!text.contains(u'…') && text.contains(QStringLiteral("QRコード決済")), qPrintable(text.left(2000)));
    }

    void unreadableFileIsReported()
    {
        QVERIFY(QDir(dir().path()).mkdir(QStringLiteral("reg.dat")));
        SysNum[Sys::NextSalesSlipNo] = 5;
        open();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].startsWith(QStringLiteral("reg.dat を読めません")));
        QCOMPARE(grid()->rows(), 1);
        QCOMPARE(grid()->text(0, 0), "伝票番号");
    }
};

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
