// The tab strip control: numbered tabs with captions, one page widget per tab.
#pragma once

#include <QTabWidget>

class TabStrip : public QTabWidget
{
    Q_OBJECT

public:
    explicit TabStrip(QWidget* parent = nullptr);

    // Tabs are numbered from 0.
    void setTabs(int count);
    QWidget* page(int tab) const { return widget(tab); }
    QString caption(int tab) const { return tabText(tab); }
    void setCaption(int tab, const QString& caption);
    int selectedTab() const { return currentIndex(); }
    void setSelectedTab(int tab) { setCurrentIndex(tab); }
};
