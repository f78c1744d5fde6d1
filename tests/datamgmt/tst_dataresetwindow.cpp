// The data initialisation window: password and question before any reset, each reset run from its button with
// the counts of its boxes, the kept archive named, and the register's entry area after a reset of the sales slips.
#include "windowtest.h"

#include "app/windows.h"
#include "datamgmt/dataresetwindow.h"
#include "register/registerwindow.h"
#include "storage/password.h"
#include "storage/products.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"
#include "widgets/numberedtabs.h"

#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QtTest>
#include <functional>

namespace {

// n records of `size` bytes, each filled with its own letter so that any overwrite shows.
QByteArray markedRecords(int n, int size)
{
    QByteArray bytes;
    for (int k = 0; k < n; ++k)
        bytes += QByteArray(size, char('A' + k % 26));
    return bytes;
}

} // namespace

// What a row prepares before the window opens: the counters and tables.
using Prepare = std::function<void()>;
Q_DECLARE_METATYPE(Prepare)

class TestDataResetWindow : public WindowTest
{
    Q_OBJECT

    QPointer<DataResetWindow> m_form;
    QString m_asked;

    void setUp() override
    {
        ResetPasswordAttempts().succeeded();
        showRegisterWindow();
    }
    void tearDown() override
    {
        delete m_form;
        delete registerWindow();
    }

    void open() { m_form = qobject_cast<DataResetWindow*>(Windows::dataInitialisation()); }
    QLineEdit* box(int k) const { return control(m_form, QStringLiteral("settingBoxes_%1").arg(k)); }
    QPushButton* button(const QString& name) const { return control<QPushButton>(m_form, name); }

