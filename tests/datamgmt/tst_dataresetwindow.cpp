// The data initialisation window: password, the five resets checked byte by byte on disk, the kept archives,
// and the register's entry area after a reset of the sales slips.
#include "../common/guitest.h"

#include "app/windows.h"
#include "datamgmt/dataresetwindow.h"
#include "platform/messagebox.h"
#include "platform/tabstrip.h"
#include "register/registerwindow.h"
#include "storage/products.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include <archive.h>
#include <archive_entry.h>

namespace {

// n records of `size` bytes, each filled with its own letter so that any overwrite shows.
QByteArray markedRecords(int n, int size)
{
    QByteArray bytes;
    for (int k = 0; k < n; ++k)
        bytes += QByteArray(size, char('A' + k % 26));
    return bytes;
}

// The one file inside an LHA archive, read back with libarchive.
QByteArray archivedFile(const QString& path, QString& name)
{
    QByteArray data;
    archive* a = archive_read_new();
    archive_read_support_format_lha(a);
    if (archive_read_open_filename(a, QFile::encodeName(path).constData(), 1 << 16) == ARCHIVE_OK) {
        archive_entry* e = nullptr;
        if (archive_read_next_header(a, &e) == ARCHIVE_OK) {
            name = QString::fromLatin1(archive_entry_pathname(e));
            char buf[1 << 16];
            for (la_ssize_t n; (n = archive_read_data(a, buf, sizeof buf)) > 0;)
                data.append(buf, n);
        }
    }
    archive_read_free(a);
    return data;
}

} // namespace

class TestDataResetWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestAppDir> m_dir;
    QPointer<DataResetWindow> m_form;

    DataResetWindow* open()
    {
        m_form = qobject_cast<DataResetWindow*>(Windows::dataInitialisation());
        return m_form;
    }
    QString m_asked;

    // Password, then the reset button, answering the question that comes first with `answer`; returns the
    // boxes shown after it (the question itself is kept in m_asked).
    QStringList reset(QPushButton* button, const QString& password = QStringLiteral("480213"),
                      QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        retype(m_form->passwordBox, password);
        MessageBox::setNextAnswer(answer);
        QTest::mouseClick(button, Qt::LeftButton);
        QStringList shown = MessageBox::takeShown();
        m_asked.clear();
        if (!shown.isEmpty() && shown.first().endsWith(QStringLiteral("初期化しますか？")))
            m_asked = shown.takeFirst();
        return shown;
    }
    QStringList backups() const { return QDir(m_dir->file("backup")).entryList(QDir::Files, QDir::Name); }

