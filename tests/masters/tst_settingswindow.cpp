// The system settings window typed into as the shopkeeper does, checked in sys.ini and in the register.
#include "../common/windowtest.h"

#include "app/windows.h"
#include "masters/settingswindow.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "register/registerwindow.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestSettingsWindow : public WindowTest
{
    Q_OBJECT

private:
    QPointer<SettingsWindow> m_form;

    SettingsWindow* open()
    {
        m_form = qobject_cast<SettingsWindow*>(Windows::systemSettings());
        return m_form;
    }
    QStringList sysIniLines() const { return fromCp932(dir().bytes("sys.ini")).split(QStringLiteral("\r\n")); }

    template <typename T = QLineEdit> T* w(const QString& name) const { return control<T>(m_form.data(), name); }
    void setUp() override
    {
        ClearProduct(1);
        ProductTable[1].ProductName = QStringLiteral("りんご");
        ProductTable[1].SalePrice = 110;
        showRegisterWindow();
    }
    void tearDown() override
    {
        delete m_form;
        delete registerWindow();
    }

private Q_SLOTS:
    void load()
    {
        SysNum[11] = 0.05;
        SysNum[16] = 0.6; // rounds to 1: checked
        SysStr[3] = QStringLiteral("飲料, 酒");
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("system"));
        QCOMPARE(w("taxRateBox")->text(), QStringLiteral("0.05"));
        QVERIFY(w<QCheckBox>("salesTaxCheck")->isChecked());
        QCOMPARE(w("groupCaptionBoxes_2")->text(), QStringLiteral("飲料, 酒"));
        QCOMPARE(w<QPushButton>("registerButton")->text(), QStringLiteral("登録"));
        QCOMPARE(unnamedControls(m_form), QStringList());
        // The shop details lie whole in the window, each field in its frame with room to type.
        auto* frame = w<QGroupBox>("shopFrame");
        QVERIFY(m_form->rect().contains(frame->geometry()));
        for (const char* name : {"shopNameBox", "shopAddressBox", "receiptWidthBox", "receiptPrinterBox"}) {
            const QRect field = control<QWidget>(m_form, QLatin1String(name))->geometry();
            QVERIFY2(!field.isEmpty() && frame->rect().contains(field), name);
        }
    }

    // Both tax rates: what is accepted lands in sys.ini and shows again when the window is reopened; what is
    // refused is named in the message and nothing is written. "登録" leaves the window open.
    void rates_data()
    {
        QTest::addColumn<bool>("reduced");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<double>("stored");
        const struct
        {
            const char* name;
            QString typed;
            bool accepted;
            double standard, reduced;
        } rows[] = {
            {"0.08", QStringLiteral("0.08"), true, 0.08, 0.08},  {"zero", QStringLiteral("0"), true, 0, 0},
            {"per cent", QStringLiteral("5%"), false, 0.1, 0},   {"one", QStringLiteral("1"), false, 0.1, 0},
            {"negative", QStringLiteral("-0.1"), false, 0.1, 0}, {"empty", QString(), false, 0.1, 0},
        };
        for (const auto& r : rows) {
            QTest::addRow("standard: %s", r.name) << false << r.typed << r.accepted << r.standard;
            QTest::addRow("reduced: %s", r.name) << true << r.typed << r.accepted << r.reduced;
        }
        QTest::newRow("standard: no leading zero") << false << QStringLiteral(".1") << true << 0.1;
        QTest::newRow("standard: whole number") << false << QStringLiteral("5") << false << 0.1;
        QTest::newRow("standard: words") << false << QStringLiteral("abc") << false << 0.1;
    }
    void rates()
    {
        QFETCH(bool, reduced);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(double, stored);
        const int index = reduced ? 17 : 11;
        const QByteArray before = dir().bytes("sys.ini");
        QVERIFY(showActive(open()));
        // A settings file from before the reduced rate holds 0 there: the box shows it, nothing is in use.
        QCOMPARE(w("reducedRateBox")->text(), QStringLiteral("0"));
        QCOMPARE(w("reducedRateBox")->accessibleName(), QStringLiteral("軽減税率"));
        QLineEdit* box = reduced ? w("reducedRateBox") : w("taxRateBox");
        retype(box, typed);
        if (reduced)
            retype(w("taxRateBox"), QStringLiteral("0.1"));
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        const QStringList boxes = shown();
        QCOMPARE(SysNum[index], stored);
        if (reduced)
            QCOMPARE(SysNum[11], 0.1);
        QVERIFY(m_form->isVisible());
        if (accepted) {
            QVERIFY(boxes.isEmpty());
            QCOMPARE(sysIniLines().value(index - 1), numText(stored));
            QCOMPARE(sysIniLines().value(10), reduced ? QStringLiteral("0.1") : numText(stored));
            m_form->close();
            QTRY_VERIFY(!m_form);
            QVERIFY(open());
            QCOMPARE((reduced ? w("reducedRateBox") : w("taxRateBox"))->text(), numText(stored));
        } else {
            QCOMPARE(boxes.size(), 1);
            const QString named = reduced ? QStringLiteral("軽減税率") : QStringLiteral("0.1");
            QVERIFY2(boxes.first().contains(named), qPrintable(boxes.first()));
            if (reduced)
                QCOMPARE(focused(), box);
            QCOMPARE(dir().bytes("sys.ini"), before);
        }
    }

    void taxSwitchOffGivesSlipsWithoutTax()
    {
        open();
        QVERIFY(w<QCheckBox>("salesTaxCheck")->isChecked());
        QTest::mouseClick(w<QCheckBox>("salesTaxCheck"), Qt::LeftButton);
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        QTest::mouseClick(w<QPushButton>("closeButton"), Qt::LeftButton);
        QTRY_VERIFY(!m_form);
        QCOMPARE(sysIniLines().value(15), QStringLiteral("0"));

        RegisterWindow* reg = registerWindow();
        QVERIFY(reg);
        QVERIFY(control<QLabel>(reg, "containedTaxLabel")->text().isEmpty());
        QVERIFY(showActive(reg));
        QVERIFY(focusOn(reg, "lineCodeBoxes_1"));
        type("1");
        press(Qt::Key_Return);
        type("2");
        press(Qt::Key_Return);
        press(Qt::Key_F12);
        const QByteArray slip = dir().bytes("reg.dat").left(1024);
        QCOMPARE(slip.size(), 1024);
        QCOMPARE(f64(slip, Off::Sales::Subtotal), 220.0);
        QCOMPARE(f64(slip, Off::Sales::Tax), 0.0);
    }

    void captionBecomesTabCaptionAfterClose()
    {
        RegisterWindow* reg = registerWindow();
        control(reg, "lineCodeBoxes_1")->setFocus();
        QTest::keyClicks(control(reg, "lineCodeBoxes_1"), QStringLiteral("1"));
        open();
        retype(w("groupCaptionBoxes_1"), QStringLiteral("文房具"));
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        QTest::mouseClick(w<QPushButton>("closeButton"), Qt::LeftButton);
        QCOMPARE(registerWindow(), reg); // the same window, its lists reloaded
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->caption(1), QStringLiteral("文房具"));
        QCOMPARE(SysStr[2], QStringLiteral("文房具"));
        QCOMPARE(sysIniLines().value(51), QStringLiteral("\"文房具\""));
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(), QStringLiteral("1")); // the half-entered slip stays
    }

    // A text sys.ini cannot hold is refused where it is typed; one that got there anyway (pasted) is refused by
    // "登録", which names the field and writes nothing, not even the rate typed beside it.
    void textThatSysIniCannotHoldIsRefused_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named"); // the start of the message
        QTest::addColumn<bool>("focused");  // the cashier is put back in the box
        // clang-format off
        QTest::newRow("caption: double quote") << "groupCaptionBoxes_0" << "12\"TV" << "" << false;
        QTest::newRow("caption: line break") << "groupCaptionBoxes_0" << "上\n下" << "" << false;
        QTest::newRow("caption: not in code page 932") << "groupCaptionBoxes_0" << "😀" << "" << false;
        QTest::newRow("shop name: double quote") << "shopNameBox" << "12\"TV" << "店名" << true;
        QTest::newRow("address: line break") << "shopAddressBox" << "上\n下" << "住所" << true;
        // clang-format on
    }
    void textThatSysIniCannotHoldIsRefused()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, named);
        QFETCH(bool, focused);
        const QByteArray before = dir().bytes("sys.ini");
        open();
        retype(w(box), text);
        QVERIFY(!w(box)->text().contains(text));
        w(box)->setText(text);
        retype(w("taxRateBox"), QStringLiteral("0.08"));
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        const QStringList messages = shown();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.first().startsWith(named), qPrintable(messages.first()));
        QCOMPARE(m_form->focusWidget() == w(box), focused);
        QCOMPARE(SysStr[1], QStringLiteral("食料品"));
        QVERIFY(SysStr[5].isEmpty());
        QCOMPARE(SysNum[11], 0.1);
        QCOMPARE(dir().bytes("sys.ini"), before);
    }

    // A printer chosen before and not there now stays chosen, and is kept by the save.
    void shopDetailsAndReceiptSettings()
    {
        SysStr[9] = QStringLiteral("TM-T20");
        open();
        QCOMPARE(w<QComboBox>("receiptPrinterBox")->currentData().toString(), QStringLiteral("TM-T20"));
        QVERIFY(w<QComboBox>("receiptPrinterBox")->currentText().contains(QStringLiteral("見つかりません")));
        retype(w("shopNameBox"), QStringLiteral("やおや 本店"));
        retype(w("shopAddressBox"), QStringLiteral("東京都千代田区1-1"));
        retype(w("shopPhoneBox"), QStringLiteral("03-1234-5678"));
        retype(w("registrationNoBox"), QStringLiteral("T1234567890123"));
        w<QComboBox>("receiptWidthBox")->setFocus();
        QTest::keyClick(w<QComboBox>("receiptWidthBox"), Qt::Key_Up);                   // 80 mm -> 58 mm
        QCOMPARE(w<QComboBox>("receiptPrinterBox")->itemData(0).toString(), QString()); // the system default
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        QVERIFY(shown().isEmpty());

        // SysNum[19] on line 19, SysStr[5] to SysStr[9] on lines 55 to 59.
        const QStringList lines = sysIniLines();
        QCOMPARE(lines.value(18), QStringLiteral("58"));
        QCOMPARE(lines.mid(54, 5), (QStringList{"\"やおや 本店\"", "\"東京都千代田区1-1\"", "\"03-1234-5678\"",
                                                "\"T1234567890123\"", "\"TM-T20\""}));
        m_form->close();
        QTRY_VERIFY(!m_form);
        open();
        QCOMPARE(w("registrationNoBox")->text(), QStringLiteral("T1234567890123"));
        QCOMPARE(w("shopAddressBox")->text(), QStringLiteral("東京都千代田区1-1"));
        QCOMPARE(w<QComboBox>("receiptWidthBox")->currentText(), QStringLiteral("58 mm"));
    }

    void registrationNo_data()
    {
        // clang-format off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("pasted"); // put in whole rather than typed
        QTest::newRow("empty") << QString() << QString() << true << false;
        QTest::newRow("T and 13 digits") << "T1234567890123" << "T1234567890123" << true << false;
        // An input method's full-width forms and a lower-case t become plain.
        QTest::newRow("full-width") << "ｔ１２３４５６７８９０１２３" << "T1234567890123" << true << false;
        QTest::newRow("lower t") << "t1234567890123" << "T1234567890123" << true << false;
        QTest::newRow("too short") << "T123456789012" << "T123456789012" << false << false;
        // Refused where it is typed: a 14th digit, a hyphen, digits without T.
        QTest::newRow("too long") << "T12345678901234" << "T1234567890123" << true << false;
        // A pasted number is cut to 14 characters, then checked.
        QTest::newRow("pasted, too long") << "T12345678901234" << "T1234567890123" << true << true;
        QTest::newRow("hyphen") << "T123-4567890123" << "T1234567890123" << true << false;
        QTest::newRow("no T") << "1234567890123" << QString() << true << false;
        // clang-format on
    }
    void registrationNo()
    {
        QFETCH(QString, typed);
        QFETCH(QString, display);
        QFETCH(bool, accepted);
        QFETCH(bool, pasted);
        SysStr[8] = QStringLiteral("T9999999999999");
        const QByteArray before = dir().bytes("sys.ini");
        open();
        retype(w("registrationNoBox"), pasted ? QString() : typed);
        w("registrationNoBox")->insert(pasted ? typed : QString());
        QCOMPARE(w("registrationNoBox")->text(), display);
        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        const QStringList messages = shown();
        if (accepted) {
            QVERIFY(messages.isEmpty());
            QCOMPARE(sysIniLines().value(57), u'"' + display + u'"');
        } else {
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages.first().contains(QStringLiteral("13 桁")));
            QCOMPARE(SysStr[8], QStringLiteral("T9999999999999"));
            QCOMPARE(dir().bytes("sys.ini"), before);
            QCOMPARE(m_form->focusWidget(), w("registrationNoBox"));
        }
    }

    // A save the disk refuses leaves every setting as sys.ini holds it; the next save, with room, takes them all
    // and the register shows them at once.
    void failedSaveKeepsWhatSysIniHolds()
    {
        SysStr[5] = QStringLiteral("元の店");
        SysStr[9] = QStringLiteral("TM-T20");
        SysNum[19] = 80;
        const auto captions = [] { return QStringList{SysStr[1], SysStr[2], SysStr[3], SysStr[4]}; };
        const QStringList captionsBefore = captions();
        RegisterWindow* reg = registerWindow();
        control(reg, "lineCodeBoxes_1")->setFocus();
        QTest::keyClicks(control(reg, "lineCodeBoxes_1"), QStringLiteral("1"));
        open();
        const QByteArray before = dir().bytes("sys.ini");
        retype(w("taxRateBox"), QStringLiteral("0.08"));
        for (int g = 0; g < 4; ++g)
            retype(w(QStringLiteral("groupCaptionBoxes_%1").arg(g)), QStringLiteral("新%1").arg(g + 1));
        retype(w("shopNameBox"), QStringLiteral("新しい店"));
        w<QComboBox>("receiptPrinterBox")->setCurrentIndex(0);
        w<QComboBox>("receiptWidthBox")->setCurrentIndex(0);
        {
            FullDisk disk(1);
            QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
            const QStringList messages = shown();
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages.first().contains(FullDisk::reason()), qPrintable(messages.first()));
        }
        QCOMPARE(dir().bytes("sys.ini"), before);
        QCOMPARE(SysNum[11], 0.1);
        QCOMPARE(captions(), captionsBefore);
        QCOMPARE(SysStr[5], QStringLiteral("元の店"));
        QCOMPARE(SysStr[9], QStringLiteral("TM-T20"));
        QCOMPARE(SysNum[19], 80.0);
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(),
                 QStringLiteral("1")); // the register was not reloaded under the cashier

        QTest::mouseClick(w<QPushButton>("registerButton"), Qt::LeftButton);
        QCOMPARE(shown(), QStringList{});
        QCOMPARE(SysNum[11], 0.08);
        QCOMPARE(SysStr[4], QStringLiteral("新4"));
        QCOMPARE(SysStr[9], QString());
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->caption(3), QStringLiteral("新4"));
    }

    void closingWithoutSavingDiscardsEditsButReloadsRegister()
    {
        RegisterWindow* reg = registerWindow();
        control<NumberedTabs>(reg, "productTabs")->setSelectedTab(2);
        open();
        retype(w("taxRateBox"), QStringLiteral("0.08"));
        m_form->close();
        QCOMPARE(SysNum[11], 0.1);
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->selectedTab(), 0);
        // With the register closed, closing the window opens it anew.
        delete reg;
        QTRY_VERIFY(!m_form);
        open();
        m_form->close();
        QVERIFY(registerWindow());
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "tst_settingswindow.moc"
