// Highlight colours and selecting a box's text on entry.
#include "widgets/fieldfocus.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {

class SelectAllOnFocus : public QObject
{
public:
    explicit SelectAllOnFocus(QLineEdit* box) : QObject(box), m_box(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::FocusIn)
            return false;
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            QPointer<QLineEdit> box = m_box;
            QTimer::singleShot(0, m_box, [box] {
                if (box && box->hasFocus())
                    box->selectAll();
            });
        } else {
            m_box->selectAll(); // at once, so keys typed right after Enter replace the old text
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_box;
};

class HighlightOnFocus : public QObject
{
public:
    explicit HighlightOnFocus(QLineEdit* box) : QObject(box), m_box(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            setBackground(m_box, EditingColour);
        else if (event->type() == QEvent::FocusOut)
            setBackground(m_box, IdleColour);
        return QObject::eventFilter(watched, event);
    }

private:
    QLineEdit* m_box;
};

} // namespace

void setBackground(QWidget* box, const QColor& colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    box->setPalette(p);
}

void selectAllOnFocus(QLineEdit* box)
{
    new SelectAllOnFocus(box);
}

void highlightOnFocus(QLineEdit* box)
{
    setBackground(box, IdleColour);
    selectAllOnFocus(box);
    new HighlightOnFocus(box);
}
