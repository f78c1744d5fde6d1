// A table model's cells as a CSV file: the texts as shown, figures in plain digits.
#pragma once

#include "storage/result.h"

#include <QStringList>

class Grid;
class QAbstractItemModel;
class QWidget;
struct TableHeading;

// Row `row` of the model as shown, but with figures in plain digits so that a spreadsheet reads them as
// numbers (-1: the column headings).
QStringList tableRowTexts(const QAbstractItemModel& model, int row);

// Writes the column headings and every row to `path` in code page 932 with CR LF. A progress dialog over
// `parent` shows when the work takes longer than a second; cancelling it leaves no file and returns a failure
// with an empty message.
Result exportTableCsv(QWidget* parent, const QAbstractItemModel& model, const QString& path);

// What the windows' "CSV出力" does: asks where to save, offering `proposedName`, writes the grid's cells and
// tells the user when the file could not be written.
void saveGridCsv(QWidget* parent, const Grid& grid, const QString& proposedName);

// What the windows' "印刷" does: the grid's rows in a print preview, columns in the grid's proportions, no page
// cut inside a block of `blockStarts` (data rows, 1 ..; see cutPages).
void printGrid(QWidget* parent, const Grid& grid, const TableHeading& heading, const QList<int>& blockStarts = {});
