// The tab strip control over QTabWidget.
#include "platform/tabstrip.h"

#include <QTabBar>

TabStrip::TabStrip(QWidget* parent) : QTabWidget(parent)
{
    setUsesScrollButtons(false);
}

void TabStrip::setTabs(int count)
{
    while (QTabWidget::count() > count) {
        QWidget* page = widget(QTabWidget::count() - 1);
        removeTab(QTabWidget::count() - 1);
        delete page;
    }
    while (QTabWidget::count() < count) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("%1_page%2").arg(objectName()).arg(QTabWidget::count()));
        addTab(page, QString());
    }
}

void TabStrip::setCaption(int tab, const QString& caption)
{
    setTabText(tab, caption);
    if (QWidget* p = widget(tab))
        p->setAccessibleName(caption);
}
