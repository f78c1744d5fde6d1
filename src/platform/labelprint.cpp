// Shelf labels: sheet layouts, the barcode drawn by libzint as vector bars, and the preview with its sheet choice.
#include "platform/labelprint.h"

#include "platform/printing.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <memory>
#include <zint.h>

QRectF SheetLayout::labelRect(int i) const
{
    const int column = i % columns;
    const int row = (i / columns) % rows;
    return {leftMm + column * widthMm, topMm + row * heightMm, widthMm, heightMm};
}

SheetLayout sheetLayout(LabelSheet sheet)
{
    if (sheet == LabelSheet::FourByEleven)
        return {4, 11, 48.3, 25.4, 8.4, 8.8};
    return {3, 8, 70, 37, 0, 0.5};
}

namespace {

struct ZintDeleter
{
    void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};

Result barcodeRefused(const QString& code, const char* why)
{
    return Result::failure(
        QStringLiteral("バーコード %1 を作れませんでした（%2）。").arg(code, QString::fromUtf8(why)));
}

} // namespace

Result drawEan(QPainter& painter, const QRectF& area, const QString& code)
{
    std::unique_ptr<zint_symbol, ZintDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        return barcodeRefused(code, "");
    symbol->symbology = BARCODE_EANX_CHK; // the code carries its check digit, which the library verifies
    symbol->show_hrt = 0;                 // the digits are drawn below, in the label's own font
    symbol->output_options |= BARCODE_QUIET_ZONES;
    const QByteArray digits = code.toLatin1();
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char*>(digits.constData()), int(digits.size())) >=
            ZINT_ERROR ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR || !symbol->vector || symbol->vector->width <= 0 ||
        symbol->vector->height <= 0)
        return barcodeRefused(code, symbol->errtxt);

    const zint_vector& v = *symbol->vector;
    const qreal sx = area.width() / v.width;
    const qreal sy = area.height() / v.height;
    painter.save();
    painter.fillRect(area, Qt::white);
    for (const zint_vector_rect* r = v.rectangles; r; r = r->next)
        if (r->colour == -1 || r->colour == 7)
            painter.fillRect(QRectF(area.left() + r->x * sx, area.top() + r->y * sy, r->width * sx, r->height * sy),
                             Qt::black);
    painter.restore();
    return Result::success();
}

namespace {

// Font sizes are in points, and the painter draws in device pixels.
QFont sized(const QFont& font, qreal pointSize)
{
    QFont f = font;
    f.setPointSizeF(pointSize);
    return f;
}

Result paintLabel(QPainter& painter, const QRectF& rect, const ShelfLabel& label, qreal dotsPerMm)
{
    const qreal pad = 2 * dotsPerMm;
    const QRectF inner = rect.adjusted(pad, pad * 0.75, -pad, -pad * 0.75);
    const bool small = rect.height() < 30 * dotsPerMm;
    const QFont nameFont = sized(Printing::font(8), small ? 7 : 9);
    const QFont priceFont = sized(Printing::font(8, true), small ? 10 : 13);
    const QFont digitFont = sized(Printing::font(8), small ? 6 : 7);
    const qreal nameHeight = QFontMetricsF(nameFont, painter.device()).height();
    const qreal priceHeight = QFontMetricsF(priceFont, painter.device()).height();
    const qreal digitHeight = QFontMetricsF(digitFont, painter.device()).height();

    painter.setPen(Qt::black);
    painter.setFont(nameFont);
    const QRectF nameLine(inner.left(), inner.top(), inner.width(), nameHeight);
    painter.drawText(nameLine, Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(nameFont, painter.device()).elidedText(label.name, Qt::ElideRight, inner.width()));
    painter.setFont(priceFont);
    painter.drawText(QRectF(inner.left(), nameLine.bottom(), inner.width(), priceHeight),
                     Qt::AlignRight | Qt::AlignVCenter, label.price);

    // The bars take what is left, no wider than a full-size symbol needs: wider bars read no better.
    const qreal barsTop = nameLine.bottom() + priceHeight;
    const qreal barsHeight = inner.bottom() - barsTop - digitHeight;
    const qreal barsWidth = std::min(inner.width(), 40 * dotsPerMm);
    const QRectF bars(inner.center().x() - barsWidth / 2, barsTop, barsWidth, barsHeight);
    if (Result drawn = drawEan(painter, bars, label.code); !drawn)
        return drawn;
    painter.setFont(digitFont);
    painter.drawText(QRectF(bars.left(), bars.bottom(), bars.width(), digitHeight), Qt::AlignCenter, label.code);
    return Result::success();
}

} // namespace

