// The purchase slip window driven with the clerk's keys and clicks, checked against the files on disk.
#include "../common/windowtest.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "purchasing/purchaseentry.h"
#include "purchasing/purchaseslipwindow.h"
#include "storage/changes.h"
#include "storage/purchaseslip.h"
#include "storage/settings.h"
#include "storage/supplier.h"
#include "storage/text.h"
#include "widgets/fieldfocus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

namespace {

constexpr double Stock5 = 20;
constexpr double Stock6 = 3;

bool saveSupplier(int n, const QString& name, const QString& phone, int taxType)
{
    Supplier s;
    s.Name = name;
    s.Phone = phone;
    s.TaxType = int16_t(taxType);
    return bool(WriteSupplier(n, s));
}

// A stored slip as the window stores one, with a chosen date and possibly a damaged number field.
QByteArray slipImage(const QString& date, int32_t slipNoField, double total, bool deleted = false)
{
    PurchaseSlipRecord slip;
    slip.Date = date;
    slip.Time = QStringLiteral("08:30:00");
    slip.SlipNo = slipNoField;
    slip.Line[1] = {5, QStringLiteral("ねじ"), 10, 4, 40};
    slip.Subtotal = slip.Total = total;
    slip.Deleted = deleted ? 1 : 0;
    return EncodePurchaseSlip(slip);
}

} // namespace

class TestPurchaseSlipWindow : public WindowTest
{
    Q_OBJECT

private:
    PurchaseSlipWindow* m_form = nullptr;

    PurchaseSlipWindow* openForm() { return m_form = openWindow<PurchaseSlipWindow>(); }
    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form, name); }
    QString text(const QString& name) const { return w(name)->text(); }
    void focusOn(const QString& name) { QVERIFY(::focusOn(m_form, name)); }
    void click(const QString& button) { QTest::mouseClick(w<QPushButton>(button), Qt::LeftButton); }
    // On the line whose item number box has the focus: item, Enter, price (empty: the proposed one), Enter,
    // quantity, Enter.
    void keyLine(int item, const QString& price, const QString& qty)
    {
        type(QString::number(item));
        press(Qt::Key_Return);
        if (!price.isEmpty())
            type(price);
        press(Qt::Key_Return);
        type(qty);
        press(Qt::Key_Return);
    }
    // The supplier typed by hand, then the lines from line 1 on, then F12.
    void saveSlip(const QList<std::tuple<int, QString, QString>>& lines,
                  const QString& supplier = QStringLiteral("山田商店"))
    {
        focusOn(QStringLiteral("supplierNameBox"));
        type(supplier);
        press(Qt::Key_Return);
        type(QStringLiteral("03-1234-5678"));
        press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_0"));
        for (const auto& [item, price, qty] : lines)
            keyLine(item, price, qty);
        press(Qt::Key_F12);
    }
    QByteArray slip(qint64 n) const { return record(dir().bytes(QStringLiteral("siire.dat")), n, Off::Purchase::Size); }
    // The slip list of this month, opened with F10 from the supplier name.
    void openSlipList()
    {
        focusOn(QStringLiteral("supplierNameBox"));
        press(Qt::Key_F10);
        QVERIFY(m_form->slipListOpen());
        QCOMPARE(focusedName(), QStringLiteral("slipGrid"));
    }
    // A stored slip brought back into the entry for correction.
    void recallSlip(qint64 slipNo)
    {
        openSlipList();
        clickSlipRow(slipNo);
        click(QStringLiteral("correctButton"));
    }
    void clickSlipRow(qint64 slipNo)
    {
        auto* grid = w<Grid>(QStringLiteral("slipGrid"));
        const int row = int(m_form->slipRowMap().indexOf(slipNo));
        QVERIFY2(row >= 1, "slip not listed");
        grid->setCurrentRow(row);
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_form->selectedSlipNo(), slipNo);
    }
    void pickSupplier(int p)
    {
        click(QStringLiteral("supplierListButton"));
        QVERIFY(m_form->supplierListOpen());
        auto* list = w<QListWidget>(QStringLiteral("supplierList"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(p)).center());
        QVERIFY(!m_form->supplierListOpen());
    }
    QString sysIniLine(int n) const
    {
        return QString::fromLatin1(dir().bytes(QStringLiteral("sys.ini")).split('\n').value(n - 1).trimmed());
    }
    QStringList lineTexts() const
    {
        QStringList texts;
        for (const char* box : {"lineCodeBoxes", "lineNameBoxes", "linePriceBoxes", "lineQtyBoxes", "lineAmountBoxes"})
            for (int k = 0; k < 10; ++k)
                texts << text(QStringLiteral("%1_%2").arg(QLatin1String(box)).arg(k));
        return texts;
    }

    void setUp() override
    {
        SysNum[11] = 0.05;
        TaxSwitch = 0;
        QVERIFY(setStock(5, Stock5, QStringLiteral("ねじ"), 12));
        QVERIFY(setStock(6, Stock6, QStringLiteral("釘"), 8));
        QVERIFY(setStock(400, 0, QStringLiteral("最後の品"), 99));
        QVERIFY(saveSupplier(1, QStringLiteral("外税商事"), QStringLiteral("03-1111"), 1));
        QVERIFY(saveSupplier(2, QStringLiteral("内税商店"), QStringLiteral("06-2222"), 2));
    }
    void tearDown() override
    {
        delete m_form;
        m_form = nullptr;
    }

