// Highlight colours and selecting a box's text on entry.
#include "widgets/fieldfocus.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace {

// The whole text selected with the cursor at its start, so that a text longer than its box shows its
// beginning rather than its end.
void selectFromStart(QLineEdit* box)
{
    box->setSelection(int(box->text().size()), -int(box->text().size()));
}

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
                    selectFromStart(box);
            });
        } else {
            selectFromStart(m_box); // at once, so keys typed right after Enter replace the old text
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

class FocusWhenReturning : public QObject
{
public:
    FocusWhenReturning(QWidget* window, std::function<void()> focus)
        : QObject(window), m_window(window), m_focus(std::move(focus))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WindowActivate) {
            if (m_returning)
                m_focus();
            m_returning = false;
        } else if (event->type() == QEvent::WindowDeactivate) {
            // Only a change to another window of the program counts, not a message box or another program.
            QTimer::singleShot(0, this, [this] {
                QWidget* active = QApplication::activeWindow();
                m_returning = active && active != m_window && !qobject_cast<QMessageBox*>(active);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    std::function<void()> m_focus;
    bool m_returning = true;
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

void focusWhenReturning(QWidget* window, std::function<void()> focus)
{
    new FocusWhenReturning(window, std::move(focus));
}
