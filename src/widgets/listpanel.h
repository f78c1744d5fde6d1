// A list of records in a grid with the buttons that act on it, built the one way the cash and closing windows
// lay them out.
#pragma once

#include <QList>
#include <QRect>
#include <QString>
#include <functional>

class Grid;
class QPushButton;
class QWidget;

// How a window uses it (the cash in and out window):
//     movementsGrid = makeListPanel({this, "movementsGrid", "その日の入金・出金", twipsRect(...)}, this,
//                                   {{&deleteButton, "deleteButton", "削除", twipsRect(...), [this] { deleteChosen();
//                                   }},
//                                    {&exitButton, "exitButton", "閉じる", twipsRect(...), [this] { close(); }}});
// The grid comes first in the tab chain, then the buttons in their order.
struct ListGrid
{
    QWidget* parent = nullptr;
    QString name;
    QString accessible;
    QRect place;           // in pixels, within the parent
    bool focusable = true; // a grid that only shows figures stays out of the tab chain
};

struct ListButton
{
    QPushButton** button; // where the window keeps it
    QString name;
    QString caption;
    QRect place; // in pixels, within the parent of the buttons
    std::function<void()> action;
};

// Builds the grid and, in `buttonParent`, its buttons, each wired to its action; returns the grid.
Grid* makeListPanel(const ListGrid& grid, QWidget* buttonParent, const QList<ListButton>& buttons = {});
