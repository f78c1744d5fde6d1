// Receipts at the register: printed after a saved sale when asked for, reissued from the slip list, and a
// printer that fails never costs the sale.
#include "windowtest.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "register/receiptprint.h"
#include "register/registerwindow.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

class TestReceiptPrint : public WindowTest
{
    Q_OBJECT

private:
    RegisterWindow* m_form = nullptr;
    QString pdf() const { return dir().file(QStringLiteral("r.pdf")); }
    QString pdfText() const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf(), QStringLiteral("-")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).remove(u' ');
    }

    RegisterWindow* openForm() { return m_form = openWindow<RegisterWindow>(); }
    void saleOfTwoApples()
    {
        QVERIFY(focusOn(m_form, QStringLiteral("lineCodeBoxes_1")));
        type(QStringLiteral("1"));
        press(Qt::Key_Return);
        type(QStringLiteral("2"));
        press(Qt::Key_Return);
        press(Qt::Key_F12);
    }
    QString sysIniLine(int i) const
    {
        return QString::fromLatin1(dir().bytes("sys.ini")).split(QStringLiteral("\r\n")).value(i);
    }
    void chooseSlip(qint64 n)
    {
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        control<QComboBox>(m_form, QStringLiteral("recallYearBox"))->setEditText(today.left(4));
        control<QComboBox>(m_form, QStringLiteral("recallMonthBox"))->setEditText(today.mid(5, 2));
        QVERIFY(focusOn(m_form, QStringLiteral("lineCodeBoxes_1")));
        press(Qt::Key_F9);
        QVERIFY(m_form->recallPanelOpen());
        auto* grid = control<Grid>(m_form, "slipGrid");
        const int row = int(m_form->state().gridSlipNos.indexOf(n));
        QVERIFY(row >= 1);
        grid->setCurrentRow(row);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row - 1, 0)).center());
        QCOMPARE(m_form->state().selectedSlipNo, n);
    }

    void setUp() override
    {
        SysStr[5] = QStringLiteral("やおや");
        SysStr[8] = QStringLiteral("T1234567890123");
        SysNum[19] = 58;
        setProduct(1, QStringLiteral("りんご"), 110);
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        QVERIFY(storeSlip(1, today, 1, 2, 110));
        QVERIFY(storeSlip(2, today, 1, 1, 110, true));
        SysNum[2] = 3;
        Printing::redirectToPdf(pdf());
    }
    void tearDown() override
    {
        Printing::redirectToPdf(QString());
        delete m_form;
        m_form = nullptr;
    }

private Q_SLOTS:
    // Asked for directly, a deleted slip prints nothing either (the slip list refuses it before).
    void deletedSlipPrintsNothing()
    {
        QCOMPARE(printStoredReceipt(2, true).error, QStringLiteral("伝票は削除されています。"));
        QVERIFY(!QFile::exists(pdf()));
    }

    void receiptAfterEverySaleWhenChecked()
    {
        openForm();
        QVERIFY(!control<QCheckBox>(m_form, "receiptCheck")->isChecked());
        saleOfTwoApples();
        QVERIFY(!QFile::exists(pdf())); // not asked for

        QTest::mouseClick(control<QCheckBox>(m_form, "receiptCheck"), Qt::LeftButton);
        QCOMPARE(sysIniLine(17), QStringLiteral("1")); // SysNum[18], remembered at once
        saleOfTwoApples();
        QVERIFY(shown().isEmpty());
        const QString text = pdfText();
        for (const char* wanted : {"やおや", "No.4", "りんご", "2×¥110", "合計", "¥220"})
            QVERIFY2(text.contains(QString::fromUtf8(wanted)), qPrintable(QString::fromUtf8(wanted) + "\n" + text));
        QVERIFY(!text.contains(QStringLiteral("再発行")));
        QVERIFY(!text.contains(QStringLiteral("訂正")));

        // Opened again, the register remembers the choice; unchecking it is remembered too.
        delete m_form;
        openForm();
        QVERIFY(control<QCheckBox>(m_form, "receiptCheck")->isChecked());
        QTest::mouseClick(control<QCheckBox>(m_form, "receiptCheck"), Qt::LeftButton);
        QCOMPARE(sysIniLine(17), QStringLiteral("0"));
    }

    // The printer that cannot be reached is named in the message.
    void failingPrinterKeepsTheSale()
    {
        Printing::redirectToPdf(QString());
        SysStr[9] = QStringLiteral("存在しないプリンター");
        SysNum[18] = 1;
        openForm();
        QVERIFY(control<QCheckBox>(m_form, "receiptCheck")->isChecked());
        saleOfTwoApples();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes.first().startsWith(QStringLiteral("レシートを印刷できませんでした。")),
                 qPrintable(boxes.first()));
        QVERIFY(boxes.first().endsWith(QStringLiteral("売上は登録されています。")));
        QVERIFY(boxes.first().contains(QStringLiteral("存在しないプリンター")));
        // Slip 3 stored, the counter moved on, the entry cleared for the next customer.
        QCOMPARE(f64(record(dir().bytes("reg.dat"), 3, Off::Sales::Size), Off::Sales::Total), 220.0);
        QCOMPARE(SysNum[2], 4.0);
        QVERIFY(control(m_form, "lineCodeBoxes_1")->text().isEmpty());
    }

    // The receipt printed after a correction says it replaces the one given for that slip; a sale's does not.
    void correctionReceiptIsMarked()
    {
        SysNum[18] = 1;
        openForm();
        chooseSlip(1);
        control<QPushButton>(m_form, "correctButton")->click();
        QVERIFY(focusOn(m_form, QStringLiteral("lineQuantityBoxes_1")));
        type(QStringLiteral("3"));
        press(Qt::Key_Return);
        press(Qt::Key_F12);
        QVERIFY(shown().isEmpty());
        const QString text = pdfText();
        for (const char* wanted : {"＊訂正＊", "No.1の訂正後の領収書", "3×¥110", "¥330"})
            QVERIFY2(text.contains(QString::fromUtf8(wanted)), qPrintable(QString::fromUtf8(wanted) + "\n" + text));
        QVERIFY(!text.contains(QStringLiteral("再発行")));
    }

    // A deleted slip is refused; a stored one is reissued with its mark and the shop's details from the settings.
    // How the receipt lays out a slip is the receipt builder's test.
    void reissueFromSlipList()
    {
        openForm();
        chooseSlip(2); // deleted
        control<QPushButton>(m_form, "reissueButton")->click();
        QCOMPARE(shown(), QStringList{QStringLiteral("伝票は削除されています。")});
        QVERIFY(!QFile::exists(pdf()));

        chooseSlip(1);
        control<QPushButton>(m_form, "reissueButton")->click();
        QVERIFY(shown().isEmpty());
        const QString text = pdfText();
        for (const char* wanted :
             {"やおや", "登録番号T1234567890123", "再発行", "No.1", "2×¥110", "10%対象", "内消費税"})
            QVERIFY2(text.contains(QString::fromUtf8(wanted)), qPrintable(QString::fromUtf8(wanted) + "\n" + text));
    }
};

QTEST_MAIN(TestReceiptPrint)
#include "tst_receiptprint.moc"
