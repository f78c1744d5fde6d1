// The purchase item window driven as the shopkeeper does, checked against zaiko.dat; its supplier list; stock
// changed by a sale while an item is shown.
#include "../common/windowtest.h"

#include "masters/purchaseitempicker.h"
#include "masters/purchaseitemwindow.h"
#include "masters/supplierpicker.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "register/registerwindow.h"
#include "storage/changes.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Item n with every field set, its reserved bytes marked.
void storeItem(const TestAppDir& dir, int n, const QString& name, double cost, double stock)
{
    PurchaseItem item;
    item.Category = QStringLiteral("A1");
    item.Name = name;
    item.StandardCost = cost;
    item.StockQty = stock;
    item.SupplierNo = 2;
    item.SupplierName = QStringLiteral("二番商店");
    QVERIFY(WritePurchaseItem(n, item));
    QByteArray bytes = dir.bytes("zaiko.dat");
    bytes.replace((n - 1) * 128 + Off::Item::Reserved, 44, QByteArray(44, 'Z'));
    dir.writeBytes("zaiko.dat", bytes);
}

// Item 12 rewritten as another program would, without a notice.
void changeItem12(void (*edit)(PurchaseItem&))
{
    PurchaseItem item = ReadPurchaseItem(12).value;
    edit(item);
    QVERIFY(WritePurchaseItem(12, item));
}

using Change = void (*)();

} // namespace

Q_DECLARE_METATYPE(Change)

class TestPurchaseItemWindow : public WindowTest
{
    Q_OBJECT

private:
    PurchaseItemWindow* m_form = nullptr;

    QByteArray item(int n) const { return record(dir().bytes("zaiko.dat"), n, Off::Item::Size); }
    QLineEdit* box(int i) const { return w(QStringLiteral("fieldBoxes_%1").arg(i)); }
    void choose(int tab, int row)
    {
        m_form->tabs->setSelectedTab(tab);
        clickCell(m_form->tabs->grid(tab), row - 1, 1);
        QTRY_COMPARE(focusedName(), QStringLiteral("fieldBoxes_0"));
    }
    void registerClick() { QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton); }

    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form, name); }
    void setUp() override
    {
        QVERIFY(InitPurchaseItemFile());
        storeItem(dir(), 150, QStringLiteral("とても長い名前の部品"), 80, 7);
        storeItem(dir(), 400, QStringLiteral("最後の部品"), 5, 1);
        Supplier seventh;
        seventh.Name = QStringLiteral("七番問屋");
        QVERIFY(WriteSupplier(7, seventh));
        m_form = new PurchaseItemWindow;
        QVERIFY(showActive(m_form));
    }
    void tearDown() override
    {
        delete m_form;
        delete openInstance<SupplierPicker>();
        delete openInstance<RegisterWindow>();
    }

