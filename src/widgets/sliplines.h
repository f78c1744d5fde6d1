// The ten lines of a slip: line number, code, name, unit price, quantity and amount boxes, the highlight of
// the line being edited and the keys that move between lines.
#pragma once

#include "widgets/keytable.h"

#include <QObject>
#include <QStringList>
#include <functional>

class QLineEdit;
class QWidget;

// How a window uses it (the register, the purchase slip window):
//     m_lines = new SlipLines(linesFrame, setup);   // names, header texts, columns and rows in twips
//     m_lines->setActions({.lookUp = [this](int k) { lookUpProduct(k); },
//                          .complete = [this](int k) { computeTotals(k); },
//                          .keys = [this](SlipLines::Column c, int k) { return escAndFunctionKeys; }});
// Boxes are number[k], code[k] ... amount[k] for lines k = 1 to 10; element 0 is the column header when the
// setup names one. The lines own these keys: Enter in a code box runs lookUp(k); Enter in a quantity box
// runs complete(k) and moves to the next line's code box (line 10 stays); Up and Down move to the code box
// of the line above or below (line 1 and line 10 stay), Home back to line 1, Left in a quantity box to the
// code box of its line. The window's own keys come after these in each box's table.
// The line number turns light green while a box of a highlighted column has the focus and white when it
// loses it; entering such a box selects its whole text.
class SlipLines : public QObject
{
    Q_OBJECT

public:
    static constexpr int Count = 10;
    enum Column
    {
        Number,
        Code,
        Name,
        Price,
        Qty,
        Amount,
        Columns
    };
    enum Access
    {
        Display,
        ClickOnly,
        Typed
    }; // Display: read only, never focused; ClickOnly: reached by mouse

    struct ColumnSetup
    {
        QString name;       // line k's box is name + "_" + (k - 1 + firstIndex)
        QString header;     // column title, also in the boxes' accessible names
        QString headerName; // the header box; empty for none
        int left = 0;       // twips, within the frame
        int width = 0;
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        Access access = Typed;
    };
    struct Setup
    {
        ColumnSetup columns[Columns];
        QStringList numbers; // texts of the line number boxes, line 1 first
        int firstIndex = 1;  // name index of line 1
        int headerTop = 0;   // twips
        int headerHeight = 0;
        int firstTop = 0;
        int pitch = 0;
        int lineHeight = 0;
        QList<Column> highlighted = {Code, Qty}; // columns whose focus lights the line number
    };
    struct Actions
    {
        std::function<void(int k)> lookUp;                  // Enter in a code box
        std::function<void(int k)> complete;                // Enter in a quantity box
        std::function<KeyTable(Column c, int k)> keys = {}; // the window's keys of each box
    };

    SlipLines(QWidget* frame, const Setup& setup);

    // Installs the key tables of every line box.
    void setActions(const Actions& actions);

    QLineEdit* box(Column c, int k) const { return m_boxes[c][k]; }
    // Line k's number light green (on) or white.
    void setHighlight(int k, bool on);
    // All line numbers white, line 1 light green, focus to line 1's code box.
    void backToLine1();
    // Empties every line's code, name, price, quantity and amount; all line numbers white.
    void clear();
    // The amount texts of lines 1 to 10.
    QStringList amounts() const;

    QLineEdit* (&number)[Count + 1];
    QLineEdit* (&code)[Count + 1];
    QLineEdit* (&name)[Count + 1];
    QLineEdit* (&price)[Count + 1];
    QLineEdit* (&qty)[Count + 1];
    QLineEdit* (&amount)[Count + 1];

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyTable lineKeys(Column c, int k);
    // The line of a highlighted box, or 0.
    int lineOf(QObject* box) const;

    QLineEdit* m_boxes[Columns][Count + 1] = {};
    QList<Column> m_highlighted;
    Actions m_actions;
};
