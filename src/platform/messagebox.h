// Message boxes: the one place windows ask the user something, so tests can answer in advance.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace MessageBox {

// Boxes are titled with the title of the window of `parent` ("till" without one).

// Shows text with an OK button only.
void information(QWidget* parent, const QString& text);

// Shows text with Yes and No; No is the default button. Returns true for Yes.
// The stop icon marks questions whose Yes cannot be undone; `detail`, under the text, names what they act on.
bool question(QWidget* parent, const QString& text, bool stopIcon = false, const QString& detail = QString());

// Shows text with one button per choice, left to right; Enter presses `defaultChoice`, Esc and the close box
// the last one (so the last choice must be the one that does nothing). Returns the index of the button pressed.
int choose(QWidget* parent, const QString& text, const QStringList& choices, int defaultChoice);

// Tests: from now on boxes are not shown; each is answered from the queue below or takes its default.
void enableTestMode();
// Tests: the next box is not shown but answered with `answer` (Yes or Ok), and its text is recorded.
void setNextAnswer(QMessageBox::StandardButton answer);
// Tests: the next box that offers choices is not shown but answered with choice `index`, its text recorded.
void setNextChoice(int index);
// Tests: the texts of the boxes answered so far, oldest first; cleared by takeShown().
QStringList takeShown();
// Tests: the title of the last box answered.
QString lastTitle();
// Tests: the line under the text of the last box answered, empty for none.
QString lastDetail();

} // namespace MessageBox
