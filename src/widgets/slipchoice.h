// What a slip list offers and which of its slips was chosen, readable without any widget.
#pragma once

#include "storage/sliplist.h"

#include <QList>

struct SlipChoice
{
    // Slip number of each data row of the list; entry 0, the header row, is unused.
    QList<qint64> gridSlipNos;
    bool slipSelected = false;
    qint64 selectedSlipNo = 0;

    // A new list; the slip chosen in an earlier one stays chosen until dropped.
    void list(const QList<SlipListRow>& rows)
    {
        gridSlipNos.clear();
        gridSlipNos.reserve(rows.size() + 1);
        gridSlipNos << 0;
        for (const SlipListRow& row : rows)
            gridSlipNos << row.slipNo;
    }
    // Chooses the slip of data row `row`; the header row and rows past the list choose nothing.
    void choose(int row)
    {
        if (row < 1 || row >= gridSlipNos.size())
            return;
        selectedSlipNo = gridSlipNos[row];
        slipSelected = true;
    }
    void drop() { slipSelected = false; }
};
