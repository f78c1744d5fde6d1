// Message boxes with a test hook that answers them without showing anything.
#include "platform/messagebox.h"

#include <QList>
#include <QPushButton>
#include <QStringList>

namespace {

QList<QMessageBox::StandardButton> g_answers;
QList<int> g_choices;
QStringList g_shown;
QString g_lastTitle;
QString g_lastDetail;
bool g_testMode = false;

// A box says which window it speaks for; one without a window speaks for the program.
QString windowTitle(const QWidget* parent)
{
    const QWidget* window = parent ? parent->window() : nullptr;
    if (window && !window->windowTitle().isEmpty())
        return window->windowTitle();
    return QStringLiteral("till");
}

QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton,
                                const QString& detail = QString())
{
    const QString title = windowTitle(parent);
    if (g_testMode) {
        g_shown << text;
        g_lastTitle = title;
        g_lastDetail = detail;
        // An unprepared box in a test takes its default, as a user pressing Enter would.
        return g_answers.isEmpty() ? defaultButton : g_answers.takeFirst();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    box.setInformativeText(detail);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

namespace MessageBox {

void information(QWidget* parent, const QString& text)
{
    ask(parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool question(QWidget* parent, const QString& text, bool stopIcon, const QString& detail)
{
    // A question whose Yes cannot be undone carries the stop icon, and like every box the title of its window.
    const auto icon = stopIcon ? QMessageBox::Critical : QMessageBox::Question;
    return ask(parent, icon, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No, detail) == QMessageBox::Yes;
}

int choose(QWidget* parent, const QString& text, const QStringList& choices, int defaultChoice)
{
    if (g_testMode) {
        g_shown << text;
        g_lastTitle = windowTitle(parent);
        return g_choices.isEmpty() ? defaultChoice : g_choices.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, windowTitle(parent), text, QMessageBox::NoButton, parent);
    QList<QAbstractButton*> buttons;
    for (const QString& choice : choices)
        buttons << box.addButton(choice, QMessageBox::AcceptRole);
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.value(defaultChoice)));
    box.setEscapeButton(buttons.value(buttons.size() - 1));
    box.exec();
    const qsizetype pressed = buttons.indexOf(box.clickedButton());
    return pressed < 0 ? int(choices.size()) - 1 : int(pressed);
}

void enableTestMode()
{
    g_testMode = true;
}

void setNextAnswer(QMessageBox::StandardButton answer)
{
    g_testMode = true;
    g_answers << answer;
}

void setNextChoice(int index)
{
    g_testMode = true;
    g_choices << index;
}

QString lastTitle()
{
    return g_lastTitle;
}

QString lastDetail()
{
    return g_lastDetail;
}

QStringList takeShown()
{
    g_testMode = true;
    QStringList shown;
    shown.swap(g_shown);
    return shown;
}

} // namespace MessageBox
