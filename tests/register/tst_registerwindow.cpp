// The register window driven with the keys a cashier presses, checked against the files on disk.
#include "windowtest.h"

#include "datamgmt/backupwindow.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/modeless.h"
#include "platform/tabstrip.h"
#include "platform/twips.h"
#include "register/registerwindow.h"
#include "storage/changes.h"
#include "storage/jancode.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace {

const QColor LightGreen(0, 255, 0);
const QColor White(255, 255, 255);

// A sale paid at the counter: the keys, what the window shows, and what the slip stores.
struct Payment
{
    QString qty;
    int f5; // presses of F5
    QString tendered, method, firstChange, changeDue;
    int storedMethod;
    double storedTendered;
};

} // namespace

class TestRegisterWindow;
// Keys pressed on the form to bring it where a test starts.
using Keys = std::function<void(TestRegisterWindow*)>;
Q_DECLARE_METATYPE(Payment)
Q_DECLARE_METATYPE(Keys)

class TestRegisterWindow : public WindowTest
{
    Q_OBJECT

private:
    RegisterWindow* m_form = nullptr;

    void setUp() override
    {
        SysNum[Sys::TaxRate] = 0.05;
        setProduct(1, QStringLiteral("りんご"), 150);
        setProduct(5, QStringLiteral("セットA"), 350, {{12, 2}, {30, 1}});
        setProduct(7, QStringLiteral("部品売り"), 200, {{12, 1}});
        setStock(12, 100);
        setStock(30, 50);
    }
    void tearDown() override
    {
        delete m_form;
        m_form = nullptr;
    }

