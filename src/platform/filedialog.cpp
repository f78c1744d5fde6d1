// The save dialog and its test answers.
#include "platform/filedialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QList>
#include <QStandardPaths>
#include <utility>

namespace {

QStringList g_answers;
bool g_answering = false;
QStringList g_proposed;
QString g_lastFolder;

} // namespace

namespace FileDialog {

QString saveFileName(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter)
{
    const QString name = safeFileName(proposedName);
    if (g_answering) {
        g_proposed << name;
        return g_answers.isEmpty() ? QString() : g_answers.takeFirst();
    }
    if (g_lastFolder.isEmpty())
        g_lastFolder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(parent, caption, QDir(g_lastFolder).filePath(name), filter);
    if (!path.isEmpty())
        g_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

QString safeFileName(const QString& name)
{
    QString out = name;
    for (QChar& c : out)
        if (QStringView(u"/\\:*?\"<>|").contains(c) || c.unicode() < 0x20)
            c = u'-';
    return out;
}

void setNextSaveName(const QString& path)
{
    g_answering = true;
    g_answers << path;
}

QStringList takeProposed()
{
    g_answering = true;
    return std::exchange(g_proposed, {});
}

} // namespace FileDialog
