// The report and graph windows' paper and CSV output: the month's report byte for byte as a CSV file, the
// printed report with its headings on every page, the graph table's CSV.
#include "guitest.h"

#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "platform/tabstrip.h"
#include "reports/graphwindow.h"
#include "reports/reportwindow.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Sales slip n on 2026/12/day with one line: product 5 at 100 each.
void sale(qint64 n, int day, const QString& name, int qty)
{
    WorkingSlip = SalesSlipRecord();
    WorkingSlip.Date = QStringLiteral("2026/12/%1").arg(day, 2, 10, QLatin1Char('0'));
    WorkingSlip.Time = QStringLiteral("10:15:00");
    WorkingSlip.Weather = QStringLiteral("晴れ");
    WorkingSlip.SlipNo = int32_t(n);
    WorkingSlip.Line[1] = {5, name, 100, int16_t(qty), 100.0 * qty};
    WorkingSlip.Subtotal = WorkingSlip.Total = 100.0 * qty;
    WorkingSlip.Tax = 9;
    QVERIFY(WriteSalesSlip(n));
    SysNum[Sys::NextSalesSlipNo] = double(n + 1);
}

// December 2026's sales slip list in the report window.
std::unique_ptr<ReportWindow> decemberSlips()
{
    auto form = std::make_unique<ReportWindow>();
    form->yearBox->setEditText(QStringLiteral("2026"));
    form->monthBox->setEditText(QStringLiteral("12"));
    form->monthlyButton->setChecked(true);
    QTest::mouseClick(form->salesSlipsButton, Qt::LeftButton);
    return form;
}

} // namespace