private Q_SLOTS:
    void initTestCase() { MessageBox::enableTestMode(); }

    void init()
    {
        m_dir = std::make_unique<TestAppDir>();
        showRegisterWindow();
        MessageBox::takeShown();
    }

    void cleanup()
    {
        delete m_form;
        delete registerWindow();
        m_dir.reset();
    }

    void layoutAndLoad()
    {
        SysNum[1] = 2000;
        SysNum[9] = 0.5;
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("データ初期化"));
        QCOMPARE(m_form->settingBoxes[0]->text(), QStringLiteral("2000"));
        QCOMPARE(m_form->settingBoxes[1]->text(), QStringLiteral("1"));
        QCOMPARE(m_form->settingBoxes[5]->text(), QStringLiteral("400"));
        QCOMPARE(m_form->settingBoxes[8]->text(), QStringLiteral("0.5"));
        QCOMPARE(m_form->settingBoxes[4]->objectName(), QStringLiteral("settingBoxes_4"));
        QCOMPARE(m_form->settingCaptions[5]->text(), QStringLiteral("商品データ件数"));
        QCOMPARE(m_form->passwordBox->echoMode(), QLineEdit::Password);
        QCOMPARE(m_form->resetProductsButton->parentWidget(), m_form->resetFrame);
        QVERIFY(m_form->resetPurchaseItemsButton->y() < m_form->resetProductsButton->y());
    }

    void wrongPasswordChangesNothing_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("empty") << QString();
        QTest::newRow("short") << QStringLiteral("48021");
        QTest::newRow("trailing blank") << QStringLiteral("480213 ");
        QTest::newRow("other") << QStringLiteral("123456");
    }
    void wrongPasswordChangesNothing()
    {
        QFETCH(QString, password);
        SysNum[1] = 2;
        SysNum[2] = 3;
        SaveSettings();
        m_dir->writeBytes("reg.dat", markedRecords(2, 1024));
        const QByteArray settings = m_dir->bytes("sys.ini");
        open();
        for (QPushButton* b :
             {m_form->resetSalesButton, m_form->resetPurchasesButton, m_form->resetPurchaseItemsButton,
              m_form->resetProductsButton, m_form->resetSuppliersButton, m_form->resetClosingsButton}) {
            QCOMPARE(reset(b, password), QStringList{QStringLiteral("パスワードを入力してください。")});
        }
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_form->passwordBox->text(), password);
        QCOMPARE(m_dir->bytes("reg.dat"), markedRecords(2, 1024));
        QCOMPARE(m_dir->bytes("sys.ini"), settings);
        QVERIFY(!QFile::exists(m_dir->file("zaiko.dat")));
        QVERIFY(!QFile::exists(m_dir->file("backup")));
        QCOMPARE(SysNum[2], 3.0);
    }

    // After the right password the reset asks once more, naming the file and how many records it empties; No
    // leaves every file, the settings and the backup folder as they were, and the window open.
    void answeringNoWritesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("records");
        QTest::newRow("sales slips") << "resetSalesButton"
                                     << "reg.dat"
                                     << "3";
        QTest::newRow("purchase slips") << "resetPurchasesButton"
                                        << "siire.dat"
                                        << "2";
        QTest::newRow("purchase items") << "resetPurchaseItemsButton"
                                        << "zaiko.dat"
                                        << "400";
        QTest::newRow("products: the count in the box") << "resetProductsButton"
                                                        << "syohin.dat"
                                                        << "7";
        QTest::newRow("suppliers") << "resetSuppliersButton"
                                   << "siiresaki.dat"
                                   << "100";
        QTest::newRow("closings and cash in and out") << "resetClosingsButton"
                                                      << "seisan.dat"
                                                      << "3";
    }
    void answeringNoWritesNothing()
    {
        QFETCH(QString, button);
        QFETCH(QString, file);
        QFETCH(QString, records);
        SysNum[1] = 3;
        SysNum[3] = 2;
        SaveSettings();
        for (const char* name : {"reg.dat", "siire.dat", "zaiko.dat", "syohin.dat", "siiresaki.dat"})
            m_dir->writeBytes(QString::fromLatin1(name), markedRecords(3, 128));
        m_dir->writeBytes("seisan.dat", markedRecords(3, 512));
        const QByteArray settings = m_dir->bytes("sys.ini");
        open();
        retype(m_form->settingBoxes[5], QStringLiteral("7"));
        const QStringList after =
            reset(m_form->findChild<QPushButton*>(button), QStringLiteral("480213"), QMessageBox::No);
        QVERIFY2(m_asked.contains(file), qPrintable(m_asked));
        QVERIFY2(m_asked.contains(records + QStringLiteral(" 件")), qPrintable(m_asked));
        QCOMPARE(after, QStringList());
        for (const char* name : {"reg.dat", "siire.dat", "zaiko.dat", "syohin.dat", "siiresaki.dat"})
            QCOMPARE(m_dir->bytes(QString::fromLatin1(name)), markedRecords(3, 128));
        QCOMPARE(m_dir->bytes("seisan.dat"), markedRecords(3, 512));
        QCOMPARE(m_dir->bytes("sys.ini"), settings);
        QVERIFY(!QFile::exists(m_dir->file("backup")));
        QVERIFY(m_form && m_form->isVisible());
        QVERIFY(registerWindow()->isEnabled());
    }

    void salesReset()
    {
        SysNum[1] = 3; // records prepared at the last reset
        SysNum[2] = 6;
        SaveSettings();
        const QByteArray old = markedRecords(5, 1024);
        m_dir->writeBytes("reg.dat", old);
        open();
        retype(m_form->settingBoxes[0], QStringLiteral("500"));

        const QStringList shown = reset(m_form->resetSalesButton);
        QCOMPARE(shown.size(), 1);
        const QStringList lines = shown.first().split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("初期化完了！！"));
        QCOMPARE(backups().size(), 1);
        const QString archive = backups().first();
        QVERIFY2(QRegularExpression(QStringLiteral("^reg-\\d{8}-\\d{6}\\.lzh$")).match(archive).hasMatch(),
                 qPrintable(archive));
        QVERIFY(lines.value(1).contains(archive));
        QString name;
        QCOMPARE(archivedFile(m_dir->file("backup/" + archive), name), old);
        QCOMPARE(name, QStringLiteral("reg.dat"));

        // The old count prepared the records; the typed one is stored for the next reset.
        const QByteArray reg = m_dir->bytes("reg.dat");
        QCOMPARE(reg.size(), 5 * 1024);
        // Texts blank up to the slip number, each line's name "0", every number and the reserved tail zero.
        QByteArray blank(Off::Sales::Size, '\0');
        blank.replace(Off::Sales::Date, Off::Sales::SlipNo, QByteArray(Off::Sales::SlipNo, ' '));
        for (int k = 1; k <= 10; ++k)
            blank.replace(Off::Sales::line(k) + Off::Line::Name, 50, QByteArray("0").leftJustified(50, ' '));
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(record(reg, n, 1024), blank);
        QCOMPARE(reg.mid(3 * 1024), old.mid(3 * 1024)); // records beyond N are left as they are
        QCOMPARE(SysNum[1], 500.0);
        QCOMPARE(SysNum[2], 1.0);
        const QStringList ini = fromCp932(m_dir->bytes("sys.ini")).split(QStringLiteral("\r\n"));
        QCOMPARE(ini.value(0), QStringLiteral("500"));
        QCOMPARE(ini.value(1), QStringLiteral("1"));

        // The window closed itself; the register runs afresh with slip number 1.
        QTRY_VERIFY(!m_form);
        QVERIFY(registerWindow()->isEnabled());
        QCOMPARE(control(registerWindow(), "slipNoBox")->text(), QStringLiteral("1"));

        // A second reset prepares the 500.
        open();
        QCOMPARE(m_form->settingBoxes[0]->text(), QStringLiteral("500"));
        QCOMPARE(reset(m_form->resetSalesButton).size(), 1);
        QCOMPARE(m_dir->bytes("reg.dat").size(), 500 * 1024);
        QCOMPARE(record(m_dir->bytes("reg.dat"), 500, 1024), blank);
        QCOMPARE(backups().size(), 2); // the first archive is never replaced
    }

    void purchaseSlipReset()
    {
        SysNum[3] = 2;
        SysNum[4] = 9;
        m_dir->writeBytes("siire.dat", markedRecords(3, 1024));
        open();
        QCOMPARE(reset(m_form->resetPurchasesButton).value(0).section(u'\n', 0, 0), QStringLiteral("初期化完了！！"));
        const QByteArray siire = m_dir->bytes("siire.dat");
        QByteArray blank(Off::Purchase::Size, ' ');
        blank.replace(Off::Purchase::SlipNo, 6, QByteArray(6, '\0')); // slip and supplier number
        for (int k = 1; k <= 10; ++k) {
            const int l = Off::Purchase::line(k);
            blank.replace(l + Off::Line::ProductNo, 2, QByteArray(2, '\0'));
            blank[l + Off::Line::Name] = '0';
            blank.replace(l + Off::Line::UnitPrice, 12, QByteArray(12, '\0'));
        }
        blank.replace(Off::Purchase::Subtotal, Off::Purchase::Reserved - Off::Purchase::Subtotal,
                      QByteArray(Off::Purchase::Reserved - Off::Purchase::Subtotal, '\0'));
        QCOMPARE(record(siire, 1, 1024), blank);
        QCOMPARE(record(siire, 2, 1024), blank);
        QCOMPARE(record(siire, 3, 1024), QByteArray(1024, 'C'));
        QCOMPARE(SysNum[3], 2.0); // the box showed the old count
        QCOMPARE(SysNum[4], 1.0);
    }

    void productReset_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("emptied");
        QTest::newRow("empty box") << QString() << 0;
        QTest::newRow("two") << QStringLiteral("2") << 2;
    }
    void productReset()
    {
        QFETCH(QString, typed);
        QFETCH(int, emptied);
        for (int n = 1; n <= 3; ++n) {
            ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
            ProductTable[n].SalePrice = 100 * n;
            ProductTable[n].Slot[1].ComponentItemNo = 7;
        }
        SysNum[6] = 3;
        m_dir->writeBytes("syohin.dat", markedRecords(4, 512));
        open();
        retype(m_form->settingBoxes[5], typed);
        QCOMPARE(reset(m_form->resetProductsButton).size(), 1);
        QCOMPARE(backups().size(), 1);
        QVERIFY(backups().first().startsWith(QStringLiteral("syohin-")));

        const QByteArray syohin = m_dir->bytes("syohin.dat");
        QCOMPARE(syohin.size(), 4 * 512);
        for (int n = 1; n <= 3; ++n) {
            const QByteArray r = record(syohin, n, 512);
            const bool empty = n <= emptied;
            QCOMPARE(ProductTable[n].ProductName.trimmed().isEmpty(), empty);
            QCOMPARE(txt(r, Off::Product::Name, 30).trimmed(), empty ? QString() : QStringLiteral("商品%1").arg(n));
            QCOMPARE(f64(r, Off::Product::SalePrice), empty ? 0.0 : 100.0 * n);
            QCOMPARE(i16(r, Off::Product::slot(1) + Off::Product::SlotItemNo), int16_t(empty ? 0 : 7));
        }
        QCOMPARE(record(syohin, 4, 512), QByteArray(512, 'D')); // beyond the old count
        QCOMPARE(SysNum[6], 400.0);
    }

    void purchaseItemReset()
    {
        SysNum[5] = 2;
        m_dir->writeBytes("zaiko.dat", markedRecords(3, 128));
        open();
        QCOMPARE(reset(m_form->resetPurchaseItemsButton).size(), 1);
        QByteArray blank(Off::Item::Size, ' ');
        blank.replace(Off::Item::StandardCost, Off::Item::SupplierName - Off::Item::StandardCost,
                      QByteArray(Off::Item::SupplierName - Off::Item::StandardCost, '\0'));
        const QByteArray zaiko = m_dir->bytes("zaiko.dat");
        QCOMPARE(zaiko, blank + blank + QByteArray(128, 'C'));
        QCOMPARE(SysNum[5], 400.0);
    }

    void supplierResetAlwaysGivesHundred()
    {
        SysNum[7] = 30;
        m_dir->writeBytes("siiresaki.dat", markedRecords(120, 128));
        open();
        retype(m_form->settingBoxes[6], QStringLiteral("5"));
        QCOMPARE(reset(m_form->resetSuppliersButton).size(), 1);
        QByteArray blank(Off::Supplier::Size, ' ');
        blank[Off::Supplier::TaxType] = 1;
        blank[Off::Supplier::TaxType + 1] = 0;
        blank.replace(Off::Supplier::Spare, 8, QByteArray(8, '\0'));
        const QByteArray file = m_dir->bytes("siiresaki.dat");
        for (int n = 1; n <= 100; ++n)
            QCOMPARE(record(file, n, 128), blank);
        QCOMPARE(file.mid(100 * 128), markedRecords(120, 128).mid(100 * 128));
        QCOMPARE(SysNum[7], 100.0);
    }

    // The closings' file emptied behind the same password and question, its old contents kept in the LHA copy
    // first; the change fund stays.
    void seisanReset()
    {
        SysNum[30] = 25000;
        m_dir->writeBytes("seisan.dat", markedRecords(3, 512));
        open();
        reset(m_form->resetClosingsButton, QStringLiteral("wrong"));
        QCOMPARE(m_dir->bytes("seisan.dat"), markedRecords(3, 512)); // a wrong password changes nothing
        MessageBox::takeShown();
        QCOMPARE(reset(m_form->resetClosingsButton).size(), 1);
        QVERIFY2(m_asked.contains(QStringLiteral("seisan.dat")), qPrintable(m_asked));
        QVERIFY(QFile::exists(m_dir->file("seisan.dat")));
        QCOMPARE(m_dir->bytes("seisan.dat"), QByteArray());
        QCOMPARE(SysNum[30], 25000.0);
        const QStringList kept = backups();
        QCOMPARE(kept.size(), 1);
        QVERIFY2(kept[0].startsWith(QStringLiteral("seisan-")), qPrintable(kept[0]));
    }

    void countsThatCannotBeUsedAreRefused_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::newRow("sales: words") << 0 << QStringLiteral("abc");
        QTest::newRow("sales: fraction") << 0 << QStringLiteral("1.5");
        QTest::newRow("sales: negative") << 0 << QStringLiteral("-1");
        QTest::newRow("sales: beyond 32 bits") << 0 << QStringLiteral("2147483648");
        QTest::newRow("purchases: words") << 2 << QStringLiteral("12a");
        QTest::newRow("products: 1001") << 5 << QStringLiteral("1001");
    }
    void countsThatCannotBeUsedAreRefused()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        ProductTable[1].ProductName = QStringLiteral("りんご");
        SysNum[1] = SysNum[3] = 2;
        SaveSettings();
        const QByteArray settings = m_dir->bytes("sys.ini");
        m_dir->writeBytes("reg.dat", markedRecords(2, 1024));
        open();
        retype(m_form->settingBoxes[box], typed);
        const QStringList shown = reset(box == 0   ? m_form->resetSalesButton
                                        : box == 2 ? m_form->resetPurchasesButton
                                                   : m_form->resetProductsButton);
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.first().contains(box == 5 ? QStringLiteral("1000") : QStringLiteral("2147483647")));
        QCOMPARE(m_dir->bytes("sys.ini"), settings);
        QCOMPARE(m_dir->bytes("reg.dat"), markedRecords(2, 1024));
        QVERIFY(!QFile::exists(m_dir->file("siire.dat")));
        QVERIFY(!QFile::exists(m_dir->file("backup")));
        QCOMPARE(ProductTable[1].ProductName, QStringLiteral("りんご"));
        QVERIFY(m_form->isVisible());
    }

    void archiveThatCannotBeWrittenStopsTheReset()
    {
        SysNum[1] = 2;
        SysNum[2] = 3;
        SaveSettings();
        m_dir->writeBytes("reg.dat", markedRecords(2, 1024));
        m_dir->writeBytes("backup", "a file where the folder should be");
        open();
        const QStringList shown = reset(m_form->resetSalesButton);
        QCOMPARE(shown.size(), 1);
        QVERIFY(!shown.first().contains(QStringLiteral("初期化完了")));
        QCOMPARE(m_dir->bytes("reg.dat"), markedRecords(2, 1024));
        QCOMPARE(SysNum[2], 3.0);
        QVERIFY(m_form->isVisible());
        QVERIFY(registerWindow()->isEnabled());
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
        QTest::mouseClick(m_form->closeButton, Qt::LeftButton);
        QTRY_VERIFY(!m_form);
        QCOMPARE(control(reg, "lineCodeBoxes_1")->text(), QStringLiteral("1"));
        QCOMPARE(control(reg, "lineQuantityBoxes_2")->text(), QStringLiteral("3"));

        open();
        QCOMPARE(reset(m_form->resetSalesButton).size(), 1);
        QTRY_VERIFY(!m_form);
        QCOMPARE(registerWindow(), reg);
        reg->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), control(reg, "lineCodeBoxes_1"));
        for (int k = 1; k <= 10; ++k) {
            QVERIFY(control(reg, QStringLiteral("lineCodeBoxes_%1").arg(k))->text().isEmpty());
            QVERIFY(control(reg, QStringLiteral("linePriceBoxes_%1").arg(k))->text().isEmpty());
            QVERIFY(control(reg, QStringLiteral("lineQuantityBoxes_%1").arg(k))->text().isEmpty());
            QCOMPARE(background(control(reg, QStringLiteral("lineNumberBoxes_%1").arg(k))),
                     k == 1 ? QColor(0, 255, 0) : QColor(255, 255, 255));
        }
        QCOMPARE(control<NumberedTabs>(reg, "productTabs")->selectedTab(), 0);
        QCOMPARE(control(reg, "slipNoBox")->text(), QStringLiteral("1"));
        QCOMPARE(control(reg, "lineCodeBoxes_1")->nextInFocusChain(), control(reg, "linePriceBoxes_1"));

        // With the register closed, a reset opens it.
        delete reg;
        open();
        QCOMPARE(reset(m_form->resetSalesButton).size(), 1);
        QVERIFY(registerWindow());
        QVERIFY(control(registerWindow(), "lineCodeBoxes_1")->text().isEmpty());
    }
};

QTEST_MAIN(TestDataResetWindow)
#include "tst_dataresetwindow.moc"
