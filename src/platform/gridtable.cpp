// A grid's contents as plain data.
#include "platform/gridtable.h"

void GridTable::setShape(const QList<int>& widths, int count, const QStringList& headers)
{
    widthsTwips = widths;
    rows = QList<QStringList>(std::max(count, 1), QStringList(widths.size()));
    for (int c = 0; c < headers.size() && c < widths.size(); ++c)
        rows[0][c] = headers[c];
    colours.clear();
    blockStarts.clear();
    widest = QStringList(widths.size());
}
