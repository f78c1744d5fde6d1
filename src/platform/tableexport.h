// A table model's cells, exactly as shown, as a CSV file.
#pragma once

#include "storage/result.h"

#include <QStringList>

class QAbstractItemModel;
class QWidget;

// Row `row` of the model as shown (-1: the column headings).
QStringList tableRowTexts(const QAbstractItemModel& model, int row);

// Writes the column headings and every row to `path` in code page 932 with CR LF. A progress dialog over
// `parent` shows when the work takes longer than a second; cancelling it leaves no file and returns a failure
// with an empty message.
Result exportTableCsv(QWidget* parent, const QAbstractItemModel& model, const QString& path);
