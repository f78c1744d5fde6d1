// The supplier window and its pick list, driven as the shopkeeper does, checked against siiresaki.dat.
#include "../common/windowtest.h"

#include "masters/supplierpicker.h"
#include "masters/supplierwindow.h"
#include "platform/messagebox.h"
#include "storage/settings.h"
#include "storage/supplier.h"

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QColor LightGreen(0, 255, 0);
const QColor White(255, 255, 255);

// Suppliers 1 to 100 written as data initialisation writes them, with a marked tail on record 3.
void initialiseSuppliers(const TestAppDir& dir)
{
    for (int n = 1; n <= 100; ++n) {
        WriteSupplier(n, Supplier{});
    }
    QByteArray bytes = dir.bytes("siiresaki.dat");
    bytes.replace(2 * 128 + Off::Supplier::Tail, 71, QByteArray(71, 'R'));
    dir.writeBytes("siiresaki.dat", bytes);
}

} // namespace

class TestSupplierWindow : public WindowTest
{
    Q_OBJECT

private:
    std::unique_ptr<SupplierWindow> m_form;

    QByteArray supplierRecord(int n) const { return record(dir().bytes("siiresaki.dat"), n, Off::Supplier::Size); }
    void registerClick() { QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton); }

    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form.get(), name); }
    void setUp() override
    {
        initialiseSuppliers(dir());
        m_form = std::make_unique<SupplierWindow>();
        QVERIFY(showActive(m_form.get()));
    }
    void tearDown() override { m_form.reset(); }

