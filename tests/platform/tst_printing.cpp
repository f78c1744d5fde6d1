// Receipts and paginated tables printed to PDF and read back as text; CSV of a table model byte for byte.
#include "platform/printing.h"
#include "platform/tableexport.h"
#include "storage/receipt.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/tax.h"
#include "testutil.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QtTest>

class TestPrinting : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;

    QString pdf() const { return m_dir->file(QStringLiteral("out.pdf")); }

    // Page width and height in millimetres as pdfinfo gives them.
    static QSizeF pdfPageMm(const QString& path)
    {
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {path});
        p.waitForFinished(60000);
        const QRegularExpression size(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"));
        const QRegularExpressionMatch m = size.match(QString::fromUtf8(p.readAllStandardOutput()));
        return m.hasMatch() ? QSizeF(m.captured(1).toDouble() * 25.4 / 72, m.captured(2).toDouble() * 25.4 / 72)
                            : QSizeF();
    }
    // A slip with a standard-rate line and two reduced-rate lines, stored in reg.dat and read back as the
    // register would read it.
    static SalesSlipRecord storedMixedSlip()
    {
        SalesSlipRecord slip = saleSlip(7, QStringLiteral("2026/12/05"),
                                        {{5, 1, 330, QStringLiteral("ビール")},
                                         {7, 3, 108, QStringLiteral("りんご")},
                                         {8, 1, 216, QStringLiteral("食パン")}},
                                        QStringLiteral("14:03:22"));
        slip.Tax = 70;
        slip.Rates.present = true;
        slip.Rates.reducedLines = 0b110;
        slip.Rates.standard = {330, 30, 0.1};
        slip.Rates.reduced = {540, 40, 0.08};
        storeSalesSlip(7, slip);
        return ReadSalesSlip(7).value;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed to read printed pages back");
    }
    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        Printing::redirectToPdf(pdf());
    }
    void cleanup() { Printing::redirectToPdf(QString()); }

    void receipt_data()
    {
        QTest::addColumn<int>("widthMm");
        QTest::newRow("58 mm") << 58;
        QTest::newRow("80 mm") << 80;
    }
    void receipt()
    {
        QFETCH(int, widthMm);
        const ShopDetails shop{QStringLiteral("やおや本店"), QStringLiteral("東京都千代田区1-1"),
                               QStringLiteral("03-1234-5678"), QStringLiteral("T1234567890123")};
        const Result r = printReceipt(buildReceipt(storedMixedSlip(), shop, 0.1, true, false), widthMm, QString());
        QVERIFY2(r.ok, qPrintable(r.error));

        const QSizeF page = pdfPageMm(pdf());
        QVERIFY2(qAbs(page.width() - widthMm) < 0.5, qPrintable(QString::number(page.width())));
        QVERIFY(page.height() > 40 && page.height() < 300);

        // Without layout the text comes in reading order, one printed row a line.
        QString text = pdfPages(pdf(), false).join(u'\f');
        text.remove(u' ');
        // clang-format off
        for (const char* wanted : {"やおや本店", "TEL03-1234-5678", "登録番号T1234567890123", "2026/12/0514:03:22", "No.7",
                                   "ビール", "※りんご", "3×¥108", "¥324", "※食パン", "合計", "¥870", "10%対象", "¥330",
                                   "内消費税", "¥30", "8%対象", "¥540", "¥40", "※は軽減税率（8%）対象商品です"})
            // clang-format on
            QVERIFY2(text.contains(QString::fromUtf8(wanted)), qPrintable(QString::fromUtf8(wanted) + "\n" + text));
        QVERIFY(!text.contains(QStringLiteral("※ビール")));
        // Each rate's figures on the row of their label.
        const QString laidOut = pdfPages(pdf()).join(u'\f');
        QVERIFY2(laidOut.contains(QRegularExpression(QStringLiteral("8%対象\\s+¥540"))), qPrintable(laidOut));
        QVERIFY2(laidOut.contains(QRegularExpression(QStringLiteral("10%対象\\s+¥330"))), qPrintable(laidOut));
    }

    void failedPrintIsReported_data()
    {
        QTest::addColumn<QString>("pdfPath");
        QTest::addColumn<QString>("printer");
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("no such printer") << QString() << QStringLiteral("存在しないプリンター") << QStringLiteral("プリンター「存在しないプリンター」が見つかりません。");
        QTest::newRow("output cannot be written") << QStringLiteral("no/such/dir/out.pdf") << QString() << QStringLiteral("印刷できませんでした");
        // clang-format on
    }
    void failedPrintIsReported()
    {
        QFETCH(QString, pdfPath);
        QFETCH(QString, printer);
        QFETCH(QString, message);
        Printing::redirectToPdf(pdfPath.isEmpty() ? QString() : m_dir->file(pdfPath));
        QElapsedTimer clock;
        clock.start();
        const Result r = printReceipt(buildReceipt(storedMixedSlip(), {}, 0.1, true, false), 80, printer);
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(clock.elapsed() < 20000); // never waits for a printer that is not there
    }

    void longTableRepeatsHeadings()
    {
        QStandardItemModel model(130, 3);
        model.setHorizontalHeaderLabels({QStringLiteral("伝票番号"), QStringLiteral("品名"), QStringLiteral("金額")});
        for (int r = 0; r < model.rowCount(); ++r) {
            model.setItem(r, 0, new QStandardItem(QString::number(r + 1)));
            model.setItem(r, 1, new QStandardItem(QStringLiteral("品物%1").arg(r + 1)));
            auto* amount = new QStandardItem(QString::number((r + 1) * 10));
            amount->setTextAlignment(Qt::AlignRight);
            model.setItem(r, 2, amount);
        }
        const TableHeading heading{QStringLiteral("売上伝票一覧"), QStringLiteral("2026年12月"),
                                   QStringLiteral("やおや本店"), QStringLiteral("売上伝票一覧_2026-12")};
        const Result r = previewTable(nullptr, model, {1000, 5000, 1000}, heading);
        QVERIFY2(r.ok, qPrintable(r.error));

        const QStringList pages = pdfPages(pdf());
        QVERIFY2(pages.size() >= 2, qPrintable(QString::number(pages.size())));
        QStringList allRows;
        for (int p = 0; p < pages.size(); ++p) {
            const QString& page = pages[p];
            for (const QString& wanted : {heading.title, heading.period, heading.shopName})
                QVERIFY2(page.contains(wanted), qPrintable(QStringLiteral("page %1 lacks %2").arg(p + 1).arg(wanted)));
            QVERIFY2(page.contains(QRegularExpression(QStringLiteral("伝票番号\\s+品名\\s+金額"))),
                     qPrintable(QStringLiteral("page %1 has no headings").arg(p + 1)));
            QVERIFY2(page.contains(QStringLiteral("%1 / %2").arg(p + 1).arg(pages.size())), qPrintable(page));
            const QRegularExpression row(QStringLiteral("(?m)^\\s*(\\d+)\\s+品物(\\d+)\\s+(\\d+)\\s*$"));
            for (auto it = row.globalMatch(page); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                QCOMPARE(m.captured(2), m.captured(1));
                QCOMPARE(m.captured(3).toInt(), m.captured(1).toInt() * 10);
                allRows << m.captured(1);
            }
        }
        // Every row printed once, in order.
        QCOMPARE(allRows.size(), model.rowCount());
        for (int i = 0; i < allRows.size(); ++i)
            QCOMPARE(allRows[i].toInt(), i + 1);
    }

    // Columns too narrow for their texts take the room the others can spare, and no more.
    void columnsFitTheirTexts_data()
    {
        QTest::addColumn<QList<qreal>>("given");
        QTest::addColumn<QList<qreal>>("needed");
        QTest::addColumn<QList<qreal>>("widths");
        using L = QList<qreal>;
        // clang-format off
        QTest::newRow("all fit: proportions kept") << L{1, 3} << L{10, 10} << L{25, 75};
        QTest::newRow("narrow date widened from spare room") << L{1, 3} << L{40, 20} << L{40, 60};
        QTest::newRow("spare room shared in proportion to what each spares") << L{2, 4, 4} << L{30, 35, 20} << L{30, 38, 32};
        QTest::newRow("not enough room: all the spare goes") << L{1, 1} << L{80, 40} << L{60, 40};
        QTest::newRow("two short columns share the room") << L{1, 1, 2} << L{40, 40, 35} << L{32.5, 32.5, 35};
        QTest::newRow("nothing to spare") << L{1, 1} << L{60, 60} << L{50, 50};
        QTest::newRow("a column that needs just its share spares nothing") << L{1, 1} << L{50, 60} << L{50, 50};
        QTest::newRow("missing needs count as none") << L{1, 1} << L{70} << L{70, 30};
        QTest::newRow("no columns") << L{} << L{} << L{};
        QTest::newRow("zero proportions") << L{0, 0} << L{10, 10} << L{0, 0};
        // clang-format on
    }

    void columnsFitTheirTexts()
    {
        QFETCH(QList<qreal>, given);
        QFETCH(QList<qreal>, needed);
        QFETCH(QList<qreal>, widths);
        const QList<qreal> got = fitColumnWidths(given, needed, 100);
        QCOMPARE(got.size(), widths.size());
        for (int c = 0; c < got.size(); ++c)
            QVERIFY2(qAbs(got[c] - widths[c]) < 1e-9, qPrintable(QStringLiteral("column %1: %2").arg(c).arg(got[c])));
    }

    // A page ends before a slip or the period's totals that would not fit on it whole; only a block longer than
    // a page of its own is cut, where the page is full.
    void pagesEndBetweenBlocks_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("perPage");
        QTest::addColumn<QList<int>>("blockStarts");
        QTest::addColumn<QList<int>>("pageStarts");
        // clang-format off
        QTest::newRow("no rows") << 0 << 10 << QList<int>{} << QList<int>{0};
        QTest::newRow("all on one page") << 10 << 10 << QList<int>{0, 4, 8} << QList<int>{0};
        QTest::newRow("no blocks: full pages") << 25 << 10 << QList<int>{} << QList<int>{0, 10, 20};
        QTest::newRow("a slip that would be cut moves on") << 12 << 10 << QList<int>{0, 4, 8} << QList<int>{0, 8};
        QTest::newRow("a slip starting where the page ends") << 14 << 10 << QList<int>{0, 5, 10} << QList<int>{0, 10};
        QTest::newRow("totals block just fits a page") << 20 << 8 << QList<int>{0, 4, 8, 12} << QList<int>{0, 8, 12};
        QTest::newRow("a block longer than a page is cut") << 30 << 10 << QList<int>{0, 2} << QList<int>{0, 10, 20};
        QTest::newRow("the last block runs to the last row") << 12 << 10 << QList<int>{0, 4, 15} << QList<int>{0, 4};
        QTest::newRow("at least a row a page") << 3 << 0 << QList<int>{0, 1, 2} << QList<int>{0, 1, 2};
        // clang-format on
    }
    void pagesEndBetweenBlocks()
    {
        QFETCH(int, rows);
        QFETCH(int, perPage);
        QFETCH(QList<int>, blockStarts);
        QTEST(cutPages(rows, perPage, blockStarts), "pageStarts");
    }

    void tableCsv()
    {
        QStandardItemModel model(2, 3);
        model.setHorizontalHeaderLabels({QStringLiteral("CODE"), QStringLiteral("品名"), QStringLiteral("金額")});
        const QStringList cells{"1", "髙橋, \"特製\"", "1050", "2", "ab  ", "52.5"};
        for (int i = 0; i < cells.size(); ++i)
            model.setItem(i / 3, i % 3, new QStandardItem(cells[i]));
        const QString path = m_dir->file(QStringLiteral("t.csv"));
        const Result r = exportTableCsv(nullptr, model, path);
        QVERIFY2(r.ok, qPrintable(r.error));
        // 品名 = 95 69 96 bc, 髙橋 = fb fc 8b b4 in code page 932; the blanks that pad a field are not written.
        QCOMPARE(fileBytes(path), QByteArray("CODE,\x95\x69\x96\xbc,\x8b\xe0\x8a\x7a\r\n"
                                             "1,\"\xfb\xfc\x8b\xb4, \"\"\x93\xc1\x90\xbb\"\"\",1050\r\n"
                                             "2,ab,52.5\r\n"));
    }
};

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
