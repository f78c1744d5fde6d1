// The four tabs of numbered entries: captions, F1 to F4, Page Up/Down, numbers to tabs and rows, choosing.
#include "../common/guitest.h"

#include "platform/grid.h"
#include "storage/settings.h"
#include "widgets/numberedtabs.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTabBar>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window holding a box to type keys into and the tabs beside it.
struct Host
{
    QWidget window;
    QLineEdit* box;
    NumberedTabs* tabs;

    explicit Host(NumberedTabs::Kind kind)
    {
        auto* layout = new QVBoxLayout(&window);
        box = new QLineEdit(&window);
        const QString stem = kind == NumberedTabs::Lists ? QStringLiteral("list_%1") : QStringLiteral("Grid_%1");
        tabs = new NumberedTabs(&window, kind, {stem.arg(1), stem.arg(2), stem.arg(3), stem.arg(4)});
        layout->addWidget(box);
        layout->addWidget(tabs);
        window.resize(400, 600);
        QVERIFY(showActive(&window));
        box->setFocus();
    }
};

} // namespace

class TestNumberedTabs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbering_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("index");
        QTest::newRow("1") << 1 << 0 << 0;
        QTest::newRow("100") << 100 << 0 << 99;
        QTest::newRow("101") << 101 << 1 << 0;
        QTest::newRow("237") << 237 << 2 << 36;
        QTest::newRow("301") << 301 << 3 << 0;
        QTest::newRow("400") << 400 << 3 << 99;
    }
    void numbering()
    {
        QFETCH(int, n);
        QFETCH(int, tab);
        QFETCH(int, index);
        QCOMPARE(NumberedTabs::tabOf(n), tab);
        QCOMPARE(NumberedTabs::indexOf(n), index);
        QCOMPARE(NumberedTabs::numberAt(tab, index), n);
    }

    void captionsFromSettings()
    {
        setDefaultSettings();
        for (int g = 1; g <= 4; ++g)
            SysStr[g] = QStringLiteral("群%1").arg(g);
        Host h(NumberedTabs::Lists);
        h.tabs->setSelectedTab(2);
        h.tabs->loadCaptions();
        for (int t = 0; t < 4; ++t)
            QCOMPARE(h.tabs->caption(t), QStringLiteral("群%1").arg(t + 1));
        QCOMPARE(h.tabs->selectedTab(), 0);
        QCOMPARE(h.tabs->list(3)->objectName(), QStringLiteral("list_4"));
    }

    void functionKeysShowTabs_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("tab");
        for (int tab = 0; tab < 4; ++tab)
            QTest::addRow("F%d", tab + 1) << int(Qt::Key_F1) + tab << tab;
    }
    void functionKeysShowTabs()
    {
        QFETCH(int, key);
        QFETCH(int, tab);
        Host h(NumberedTabs::Lists);
        h.tabs->setSelectedTab(tab == 0 ? 3 : 0);
        installKeys(h.box, h.tabs->tabKeys());
        QTest::keyClick(h.box, Qt::Key(key));
        QCOMPARE(h.tabs->selectedTab(), tab);
        QVERIFY(h.box->hasFocus());
    }

    // Page Up and Down reach every list, also a short one (items up to the count in use only).
    void pageKeysSelectInEveryList()
    {
        Host h(NumberedTabs::Lists);
        for (int t = 0; t < 4; ++t) {
            QStringList entries;
            const int count = t == 3 ? 50 : 100;
            for (int i = 0; i < count; ++i)
                entries << QString::number(NumberedTabs::numberAt(t, i));
            h.tabs->setListEntries(t, entries);
        }
        installKeys(h.box, h.tabs->pageKeys());
        QTest::keyClick(h.box, Qt::Key_PageDown);
        for (int t = 0; t < 3; ++t)
            QCOMPARE(h.tabs->list(t)->currentRow(), 99);
        QCOMPARE(h.tabs->list(3)->currentRow(), -1);
        QTest::keyClick(h.box, Qt::Key_PageUp);
        for (int t = 0; t < 4; ++t)
            QCOMPARE(h.tabs->list(t)->currentRow(), 0);
        QVERIFY(h.box->hasFocus());
    }

    void gridRowsFollowTheNumber()
    {
        Host h(NumberedTabs::Grids);
        h.tabs->setGridColumns({"番号", "商品名", "単価"}, {0, 3000, 0});
        h.tabs->setGridRow(237, {"みかん", "120"});
        h.tabs->setGridRow(401, {"外", "1"}); // beyond the four tabs: ignored
        Grid* g = h.tabs->grid(2);
        QCOMPARE(g->rows(), 101);
        QCOMPARE(g->text(0, 1), QStringLiteral("商品名"));
        QCOMPARE(g->text(37, 0), QStringLiteral("237"));
        QCOMPARE(g->text(37, 1), QStringLiteral("みかん"));
        QCOMPARE(g->text(37, 2), QStringLiteral("120"));
        QCOMPARE(h.tabs->grid(3)->text(100, 0), QStringLiteral("400"));
        QCOMPARE(h.tabs->grid(3)->text(100, 1), QString());
    }

    void clickOrEnterChoosesAnEntry()
    {
        Host h(NumberedTabs::Grids);
        h.tabs->setGridColumns({"番号", "名称"}, {});
        QSignalSpy chosen(h.tabs, &NumberedTabs::entryChosen);
        h.tabs->setSelectedTab(1);
        Grid* g = h.tabs->grid(1);
        const QRect cell = g->visualRect(g->model()->index(4, 1)); // grid row 5
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.takeFirst().at(0).toInt(), 105);
        g->setFocus();
        g->setCurrentRow(100);
        QTest::keyClick(g, Qt::Key_Return);
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen.takeFirst().at(0).toInt(), 200);
    }

    void stripPassesTheFocusOn()
    {
        Host h(NumberedTabs::Lists);
        QLineEdit* other = new QLineEdit(&h.window);
        other->show();
        other->setFocus();
        h.tabs->setFocusTarget(h.box);
        h.tabs->tabBar()->setFocus();
        QTRY_VERIFY(h.box->hasFocus());
    }
};

QTEST_MAIN(TestNumberedTabs)
#include "tst_numberedtabs.moc"
