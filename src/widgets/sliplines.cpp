// Slip lines: their boxes, highlight and movement keys.
#include "widgets/sliplines.h"

#include "platform/controls.h"
#include "platform/twips.h"
#include "widgets/fieldfocus.h"

#include <QEvent>
#include <QLineEdit>

SlipLines::SlipLines(QWidget* frame, const Setup& setup)
    : QObject(frame), number(m_boxes[Number]), code(m_boxes[Code]), name(m_boxes[Name]), price(m_boxes[Price]),
      qty(m_boxes[Qty]), amount(m_boxes[Amount]), m_highlighted(setup.highlighted)
{
    for (int c = 0; c < Columns; ++c) {
        const ColumnSetup& col = setup.columns[c];
        if (!col.headerName.isEmpty()) {
            QLineEdit* h = makeDisplay(frame, col.headerName, col.header,
                                       twipsRect(col.left, setup.headerTop, col.width, setup.headerHeight));
            h->setText(col.header);
            h->setAlignment(Qt::AlignCenter);
            m_boxes[c][0] = h;
        }
        for (int k = 1; k <= Count; ++k) {
            QLineEdit* e = (col.access == Display ? makeDisplay : makeEdit)(
                frame, QStringLiteral("%1_%2").arg(col.name).arg(k - 1 + setup.firstIndex),
                QStringLiteral("%1 %2").arg(col.header).arg(k),
                twipsRect(col.left, setup.firstTop + setup.pitch * (k - 1), col.width, setup.lineHeight));
            e->setAlignment(col.alignment);
            if (col.access == ClickOnly)
                e->setFocusPolicy(Qt::ClickFocus);
            m_boxes[c][k] = e;
        }
    }
    for (int k = 1; k <= Count; ++k) {
        number[k]->setText(setup.numbers.value(k - 1));
        setHighlight(k, false);
        for (Column c : m_highlighted) {
            m_boxes[c][k]->installEventFilter(this);
            selectAllOnFocus(m_boxes[c][k]);
        }
    }

    // Tab order: the typed boxes of line 1 left to right, then of line 2, and so on.
    QWidget* previous = nullptr;
    for (int k = 1; k <= Count; ++k)
        for (int c = 0; c < Columns; ++c) {
            if (setup.columns[c].access != Typed)
                continue;
            if (previous)
                QWidget::setTabOrder(previous, m_boxes[c][k]);
            previous = m_boxes[c][k];
        }
}

void SlipLines::setActions(const Actions& actions)
{
    m_actions = actions;
    for (int c = Code; c < Columns; ++c)
        for (int k = 1; k <= Count; ++k) {
            KeyTable table = lineKeys(Column(c), k);
            if (m_actions.keys)
                table += m_actions.keys(Column(c), k);
            if (!table.isEmpty())
                installKeys(m_boxes[c][k], table);
        }
}

KeyTable SlipLines::lineKeys(Column c, int k)
{
    const int above = std::max(k - 1, 1);
    const int below = std::min(k + 1, int(Count));
    const KeyTable moves = {{Qt::Key_Up, [this, above] { code[above]->setFocus(); }},
                            {Qt::Key_Down, [this, below] { code[below]->setFocus(); }},
                            {Qt::Key_Home, [this] { backToLine1(); }}};
    if (c == Code)
        return KeyTable{{Qt::Key_Return,
                         [this, k] {
                             if (m_actions.lookUp)
                                 m_actions.lookUp(k);
                         }}} +
               moves;
    if (c == Qty)
        return KeyTable{{Qt::Key_Return,
                         [this, k] {
                             if (m_actions.complete)
                                 m_actions.complete(k);
                             if (k < Count) {
                                 code[k + 1]->setFocus();
                                 setHighlight(k + 1, true);
                                 setHighlight(k, false);
                             }
                         }},
                        {Qt::Key_Left, [this, k] { code[k]->setFocus(); }}} +
               moves;
    return {};
}

void SlipLines::setHighlight(int k, bool on)
{
    if (k >= 1 && k <= Count)
        setBackground(number[k], on ? EditingColour : IdleColour);
}

void SlipLines::backToLine1()
{
    for (int k = 1; k <= Count; ++k)
        setHighlight(k, false);
    setHighlight(1, true);
    code[1]->setFocus();
}

void SlipLines::clear()
{
    for (int k = 1; k <= Count; ++k) {
        for (int c = Code; c < Columns; ++c)
            m_boxes[c][k]->clear();
        setHighlight(k, false);
    }
}

QStringList SlipLines::amounts() const
{
    QStringList texts;
    for (int k = 1; k <= Count; ++k)
        texts << amount[k]->text();
    return texts;
}

int SlipLines::lineOf(QObject* box) const
{
    for (Column c : m_highlighted)
        for (int k = 1; k <= Count; ++k)
            if (m_boxes[c][k] == box)
                return k;
    return 0;
}

bool SlipLines::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        if (const int k = lineOf(watched))
            setHighlight(k, event->type() == QEvent::FocusIn);
    return QObject::eventFilter(watched, event);
}
