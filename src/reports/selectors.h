// The year, month and day boxes of the report and graph windows.
#pragma once

#include <QString>

class QComboBox;
class QWidget;

// An editable box at (left, top) twips inside its frame, 855 twips wide; a typed text is used at the next
// build and never becomes an entry of the list.
QComboBox* makePeriodBox(QWidget* parent, const QString& name, const QString& accessible, int left, int top);
