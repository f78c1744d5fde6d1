// The year, month and day boxes of the report and graph windows.
#include "reports/selectors.h"

#include "platform/twips.h"

#include <QComboBox>
#include <QDate>
#include <QRadioButton>

QComboBox* makePeriodBox(QWidget* parent, const QString& name, const QString& accessible, int left, int top)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setAccessibleName(accessible);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setGeometry(twips(left), twips(top), twips(855), std::max(twips(300), combo->sizeHint().height()));
    return combo;
}

QRadioButton* makePeriodOption(QWidget* parent, const QString& name, const QString& caption, int left)
{
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(name);
    option->setAccessibleName(caption);
    option->setGeometry(twipsRect(left, 240, 735, 375));
    return option;
}
