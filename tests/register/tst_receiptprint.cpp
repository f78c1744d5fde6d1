// Receipts of stored slips with the settings' shop details: reprints, deleted slips, missing printers.
#include "guitest.h"

#include "platform/printing.h"
#include "register/receiptprint.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settings.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

class TestReceiptPrint : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;
    QString pdf() const { return m_dir->file(QStringLiteral("r.pdf")); }
    QString pdfText() const
    {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf(), QStringLiteral("-")});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).remove(u' ');
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        SysStr[5] = QStringLiteral("やおや");
        SysStr[8] = QStringLiteral("T1234567890123");
        SysNum[19] = 58;
        setProduct(1, QStringLiteral("りんご"), 110);
        QVERIFY(storeSlip(1, QStringLiteral("2026/12/05"), 1, 2, 110));
        QVERIFY(storeSlip(2, QStringLiteral("2026/12/05"), 1, 1, 110, true));
        SysNum[2] = 3;
        Printing::redirectToPdf(pdf());
    }
    void cleanup() { Printing::redirectToPdf(QString()); }

    void reprintIsMarked()
    {
        WorkingSlip = SalesSlipRecord();
        WorkingSlip.SlipNo = 99;
        const Result r = reprintSlipReceipt(1);
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(WorkingSlip.SlipNo, 99); // the register's working slip is not touched
        const QString text = pdfText();
        for (const char* wanted :
             {"やおや", "登録番号T1234567890123", "再発行", "No.1", "りんご", "2×¥110", "¥220", "10%対象", "内消費税"})
            QVERIFY2(text.contains(QString::fromUtf8(wanted)), qPrintable(QString::fromUtf8(wanted) + "\n" + text));
    }

    void deletedSlipIsRefused()
    {
        const Result r = reprintSlipReceipt(2);
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("伝票は削除されています。"));
        QVERIFY(!QFile::exists(pdf()));
    }

    void missingPrinterIsReported()
    {
        Printing::redirectToPdf(QString());
        SysStr[9] = QStringLiteral("存在しないプリンター");
        const Result r = reprintSlipReceipt(1);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.startsWith(QStringLiteral("レシートを印刷できませんでした。")), qPrintable(r.error));
        QVERIFY2(r.error.contains(QStringLiteral("存在しないプリンター")), qPrintable(r.error));
    }
};

QTEST_MAIN(TestReceiptPrint)
#include "tst_receiptprint.moc"
