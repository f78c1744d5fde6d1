// The master entry window's shape, driven through a small window built on it: choosing, registering, refusing.
#include "../common/guitest.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "storage/settings.h"
#include "widgets/entrywindow.h"

#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QtTest>

namespace {

// Entries with a name and a price kept in memory; a price that is not a number is refused.
class NameEntry : public EntryWindow
{
public:
    QMap<int, QStringList> stored;
    QList<int> loaded;
    QLineEdit* numberBox;
    QLineEdit* nameBox;
    QLineEdit* priceBox;

    NameEntry()
        : EntryWindow({.name = "FormT",
                       .caption = "名称設定",
                       .clientSize = QSize(800, 500),
                       .tabs = QRect(0, 0, 400, 460),
                       .gridHeaders = {"番号", "名称", "単価"},
                       .gridWidths = {0, 3000, 0},
                       .registerButton = QRect(420, 460, 100, 30),
                       .closeButton = QRect(540, 460, 100, 30)})
    {
        stored[3] = {"初めの名", "10"};
        numberBox = new QLineEdit(this);
        numberBox->setReadOnly(true);
        nameBox = new QLineEdit(this);
        priceBox = new QLineEdit(this);
        numberBox->setGeometry(420, 10, 200, 30);
        nameBox->setGeometry(420, 50, 200, 30);
        priceBox->setGeometry(420, 90, 200, 30);
        setFirstBox(nameBox);
        load();
    }

protected:
    void loadEntry(int n) override
    {
        loaded << n;
        numberBox->setText(QString::number(n));
        nameBox->setText(stored.value(n).value(0));
        priceBox->setText(stored.value(n).value(1));
    }
    Result saveEntry(int n) override
    {
        bool ok = false;
        priceBox->text().toDouble(&ok);
        if (!ok)
            return Result::failure(QStringLiteral("単価は数字で入力してください。"));
        stored[n] = {nameBox->text(), priceBox->text()};
        return Result::success();
    }
    QStringList gridRow(int n) override { return stored.value(n, {QString(), QString()}); }
};

} // namespace

class TestEntryWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<NameEntry> m_form;

    void clickRow(int tab, int row)
    {
        m_form->tabs->setSelectedTab(tab);
        clickCell(m_form->tabs->grid(tab), row - 1, 1);
    }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }

    void init()
    {
        setDefaultSettings();
        m_form = std::make_unique<NameEntry>();
        QVERIFY(showActive(m_form.get()));
        MessageBox::takeShown();
    }
    void cleanup() { m_form.reset(); }

    void openShowsCaptionsAndFilledGrids()
    {
        QCOMPARE(m_form->tabs->caption(0), SysStr[1]);
        QCOMPARE(m_form->tabs->selectedTab(), 0);
        QCOMPARE(m_form->findChild<Grid*>("entryGrid_2"), m_form->tabs->grid(2));
        QCOMPARE(m_form->tabs->grid(0)->text(3, 1), QStringLiteral("初めの名"));
        QCOMPARE(m_form->tabs->grid(0)->text(0, 2), QStringLiteral("単価"));
        QTRY_VERIFY(m_form->nameBox->hasFocus());
    }

    void registerWithNothingChosen()
    {
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown(), QStringList{"表から番号を選択してください。"});
        QCOMPARE(MessageBox::lastTitle(), m_form->windowTitle()); // the box speaks for its window
        QVERIFY(!m_form->windowTitle().isEmpty());
        QVERIFY(m_form->stored.size() == 1);
    }

    // Choosing a row shows its entry; registering it refreshes that row, on its own tab.
    void chooseTypeRegister_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("n");
        QTest::newRow("tab 3 row 37") << 2 << 37 << 237;
        QTest::newRow("last of tab 1") << 0 << 100 << 100;
        QTest::newRow("first of tab 2") << 1 << 1 << 101;
        QTest::newRow("last of all") << 3 << 100 << 400;
    }
    void chooseTypeRegister()
    {
        QFETCH(int, tab);
        QFETCH(int, row);
        QFETCH(int, n);
        clickRow(tab, row);
        QCOMPARE(m_form->loaded, QList<int>{n});
        QCOMPARE(m_form->chosen(), n);
        QCOMPARE(m_form->numberBox->text(), QString::number(n));
        QTRY_VERIFY(m_form->nameBox->hasFocus());
        QTest::keyClicks(m_form->nameBox, QStringLiteral("Grape"));
        m_form->priceBox->setText(QStringLiteral("250"));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QVERIFY(MessageBox::takeShown().isEmpty());
        QCOMPARE(m_form->stored.value(n), QStringList({"Grape", "250"}));
        Grid* g = m_form->tabs->grid(tab);
        QCOMPARE(g->text(row, 0), QString::number(n));
        QCOMPARE(g->text(row, 1), QStringLiteral("Grape"));
        QCOMPARE(g->text(row, 2), QStringLiteral("250"));
    }

    void refusedSaveKeepsTheRow()
    {
        clickRow(0, 3);
        m_form->nameBox->setText(QStringLiteral("新しい名"));
        m_form->priceBox->setText(QStringLiteral("abc"));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown(), QStringList{"単価は数字で入力してください。"});
        QCOMPARE(m_form->tabs->grid(0)->text(3, 1), QStringLiteral("初めの名"));
        QCOMPARE(m_form->nameBox->text(), QStringLiteral("新しい名")); // kept for another try
    }

    void closeButtonCloses()
    {
        QTest::mouseClick(m_form->closeButton, Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
    }
};

QTEST_MAIN(TestEntryWindow)
#include "tst_entrywindow.moc"