class TestReportOutput : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysStr[Sys::ShopName] = QStringLiteral("やおや本店");
        FileDialog::takeProposed();
    }
    void cleanup()
    {
        Printing::redirectToPdf(QString());
        MessageBox::takeShown();
    }

    void monthAsCsv()
    {
        sale(1, 1, QStringLiteral("りんご, 青森"), 2);
        sale(2, 2, QStringLiteral("12\"TV"), 1);
        sale(3, 1, QStringLiteral("他の月"), 1);
        WorkingSlip.Date = QStringLiteral("2026/11/30");
        QVERIFY(WriteSalesSlip(3));
        auto form = decemberSlips();
        const QString path = m_dir->file(QStringLiteral("out.csv"));
        FileDialog::setNextSaveName(path);
        QTest::mouseClick(form->csvButton, Qt::LeftButton);
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("売上伝票一覧_2026-12.csv")});
        QVERIFY(MessageBox::takeShown().isEmpty());

        // The cells as the grid shows them: stored fields without the blanks that pad them, figures plain.
        const QString weather = QStringLiteral("晴れ");
        const QString expected =
            QStringLiteral("伝票番号,日付,時間,天気,NO.,CODE,品名,単価,数量,金額\r\n") +
            QStringLiteral("1,2026/12/01,10:15:00,") + weather + QStringLiteral(",1,5,\"りんご, 青森") +
            QStringLiteral("\",100,2,200\r\n,,,,,,,,計,200\r\n,,,,,,,,消費税,9\r\n,,,,,,現金,,合計,200\r\n") +
            QStringLiteral("2,2026/12/02,10:15:00,") + weather + QStringLiteral(",1,5,\"12\"\"TV") +
            QStringLiteral("\",100,1,100\r\n,,,,,,,,計,100\r\n,,,,,,,,消費税,9\r\n,,,,,,現金,,合計,100\r\n") +
            // The month's total: the two slips of December, plain digits as every CSV cell, then per method.
            QStringLiteral("期間合計,,,,,,,,伝票数,2\r\n,,,,,,,,計,300\r\n,,,,,,,,消費税,18\r\n,,,,,,,,合計,300\r\n") +
            QStringLiteral(",,,,,,支払方法別 現金,,,300\r\n,,,,,,支払方法別 クレジット,,,0\r\n") +
            QStringLiteral(",,,,,,支払方法別 電子マネー,,,0\r\n,,,,,,支払方法別 QRコード決済,,,0\r\n");
        const QByteArray bytes = m_dir->bytes(QStringLiteral("out.csv"));
        QCOMPARE(bytes, toCp932(expected));
        QVERIFY(bytes.startsWith("\x93\x60\x95\x5b")); // 伝票 in code page 932
        QCOMPARE(bytes.count("\r\n"), 17);
        QCOMPARE(bytes.count('\n'), 17);
    }

    void failedCsvWriteIsReported()
    {
        sale(1, 1, QStringLiteral("りんご"), 1);
        auto form = decemberSlips();
        FileDialog::setNextSaveName(m_dir->file(QStringLiteral("no/such/dir/out.csv")));
        QTest::mouseClick(form->csvButton, Qt::LeftButton);
        const QStringList shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("CSV ファイルを書き込めません")), qPrintable(shown.first()));
        // Cancelled in the dialog: nothing written, nothing said.
        FileDialog::setNextSaveName(QString());
        QTest::mouseClick(form->csvButton, Qt::LeftButton);
        QVERIFY(MessageBox::takeShown().isEmpty());
    }

    void printedMonthRepeatsHeadings()
    {
        // 30 slips of 4 rows each and the month's totals: more than one page holds.
        for (int n = 1; n <= 30; ++n)
            sale(n, 1 + n % 28, QStringLiteral("品物%1").arg(n), n);
        auto form = decemberSlips();
        QCOMPARE(form->reportGrid->rows(), 129); // and the month's four total rows and four per method
        const QString pdf = m_dir->file(QStringLiteral("report.pdf"));
        Printing::redirectToPdf(pdf);
        QTest::mouseClick(form->printButton, Qt::LeftButton);
        QVERIFY(MessageBox::takeShown().isEmpty());

        const QStringList pages = pdfPages(pdf);
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        int totals = 0;
        for (int i = 0; i < pages.size(); ++i) {
            const QString& page = pages[i];
            for (const QString& wanted :
                 {QStringLiteral("売上伝票一覧"), QStringLiteral("2026年12月"), QStringLiteral("やおや本店"),
                  QStringLiteral("%1 / %2").arg(i + 1).arg(pages.size())})
                QVERIFY2(page.contains(wanted), qPrintable(QStringLiteral("page %1 lacks %2").arg(i + 1).arg(wanted)));
            QVERIFY2(page.contains(QRegularExpression(
                         QStringLiteral("伝票番号\\s+日付\\s+時間\\s+天気\\s+NO\\.\\s+CODE\\s+品名"))),
                     qPrintable(QStringLiteral("page %1 has no headings").arg(i + 1)));
            totals += int(page.count(QStringLiteral("合計")));
        }
        QCOMPARE(totals, 32); // every slip's last row is on paper, and the month's total with its heading
        QVERIFY(pages.last().contains(QRegularExpression(QStringLiteral("期間合計\\s+伝票数\\s+30"))));
        QVERIFY(pages.last().contains(QRegularExpression(QStringLiteral("支払方法別\\s*QRコード決済\\s+0"))));
    }

    void graphTableAsCsv()
    {
        QVERIFY(storeSale(1, QStringLiteral("2026/12/03"), 150));
        SysNum[Sys::NextSalesSlipNo] = 2;
        GraphWindow form;
        form.yearBox->setEditText(QStringLiteral("2026"));
        form.monthBox->setEditText(QStringLiteral("12"));
        form.drawView(0);
        // The button belongs to the table: shown with its tab only.
        QVERIFY(form.csvButton->isHidden());
        form.viewTabs->setSelectedTab(1);
        QVERIFY(!form.csvButton->isHidden());

        const QString path = m_dir->file(QStringLiteral("g.csv"));
        FileDialog::setNextSaveName(path);
        QTest::mouseClick(form.csvButton, Qt::LeftButton);
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("月間推移_2026-12.csv")});
        const QList<QByteArray> lines = m_dir->bytes(QStringLiteral("g.csv")).split('\n');
        QCOMPARE(lines.size(), 33); // heading, 31 days, and nothing after the last CR LF
        QCOMPARE(fromCp932(lines[0]), QStringLiteral("年月日,仕入,売上,利益\r"));
        QCOMPARE(fromCp932(lines[3]), QStringLiteral("2026/12/03,0,150,150\r"));
        QVERIFY(lines[32].isEmpty());

        form.drawView(3);
        FileDialog::setNextSaveName(path);
        QTest::mouseClick(form.csvButton, Qt::LeftButton);
        QCOMPARE(FileDialog::takeProposed(), QStringList{QStringLiteral("年度比較_2026.csv")});
    }
};

QTEST_MAIN(TestReportOutput)
#include "tst_reportoutput.moc"
