// Four tabs of 100 numbered entries each (numbers 1-100, 101-200, 201-300, 301-400), as lists or grids.
#pragma once

#include "platform/tabstrip.h"
#include "widgets/keytable.h"

#include <QStringList>

class Grid;
class QListWidget;

// How a window uses it:
//     tabs = new NumberedTabs(this, NumberedTabs::Grids, {"entryGrid_0", ..., "entryGrid_3"});
//     tabs->setObjectName("tabs"); tabs->setGeometry(twipsRect(...));
//     tabs->setGridColumns({"番号", "商品名", "単価"}, {0, 3000, 0});
//     tabs->loadCaptions();                   // SysStr[1..4], tab 0 selected
//     tabs->setGridRow(n, {name, price});     // column 0 holds the number already
//     installKeys(classCodeBox, tabs->tabKeys() + ...);   // F1 to F4 show tab 1 to 4
//     connect(tabs, &NumberedTabs::entryChosen, this, [this](int n) { ... });
// Number n lies on tab (n - 1) / 100, at index (n - 1) % 100 (grid row index + 1, row 0 being the header).
class NumberedTabs : public TabStrip
{
    Q_OBJECT

public:
    enum Kind
    {
        Lists,
        Grids
    };
    static constexpr int Tabs = 4;
    static constexpr int PerTab = 100;

    // `names` are the object names of the four lists or grids, tab 0 first.
    NumberedTabs(QWidget* parent, Kind kind, const QStringList& names);

    static int tabOf(int n) { return (n - 1) / PerTab; }
    static int indexOf(int n) { return (n - 1) % PerTab; }
    static int numberAt(int tab, int index) { return PerTab * tab + index + 1; }

    Kind kind() const { return m_kind; }
    QListWidget* list(int tab) const; // null for grids
    Grid* grid(int tab) const;        // null for lists

    // Captions SysStr[1..4], then tab 0 selected.
    void loadCaptions();

    // Lists: the entries of one tab, entry 0 being number 100 * tab + 1.
    void setListEntries(int tab, const QStringList& entries);
    // Grids: 101 rows, the header texts in row 0, widths in twips (0 keeps the default) and the numbers in
    // column 0 of rows 1 to 100.
    void setGridColumns(const QStringList& headers, const QList<int>& widthsTwips);
    // Grids: the columns after the number of number n's row.
    void setGridRow(int n, const QStringList& texts);

    // Index `index` (0 to 99) current in every list or grid, scrolled into view (Page Up: 0, Page Down: 99).
    void selectInAll(int index);
    // F1 to F4: tab 1 to 4.
    KeyTable tabKeys();
    // Page Up and Page Down: the first or last entry of every tab.
    KeyTable pageKeys();

    // When the strip or its tab bar takes the focus, it goes on to `box` at once.
    void setFocusTarget(QWidget* box) { m_focusTarget = box; }
    // The key table of the strip and its tab bar, for a key pressed while the strip has the focus.
    void setKeys(const KeyTable& table);

Q_SIGNALS:
    // An entry was clicked, or Enter was pressed on it.
    void entryChosen(int n);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Kind m_kind;
    QWidget* m_views[Tabs] = {};
    QWidget* m_focusTarget = nullptr;
};
