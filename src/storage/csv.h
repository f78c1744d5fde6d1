// CSV files for spreadsheet programs on Japanese desktops: code page 932, CR LF, quoted where a cell needs it.
#pragma once

#include "storage/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// Appends one row: cells separated by commas, a cell holding a comma, a double quote or a line break enclosed
// in double quotes with its double quotes doubled, and CR LF at the end. Trailing blanks of a cell are dropped,
// and a text cell beginning with =, +, -, @, a tab or a carriage return gets a leading apostrophe so that a
// spreadsheet does not run it as a formula; a number (a negative amount too) stays a number.
void appendCsvRow(QString& out, const QStringList& cells);

// The rows as the bytes of a CSV file. A character code page 932 lacks is written as "?".
QByteArray csvBytes(const QList<QStringList>& rows);

// Writes `count` rows, row(i) for i from 0, to `path`. The file is written beside `path` and renamed over it,
// so a failed write leaves no half file behind; the message names the file and the system's reason. `progress(done)` is called now and then; returning false
// from it cancels the export (reported as a failure with an empty message).
Result writeCsvFile(const QString& path, qsizetype count, const std::function<QStringList(qsizetype)>& row,
                    const std::function<bool(qsizetype)>& progress = {});