Result paintLabels(QPrinter& printer, const QList<ShelfLabel>& labels, LabelSheet sheet)
{
    const SheetLayout layout = sheetLayout(sheet);
    const qreal dotsPerMm = printer.resolution() / 25.4;
    QPainter painter;
    if (!painter.begin(&printer))
        return Result::failure(QStringLiteral("ラベルを印刷できませんでした。"));
    // The page is painted from the sheet's edge: label sheets have no printer margins of their own.
    const QPointF origin = -printer.pageLayout().paintRectPixels(printer.resolution()).topLeft();
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (i > 0 && i % layout.perSheet() == 0 && !printer.newPage()) {
            painter.end();
            return Result::failure(QStringLiteral("ラベルを印刷できませんでした。"));
        }
        const QRectF mm = layout.labelRect(int(i));
        const QRectF rect(origin + mm.topLeft() * dotsPerMm, mm.size() * dotsPerMm);
        if (Result painted = paintLabel(painter, rect, labels[i], dotsPerMm); !painted) {
            painter.end();
            return painted;
        }
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return Result::failure(QStringLiteral("ラベルを印刷できませんでした。"));
    return Result::success();
}

namespace {

void prepareSheet(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setDocName(QStringLiteral("棚ラベル"));
}

} // namespace

Result previewLabels(QWidget* parent, const QList<ShelfLabel>& labels, LabelSheet sheet)
{
    QPrinter printer(QPrinter::HighResolution);
    prepareSheet(printer);
    if (const QString pdf = Printing::redirectedPdf(); !pdf.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return paintLabels(printer, labels, sheet);
    }

    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setObjectName(QStringLiteral("LabelPreview"));
    dialog.setWindowTitle(QStringLiteral("ラベル印刷"));
    // Large enough that the tool bar shows the sheet choice and "PDF保存" without its overflow menu.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.resize(screen->availableGeometry().size() * 0.85);
    Result printed;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { printed = paintLabels(*target, labels, sheet); });
    if (auto* toolBar = dialog.findChild<QToolBar*>()) {
        auto* choice = new QComboBox(toolBar);
        choice->setObjectName(QStringLiteral("LabelSheet"));
        choice->setAccessibleName(QStringLiteral("ラベル用紙"));
        choice->addItem(QStringLiteral("A4 3×8（24面 70×37mm）"));
        choice->addItem(QStringLiteral("A4 4×11（44面 48.3×25.4mm）"));
        choice->setCurrentIndex(sheet == LabelSheet::FourByEleven ? 1 : 0);
        toolBar->addSeparator();
        toolBar->addWidget(choice);
        QObject::connect(choice, &QComboBox::currentIndexChanged, &dialog, [&dialog, &sheet](int index) {
            sheet = index == 1 ? LabelSheet::FourByEleven : LabelSheet::ThreeByEight;
            if (auto* preview = dialog.findChild<QPrintPreviewWidget*>())
                preview->updatePreview();
        });
    }
    Printing::addSavePdfAction(dialog, printer, QStringLiteral("棚ラベル"),
                               [&](QPrinter& pdf) { return paintLabels(pdf, labels, sheet); });
    dialog.exec();
    return printed;
}