private Q_SLOTS:
    void startState()
    {
        SysNum[4] = 7;
        openForm();
        QCOMPARE(m_form->size(), QSize(twips(15240), twips(10890)));
        QCOMPARE(text("slipNoBox"), QStringLiteral("7"));
        const QDate today = QDate::currentDate();
        QCOMPARE(w<QComboBox>("yearBox")->currentText(), today.toString(QStringLiteral("yyyy")));
        QCOMPARE(w<QComboBox>("monthBox")->currentText(), today.toString(QStringLiteral("MM")));
        QCOMPARE(w<QComboBox>("dayBox")->currentText(), today.toString(QStringLiteral("dd")));
        QCOMPARE(w<QComboBox>("listMonthBox")->currentText(), today.toString(QStringLiteral("MM")));
        // The year lists reach next year, so this year can be picked.
        for (const char* name : {"yearBox", "listYearBox"}) {
            auto* years = w<QComboBox>(QLatin1String(name));
            QCOMPARE(years->itemText(0), QStringLiteral("2005"));
            QCOMPARE(years->itemText(years->count() - 1), QString::number(today.year() + 1));
        }
        QVERIFY(!m_form->slipListOpen());
        QVERIFY(!m_form->supplierListOpen());
        QCOMPARE(focusedName(), QStringLiteral("supplierNameBox"));
        QCOMPARE(background(w("supplierNameBox")), EditingColour);
        // Line 10 is numbered in full-width digits as every line is, both of them in view.
        QCOMPARE(text("lineNumberBoxes_9"), QStringLiteral("１０"));
        QCOMPARE(w("lineNumberBoxes_9")->cursorPosition(), 0);
        QVERIFY(w("lineNumberBoxes_9")->fontMetrics().horizontalAdvance(QStringLiteral("１０")) <
                w("lineNumberBoxes_9")->contentsRect().width());
        auto* picker = w<Grid>("itemGrid");
        QCOMPARE(picker->rows(), 101);
        QCOMPARE(picker->text(0, 3), QStringLiteral("在庫数量"));
        QCOMPARE(picker->text(5, 1), QStringLiteral("ねじ").leftJustified(28, u' ')); // 30 bytes as stored
        QCOMPARE(picker->text(5, 2), QStringLiteral("12"));
        QCOMPARE(picker->text(5, 3), QStringLiteral("20"));
        // Every column in view without scrolling sideways.
        int columns = 0;
        for (int c = 0; c < picker->cols(); ++c)
            columns += picker->columnWidth(c);
        QVERIFY2(columns <= picker->viewport()->width(), qPrintable(QString::number(columns)));
        QVERIFY(picker->columnWidth(3) > picker->fontMetrics().horizontalAdvance(QStringLiteral("在庫数量")));
        // Screen readers and automation find every input, button, list and grid by name.
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    void firstSlipIsNumberOne()
    {
        openForm();
        QCOMPARE(text("slipNoBox"), QStringLiteral("1"));
        saveSlip({{5, QString(), QStringLiteral("2")}});
        QCOMPARE(shown(), QStringList());
        const QByteArray r = slip(1);
        QCOMPARE(dir().bytes(QStringLiteral("siire.dat")).size(), 1024);
        // What was keyed, with today's date; the layout itself is the record tests' business.
        QCOMPARE(i32(r, Off::Purchase::SlipNo), 1);
        QCOMPARE(txt(r, Off::Purchase::Date, 10), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        QCOMPARE(txt(r, Off::Purchase::SupplierPhone, 12), QStringLiteral("03-1234-5678"));
        QCOMPARE(i16(r, Off::Purchase::line(1) + Off::Line::UnitPrice), 12);
        QCOMPARE(f64(r, Off::Purchase::Total), 24.0);
        // The counter is on disk at once.
        QCOMPARE(sysIniLine(4), QStringLiteral("2"));
        QCOMPARE(storedStock(5), Stock5 + 2);
        // Cleared for the next delivery, the picker showing the new stock.
        QCOMPARE(text("slipNoBox"), QStringLiteral("2"));
        QCOMPARE(text("lineCodeBoxes_0"), QString());
        QCOMPARE(text("supplierNameBox"), QString());
        QCOMPARE(focusedName(), QStringLiteral("supplierNameBox"));
        QCOMPARE(w<Grid>("itemGrid")->text(5, 3), QStringLiteral("22"));
    }

    void sameItemTwiceThenDeleted_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void sameItemTwiceThenDeleted()
    {
        QFETCH(bool, yes);
        openForm();
        saveSlip({{5, QString(), QStringLiteral("2")}, {5, QString(), QStringLiteral("3")}});
        QCOMPARE(storedStock(5), Stock5 + 5);

        openSlipList();
        clickSlipRow(1);
        MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        QSignalSpy announced(&changes(), &Changes::purchaseSlipsChanged); // other slip lists follow
        click(QStringLiteral("deleteButton"));
        QCOMPARE(shown(), QStringList{QStringLiteral("削除しますか。")});
        QCOMPARE(announced.count(), yes ? 1 : 0);
        QVERIFY(!m_form->slipListOpen());
        QCOMPARE(storedStock(5), yes ? Stock5 : Stock5 + 5);
        QCOMPARE(i16(slip(1), Off::Purchase::Deleted), yes ? 1 : 0);
        QCOMPARE(m_form->slipSelected(), !yes);
        // Either way the entry is clear again, and nothing is left to give back.
        QCOMPARE(text("lineCodeBoxes_0"), QString());
        QVERIFY(!m_form->correctionMode());
        QCOMPARE(m_form->recalledQty()[5], 0.0);
        QCOMPARE(w<Grid>("itemGrid")->text(5, 3), numText(storedStock(5)));
        // End in the month box closes the list and drops the choice.
        openSlipList();
        clickSlipRow(1);
        focusOn(QStringLiteral("listMonthBox"));
        press(Qt::Key_End);
        QVERIFY(!m_form->slipListOpen());
        QVERIFY(!m_form->slipSelected());
        QCOMPARE(focusedName(), QStringLiteral("supplierNameBox"));
    }

    // A recalled slip reads as typed (names from their first character, without the padding of the field;
    // nothing on lines without an item), and its correction moves the stock by the difference.
    void correctionMovesStock()
    {
        openForm();
        saveSlip({{5, QStringLiteral("100"), QStringLiteral("10")}}, QStringLiteral("さくら養鶏場　本店"));
        QCOMPARE(storedStock(5), Stock5 + 10);
        recallSlip(1);
        QVERIFY(m_form->correctionMode());
        QCOMPARE(m_form->recalledQty()[5], 10.0);
        QCOMPARE(text("slipNoBox"), QStringLiteral("1"));
        QCOMPARE(text("supplierNameBox"), QStringLiteral("さくら養鶏場　本店"));
        QCOMPARE(text("lineNameBoxes_0"), QStringLiteral("ねじ"));
        for (const char* box : {"supplierNameBox", "lineNameBoxes_0"})
            QCOMPARE(w(QLatin1String(box))->cursorPosition(), 0);
        QCOMPARE(text("lineCodeBoxes_0"), QStringLiteral("5"));
        QCOMPARE(text("lineQtyBoxes_0"), QStringLiteral("10"));
        QCOMPARE(text("lineAmountBoxes_0"), QStringLiteral("1000"));
        QCOMPARE(text("supplierNoBox"), QStringLiteral("0")); // typed by hand, not picked
        QCOMPARE(text("totalBoxes_1"), QStringLiteral("0"));
        QCOMPARE(text("totalBoxes_2"), QStringLiteral("1000"));
        for (const char* box : {"lineCodeBoxes_1", "linePriceBoxes_1", "lineQtyBoxes_1", "lineAmountBoxes_9"})
            QCOMPARE(text(QLatin1String(box)), QString());

        focusOn(QStringLiteral("lineCodeBoxes_0"));
        keyLine(6, QString(), QStringLiteral("7"));
        press(Qt::Key_F12);
        QCOMPARE(shown(), QStringList());
        QCOMPARE(storedStock(5), Stock5);
        QCOMPARE(storedStock(6), Stock6 + 7);
        QCOMPARE(dir().bytes(QStringLiteral("siire.dat")).size(), 1024);
        const QByteArray r = slip(1);
        QCOMPARE(i32(r, Off::Purchase::SlipNo), 1);
        QCOMPARE(i16(r, Off::Purchase::line(1) + Off::Line::ProductNo), 6);
        QCOMPARE(i16(r, Off::Purchase::line(1) + Off::Line::Qty), 7);
        QCOMPARE(f64(r, Off::Purchase::line(1) + Off::Line::Amount), 56.0);
        QCOMPARE(sysIniLine(4), QStringLiteral("2"));
        QVERIFY(!m_form->correctionMode());
        QCOMPARE(text("slipNoBox"), QStringLiteral("2"));
    }

    void escapeAbandonsCorrection()
    {
        openForm();
        saveSlip({{5, QString(), QStringLiteral("10")}});
        const QByteArray siire = dir().bytes(QStringLiteral("siire.dat"));
        const QByteArray zaiko = dir().bytes(QStringLiteral("zaiko.dat"));
        recallSlip(1);
        focusOn(QStringLiteral("lineQtyBoxes_0"));
        type(QStringLiteral("3"));
        press(Qt::Key_Left);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_0"));
        press(Qt::Key_Escape);
        QVERIFY(!m_form->correctionMode());
        QCOMPARE(dir().bytes(QStringLiteral("siire.dat")), siire);
        QCOMPARE(dir().bytes(QStringLiteral("zaiko.dat")), zaiko);
        QCOMPARE(text("slipNoBox"), QStringLiteral("2"));
        QCOMPARE(text("lineQtyBoxes_0"), QString());
    }

    void taxFollowsPickedSupplier_data()
    {
        QTest::addColumn<int>("supplier");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("total");
        // clang-format off
        QTest::newRow("外税 1010") << 0 << "1010" << "51" << "1061";
        QTest::newRow("外税 1009") << 0 << "1009" << "50" << "1059";
        QTest::newRow("内税 1010") << 1 << "1010" << "0" << "1010";
        // clang-format on
    }
    void taxFollowsPickedSupplier()
    {
        QFETCH(int, supplier);
        QFETCH(QString, price);
        QFETCH(QString, tax);
        QFETCH(QString, total);
        TaxSwitch = supplier == 0 ? 0 : 1; // the pick, not what was there before, decides
        openForm();
        pickSupplier(supplier);
        QCOMPARE(text("supplierNoBox"), QString::number(supplier + 1));
        // Shown without the blanks that pad the stored 30 bytes.
        QCOMPARE(text("supplierNameBox"), supplier == 0 ? QStringLiteral("外税商事") : QStringLiteral("内税商店"));
        QCOMPARE(focusedName(), QStringLiteral("supplierNameBox"));
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        keyLine(5, price, QStringLiteral("1"));
        QCOMPARE(text("totalBoxes_0"), price);
        QCOMPARE(text("totalBoxes_1"), tax);
        QCOMPARE(text("totalBoxes_2"), total);
        press(Qt::Key_F12);
        const QByteArray r = slip(1);
        QCOMPARE(i16(r, Off::Purchase::SupplierNo), supplier + 1);
        QCOMPARE(f64(r, Off::Purchase::Subtotal), val(price));
        QCOMPARE(f64(r, Off::Purchase::Tax), val(tax));
        QCOMPARE(f64(r, Off::Purchase::Total), val(total));
        // The switch belongs to the running program: a hand-typed supplier in a reopened window keeps it.
        press(Qt::Key_End);
        QVERIFY(!m_form->isVisible());
        delete m_form;
        openForm();
        saveSlip({});
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        keyLine(5, price, QStringLiteral("1"));
        QCOMPARE(text("totalBoxes_1"), tax);
    }

    // An open supplier list follows a supplier registered meanwhile.
    void supplierListFollowsRegistration()
    {
        openForm();
        click(QStringLiteral("supplierListButton"));
        QVERIFY(saveSupplier(2, QStringLiteral("新名商店"), QString(), 2));
        Q_EMIT changes().suppliersChanged();
        QVERIFY(
            w<QListWidget>(QStringLiteral("supplierList"))->item(1)->text().startsWith(QStringLiteral("2-新名商店")));
    }

    // Amounts unrounded, the green label following the line; Enter on line 10 stays there.
    void linesAndTheirLabels()
    {
        openForm();
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        keyLine(5, QStringLiteral("12.5"), QStringLiteral("3"));
        QCOMPARE(text("lineAmountBoxes_0"), QStringLiteral("37.5"));
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        QCOMPARE(background(w("lineNumberBoxes_1")), EditingColour);
        QCOMPARE(background(w("lineNumberBoxes_0")), IdleColour);
        focusOn(QStringLiteral("lineCodeBoxes_9"));
        keyLine(6, QStringLiteral("20"), QStringLiteral("2"));
        QCOMPARE(focusedName(), QStringLiteral("lineQtyBoxes_9"));
        QCOMPARE(text("totalBoxes_0"), QStringLiteral("77.5"));
        QCOMPARE(background(w("lineNumberBoxes_9")), EditingColour);
        press(Qt::Key_Down);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_9"));
        press(Qt::Key_Home);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_0"));
        QCOMPARE(background(w("lineNumberBoxes_0")), EditingColour);
        QCOMPARE(background(w("lineNumberBoxes_9")), IdleColour);
        press(Qt::Key_F12);
        QCOMPARE(f64(slip(1), Off::Purchase::line(1) + Off::Line::Amount), 37.5);
        QCOMPARE(i16(slip(1), Off::Purchase::line(1) + Off::Line::UnitPrice), 12); // 12.5 to the even 12
    }

    void functionKeysSwitchPicker_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("group");
        const char* boxes[] = {"supplierNameBox", "supplierPhoneBox", "lineCodeBoxes_3", "linePriceBoxes_3",
                               "lineQtyBoxes_3"};
        for (const char* box : boxes)
            for (int g = 0; g < 4; ++g)
                QTest::addRow("%s F%d", box, g + 1) << QString::fromLatin1(box) << g;
    }
    void functionKeysSwitchPicker()
    {
        QFETCH(QString, box);
        QFETCH(int, group);
        openForm();
        focusOn(QStringLiteral("supplierNameBox"));
        type(QStringLiteral("山田"));
        focusOn(QStringLiteral("lineCodeBoxes_3"));
        keyLine(5, QStringLiteral("7"), QStringLiteral("2"));
        const QStringList before = lineTexts();
        focusOn(box);
        press(Qt::Key(Qt::Key_F1 + group));
        QCOMPARE(m_form->currentItemGroup(), group);
        QCOMPARE(w<Grid>("itemGrid")->text(1, 0), QString::number(100 * group + 1));
        QCOMPARE(w<Grid>("itemGrid")->text(100, 3), group == 3 ? QStringLiteral("0") : QString(u'0'));
        QCOMPARE(lineTexts(), before);
        QCOMPARE(text("supplierNameBox"), QStringLiteral("山田"));
        QCOMPARE(focusedName(), box);
        // The group buttons do the same and put the clerk on line 1.
        click(QStringLiteral("itemGroupButtons_%1").arg(3 - group));
        QCOMPARE(m_form->currentItemGroup(), 3 - group);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_0"));
    }

    void itemNumberBox_data()
    {
        // clang-format off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("0") << "0" << "";
        QTest::newRow("401") << "401" << "";
        QTest::newRow("letters") << "abc" << "";
        QTest::newRow("400") << "400" << "400";
        QTest::newRow("1") << "1" << "1";
        // clang-format on
    }
    void itemNumberBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        openForm();
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        type(typed);
        QCOMPARE(text("lineCodeBoxes_0"), kept);
        if (kept == QStringLiteral("1"))
            return; // the lowest number stands; what Enter does with it is the 400 row's case
        press(Qt::Key_Return);
        if (kept.isEmpty()) {
            QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_0"));
            // A price or quantity cannot stand on a line without an item.
            for (const char* box : {"linePriceBoxes_0", "lineQtyBoxes_0"}) {
                focusOn(QLatin1String(box));
                type(QStringLiteral("5"));
                QCOMPARE(text(QLatin1String(box)), QString());
            }
        } else {
            QCOMPARE(text("lineNameBoxes_0").trimmed(), QStringLiteral("最後の品"));
            QCOMPARE(text("linePriceBoxes_0"), QStringLiteral("99"));
            QCOMPARE(focusedName(), QStringLiteral("linePriceBoxes_0"));
        }
    }

    // The list and the correction go by record number, whatever a damaged number field says.
    void correctionWritesTheRecordItRead()
    {
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
        dir().writeBytes(QStringLiteral("siire.dat"),
                         slipImage(today, 1, 40) + slipImage(today, 2, 40) + slipImage(today, 77, 40));
        SysNum[4] = 4;
        openForm();
        openSlipList();
        QCOMPARE(m_form->slipRowMap(), (QList<qint64>{0, 1, 2, 3}));
        clickSlipRow(3);
        click(QStringLiteral("correctButton"));
        QCOMPARE(text("slipNoBox"), QStringLiteral("3"));
        focusOn(QStringLiteral("lineQtyBoxes_0"));
        type(QStringLiteral("6"));
        press(Qt::Key_Return);
        press(Qt::Key_F12);
        QCOMPARE(shown(), QStringList());
        QCOMPARE(dir().bytes(QStringLiteral("siire.dat")).size(), 3 * 1024);
        QCOMPARE(i32(slip(3), Off::Purchase::SlipNo), 3);
        QCOMPARE(i16(slip(3), Off::Purchase::line(1) + Off::Line::Qty), 6);
        QCOMPARE(storedStock(5), Stock5 + 6 - 4);
    }

    void refusedSaveLeavesEverything_data()
    {
        // clang-format off
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("price 32768") << "linePriceBoxes_1" << "32768" << "2 行目の単価が大きすぎます（-32768～32767）。";
        QTest::newRow("month 13") << "monthBox" << "13" << "日付の月「13」は 1 から 12 で入力してください。";
        QTest::newRow("31 April") << "dayBox" << "31" << "日付の日「31」が正しくありません。";
        QTest::newRow("year not a number") << "yearBox" << "20x4" << "日付の年「20x4」は 4 桁の数字で入力してください。";
        // clang-format on
    }
    void refusedSaveLeavesEverything()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        openForm();
        w<QComboBox>("monthBox")->setEditText(QStringLiteral("04"));
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        keyLine(5, QStringLiteral("10"), QStringLiteral("2"));
        keyLine(6, QStringLiteral("10"), QStringLiteral("2"));
        const QByteArray zaiko = dir().bytes(QStringLiteral("zaiko.dat"));
        const QByteArray ini = dir().bytes(QStringLiteral("sys.ini"));
        if (auto* combo = m_form->findChild<QComboBox*>(box)) {
            combo->setEditText(typed);
        } else {
            focusOn(box);
            type(typed);
        }
        focusOn(QStringLiteral("lineCodeBoxes_0"));
        press(Qt::Key_F12);
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(message), qPrintable(boxes[0]));
        QVERIFY(!QFile::exists(dir().file(QStringLiteral("siire.dat"))));
        QCOMPARE(dir().bytes(QStringLiteral("zaiko.dat")), zaiko);
        QCOMPARE(dir().bytes(QStringLiteral("sys.ini")), ini);
        QCOMPARE(SysNum[4], 1.0);
        // The entry stays for the clerk to put right.
        QCOMPARE(text("lineCodeBoxes_1"), QStringLiteral("6"));
        QCOMPARE(text("slipNoBox"), QStringLiteral("1"));
    }
};

QTEST_MAIN(TestPurchaseSlipWindow)
#include "tst_purchaseslipwindow.moc"
