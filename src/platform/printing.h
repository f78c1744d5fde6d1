// Printing through Qt Print Support: receipts on a roll printer, tables on pages through a print preview.
#pragma once

#include "storage/result.h"

#include <QList>
#include <QString>
#include <functional>

class QAbstractItemModel;
class QFont;
class QPrintPreviewDialog;
class QPrinter;
class QWidget;
struct Receipt;
struct ReceiptRow;

namespace Printing {

// Tests: from now on every print goes to this PDF file (overwritten each time) instead of a printer, and
// tables skip the preview; an empty path undoes it.
void redirectToPdf(const QString& path);
// The PDF file prints go to instead of a printer; empty when they go to printers.
QString redirectedPdf();

// The face printed texts use, one that has kana and kanji.
QFont font(qreal points, bool bold = false);

// Adds "PDF保存" to the preview's tool bar: the pages painted by `paint` go to a PDF file the user names,
// offered as `fileStem`.pdf, with the preview's page layout.
void addSavePdfAction(QPrintPreviewDialog& dialog, QPrinter& shown, const QString& fileStem,
                      const std::function<Result(QPrinter&)>& paint);

} // namespace Printing

// Prints the receipt on a roll `widthMm` wide (58 or 80) to the printer named (empty: the system default).
// A missing printer or a failed print comes back as an error at once; nothing waits for the printer.
Result printReceipt(const Receipt& receipt, int widthMm, const QString& printerName);
// Prints any rows laid out as a receipt's (a closing report) in the same way, under the document name given.
Result printRoll(const QList<ReceiptRow>& rows, const QString& docName, int widthMm, const QString& printerName);
// Shows such rows on a roll in a print preview, from which the user prints them on any printer or saves them as a
// PDF file offered as `fileStem`.pdf: what the receipt printer cannot print can still be seen and kept. With prints
// redirected (tests), the rows go to that PDF file without a preview.
Result previewRoll(QWidget* parent, const QList<ReceiptRow>& rows, const QString& docName, int widthMm,
                   const QString& fileStem);
// Lays the rows out as a receipt on a roll `widthMm` wide (58 or 80), sizes `printer`'s page to them and paints.
Result paintRoll(QPrinter& printer, const QList<ReceiptRow>& rows, int widthMm);

// The header of every page of a printed table.
struct TableHeading
{
    QString title;          // the report's name
    QString period;         // the period it covers
    QString shopName;       // may be empty
    QString fileStem;       // the file name a saved copy is offered under, without extension
    bool landscape = false; // a table too wide for the page upright
};

// The widths of a table's columns on a line `total` wide: first each column's share in the proportions of
// `given`; then the columns whose widest text (`needed`) is wider than their share take the room that the
// other columns do not need, never more than that room and never narrowing a column below its need.
QList<qreal> fitColumnWidths(const QList<qreal>& given, const QList<qreal>& needed, qreal total);

// The first row (0 ..) of each page when `rows` rows go up to `perPage` to a page. `blockStarts` (ascending)
// are the rows where a block begins that is read as one, such as a slip or the period's totals; it runs to the
// next block's start or the last row. A page ends before a block that would not fit on it whole; only a block
// longer than a page of its own is cut, where the page is full.
QList<int> cutPages(int rows, int perPage, const QList<int>& blockStarts);

// Paints every row of `model` on as many pages as it needs: each page with the heading, the column headings
// and its page number, pages cut between the blocks of `blockStarts` (cutPages). `progress(page, pages)` is
// called before each page; returning false stops.
// Column widths follow `columnWidths` (any unit; the table is scaled to the page width), widened where a
// column's texts need it (fitColumnWidths); cells are aligned as the model says. Cells are printed without
// their background colours, which help on the screen but only darken a page.
Result paintTable(QPrinter& printer, const QAbstractItemModel& model, const QList<int>& columnWidths,
                  const TableHeading& heading, const QList<int>& blockStarts = {},
                  const std::function<bool(int, int)>& progress = {});

// Shows the table in a print preview, from which the user prints it or saves it as a PDF. A progress dialog
// shows while the pages are made when that takes longer than a second.
Result previewTable(QWidget* parent, const QAbstractItemModel& model, const QList<int>& columnWidths,
                    const TableHeading& heading, const QList<int>& blockStarts = {});
