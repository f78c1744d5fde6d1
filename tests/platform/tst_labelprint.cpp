// Shelf labels: sheets printed to PDF, rendered to images and read back by an independent barcode reader.
#include "../common/guitest.h"

#include "platform/labelprint.h"
#include "storage/jancode.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QList<ShelfLabel> labelsFor(const QStringList& codes)
{
    QList<ShelfLabel> labels;
    int i = 0;
    for (const QString& code : codes)
        labels << ShelfLabel{QStringLiteral("商品の名前 %1 長めの名前でも切れて収まる").arg(++i),
                             QStringLiteral("税込 ¥1,%1").arg(i, 3, 10, QLatin1Char('0')), code};
    return labels;
}

} // namespace

class TestLabelPrint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sheets_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("perSheet");
        QTest::addColumn<QRectF>("last"); // mm
        QTest::newRow("3 x 8") << int(LabelSheet::ThreeByEight) << 24 << QRectF(140, 259.5, 70, 37);
        QTest::newRow("4 x 11") << int(LabelSheet::FourByEleven) << 44 << QRectF(153.3, 262.8, 48.3, 25.4);
    }
    void sheets()
    {
        QFETCH(int, sheet);
        QFETCH(QRectF, last);
        const SheetLayout layout = sheetLayout(LabelSheet(sheet));
        QTEST(layout.perSheet(), "perSheet");
        const QRectF got = layout.labelRect(layout.perSheet() - 1);
        QVERIFY2(qAbs(got.left() - last.left()) < 0.01 && qAbs(got.top() - last.top()) < 0.01,
                 qPrintable(QStringLiteral("%1,%2").arg(got.left()).arg(got.top())));
        QCOMPARE(got.size(), last.size());
        // The whole sheet lies on A4, and the next sheet starts again at the top left.
        QVERIFY(got.right() <= 210.01 && got.bottom() <= 297.01);
        QCOMPARE(layout.labelRect(layout.perSheet()), layout.labelRect(0));
        QCOMPARE(layout.labelRect(1).left() - layout.labelRect(0).left(), layout.widthMm);
    }

    // Each sheet printed to PDF and read back: every code comes back, on every page.
    void printedCodesReadBack_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QStringList>("codes");
        const QStringList mixed = {QStringLiteral("4901234567894"), QStringLiteral("96385074"),
                                   QStringLiteral("0036000291452"), inStoreCode(7), QStringLiteral("49123456")};
        QTest::newRow("3 x 8, EAN-13 and EAN-8") << int(LabelSheet::ThreeByEight) << mixed;
        QTest::newRow("4 x 11, EAN-13 and EAN-8") << int(LabelSheet::FourByEleven) << mixed;
        QStringList many;
        for (int n = 1; n <= 26; ++n)
            many << inStoreCode(n * 11);
        QTest::newRow("3 x 8, two sheets") << int(LabelSheet::ThreeByEight) << many;
        QStringList more;
        for (int n = 1; n <= 46; ++n)
            more << inStoreCode(n);
        QTest::newRow("4 x 11, two sheets") << int(LabelSheet::FourByEleven) << more;
    }
    void printedCodesReadBack()
    {
        QFETCH(int, sheet);
        QFETCH(QStringList, codes);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("labels.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QVERIFY(paintLabels(printer, labelsFor(codes), LabelSheet(sheet)));

        const int sheets = int((codes.size() + sheetLayout(LabelSheet(sheet)).perSheet() - 1) /
                               sheetLayout(LabelSheet(sheet)).perSheet());
        QCOMPARE(pdfPages(pdf).size(), sheets);
        QStringList expected = codes;
        expected.sort();
        QCOMPARE(barcodesInPdf(pdf), expected);
    }

    // A code the barcode library refuses is reported, never printed as bars that read as something else.
    void refusedCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("wrong check digit") << "4901234567895";
        QTest::newRow("letters") << "49012345678A4";
    }
    void refusedCode()
    {
        QFETCH(QString, code);
        QImage image(400, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        const Result drawn = drawEan(painter, QRectF(0, 0, 400, 200), code);
        QVERIFY(!drawn);
        QVERIFY2(drawn.error.contains(code), qPrintable(drawn.error));
    }
};

QTEST_MAIN(TestLabelPrint)
#include "tst_labelprint.moc"
