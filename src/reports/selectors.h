// The year, month and day boxes of the report and graph windows.
#pragma once

#include <QString>

class QComboBox;
class QRadioButton;
class QWidget;

// An editable box at (left, top) twips inside its frame, 855 twips wide; a typed text is used at the next
// build and never becomes an entry of the list.
QComboBox* makePeriodBox(QWidget* parent, const QString& name, const QString& accessible, int left, int top);

// One of the day / month choices beside the period boxes, at `left` twips inside its frame.
QRadioButton* makePeriodOption(QWidget* parent, const QString& name, const QString& caption, int left);