    RegisterWindow* openForm() { return m_form = openWindow<RegisterWindow>(); }
    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form, name); }
    QString text(const QString& name) const { return w(name)->text(); }
    void focusOn(const QString& name) { QVERIFY(::focusOn(m_form, name)); }
    // Code, Enter, quantity, Enter on the line that has the focus.
    void sell(int product, const QString& qty)
    {
        type(QString::number(product));
        press(Qt::Key_Return);
        type(qty);
        press(Qt::Key_Return);
    }
    // Digits and Enter, as a barcode scanner types them.
    void scan(const QString& code)
    {
        type(code);
        press(Qt::Key_Return);
    }
    // Products 21, 22 and 23 with an EAN-13, an EAN-8 and a UPC-A code.
    void setScannedProducts()
    {
        setProduct(21, QStringLiteral("緑茶"), 150);
        setProduct(22, QStringLiteral("ガム"), 100);
        setProduct(23, QStringLiteral("輸入菓子"), 300, {{30, 1}});
        ProductTable[21].JanCode = QStringLiteral("4901234567894");
        ProductTable[22].JanCode = QStringLiteral("96385074");
        ProductTable[23].JanCode = QStringLiteral("0036000291452");
        Q_EMIT changes().productsChanged();
    }
    QStringList lineTexts(int k) const
    {
        return {text(QStringLiteral("lineCodeBoxes_%1").arg(k)),
                text(QStringLiteral("lineNameBoxes_%1").arg(k)).trimmed(),
                text(QStringLiteral("linePriceBoxes_%1").arg(k)), text(QStringLiteral("lineQuantityBoxes_%1").arg(k)),
                text(QStringLiteral("lineAmountBoxes_%1").arg(k))};
    }
    double stock(int item) const { return storedStock(item); }
    QByteArray slip(qint64 n) const { return record(dir().bytes("reg.dat"), n, Off::Sales::Size); }
    void clickSlipRow(qint64 slipNo)
    {
        auto* grid = w<Grid>("slipGrid");
        const int row = int(m_form->state().gridSlipNos.indexOf(slipNo));
        QVERIFY2(row >= 1, "slip not listed");
        grid->setCurrentRow(row);
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // The recall panel for a month, opened with F9 from the code field of line 1.
    void openMonth(const QString& year, const QString& month)
    {
        w<QComboBox>("recallYearBox")->setEditText(year);
        w<QComboBox>("recallMonthBox")->setEditText(month);
        focusOn("lineCodeBoxes_1");
        press(Qt::Key_F9);
        QVERIFY(m_form->recallPanelOpen());
    }

private Q_SLOTS:
    void startState_data()
    {
        QTest::addColumn<double>("taxSwitch");
        QTest::addColumn<QString>("taxCaption");
        QTest::addColumn<QString>("taxText");
        QTest::addColumn<bool>("taxInBox");
        QTest::newRow("tax on") << 1.0 << QStringLiteral("内消費税等") << QStringLiteral("0") << true;
        QTest::newRow("tax off") << 0.0 << QString() << QString() << false;
    }
    void startState()
    {
        QFETCH(double, taxSwitch);
        SysNum[Sys::SalesTaxSwitch] = taxSwitch;
        SysNum[Sys::NextSalesSlipNo] = 42;
        // A name that fills its 30 bytes, with the mark of the reduced rate before it.
        SysNum[Sys::ReducedTaxRate] = 0.08;
        setProduct(101, QStringLiteral("フランスパン（バゲット）   "), 10);
        ProductTable[101].Reduced = 1;
        openForm();

        QCOMPARE(m_form->size(), QSize(twips(15240), twips(10890)));
        QCOMPARE(text("slipNoBox"), QStringLiteral("42"));
        for (const char* name : {"totalBox", "change10000Box", "change5000Box", "change1000Box", "change500Box"})
            QCOMPARE(text(name), QStringLiteral("0"));
        QCOMPARE(text("weatherBox"), QStringLiteral("1"));
        QCOMPARE(text("dateBox"), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        QVERIFY(!w("dateBox")->isEnabled());
        QVERIFY(QTime::fromString(text("timeBox"), QStringLiteral("hh:mm:ss")).isValid());
        QCOMPARE(text("lineNumberBoxes_10"), QStringLiteral("10"));
        QCOMPARE(w("lineQuantityBoxes_3")->accessibleName(), QStringLiteral("数量 3"));
        // Screen readers and automation find every input, button, list and grid by name.
        QCOMPARE(unnamedControls(m_form), QStringList());

        QTEST(w<QLabel>("containedTaxLabel")->text(), "taxCaption");
        QTEST(text("containedTaxBox"), "taxText");
        QTEST(w("containedTaxBox")->geometry().top() < w<QWidget>("totalPanel")->height(), "taxInBox");
        // The slip list's year list reaches next year, so this year's slips can be picked from it.
        auto* years = w<QComboBox>("recallYearBox");
        QCOMPARE(years->itemText(0), QStringLiteral("2005"));
        QCOMPARE(years->itemText(years->count() - 1), QString::number(QDate::currentDate().year() + 1));

        QCOMPARE(w<TabStrip>("productTabs")->caption(3), SysStr[Sys::FirstGroupCaption + 3]);
        auto* list1 = w<QListWidget>("productLists_1");
        QCOMPARE(list1->count(), 100);
        QCOMPARE(list1->item(0)->text(), QStringLiteral("1     - りんご"));
        auto* list2 = w<QListWidget>("productLists_2");
        QCOMPARE(list2->item(0)->text(), QStringLiteral("101   - ※フランスパン（バゲット）"));
        QCOMPARE(list2->textElideMode(), Qt::ElideNone); // never cut short with "…"
        QCOMPARE(w<QListWidget>("productLists_4")->item(99)->text().left(8), QStringLiteral("400   - "));

        QVERIFY(!m_form->recallPanelOpen());
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        QCOMPARE(background(w("lineNumberBoxes_1")), LightGreen);
        QCOMPARE(background(w("lineNumberBoxes_2")), White);
        w("timeBox")->clear(); // the clock ticks
        QTRY_VERIFY_WITH_TIMEOUT(!text("timeBox").isEmpty(), 1500);
    }

    // What a sold line shows and where the focus goes; the figures themselves are the slip entry's.
    void lineTotals_data()
    {
        QTest::addColumn<double>("price");
        QTest::addColumn<QString>("qty");
        QTest::addColumn<QString>("amount"); // typed figures and the line amounts keep plain digits
        QTest::addColumn<QString>("total");  // figures only shown are grouped
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QStringList>("change");
        // clang-format off
        QTest::newRow("99.5 x 3") << 99.5 << "3" << "298.5" << "298.5" << "14" << QStringList{"9,701.5", "4,701.5", "701.5", "201.5"};
        QTest::newRow("1050 tax 50") << 1050.0 << "1" << "1050" << "1,050" << "50" << QStringList{"8,950", "3,950", "-----", "-----"};
        QTest::newRow("return") << 150.0 << "-2" << "-300" << "-300" << "-14" << QStringList{"300", "", "", ""}; // given back
        QTest::newRow("tax grouped") << 30000.0 << "1" << "30000" << "30,000" << "1,429" << QStringList{"-----", "-----", "-----", "-----"};
        // clang-format on
    }
    void lineTotals()
    {
        QFETCH(double, price);
        QFETCH(QString, qty);
        setProduct(1, QStringLiteral("品"), price);
        openForm();
        sell(1, qty);
        QTEST(text("lineAmountBoxes_1"), "amount");
        QTEST(text("totalBox"), "total");
        QTEST(text("containedTaxBox"), "tax");
        QTEST((QStringList{text("change10000Box"), text("change5000Box"), text("change1000Box"), text("change500Box")}),
              "change");
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_2"));
        QCOMPARE(background(w("lineNumberBoxes_2")), LightGreen);
        QCOMPARE(background(w("lineNumberBoxes_1")), White);
    }

    // Three products scanned, the first twice in a row: it takes one line of quantity 2, each line is complete
    // without a key in between, and F12 stores the slip as keyed lines are stored.
    void scanThreeProductsOneTwice()
    {
        setScannedProducts();
        SysNum[Sys::NextSalesSlipNo] = 3;
        QVERIFY(SaveSettings());
        openForm();
        scan(QStringLiteral("4901234567894"));
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_2"));
        scan(QStringLiteral("4901234567894"));
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_2"));
        scan(QStringLiteral("96385074"));
        scan(QStringLiteral("036000291452")); // UPC-A: the EAN-13 with a leading 0
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_4"));
        QCOMPARE(lineTexts(1), (QStringList{"21", "緑茶", "150", "2", "300"}));
        QCOMPARE(lineTexts(2), (QStringList{"22", "ガム", "100", "1", "100"}));
        QCOMPARE(lineTexts(3), (QStringList{"23", "輸入菓子", "300", "1", "300"}));
        QCOMPARE(lineTexts(4), (QStringList{"", "", "", "", ""}));
        QCOMPARE(text("totalBox"), QStringLiteral("700")); // its tax and change: lineTotals, tst_slipentry
        QCOMPARE(shown(), QStringList());

        press(Qt::Key_F12);
        QCOMPARE(i16(slip(3), Off::Sales::line(1) + Off::Line::Qty), int16_t(2));
        QCOMPARE(f64(slip(3), Off::Sales::Total), 700.0);
        QCOMPARE(stock(30), 49.0); // the scanned set took its component
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 4.0);
        // With all ten lines used a scan is refused and says why.
        for (int k = 1; k <= 10; ++k)
            sell(1, "1");
        focusOn("lineCodeBoxes_10");
        scan(QStringLiteral("96385074"));
        QVERIFY(shown().value(0).startsWith(QStringLiteral("伝票の 10 行がいっぱいです。")));
        QCOMPARE(lineTexts(10), (QStringList{"1", "りんご", "150", "1", "150"}));
    }

    // A code that finds nothing: its message, the line empty again, the rest of the slip as it was, the focus
    // back in the code field for the next try. Which codes find nothing is the slip entry's to say. Esc on a
    // filled line empties the slip: the next scan there is a new line, not one more of what was there.
    void badCodesRefused()
    {
        SysNum[Sys::ProductCount] = 300;
        setScannedProducts();
        openForm();
        scan(QStringLiteral("96385074"));
        const QStringList line1 = lineTexts(1);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_2"));
        shown();

        typeInto(w("lineCodeBoxes_2"), QStringLiteral("5901234123457"));
        press(Qt::Key_Return);
        QCOMPARE(shown(), QStringList{QStringLiteral("JANコード 5901234123457 の商品は登録されていません。")});
        QCOMPARE(lineTexts(2), (QStringList{"", "", "", "", ""}));
        QCOMPARE(lineTexts(1), line1);
        QCOMPARE(text("totalBox"), QStringLiteral("100"));
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_2"));
        // The next scan goes where the refused one would have gone.
        scan(QStringLiteral("4901234567894"));
        QCOMPARE(lineTexts(2), (QStringList{"21", "緑茶", "150", "1", "150"}));
        QCOMPARE(dir().bytes("reg.dat"), QByteArray()); // nothing stored on the way
        press(Qt::Key_Up);
        press(Qt::Key_Up);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        press(Qt::Key_Escape);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        scan(QStringLiteral("96385074"));
        QCOMPARE(lineTexts(1), line1);
        QCOMPARE(text("totalBox"), QStringLiteral("100"));
    }

    // Enter on a code field fills the line and waits for the quantity; an empty field makes no line. Tab out
    // of a changed code field fills the line as Enter does and goes on to the unit price; an unknown number is
    // refused there and the focus stays; passing through an unchanged line by Tab keeps the unit price the
    // cashier overwrote. The totals wait for the key.
    void codeEnterOrTab_data()
    {
        QTest::addColumn<Keys>("before"); // on the form before the code is typed
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("typedTotal"); // before the key
        QTest::addColumn<QString>("total");
        QTest::addColumn<QStringList>("line");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("messages");
        const QStringList empty{"", "", "", "", ""};
        const QStringList apple{"1", "りんご", "150", "", ""};
        const Keys none = [](TestRegisterWindow*) {};
        const Keys twoLinesThenQty1 = [](TestRegisterWindow* t) {
            t->sell(1, "2"); // 300
            t->sell(5, "1"); // 350
            t->focusOn("lineQuantityBoxes_1");
        };
        const Keys priceRetypedThenBacktab = [](TestRegisterWindow* t) {
            t->sell(1, "2");
            t->focusOn("linePriceBoxes_1");
            retype(t->w("linePriceBoxes_1"), QStringLiteral("120"));
            press(Qt::Key_Backtab);
            QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        };
        const int enter = Qt::Key_Return;
        const int tab = Qt::Key_Tab;
        // clang-format off
        QTest::newRow("Enter, product number") << none << "1" << enter << "0" << "0" << apple << "lineQuantityBoxes_1" << 0;
        QTest::newRow("Enter, empty") << none << "" << enter << "0" << "0" << empty << "lineCodeBoxes_1" << 0;
        QTest::newRow("Tab, product number") << none << "1" << tab << "0" << "0" << apple << "linePriceBoxes_1" << 0;
        QTest::newRow("Tab, no product") << none << "8" << tab << "0" << "0" << empty << "lineCodeBoxes_1" << 1;
        QTest::newRow("Tab, empty") << none << "" << tab << "0" << "0" << empty << "linePriceBoxes_1" << 0;
        QTest::newRow("Tab, scanned code") << none << "4901234567894" << tab << "0" << "150" << QStringList{"21", "緑茶", "150", "1", "150"} << "lineCodeBoxes_2" << 0;
        QTest::newRow("Enter, new quantity") << twoLinesThenQty1 << "5" << enter << "650" << "1,100" << QStringList{"1", "りんご", "150", "5", "750"} << "lineCodeBoxes_2" << 0;
        QTest::newRow("Tab through, price kept") << priceRetypedThenBacktab << "" << tab << "300" << "300" << QStringList{"1", "りんご", "120", "2", "300"} << "linePriceBoxes_1" << 0;
        // clang-format on
    }
    void codeEnterOrTab()
    {
        QFETCH(Keys, before);
        QFETCH(QString, code);
        QFETCH(int, key);
        setScannedProducts();
        openForm();
        before(this);
        type(code); // over the selected text of a field reached by a key
        QTEST(text("totalBox"), "typedTotal");
        press(Qt::Key(key));
        QTEST(lineTexts(1), "line");
        QTEST(focusedName(), "focus");
        QTEST(int(shown().size()), "messages");
        QTEST(text("totalBox"), "total");
    }

    // The keys the register adds to the slip lines' own (their moves between lines are the slip lines' test).
    void movementKeys_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        // clang-format off
        QTest::newRow("quantity down") << "lineQuantityBoxes_4" << int(Qt::Key_Down) << "lineCodeBoxes_5";
        QTest::newRow("home from weather") << "weatherBox" << int(Qt::Key_Home) << "lineCodeBoxes_1";
        QTest::newRow("F6 to weather") << "lineCodeBoxes_2" << int(Qt::Key_F6) << "weatherBox";
        QTest::newRow("enter on line 10 stays") << "lineQuantityBoxes_10" << int(Qt::Key_Return) << "lineQuantityBoxes_10";
        // clang-format on
    }
    void movementKeys()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        openForm();
        focusOn(from);
        press(Qt::Key(key));
        QTRY_COMPARE(focusedName(), to);
        for (int k = 1; k <= 10; ++k) {
            const bool lit =
                to == QStringLiteral("lineCodeBoxes_%1").arg(k) || to == QStringLiteral("lineQuantityBoxes_%1").arg(k);
            QCOMPARE(background(w(QStringLiteral("lineNumberBoxes_%1").arg(k))), lit ? LightGreen : White);
        }
    }

    // F1 to F4 and the page keys reach the product lists from the lines (the lists' own work is theirs to test).
    void listKeys()
    {
        openForm();
        auto* tabs = w<TabStrip>("productTabs");
        focusOn("lineQuantityBoxes_2");
        press(Qt::Key_F3);
        QCOMPARE(tabs->selectedTab(), 2);
        focusOn("lineCodeBoxes_1");
        press(Qt::Key_PageDown);
        QCOMPARE(w<QListWidget>("productLists_4")->currentRow(), 99);
        press(Qt::Key_PageUp);
        QCOMPARE(w<QListWidget>("productLists_4")->currentRow(), 0);
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
    }

    // New settings (the settings window closed) reload the lists and tax display under a sale being keyed in:
    // the sale or correction stays and F12 stores it whole.
    void reloadKeepsTheSale_data()
    {
        QTest::addColumn<bool>("correcting");
        QTest::newRow("new sale") << false;
        QTest::newRow("correction") << true;
    }
    void reloadKeepsTheSale()
    {
        QFETCH(bool, correcting);
        openForm();
        if (correcting) {
            sell(5, "1");
            press(Qt::Key_F12);
            openMonth(QString::number(QDate::currentDate().year()), QString::number(QDate::currentDate().month()));
            clickSlipRow(1);
            QTest::mouseClick(w<QPushButton>("correctButton"), Qt::LeftButton);
            QVERIFY(m_form->state().correctionMode);
        }
        focusOn(correcting ? "lineCodeBoxes_2" : "lineCodeBoxes_1");
        sell(1, "2");
        QCOMPARE(text(correcting ? "lineNameBoxes_2" : "lineNameBoxes_1").trimmed(), QStringLiteral("りんご"));
        const QString total = text("totalBox");
        const double item12 = stock(12);
        SysNum[Sys::ReducedTaxRate] = 0.08;
        Q_EMIT changes().settingsChanged();
        QVERIFY(w<QLabel>("reducedMarkNote")->text().contains(QStringLiteral("8%")));
        QCOMPARE(w<QLabel>("standardRateLabel")->text(),
                 QStringLiteral("5%対象 %1　内消費税等 %2").arg(total, text("containedTaxBox")));
        QCOMPARE(text(correcting ? "lineNameBoxes_2" : "lineNameBoxes_1").trimmed(), QStringLiteral("りんご"));
        QCOMPARE(text("totalBox"), total);
        QCOMPARE(m_form->state().correctionMode, correcting);
        QCOMPARE(text("slipNoBox"), QStringLiteral("1"));

        focusOn("lineCodeBoxes_1");
        press(Qt::Key_F12);
        QCOMPARE(shown(), QStringList());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
        QCOMPARE(f64(slip(1), Off::Sales::Total), val(total));
        QCOMPARE(i16(slip(1), Off::Sales::line(correcting ? 2 : 1) + Off::Line::ProductNo), int16_t(1));
        QCOMPARE(stock(12), item12);
    }

    // The weather typed after F6 and the tax switch reach the slip; F12 once more, with no product line, says
    // why and stores nothing.
    void saveSetProduct_data()
    {
        QTest::addColumn<double>("taxSwitch");
        QTest::addColumn<QString>("weather");
        QTest::addColumn<QString>("storedWeather");
        QTest::addColumn<double>("tax");
        // clang-format off
        QTest::newRow("tax on, fine") << 1.0 << "1" << "晴れ" << 50.0; // the tax inside 1050 at 5 %
        QTest::newRow("tax off, snow") << 0.0 << "4" << "雪" << 0.0;
        QTest::newRow("no weather") << 1.0 << "" << "" << 50.0;
        // clang-format on
    }
    void saveSetProduct()
    {
        QFETCH(double, taxSwitch);
        QFETCH(QString, weather);
        QFETCH(QString, storedWeather);
        SysNum[Sys::SalesTaxSwitch] = taxSwitch;
        SysNum[Sys::NextSalesSlipNo] = 6;
        QVERIFY(SaveSettings());
        openForm();
        QSignalSpy stockNotices(&changes(), &Changes::stockChanged);
        press(Qt::Key_F6);
        press(Qt::Key_Backspace);
        type(weather);
        press(Qt::Key_Home);
        sell(5, "3");
        press(Qt::Key_F12);

        QCOMPARE(stockNotices.count(), 1); // open stock views follow the sale
        QCOMPARE(stock(12), 94.0);         // each component's share: tst_slipentry (soldCorrectedDeleted)
        QCOMPARE(dir().bytes("reg.dat").size(), 6 * Off::Sales::Size);
        const QByteArray r = slip(6);
        QCOMPARE(txt(r, Off::Sales::Date, 10), QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
        QVERIFY(QTime::fromString(txt(r, Off::Sales::Time, 8), QStringLiteral("hh:mm:ss")).isValid());
        QCOMPARE(txt(r, Off::Sales::Weather, 20), storedWeather.leftJustified(20 - storedWeather.size(), u' '));
        QCOMPARE(i32(r, Off::Sales::SlipNo), 6);
        QCOMPARE(i16(r, Off::Sales::line(1) + Off::Line::ProductNo), int16_t(5));
        QCOMPARE(txt(r, Off::Sales::line(1) + Off::Line::Name, 50),
                 QStringLiteral("セットA").leftJustified(30 + 17, u' '));
        QCOMPARE(i16(r, Off::Sales::line(1) + Off::Line::Qty), int16_t(3));
        QTEST(f64(r, Off::Sales::Tax), "tax"); // the total: lineTotals, tst_slipentry

        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 7.0);
        QCOMPARE(dir().bytes("sys.ini").split('\n').value(1).trimmed(), QByteArray("7"));
        QCOMPARE(text("slipNoBox"), QStringLiteral("7"));
        QVERIFY(text("lineCodeBoxes_1").isEmpty());
        QCOMPARE(text("totalBox"), QStringLiteral("0"));
        QCOMPARE(text("weatherBox"), weather); // kept for the next customer
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));

        const QByteArray reg = dir().bytes("reg.dat");
        press(Qt::Key_F12);
        QVERIFY(shown().value(0).contains(QStringLiteral("商品が 1 行もない")));
        QCOMPARE(dir().bytes("reg.dat"), reg);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 7.0);
    }

    // A reduced product (1080 at 8 %) and a standard one (1100 at 10 %) on one slip: marked in the list and on
    // the line, each rate's figures under the tax, and the slip's tail on disk. Without a reduced rate in use
    // (a sys.ini from before it), the same sale is one total at the standard rate, as it always was.
    void reducedRate_data()
    {
        QTest::addColumn<double>("reducedRate");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QString>("note"); // under the product lists
        // clang-format off
        QTest::newRow("reduced rate in use") << 0.08 << "180" << "※" << "※ は軽減税率（8%）の商品です。";
        QTest::newRow("no reduced rate") << 0.0 << "198" << "" << "";
        // clang-format on
    }
    void reducedRate()
    {
        QFETCH(double, reducedRate);
        QFETCH(QString, mark);
        const bool twoRates = reducedRate > 0;
        SysNum[Sys::TaxRate] = 0.1;
        SysNum[Sys::ReducedTaxRate] = reducedRate;
        setProduct(2, QStringLiteral("弁当"), 1080);
        ProductTable[2].Reduced = 1;
        setProduct(3, QStringLiteral("タオル"), 1100);
        openForm();
        QCOMPARE(w<QListWidget>("productLists_1")->item(1)->text(),
                 QStringLiteral("2     - ") + mark + QStringLiteral("弁当"));
        QTEST(w<QLabel>("reducedMarkNote")->text(), "note");
        QVERIFY(w<QWidget>("reducedMarkNote")->geometry().top() >= w<QWidget>("productTabs")->geometry().bottom());
        QVERIFY(w<QWidget>("reducedMarkNote")->geometry().bottom() < w<QWidget>("saveButton")->geometry().top());
        QCOMPARE(w<QLabel>("reducedRateLabel")->isVisible(), twoRates);
        QCOMPARE(w<QWidget>("totalPanel")->height(), twips(twoRates ? 2100 : 1500));
        QVERIFY(w<QWidget>("weatherFrame")->geometry().top() >= w<QWidget>("totalPanel")->geometry().bottom());
        // The rows under the totals stay on the window, their longest texts whole.
        for (const char* name : {"paymentFrame", "cashButton", "closingButton"})
            QVERIFY2(w<QWidget>(name)->geometry().bottom() < m_form->height(), name);
        const auto fits = [](QWidget* box, const QString& text) {
            return box->fontMetrics().horizontalAdvance(text) + 8 < box->contentsRect().width();
        };
        QVERIFY(fits(w("paymentMethodBox"), QStringLiteral("QRコード決済")));
        QVERIFY(fits(w<QPushButton>("closingButton"), QStringLiteral("点検・精算")));
        QVERIFY(fits(w("changeDueBox"), QStringLiteral("9,999,999")));

        sell(2, "1");
        sell(3, "1");
        QCOMPARE(w<QLabel>("lineMarks_1")->text(), mark);
        QVERIFY(w<QLabel>("lineMarks_2")->text().isEmpty());
        QCOMPARE(text("totalBox"), QStringLiteral("2,180"));
        QTEST(text("containedTaxBox"), "tax");
        for (const char* figures : {"standardRateLabel", "reducedRateLabel"})
            QCOMPARE(w<QLabel>(figures)->alignment(), Qt::AlignRight | Qt::AlignVCenter);
        if (twoRates) {
            QCOMPARE(w<QLabel>("standardRateLabel")->text(), QStringLiteral("10%対象 1,100　内消費税等 100"));
            QCOMPARE(w<QLabel>("reducedRateLabel")->text(), QStringLiteral("※8%対象 1,080　内消費税等 80"));
        }

        press(Qt::Key_F12);
        // The stored figures follow the tax shown; how the tail holds them is the storage's.
        QCOMPARE(f64(slip(1), Off::Sales::Tax), twoRates ? 180.0 : 198.0);
        QCOMPARE(i16(slip(1), Off::Sales::ReservedTail + 2), int16_t(twoRates ? 1 : 0)); // line 1 reduced
        // The next customer starts with no marks and no figures.
        QVERIFY(w<QLabel>("lineMarks_1")->text().isEmpty());
        if (twoRates)
            QCOMPARE(w<QLabel>("reducedRateLabel")->text(), QStringLiteral("※8%対象 0　内消費税等 0"));
    }

    // A sale whose last writes failed on a full disk is completed by the next one, which is numbered after it:
    // the box shows that number, and each stored slip carries its own record number.
    void saleAfterPendingSaveNumberedAfterIt()
    {
        openForm();
        sell(1, "1");
        rlimit limit{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        static rlimit s_full;
        s_full = limit;
        s_full.rlim_cur = 512; // the disk is full once the journal is written: no data file grows
        std::signal(SIGXFSZ, SIG_IGN);
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::JournalWritten)
                setrlimit(RLIMIT_FSIZE, &s_full);
        });
        press(Qt::Key_F12);
        setrlimit(RLIMIT_FSIZE, &limit);
        SetJournalHook(nullptr);
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].contains(QStringLiteral("最後まで書き込めません")), qPrintable(boxes[0]));
        QCOMPARE(text("slipNoBox"), QStringLiteral("2"));
        sell(5, "1");
        press(Qt::Key_F12);
        QCOMPARE(shown(), QStringList());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 3.0);
        for (int n = 1; n <= 2; ++n)
            QCOMPARE(i32(slip(n), Off::Sales::SlipNo), n);
        QCOMPARE(i16(slip(2), Off::Sales::line(1) + Off::Line::ProductNo), int16_t(5));
        QCOMPARE(text("slipNoBox"), QStringLiteral("3"));
    }

    // A save the files refuse says why, writes nothing and keeps the entry; once the files are mended the same
    // entry saves as slip 1. The ways the files can refuse a save are the journal's test.
    void failedWriteKeepsEntry()
    {
        QVERIFY(SaveSettings());
        const QByteArray settingsBefore = dir().bytes("sys.ini");
        openForm();
        QFile::remove(dir().file("zaiko.dat"));
        sell(5, "2");
        press(Qt::Key_F12);

        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(QStringLiteral("伝票は保存されていません。")), qPrintable(boxes[0]));
        QVERIFY2(boxes[0].contains(QStringLiteral("zaiko.dat がありません")), qPrintable(boxes[0]));
        QVERIFY(dir().bytes("reg.dat").isEmpty());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 1.0);
        QCOMPARE(dir().bytes("sys.ini"), settingsBefore);
        QCOMPARE(text("lineCodeBoxes_1"), QStringLiteral("5"));
        QCOMPARE(text("totalBox"), QStringLiteral("700"));

        dir().writeStock({{12, 100}, {30, 50}});
        focusOn("lineCodeBoxes_1");
        press(Qt::Key_F12);
        QVERIFY(shown().isEmpty());
        QCOMPARE(i16(slip(1), Off::Sales::line(1) + Off::Line::Qty), int16_t(2));
        QCOMPARE(stock(12), 96.0);
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 2.0);
    }
    // The list shows the month's issued slips read from reg.dat, the deleted ones marked; how the panel reads
    // the month typed and draws its rows is the panel's own.
    void recallMonth()
    {
        for (int n = 1; n <= 20; ++n) {
            const bool march = n >= 3 && n <= 7;
            storeSlip(n, march ? QStringLiteral("2010/03/%1").arg(n, 2, 10, QChar(u'0')) : QStringLiteral("2010/04/01"),
                      1, 1, 100 + n, n == 5);
        }
        // Beyond SysNum[Sys::NextSalesSlipNo] - 1: not issued yet.
        storeSlip(21, QStringLiteral("2010/03/31"), 1, 1, 100);
        SysNum[Sys::NextSalesSlipNo] = 21;
        openForm();
        openMonth("2010", " 3.0");
        QTRY_COMPARE(focusedName(), QStringLiteral("slipGrid"));
        auto* grid = w<Grid>("slipGrid");
        QCOMPARE(m_form->state().gridSlipNos, (QList<qint64>{0, 3, 4, 5, 6, 7}));
        QCOMPARE(grid->text(1, 3), QStringLiteral("103"));
        QCOMPARE(grid->text(3, 4), QStringLiteral("削除"));
        QCOMPARE(grid->text(4, 4), QString());

        press(Qt::Key_Escape); // closes the list (escapeClosesRecall) and drops the choice
        QVERIFY(!m_form->state().slipSelected);
    }

    // The list opens on the month's latest slip, chosen and in view; Enter on a row recalls it as "修正" does,
    // and the correction shows which slip it rewrites until it is saved or abandoned.
    void recallByKeyboard_data()
    {
        QTest::addColumn<int>("ups"); // Up presses in the list before Enter
        QTest::addColumn<bool>("latestDeleted");
        QTest::addColumn<QString>("recalled"); // the slip in the entry area; empty: none
        QTest::newRow("Enter recalls the latest") << 0 << false << "40";
        QTest::newRow("Up twice, then Enter") << 2 << false << "38";
        QTest::newRow("the latest is deleted") << 0 << true << "";
    }
    void recallByKeyboard()
    {
        QFETCH(int, ups);
        QFETCH(bool, latestDeleted);
        QFETCH(QString, recalled);
        for (int n = 1; n <= 40; ++n)
            QVERIFY(storeSlip(n, QStringLiteral("2010/06/%1").arg(1 + n % 28, 2, 10, QChar(u'0')), 1, 1, 150,
                              latestDeleted && n == 40));
        QVERIFY(storeSlip(41, QStringLiteral("2010/07/01"), 1, 1, 150)); // another month
        SysNum[Sys::NextSalesSlipNo] = 42;
        openForm();
        openMonth("2010", "6");
        auto* grid = w<Grid>("slipGrid");
        QCOMPARE(grid->currentRow(), 40);
        QVERIFY(m_form->state().slipSelected);
        QCOMPARE(m_form->state().selectedSlipNo, qint64(40));
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(39, 0))));
        QVERIFY(!w<QLabel>("correctionNotice")->isVisible());

        for (int i = 0; i < ups; ++i)
            QTest::keyClick(grid, Qt::Key_Up);
        QTest::keyClick(grid, Qt::Key_Return);
        if (recalled.isEmpty()) {
            QCOMPARE(shown(), QStringList{QStringLiteral("伝票は削除されています。")});
            QVERIFY(m_form->recallPanelOpen());
            QVERIFY(!m_form->state().correctionMode);
            QVERIFY(!w<QLabel>("correctionNotice")->isVisible());
            return;
        }
        QVERIFY(!m_form->recallPanelOpen());
        QVERIFY(m_form->state().correctionMode);
        QCOMPARE(text("slipNoBox"), recalled);
        QVERIFY(w<QLabel>("correctionNotice")->isVisible());
        QCOMPARE(w<QLabel>("correctionNotice")->text(), QStringLiteral("伝票 %1\n修正中").arg(recalled));
        press(Qt::Key_Escape);
        QVERIFY(!w<QLabel>("correctionNotice")->isVisible());
    }

    // Esc closes the slip list from any of its controls, not only from the grid.
    void escapeClosesRecall_data()
    {
        QTest::addColumn<QString>("focus");
        for (const char* name : {"slipGrid", "recallYearBox", "recallMonthBox", "deleteButton", "reissueButton"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void escapeClosesRecall()
    {
        QFETCH(QString, focus);
        openForm();
        openMonth("2010", "6");
        focusOn(focus);
        press(Qt::Key_Escape);
        QVERIFY(!m_form->recallPanelOpen());
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        QVERIFY(shown().isEmpty());
    }

    // A recalled slip corrected and saved, or the correction abandoned with Esc: then no stock comes back and
    // the next sale is a new slip that changes stock only by itself.
    void correctSlip_data()
    {
        QTest::addColumn<bool>("abandon");
        QTest::newRow("saved") << false;
        QTest::newRow("abandoned") << true;
    }
    void correctSlip()
    {
        QFETCH(bool, abandon);
        for (int n = 1; n <= 7; ++n)
            storeSlip(n, QStringLiteral("2010/06/01"), 1, 1, 150);
        storeSlip(8, QStringLiteral("2010/06/02"), 7, 2, 200, false, QStringLiteral("雪"));
        SysNum[Sys::NextSalesSlipNo] = 9;
        setStock(12, 10);
        const QByteArray before = dir().bytes("reg.dat");
        openForm();
        openMonth("2010", "6");
        clickSlipRow(8);
        w<QPushButton>("correctButton")->click();

        QVERIFY(!m_form->recallPanelOpen());
        QVERIFY(m_form->state().correctionMode);
        QVERIFY(w("dateBox")->isEnabled());
        QCOMPARE(text("slipNoBox"), QStringLiteral("8"));
        QCOMPARE(text("weatherBox"), QStringLiteral("4"));
        QCOMPARE(text("lineCodeBoxes_1"), QStringLiteral("7"));
        QCOMPARE(text("lineQuantityBoxes_1"), QStringLiteral("2"));
        QCOMPARE(text("totalBox"), QStringLiteral("400"));
        for (const char* box :
             {"lineCodeBoxes_2", "lineNameBoxes_2", "linePriceBoxes_2", "lineQuantityBoxes_2", "lineAmountBoxes_2"})
            QVERIFY2(text(box).isEmpty(), box); // an empty line shows blank
        QTest::qWait(600);
        QCOMPARE(text("timeBox"), QStringLiteral("10:00:00")); // the time of the sale, not the clock
        QCOMPARE(m_form->state().stockRestore[12], 2.0);
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        if (abandon) {
            press(Qt::Key_Escape);
            QVERIFY(text("timeBox") != QStringLiteral("10:00:00")); // the clock's time again at once
            QCOMPARE(m_form->state().stockRestore[12], 0.0);
            QVERIFY(!m_form->state().correctionMode);
            sell(7, "1");
            press(Qt::Key_F12);
            QCOMPARE(stock(12), 9.0);
            QCOMPARE(SysNum[Sys::NextSalesSlipNo], 10.0);
            QCOMPARE(dir().bytes("reg.dat").left(8 * Off::Sales::Size), before);
            return;
        }
        press(Qt::Key_Return);
        type("5");
        press(Qt::Key_Return);
        QCOMPARE(text("totalBox"), QStringLiteral("1,000"));
        press(Qt::Key_F12);

        QCOMPARE(stock(12), 7.0); // 5 out, 2 back
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 9.0);
        const QByteArray after = dir().bytes("reg.dat");
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.left(7 * Off::Sales::Size), before.left(7 * Off::Sales::Size));
        const QByteArray r = slip(8);
        QCOMPARE(i32(r, Off::Sales::SlipNo), 8);
        QCOMPARE(i16(r, Off::Sales::line(1) + Off::Line::Qty), int16_t(5)); // its total: tst_slipentry
        QCOMPARE(txt(r, Off::Sales::Weather, 20).trimmed(), QStringLiteral("雪"));
        QCOMPARE(txt(r, Off::Sales::Date, 10), QStringLiteral("2010/06/02"));
        QCOMPARE(txt(r, Off::Sales::Time, 8), QStringLiteral("10:00:00"));
        QVERIFY(!m_form->state().correctionMode);
        QCOMPARE(text("slipNoBox"), QStringLiteral("9"));
        QVERIFY(!w("dateBox")->isEnabled());
        QCOMPARE(m_form->state().stockRestore[12], 0.0);
    }

    // How the customer pays, keyed as the cashier does: F5 steps through the methods beside the total, F11
    // goes to the amount tendered; F12 stores the method and the amount after the rate figures. The change
    // boxes: for a sale each tender's change, for a return what goes back (返金); after F12 they stay while the
    // change is counted out, until the next key.
    void paymentAtTheCounter_data()
    {
        QTest::addColumn<Payment>("pay");
        // Two apples at 150, 300, or two given back.
        // clang-format off
        QTest::newRow("cash with change") << Payment{"2", 0, "10000", "現金", "9,700", "9,700", 0, 10000};
        QTest::newRow("QR") << Payment{"2", 3, "", "QRコード決済", "9,700", "", 3, 0};
        QTest::newRow("F5 round to cash") << Payment{"2", 4, "300", "現金", "9,700", "0", 0, 300};
        QTest::newRow("return") << Payment{"-2", 0, "", "現金", "300", "", 0, 0};
        // clang-format on
    }
    void paymentAtTheCounter()
    {
        QFETCH(Payment, pay);
        const bool refund = pay.qty.startsWith(u'-');
        openForm();
        QCOMPARE(text("paymentMethodBox"), QStringLiteral("現金"));
        sell(1, pay.qty);
        for (int i = 0; i < pay.f5; ++i)
            press(Qt::Key_F5);
        QCOMPARE(text("paymentMethodBox"), pay.method);
        QCOMPARE(w("tenderedBox")->isEnabled(), pay.method == QStringLiteral("現金"));
        if (!pay.tendered.isEmpty()) {
            press(Qt::Key_F11);
            QTRY_COMPARE(focusedName(), QStringLiteral("tenderedBox"));
            type(pay.tendered);
            press(Qt::Key_Return);
        }
        const auto shows = [&](const QString& suffix) {
            QCOMPARE(w<QGroupBox>("changeFrame")->title(),
                     (refund ? QStringLiteral("返金") : QStringLiteral("釣り銭")) + suffix);
            QCOMPARE(text("change10000Box"), pay.firstChange);
            QCOMPARE(w<QLabel>("change10000Label")->text(), refund ? QStringLiteral("返金") : QStringLiteral("10000"));
            QCOMPARE(w("change5000Box")->isVisible(), !refund);
            QCOMPARE(text("changeDueBox"), pay.changeDue);
        };
        shows(QString());
        press(Qt::Key_F12);
        QCOMPARE(shown(), QStringList());
        const QByteArray r = slip(1);
        QCOMPARE(f64(r, Off::Sales::Total), 150 * val(pay.qty));
        QCOMPARE(i16(r, Off::Sales::PayVersion), int16_t(1));
        QCOMPARE(i16(r, Off::Sales::PayMethod), int16_t(pay.storedMethod));
        QCOMPARE(f64(r, Off::Sales::Tendered), pay.storedTendered);
        // The next customer starts with an empty entry, cash and nothing tendered; the change stays until a key.
        QVERIFY(text("lineCodeBoxes_1").isEmpty());
        QCOMPARE(text("totalBox"), QStringLiteral("0"));
        QCOMPARE(text("paymentMethodBox"), QStringLiteral("現金"));
        QVERIFY(text("tenderedBox").isEmpty());
        QVERIFY(w("tenderedBox")->isEnabled());
        shows(QStringLiteral("（伝票 1）"));
        type("1");
        QCOMPARE(w<QGroupBox>("changeFrame")->title(), QStringLiteral("釣り銭"));
        for (const char* box : {"change10000Box", "change5000Box", "change1000Box", "change500Box"})
            QCOMPARE(text(box), QStringLiteral("0"));
        QVERIFY(text("changeDueBox").isEmpty());
    }

    // Only digits reach the tendered box; Esc empties the sale back to cash, the weather kept, nothing stored.
    void tenderedBoxAndEscape()
    {
        openForm();
        press(Qt::Key_F6);
        type("\b3");
        press(Qt::Key_Home);
        sell(1, "4");
        QCOMPARE(text("totalBox"), QStringLiteral("600"));
        press(Qt::Key_F11);
        QTRY_COMPARE(focusedName(), QStringLiteral("tenderedBox"));
        type("5a-0.0");
        QCOMPARE(text("tenderedBox"), QStringLiteral("500"));
        type("123456789");
        QCOMPARE(text("tenderedBox").size(), 8);
        press(Qt::Key_F5);
        QVERIFY(text("tenderedBox").isEmpty()); // card: no amount tendered
        QCOMPARE(text("paymentMethodBox"), QStringLiteral("クレジット"));
        focusOn("lineCodeBoxes_2");
        press(Qt::Key_Escape);
        QCOMPARE(text("paymentMethodBox"), QStringLiteral("現金"));
        QCOMPARE(lineTexts(1), (QStringList{"", "", "", "", ""}));
        QCOMPARE(text("totalBox"), QStringLiteral("0"));
        QCOMPARE(text("change10000Box"), QStringLiteral("0"));
        QCOMPARE(text("weatherBox"), QStringLiteral("3"));
        QCOMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));
        QVERIFY(!QFile::exists(dir().file("reg.dat")) || dir().bytes("reg.dat").isEmpty());
    }

    // The slip list names how each slip was paid, and a correction recalls it, with the tax the slip was stored
    // with, each rate's figures among them; a slip from before payments were stored comes back as cash.
    void correctionRecallsPayment_data()
    {
        QTest::addColumn<int>("f5");
        QTest::addColumn<QString>("tendered");
        QTest::addColumn<QString>("methodShown");
        QTest::addColumn<QString>("rateFigures"); // the standard rate's
        // clang-format off
        QTest::newRow("QR") << 3 << QString() << "QRコード決済" << "5%対象 700　内消費税等 33";
        QTest::newRow("cash") << 0 << "5000" << "現金" << "5%対象 700　内消費税等 33";
        QTest::newRow("older slip") << -1 << QString() << "現金" << "5%対象 1,500　内消費税等 0";
        // clang-format on
    }
    void correctionRecallsPayment()
    {
        QFETCH(int, f5);
        QFETCH(QString, tendered);
        QFETCH(QString, methodShown);
        SysNum[Sys::SalesTaxSwitch] = 1;
        SysNum[Sys::ReducedTaxRate] = 0.08;
        openForm();
        if (f5 < 0) {
            QVERIFY(storeSlip(1, QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")), 1, 10, 150));
            SysNum[Sys::NextSalesSlipNo] = 2;
        } else {
            sell(5, "2");
            for (int i = 0; i < f5; ++i)
                press(Qt::Key_F5);
            if (!tendered.isEmpty()) {
                press(Qt::Key_F11);
                type(tendered);
            }
            press(Qt::Key_F12);
        }
        press(Qt::Key_F1); // a key of no meaning: the entry is still at line 1
        openMonth(QString::number(QDate::currentDate().year()), QString::number(QDate::currentDate().month()));
        QCOMPARE(w<Grid>("slipGrid")->text(0, 5), QStringLiteral("支払"));
        QCOMPARE(w<Grid>("slipGrid")->text(1, 5), methodShown);
        clickSlipRow(1);
        w<QPushButton>("correctButton")->click();
        QCOMPARE(text("paymentMethodBox"), methodShown);
        QCOMPARE(text("tenderedBox"), tendered);
        QTEST(w<QLabel>("standardRateLabel")->text(), "rateFigures");
        QCOMPARE(text("containedTaxBox"), QString(f5 < 0 ? "0" : "33"));
        QVERIFY(text("lineQuantityBoxes_2").isEmpty()); // an empty line shows blank
        // Saved again unchanged, the slip keeps its method.
        press(Qt::Key_F12);
        QCOMPARE(i16(slip(1), Off::Sales::PayMethod), int16_t(f5 < 0 ? 0 : f5));
    }

    void deleteSlip_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deleteSlip()
    {
        QFETCH(bool, yes);
        for (int n = 1; n <= 7; ++n)
            storeSlip(n, QStringLiteral("2010/06/01"), 1, 1, 150);
        storeSlip(8, QStringLiteral("2010/06/02"), 5, 4, 350);
        SysNum[Sys::NextSalesSlipNo] = 9;
        const QByteArray before = dir().bytes("reg.dat");
        openForm();
        openMonth("2010", "6");
        clickSlipRow(8);
        MessageBox::setNextAnswer(yes ? QMessageBox::Yes : QMessageBox::No);
        QSignalSpy stockNotices(&changes(), &Changes::stockChanged);
        w<QPushButton>("deleteButton")->click();
        QCOMPARE(stockNotices.count(), yes ? 1 : 0);
        QCOMPARE(shown(), QStringList{QStringLiteral("削除しますか。")});
        QCOMPARE(MessageBox::lastDetail(), QStringLiteral("伝票番号 8　合計 1,400円")); // which slip goes
        QCOMPARE(MessageBox::lastTitle(), m_form->windowTitle());

        QByteArray expected = before;
        if (yes)
            expected[7 * Off::Sales::Size + Off::Sales::Deleted] = 1;
        QCOMPARE(dir().bytes("reg.dat"), expected);
        QCOMPARE(stock(12), yes ? 108.0 : 100.0);
        QCOMPARE(stock(30), yes ? 54.0 : 50.0);
        QCOMPARE(m_form->state().stockRestore[12], 0.0);
        QVERIFY(!m_form->recallPanelOpen());
        QVERIFY(!m_form->state().correctionMode);
        // Either way the entry is cleared, so nothing of slip 8 can be saved again as a new sale.
        QVERIFY(text("lineCodeBoxes_1").isEmpty());
        QCOMPARE(text("slipNoBox"), QStringLiteral("9"));
        QCOMPARE(m_form->state().slipSelected, !yes);
        QTRY_COMPARE(focusedName(), QStringLiteral("lineCodeBoxes_1"));

        if (yes) {
            openMonth("2010", "6");
            QCOMPARE(w<Grid>("slipGrid")->text(8, 4), QStringLiteral("削除"));
        }
    }

    void otherWindows()
    {
        openForm();
        w<QPushButton>("helpButton")->click();
        QCOMPARE(shown().size(), 1); // no help file in the test directory

        w<QPushButton>("dataManagementButton")->click();
        BackupWindow* restore = openInstance<BackupWindow>();
        QVERIFY(restore);
        w<QPushButton>("dataManagementButton")->click();
        QCOMPARE(openInstance<BackupWindow>(), restore); // one data management window, brought to the front
        SysStr[Sys::FirstGroupCaption] = QStringLiteral("弁当");
        SysNum[Sys::NextSalesSlipNo] = 77;
        Q_EMIT restore->restored(QStringLiteral("reg.dat"));
        QCOMPARE(w<TabStrip>("productTabs")->caption(0), QStringLiteral("食料品"));
        Q_EMIT restore->restored(QStringLiteral("sys.ini"));
        QCOMPARE(w<TabStrip>("productTabs")->caption(0), QStringLiteral("弁当"));
        QCOMPARE(text("slipNoBox"), QStringLiteral("77"));
        setProduct(1, QStringLiteral("おにぎり"), 120);
        Q_EMIT restore->restored(QStringLiteral("syohin.dat"));
        QVERIFY(w<QListWidget>("productLists_1")->item(0)->text().contains(QStringLiteral("おにぎり")));
        delete restore;
    }
};

QTEST_MAIN(TestRegisterWindow)
#include "tst_registerwindow.moc"
