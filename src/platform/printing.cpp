// Painting receipts and paginated tables on a QPrinter; the content comes ready-made from the callers.
#include "platform/printing.h"

#include "platform/filedialog.h"
#include "platform/messagebox.h"
#include "storage/receipt.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScreen>
#include <QTextLayout>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <list>
#include <memory>

namespace {

QString g_pdfPath;

QFont printFont(qreal points, bool bold = false)
{
    QFont font;
    // A Japanese face first, so that kana and kanji never fall back to a face without them.
    font.setFamilies({QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("VL Gothic"), QStringLiteral("Sans Serif")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A printer ready for painting: the PDF file of the tests, or the named printer (empty: the default).
Result choosePrinter(QPrinter& printer, const QString& name)
{
    if (!g_pdfPath.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(g_pdfPath);
        return Result::success();
    }
    const QPrinterInfo info = name.isEmpty() ? QPrinterInfo::defaultPrinter() : QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        return Result::failure(name.isEmpty() ? QStringLiteral("プリンターが設定されていません。")
                                              : QStringLiteral("プリンター「%1」が見つかりません。").arg(name));
    }
    printer.setPrinterName(info.printerName());
    if (!printer.isValid())
        return Result::failure(QStringLiteral("プリンター「%1」を使えません。").arg(info.printerName()));
    return Result::success();
}

QString printerLabel(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : printer.printerName();
}

Result printFailed(const QPrinter& printer)
{
    return Result::failure(QStringLiteral("印刷できませんでした（%1）。").arg(printerLabel(printer)));
}

// ---- receipts

// One text laid out in a given width; measured before the page size is known, drawn afterwards.
std::unique_ptr<QTextLayout> layText(const QString& text, const QFont& font, QPaintDevice* device, qreal width,
                                     Qt::Alignment align, bool wrap)
{
    auto layout = std::make_unique<QTextLayout>(text, font, device);
    QTextOption option(align);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

struct ReceiptBlock
{
    std::unique_ptr<QTextLayout> left;
    std::unique_ptr<QTextLayout> right;
    qreal height = 0;
    bool rule = false;
};

// Its default size leaves the end of the tool bar, PDF保存 included, behind a chevron on a 1024x768 screen.
void fitPreviewToScreen(QPrintPreviewDialog& dialog)
{
    const QScreen* screen = dialog.parentWidget() ? dialog.parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    dialog.resize(std::min(room.width() * 9 / 10, 1100), room.height() * 9 / 10);
}

qreal layoutHeight(const QTextLayout* layout)
{
    return layout ? layout->boundingRect().height() : 0;
}

} // namespace

namespace Printing {

void redirectToPdf(const QString& path)
{
    g_pdfPath = path;
}

QString redirectedPdf()
{
    return g_pdfPath;
}

QFont font(qreal points, bool bold)
{
    return printFont(points, bold);
}

void addSavePdfAction(QPrintPreviewDialog& dialog, QPrinter& shown, const QString& fileStem,
                      const std::function<Result(QPrinter&)>& paint)
{
    auto* toolBar = dialog.findChild<QToolBar*>();
    if (!toolBar)
        return;
    QAction* save = toolBar->addAction(QStringLiteral("PDF保存"));
    save->setObjectName(QStringLiteral("savePdf"));
    QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &shown, fileStem, paint] {
        const QString path = FileDialog::saveFileName(&dialog, QStringLiteral("PDF保存"),
                                                      fileStem + QStringLiteral(".pdf"), QStringLiteral("PDF (*.pdf)"));
        if (path.isEmpty())
            return;
        QPrinter pdf(QPrinter::HighResolution);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(path);
        pdf.setFullPage(shown.fullPage());
        pdf.setPageLayout(shown.pageLayout());
        pdf.setDocName(shown.docName());
        if (const Result r = paint(pdf); !r && !r.error.isEmpty())
            MessageBox::information(&dialog, r.error);
    });
}

} // namespace Printing

Result printReceipt(const Receipt& receipt, int widthMm, const QString& printerName)
{
    return printRoll(receipt.rows(), QStringLiteral("レシート %1").arg(receipt.slipNo), widthMm, printerName);
}

Result printRoll(const QList<ReceiptRow>& rows, const QString& docName, int widthMm, const QString& printerName)
{
    QPrinter printer(QPrinter::HighResolution);
    if (Result chosen = choosePrinter(printer, printerName); !chosen)
        return chosen;
    printer.setDocName(docName);
    return paintRoll(printer, rows, widthMm);
}

Result previewRoll(QWidget* parent, const QList<ReceiptRow>& rows, const QString& docName, int widthMm,
                   const QString& fileStem)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(docName);
    if (!g_pdfPath.isEmpty()) {
        choosePrinter(printer, QString());
        return paintRoll(printer, rows, widthMm);
    }
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    fitPreviewToScreen(dialog);
    Result printed;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* target) { printed = paintRoll(*target, rows, widthMm); });
    Printing::addSavePdfAction(dialog, printer, fileStem, [&](QPrinter& pdf) { return paintRoll(pdf, rows, widthMm); });
    dialog.exec();
    return printed;
}

