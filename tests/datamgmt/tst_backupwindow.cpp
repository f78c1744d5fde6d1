// The data management window driven through its buttons, with the real archiver, and its drive list.
#include "windowtest.h"

#include "datamgmt/backupwindow.h"
#include "platform/archiver.h"
#include "platform/drives.h"
#include "platform/keepcopy.h"
#include "platform/twips.h"
#include "platform/wholebackup.h"
#include "storage/changes.h"
#include "storage/history.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <functional>

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

QComboBox* comboOf(QWidget* form, const char* name)
{
    return control<QComboBox>(form, QLatin1String(name));
}

} // namespace

// What stands in the way of a backup or restore, set up with the window and its drive.
using Obstacle = std::function<void(BackupWindow* form, const QString& drive)>;
Q_DECLARE_METATYPE(Obstacle)
Q_DECLARE_METATYPE(MountRecord)

class TestBackupWindow : public WindowTest
{
    Q_OBJECT

    QString m_drive;
    QPointer<BackupWindow> m_form;
    QStringList m_asked; // the questions answered so far

    void setUp() override
    {
        m_drive = dir().file(QStringLiteral("drive"));
        QVERIFY(QDir().mkpath(m_drive));
        m_form = new BackupWindow;
        m_form->addDrive(m_drive);
        comboOf(m_form, "driveBox")->setCurrentText(m_drive);
        QVERIFY(showActive(m_form));
    }
    void tearDown() override
    {
        delete m_form;
        m_asked.clear();
    }

