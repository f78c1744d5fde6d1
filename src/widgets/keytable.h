// Key tables: each control's keys as data (key, optional modifiers -> action), read by one dispatcher.
#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

// How a window uses it: it lists the keys of each control as a table and installs it once,
//     installKeys(lineCodeBoxes[k], {{Qt::Key_Return, [this, k] { lookUp(k); }},
//                                    {Qt::Key_Escape, [this] { clearEntry(); }}} + windowKeys);
// A key in the table runs its action and goes no further; any other key reaches the control as usual.
// Tables are lists, so shared rows (F7, F8, F9 of the whole window) are appended with `+`; the first row
// that matches wins. Keys the window itself receives go through dispatchKey() from keyPressEvent.
// The keypad's Enter counts as Return, as the cashier cannot tell them apart.
struct KeyBinding
{
    // Matches the key whatever modifiers are held.
    KeyBinding(int key, std::function<void()> action) : key(key), action(std::move(action)) {}
    // Matches the key with exactly these modifiers held (the keypad flag aside).
    KeyBinding(int key, Qt::KeyboardModifiers modifiers, std::function<void()> action)
        : key(key), action(std::move(action)), modifiers(modifiers)
    {
    }

    int key = 0; // Qt::Key
    std::function<void()> action;
    std::optional<Qt::KeyboardModifiers> modifiers;
};

using KeyTable = QList<KeyBinding>;

// Runs the first row of `table` that matches `event`; true when one did.
bool dispatchKey(const KeyTable& table, const QKeyEvent* event);

// The dispatcher installed on a control: key presses go through its table before the control sees them.
class KeyDispatcher : public QObject
{
    Q_OBJECT

public:
    KeyDispatcher(QWidget* control, KeyTable table);
    const KeyTable& table() const { return m_table; }
    void setTable(KeyTable table) { m_table = std::move(table); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyTable m_table;
};

// Gives `control` the key table `table`, replacing one it had.
KeyDispatcher* installKeys(QWidget* control, KeyTable table);
