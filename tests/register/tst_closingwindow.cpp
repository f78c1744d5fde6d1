// The closing window as the cashier uses it: the day's expected figures, the count typed with Enter moving
// down, 点検 that stores nothing, 精算 asked about and numbered among closings, twice kept, and without a printer
// the closing kept and its report shown in a print preview.
#include "windowtest.h"

#include "platform/filedialog.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "register/closingwindow.h"
#include "storage/changes.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QAction>
#include <QDate>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

class TestClosingWindow : public WindowTest
{
    Q_OBJECT

private:
    ClosingWindow* m_form = nullptr;

    QString today() const { return QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")); }
    QString pdf() const { return dir().file(QStringLiteral("r.pdf")); }
    // A slip of today paid by `method`.
    void sale(qint64 n, double total, PaymentMethod method, bool deleted = false)
    {
        SalesSlipRecord slip = saleSlip(n, today(), {{1, 1, total}});
        slip.Deleted = deleted ? 1 : 0;
        slip.Payment = {true, method, 0};
        QVERIFY(storeSalesSlip(n, slip));
        SysNum[Sys::NextSalesSlipNo] = double(n + 1);
    }
    void typeCounts(const QList<int>& counts)
    {
        QVERIFY(focusOn(m_form, QStringLiteral("countBoxes_0")));
        for (int c : counts) {
            type(QString::number(c));
            press(Qt::Key_Return);
        }
    }
    void moveCash(SeisanKind kind, double amount)
    {
        SeisanRecord r;
        r.kind = kind;
        r.day = today();
        r.amount = amount;
        QVERIFY(AppendSeisan(r));
    }
    // 精算 clicked, its question answered Yes.
    void closeAnsweringYes()
    {
        answerYes();
        control<QPushButton>(m_form, QStringLiteral("closeDayButton"))->click();
    }
    QString cell(Grid* g, const QString& item) const
    {
        for (int r = 1; r < g->rows(); ++r)
            if (g->text(r, 0) == item)
                return g->text(r, 1);
        return QStringLiteral("(none)");
    }

    void setUp() override
    {
        SysNum[Sys::ChangeFund] = 10000;
        sale(1, 3000, PaymentMethod::Cash);
        sale(2, 2000, PaymentMethod::Credit);
        sale(3, -500, PaymentMethod::Cash);
        sale(4, 800, PaymentMethod::QrCode, true);
        QVERIFY(SaveSettings());
        moveCash(SeisanKind::CashIn, 1000);
        Printing::redirectToPdf(pdf());
        m_form = openWindow<ClosingWindow>();
    }
    void tearDown() override
    {
        delete m_form;
        m_form = nullptr;
        Printing::redirectToPdf(QString());
    }

private Q_SLOTS:
    // The sums are the storage's (tst_closing); here, that the day's figures reach the grid, and that a sale
    // saved or cash moved while the window is open shows at once.
    void expectedFiguresFollowChanges()
    {
        auto* g = control<Grid>(m_form, QStringLiteral("expectedGrid"));
        QCOMPARE(cell(g, QStringLiteral("伝票数")), QStringLiteral("3 件"));
        QCOMPARE(cell(g, QStringLiteral("削除伝票 1 件")), QStringLiteral("800"));
        QCOMPARE(cell(g, QStringLiteral("現金在高（理論）")), QStringLiteral("13,500")); // 10000 + 2500 + 1000
        QCOMPARE(control(m_form, QStringLiteral("fundBox"))->text(), QStringLiteral("10000"));
        sale(5, 700, PaymentMethod::Cash);
        Q_EMIT changes().salesSlipsChanged();
        QCOMPARE(cell(g, QStringLiteral("現金在高（理論）")), QStringLiteral("14,200"));
        moveCash(SeisanKind::CashOut, 200);
        Q_EMIT changes().seisanChanged();
        QCOMPARE(cell(g, QStringLiteral("出金")), QStringLiteral("200"));
        QCOMPARE(control(m_form, QStringLiteral("expectedBox"))->text(), QStringLiteral("14,000"));
    }

    void countAndDifference_data()
    {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QString>("counted");
        QTest::addColumn<QString>("difference");
        QTest::addColumn<QString>("focusAfter");
        // clang-format off
        QTest::newRow("exact") << QList<int>{1, 0, 0, 3, 1} << "13,500" << "0" << "countBoxes_5";
        QTest::newRow("short") << QList<int>{1, 0, 0, 3, 0, 4} << "13,400" << "-100" << "countBoxes_6";
        QTest::newRow("over, all ten") << QList<int>{1, 0, 0, 3, 1, 0, 0, 0, 0, 7} << "13,507" << "+7" << "closeDayButton";
        // clang-format on
    }
    void countAndDifference()
    {
        QFETCH(QList<int>, counts);
        QFETCH(QString, focusAfter);
        typeCounts(counts);
        QTRY_COMPARE(focusedName(), focusAfter);
        QTEST(control(m_form, QStringLiteral("countedBox"))->text(), "counted");
        QTEST(control(m_form, QStringLiteral("differenceBox"))->text(), "difference");
    }

    // Counts take digits only, five at most.
    void countBoxTakesDigits()
    {
        QVERIFY(focusOn(m_form, QStringLiteral("countBoxes_0")));
        type("-1.5x123456");
        QCOMPARE(control(m_form, QStringLiteral("countBoxes_0"))->text(), QStringLiteral("15123"));
    }

    void checkStoresNothing()
    {
        const QByteArray seisan = dir().bytes(SeisanFileName);
        const QByteArray ini = dir().bytes(QStringLiteral("sys.ini"));
        typeCounts({1});
        control<QPushButton>(m_form, QStringLiteral("checkButton"))->click();
        QCOMPARE(shown(), QStringList());
        QCOMPARE(dir().bytes(SeisanFileName), seisan);
        QCOMPARE(dir().bytes(QStringLiteral("sys.ini")), ini);
        const QString text = pdfPages(pdf(), false).join(u'\n');
        QVERIFY2(text.contains(QStringLiteral("レジ点検")), qPrintable(text));
    }

    // 精算 asks first, Enter on it as a click does, and one more Enter (No, the default) closes nothing. A day
    // closed again is asked about first; answered yes, both closings are kept and the later is marked.
    void closeTwiceKeepsBoth()
    {
        QVERIFY(focusOn(m_form, QStringLiteral("closeDayButton")));
        press(Qt::Key_Return);
        const QStringList asked = shown();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(QStringLiteral("を精算しますか")), qPrintable(asked[0]));
        QVERIFY2(asked[0].contains(QStringLiteral("過不足 -13,500 円")), qPrintable(asked[0]));
        QCOMPARE(dir().bytes(SeisanFileName).size(), SeisanRecordSize);
        typeCounts({1, 0, 0, 3, 1});
        closeAnsweringYes();
        QCOMPARE(shown().size(), 1); // the question alone
        QCOMPARE(dir().bytes(SeisanFileName).size(), 2 * SeisanRecordSize);
        QVERIFY(pdfPages(pdf(), false).join(u'\n').contains(QStringLiteral("レジ精算")));

        // Answered no: nothing more.
        control<QPushButton>(m_form, QStringLiteral("closeDayButton"))->click();
        QVERIFY(shown().value(0).contains(QStringLiteral("すでに精算されています")));
        QCOMPARE(dir().bytes(SeisanFileName).size(), 2 * SeisanRecordSize);

        answerYes();
        control<QPushButton>(m_form, QStringLiteral("closeDayButton"))->click();
        QCOMPARE(dir().bytes(SeisanFileName).size(), 3 * SeisanRecordSize);
        auto* history = control<Grid>(m_form, QStringLiteral("historyGrid"));
        QCOMPARE(history->rows(), 3);
        QCOMPARE(history->text(1, 5), QStringLiteral("○")); // the later one
        QCOMPARE(history->text(2, 5), QString());
        // The count shown grouped, plain in the CSV file; the time of the closing with its year.
        QCOMPARE(history->model()->shownText(2, 3), QStringLiteral("13,500"));
        QVERIFY2(history->text(2, 1).startsWith(today() + u' '), qPrintable(history->text(2, 1)));
        QVERIFY(history->columnWidth(1) > history->fontMetrics().horizontalAdvance(history->text(2, 1)));
        FileDialog::setNextSaveName(dir().file(QStringLiteral("h.csv")));
        control<QPushButton>(m_form, QStringLiteral("csvButton"))->click();
        QVERIFY(fromCp932(dir().bytes(QStringLiteral("h.csv"))).contains(QStringLiteral(",13500,13500,0,")));
    }

