// Asking where to save a file, with a test hook that answers without showing a dialog.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace FileDialog {

// Asks for the path to save to, offering `proposedName` in the folder used last (at first the documents
// folder). Empty when the user cancels.
QString saveFileName(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter);

// A file name made of parts that may hold characters no file name can: those become "-".
QString safeFileName(const QString& name);

// Tests: the next dialog is not shown but answered with `path` (empty: cancelled).
void setNextSaveName(const QString& path);
// Tests: the names proposed by the dialogs answered so far, oldest first; cleared by the call.
QStringList takeProposed();

} // namespace FileDialog
