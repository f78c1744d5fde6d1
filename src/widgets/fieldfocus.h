// The highlight of the field being edited and the whole-text selection on entering a box.
#pragma once

#include <QColor>
#include <functional>

class QLineEdit;
class QWidget;

// The field or line being edited is light green, every other one white.
inline const QColor EditingColour(0, 255, 0);
inline const QColor IdleColour(255, 255, 255);

// Sets the background a box paints its text on.
void setBackground(QWidget* box, const QColor& colour);

// Whenever `box` gets the focus its whole text is selected, so what is typed next replaces it. A click
// selects after the mouse press, which would otherwise put the cursor back.
void selectAllOnFocus(QLineEdit* box);

// The box turns light green and selects its whole text when it gets the focus, and white when it loses it.
void highlightOnFocus(QLineEdit* box);

// Runs `focus` when `window` is first activated and whenever the user comes back to it from another window
// of the program, but not after a message box or a visit to another program, so a box that was being
// edited keeps the focus then.
void focusWhenReturning(QWidget* window, std::function<void()> focus);
