// The product settings window driven as the shopkeeper does, checked against syohin.dat; its purchase item
// list; a product registered here and sold at the register.
#include "../common/windowtest.h"

#include "masters/productwindow.h"
#include "masters/purchaseitempicker.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "platform/printing.h"
#include "register/registerwindow.h"
#include "storage/changes.h"
#include "storage/jancode.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Product 237 in the file: two composition rows (300 and 120), slot 1's spare marked.
void storeProduct237()
{
    ClearProduct(237);
    ProductEntry& e = ProductTable[237];
    e.ClassCode = QStringLiteral("K1");
    e.ProductName = QStringLiteral("弁当");
    e.SalePrice = 500;
    e.CostPrice = QStringLiteral("420");
    e.Slot[1] = {12, 7, QStringLiteral("ごはん"), 2, 150, 300};
    e.Slot[2] = {30, 0, QStringLiteral("おかず"), 1, 120, 120};
    QVERIFY(SaveProduct(237));
}

} // namespace

class TestProductWindow : public WindowTest
{
    Q_OBJECT

private:
    ProductWindow* m_form = nullptr;

    QByteArray product(int n) const { return record(dir().bytes("syohin.dat"), n, Off::Product::Size); }
    QString text(const QString& name) const { return control(m_form, name)->text(); }
    void choose(int tab, int row)
    {
        m_form->tabs->setSelectedTab(tab);
        clickCell(m_form->tabs->grid(tab), row - 1, 1);
        QTRY_COMPARE(focusedName(), QStringLiteral("classCodeBox"));
    }
    void typeIn(const QString& box, const QString& keys)
    {
        QVERIFY(focusOn(m_form, box));
        type(keys);
    }
    void registerClick() { QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton); }
    // Each named box shows its text.
    void expectShown(std::initializer_list<std::pair<const char*, const char*>> boxes)
    {
        for (const auto& [name, shownText] : boxes)
            QCOMPARE(text(QLatin1String(name)), QString::fromUtf8(shownText));
    }

    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form, name); }
    void setUp() override
    {
        QVERIFY(InitPurchaseItemFile());
        QVERIFY(setStock(12, 100, QStringLiteral("ごはん"), 150));
        QVERIFY(setStock(30, 50, QStringLiteral("おかず"), 120));
        QVERIFY(setStock(105, 20, QStringLiteral("のり"), 35.5));
        for (int n = 1; n <= MaxProductEntries; ++n)
            ClearProduct(n);
        setProduct(1, QStringLiteral("りんご"), 150);
        QVERIFY(SaveAllProducts());
        storeProduct237();
        m_form = new ProductWindow;
        QVERIFY(showActive(m_form));
    }
    void tearDown() override
    {
        delete m_form;
        delete openInstance<PurchaseItemPicker>();
        delete openInstance<RegisterWindow>();
    }

