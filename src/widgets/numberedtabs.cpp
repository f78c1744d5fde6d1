// Four tabs of 100 numbered entries, each a list or a grid.
#include "widgets/numberedtabs.h"

#include "platform/grid.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QEvent>
#include <QListWidget>
#include <QTabBar>
#include <QVBoxLayout>

NumberedTabs::NumberedTabs(QWidget* parent, Kind kind, const QStringList& names) : TabStrip(parent), m_kind(kind)
{
    setTabs(Tabs);
    for (int t = 0; t < Tabs; ++t) {
        auto* layout = new QVBoxLayout(page(t));
        layout->setContentsMargins(2, 2, 2, 2);
        if (kind == Lists) {
            auto* list = new QListWidget(page(t));
            list->setUniformItemSizes(true);
            connect(list, &QListWidget::itemClicked, this,
                    [this, list, t](QListWidgetItem* item) { Q_EMIT entryChosen(numberAt(t, list->row(item))); });
            m_views[t] = list;
        } else {
            auto* grid = new Grid(page(t));
            connect(grid, &Grid::cellClicked, this,
                    [this, t](int row, int) { Q_EMIT entryChosen(numberAt(t, row - 1)); });
            m_views[t] = grid;
        }
        m_views[t]->setObjectName(names.value(t));
        m_views[t]->setAccessibleName(QStringLiteral("一覧 %1").arg(t + 1));
        // Enter on an entry chooses it, as a click does, so the keyboard alone can pick.
        installKeys(m_views[t], {{Qt::Key_Return, [this, t] {
                                      const int index = list(t) ? list(t)->currentRow() : grid(t)->currentRow() - 1;
                                      if (index >= 0)
                                          Q_EMIT entryChosen(numberAt(t, index));
                                  }}});
        layout->addWidget(m_views[t]);
    }
    installEventFilter(this);
    tabBar()->installEventFilter(this);
}

QListWidget* NumberedTabs::list(int tab) const
{
    return tab >= 0 && tab < Tabs ? qobject_cast<QListWidget*>(m_views[tab]) : nullptr;
}

Grid* NumberedTabs::grid(int tab) const
{
    return tab >= 0 && tab < Tabs ? qobject_cast<Grid*>(m_views[tab]) : nullptr;
}

void NumberedTabs::loadCaptions()
{
    for (int t = 0; t < Tabs; ++t) {
        setCaption(t, SysStr[Sys::FirstGroupCaption + t]);
        m_views[t]->setAccessibleName(SysStr[Sys::FirstGroupCaption + t]);
    }
    setSelectedTab(0);
}

void NumberedTabs::setListEntries(int tab, const QStringList& entries)
{
    if (QListWidget* l = list(tab)) {
        l->clear();
        l->addItems(entries);
    }
}

void NumberedTabs::setGridColumns(const QStringList& headers, const QList<int>& widthsTwips)
{
    for (int t = 0; t < Tabs; ++t) {
        Grid* g = grid(t);
        if (!g)
            continue;
        g->setCols(int(headers.size()));
        g->setRows(PerTab + 1);
        g->setRowTexts(0, headers);
        for (int c = 0; c < widthsTwips.size(); ++c)
            if (widthsTwips[c] > 0)
                g->setColWidthTwips(c, widthsTwips[c]);
        for (int r = 1; r <= PerTab; ++r)
            g->setText(r, 0, QString::number(numberAt(t, r - 1)));
    }
}

void NumberedTabs::setGridRow(int n, const QStringList& texts)
{
    if (n < 1 || n > Tabs * PerTab)
        return;
    if (Grid* g = grid(tabOf(n)))
        g->setRowTexts(indexOf(n) + 1, QStringList{QString::number(n)} + texts);
}

void NumberedTabs::selectInAll(int index)
{
    for (int t = 0; t < Tabs; ++t) {
        if (QListWidget* l = list(t); l && index < l->count()) {
            l->setCurrentRow(index);
            l->scrollToItem(l->item(index));
        } else if (Grid* g = grid(t)) {
            g->setCurrentRow(index + 1);
        }
    }
}

KeyTable NumberedTabs::tabKeys()
{
    KeyTable table;
    for (int t = 0; t < Tabs; ++t)
        table.append({Qt::Key_F1 + t, [this, t] { setSelectedTab(t); }});
    return table;
}

KeyTable NumberedTabs::pageKeys()
{
    return {{Qt::Key_PageUp, [this] { selectInAll(0); }}, {Qt::Key_PageDown, [this] { selectInAll(PerTab - 1); }}};
}

void NumberedTabs::setKeys(const KeyTable& table)
{
    installKeys(this, table);
    installKeys(tabBar(), table);
}

bool NumberedTabs::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == this || watched == tabBar()) && event->type() == QEvent::FocusIn && m_focusTarget) {
        m_focusTarget->setFocus();
        return false;
    }
    return TabStrip::eventFilter(watched, event);
}