Result paintRoll(QPrinter& printer, const QList<ReceiptRow>& rows, int widthMm)
{
    // The printable width of the common rolls: 48 mm of 58, 72 mm of 80.
    const bool narrow = widthMm == 58;
    const qreal paperMm = narrow ? 58 : 80;
    const qreal sideMm = narrow ? 5 : 4;
    const qreal endMm = 3;
    const qreal dotsPerMm = printer.resolution() / 25.4;
    const qreal width = (paperMm - 2 * sideMm) * dotsPerMm;
    const qreal base = narrow ? 8 : 9.5;
    const QFont normal = printFont(base);
    const QFont title = printFont(base + 3, true);
    const QFont emphasised = printFont(base + 1.5, true);
    const QFont note = printFont(base - 1);
    const qreal gap = QFontMetricsF(normal, &printer).averageCharWidth();

    std::list<ReceiptBlock> blocks;
    qreal height = 0;
    for (const ReceiptRow& row : rows) {
        ReceiptBlock& b = blocks.emplace_back();
        switch (row.kind) {
        case ReceiptRow::Rule:
            b.rule = true;
            b.height = QFontMetricsF(normal, &printer).height() * 0.6;
            break;
        case ReceiptRow::Title:
        case ReceiptRow::Centred:
            b.left = layText(row.left, row.kind == ReceiptRow::Title ? title : normal, &printer, width,
                             Qt::AlignHCenter, true);
            break;
        case ReceiptRow::Note:
            b.left = layText(row.left, note, &printer, width, Qt::AlignLeft, true);
            break;
        case ReceiptRow::LeftRight:
        case ReceiptRow::Emphasised: {
            const QFont& font = row.kind == ReceiptRow::Emphasised ? emphasised : normal;
            qreal leftWidth = width;
            if (!row.right.isEmpty()) {
                b.right = layText(row.right, font, &printer, width, Qt::AlignRight, false);
                leftWidth = std::max(width / 3, width - b.right->lineAt(0).naturalTextWidth() - gap);
            }
            b.left = layText(row.left, font, &printer, leftWidth, Qt::AlignLeft, true);
            break;
        }
        }
        if (!b.rule)
            b.height = std::max(layoutHeight(b.left.get()), layoutHeight(b.right.get()));
        height += b.height;
    }

    const qreal heightMm = height / dotsPerMm + 2 * endMm + 1;
    printer.setPageSize(
        QPageSize(QSizeF(paperMm, heightMm), QPageSize::Millimeter, QStringLiteral("Receipt"), QPageSize::ExactMatch));
    printer.setPageMargins(QMarginsF(sideMm, endMm, sideMm, endMm), QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(&printer))
        return printFailed(printer);
    qreal y = 0;
    for (const ReceiptBlock& b : blocks) {
        if (b.rule) {
            painter.setPen(QPen(Qt::black, dotsPerMm * 0.2, Qt::DashLine));
            painter.drawLine(QPointF(0, y + b.height / 2), QPointF(width, y + b.height / 2));
        }
        if (b.left)
            b.left->draw(&painter, QPointF(0, y));
        if (b.right)
            b.right->draw(&painter, QPointF(0, y));
        y += b.height;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return printFailed(printer);
    return Result::success();
}

QList<qreal> fitColumnWidths(const QList<qreal>& given, const QList<qreal>& needed, qreal total)
{
    const qsizetype cols = given.size();
    qreal sum = 0;
    for (qreal g : given)
        sum += std::max<qreal>(g, 0);
    QList<qreal> widths(cols, 0);
    if (sum <= 0)
        return widths;
    qreal deficit = 0, slack = 0;
    for (qsizetype c = 0; c < cols; ++c) {
        widths[c] = total * std::max<qreal>(given[c], 0) / sum;
        const qreal need = needed.value(c, 0);
        if (need > widths[c])
            deficit += need - widths[c];
        else
            slack += widths[c] - need;
    }
    if (deficit <= 0 || slack <= 0)
        return widths;
    // Either every short column gets all it needs, or all the spare room is shared out in proportion.
    const qreal give = std::min(deficit, slack);
    for (qsizetype c = 0; c < cols; ++c) {
        const qreal need = needed.value(c, 0);
        if (need > widths[c])
            widths[c] += (need - widths[c]) * give / deficit;
        else
            widths[c] -= (widths[c] - need) * give / slack;
    }
    return widths;
}

namespace {

// The left edge of every column and the right edge of the last: what each column needs to show its widest text
// whole (dates and times must never be cut), fitted to the page.
QList<qreal> columnEdges(const QAbstractItemModel& model, const QList<int>& columnWidths,
                         const QFontMetricsF& headMetrics, const QFontMetricsF& bodyMetrics, qreal pad, qreal pageWidth)
{
    const int cols = model.columnCount();
    QList<qreal> given(cols), needed(cols);
    for (int c = 0; c < cols; ++c) {
        given[c] = std::max(1, columnWidths.value(c, 1000));
        qreal widest = headMetrics.horizontalAdvance(model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        for (int r = 0; r < model.rowCount(); ++r)
            widest = std::max(widest, bodyMetrics.horizontalAdvance(model.data(model.index(r, c)).toString()));
        needed[c] = widest + 2 * pad + 1;
    }
    const QList<qreal> widths = fitColumnWidths(given, needed, pageWidth);
    QList<qreal> x(cols + 1, 0);
    for (int c = 0; c < cols; ++c)
        x[c + 1] = x[c] + widths[c];
    return x;
}

// The title and the shop's name on the first line of a page, the period under them.
void paintTitle(QPainter& painter, const TableHeading& heading, qreal pageWidth, const QFont& titleFont,
                const QFont& body)
{
    const qreal titleHeight = QFontMetricsF(titleFont, painter.device()).height();
    painter.setPen(Qt::black);
    painter.setFont(titleFont);
    const QRectF titleLine(0, 0, pageWidth, titleHeight);
    painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignVCenter, heading.title);
    painter.setFont(body);
    painter.drawText(titleLine, Qt::AlignRight | Qt::AlignVCenter, heading.shopName);
    painter.drawText(QRectF(0, titleHeight, pageWidth, QFontMetricsF(body, painter.device()).height()),
                     Qt::AlignLeft | Qt::AlignVCenter, heading.period);
}

// A cell's own horizontal alignment, left when the model gives none.
Qt::Alignment horizontalAlignment(const QModelIndex& index)
{
    const QVariant align = index.data(Qt::TextAlignmentRole);
    return align.isValid() ? Qt::Alignment(align.toInt()) & Qt::AlignHorizontal_Mask : Qt::Alignment(Qt::AlignLeft);
}

} // namespace

QList<int> cutPages(int rows, int perPage, const QList<int>& blockStarts)
{
    perPage = std::max(perPage, 1);
    QList<int> starts{0};
    for (int first = 0; rows - first > perPage;) {
        int cut = first + perPage; // the first row that no longer fits
        // The last block that begins on this page after its first row, when it fits on a page of its own.
        const auto next = std::upper_bound(blockStarts.cbegin(), blockStarts.cend(), cut);
        if (next != blockStarts.cbegin() && *(next - 1) > first) {
            const int start = *(next - 1);
            const int end = next == blockStarts.cend() ? rows : std::min(*next, rows);
            if (end - start <= perPage)
                cut = start;
        }
        starts << cut;
        first = cut;
    }
    return starts;
}

Result paintTable(QPrinter& printer, const QAbstractItemModel& model, const QList<int>& columnWidths,
                  const TableHeading& heading, const QList<int>& blockStarts,
                  const std::function<bool(int, int)>& progress)
{
    const QRectF page = printer.pageLayout()
                            .paintRectPixels(printer.resolution())
                            .toRectF()
                            .translated(-printer.pageLayout().paintRectPixels(printer.resolution()).topLeft());
    const QFont body = printFont(8);
    const QFont head = printFont(8, true);
    const QFont titleFont = printFont(11, true);
    const QFontMetricsF bodyMetrics(body, &printer);
    const QFontMetricsF titleMetrics(titleFont, &printer);
    const qreal rowHeight = bodyMetrics.height() * 1.4;
    const qreal pad = bodyMetrics.averageCharWidth() * 0.6;
    const qreal top = titleMetrics.height() + bodyMetrics.height() * 2;
    const qreal footer = bodyMetrics.height() * 2;

    const int cols = model.columnCount();
    const int rows = model.rowCount();
    const QList<qreal> x =
        columnEdges(model, columnWidths, QFontMetricsF(head, &printer), bodyMetrics, pad, page.width());

    const int rowsPerPage = std::max(1, int((page.height() - top - footer) / rowHeight) - 1);
    const QList<int> pageStarts = cutPages(rows, rowsPerPage, blockStarts);
    const int pages = int(pageStarts.size());

    QPainter painter;
    if (!painter.begin(&printer))
        return printFailed(printer);
    const QPen gridPen(QColor(120, 120, 120), std::max<qreal>(1, printer.resolution() / 300.0));
    const auto cell = [&](const QRectF& rect, const QString& text, Qt::Alignment align) {
        const QRectF inner = rect.adjusted(pad, 0, -pad, 0);
        painter.drawText(inner, int(align | Qt::AlignVCenter),
                         painter.fontMetrics().elidedText(text, Qt::ElideRight, int(inner.width())));
    };

    for (int p = 0; p < pages; ++p) {
        if (progress && !progress(p, pages)) {
            painter.end();
            return Result::failure(QString());
        }
        if (p > 0 && !printer.newPage()) {
            painter.end();
            return printFailed(printer);
        }
        paintTitle(painter, heading, page.width(), titleFont, body);

        // Column headings on every page, so that each sheet can be read on its own.
        qreal y = top;
        painter.setFont(head);
        for (int c = 0; c < cols; ++c) {
            const QRectF rect(x[c], y, x[c + 1] - x[c], rowHeight);
            painter.fillRect(rect, QColor(225, 225, 225));
            painter.setPen(gridPen);
            painter.drawRect(rect);
            painter.setPen(Qt::black);
            cell(rect, model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), Qt::AlignHCenter);
        }
        y += rowHeight;
        painter.setFont(body);
        const int last = p + 1 < pages ? pageStarts[p + 1] : rows;
        for (int r = pageStarts[p]; r < last; ++r, y += rowHeight) {
            for (int c = 0; c < cols; ++c) {
                const QModelIndex index = model.index(r, c);
                const QRectF rect(x[c], y, x[c + 1] - x[c], rowHeight);
                painter.setPen(gridPen);
                painter.drawRect(rect);
                painter.setPen(Qt::black);
                cell(rect, model.data(index, Qt::DisplayRole).toString(), horizontalAlignment(index));
            }
        }
        painter.drawText(QRectF(0, page.height() - bodyMetrics.height(), page.width(), bodyMetrics.height()),
                         Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("%1 / %2").arg(p + 1).arg(pages));
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return printFailed(printer);
    return Result::success();
}

namespace {

void preparePage(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
}

// Paints with a progress dialog that appears when the pages take longer than a second.
Result paintWithProgress(QWidget* parent, QPrinter& printer, const QAbstractItemModel& model,
                         const QList<int>& columnWidths, const TableHeading& heading, const QList<int>& blockStarts)
{
    QProgressDialog progress(QStringLiteral("印刷の準備をしています…"), QStringLiteral("中止"), 0, 1, parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    const Result r = paintTable(printer, model, columnWidths, heading, blockStarts, [&](int page, int pages) {
        progress.setMaximum(pages);
        progress.setValue(page);
        return !progress.wasCanceled();
    });
    progress.setValue(progress.maximum());
    return r;
}

} // namespace

Result previewTable(QWidget* parent, const QAbstractItemModel& model, const QList<int>& columnWidths,
                    const TableHeading& heading, const QList<int>& blockStarts)
{
    if (!g_pdfPath.isEmpty()) {
        QPrinter printer(QPrinter::HighResolution);
        choosePrinter(printer, QString());
        preparePage(printer);
        if (heading.landscape)
            printer.setPageOrientation(QPageLayout::Landscape);
        printer.setDocName(heading.title);
        return paintWithProgress(parent, printer, model, columnWidths, heading, blockStarts);
    }

    QPrinter printer(QPrinter::HighResolution);
    preparePage(printer);
    if (heading.landscape)
        printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(heading.title);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    fitPreviewToScreen(dialog);
    Result printed;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        printed = paintWithProgress(&dialog, *target, model, columnWidths, heading, blockStarts);
    });

    // Saving the pages as a PDF file without a printer.
    Printing::addSavePdfAction(dialog, printer, heading.fileStem, [&](QPrinter& pdf) {
        return paintWithProgress(&dialog, pdf, model, columnWidths, heading, blockStarts);
    });
    dialog.exec();
    return printed.ok || printed.error.isEmpty() ? Result::success() : printed;
}
