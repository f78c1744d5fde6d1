// The supplier pick list, kept current when a supplier is registered.
#include "masters/supplierpicker.h"

#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/supplier.h"

#include <QListWidget>

SupplierPicker::SupplierPicker(QWidget* parent)
    : PickList({.name = QStringLiteral("SupplierPicker"),
                .caption = QStringLiteral("仕入先一覧表"),
                .shape = OneList,
                .clientSize = QSize(twips(4560), twips(5640)),
                .lists = twipsRect(120, 120, 4320, 4680),
                .closeButton = twipsRect(120, 4980, 1500, 500)},
               parent)
{
    connect(&changes(), &Changes::suppliersChanged, this, &SupplierPicker::fillList);
    fillList();
}

void SupplierPicker::fillList()
{
    entryList->clear();
    entryList->addItems(supplierPickList());
}
