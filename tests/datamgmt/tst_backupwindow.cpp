// The data management window driven through its buttons, with the real archiver, and its drive list.
#include "../common/guitest.h"

#include "datamgmt/backupwindow.h"
#include "platform/drives.h"
#include "platform/keepcopy.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/history.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray sampleBytes(quint32 seed, int size)
{
    // Half noise, half repetition, so the archiver's compression has work of both kinds.
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = i < size / 2 ? char(random.bounded(256)) : char("レジ"[i % 6]);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(MountRecord)

class TestBackupWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_savedAppDir;
    QString m_drive;
    QPointer<BackupWindow> m_form;

    // The program directory for one test, under the temporary root; `subdir` may contain blanks.
    void useAppDir(const QString& subdir)
    {
        AppDir = m_root.filePath(subdir);
        QVERIFY(QDir().mkpath(AppDir));
    }

    QStringList m_asked; // the questions answered so far

    // Presses a button; a restore is answered `answer` when it asks before replacing the file.
    void click(const char* name, QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        auto* button = control<QPushButton>(m_form, QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        if (button->parentWidget() == m_form->restoreFrame || button == m_form->keptCopyRestoreButton)
            MessageBox::setNextAnswer(answer);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The boxes shown since the last call, without the questions, which go to m_asked.
    QStringList shown()
    {
        QStringList rest;
        for (const QString& text : MessageBox::takeShown())
            (text.endsWith(QStringLiteral("置き換えますか？")) ? m_asked : rest) << text;
        return rest;
    }

private Q_SLOTS:
    void initTestCase()
    {
        MessageBox::enableTestMode();
        QVERIFY(m_root.isValid());
        m_savedAppDir = AppDir;
    }

    void init()
    {
        static int run = 0;
        m_drive = m_root.filePath(QStringLiteral("drive%1").arg(++run));
        QVERIFY(QDir().mkpath(m_drive));
        useAppDir(QStringLiteral("app%1").arg(run));
        m_form = new BackupWindow;
        m_form->addDrive(m_drive);
        m_form->driveBox->setCurrentText(m_drive);
        QVERIFY(showActive(m_form));
    }

    void cleanup()
    {
        delete m_form;
        MessageBox::takeShown();
        m_asked.clear();
        AppDir = m_savedAppDir;
    }

    void windowFrame()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("データ管理"));
        // One more row than the six data files (the history of slip changes), and the row of kept copies.
        QCOMPARE(m_form->size(), QSize(twips(7515), twips(5895 + 960)));
        QVERIFY(!m_form->isModal());
        QCOMPARE(m_form->salesBackupButton->accessibleName(), QStringLiteral("レジデータ バックアップ"));
        QCOMPARE(m_form->driveBox->accessibleName(), QStringLiteral("バックアップ先ドライブ"));
        QCOMPARE(unnamedControls(m_form), QStringList());

        click("closeButton");
        QTRY_VERIFY(m_form.isNull()); // closing unloads the window
    }

    void backupThenRestoreRoundTrips_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("backupButton");
        QTest::addColumn<QString>("restoreButton");
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("archive");

        const char* rows[8][4] = {
            {"salesBackupButton", "salesRestoreButton", "reg.dat", "reg.lzh"},
            {"purchasesBackupButton", "purchasesRestoreButton", "siire.dat", "siire.lzh"},
            {"productsBackupButton", "productsRestoreButton", "syohin.dat", "syohin.lzh"},
            {"purchaseItemsBackupButton", "purchaseItemsRestoreButton", "zaiko.dat", "zaiko.lzh"},
            {"suppliersBackupButton", "suppliersRestoreButton", "siiresaki.dat", "siiresaki.lzh"},
            {"settingsBackupButton", "settingsRestoreButton", "sys.ini", "sys.lzh"},
            {"historyBackupButton", "historyRestoreButton", "rireki.dat", "rireki.lzh"},
            {"closingsBackupButton", "closingsRestoreButton", "seisan.dat", "seisan.lzh"},
        };
        for (const auto& r : rows) {
            QTest::newRow(r[2]) << QString() << r[0] << r[1] << r[2] << r[3];
        }
        QTest::newRow("blank in program directory") << QStringLiteral("program files/till app") << "salesBackupButton"
                                                    << "salesRestoreButton"
                                                    << "reg.dat"
                                                    << "reg.lzh";
    }

    void backupThenRestoreRoundTrips()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, backupButton);
        QFETCH(QString, restoreButton);
        QFETCH(QString, dataFile);
        QFETCH(QString, archive);
        if (!programDir.isEmpty())
            useAppDir(programDir);

        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);
        const QString data = dataPath(dataFile);
        const QString archivePath = m_drive + u'/' + archive;
        QByteArray first = sampleBytes(1, 5000);
        if (dataFile == u"sys.ini") { // must stay a settings file the program can read back
            first.clear();
            for (int i = 1; i <= 50; ++i)
                first += QByteArray::number(i) + "\r\n";
            for (int i = 1; i <= 50; ++i)
                first += "\"" + toCp932(QStringLiteral("設定%1").arg(i)) + "\"\r\n";
        }
        QVERIFY(writeFile(data, first));

        click(qPrintable(backupButton));
        QCOMPARE(shown(), QStringList());
        QVERIFY(QFile::exists(archivePath));

        QVERIFY(writeFile(data, QByteArrayLiteral("changed after the backup")));
        SysNum[Sys::SalesRecordCount] = SysNum[Sys::PurchaseRecordCount] = 1;
        SysNum[Sys::NextSalesSlipNo] = SysNum[Sys::NextPurchaseSlipNo] = 2;
        const bool slips = dataFile == u"reg.dat" || dataFile == u"siire.dat";
        const SlipFile slipFile = dataFile == u"reg.dat" ? SlipFile::Sales : SlipFile::Purchases;
        // The month index of the file as it was before the restore, which must not stay beside the restored one.
        if (slips)
            QVERIFY(RebuildSlipIndex(slipFile).ok);
        click(qPrintable(restoreButton));
        if (slips) {
            QVERIFY(!QFile::exists(dataPath(SlipMonthFileName(slipFile))));
            const QString disagreement = slipIndexDisagreement(slipFile);
            QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
        }
        // The sample's records all hold slip numbers: the counters rise to its 5 records and say so.
        const QStringList told = shown();
        QCOMPARE(told.size(), slips ? 1 : 0);
        if (slips)
            QVERIFY2(told[0].endsWith(QStringLiteral("%1 に合わせて、次の伝票番号を 2 から 6 に、"
                                                     "データ件数を 1 から 5 に上げました。")
                                          .arg(dataFile)),
                     qPrintable(told[0]));
        QCOMPARE(readFile(data), first);
        QCOMPARE(restoredSpy.count(), 1);
        QCOMPARE(restoredSpy.at(0).at(0).toString(), dataFile);
    }

    // A restored history is anchored as it is: an older copy is not taken for one that lost its last entries.
    void restoredHistoryIsAnchored()
    {
        QByteArray history;
        QByteArray previous;
        for (int n = 1; n <= 3; ++n) {
            HistoryEntry e;
            e.entryNo = n;
            e.operation = HistoryOperation::Reset;
            e.time = QStringLiteral("2026/12/01 10:00:00");
            e.file = QStringLiteral("reg.dat");
            e.after = QByteArray(1024, '\0');
            const QByteArray bytes = encodeHistoryEntry(e, previous);
            previous = bytes.mid(96, 32);
            history += bytes;
            if (n == 2) {
                QVERIFY(writeFile(dataPath(QStringLiteral("rireki.dat")), history));
                click("historyBackupButton");
            }
        }
        QVERIFY(writeFile(dataPath(QStringLiteral("rireki.dat")), history));
        QVERIFY(writeFile(dataPath(QStringLiteral("rireki.anc")), encodeHistoryAnchor(3, previous)));
        click("historyRestoreButton");
        QCOMPARE(readFile(dataPath(QStringLiteral("rireki.anc"))), encodeHistoryAnchor(2, history.mid(2176 + 96, 32)));
        SysNum[Sys::NextSalesSlipNo] = 1; // the reset left no slip
        const HistoryCheck check = verifyHistory();
        QVERIFY2(check.whole, qPrintable(check.message));
    }

    // What is restored is what the program goes on with: the next save must not write old values back.
    void restoreReloadsSettingsAndProducts()
    {
        SysNum[Sys::NextSalesSlipNo] = 41;
        SysStr[Sys::FirstGroupCaption] = QStringLiteral("復元前");
        QVERIFY(SaveSettings().ok);
        ProductTable[7].ProductName = QStringLiteral("みかん");
        SysNum[Sys::ProductCount] = 400;
        QVERIFY(SaveProduct(7).ok);
        click("settingsBackupButton");
        click("productsBackupButton");

        SysNum[Sys::NextSalesSlipNo] = 99;
        SysStr[Sys::FirstGroupCaption] = QStringLiteral("後");
        QVERIFY(SaveSettings().ok);
        ProductTable[7].ProductName = QStringLiteral("りんご");
        QVERIFY(SaveProduct(7).ok);

        click("settingsRestoreButton");
        click("productsRestoreButton");
        QCOMPARE(shown(), QStringList());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 41.0);
        QCOMPARE(SysStr[Sys::FirstGroupCaption], QStringLiteral("復元前"));
        QCOMPARE(ProductTable[7].ProductName.trimmed(), QStringLiteral("みかん"));
    }

    // A save left with its journal on disk is completed before the restore, never replayed over the restored file.
    void pendingSaveCompletedBeforeRestore()
    {
        SysNum[Sys::SalesRecordCount] = 1;
        SysNum[Sys::NextSalesSlipNo] = 1;
        QVERIFY(SaveSettings().ok);
        const QByteArray kept(SalesSlipRecordSize, 'A');
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), kept));
        click("salesBackupButton");
        Transaction t;
        t.records << JournalRecord{QStringLiteral("reg.dat"), 1, QByteArray(SalesSlipRecordSize, 'x'),
                                   QByteArray(SalesSlipRecordSize, ' ')};
        t.settings << JournalSetting{Sys::NextSalesSlipNo, 2};
        SetJournalHook([](JournalStep step) {
            if (step == JournalStep::JournalWritten)
                throw step; // stopped as a power cut would stop it
        });
        QVERIFY_THROWS_EXCEPTION(JournalStep, CommitTransaction(t));
        SetJournalHook(nullptr);

        click("salesRestoreButton");
        QCOMPARE(shown(), QStringList());
        QVERIFY(!QFile::exists(JournalPath()));
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), kept);
    }

    void restoredBadSettingsAreReported()
    {
        QVERIFY(writeFile(dataPath(QStringLiteral("sys.ini")), QByteArrayLiteral("1\r\n2\r\n")));
        click("settingsBackupButton");
        SysNum[Sys::NextSalesSlipNo] = 12;
        QVERIFY(SaveSettings().ok);
        click("settingsRestoreButton");
        const QStringList boxes = shown();
        QCOMPARE(boxes.size(), 1);
        QVERIFY(boxes[0].contains(QStringLiteral("sys.ini")));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 12.0); // the tables stay as they were
    }

    void failureShowsMessageAndNextPressWorks_data()
    {
        QTest::addColumn<QString>("failingButton");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("driveExists");
        QTest::newRow("restore without archive")
            << "salesRestoreButton" << QStringLiteral("LHA 上書き解凍エラー\n%1/reg.lzh が見つかりません。") << true;
        QTest::newRow("backup to missing drive") << "salesBackupButton" << QStringLiteral("LHA 圧縮エラー") << false;
    }

    void failureShowsMessageAndNextPressWorks()
    {
        QFETCH(QString, failingButton);
        QFETCH(QString, message);
        QFETCH(bool, driveExists);

        const QByteArray original = sampleBytes(3, 2048);
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), original));
        SysNum[Sys::SalesRecordCount] = 2; // the counters know both records: restoring them raises nothing
        SysNum[Sys::NextSalesSlipNo] = 3;
        if (!driveExists) {
            const QString gone = m_drive + QStringLiteral("/unplugged");
            m_form->addDrive(gone);
            m_form->driveBox->setCurrentText(gone);
        }
        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);

        click(qPrintable(failingButton));
        const QStringList failure = shown();
        QCOMPARE(failure.size(), 1);
        QVERIFY2(failure[0].startsWith(message.arg(m_drive)), qPrintable(failure[0]));
        QCOMPARE(m_asked, QStringList()); // nothing to restore, nothing asked
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), original);
        QCOMPARE(restoredSpy.count(), 0);

        // The window keeps no state from the failure: with a usable drive the next presses succeed.
        m_form->driveBox->setCurrentText(m_drive);
        click("salesBackupButton");
        click("salesRestoreButton");
        QCOMPARE(shown(), QStringList());
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), original);
        QCOMPARE(restoredSpy.count(), 1);
    }

    // Every restore asks first, naming the file and when its archive was written; No writes nothing.
    void restoreAsksFirst_data()
    {
        QTest::addColumn<bool>("kept"); // from the backup folder rather than the drive
        QTest::addColumn<bool>("yes");
        QTest::newRow("drive, no") << false << false;
        QTest::newRow("drive, yes") << false << true;
        QTest::newRow("backup folder, no") << true << false;
        QTest::newRow("backup folder, yes") << true << true;
    }

    void restoreAsksFirst()
    {
        QFETCH(bool, kept);
        QFETCH(bool, yes);
        const QString data = dataPath(QStringLiteral("reg.dat"));
        const QByteArray old = sampleBytes(5, 3000);
        QVERIFY(writeFile(data, old));
        SysNum[Sys::SalesRecordCount] = 3; // the counters know the restored records: nothing to raise
        SysNum[Sys::NextSalesSlipNo] = 4;
        QDateTime when;
        if (kept) {
            when = QDateTime(QDate(2026, 12, 7), QTime(15, 30, 0));
            QString archive;
            QVERIFY(keepCopy(data, when, archive).ok);
            m_form->listKeptCopies();
            QCOMPARE(m_form->keptCopiesBox->currentText(), QStringLiteral("2026/12/07 15:30:00　reg.dat"));
        } else {
            click("salesBackupButton");
            when = QFileInfo(m_drive + QStringLiteral("/reg.lzh")).lastModified();
        }
        const QByteArray now = sampleBytes(6, 1024);
        QVERIFY(writeFile(data, now));
        const QStringList before = QDir(AppDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);

        click(kept ? "keptCopyRestoreButton" : "salesRestoreButton", yes ? QMessageBox::Yes : QMessageBox::No);
        QCOMPARE(shown(), QStringList());
        QCOMPARE(m_asked.size(), 1);
        QVERIFY2(
            m_asked[0].startsWith(QStringLiteral("reg.dat を ") + when.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))),
            qPrintable(m_asked[0]));
        QCOMPARE(readFile(data), yes ? old : now);
        QCOMPARE(restoredSpy.count(), yes ? 1 : 0);
        QCOMPARE(QDir(AppDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
    }

    // An archive that cannot be restored says why, asks nothing and leaves every file as it was.
    void restoreRefusesWithReason_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("reason");
        QTest::newRow("not on the medium") << "missing"
                                           << "が見つかりません";
        QTest::newRow("damaged") << "damaged"
                                 << "は壊れているため読めません";
        QTest::newRow("not a file at all") << "text"
                                           << "は壊れているため読めません";
        // reg.lzh holding syohin.dat would otherwise replace the products.
        QTest::newRow("another file in it") << "other"
                                            << "の中身は reg.dat ではありません（中身: syohin.dat）";
    }

    void restoreRefusesWithReason()
    {
        QFETCH(QString, problem);
        QFETCH(QString, reason);
        const QByteArray sales = sampleBytes(7, 4000);
        const QByteArray products = sampleBytes(8, 2048);
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), sales));
        QVERIFY(writeFile(dataPath(QStringLiteral("syohin.dat")), products));
        const QString archive = m_drive + QStringLiteral("/reg.lzh");
        if (problem == u"damaged") {
            click("salesBackupButton");
            QByteArray bytes = readFile(archive);
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
            QVERIFY(writeFile(archive, bytes));
        } else if (problem == u"text") {
            QVERIFY(writeFile(archive, QByteArrayLiteral("not an archive")));
        } else if (problem == u"other") {
            click("productsBackupButton");
            QVERIFY(QFile::rename(m_drive + QStringLiteral("/syohin.lzh"), archive));
        }
        QVERIFY(writeFile(dataPath(QStringLiteral("syohin.dat")), QByteArrayLiteral("changed")));
        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);

        click("salesRestoreButton");
        const QStringList failure = shown();
        QCOMPARE(failure.size(), 1);
        QVERIFY2(failure[0].startsWith(QStringLiteral("LHA 上書き解凍エラー\n")) && failure[0].contains(reason),
                 qPrintable(failure[0]));
        QCOMPARE(m_asked, QStringList());
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), sales);
        QCOMPARE(readFile(dataPath(QStringLiteral("syohin.dat"))), QByteArrayLiteral("changed"));
        QCOMPARE(restoredSpy.count(), 0);
    }

    // The copies data initialisation kept, newest first, by the date in their names; other files are not offered.
    void keptCopiesListedByDate()
    {
        const QString backup = AppDir + QStringLiteral("/backup");
        QVERIFY(QDir().mkpath(backup));
        const QString data = dataPath(QStringLiteral("siire.dat"));
        QVERIFY(writeFile(data, "x"));
        QString archive;
        for (const auto& when :
             {QDateTime(QDate(2025, 1, 2), QTime(9, 0, 0)), QDateTime(QDate(2026, 3, 4), QTime(10, 5, 6)),
              QDateTime(QDate(2026, 3, 4), QTime(10, 5, 6))})
            QVERIFY(keepCopy(data, when, archive).ok);
        QVERIFY(
            keepCopy(dataPath(QStringLiteral("siire.dat")), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)), archive).ok);
        QVERIFY(QFile::rename(archive, backup + QStringLiteral("/reg-20240506-070809.lzh")));
        for (const char* other :
             {"notes.lzh", "sys-20260101-000000.lzh", "reg-2026-01-01.lzh", "reg-20261399-000000.lzh"})
            QVERIFY(writeFile(backup + u'/' + QString::fromLatin1(other), "x"));
        m_form->listKeptCopies();
        QStringList items;
        for (int i = 0; i < m_form->keptCopiesBox->count(); ++i)
            items << m_form->keptCopiesBox->itemText(i);
        QCOMPARE(items, (QStringList{"2026/03/04 10:05:06　siire.dat", "2026/03/04 10:05:06　siire.dat",
                                     "2025/01/02 09:00:00　siire.dat", "2024/05/06 07:08:09　reg.dat"}));
        QVERIFY(m_form->keptCopiesBox->itemData(0).toString().endsWith(QStringLiteral("siire-20260304-100506-2.lzh")));
        QVERIFY(m_form->keptCopyRestoreButton->isEnabled());

        // A kept copy that no longer reads back whole says so, asks nothing and changes nothing.
        const QByteArray sales = sampleBytes(9, 1500);
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), sales));
        m_form->keptCopiesBox->setCurrentIndex(3);
        QVERIFY(writeFile(m_form->keptCopiesBox->currentData().toString(), "damaged"));
        click("keptCopyRestoreButton");
        const QStringList failure = shown();
        QCOMPARE(failure.size(), 1);
        QVERIFY2(failure[0].contains(QStringLiteral("は壊れているため読めません")), qPrintable(failure[0]));
        QCOMPARE(m_asked, QStringList());
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), sales);

        // With no folder there is nothing to choose.
        QVERIFY(QDir(backup).removeRecursively());
        m_form->listKeptCopies();
        QCOMPARE(m_form->keptCopiesBox->count(), 0);
        QVERIFY(!m_form->keptCopyRestoreButton->isEnabled());
    }

    void driveListOffersWritableFileSystems_data()
    {
        QTest::addColumn<QList<MountRecord>>("mounts");
        QTest::addColumn<QStringList>("expected");

        const QList<MountRecord> desktop = {
            {"/", "ext4", false},
            {"/proc", "proc", false},
            {"/sys/fs/cgroup", "cgroup2", false},
            {"/home", "ext4", false},
            {"/boot/efi", "vfat", false},
            {"/media/tanaka/USBSTICK", "vfat", false},
            {"/media/tanaka/CDROM", "iso9660", true},
            {"/run/media/tanaka/SD", "exfat", false},
            {"/mnt/backup", "ext4", false},
            {"/snap/core/1", "squashfs", true},
        };
        QTest::newRow("desktop") << desktop
                                 << QStringList{"/media/tanaka/USBSTICK", "/mnt/backup", "/run/media/tanaka/SD", "/",
                                                "/home"};

        const QList<MountRecord> container = {
            {"/", "overlay", false},
            {"/etc/hosts", "ext4", false},
            {"/var/lib/docker/overlay2/abc/merged", "overlay", false},
            {"/work", "ext4", false},
            {"/work", "ext4", false},
        };
        QTest::newRow("container") << container << QStringList{"/", "/work"};
        QTest::newRow("nothing writable")
            << QList<MountRecord>{{"/", "ext4", true}, {"/tmp", "tmpfs", false}} << QStringList();
    }

    void driveListOffersWritableFileSystems()
    {
        QFETCH(QList<MountRecord>, mounts);
        QFETCH(QStringList, expected);
        QCOMPARE(backupDrives(mounts), expected);
    }
};

QTEST_MAIN(TestBackupWindow)
#include "tst_backupwindow.moc"
