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
        List1 = new QListWidget(this);
        List1->setObjectName(setup.listNames.value(0));
        List1->setAccessibleName(setup.caption);
        List1->setGeometry(setup.lists);
        List1->setUniformItemSizes(true);
        // Enter on an entry chooses it, as a click does.
        installKeys(List1, {{Qt::Key_Return, [this] {
                                 if (List1->currentRow() >= 0)
                                     pick(List1->currentRow() + 1);
                             }}});
        connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { pick(List1->row(item) + 1); });
    } else {
        SSTab1 = new NumberedTabs(this, NumberedTabs::Lists, setup.listNames);
        SSTab1->setObjectName(QStringLiteral("SSTab1"));
        SSTab1->setAccessibleName(setup.caption);
        SSTab1->setGeometry(setup.lists);
        SSTab1->loadCaptions();
        connect(SSTab1, &NumberedTabs::entryChosen, this, &PickList::pick);
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
