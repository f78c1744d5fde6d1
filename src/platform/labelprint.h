// Shelf labels: the product's name, its price and its EAN barcode, on A4 label sheets through a print preview.
#pragma once

#include "storage/result.h"

#include <QList>
#include <QRectF>
#include <QString>

class QPainter;
class QPrinter;
class QWidget;

struct ShelfLabel
{
    QString name;  // shown as given
    QString price; // shown as given, e.g. "¥1,280"
    QString code;  // 8 or 13 digits with the check digit
};

// The two common A4 sheets: 3 x 8 labels of 70 x 37 mm and 4 x 11 labels of 48.3 x 25.4 mm.
enum class LabelSheet
{
    ThreeByEight,
    FourByEleven
};

struct SheetLayout
{
    int columns = 0;
    int rows = 0;
    qreal widthMm = 0; // of one label
    qreal heightMm = 0;
    qreal leftMm = 0; // of the first label from the sheet's edge
    qreal topMm = 0;
    int perSheet() const { return columns * rows; }
    // Label i (from 0) of a sheet, in millimetres from the sheet's top left corner.
    QRectF labelRect(int i) const;
};
SheetLayout sheetLayout(LabelSheet sheet);

// Draws the EAN-13 or EAN-8 barcode of `code` (quiet zones included) filling `area`; an error when the
// barcode library refuses the code.
Result drawEan(QPainter& painter, const QRectF& area, const QString& code);

// Paints the labels on as many A4 sheets as they need, in reading order.
Result paintLabels(QPrinter& printer, const QList<ShelfLabel>& labels, LabelSheet sheet);

// The labels in a print preview, where the sheet is chosen and from which they are printed or saved as a PDF.
Result previewLabels(QWidget* parent, const QList<ShelfLabel>& labels, LabelSheet sheet = LabelSheet::ThreeByEight);