    // Password, then the named reset button, answering the question that comes first with `answer`; returns the
    // boxes shown after it (the question itself is kept in m_asked).
    QStringList reset(const QString& name, const QString& password = QStringLiteral("480213"),
                      QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        retype(control(m_form, "passwordBox"), password);
        MessageBox::setNextAnswer(answer);
        QTest::mouseClick(button(name), Qt::LeftButton);
        QStringList boxes = shown();
        m_asked.clear();
        if (!boxes.isEmpty() && boxes.first().endsWith(QStringLiteral("初期化しますか？")))
            m_asked = boxes.takeFirst();
        return boxes;
    }
    QStringList backups() const { return QDir(dir().file("backup")).entryList(QDir::Files, QDir::Name); }

private Q_SLOTS:
    void layoutAndLoad()
    {
        SysNum[1] = 2000;
        SysNum[9] = 0.5;
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("データ初期化"));
        QCOMPARE(box(0)->text(), QStringLiteral("2000"));
        QCOMPARE(box(1)->text(), QStringLiteral("1"));
        QCOMPARE(box(5)->text(), QStringLiteral("400"));
        QCOMPARE(box(8)->text(), QStringLiteral("0.5"));
        QCOMPARE(control<QPushButton>(m_form, "settingCaptions_5")->text(), QStringLiteral("商品データ件数"));
        QCOMPARE(control(m_form, "passwordBox")->echoMode(), QLineEdit::Password);
        QCOMPARE(button("resetProductsButton")->parentWidget(), control<QGroupBox>(m_form, "resetFrame"));
        QVERIFY(button("resetPurchaseItemsButton")->y() < button("resetProductsButton")->y());
        QCOMPARE(unnamedControls(m_form), QStringList());
    }

    // A wrong password, a count that cannot be used, No to the question that names the file and how many records
    // it empties, or an archive that cannot be kept: every file, the settings and the backup folder stay as they
    // were, and the window open.
    void refusedOrDeclinedWritesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("boxAt");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("asked"); // what the question names; empty: no question
        QTest::addColumn<QString>("told");      // what the one box after it says; empty: none, and No answered
        QTest::addColumn<bool>("blocked");      // a file where the backup folder should be
        const auto row = [](const char* tag, const char* button, const QString& password, int boxAt, const char* typed,
                            const QStringList& asked, const QString& told, bool blocked = false) {
            QTest::newRow(tag) << QStringLiteral("reset%1Button").arg(QLatin1String(button)) << password << boxAt
                               << QString::fromUtf8(typed) << asked << told << blocked;
        };
        const QString ok = QStringLiteral("480213");
        const QString password = QStringLiteral("パスワードを入力してください。");
        const QString slips = QStringLiteral("2147483647");
        // clang-format off
        row("sales, no password", "Sales", "", -1, "", {}, password);
        row("purchases, short", "Purchases", "48021", -1, "", {}, password);
        row("items, trailing blank", "PurchaseItems", "480213 ", -1, "", {}, password);
        row("products, other", "Products", "123456", -1, "", {}, password);
        row("suppliers, other", "Suppliers", "480214", -1, "", {}, password);
        row("closings, none", "Closings", "", -1, "", {}, password);
        row("sales, no", "Sales", ok, -1, "", {"reg.dat", "3 件"}, "");
        row("purchases, no", "Purchases", ok, -1, "", {"siire.dat", "2 件"}, "");
        row("items, no", "PurchaseItems", ok, -1, "", {"zaiko.dat", "400 件"}, "");
        row("products, no: the count in the box", "Products", ok, 5, "7", {"syohin.dat", "7 件"}, "");
        row("suppliers, no", "Suppliers", ok, -1, "", {"siiresaki.dat", "100 件"}, "");
        row("closings, no", "Closings", ok, -1, "", {"seisan.dat", "3 件"}, "");
        // Which texts make a count is tst_initialise's countFromText; here each box is read and refused.
        row("sales: words", "Sales", ok, 0, "abc", {}, slips);
        row("purchases: words", "Purchases", ok, 2, "12a", {}, slips);
        row("products: 1001", "Products", ok, 5, "1001", {}, QStringLiteral("1000"));
        row("archive cannot be kept", "Sales", ok, -1, "", {"reg.dat"}, QStringLiteral("初期化できませんでした"), true);
        // clang-format on
    }
    void refusedOrDeclinedWritesNothing()
    {
        QFETCH(QString, button);
        QFETCH(QString, password);
        QFETCH(int, boxAt);
        QFETCH(QString, typed);
        QFETCH(QStringList, asked);
        QFETCH(QString, told);
        QFETCH(bool, blocked);
        ProductTable[1].ProductName = QStringLiteral("りんご");
        SysNum[1] = 3;
        SysNum[2] = 5;
        SysNum[3] = 2;
        SaveSettings();
        const QStringList files = {"reg.dat", "siire.dat", "zaiko.dat", "syohin.dat", "siiresaki.dat"};
        for (const QString& name : files)
            dir().writeBytes(name, markedRecords(3, 128));
        dir().writeBytes("seisan.dat", markedRecords(3, 512));
        if (blocked)
            dir().writeBytes("backup", "a file where the folder should be");
        const QByteArray settings = dir().bytes("sys.ini");
        open();
        if (boxAt >= 0)
            retype(box(boxAt), typed);
        const QStringList after = reset(button, password, told.isEmpty() ? QMessageBox::No : QMessageBox::Yes);
        for (const QString& named : asked)
            QVERIFY2(m_asked.contains(named), qPrintable(m_asked));
        QCOMPARE(m_asked.isEmpty(), asked.isEmpty());
        QCOMPARE(after.size(), told.isEmpty() ? 0 : 1);
        QVERIFY2(after.value(0).contains(told), qPrintable(after.value(0)));
        for (const QString& name : files)
            QCOMPARE(dir().bytes(name), markedRecords(3, 128));
        QCOMPARE(dir().bytes("seisan.dat"), markedRecords(3, 512));
        QCOMPARE(dir().bytes("sys.ini"), settings);
        QCOMPARE(QFile::exists(dir().file("backup")), blocked);
        QCOMPARE(SysNum[2], 5.0);
        QCOMPARE(ProductTable[1].ProductName, QStringLiteral("りんご"));
        QVERIFY(m_form && m_form->isVisible());
        QCOMPARE(control(m_form, "passwordBox")->text(), password);
        QVERIFY(registerWindow()->isEnabled());
    }

    // Each button resets its own file with the count its box or the settings give: records 1 .. `blank` become
    // alike and unlike before, those after `kept` stay; the old file goes to an archive the message names, the
    // counter at `countAt` is stored and the window closes. The blank records' bytes are the storage tests' concern.
    void eachResetFromItsButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("size");
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<int>("boxAt"); // typed into before the reset
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("blank"); // -1: the file emptied
        QTest::addColumn<int>("kept");
        QTest::addColumn<int>("countAt");
        QTest::addColumn<double>("count");
        const Prepare products = [] {
            for (int n = 1; n <= 3; ++n)
                ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
            SysNum[6] = 3;
        };
        // The old count prepares the records; the typed one is stored for the next reset.
        // clang-format off
        QTest::newRow("sales slips") << "resetSalesButton" << "reg.dat" << 1024
            << Prepare([] { SysNum[1] = 3; SysNum[2] = 6; }) << 0 << "500" << 3 << 3 << 1 << 500.0;
        QTest::newRow("purchase slips") << "resetPurchasesButton" << "siire.dat" << 1024
            << Prepare([] { SysNum[3] = 2; SysNum[4] = 9; }) << -1 << "" << 2 << 2 << 3 << 2.0;
        QTest::newRow("products, none typed") << "resetProductsButton" << "syohin.dat" << 512
            << products << 5 << "" << 0 << 3 << 6 << 400.0;
        QTest::newRow("products, two") << "resetProductsButton" << "syohin.dat" << 512
            << products << 5 << "2" << 2 << 3 << 6 << 400.0;
        QTest::newRow("purchase items") << "resetPurchaseItemsButton" << "zaiko.dat" << 128
            << Prepare([] { SysNum[5] = 2; }) << -1 << "" << 2 << 2 << 5 << 400.0;
        QTest::newRow("suppliers: always a hundred") << "resetSuppliersButton" << "siiresaki.dat" << 128
            << Prepare([] { SysNum[7] = 30; }) << 6 << "5" << 100 << 100 << 7 << 100.0;
        QTest::newRow("closings: the change fund stays") << "resetClosingsButton" << "seisan.dat" << 512
            << Prepare([] { SysNum[30] = 25000; }) << -1 << "" << -1 << 1 << 30 << 25000.0;
        // clang-format on
    }
    void eachResetFromItsButton()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(int, size);
        QFETCH(Prepare, prepare);
        QFETCH(int, boxAt);
        QFETCH(QString, typed);
        QFETCH(int, blank);
        QFETCH(int, kept);
        QFETCH(int, countAt);
        QFETCH(double, count);
        prepare();
        SaveSettings();
        const QByteArray old = markedRecords(kept + 1, size);
        dir().writeBytes(file, old);
        open();
        if (boxAt >= 0)
            retype(box(boxAt), typed);

        const QStringList lines = reset(button).value(0).split(u'\n');
        QVERIFY2(m_asked.contains(file), qPrintable(m_asked));
        QCOMPARE(lines.value(0), QStringLiteral("初期化完了！！"));
        QCOMPARE(backups().size(), 1);
        QVERIFY2(backups().first().startsWith(file.section(u'.', 0, 0) + u'-'), qPrintable(backups().first()));
        QVERIFY2(lines.value(1).contains(backups().first()), qPrintable(lines.value(1)));
        const QByteArray now = dir().bytes(file);
        if (blank < 0) {
            QCOMPARE(now, QByteArray());
        } else {
            QCOMPARE(now.size(), old.size());
            for (int n = 1; n <= blank; ++n) {
                QVERIFY(record(now, n, size) != record(old, n, size));
                QCOMPARE(record(now, n, size), record(now, 1, size));
            }
            QCOMPARE(now.mid(kept * size), old.mid(kept * size));
        }
        QCOMPARE(SysNum[countAt], count);
        if (file == u"syohin.dat") // emptied in the table the register sells from, too
            QCOMPARE(ProductTable[2].ProductName.trimmed().isEmpty(), blank == 2);
        QTRY_VERIFY(!m_form);
        QVERIFY(registerWindow()->isEnabled());
    }

    // The owner's own password: the change asks for the current one and the new one twice, stores only a hash,
    // and from then on the reset takes the new one alone; wrong ones in a row make the box wait.
    void passwordChangedThenWaited()
    {
        open();
        QTest::mouseClick(button("changePasswordButton"), Qt::LeftButton);
        auto* dialog = m_form->findChild<QDialog*>(QStringLiteral("PasswordChangeDialog"));
        QVERIFY(dialog && dialog->isVisible());
        // Masked, one under the other, and the reset window waits while the dialog is open.
        for (const char* name : {"currentBox", "newBox", "repeatBox"})
            QCOMPARE(control(dialog, name)->echoMode(), QLineEdit::Password);
        QVERIFY(control(dialog, "currentBox")->y() < control(dialog, "newBox")->y());
        QVERIFY(control(dialog, "newBox")->y() < control(dialog, "repeatBox")->y());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QTRY_COMPARE(QApplication::focusWidget(), control(dialog, "currentBox"));
        const auto change = [&](const char* current, const char* next, const char* repeat) {
            retype(control(dialog, "currentBox"), QString::fromLatin1(current));
            retype(control(dialog, "newBox"), QString::fromLatin1(next));
            retype(control(dialog, "repeatBox"), QString::fromLatin1(repeat));
            QTest::keyClick(control(dialog, "repeatBox"), Qt::Key_Return);
            return shown();
        };
        QCOMPARE(change("480214", "abcd", "abcd"), QStringList{QStringLiteral("今のパスワードが違います。")});
        QCOMPARE(QApplication::focusWidget(), control(dialog, "currentBox"));
        QCOMPARE(change("480213", "abcd", "abce"),
                 QStringList{QStringLiteral("確認のパスワードが新しいパスワードと違います。")});
        // The rules of a new password and how it is stored are tst_password's; here the dialog passes it on.
        QCOMPARE(change("480213", "abcd", "abcd"), QStringList{QStringLiteral("パスワードを変更しました。")});
        QTRY_VERIFY(!m_form->findChild<QDialog*>());

        QCOMPARE(reset("resetSuppliersButton", QStringLiteral("480213")),
                 QStringList{QStringLiteral("パスワードを入力してください。")});
        QCOMPARE(reset("resetSuppliersButton", QStringLiteral("abcd"), QMessageBox::No), QStringList());
        QVERIFY(m_asked.contains(QStringLiteral("siiresaki.dat")));
        for (int i = 0; i < 3; ++i)
            reset("resetSuppliersButton", QStringLiteral("wrong"));
        const QStringList waiting = reset("resetSuppliersButton", QStringLiteral("abcd"));
        QVERIFY2(waiting.value(0).contains(QStringLiteral("待って")), qPrintable(waiting.join(u'|')));
        QVERIFY(m_asked.isEmpty());
    }

    // Closing the window leaves a sale being keyed in as it is; a reset of the sales slips clears it, since
    // neither an entry nor a correction can stand on slips that are gone.
    void salesResetClearsTheRegisterEntry()
    {
        RegisterWindow* reg = registerWindow();
        SysNum[1] = 2;
        SysNum[2] = 42;
        control(reg, "lineCodeBoxes_1")->setText(QStringLiteral("1"));
        control(reg, "linePriceBoxes_1")->setText(QStringLiteral("100"));
        control(reg, "lineQuantityBoxes_2")->setText(QStringLiteral("3"));
        control<NumberedTabs>(reg, "productTabs")->setSelectedTab(3);
        open();
        QTest::mouseClick(button("closeButton"), Qt::LeftButton);
        QTRY_VERIFY(!m_form);
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(), QStringLiteral("1"));
        QCOMPARE(control(reg, "lineQuantityBoxes_2")->text(), QStringLiteral("3"));

        open();
        QCOMPARE(reset("resetSalesButton").size(), 1);
        QTRY_VERIFY(!m_form);
        QCOMPARE(registerWindow(), reg);
        reg->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), control(reg, "lineCodeBoxes_1"));
        for (int k = 1; k <= 10; ++k) {
            for (const char* field : {"lineCodeBoxes_%1", "linePriceBoxes_%1", "lineQuantityBoxes_%1"})
                QVERIFY(control(reg, QString::fromLatin1(field).arg(k))->text().isEmpty());
            QCOMPARE(background(control(reg, QStringLiteral("lineNumberBoxes_%1").arg(k))),
                     k == 1 ? QColor(0, 255, 0) : QColor(255, 255, 255));
        }
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->selectedTab(), 0);
        QCOMPARE(control(reg, "slipNoBox")->text(), QStringLiteral("1"));
        QCOMPARE(control(reg, "lineCodeBoxes_1")->nextInFocusChain(), control(reg, "linePriceBoxes_1"));

        // With the register closed, a reset opens it.
        delete reg;
        open();
        QCOMPARE(reset("resetSalesButton").size(), 1);
        QVERIFY(registerWindow());
        QVERIFY(control(registerWindow(), "lineCodeBoxes_1")->text().isEmpty());
    }
};

QTEST_MAIN(TestDataResetWindow)
#include "tst_dataresetwindow.moc"
