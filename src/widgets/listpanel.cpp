// Building a grid and the buttons that act on it.
#include "widgets/listpanel.h"

#include "platform/controls.h"
#include "platform/grid.h"

#include <QPushButton>

Grid* makeListPanel(const ListGrid& grid, QWidget* buttonParent, const QList<ListButton>& buttons)
{
    auto* g = new Grid(grid.parent);
    g->setObjectName(grid.name);
    g->setAccessibleName(grid.accessible);
    g->setGeometry(grid.place);
    if (!grid.focusable)
        g->setFocusPolicy(Qt::NoFocus);
    for (const ListButton& b : buttons) {
        *b.button = makeButton(buttonParent, b.name, b.caption, b.place);
        QObject::connect(*b.button, &QPushButton::clicked, *b.button, b.action);
    }
    return g;
}
