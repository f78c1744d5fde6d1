// The year lists of the report and graph windows.
#include "reports/yearlist.h"

#include <QComboBox>
#include <QDate>

void fillYearList(QComboBox* combo)
{
    const int last = QDate::currentDate().year() + 1;
    for (int y = 2005; y <= last; ++y)
        combo->addItem(QString::number(y));
}
