// A grid's contents as plain data.
#include "platform/gridtable.h"

#include <algorithm>

void GridTable::setShape(const QList<int>& widths, int count, const QStringList& headers)
{
    widthsTwips = widths;
    rows = QList<QStringList>(std::max(count, 1), QStringList(widths.size()));
    for (int c = 0; c < headers.size() && c < widths.size(); ++c)
        rows[0][c] = headers[c];
    colours.clear();
    blockStarts.clear();
    widest = QStringList(widths.size());
    makeBlock = nullptr;
}

int GridTable::blockOf(int row) const
{
    return int(std::upper_bound(blockStarts.cbegin(), blockStarts.cend(), row) - blockStarts.cbegin()) - 1;
}

QList<GridTable::Colour> GridTable::makeRows(int block, QList<QStringList>& into) const
{
    if (!makeBlock || block < 0 || block >= blockStarts.size())
        return {};
    const int first = blockStarts[block];
    QList<QStringList> made;
    QList<Colour> colours;
    makeBlock(block, made, colours);
    // Only the places kept for this block are filled, however many rows the block made; a place it left
    // unmade shows empty cells rather than asking again.
    const qsizetype end =
        block + 1 < blockStarts.size() ? std::min<qsizetype>(blockStarts[block + 1], into.size()) : into.size();
    int placed = 0;
    for (; first + placed < end && into[first + placed].isEmpty(); ++placed) {
        QStringList row = placed < made.size() ? std::move(made[placed]) : QStringList();
        row.resize(cols());
        into[first + placed] = std::move(row);
    }
    colours.removeIf([&](const Colour& c) { return c.row < 0 || c.row >= placed; });
    for (Colour& c : colours)
        c.row += first;
    return colours;
}

void GridTable::makeAllRows()
{
    if (!makeBlock)
        return;
    for (int b = 0; b < blockStarts.size(); ++b)
        if (blockStarts[b] < rows.size() && rows[blockStarts[b]].isEmpty())
            colours += makeRows(b, rows);
    std::stable_sort(colours.begin(), colours.end(),
                     [](const Colour& a, const Colour& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
    makeBlock = nullptr;
}
