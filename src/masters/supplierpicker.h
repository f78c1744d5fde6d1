// The supplier pick list "仕入先一覧表": choosing a supplier fills the purchase item window and closes the list.
#pragma once

#include "widgets/picklist.h"

class SupplierPicker : public PickList
{
    Q_OBJECT

public:
    explicit SupplierPicker(QWidget* parent = nullptr);

private:
    void fillList();
};
