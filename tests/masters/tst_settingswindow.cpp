// The system settings window typed into as the shopkeeper does, checked in sys.ini and in the register.
#include "../common/guitest.h"

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
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

class TestSettingsWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;
    QPointer<SettingsWindow> m_form;

    SettingsWindow* open()
    {
        m_form = qobject_cast<SettingsWindow*>(Windows::systemSettings());
        return m_form;
    }
    QStringList sysIniLines() const { return fromCp932(m_dir->bytes("sys.ini")).split(QStringLiteral("\r\n")); }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }

    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        ClearProduct(1);
        ProductTable[1].ProductName = QStringLiteral("りんご");
        ProductTable[1].SalePrice = 110;
        showRegisterWindow();
        MessageBox::takeShown();
    }

    void cleanup()
    {
        delete m_form;
        delete registerWindow();
        m_dir.reset();
    }

    void load()
    {
        SysNum[11] = 0.05;
        SysNum[16] = 0.6; // rounds to 1: checked
        SysStr[3] = QStringLiteral("飲料, 酒");
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("system"));
        QCOMPARE(m_form->taxRateBox->text(), QStringLiteral("0.05"));
        QVERIFY(m_form->salesTaxCheck->isChecked());
        QCOMPARE(m_form->groupCaptionBoxes[2]->text(), QStringLiteral("飲料, 酒"));
        QCOMPARE(m_form->salesTaxCheck->objectName(), QStringLiteral("salesTaxCheck"));
        QCOMPARE(m_form->registerButton->text(), QStringLiteral("登録"));
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
        const QByteArray before = m_dir->bytes("sys.ini");
        QVERIFY(showActive(open()));
        // A settings file from before the reduced rate holds 0 there: the box shows it, nothing is in use.
        QCOMPARE(m_form->reducedRateBox->text(), QStringLiteral("0"));
        QCOMPARE(m_form->reducedRateBox->accessibleName(), QStringLiteral("軽減税率"));
        QLineEdit* box = reduced ? m_form->reducedRateBox : m_form->taxRateBox;
        retype(box, typed);
        if (reduced)
            retype(m_form->taxRateBox, QStringLiteral("0.1"));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        const QStringList shown = MessageBox::takeShown();
        QCOMPARE(SysNum[index], stored);
        if (reduced)
            QCOMPARE(SysNum[11], 0.1);
        QVERIFY(m_form->isVisible());
        if (accepted) {
            QVERIFY(shown.isEmpty());
            QCOMPARE(sysIniLines().value(index - 1), numText(stored));
            QCOMPARE(sysIniLines().value(10), reduced ? QStringLiteral("0.1") : numText(stored));
            m_form->close();
            QTRY_VERIFY(!m_form);
            QVERIFY(open());
            QCOMPARE((reduced ? m_form->reducedRateBox : m_form->taxRateBox)->text(), numText(stored));
        } else {
            QCOMPARE(shown.size(), 1);
            const QString named = reduced ? QStringLiteral("軽減税率") : QStringLiteral("0.1");
            QVERIFY2(shown.first().contains(named), qPrintable(shown.first()));
            if (reduced)
                QCOMPARE(focused(), box);
            QCOMPARE(m_dir->bytes("sys.ini"), before);
        }
    }

    void taxSwitchOffGivesSlipsWithoutTax()
    {
        open();
        QVERIFY(m_form->salesTaxCheck->isChecked());
        QTest::mouseClick(m_form->salesTaxCheck, Qt::LeftButton);
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QTest::mouseClick(m_form->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!m_form);
        QCOMPARE(sysIniLines().value(15), QStringLiteral("0"));

        RegisterWindow* reg = registerWindow();
        QVERIFY(reg);
        QVERIFY(control<QLabel>(reg, "containedTaxLabel")->text().isEmpty());
        reg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(reg));
        control(reg, "lineCodeBoxes_1")->setFocus();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F12);
        const QByteArray slip = m_dir->bytes("reg.dat").left(1024);
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
        retype(m_form->groupCaptionBoxes[1], QStringLiteral("文房具"));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QTest::mouseClick(m_form->closeButton, Qt::LeftButton);
        QCOMPARE(registerWindow(), reg); // the same window, its lists reloaded
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->caption(1), QStringLiteral("文房具"));
        QCOMPARE(SysStr[2], QStringLiteral("文房具"));
        QCOMPARE(sysIniLines().value(51), QStringLiteral("\"文房具\""));
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(), QStringLiteral("1")); // the half-entered slip stays
    }

    void captionThatSysIniCannotHoldIsRefused_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("double quote") << QStringLiteral("12\"TV");
        QTest::newRow("line break") << QStringLiteral("上\n下");
        QTest::newRow("not in code page 932") << QStringLiteral("😀");
    }
    void captionThatSysIniCannotHoldIsRefused()
    {
        QFETCH(QString, caption);
        const QByteArray before = m_dir->bytes("sys.ini");
        open();
        // Typing it is refused where it is typed ...
        retype(m_form->groupCaptionBoxes[0], caption);
        QVERIFY(!m_form->groupCaptionBoxes[0]->text().contains(caption));
        // ... and a text that got there anyway is refused by "登録".
        m_form->groupCaptionBoxes[0]->setText(caption);
        retype(m_form->taxRateBox, QStringLiteral("0.08"));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown().size(), 1);
        QCOMPARE(SysStr[1], QStringLiteral("食料品"));
        QCOMPARE(SysNum[11], 0.1);
        QCOMPARE(m_dir->bytes("sys.ini"), before);
    }

    void shopDetailsAndReceiptSettings()
    {
        open();
        retype(m_form->shopNameBox, QStringLiteral("やおや 本店"));
        retype(m_form->shopAddressBox, QStringLiteral("東京都千代田区1-1"));
        retype(m_form->shopPhoneBox, QStringLiteral("03-1234-5678"));
        retype(m_form->registrationNoBox, QStringLiteral("T1234567890123"));
        m_form->receiptWidthBox->setFocus();
        QTest::keyClick(m_form->receiptWidthBox, Qt::Key_Up);                   // 80 mm -> 58 mm
        QCOMPARE(m_form->receiptPrinterBox->itemData(0).toString(), QString()); // the system default
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QVERIFY(MessageBox::takeShown().isEmpty());

        // SysNum[19] on line 19, SysStr[5] to SysStr[9] on lines 55 to 59.
        const QStringList lines = sysIniLines();
        QCOMPARE(lines.value(18), QStringLiteral("58"));
        QCOMPARE(lines.mid(54, 5), (QStringList{"\"やおや 本店\"", "\"東京都千代田区1-1\"", "\"03-1234-5678\"",
                                                "\"T1234567890123\"", "\"\""}));
        m_form->close();
        QTRY_VERIFY(!m_form);
        open();
        QCOMPARE(m_form->registrationNoBox->text(), QStringLiteral("T1234567890123"));
        QCOMPARE(m_form->receiptWidthBox->currentText(), QStringLiteral("58 mm"));
    }

    void registrationNo_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("empty") << QString() << QString() << true;
        QTest::newRow("T and 13 digits") << "T1234567890123"
                                         << "T1234567890123" << true;
        // An input method's full-width forms and a lower-case t become plain.
        QTest::newRow("full-width") << "ｔ１２３４５６７８９０１２３"
                                    << "T1234567890123" << true;
        QTest::newRow("lower t") << "t1234567890123"
                                 << "T1234567890123" << true;
        QTest::newRow("too short") << "T123456789012"
                                   << "T123456789012" << false;
        // Refused where it is typed: a 14th digit, a hyphen, digits without T.
        QTest::newRow("too long") << "T12345678901234"
                                  << "T1234567890123" << true;
        QTest::newRow("hyphen") << "T123-4567890123"
                                << "T1234567890123" << true;
        QTest::newRow("no T") << "1234567890123" << QString() << true;
    }
    void registrationNo()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, accepted);
        SysStr[8] = QStringLiteral("T9999999999999");
        const QByteArray before = m_dir->bytes("sys.ini");
        open();
        retype(m_form->registrationNoBox, typed);
        QCOMPARE(m_form->registrationNoBox->text(), shown);
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        const QStringList messages = MessageBox::takeShown();
        if (accepted) {
            QVERIFY(messages.isEmpty());
            QCOMPARE(sysIniLines().value(57), u'"' + shown + u'"');
        } else {
            QCOMPARE(messages.size(), 1);
            QVERIFY(messages.first().contains(QStringLiteral("13 桁")));
            QCOMPARE(SysStr[8], QStringLiteral("T9999999999999"));
            QCOMPARE(m_dir->bytes("sys.ini"), before);
            QCOMPARE(m_form->focusWidget(), m_form->registrationNoBox);
        }
    }

    void shopDetailThatSysIniCannotHoldIsRefused()
    {
        const QByteArray before = m_dir->bytes("sys.ini");
        open();
        retype(m_form->shopNameBox, QStringLiteral("12\"TV"));
        QCOMPARE(m_form->shopNameBox->text(), QStringLiteral("12TV"));
        m_form->shopAddressBox->setText(QStringLiteral("上\n下")); // pasted past the check where typed
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        const QStringList messages = MessageBox::takeShown();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().startsWith(QStringLiteral("住所")));
        QCOMPARE(m_form->focusWidget(), m_form->shopAddressBox);
        QVERIFY(SysStr[5].isEmpty());
        QCOMPARE(m_dir->bytes("sys.ini"), before);
    }

    // A save the disk refuses leaves every setting as sys.ini holds it; the next save, with room, takes them all
    // and the register shows them at once.
    void failedSaveKeepsWhatSysIniHolds()
    {
        SysStr[5] = QStringLiteral("元の店");
        SysStr[9] = QStringLiteral("TM-T20");
        SysNum[19] = 80;
        QStringList captionsBefore;
        for (int g = 1; g <= 4; ++g)
            captionsBefore << SysStr[g];
        RegisterWindow* reg = registerWindow();
        control(reg, "lineCodeBoxes_1")->setFocus();
        QTest::keyClicks(control(reg, "lineCodeBoxes_1"), QStringLiteral("1"));
        open();
        const QByteArray before = m_dir->bytes("sys.ini");
        retype(m_form->taxRateBox, QStringLiteral("0.08"));
        QLineEdit* captions[] = {m_form->groupCaptionBoxes[0], m_form->groupCaptionBoxes[1],
                                 m_form->groupCaptionBoxes[2], m_form->groupCaptionBoxes[3]};
        for (int g = 0; g < 4; ++g)
            retype(captions[g], QStringLiteral("新%1").arg(g + 1));
        retype(m_form->shopNameBox, QStringLiteral("新しい店"));
        m_form->receiptPrinterBox->setCurrentIndex(0);
        m_form->receiptWidthBox->setCurrentIndex(0);
        {
            FullDisk disk(1);
            QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
            const QStringList messages = MessageBox::takeShown();
            QCOMPARE(messages.size(), 1);
            QVERIFY2(messages.first().contains(FullDisk::reason()), qPrintable(messages.first()));
        }
        QCOMPARE(m_dir->bytes("sys.ini"), before);
        QCOMPARE(SysNum[11], 0.1);
        for (int g = 1; g <= 4; ++g)
            QCOMPARE(SysStr[g], captionsBefore[g - 1]);
        QCOMPARE(SysStr[5], QStringLiteral("元の店"));
        QCOMPARE(SysStr[9], QStringLiteral("TM-T20"));
        QCOMPARE(SysNum[19], 80.0);
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(),
                 QStringLiteral("1")); // the register was not reloaded under the cashier

        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QCOMPARE(MessageBox::takeShown(), QStringList{});
        QCOMPARE(SysNum[11], 0.08);
        QCOMPARE(SysStr[4], QStringLiteral("新4"));
        QCOMPARE(SysStr[9], QString());
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->caption(3), QStringLiteral("新4"));
    }

    void printerNotThereStaysChosen()
    {
        SysStr[9] = QStringLiteral("TM-T20");
        open();
        QCOMPARE(m_form->receiptPrinterBox->currentData().toString(), QStringLiteral("TM-T20"));
        QVERIFY(m_form->receiptPrinterBox->currentText().contains(QStringLiteral("見つかりません")));
        QTest::mouseClick(m_form->registerButton, Qt::LeftButton);
        QCOMPARE(sysIniLines().value(58), QStringLiteral("\"TM-T20\""));
    }

    void closingWithoutSavingDiscardsEditsButReloadsRegister()
    {
        RegisterWindow* reg = registerWindow();
        control<NumberedTabs>(reg, "productTabs")->setSelectedTab(2);
        open();
        retype(m_form->taxRateBox, QStringLiteral("0.08"));
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