private Q_SLOTS:
    void openState()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("商品設定"));
        QCOMPARE(m_form->tabs->caption(2), SysStr[3]);
        QCOMPARE(m_form->tabs->selectedTab(), 0);
        Grid* g = m_form->findChild<Grid*>("entryGrid_0");
        QCOMPARE(g->text(0, 1), QStringLiteral("商品名"));
        QCOMPARE(g->text(1, 1), ProductTable[1].ProductName);
        QCOMPARE(g->text(1, 2), QStringLiteral("150"));
        QCOMPARE(g->text(2, 2), QString()); // a number not in use has no price
        for (const char* box : {"salePriceBox", "costPriceBox"})
            QCOMPARE(w(QLatin1String(box))->alignment() & Qt::AlignRight, Qt::AlignRight);
        const QRect mark = w<QCheckBox>("reducedRateCheck")->geometry(), price = w("salePriceBox")->geometry();
        QVERIFY(mark.top() == price.top() && mark.left() > price.right()); // beside the selling price
        QCOMPARE(m_form->tabs->grid(2)->text(37, 0), QStringLiteral("237"));
        QVERIFY(text("productNoBox").isEmpty());
        QCOMPARE(focusedName(), QStringLiteral("classCodeBox"));
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    // Row 37 of the third tab is product 237, read again from the file before it is shown.
    void chooseRefreshesFromTheFile()
    {
        ProductTable[237].ProductName = QStringLiteral("古い名前");
        ProductTable[237].Slot[1].ComponentQty = 9;
        choose(2, 37);
        // Stored texts without the padding of their fields, each from its first character; an item number of 0
        // empties its row.
        // clang-format off
        expectShown({{"productNoBox", "237"}, {"classCodeBox", "K1"}, {"productNameBox", "弁当"}, {"salePriceBox", "500"},
                     {"costPriceBox", "420"}, {"componentNoBoxes_0", "12"}, {"componentNameBoxes_0", "ごはん"},
                     {"componentQtyBoxes_0", "2"}, {"componentPriceBoxes_0", "150"}, {"componentAmountBoxes_0", "300"},
                     {"componentNoBoxes_2", ""}, {"componentAmountBoxes_2", "0"}});
        // clang-format on
        for (const char* name : {"classCodeBox", "productNameBox", "componentNameBoxes_0"})
            QCOMPARE(w(QLatin1String(name))->cursorPosition(), 0);
        QCOMPARE(ProductTable[237].ProductName, QStringLiteral("弁当") + QString(26, u' '));
        QCOMPARE(ProductTable[237].Slot[1].ComponentQty, 2.0);
    }

    // Quantity × unit price gives the amount, and the cost price is the sum of the amounts.
    void amountsAndCostPrice_data()
    {
        QTest::addColumn<QStringList>("typed"); // quantity and price of row 1, then of row 2
        QTest::addColumn<QString>("amount1");
        QTest::addColumn<QString>("cost");
        // clang-format off
        QTest::newRow("2 x 150 and 120") << QStringList{"2", "150", "1", "120"} << "300" << "420";
        QTest::newRow("fractions") << QStringList{"0.5", "3", "3", "0.1"} << "1.5" << "1.8";
        QTest::newRow("text reads as 0") << QStringList{"abc", "150", "2", "10"} << "0" << "20";
        // Typed over the whole box, not after the 0 it showed.
        QTest::newRow("negative price") << QStringList{"2", "-150", "1", "120"} << "-300" << "-180";
        // clang-format on
    }
    void amountsAndCostPrice()
    {
        QFETCH(QStringList, typed);
        choose(0, 1);
        for (int i = 0; i < 4; ++i)
            typeIn(QStringLiteral("component%1Boxes_%2").arg(i % 2 ? "Price" : "Qty").arg(i / 2), typed[i]);
        QTEST(text("componentAmountBoxes_0"), "amount1");
        QTEST(text("costPriceBox"), "cost");
    }

    void eraseRowLowersCostPrice()
    {
        choose(2, 37);
        QTest::mouseClick(w<QPushButton>("eraseButtons_0"), Qt::LeftButton);
        // clang-format off
        expectShown({{"componentNoBoxes_0", ""}, {"componentNameBoxes_0", ""}, {"componentQtyBoxes_0", "0"},
                     {"componentPriceBoxes_0", "0"}, {"componentAmountBoxes_0", "0"}, {"costPriceBox", "120"}});
        // clang-format on
    }

    // "検索" on row 3 opens the item list; item 105 (second list, entry 5) fills row 3 with quantity 1.
    void searchFillsTheRow()
    {
        choose(2, 37);
        QTest::mouseClick(w<QPushButton>("searchButtons_2"), Qt::LeftButton);
        auto* list = openInstance<PurchaseItemPicker>();
        QVERIFY(list && list->isVisible());
        QCOMPARE(control<QListWidget>(list, "tabLists_2")->item(4)->text(),
                 QStringLiteral("105-のり") + QString(26, u' '));
        list->tabs->setSelectedTab(1);
        clickCell(control<QListWidget>(list, "tabLists_2"), 4);
        QTRY_VERIFY(!openInstance<PurchaseItemPicker>());
        // clang-format off
        expectShown({{"componentNoBoxes_2", "105"}, {"componentNameBoxes_2", "のり"}, {"componentQtyBoxes_2", "1"},
                     {"componentPriceBoxes_2", "35.5"}, {"componentAmountBoxes_2", "35.5"}, {"costPriceBox", "455.5"}});
        // clang-format on
    }

    void itemListEndsAtTheItemsInUse_data()
    {
        QTest::addColumn<double>("items");
        QTest::addColumn<int>("fourth");
        QTest::newRow("400") << 400.0 << 100;
        QTest::newRow("350") << 350.0 << 50;
        QTest::newRow("more than 400") << 1000.0 << 100;
    }
    void itemListEndsAtTheItemsInUse()
    {
        QFETCH(double, items);
        QFETCH(int, fourth);
        SysNum[5] = items;
        PurchaseItemPicker list;
        for (int j = 1; j <= 3; ++j)
            QCOMPARE(control<QListWidget>(&list, QStringLiteral("tabLists_%1").arg(j))->count(), 100);
        QCOMPARE(control<QListWidget>(&list, QStringLiteral("tabLists_%1").arg(4))->count(), fourth);
        QCOMPARE(control<QListWidget>(&list, QStringLiteral("tabLists_%1").arg(4))->item(0)->text(),
                 QStringLiteral("301-") + QString(30, u' '));
    }

    // Product 237 registered with a composition, a JAN code and "軽減税率" checked lands in record 237 alone, the
    // mark in the grid and, with a reduced rate in use, in the register's list; scanned twice at the register at
    // once, it sells and takes the slot quantity × the quantity sold from its item's stock. Unchecked again, the
    // record holds 0 as before.
    void registerThenSell()
    {
        SysNum[Sys::ReducedTaxRate] = 0.08;
        auto* reg = new RegisterWindow;
        QVERIFY(showActive(reg));
        QVERIFY(showActive(m_form));
        choose(2, 37);
        type("S9");
        press(Qt::Key_Return);
        type(QStringLiteral("特製弁当"));
        press(Qt::Key_Down);
        type("680");
        QTest::mouseClick(w<QPushButton>("eraseButtons_1"), Qt::LeftButton);
        typeIn("componentQtyBoxes_0", "3");
        typeIn("janCodeBox", "4901234567894");
        auto* box = control<QCheckBox>(m_form, "reducedRateCheck");
        QCOMPARE(box->accessibleName(), QStringLiteral("軽減税率"));
        QVERIFY(!box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        const QByteArray before = dir().bytes("syohin.dat");
        registerClick();
        QVERIFY(shown().isEmpty());
        QCOMPARE(w<QLabel>("statusLine")->text(), QStringLiteral("商品 237 を登録しました。"));

        const QByteArray after = dir().bytes("syohin.dat");
        QCOMPARE(after.size(), 400 * 512);
        QCOMPARE(after.left(236 * 512), before.left(236 * 512));
        QCOMPARE(after.mid(237 * 512), before.mid(237 * 512));
        const QByteArray r = product(237);
        // The boxes as typed; the offsets themselves are the record tests' business.
        QCOMPARE(txt(r, Off::Product::ClassCode, 6), QStringLiteral("S9    "));
        QCOMPARE(txt(r, Off::Product::Name, 30).trimmed(), QStringLiteral("特製弁当"));
        QCOMPARE(f64(r, Off::Product::SalePrice), 680.0);
        QCOMPARE(f64(r, Off::Product::CostPrice), 450.0);
        const int s1 = Off::Product::slot(1), s2 = Off::Product::slot(2);
        QCOMPARE(i16(r, s1 + Off::Product::SlotSpare), int16_t(7));
        QCOMPARE(f64(r, s1 + Off::Product::SlotQty), 3.0);
        QCOMPARE(i16(r, s2 + Off::Product::SlotItemNo), int16_t(0));
        QCOMPARE(i16(r, Off::Product::Reserved), int16_t(1));
        QCOMPARE(m_form->tabs->grid(2)->model()->index(36, 1).data().toString(), QStringLiteral("※特製弁当"));
        QCOMPARE(m_form->tabs->grid(2)->text(37, 2), QStringLiteral("680"));
        QCOMPARE(control<QListWidget>(reg, "productLists_3")->item(36)->text(), QStringLiteral("237   - ※特製弁当"));

        QVERIFY(showActive(reg));
        QVERIFY(::focusOn(reg, "lineCodeBoxes_1"));
        for (int scan = 0; scan < 2; ++scan) {
            type("4901234567894");
            press(Qt::Key_Return);
        }
        QCOMPARE(shown(), QStringList());
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(), QStringLiteral("237"));
        QCOMPARE(control(reg, "lineNameBoxes_1")->text(), QStringLiteral("特製弁当")); // the register's table followed
        QCOMPARE(control(reg, "linePriceBoxes_1")->text(), QStringLiteral("680"));
        QCOMPARE(control(reg, "lineQuantityBoxes_1")->text(), QStringLiteral("2"));
        press(Qt::Key_F12);
        QCOMPARE(storedStock(12), 100.0 - 3 * 2);
        QCOMPARE(storedStock(30), 50.0);

        // Chosen again, the box shows what the file holds.
        QVERIFY(showActive(m_form));
        choose(0, 1);
        QVERIFY(!box->isChecked());
        choose(2, 37);
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        registerClick();
        QCOMPARE(i16(product(237), Off::Product::Reserved), int16_t(0));
        QCOMPARE(control<QListWidget>(reg, "productLists_3")->item(36)->text(), QStringLiteral("237   - 特製弁当"));
    }

    // Numbers that cannot be stored are refused with the field named; nothing is written, the register's
    // table keeps the product as it was.
    void refusedNumbers_data()
    {
        // clang-format off
        QTest::addColumn<QStringList>("typed"); // box, keys, box, keys ...
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused"); // where the cashier is put back; empty: the button keeps it
        QTest::newRow("price not a number") << QStringList{"salePriceBox", "12a"} << "販売単価は数値で入力してください。" << "salePriceBox";
        QTest::newRow("price empty") << QStringList{"salePriceBox", ""} << "販売単価は数値で入力してください。" << "salePriceBox";
        QTest::newRow("price too large") << QStringList{"salePriceBox", "1e999"} << "販売単価は数値で入力してください。" << "salePriceBox";
        QTest::newRow("quantity too large") << QStringList{"componentQtyBoxes_1", "1e999"} << "商品構成 2 行目の数量に保存できない数値が入力されています。" << "componentQtyBoxes_1";
        QTest::newRow("unit price too large") << QStringList{"componentPriceBoxes_0", "-1e400"} << "商品構成 1 行目の単価に保存できない数値が入力されています。" << "componentPriceBoxes_0";
        QTest::newRow("amount too large") << QStringList{"componentQtyBoxes_0", "1e307"} << "商品構成 1 行目の金額が大きすぎて保存できません。" << "";
        // 1.5e308 + 1.68e308: each amount fits, their sum does not.
        QTest::newRow("cost price too large") << QStringList{"componentQtyBoxes_0", "1e306", "componentQtyBoxes_1", "1.4e306"} << "仕入単価が大きすぎて保存できません。" << "";
        // clang-format on
    }
    void refusedNumbers()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        choose(2, 37);
        for (qsizetype i = 0; i < typed.size(); i += 2) {
            QVERIFY(focusOn(m_form, typed[i]));
            control(m_form, typed[i])->clear();
            type(typed[i + 1]);
        }
        const QByteArray before = dir().bytes("syohin.dat");
        const QString nameBefore = ProductTable[237].ProductName;
        const QString rowBefore = m_form->tabs->grid(2)->text(37, 1);
        typeIn("productNameBox", QStringLiteral("別名"));
        registerClick();
        QCOMPARE(shown(), QStringList{message});
        QCOMPARE(dir().bytes("syohin.dat"), before);
        QCOMPARE(ProductTable[237].ProductName, nameBefore);
        QCOMPARE(m_form->tabs->grid(2)->text(37, 1), rowBefore);
        if (!focused.isEmpty())
            QCOMPARE(focusedName(), focused);
    }

    void keys_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("tab");
        QTest::newRow("Enter in class") << "classCodeBox" << int(Qt::Key_Return) << "productNameBox" << 2;
        QTest::newRow("Down in name") << "productNameBox" << int(Qt::Key_Down) << "salePriceBox" << 2;
        QTest::newRow("Enter in price") << "salePriceBox" << int(Qt::Key_Return) << "salePriceBox" << 2;
        QTest::newRow("Up in cost") << "costPriceBox" << int(Qt::Key_Up) << "salePriceBox" << 2;
        QTest::newRow("Up in class") << "classCodeBox" << int(Qt::Key_Up) << "classCodeBox" << 2;
        QTest::newRow("F1") << "productNameBox" << int(Qt::Key_F1) << "productNameBox" << 0;
        QTest::newRow("F4") << "salePriceBox" << int(Qt::Key_F4) << "salePriceBox" << 3;
    }
    void keys()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        QFETCH(int, tab);
        choose(2, 37);
        QCOMPARE(keyFrom(m_form, from, Qt::Key(key)), to);
        QCOMPARE(m_form->tabs->selectedTab(), tab);
    }

    void boxesTakeWhatFits()
    {
        choose(2, 37);
        type(QStringLiteral("分類X"));
        QCOMPARE(text("classCodeBox"), QStringLiteral("分類X"));
        type(QStringLiteral("品Y"));
        QCOMPARE(text("classCodeBox"), QStringLiteral("分類XY")); // 5 bytes; a full-width character would make 7
        press(Qt::Key_Return);
        type(QString(16, QChar(0x5F01)));
        QCOMPARE(text("productNameBox"), QString(15, QChar(0x5F01)));
    }

    // What the JAN code box takes as typed, and what "登録" stores at offset 392 or refuses with its message
    // (the record then unchanged).
    void janCode_data()
    {
        // clang-format off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");  // the box after typing
        QTest::addColumn<QString>("stored"); // digits at 392; "-" when the save is refused
        QTest::addColumn<QString>("message");
        QTest::newRow("EAN-13") << "4901234567894" << "4901234567894" << "4901234567894" << "";
        QTest::newRow("full-width digits") << "４９０１２３４５６７８９４" << "４９０１２３４５６７８９４" << "4901234567894" << "";
        QTest::newRow("empty removes") << "" << "" << "" << "";
        QTest::newRow("wrong check digit") << "4901234567890" << "4901234567890" << "-" << "チェックデジット";
        QTest::newRow("letters never get in") << "49a01b" << "4901" << "-" << "8 桁か 13 桁";
        QTest::newRow("blanks never get in") << "9638 5074" << "96385074" << "96385074" << "";
        QTest::newRow("14th digit never gets in") << "49012345678941" << "4901234567894" << "4901234567894" << "";
        // Saved for product 1 by another window after this one chose product 237.
        QTest::newRow("code of product 1") << "4006381333931" << "4006381333931" << "-" << "商品番号 1 の商品";
        // clang-format on
    }
    void janCode()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        ProductTable[237].JanCode = QStringLiteral("73513537");
        QVERIFY(SaveProduct(237));
        choose(2, 37);
        ProductTable[1].JanCode = QStringLiteral("4006381333931");
        QVERIFY(SaveProduct(1));
        const QByteArray before = dir().bytes("syohin.dat");
        QCOMPARE(text("janCodeBox"), QStringLiteral("73513537"));
        QVERIFY(focusOn(m_form, "janCodeBox"));
        retype(control(m_form, "janCodeBox"), typed);
        QTEST(text("janCodeBox"), "shown");
        registerClick();

        const QStringList boxes = shown();
        if (stored == u"-") {
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].contains(message), qPrintable(boxes[0]));
            QCOMPARE(dir().bytes("syohin.dat"), before);
            QCOMPARE(ProductTable[237].JanCode, QStringLiteral("73513537"));
            QCOMPARE(focusedName(), QStringLiteral("janCodeBox"));
            return;
        }
        QCOMPARE(boxes, QStringList());
        const QByteArray r = product(237);
        QCOMPARE(r.mid(392, 120), stored.toLatin1().leftJustified(120, ' '));
        QCOMPARE(r.left(392), before.mid(236 * 512, 392)); // the other fields as they were
        QCOMPARE(text("janCodeBox"), stored);
        QCOMPARE(ProductTable[237].JanCode, stored);
    }

    void autoCode()
    {
        QTest::mouseClick(w<QPushButton>("autoCodeButton"), Qt::LeftButton); // nothing chosen
        QCOMPARE(shown(), QStringList{QStringLiteral("表から番号を選択してください。")});
        QVERIFY(text("janCodeBox").isEmpty());
        choose(2, 37);
        QTest::mouseClick(w<QPushButton>("autoCodeButton"), Qt::LeftButton);
        QCOMPARE(text("janCodeBox"), QStringLiteral("0200000002374"));
        QCOMPARE(product(237).mid(392, 13), QByteArray(13, ' ')); // stored only by "登録"
        registerClick();
        QCOMPARE(shown(), QStringList());
        QCOMPARE(product(237).mid(392, 13), QByteArray("0200000002374"));
        // A product with a code keeps it.
        QTest::mouseClick(w<QPushButton>("autoCodeButton"), Qt::LeftButton);
        QCOMPARE(shown().size(), 1);
        QCOMPARE(text("janCodeBox"), QStringLiteral("0200000002374"));
    }

    // Labels of the products chosen in the grid or of every product with a code, as answered; Enter never
    // prints every product's labels. Read back from the PDF.
    void labelsReadBack_data()
    {
        QTest::addColumn<int>("rowsChosen"); // rows 1 and 2 of the first grid clicked
        QTest::addColumn<int>("choice");     // the button pressed; -1 Enter
        QTest::addColumn<QStringList>("codes");
        const QStringList all = {"0036000291452", "4006381333931", "4901234567894", "96385074"};
        QTest::newRow("none chosen: every product") << 0 << 0 << all;
        QTest::newRow("none chosen: Enter cancels") << 0 << -1 << QStringList();
        QTest::newRow("this product") << 1 << 0 << QStringList{"4006381333931"};
        QTest::newRow("two chosen: Enter prints them") << 2 << -1 << QStringList{"4006381333931", "96385074"};
        QTest::newRow("two chosen: every product") << 2 << 1 << all;
        QTest::newRow("two chosen: cancel") << 2 << 2 << QStringList();
    }
    void labelsReadBack()
    {
        QFETCH(int, rowsChosen);
        QFETCH(int, choice);
        QFETCH(QStringList, codes);
        const struct
        {
            int n;
            const char* code;
        } coded[] = {{1, "4006381333931"}, {2, "96385074"}, {237, "0036000291452"}, {400, "4901234567894"}};
        for (const auto& c : coded) { // 400: the last number in use
            if (ProductTable[c.n].ProductName.trimmed().isEmpty())
                setProduct(c.n, QStringLiteral("品%1").arg(c.n), 100 + c.n);
            ProductTable[c.n].JanCode = QString::fromLatin1(c.code);
            QVERIFY(SaveProduct(int16_t(c.n))); // choosing a row reads the product from the file again
        }
        Q_EMIT changes().productsChanged();
        Grid* grid = m_form->tabs->grid(0);
        if (rowsChosen > 0)
            clickCell(grid, 0, 1);
        if (rowsChosen > 1) {
            const QRect row2 = grid->visualRect(grid->model()->index(1, 1));
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, row2.center());
        }
        if (choice >= 0)
            MessageBox::setNextChoice(choice);
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("labels.pdf"));
        Printing::redirectToPdf(pdf);
        QTest::mouseClick(w<QPushButton>("printLabelsButton"), Qt::LeftButton);
        Printing::redirectToPdf(QString());
        QCOMPARE(shown().size(), 1);
        if (codes.isEmpty()) {
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QCOMPARE(barcodesInPdf(pdf), codes);
        const QString text = pdfPages(pdf).join(u'\n');
        QVERIFY2(text.contains(codes.size() == 1 ? QStringLiteral("りんご") : QStringLiteral("品2")), qPrintable(text));
    }

    void labelsWithoutCodes()
    {
        QTest::mouseClick(w<QPushButton>("printLabelsButton"), Qt::LeftButton);
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("JANコードのある商品がありません")));
    }

    // Closing with edits not registered asks: はい saves and closes, いいえ closes, キャンセル stays; a save that
    // is refused stays with its message. Without edits it closes unasked.
    void closeWithEdits_data()
    {
        // clang-format off
        QTest::addColumn<QString>("price"); // typed over the selling price; empty: nothing typed
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<double>("stored");
        QTest::newRow("yes saves") << "600" << 0 << true << 600.0;
        QTest::newRow("no discards") << "600" << 1 << true << 500.0;
        QTest::newRow("cancel stays") << "600" << 2 << false << 500.0;
        QTest::newRow("refused save stays") << "6x" << 0 << false << 500.0;
        QTest::newRow("nothing typed") << "" << 2 << true << 500.0;
        // clang-format on
    }
    void closeWithEdits()
    {
        QFETCH(QString, price);
        QFETCH(int, choice);
        QFETCH(bool, closed);
        choose(2, 37);
        if (!price.isEmpty()) {
            typeIn("salePriceBox", price);
            MessageBox::setNextChoice(choice);
        }
        QTest::mouseClick(w<QPushButton>("closeButton"), Qt::LeftButton);
        QCOMPARE(m_form->isVisible(), !closed);
        QCOMPARE(shown().size(), int(!price.isEmpty()) + int(price == u"6x"));
        QTEST(f64(product(237), Off::Product::SalePrice), "stored");
        if (!closed)
            QCOMPARE(text("salePriceBox"), price);
    }

    void failedWriteIsReported()
    {
        choose(2, 37);
        typeIn("productNameBox", QStringLiteral("新名"));
        const ProductEntry before = ProductTable[237];
        const QString rowBefore = m_form->tabs->grid(2)->text(37, 1);
        QFile::remove(dir().file("syohin.dat"));
        QVERIFY(QDir(dir().path()).mkdir("syohin.dat"));
        registerClick();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("syohin.dat")));
        QCOMPARE(ProductTable[237].ProductName, before.ProductName);
        QCOMPARE(m_form->tabs->grid(2)->text(37, 1), rowBefore);
    }
};

QTEST_MAIN(TestProductWindow)
#include "tst_productwindow.moc"
