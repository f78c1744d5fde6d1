// Pick lists: a choice fills the opener through its fill function and closes the list.
#include "../common/guitest.h"

#include "storage/settings.h"
#include "widgets/picklist.h"

#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

std::unique_ptr<PickList> makeList(PickList::Shape shape)
{
    PickList::Setup setup{.name = "FormP",
                          .caption = "一覧表",
                          .shape = shape,
                          .clientSize = QSize(400, 500),
                          .lists = QRect(0, 0, 400, 440),
                          .closeButton = QRect(10, 450, 100, 30)};
    if (shape == PickList::TabbedLists)
        setup.listNames = QStringList{"tabLists_1", "tabLists_2", "tabLists_3", "tabLists_4"};
    auto list = std::make_unique<PickList>(setup);
    for (int t = 0; t < 4; ++t) {
        QStringList entries;
        for (int i = 0; i < 100; ++i)
            entries << QStringLiteral("%1-名前").arg(NumberedTabs::numberAt(t, i));
        if (shape == PickList::TabbedLists)
            list->tabs->setListEntries(t, entries);
        else if (t == 0)
            list->entryList->addItems(entries);
    }
    if (!showActive(list.get()))
        qWarning("pick list not active");
    return list;
}

void clickEntry(QListWidget* list, int p)
{
    list->scrollToItem(list->item(p));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(p)).center());
}

} // namespace

class TestPickList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { setDefaultSettings(); }

    void clickOnATabFills_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("n");
        QTest::newRow("first") << 0 << 0 << 1;
        QTest::newRow("list 2 entry 6") << 1 << 5 << 106;
        QTest::newRow("last") << 3 << 99 << 400;
    }
    void clickOnATabFills()
    {
        QFETCH(int, tab);
        QFETCH(int, p);
        QFETCH(int, n);
        QWidget opener;
        QList<int> filled;
        auto list = makeList(PickList::TabbedLists);
        QCOMPARE(list->tabs->caption(0), SysStr[1]);
        list->openFor(&opener, [&filled](int k) { filled << k; });
        list->tabs->setSelectedTab(tab);
        clickEntry(list->tabs->list(tab), p);
        QCOMPARE(filled, QList<int>{n});
        QVERIFY(!list->isVisible());
    }

    // Enter on an entry of the one list fills it in; the close button fills in nothing. Either closes the list.
    void oneListEnterOrClose_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QList<int>>("filled");
        QTest::newRow("Enter") << true << QList<int>{7};
        QTest::newRow("close button") << false << QList<int>{};
    }
    void oneListEnterOrClose()
    {
        QFETCH(bool, enter);
        QWidget opener;
        QList<int> filled;
        auto list = makeList(PickList::OneList);
        list->openFor(&opener, [&filled](int k) { filled << k; });
        if (enter) {
            list->entryList->setFocus();
            list->entryList->setCurrentRow(6);
            QTest::keyClick(list->entryList, Qt::Key_Return);
        } else {
            QTest::mouseClick(list->closeButton, Qt::LeftButton);
        }
        QTEST(filled, "filled");
        QVERIFY(!list->isVisible());
    }

    // The list outliving its opener must not write into the closed window.
    void closedOpenerClosesTheList()
    {
        auto opener = std::make_unique<QWidget>();
        bool filled = false;
        auto list = makeList(PickList::OneList);
        list->openFor(opener.get(), [&filled](int) { filled = true; });
        opener.reset();
        QVERIFY(!list->isVisible());
        list->pick(3);
        QVERIFY(!filled);
    }

    // Opened again for another box, the choice goes to the new one only.
    void reopenedForAnotherTarget()
    {
        QWidget first;
        QWidget second;
        QStringList filled;
        auto list = makeList(PickList::OneList);
        list->openFor(&first, [&filled](int n) { filled << QStringLiteral("first %1").arg(n); });
        list->openFor(&second, [&filled](int n) { filled << QStringLiteral("second %1").arg(n); });
        clickEntry(list->entryList, 1);
        QCOMPARE(filled, QStringList{"second 2"});
    }
};

QTEST_MAIN(TestPickList)
#include "tst_picklist.moc"