    // Presses a button; a restore is answered `answer` when it asks before replacing the file.
    void click(const QString& name, QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        auto* button = control<QPushButton>(m_form, name);
        QVERIFY(button);
        if (name.endsWith(QStringLiteral("RestoreButton")))
            MessageBox::setNextAnswer(answer);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    // The boxes shown since the last call, without the questions, which go to m_asked.
    QStringList told()
    {
        QStringList rest;
        for (const QString& text : shown())
            (text.endsWith(QStringLiteral("置き換えますか？")) ? m_asked : rest) << text;
        return rest;
    }
    QString guide() const { return control<QLineEdit>(m_form, QStringLiteral("guideBox"))->text(); }
    static QByteArray data(const char* name) { return fileBytes(dataPath(QLatin1String(name))); }
    static void putData(const char* name, const QByteArray& bytes)
    {
        QVERIFY(putFile(dataPath(QLatin1String(name)), bytes));
    }

private Q_SLOTS:
    // A single file's backup says so on the status line only, naming the archive and its size; the whole backup
    // keeps every data file in one dated archive and says where and how big in a box as well; a drive gone says so.
    void backupsSayWhereAndHowBig()
    {
        putData("reg.dat", QByteArray(2048, 'r'));
        click(QStringLiteral("salesBackupButton"));
        QCOMPARE(told(), QStringList());
        const QString archive = QDir::toNativeSeparators(m_drive + QStringLiteral("/reg.lzh"));
        QCOMPARE(guide(), QStringLiteral("reg.dat をバックアップしました：%1（%2 バイト）")
                              .arg(archive, groupedNumber(double(QFileInfo(archive).size()))));

        click(QStringLiteral("wholeBackupButton"));
        const QStringList archives = QDir(m_drive).entryList({QStringLiteral("till-*.lzh")}, QDir::Files);
        QCOMPARE(archives.size(), 1);
        const QString said = told().value(0);
        QVERIFY2(said.startsWith(QStringLiteral("すべてのデータをバックアップしました。")) &&
                     said.contains(archives[0]) &&
                     said.contains(groupedNumber(double(QFileInfo(m_drive + u'/' + archives[0]).size())) + u" バイト"),
                 qPrintable(said));
        QCOMPARE(guide(), QStringLiteral("バックアップしました：") + archives[0]);

        QVERIFY(QDir(m_drive).removeRecursively());
        click(QStringLiteral("wholeBackupButton"));
        QVERIFY(told().value(0).contains(QStringLiteral("見つかりません")));
        QCOMPARE(guide(), QStringLiteral("バックアップできませんでした。"));
    }

    // The tick keeps itself and the chosen drive in sys.ini, and shows both when the window opens again; every
    // closing is then followed by a whole backup there, the newest 14 kept; a drive gone is told, and the
    // closing stands whatever happens to its backup.
    void backupAfterClosing()
    {
        QCheckBox* tick = m_form->findChild<QCheckBox*>(QStringLiteral("afterClosingBox"));
        QVERIFY(tick && !tick->isChecked());
        comboOf(m_form, "driveBox")->setCurrentIndex(-1);
        tick->click();
        QCOMPARE(told(), QStringList{QStringLiteral("バックアップ先ドライブを選択してください。")});
        QVERIFY(!tick->isChecked());
        m_form->addDrive(dir().path());
        comboOf(m_form, "driveBox")->setCurrentText(dir().path());
        tick->click();
        comboOf(m_form, "driveBox")->setCurrentText(m_drive); // the drive chosen last is the one kept
        QVERIFY(LoadSettings());
        QCOMPARE(SysNum[Sys::BackupAfterClosing], 1.0);
        QCOMPARE(SysStr[Sys::BackupDrive], m_drive);
        delete m_form;
        m_form = new BackupWindow;
        QVERIFY(m_form->findChild<QCheckBox*>(QStringLiteral("afterClosingBox"))->isChecked());
        QCOMPARE(comboOf(m_form, "driveBox")->currentText(), m_drive);

        const QDateTime day(QDate(2026, 11, 1), QTime(21, 0));
        for (int k = 0; k < 14; ++k)
            QVERIFY(putFile(m_drive + u'/' + wholeBackupName(day.addDays(k)), "old"));
        putData("reg.dat", QByteArray(2048, 'r'));
        Q_EMIT changes().closingDone();
        QCOMPARE(told(), QStringList());
        const QStringList archives = QDir(m_drive).entryList({QStringLiteral("till-*.lzh")}, QDir::Files, QDir::Name);
        QCOMPARE(archives.size(), 14);
        QVERIFY(!archives.contains(wholeBackupName(day)));
        // Read back whole, every CRC checked: the new archive holds the slips and the settings.
        const RestoreCheck written = checkRestoreArchive(m_drive + u'/' + archives.last(), QStringLiteral("sys.ini"));
        QCOMPARE(written.problem, RestoreCheck::NotOurs);
        QCOMPARE(written.names, (QStringList{QStringLiteral("sys.ini"), QStringLiteral("reg.dat")}));

        QVERIFY(QDir(m_drive).removeRecursively());
        Q_EMIT changes().closingDone();
        QVERIFY(told().value(0).startsWith(
            QStringLiteral("精算は記録されています。\n精算後の自動バックアップができませんでした。")));

        QVERIFY(QDir().mkpath(m_drive));
        m_form->findChild<QCheckBox*>(QStringLiteral("afterClosingBox"))->click();
        QCOMPARE(SysNum[Sys::BackupAfterClosing], 0.0);
        Q_EMIT changes().closingDone();
        QCOMPARE(QDir(m_drive).entryList(QDir::Files), QStringList());
        {
            FullDisk disk(1); // a tick sys.ini cannot keep is told, and the box shows what sys.ini holds
            m_form->findChild<QCheckBox*>(QStringLiteral("afterClosingBox"))->click();
            QVERIFY(told().value(0).contains(FullDisk::reason()));
        }
        QVERIFY(!m_form->findChild<QCheckBox*>(QStringLiteral("afterClosingBox"))->isChecked());
    }

    void windowFrame()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("データ管理"));
        // Rows for the history and the closings, the backup after a closing, and the kept copies.
        QCOMPARE(m_form->size(), QSize(twips(7515), twips(5895 + 360 + 960)));
        QVERIFY(!m_form->isModal());
        QCOMPARE(control<QPushButton>(m_form, "salesBackupButton")->accessibleName(),
                 QStringLiteral("レジデータ バックアップ"));
        QCOMPARE(comboOf(m_form, "driveBox")->accessibleName(), QStringLiteral("バックアップ先ドライブ"));
        QCOMPARE(unnamedControls(m_form), QStringList());
        click("closeButton");
        QTRY_VERIFY(m_form.isNull()); // closing unloads the window
    }

    // Every restore asks first, naming the file and when its archive was written; Yes brings the file back as
    // it was backed up, No writes nothing, and neither leaves a file behind in the program directory.
    void backupThenRestoreRoundTrips_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("name"); // of the buttons, "sales" for salesBackupButton; "kept": the kept copies
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("archive");
        QTest::addColumn<bool>("yes");
        // clang-format off
        const char* rows[8][3] = {
            {"sales", "reg.dat", "reg.lzh"}, {"purchases", "siire.dat", "siire.lzh"},
            {"products", "syohin.dat", "syohin.lzh"}, {"purchaseItems", "zaiko.dat", "zaiko.lzh"},
            {"suppliers", "siiresaki.dat", "siiresaki.lzh"}, {"settings", "sys.ini", "sys.lzh"},
            {"history", "rireki.dat", "rireki.lzh"}, {"closings", "seisan.dat", "seisan.lzh"}};
        for (const auto& r : rows)
            QTest::newRow(r[1]) << QString() << r[0] << r[1] << r[2] << true;
        QTest::newRow("blank in program directory") << "program files/till app" << "sales" << "reg.dat" << "reg.lzh"
                                                    << true;
        QTest::newRow("declined") << QString() << "sales" << "reg.dat" << "reg.lzh" << false;
        QTest::newRow("kept copy") << QString() << "kept" << "reg.dat" << "" << true;
        QTest::newRow("kept copy, declined") << QString() << "kept" << "reg.dat" << "" << false;
        // clang-format on
    }
    void backupThenRestoreRoundTrips()
    {
        QFETCH(QString, programDir);
        QFETCH(QString, name);
        QFETCH(QString, dataFile);
        QFETCH(QString, archive);
        QFETCH(bool, yes);
        if (!programDir.isEmpty()) {
            AppDir = dir().file(programDir);
            QVERIFY(QDir().mkpath(AppDir));
        }
        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);
        const QString path = dataPath(dataFile);
        // The settings must stay a file the program can read back: those the program directory starts with.
        const QByteArray first = dataFile == u"sys.ini" ? fileBytes(path) : sampleBytes(1, 5000);
        QVERIFY(putFile(path, first));

        QDateTime written(QDate(2026, 12, 7), QTime(15, 30, 0));
        if (name == u"kept") {
            QVERIFY(keepCopy(path, written, archive).ok);
            m_form->listKeptCopies();
            QCOMPARE(comboOf(m_form, "keptCopiesBox")->currentText(), QStringLiteral("2026/12/07 15:30:00　reg.dat"));
        } else {
            click(name + QStringLiteral("BackupButton"));
            archive = m_drive + u'/' + archive;
            written = QFileInfo(archive).lastModified();
        }
        QCOMPARE(told(), QStringList());
        QVERIFY(QFile::exists(archive));

        const QByteArray changed = QByteArrayLiteral("changed after the backup");
        QVERIFY(putFile(path, changed));
        SysNum[Sys::SalesRecordCount] = SysNum[Sys::PurchaseRecordCount] = 1;
        SysNum[Sys::NextSalesSlipNo] = SysNum[Sys::NextPurchaseSlipNo] = 2;
        const bool slips = yes && (dataFile == u"reg.dat" || dataFile == u"siire.dat");
        const SlipFile slipFile = dataFile == u"reg.dat" ? SlipFile::Sales : SlipFile::Purchases;
        // The month index of the file as it was before the restore, which must not stay beside the restored one.
        if (slips)
            QVERIFY(RebuildSlipIndex(slipFile).ok);
        const QStringList files = QDir(AppDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        click(name == u"kept" ? QStringLiteral("keptCopyRestoreButton") : name + QStringLiteral("RestoreButton"),
              yes ? QMessageBox::Yes : QMessageBox::No);
        const QStringList boxes = told();
        QCOMPARE(m_asked.size(), 1);
        QVERIFY2(m_asked[0].startsWith(dataFile + QStringLiteral(" を ") +
                                       written.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"))),
                 qPrintable(m_asked[0]));
        if (slips) {
            const QString disagreement = slipIndexDisagreement(slipFile);
            QVERIFY2(disagreement.isEmpty(), qPrintable(disagreement));
        }
        if (!slips) // raised counters leave their own traces
            QCOMPARE(QDir(AppDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), files);
        // The sample's records all hold slip numbers: the counters rise to its 5 records and say so.
        QCOMPARE(boxes.size(), slips ? 1 : 0);
        if (slips)
            QVERIFY2(boxes[0].endsWith(QStringLiteral("%1 に合わせて、次の伝票番号を 2 から 6 に、"
                                                      "データ件数を 1 から 5 に上げました。")
                                           .arg(dataFile)),
                     qPrintable(boxes[0]));
        QCOMPARE(fileBytes(path), yes ? first : changed);
        QCOMPARE(restoredSpy.count(), yes ? 1 : 0);
        if (yes)
            QCOMPARE(restoredSpy.at(0).at(0).toString(), dataFile);
    }

    // A restored history is anchored as it is: an older copy is not taken for one that lost its last entries.
    void restoredHistoryIsAnchored()
    {
        QByteArray history, previous;
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
                putData("rireki.dat", history);
                click("historyBackupButton");
            }
        }
        putData("rireki.dat", history);
        putData("rireki.anc", encodeHistoryAnchor(3, previous));
        click("historyRestoreButton");
        QCOMPARE(data("rireki.anc"), encodeHistoryAnchor(2, history.mid(2176 + 96, 32)));
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
        QCOMPARE(told(), QStringList());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 41.0);
        QCOMPARE(SysStr[Sys::FirstGroupCaption], QStringLiteral("復元前"));
        QCOMPARE(ProductTable[7].ProductName.trimmed(), QStringLiteral("みかん"));

        // Settings that cannot be read are reported and leave the tables as they were.
        putData("sys.ini", QByteArrayLiteral("1\r\n2\r\n"));
        click("settingsBackupButton");
        SysNum[Sys::NextSalesSlipNo] = 12;
        QVERIFY(SaveSettings().ok);
        click("settingsRestoreButton");
        const QStringList boxes = told();
        QVERIFY2(boxes.size() == 1 && boxes[0].contains(QStringLiteral("sys.ini")), qPrintable(boxes.join(u'|')));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 12.0);
    }

    // A save left with its journal on disk is completed before the restore, never replayed over the restored file.
    void pendingSaveCompletedBeforeRestore()
    {
        SysNum[Sys::SalesRecordCount] = 1;
        SysNum[Sys::NextSalesSlipNo] = 1;
        QVERIFY(SaveSettings().ok);
        const QByteArray kept(SalesSlipRecordSize, 'A');
        putData("reg.dat", kept);
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
        QCOMPARE(told(), QStringList());
        QVERIFY(!QFile::exists(JournalPath()));
        QCOMPARE(data("reg.dat"), kept);
    }

    // A backup or restore that cannot be done says why, asks nothing and leaves every file and table as it was;
    // the window keeps nothing of it: with a usable drive the next presses succeed.
    void failureChangesNothing_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<Obstacle>("obstacle");
        QTest::addColumn<QString>("message"); // its start; %1 the drive
        QTest::addColumn<QString>("reason");
        const QString restoreError = QStringLiteral("LHA 上書き解凍エラー\n");
        const QString unreadable = QStringLiteral("は壊れているため読めません");
        const auto backUp = [](BackupWindow* form, const char* name) {
            control<QPushButton>(form, QLatin1String(name))->click();
        };
        const auto archive = [](const QString& drive) -> QString { return drive + QStringLiteral("/reg.lzh"); };
        // clang-format off
        QTest::newRow("restore: not on the medium") << "salesRestoreButton"
            << Obstacle([](BackupWindow*, const QString&) {})
            << restoreError + QStringLiteral("%1/reg.lzh が見つかりません。") << QString();
        QTest::newRow("restore: damaged") << "salesRestoreButton"
            << Obstacle([=](BackupWindow* form, const QString& drive) {
                   backUp(form, "salesBackupButton");
                   QByteArray bytes = fileBytes(archive(drive));
                   bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0x55);
                   putFile(archive(drive), bytes);
               }) << restoreError << unreadable;
        QTest::newRow("restore: not an archive") << "salesRestoreButton"
            << Obstacle([=](BackupWindow*, const QString& drive) { putFile(archive(drive), "not an archive"); })
            << restoreError << unreadable;
        // reg.lzh holding syohin.dat would otherwise replace the products.
        QTest::newRow("restore: another file in it") << "salesRestoreButton"
            << Obstacle([=](BackupWindow* form, const QString& drive) {
                   backUp(form, "productsBackupButton");
                   QFile::rename(drive + QStringLiteral("/syohin.lzh"), archive(drive));
               }) << restoreError << QStringLiteral("の中身は reg.dat ではありません（中身: syohin.dat）");
           ;
        QTest::newRow("kept copy: damaged") << "keptCopyRestoreButton"
            << Obstacle([](BackupWindow* form, const QString&) {
                   QString kept;
                   keepCopy(dataPath(QStringLiteral("reg.dat")), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9)), kept);
                   form->listKeptCopies();
                   putFile(kept, "damaged");
               }) << restoreError << unreadable;
        QTest::newRow("backup: drive unplugged") << "salesBackupButton"
            << Obstacle([](BackupWindow* form, const QString& drive) {
                   form->addDrive(drive + QStringLiteral("/unplugged"));
                   comboOf(form, "driveBox")->setCurrentText(drive + QStringLiteral("/unplugged"));
               }) << QStringLiteral("LHA 圧縮エラー") << QString();
        // clang-format on
    }
    void failureChangesNothing()
    {
        QFETCH(QString, button);
        QFETCH(Obstacle, obstacle);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        const QByteArray sales = sampleBytes(3, 2048);
        putData("reg.dat", sales);
        putData("syohin.dat", sampleBytes(8, 2048));
        SysNum[Sys::SalesRecordCount] = 2; // the counters know both records: restoring them raises nothing
        SysNum[Sys::NextSalesSlipNo] = 3;
        obstacle(m_form, m_drive);
        putData("syohin.dat", QByteArrayLiteral("changed"));
        QSignalSpy restoredSpy(m_form.data(), &BackupWindow::restored);

        click(button);
        const QStringList failure = told();
        QCOMPARE(failure.size(), 1);
        QVERIFY2(failure[0].startsWith(message.arg(m_drive)) && failure[0].contains(reason), qPrintable(failure[0]));
        QCOMPARE(m_asked, QStringList());
        QCOMPARE(data("reg.dat"), sales);
        QCOMPARE(data("syohin.dat"), QByteArrayLiteral("changed"));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 3.0);
        QCOMPARE(restoredSpy.count(), 0);

        // An archive already there is added to, not replaced, so a damaged one goes first.
        comboOf(m_form, "driveBox")->setCurrentText(m_drive);
        QFile::remove(m_drive + QStringLiteral("/reg.lzh"));
        click("salesBackupButton");
        click("salesRestoreButton");
        QCOMPARE(told(), QStringList());
        QCOMPARE(data("reg.dat"), sales);
        QCOMPARE(restoredSpy.count(), 1);
    }

    // The copies data initialisation kept, newest first, by the date in their names; other files are not offered.
    void keptCopiesListedByDate()
    {
        const QString backup = AppDir + QStringLiteral("/backup");
        QVERIFY(QDir().mkpath(backup));
        putData("siire.dat", "x");
        QString archive;
        for (const auto& when :
             {QDateTime(QDate(2025, 1, 2), QTime(9, 0, 0)), QDateTime(QDate(2026, 3, 4), QTime(10, 5, 6)),
              QDateTime(QDate(2026, 3, 4), QTime(10, 5, 6)), QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9))})
            QVERIFY(keepCopy(dataPath(QStringLiteral("siire.dat")), when, archive).ok);
        QVERIFY(QFile::rename(archive, backup + QStringLiteral("/reg-20240506-070809.lzh")));
        for (const char* other :
             {"notes.lzh", "sys-20260101-000000.lzh", "reg-2026-01-01.lzh", "reg-20261399-000000.lzh"})
            QVERIFY(putFile(backup + u'/' + QString::fromLatin1(other), "x"));
        m_form->listKeptCopies();
        QComboBox* copies = comboOf(m_form, "keptCopiesBox");
        QStringList items;
        for (int i = 0; i < copies->count(); ++i)
            items << copies->itemText(i);
        QCOMPARE(items, (QStringList{"2026/03/04 10:05:06　siire.dat", "2026/03/04 10:05:06　siire.dat",
                                     "2025/01/02 09:00:00　siire.dat", "2024/05/06 07:08:09　reg.dat"}));
        QVERIFY(copies->itemData(0).toString().endsWith(QStringLiteral("siire-20260304-100506-2.lzh")));
        QVERIFY(control<QPushButton>(m_form, "keptCopyRestoreButton")->isEnabled());
        copies->setCurrentIndex(2);
        m_form->listKeptCopies(); // listed again as the list opens, it keeps the copy chosen
        QCOMPARE(copies->currentIndex(), 2);

        // With no folder there is nothing to choose.
        QVERIFY(QDir(backup).removeRecursively());
        m_form->listKeptCopies();
        QCOMPARE(copies->count(), 0);
        QVERIFY(!control<QPushButton>(m_form, "keptCopyRestoreButton")->isEnabled());
    }

    void driveListOffersWritableFileSystems_data()
    {
        QTest::addColumn<QList<MountRecord>>("mounts");
        QTest::addColumn<QStringList>("expected");
        // clang-format off
        QTest::newRow("desktop") << QList<MountRecord>{
            {"/", "ext4", false}, {"/proc", "proc", false}, {"/sys/fs/cgroup", "cgroup2", false},
            {"/home", "ext4", false}, {"/boot/efi", "vfat", false}, {"/media/tanaka/USBSTICK", "vfat", false},
            {"/media/tanaka/CDROM", "iso9660", true}, {"/run/media/tanaka/SD", "exfat", false},
            {"/mnt/backup", "ext4", false}, {"/snap/core/1", "squashfs", true}}
            << QStringList{"/media/tanaka/USBSTICK", "/mnt/backup", "/run/media/tanaka/SD", "/", "/home"};
        QTest::newRow("container") << QList<MountRecord>{
            {"/", "overlay", false}, {"/etc/hosts", "ext4", false},
            {"/var/lib/docker/overlay2/abc/merged", "overlay", false}, {"/work", "ext4", false},
            {"/work", "ext4", false}} << QStringList{"/", "/work"};
        QTest::newRow("nothing writable")
            << QList<MountRecord>{{"/", "ext4", true}, {"/tmp", "tmpfs", false}} << QStringList();
        // clang-format on
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
