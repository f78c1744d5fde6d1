// A grid's whole contents built away from any widget, so a report or graph is made and tested without one.
#pragma once

#include <QColor>
#include <QList>
#include <QStringList>

struct GridTable
{
    struct Colour
    {
        int row = 0;
        int col = 0;
        QColor colour;
    };

    QList<int> widthsTwips;  // one per column
    QList<QStringList> rows; // row 0 is the header row; every row as long as the column count
    QList<Colour> colours;

    int cols() const { return int(widthsTwips.size()); }
    // `count` rows (header included) of empty cells; the header texts go in row 0.
    void setShape(const QList<int>& widths, int count, const QStringList& headers = {});
};
