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
    // The rows (1 ..), ascending, where a block begins that is read as one, such as a slip: a printed page is
    // never cut inside one. Empty: any row may end a page.
    QList<int> blockStarts;
    // Per column, the widest text its data rows hold as noted while they were built, so that a list of
    // thousands of rows is fitted on the screen without measuring each row. Empty: nothing was noted.
    QStringList widest;

    int cols() const { return int(widthsTwips.size()); }
    // `count` rows (header included) of empty cells; the header texts go in row 0.
    void setShape(const QList<int>& widths, int count, const QStringList& headers = {});
    // Keeps `text` as the widest of column `col` when it is wider than the one kept, counting a full-width
    // character as two narrow ones: close enough to choose the text to measure in the font. Inline, as a list
    // notes every cell of thousands of rows.
    void noteWidest(int col, const QString& text)
    {
        if (!text.isEmpty() && col >= 0 && col < widest.size() && text.size() * 2 > widest[col].size() &&
            narrowCount(text) > narrowCount(widest[col]))
            widest[col] = text;
    }
    // Kana, kanji and full-width forms take about twice the room of Latin letters and digits.
    static int narrowCount(const QString& text)
    {
        int count = 0;
        for (QChar ch : text)
            count += ch.unicode() >= 0x1100 ? 2 : 1;
        return count;
    }
};
