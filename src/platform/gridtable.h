// A grid's whole contents built away from any widget, so a report or graph is made and tested without one.
#pragma once

#include <QColor>
#include <QList>
#include <QStringList>
#include <functional>

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
    // A long list need not make the rows it does not show: a row without cells (an empty list) is a place kept
    // for a row that `makeBlock` makes, with the rest of its block, when the row is first read. It appends the
    // block's rows and their colours, rows counted from the block's first row.
    std::function<void(int block, QList<QStringList>& rows, QList<Colour>& colours)> makeBlock;

    int cols() const { return int(widthsTwips.size()); }
    // The block (an index into blockStarts) that row `row` belongs to; -1 before the first block.
    int blockOf(int row) const;
    // Makes the rows of `block` into the places kept for them in `into`; returns their colours, rows counted
    // in the whole table. A made row has exactly cols() cells.
    QList<Colour> makeRows(int block, QList<QStringList>& into) const;
    // Makes every row still to be made, so that `rows` and `colours` hold the whole list.
    void makeAllRows();
    // `count` rows (header included) of empty cells; the header texts go in row 0.
    void setShape(const QList<int>& widths, int count, const QStringList& headers = {});
    // Keeps `text` as the widest of column `col` when it shows wider than the one kept, counting a full-width
    // character as two narrow ones and leaving out the blanks that pad a stored field: close enough to choose
    // the text to measure in the font. Inline, as a list notes thousands of cells.
    void noteWidest(int col, const QString& text)
    {
        if (!text.isEmpty() && col >= 0 && col < widest.size() && narrowCount(text) > narrowCount(widest[col]))
            widest[col] = text;
    }
    // Kana, kanji and full-width forms take about twice the room of Latin letters and digits; the blanks and
    // NULs that pad a stored field take none.
    static int narrowCount(QStringView text)
    {
        qsizetype end = text.size();
        while (end > 0 && (text[end - 1] == u' ' || text[end - 1] == u'\0'))
            --end;
        int count = 0;
        for (QChar ch : text.first(end))
            count += ch.unicode() >= 0x1100 ? 2 : 1;
        return count;
    }
};
