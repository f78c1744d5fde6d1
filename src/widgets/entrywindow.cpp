// The master entry window's shape: choose from the grids, edit at the right, register or close.
#include "widgets/entrywindow.h"

#include "platform/controls.h"
#include "platform/messagebox.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QPushButton>

EntryWindow::EntryWindow(const Setup& setup, QWidget* parent) : QWidget(parent)
{
    setObjectName(setup.name);
    setWindowTitle(setup.caption);
    setFixedSize(setup.clientSize);

    tabs = new NumberedTabs(this, NumberedTabs::Grids, setup.gridNames);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setAccessibleName(setup.caption);
    tabs->setGeometry(setup.tabs);
    tabs->setGridColumns(setup.gridHeaders, setup.gridWidths);
    connect(tabs, &NumberedTabs::entryChosen, this, &EntryWindow::choose);

    registerButton = makeButton(this, setup.registerName, QStringLiteral("登録"), setup.registerButton);
    closeButton = makeButton(this, setup.closeName, QStringLiteral("閉じる"), setup.closeButton);
    connect(registerButton, &QPushButton::clicked, this, &EntryWindow::registerEntry);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    statusLine = makeLabel(this, QStringLiteral("statusLine"), QString(), setup.statusLine);
    statusLine->setAccessibleName(QStringLiteral("登録の結果"));
    m_savedText = setup.savedText;
}

void EntryWindow::chooseRow(int tab, int row)
{
    if (tab >= 0 && tab < NumberedTabs::Tabs && row >= 1 && row <= NumberedTabs::PerTab)
        choose(NumberedTabs::numberAt(tab, row - 1));
}

void EntryWindow::choose(int n)
{
    m_chosen = n;
    statusLine->clear();
    loadEntry(n);
    if (m_firstBox)
        m_firstBox->setFocus();
}

bool EntryWindow::registerEntry()
{
    if (m_chosen == 0) {
        MessageBox::information(this, QStringLiteral("表から番号を選択してください。"));
        return false;
    }
    // A refused entry keeps its old row, so the grid never shows what the file does not hold.
    if (const Result r = saveEntry(m_chosen); !r) {
        statusLine->clear();
        MessageBox::information(this, r.error);
        return false;
    }
    tabs->setGridRow(m_chosen, gridRow(m_chosen));
    // The grid row alone may not change (the same name and price), so the save is said in words.
    statusLine->setText(m_savedText.arg(m_chosen));
    return true;
}

void EntryWindow::fillGrids()
{
    for (int n = 1; n <= NumberedTabs::Tabs * NumberedTabs::PerTab; ++n)
        tabs->setGridRow(n, gridRow(n));
}

void EntryWindow::load()
{
    tabs->loadCaptions();
    fillGrids();
}

void EntryWindow::setFirstBox(QWidget* box)
{
    m_firstBox = box;
    tabs->setFocusTarget(box);
}

bool mayCloseEdited(QWidget* window, int n, bool edited, const std::function<bool()>& save)
{
    if (n == 0 || !edited)
        return true;
    const int answer = MessageBox::choose(
        window, QStringLiteral("番号 %1 の変更は登録されていません。登録してから閉じますか？").arg(n),
        {QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("キャンセル")}, 0);
    // A save that fails keeps the window, and the edits, in front of the user with its message.
    return answer == 1 || (answer == 0 && save());
}

void EntryWindow::closeEvent(QCloseEvent* event)
{
    if (!mayCloseEdited(this, m_chosen, hasUnsavedEdits(), [this] { return registerEntry(); })) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

bool EntryWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && m_firstBox)
        m_firstBox->setFocus();
    return QWidget::event(event);
}
