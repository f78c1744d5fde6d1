// The purchase item pick list, read in one open of zaiko.dat and kept current when items change.
#include "masters/purchaseitempicker.h"

#include "platform/twips.h"
#include "storage/changes.h"
#include "storage/purchaseitem.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QListWidget>
#include <algorithm>

PurchaseItemPicker::PurchaseItemPicker(QWidget* parent)
    : PickList({.name = QStringLiteral("PurchaseItemPicker"),
                .caption = QStringLiteral("仕入商品一覧表"),
                .shape = TabbedLists,
                .clientSize = QSize(twips(5160), twips(6240)),
                .lists = twipsRect(120, 120, 4920, 5280),
                .listNames = {QStringLiteral("tabLists_1"), QStringLiteral("tabLists_2"), QStringLiteral("tabLists_3"),
                              QStringLiteral("tabLists_4")},
                .closeButton = twipsRect(120, 5580, 1500, 500)},
               parent)
{
    for (int j = 1; j <= NumberedTabs::Tabs; ++j)
        tabLists[j] = tabs->list(j - 1);
    connect(&changes(), &Changes::stockChanged, this, &PurchaseItemPicker::fillLists);
    fillLists();
}

void PurchaseItemPicker::fillLists()
{
    // The fourth list ends at the number of items in use; item numbers go no higher than 400.
    const int last =
        std::clamp(int(toInt16(std::clamp(SysNum[Sys::PurchaseItemCount], 0.0, 32767.0))), 300, PurchaseItemCount);
    const QList<PurchaseItem> items = LoadPurchaseItems(last);
    for (int t = 0; t < NumberedTabs::Tabs; ++t) {
        QStringList entries;
        const int first = NumberedTabs::numberAt(t, 0);
        const int end = std::min(first + NumberedTabs::PerTab - 1, last);
        for (int n = first; n <= end; ++n)
            entries << QString::number(n) + u'-' + (n <= items.size() ? items[n - 1].Name : QString(30, u' '));
        tabs->setListEntries(t, entries);
    }
}
