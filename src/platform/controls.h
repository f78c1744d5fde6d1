// Building controls in code: each gets an object name that says what it holds, a Japanese accessible name and
// its place in pixels.
#pragma once

#include <QRect>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

QLineEdit* makeEdit(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect);
// A box the program fills and the user only reads: it takes no typing and is skipped by Tab.
QLineEdit* makeDisplay(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect);
// Shows a stored text in a box as the shopkeeper reads it: without the blanks that pad its field, from its
// first character. Saving pads it again.
void showStored(QLineEdit* box, const QString& text);
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, const QRect& rect);
QGroupBox* makeFrame(QWidget* parent, const QString& name, const QString& title, const QString& accessible,
                     const QRect& rect);
// A button that Enter does not press by accident; its accessible name is its caption with ordinary blanks.
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect);
// A caption drawn as a button beside its box: it does nothing when pressed and is skipped by Tab.
QPushButton* makeCaptionButton(QWidget* parent, const QString& name, const QString& caption, const QRect& rect);
// A drop-down box that also takes a typed text, which is never added to its list.
QComboBox* makeCombo(QWidget* parent, const QString& name, const QString& accessible, const QRect& rect);
// Replaces the entries of `combo` with the numbers first .. last, zero-filled to `width` digits.
void fillNumbers(QComboBox* combo, int first, int last, int width = 1);
// Year lists run from 2005 to next year, so the current year can always be picked.
constexpr int FirstListedYear = 2005;
int lastListedYear();
// Replaces the entries of `combo` with the listed years.
void fillYearList(QComboBox* combo);
