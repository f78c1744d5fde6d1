// The closing window as the cashier uses it: the day's expected figures, the count typed with Enter moving
// down, 点検 that stores nothing, 精算 twice kept, and a failing printer that keeps the closing.
#include "guitest.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "register/closingwindow.h"
#include "storage/changes.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QDate>
#include <QPushButton>
#include <QtTest>

class TestClosingWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;
    ClosingWindow* m_form = nullptr;

    QString today() const { return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")); }
    QString pdf() const { return m_dir->file(QStringLiteral("r.pdf")); }
    // A slip of today paid by `method`.
    void sale(qint64 n, double total, PaymentMethod method, bool deleted = false)
    {
        WorkingSlip = SalesSlipRecord();
        WorkingSlip.Date = today();
        WorkingSlip.SlipNo = int32_t(n);
        WorkingSlip.Line[1].ProductNo = 1;
        WorkingSlip.Line[1].Amount = total;
        WorkingSlip.Subtotal = WorkingSlip.Total = total;
        WorkingSlip.Deleted = deleted ? 1 : 0;
        WorkingSlip.Payment = {true, method, 0};
        QVERIFY(WriteSalesSlip(n).ok);
        SysNum[Sys::NextSalesSlipNo] = double(n + 1);
    }
    void typeCounts(const QList<int>& counts)
    {
        QVERIFY(focusOn(m_form, QStringLiteral("TextCount0")));
        for (int c : counts) {
            type(QString::number(c));
            press(Qt::Key_Return);
        }
    }
    QString cell(Grid* g, const QString& item) const
    {
        for (int r = 1; r < g->rows(); ++r)
            if (g->text(r, 0) == item)
                return g->text(r, 1);
        return QStringLiteral("(none)");
    }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysNum[Sys::ChangeFund] = 10000;
        sale(1, 3000, PaymentMethod::Cash);
        sale(2, 2000, PaymentMethod::Credit);
        sale(3, -500, PaymentMethod::Cash);
        sale(4, 800, PaymentMethod::QrCode, true);
        QVERIFY(SaveSettings());
        SeisanRecord in;
        in.kind = SeisanKind::CashIn;
        in.day = today();
        in.amount = 1000;
        QVERIFY(AppendSeisan(in));
        Printing::redirectToPdf(pdf());
        MessageBox::takeShown();
        m_form = openWindow<ClosingWindow>();
    }
    void cleanup()
    {
        delete m_form;
        m_form = nullptr;
        Printing::redirectToPdf(QString());
        m_dir.reset();
    }

    void expectedFigures()
    {
        auto* g = control<Grid>(m_form, QStringLiteral("GridExpected"));
        QCOMPARE(cell(g, QStringLiteral("伝票数")), QStringLiteral("3 件"));
        QCOMPARE(cell(g, QStringLiteral("返品")), QStringLiteral("-500"));
        QCOMPARE(cell(g, QStringLiteral("削除伝票 1 件")), QStringLiteral("800"));
        QCOMPARE(cell(g, QStringLiteral("　現金")), QStringLiteral("2,500"));
        QCOMPARE(cell(g, QStringLiteral("　クレジット")), QStringLiteral("2,000"));
        QCOMPARE(cell(g, QStringLiteral("入金")), QStringLiteral("1,000"));
        // 10000 + 2500 + 1000
        QCOMPARE(cell(g, QStringLiteral("現金在高（理論）")), QStringLiteral("13,500"));
        QCOMPARE(control(m_form, QStringLiteral("TextFund"))->text(), QStringLiteral("10000"));
    }

    // A sale saved or cash moved while the window is open shows at once.
    void followsChanges()
    {
        sale(5, 700, PaymentMethod::Cash);
        Q_EMIT changes().salesSlipsChanged();
        auto* g = control<Grid>(m_form, QStringLiteral("GridExpected"));
        QCOMPARE(cell(g, QStringLiteral("現金在高（理論）")), QStringLiteral("14,200"));
        SeisanRecord out;
        out.kind = SeisanKind::CashOut;
        out.day = today();
        out.amount = 200;
        QVERIFY(AppendSeisan(out));
        Q_EMIT changes().seisanChanged();
        QCOMPARE(cell(g, QStringLiteral("出金")), QStringLiteral("200"));
        QCOMPARE(control(m_form, QStringLiteral("TextExpected"))->text(), QStringLiteral("14,000"));
    }

    void countAndDifference_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<QString>("difference");
        QTest::addColumn<QString>("focusAfter");
        QTest::newRow("exact") << QList<int>{1, 0, 0, 3, 1} << QStringLiteral("13,500") << QStringLiteral("0")
                               << QStringLiteral("TextCount5");
        QTest::newRow("short") << QList<int>{1, 0, 0, 3, 0, 4} << QStringLiteral("13,400")
                               << QStringLiteral("-100") << QStringLiteral("TextCount6");
        QTest::newRow("over, all ten") << QList<int>{1, 0, 0, 3, 1, 0, 0, 0, 0, 7} << QStringLiteral("13,507")
                                       << QStringLiteral("+7") << QStringLiteral("CommandClose");
    }
    void countAndDifference()
    {
        QFETCH(QList<int>, counts);
        QFETCH(QString, counted);
        QFETCH(QString, difference);
        QFETCH(QString, focusAfter);
        typeCounts(counts);
        QTRY_COMPARE(focusedName(), focusAfter);
        QCOMPARE(control(m_form, QStringLiteral("TextCounted"))->text(), counted);
        QCOMPARE(control(m_form, QStringLiteral("TextDifference"))->text(), difference);
    }

    // Counts take digits only, five at most.
    void countBoxTakesDigits()
    {
        QVERIFY(focusOn(m_form, QStringLiteral("TextCount0")));
        type("-1.5x123456");
        QCOMPARE(control(m_form, QStringLiteral("TextCount0"))->text(), QStringLiteral("15123"));
    }

    void checkStoresNothing()
    {
        const QByteArray seisan = m_dir->bytes(SeisanFileName);
        const QByteArray ini = m_dir->bytes(QStringLiteral("sys.ini"));
        typeCounts({1});
        control<QPushButton>(m_form, QStringLiteral("CommandCheck"))->click();
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QCOMPARE(m_dir->bytes(SeisanFileName), seisan);
        QCOMPARE(m_dir->bytes(QStringLiteral("sys.ini")), ini);
        const QString text = pdfPages(pdf(), false).join(u'\n');
        QVERIFY2(text.contains(QStringLiteral("レジ点検")), qPrintable(text));
    }

    // A day closed again is asked about first; answered yes, both closings are kept and the later is marked.
    void closeTwiceKeepsBoth()
    {
        typeCounts({1, 0, 0, 3, 1});
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QCOMPARE(m_dir->bytes(SeisanFileName).size(), 2 * SeisanRecordSize);
        QVERIFY(pdfPages(pdf(), false).join(u'\n').contains(QStringLiteral("レジ精算")));

        // Answered no: nothing more.
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        QVERIFY(MessageBox::takeShown().value(0).contains(QStringLiteral("すでに精算されています")));
        QCOMPARE(m_dir->bytes(SeisanFileName).size(), 2 * SeisanRecordSize);

        MessageBox::setNextAnswer(QMessageBox::Yes);
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        QCOMPARE(m_dir->bytes(SeisanFileName).size(), 3 * SeisanRecordSize);
        QList<SeisanRecord> records;
        QVERIFY(ReadSeisan(records));
        QCOMPARE(records[1].counted, 13500.0);
        QCOMPARE(records[1].difference, 0.0);
        QCOMPARE(int(records[2].kind), int(SeisanKind::Closing));
        auto* history = control<Grid>(m_form, QStringLiteral("GridHistory"));
        QCOMPARE(history->rows(), 3);
        QCOMPARE(history->text(1, 5), QStringLiteral("○")); // the later one
        QCOMPARE(history->text(2, 5), QString());
        QCOMPARE(history->text(2, 3), QStringLiteral("13500"));
    }

    // The change fund typed is remembered with the closing and used for the expected cash.
    void changeFundRemembered()
    {
        auto* fund = control(m_form, QStringLiteral("TextFund"));
        retype(fund, QStringLiteral("20000"));
        QCOMPARE(control(m_form, QStringLiteral("TextExpected"))->text(), QStringLiteral("23,500"));
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        QCOMPARE(SysNum[Sys::ChangeFund], 20000.0);
        LoadSettings();
        QCOMPARE(SysNum[Sys::ChangeFund], 20000.0);
    }

    void failingPrinterKeepsTheClosing()
    {
        Printing::redirectToPdf(QString());
        SysStr[Sys::ReceiptPrinter] = QStringLiteral("存在しないプリンター");
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        const QStringList shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].endsWith(QStringLiteral("精算は記録されています。")), qPrintable(shown[0]));
        QCOMPARE(m_dir->bytes(SeisanFileName).size(), 2 * SeisanRecordSize);
        SysStr[Sys::ReceiptPrinter].clear();
    }

    void reprintChosen()
    {
        control<QPushButton>(m_form, QStringLiteral("CommandReprint"))->click();
        QVERIFY(MessageBox::takeShown().value(0).contains(QStringLiteral("選んで")));
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        QFile::remove(pdf());
        control<Grid>(m_form, QStringLiteral("GridHistory"))->setCurrentRow(1);
        control<QPushButton>(m_form, QStringLiteral("CommandReprint"))->click();
        QVERIFY(pdfPages(pdf(), false).join(u'\n').contains(QStringLiteral("再発行")));
    }

    // A damaged seisan.dat is told and left alone; a closing is refused rather than writing beside it.
    void damagedFileRefused()
    {
        m_dir->writeBytes(SeisanFileName, QByteArray(700, 'x'));
        control<QPushButton>(m_form, QStringLiteral("CommandClose"))->click();
        const QStringList shown = MessageBox::takeShown();
        QVERIFY(!shown.isEmpty());
        QVERIFY(shown.join(u'\n').contains(QStringLiteral("壊れています")));
        QCOMPARE(m_dir->bytes(SeisanFileName), QByteArray(700, 'x'));
    }
};

QTEST_MAIN(TestClosingWindow)
#include "tst_closingwindow.moc"