private Q_SLOTS:
    void openState()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("仕入商品設定"));
        QCOMPARE(m_form->tabs->caption(1), SysStr[2]);
        Grid* g = m_form->findChild<Grid*>("entryGrid_1");
        QCOMPARE(g->text(0, 1), QStringLiteral("仕入商品名"));
        QCOMPARE(g->text(50, 0), QStringLiteral("150"));
        QCOMPARE(g->text(50, 1), QStringLiteral("とても長い名前の部品") + QString(10, u' '));
        QCOMPARE(g->text(50, 2), QStringLiteral("80"));
        QCOMPARE(m_form->tabs->grid(3)->text(100, 2), QStringLiteral("5")); // the last item too
        QCOMPARE(w("guideBox")->text(), QStringLiteral("編集を行いたい行を表からクリックします。"));
        QCOMPARE(focusedName(), QStringLiteral("fieldBoxes_0"));
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    // Item 150 is row 50 of the second grid; what is typed lands in record 150 and nowhere else.
    void saveItem150()
    {
        choose(1, 50);
        QCOMPARE(w("itemNoBox")->text(), QStringLiteral("150"));
        // Shown without the padding of the field, from its first character.
        QCOMPARE(box(1)->text(), QStringLiteral("とても長い名前の部品"));
        QCOMPARE(box(1)->cursorPosition(), 0);
        QCOMPARE(box(0)->text(), QStringLiteral("A1"));
        QCOMPARE(box(2)->text(), QStringLiteral("80"));
        QCOMPARE(box(3)->text(), QStringLiteral("7"));
        QCOMPARE(box(4)->text(), QStringLiteral("2"));
        type("B2");
        press(Qt::Key_Return);
        type(QStringLiteral("ねじ"));
        press(Qt::Key_Down);
        type("12.5");
        press(Qt::Key_Return);
        type("40");
        const QByteArray before = dir().bytes("zaiko.dat");
        PurchaseItemPicker pickList; // an open item list follows the save
        QCOMPARE(control<QListWidget>(&pickList, "tabLists_2")->item(49)->text(),
                 QStringLiteral("150-とても長い名前の部品") + QString(10, u' '));
        registerClick();
        QVERIFY(shown().isEmpty());
        QCOMPARE(w<QLabel>("statusLine")->text(), QStringLiteral("仕入商品 150 を登録しました。"));
        QCOMPARE(control<QListWidget>(&pickList, "tabLists_2")->item(49)->text(),
                 QStringLiteral("150-ねじ") + QString(26, u' '));

        const QByteArray after = dir().bytes("zaiko.dat");
        QCOMPARE(after.size(), 400 * 128);
        QCOMPARE(after.left(149 * 128), before.left(149 * 128));
        QCOMPARE(after.mid(150 * 128), before.mid(150 * 128));
        const QByteArray r = item(150);
        QCOMPARE(txt(r, Off::Item::Category, 6), QStringLiteral("B2    "));
        QCOMPARE(txt(r, Off::Item::Name, 30), QStringLiteral("ねじ") + QString(26, u' '));
        QCOMPARE(f64(r, Off::Item::StandardCost), 12.5);
        QCOMPARE(f64(r, Off::Item::StockQty), 40.0);
        QCOMPARE(i16(r, Off::Item::SupplierNo), int16_t(2));
        QCOMPARE(txt(r, Off::Item::SupplierName, 30), QStringLiteral("二番商店") + QString(22, u' '));
        QCOMPARE(r.mid(Off::Item::Reserved), QByteArray(44, 'Z'));
        Grid* g = m_form->tabs->grid(1);
        QCOMPARE(g->text(50, 1), QStringLiteral("ねじ"));
        QCOMPARE(g->text(50, 2), QStringLiteral("12.5"));
        choose(1, 51);
        QVERIFY(w<QLabel>("statusLine")->text().isEmpty()); // it spoke of item 150
    }

    void keys_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("tab");
        QTest::newRow("Enter") << "fieldBoxes_0" << int(Qt::Key_Return) << "fieldBoxes_1" << 1;
        QTest::newRow("Down") << "fieldBoxes_2" << int(Qt::Key_Down) << "fieldBoxes_3" << 1;
        QTest::newRow("Enter on stock") << "fieldBoxes_3" << int(Qt::Key_Return) << "fieldBoxes_3" << 1;
        QTest::newRow("Up") << "fieldBoxes_3" << int(Qt::Key_Up) << "fieldBoxes_2" << 1;
        QTest::newRow("Up on first") << "fieldBoxes_0" << int(Qt::Key_Up) << "fieldBoxes_0" << 1;
        QTest::newRow("F1") << "fieldBoxes_2" << int(Qt::Key_F1) << "fieldBoxes_2" << 0;
        QTest::newRow("F4") << "fieldBoxes_1" << int(Qt::Key_F4) << "fieldBoxes_1" << 3;
    }
    void keys()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        QFETCH(int, tab);
        choose(1, 50);
        QCOMPARE(keyFrom(m_form, from, Qt::Key(key)), to);
        QCOMPARE(m_form->tabs->selectedTab(), tab);
    }

    // Numbers that cannot be stored are refused with the field named, and nothing is written.
    void refusedNumbers_data()
    {
        // clang-format off
        QTest::addColumn<int>("boxIndex");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("cost") << 2 << "1e999" << "標準仕入単価に保存できない数値が入力されています。";
        QTest::newRow("stock") << 3 << "-1e400" << "在庫数量に保存できない数値が入力されています。";
        // clang-format on
    }
    void refusedNumbers()
    {
        QFETCH(int, boxIndex);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        choose(1, 50);
        QVERIFY(focusOn(m_form, QStringLiteral("fieldBoxes_%1").arg(boxIndex)));
        type(typed);
        const QByteArray before = dir().bytes("zaiko.dat");
        registerClick();
        QCOMPARE(shown(), QStringList{message});
        QCOMPARE(dir().bytes("zaiko.dat"), before);
        QCOMPARE(focusedName(), QStringLiteral("fieldBoxes_%1").arg(boxIndex));
        QCOMPARE(m_form->tabs->grid(1)->text(50, 2), QStringLiteral("80"));
    }

    // "一覧" opens the supplier list; picking supplier 7 fills the item's supplier boxes and closes the list.
    void supplierFromTheList()
    {
        choose(1, 50);
        QTest::mouseClick(w<QPushButton>("supplierListButton"), Qt::LeftButton);
        auto* list = openInstance<SupplierPicker>();
        QVERIFY(list && list->isVisible());
        QCOMPARE(list->entryList->count(), 100);
        clickCell(list->entryList, 6);
        QCOMPARE(box(4)->text(), QStringLiteral("7"));
        QCOMPARE(box(5)->text(), QStringLiteral("七番問屋"));
        QCOMPARE(box(5)->cursorPosition(), 0);
        QTRY_VERIFY(!openInstance<SupplierPicker>());
        registerClick();
        const QByteArray r = item(150);
        QCOMPARE(i16(r, Off::Item::SupplierNo), int16_t(7));
        QCOMPARE(txt(r, Off::Item::SupplierName, 30), QStringLiteral("七番問屋") + QString(22, u' '));
    }

    void boxesTakeWhatFits()
    {
        choose(1, 50);
        type(QStringLiteral("分類名"));
        QCOMPARE(box(0)->text(), QStringLiteral("分類名"));
        type(QStringLiteral("X"));
        QCOMPARE(box(0)->text(), QStringLiteral("分類名")); // 6 bytes full
        press(Qt::Key_Return);
        type(QString(16, QChar(0x90E8)));
        QCOMPARE(box(1)->text(), QString(15, QChar(0x90E8)));
    }

    // Stock sold while the item is shown is never undone by its save: kept when the stock box was not
    // touched, asked for (with both figures) when it was.
    void stockSoldMeanwhile_data()
    {
        QTest::addColumn<QString>("typedStock");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<double>("stored");
        // clang-format off
        QTest::newRow("stock box untouched") << QString() << false << 94.0;
        QTest::newRow("typed, overwrite") << "120" << true << 120.0;
        QTest::newRow("typed, keep") << "120" << false << 94.0;
        // clang-format on
    }
    void stockSoldMeanwhile()
    {
        QFETCH(QString, typedStock);
        QFETCH(bool, overwrite);
        QFETCH(double, stored);
        storeItem(dir(), 12, QStringLiteral("部品"), 10, 100);
        setProduct(5, QStringLiteral("セットA"), 350, {{12, 2}});
        choose(0, 12);
        QCOMPARE(box(3)->text(), QStringLiteral("100"));
        press(Qt::Key_Return);
        type(QStringLiteral("新部品"));
        if (!typedStock.isEmpty()) {
            QVERIFY(focusOn(m_form, "fieldBoxes_3"));
            type(typedStock);
        }

        auto* reg = new RegisterWindow;
        QVERIFY(showActive(reg));
        type("5");
        press(Qt::Key_Return);
        type("3");
        press(Qt::Key_Return);
        press(Qt::Key_F12);
        QCOMPARE(storedStock(12), 94.0);
        shown();
        // The sale was announced: an untouched stock box already shows it, and the save keeps it unasked.
        QCOMPARE(box(3)->text(), typedStock.isEmpty() ? QStringLiteral("94") : typedStock);
        if (overwrite)
            answerYes();
        registerClick();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), typedStock.isEmpty() ? 0 : 1);
        for (const QString& asked : boxes)
            QVERIFY2(asked.contains(QStringLiteral("在庫数量")) && asked.contains(QStringLiteral("100")) &&
                         asked.contains(QStringLiteral("94")) && asked.contains(typedStock),
                     qPrintable(asked));
        QCOMPARE(storedStock(12), stored);
        QCOMPARE(txt(item(12), Off::Item::Name, 30), QStringLiteral("新部品") + QString(24, u' '));
        QCOMPARE(box(3)->text(), numText(stored));
    }

    // A change nobody announced (written by something outside the program's notices) is still kept: the
    // save reads the record again and says which stored figure it kept.
    void changedUnannounced_data()
    {
        QTest::addColumn<Change>("change"); // made behind the window
        QTest::addColumn<QString>("kept");
        QTest::addColumn<double>("stock");
        QTest::addColumn<int>("supplier");
        QTest::addColumn<QString>("name");
        // clang-format off
        QTest::newRow("stock") << Change([] { ApplyStockChanges({{12, -6}}); })
                               << "在庫数量（100 → 94）" << 94.0 << 2 << "部品";
        QTest::newRow("supplier") << Change([] { changeItem12([](PurchaseItem& i) { i.SupplierNo = 7; i.SupplierName = "七番問屋"; }); })
                                  << "仕入先（2 二番商店 → 7 七番問屋）" << 100.0 << 7 << "部品";
        QTest::newRow("name") << Change([] { changeItem12([](PurchaseItem& i) { i.Name = "別名"; }); })
                              << "名称（部品 → 別名）" << 100.0 << 2 << "別名";
        // clang-format on
    }
    void changedUnannounced()
    {
        QFETCH(Change, change);
        QFETCH(QString, kept);
        storeItem(dir(), 12, QStringLiteral("部品"), 10, 100);
        choose(0, 12);
        type(QStringLiteral("B9"));
        change();
        QCOMPARE(box(3)->text(), QStringLiteral("100"));
        registerClick();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].split(u'\n').mid(1), QStringList{kept});
        const QByteArray r = item(12);
        QCOMPARE(txt(r, Off::Item::Category, 6), QStringLiteral("B9    "));
        QTEST(f64(r, Off::Item::StockQty), "stock");
        QTEST(int(i16(r, Off::Item::SupplierNo)), "supplier");
        QTEST(txt(r, Off::Item::Name, 30).trimmed(), "name");
    }

    // A stock change announced while the item is shown (a purchase saved) shows at once in an untouched box;
    // a box being typed in keeps its text.
    void stockNoticeFollows()
    {
        storeItem(dir(), 12, QStringLiteral("部品"), 10, 100);
        choose(0, 12);
        QVERIFY(ApplyStockChanges({{12, 30}}));
        Q_EMIT changes().stockChanged();
        QCOMPARE(box(3)->text(), QStringLiteral("130"));
        QVERIFY(focusOn(m_form, "fieldBoxes_3"));
        type("5");
        QVERIFY(ApplyStockChanges({{12, 1}}));
        Q_EMIT changes().stockChanged();
        QCOMPARE(box(3)->text(), QStringLiteral("5"));
        registerClick(); // answered with the default: keep the stored figure
        QCOMPARE(shown().size(), 1);
        QCOMPARE(storedStock(12), 131.0);
    }

    // Closing asks only for what was typed: stock that a sale changed meanwhile is no edit of the user's.
    void closeAsksForTypedEdits_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("typed, yes saves") << "B7" << 0 << true << "B7    ";
        QTest::newRow("typed, cancel stays") << "B7" << 2 << false << "A1    ";
        QTest::newRow("stock sold meanwhile") << "" << 2 << true << "A1    ";
    }
    void closeAsksForTypedEdits()
    {
        QFETCH(QString, typed);
        QFETCH(int, choice);
        QFETCH(bool, closed);
        choose(1, 50);
        QVERIFY(ApplyStockChanges({{150, -2}}));
        Q_EMIT changes().stockChanged();
        if (!typed.isEmpty()) {
            type(typed);
            MessageBox::setNextChoice(choice);
        }
        QTest::mouseClick(w<QPushButton>("closeButton"), Qt::LeftButton);
        QCOMPARE(m_form->isVisible(), !closed);
        QCOMPARE(shown().size(), typed.isEmpty() ? 0 : 1);
        QTEST(txt(item(150), Off::Item::Category, 6), "stored");
        QCOMPARE(storedStock(150), 5.0);
    }

    void failedWriteIsReported()
    {
        choose(1, 50);
        registerClick(); // saved once: the status line says so until a save fails
        type("C");
        QFile::remove(dir().file("zaiko.dat"));
        QVERIFY(QDir(dir().path()).mkdir("zaiko.dat"));
        registerClick();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("zaiko.dat")));
        QVERIFY(w<QLabel>("statusLine")->text().isEmpty());
        QCOMPARE(m_form->tabs->grid(1)->text(50, 1).trimmed(), QStringLiteral("とても長い名前の部品"));
        // Choosing an item the file cannot give says so too.
        clickCell(m_form->tabs->grid(1), 50, 1);
        const QStringList read = shown();
        QCOMPARE(read.size(), 1);
        QVERIFY(read[0].contains(QStringLiteral("zaiko.dat")));
    }
};

QTEST_MAIN(TestPurchaseItemWindow)
#include "tst_purchaseitemwindow.moc"