private Q_SLOTS:
    void openState()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("仕入先"));
        QCOMPARE(w<QListWidget>("supplierList")->count(), 100);
        QCOMPARE(w<QListWidget>("supplierList")->item(2)->text(), QStringLiteral("3-") + QString(30, u' '));
        // The hint is read whole, from its start.
        QCOMPARE(w("guideBox")->text(), QStringLiteral("リストから編集を行う仕入先を選択してください。"));
        QCOMPARE(w("guideBox")->cursorPosition(), 0);
        QVERIFY(w("guideBox")->fontMetrics().horizontalAdvance(w("guideBox")->text()) <
                w("guideBox")->contentsRect().width());
        for (const char* name :
             {"supplierList", "supplierNoBox", "supplierNameBox", "phoneBox", "guideBox", "taxTypeOptions_0",
              "taxTypeOptions_1", "taxTypeOptions_2", "registerButton", "closeButton", "taxFrame"}) {
            QWidget* w = control<QWidget>(m_form.get(), name);
            QVERIFY2(w && !w->accessibleName().isEmpty(), name);
        }
        QVERIFY(!w("phoneBox")->testAttribute(Qt::WA_InputMethodEnabled)); // digits go in without the input method
        // Enter on the list chooses the supplier under the cursor, as a click does.
        QVERIFY(focusOn(m_form.get(), "supplierList"));
        w<QListWidget>("supplierList")->setCurrentRow(3);
        press(Qt::Key_Return);
        QCOMPARE(w("supplierNoBox")->text(), QStringLiteral("4"));
    }

    void registerWithNothingChosen()
    {
        const QByteArray before = dir().bytes("siiresaki.dat");
        registerClick();
        QCOMPARE(shown(), QStringList{"表から番号を選択してください。"});
        QCOMPARE(dir().bytes("siiresaki.dat"), before);
    }

    // A fresh supplier shows 外税 and empty boxes; the name and telephone typed are stored at their offsets,
    // the tax type of the option chosen, the tail bytes as they were; choosing it again shows it all back.
    void registerAndChooseAgain_data()
    {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("taxType");
        QTest::newRow("外税") << 0 << 1;
        QTest::newRow("内税") << 1 << 2;
        QTest::newRow("非課税") << 2 << 3;
    }
    void registerAndChooseAgain()
    {
        QFETCH(int, option);
        QFETCH(int, taxType);
        clickCell(w<QListWidget>("supplierList"), 2);
        QCOMPARE(w("supplierNoBox")->text(), QStringLiteral("3"));
        QVERIFY(w("supplierNameBox")->text().trimmed().isEmpty());
        QVERIFY(w("phoneBox")->text().trimmed().isEmpty());
        QVERIFY(w<QRadioButton>("taxTypeOptions_0")->isChecked());
        QTRY_COMPARE(focusedName(), QStringLiteral("supplierNameBox"));

        type(QStringLiteral("山田商店"));
        press(Qt::Key_Return);
        QCOMPARE(focusedName(), QStringLiteral("phoneBox"));
        type(QStringLiteral("03-1234-5678"));
        QTest::mouseClick(w<QRadioButton>(QStringLiteral("taxTypeOptions_%1").arg(option)), Qt::LeftButton, {},
                          QPoint(8, w<QRadioButton>(QStringLiteral("taxTypeOptions_%1").arg(option))->height() / 2));
        registerClick();
        QVERIFY(shown().isEmpty());
        QCOMPARE(w<QLabel>("statusLine")->text(), QStringLiteral("仕入先 3 を登録しました。"));

        const QByteArray r = supplierRecord(3);
        QCOMPARE(txt(r, Off::Supplier::Name, 30), QStringLiteral("山田商店") + QString(22, u' '));
        QCOMPARE(txt(r, Off::Supplier::Phone, 12), QStringLiteral("03-1234-5678"));
        QCOMPARE(i16(r, Off::Supplier::TaxType), int16_t(taxType));
        QCOMPARE(r.mid(Off::Supplier::Tail, 71), QByteArray(71, 'R'));
        QCOMPARE(dir().bytes("siiresaki.dat").size(), 100 * 128);
        QCOMPARE(w<QListWidget>("supplierList")->item(2)->text(), QStringLiteral("3-山田商店") + QString(22, u' '));
        QCOMPARE(w<QListWidget>("supplierList")->currentRow(), 2); // the new name stays where it was chosen

        clickCell(w<QListWidget>("supplierList"), 0); // another supplier first, then this one again
        QVERIFY(w<QRadioButton>("taxTypeOptions_0")->isChecked());
        QVERIFY(w("supplierNameBox")->text().isEmpty());
        QVERIFY(w<QLabel>("statusLine")->text().isEmpty());
        clickCell(w<QListWidget>("supplierList"), 2);
        QCOMPARE(w("supplierNameBox")->text(), QStringLiteral("山田商店"));
        QCOMPARE(w("supplierNameBox")->cursorPosition(), 0);
        QVERIFY(w<QRadioButton>(QStringLiteral("taxTypeOptions_%1").arg(option))->isChecked());
    }

    // The boxes take no more than their bytes: 30 for the name (15 full-width characters), 12 for the phone.
    void boxesTakeWhatFits_data()
    {
        // clang-format off
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("name full width") << "supplierNameBox" << QString(16, QChar(0x5C71))
                                         << QString(15, QChar(0x5C71));
        QTest::newRow("name mixed") << "supplierNameBox" << QStringLiteral("A") + QString(15, QChar(0x5C71))
                                    << QStringLiteral("A") + QString(14, QChar(0x5C71));
        QTest::newRow("phone") << "phoneBox" << "0123456789012345" << "012345678901";
        QTest::newRow("no place in code page 932") << "supplierNameBox" << QStringLiteral("A😀B") << "AB";
        // clang-format on
    }
    void boxesTakeWhatFits()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        clickCell(w<QListWidget>("supplierList"), 0);
        QVERIFY(focusOn(m_form.get(), box));
        auto* edit = control(m_form.get(), box);
        edit->clear();
        typeInto(edit, typed);
        QCOMPARE(edit->text(), kept);
        registerClick();
        const QByteArray r = supplierRecord(1);
        const int at = box == "supplierNameBox" ? Off::Supplier::Name : Off::Supplier::Phone;
        const int width = box == "supplierNameBox" ? 30 : 12;
        QCOMPARE(txt(r, at, width).trimmed(), kept);
    }

    void keysAndHighlight_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::newRow("name Enter") << "supplierNameBox" << int(Qt::Key_Return) << "phoneBox";
        QTest::newRow("name Page Down") << "supplierNameBox" << int(Qt::Key_PageDown) << "phoneBox";
        QTest::newRow("name Page Up") << "supplierNameBox" << int(Qt::Key_PageUp) << "supplierNameBox";
        QTest::newRow("phone Page Up") << "phoneBox" << int(Qt::Key_PageUp) << "supplierNameBox";
        QTest::newRow("phone Enter") << "phoneBox" << int(Qt::Key_Return) << "phoneBox";
        QTest::newRow("phone Page Down") << "phoneBox" << int(Qt::Key_PageDown) << "phoneBox";
    }
    void keysAndHighlight()
    {
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        QVERIFY(focusOn(m_form.get(), from));
        press(Qt::Key(key));
        QCOMPARE(focusedName(), to);
        auto* toBox = control(m_form.get(), to);
        QCOMPARE(background(toBox), LightGreen);
        if (from != to)
            QCOMPARE(background(control(m_form.get(), from)), White);
        type(QStringLiteral("9"));
        QCOMPARE(focusedName(), to); // typing never moves on
    }

    // Closing with a name or tax type not registered asks; はい saves, キャンセル stays.
    void closeWithEdits_data()
    {
        QTest::addColumn<bool>("taxOnly");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<int>("taxType");
        QTest::newRow("name, yes saves") << false << 0 << true << 1;
        QTest::newRow("tax type, yes saves") << true << 0 << true << 3;
        QTest::newRow("name, cancel stays") << false << 2 << false << 1;
    }
    void closeWithEdits()
    {
        QFETCH(bool, taxOnly);
        QFETCH(int, choice);
        QFETCH(bool, closed);
        clickCell(w<QListWidget>("supplierList"), 1);
        if (taxOnly)
            w<QRadioButton>("taxTypeOptions_2")->setChecked(true);
        else
            type(QStringLiteral("二番"));
        MessageBox::setNextChoice(choice);
        QTest::mouseClick(w<QPushButton>("closeButton"), Qt::LeftButton);
        QCOMPARE(m_form->isVisible(), !closed);
        QCOMPARE(shown().size(), 1);
        const QByteArray r = supplierRecord(2);
        QCOMPARE(txt(r, Off::Supplier::Name, 30).trimmed(), closed && !taxOnly ? QStringLiteral("二番") : QString());
        QTEST(int(i16(r, Off::Supplier::TaxType)), "taxType");
    }

    // A write that fails is reported and not shown as saved.
    void failedWriteIsReported()
    {
        clickCell(w<QListWidget>("supplierList"), 4);
        registerClick(); // saved once: the status line says so until a save fails
        type(QStringLiteral("新しい名前"));
        QFile::remove(dir().file("siiresaki.dat"));
        QVERIFY(QDir(dir().path()).mkdir("siiresaki.dat"));
        registerClick();
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("siiresaki.dat")));
        QVERIFY(w<QLabel>("statusLine")->text().isEmpty());
        QCOMPARE(w<QListWidget>("supplierList")->item(4)->text(), QStringLiteral("5-") + QString(30, u' '));
    }

    // The pick list offers every supplier and follows a registration made in the supplier window.
    void pickListFollowsRegistration()
    {
        SysNum[7] = 8;
        SupplierPicker list;
        QCOMPARE(list.windowTitle(), QStringLiteral("仕入先一覧表"));
        QCOMPARE(list.entryList->count(), 8);
        w<QListWidget>("supplierList")->clear();
        w<QListWidget>("supplierList")->addItems(supplierPickList());
        clickCell(w<QListWidget>("supplierList"), 6);
        type(QStringLiteral("七番"));
        registerClick();
        QCOMPARE(list.entryList->item(6)->text(), QStringLiteral("7-七番") + QString(26, u' '));
    }
};

QTEST_MAIN(TestSupplierWindow)
#include "tst_supplierwindow.moc"
