// A pick list that fills its opener's boxes and closes itself.
#include "widgets/picklist.h"

#include "platform/controls.h"

#include <QListWidget>
#include <QPushButton>

PickList::PickList(const Setup& setup, QWidget* parent) : QWidget(parent)
{
    setObjectName(setup.name);
    setWindowTitle(setup.caption);
    setFixedSize(setup.clientSize);
    if (setup.shape == OneList) {
        entryList = new QListWidget(this);
        entryList->setObjectName(setup.listNames.value(0));
        entryList->setAccessibleName(setup.caption);
        entryList->setGeometry(setup.lists);
        entryList->setUniformItemSizes(true);
        // Enter on an entry chooses it, as a click does.
        installKeys(entryList, {{Qt::Key_Return, [this] {
                                     if (entryList->currentRow() >= 0)
                                         pick(entryList->currentRow() + 1);
                                 }}});
        connect(entryList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { pick(entryList->row(item) + 1); });
    } else {
        tabs = new NumberedTabs(this, NumberedTabs::Lists, setup.listNames);
        tabs->setObjectName(QStringLiteral("tabs"));
        tabs->setAccessibleName(setup.caption);
        tabs->setGeometry(setup.lists);
        tabs->loadCaptions();
        connect(tabs, &NumberedTabs::entryChosen, this, &PickList::pick);
    }
    closeButton = makeButton(this, setup.closeName, QStringLiteral("閉じる"), setup.closeButton);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void PickList::openFor(QWidget* opener, Fill fill)
{
    disconnect(m_openerGone);
    m_opener = opener;
    m_fill = std::move(fill);
    if (opener)
        m_openerGone = connect(opener, &QObject::destroyed, this, &QWidget::close);
}

void PickList::pick(int n)
{
    if (m_opener && m_fill)
        m_fill(n);
    close();
}