    // With the backup after a closing asked for and its drive gone, the closing is stored all the same and the
    // cashier is told after the question.
    void closingStandsWithoutItsBackup()
    {
        SysNum[Sys::BackupAfterClosing] = 1;
        SysStr[Sys::BackupDrive] = dir().file(QStringLiteral("gone"));
        const qsizetype before = dir().bytes(SeisanFileName).size();
        typeCounts({1});
        closeAnsweringYes();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[1].startsWith(QStringLiteral("精算は記録されています。")), qPrintable(boxes[1]));
        QCOMPARE(dir().bytes(SeisanFileName).size(), before + SeisanRecordSize);
    }

    // The change fund typed is remembered with the closing and used for the expected cash.
    void changeFundRemembered()
    {
        auto* fund = control(m_form, QStringLiteral("fundBox"));
        retype(fund, QStringLiteral("20000"));
        QCOMPARE(control(m_form, QStringLiteral("expectedBox"))->text(), QStringLiteral("23,500"));
        closeAnsweringYes();
        QCOMPARE(SysNum[Sys::ChangeFund], 20000.0);
        LoadSettings();
        QCOMPARE(SysNum[Sys::ChangeFund], 20000.0);
    }

    // Without a printer the closing is stored, the cashier told, and the report shown in a print preview from
    // which it is saved as a PDF file.
    void noPrinterShowsThePreview()
    {
        Printing::redirectToPdf(QString());
        SysStr[Sys::ReceiptPrinter] = QStringLiteral("存在しないプリンター");
        const QString saved = dir().file(QStringLiteral("z.pdf"));
        QString previewTitle;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            previewTitle = preview->windowTitle();
            FileDialog::setNextSaveName(saved);
            preview->findChild<QAction*>(QStringLiteral("savePdf"))->trigger();
            preview->reject();
        });
        poll.start(50);
        closeAnsweringYes();
        poll.stop();
        SysStr[Sys::ReceiptPrinter].clear();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 2);
        QVERIFY2(boxes[1].endsWith(QStringLiteral("精算は記録されています。")), qPrintable(boxes[1]));
        QCOMPARE(dir().bytes(SeisanFileName).size(), 2 * SeisanRecordSize);
        QCOMPARE(previewTitle, QStringLiteral("印刷プレビュー"));
        const QString text = pdfPages(saved).join(u'\n');
        QVERIFY2(text.contains(QStringLiteral("レジ精算")), qPrintable(text));
        QVERIFY2(QRegularExpression(QStringLiteral("精算番号 +1\\b")).match(text).hasMatch(), qPrintable(text));
    }

    void reprintChosen()
    {
        control<QPushButton>(m_form, QStringLiteral("reprintButton"))->click();
        QVERIFY(shown().value(0).contains(QStringLiteral("選んで")));
        closeAnsweringYes();
        QFile::remove(pdf());
        control<Grid>(m_form, QStringLiteral("historyGrid"))->setCurrentRow(1);
        control<QPushButton>(m_form, QStringLiteral("reprintButton"))->click();
        QVERIFY(pdfPages(pdf(), false).join(u'\n').contains(QStringLiteral("再発行")));
    }

    // A damaged seisan.dat is told and left alone; a closing is refused rather than writing beside it.
    void damagedFileRefused()
    {
        dir().writeBytes(SeisanFileName, QByteArray(700, 'x'));
        control<QPushButton>(m_form, QStringLiteral("closeDayButton"))->click();
        const QStringList boxes = shown();
        QVERIFY(!boxes.isEmpty());
        QVERIFY(boxes.join(u'\n').contains(QStringLiteral("壊れています")));
        QCOMPARE(dir().bytes(SeisanFileName), QByteArray(700, 'x'));
    }
};

QTEST_MAIN(TestClosingWindow)
#include "tst_closingwindow.moc"
