// The purchase item pick list "仕入商品一覧表": four lists of items; choosing one fills a component slot of the
// product window and closes the list.
#pragma once

#include "widgets/picklist.h"

class PurchaseItemPicker : public PickList
{
    Q_OBJECT

public:
    explicit PurchaseItemPicker(QWidget* parent = nullptr);

private:
    QListWidget* tabLists[5] = {}; // the lists of tabs 1 to 4; 0 unused

    void fillLists();
};
