// The one dispatcher of key tables.
#include "widgets/keytable.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

int normalKey(int key)
{
    return key == Qt::Key_Enter ? int(Qt::Key_Return) : key;
}

} // namespace

bool dispatchKey(const KeyTable& table, const QKeyEvent* event)
{
    const int key = normalKey(event->key());
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    for (const KeyBinding& b : table) {
        if (normalKey(b.key) != key || (b.modifiers && (*b.modifiers & ~Qt::KeypadModifier) != held))
            continue;
        if (b.action)
            b.action();
        return true;
    }
    return false;
}

KeyDispatcher::KeyDispatcher(QWidget* control, KeyTable table) : QObject(control), m_table(std::move(table))
{
    control->installEventFilter(this);
}

bool KeyDispatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && dispatchKey(m_table, static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

KeyDispatcher* installKeys(QWidget* control, KeyTable table)
{
    if (auto* existing = control->findChild<KeyDispatcher*>(QString(), Qt::FindDirectChildrenOnly)) {
        existing->setTable(std::move(table));
        return existing;
    }
    return new KeyDispatcher(control, std::move(table));
}
