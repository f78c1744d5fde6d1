// The supplier pick list, kept current when a supplier is registered.
#include "masters/form10.h"

#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/supplier.h"

#include <QListWidget>

Form10::Form10(QWidget* parent)
    : PickList({.name = QStringLiteral("Form10"),
                .caption = QStringLiteral("仕入先一覧表"),
                .shape = OneList,
                .clientSize = QSize(twips(4560), twips(5640)),
                .lists = twipsRect(120, 120, 4320, 4680),
                .closeButton = twipsRect(120, 4980, 1500, 500)},
               parent)
{
    connect(&changes(), &Changes::suppliersChanged, this, &Form10::fillList);
    fillList();
}

void Form10::fillList()
{
    List1->clear();
    List1->addItems(supplierPickList());
}
