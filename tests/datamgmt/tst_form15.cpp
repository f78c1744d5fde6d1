// The data management window driven through its buttons, with the real archiver, and its drive list.
#include "../common/guitest.h"

#include "datamgmt/form15.h"
#include "platform/drives.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
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

class TestForm15 : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_savedAppDir;
    QString m_drive;
    QPointer<Form15> m_form;

    // The program directory for one test, under the temporary root; `subdir` may contain blanks.
    void useAppDir(const QString& subdir)
    {
        AppDir = m_root.filePath(subdir);
        QVERIFY(QDir().mkpath(AppDir));
    }

    void click(const char* name)
    {
        auto* button = control<QPushButton>(m_form, QString::fromLatin1(name));
        QVERIFY2(button != nullptr, name);
        QTest::mouseClick(button, Qt::LeftButton);
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
        m_form = new Form15;
        m_form->addDrive(m_drive);
        m_form->Drive1->setCurrentText(m_drive);
        QVERIFY(showActive(m_form));
    }

    void cleanup()
    {
        delete m_form;
        MessageBox::takeShown();
        AppDir = m_savedAppDir;
    }

    void windowFrame()
    {
        QCOMPARE(m_form->windowTitle(), QStringLiteral("データ管理"));
        // One more row than the six data files: the history of slip changes.
        QCOMPARE(m_form->size(), QSize(twips(7515), twips(5175 + 480)));
        QVERIFY(!m_form->isModal());
        QCOMPARE(m_form->Command1->accessibleName(), QStringLiteral("レジデータ バックアップ"));
        QCOMPARE(m_form->Drive1->accessibleName(), QStringLiteral("バックアップ先ドライブ"));
        QCOMPARE(unnamedControls(m_form, QRegularExpression("^(Frame|Label|Drive|Command|Text)\\d")), QStringList());

        click("Command13");
        QTRY_VERIFY(m_form.isNull()); // closing unloads the window
    }

    void backupThenRestoreRoundTrips_data()
    {
        QTest::addColumn<QString>("programDir");
        QTest::addColumn<QString>("backupButton");
        QTest::addColumn<QString>("restoreButton");
        QTest::addColumn<QString>("dataFile");
        QTest::addColumn<QString>("archive");

        const char* rows[7][4] = {
            {"Command1", "Command7", "reg.dat", "reg.lzh"},
            {"Command2", "Command8", "siire.dat", "siire.lzh"},
            {"Command3", "Command9", "syohin.dat", "syohin.lzh"},
            {"Command4", "Command10", "zaiko.dat", "zaiko.lzh"},
            {"Command5", "Command11", "siiresaki.dat", "siiresaki.lzh"},
            {"Command6", "Command12", "sys.ini", "sys.lzh"},
            {"CommandHistoryBackup", "CommandHistoryRestore", "rireki.dat", "rireki.lzh"},
        };
        for (const auto& r : rows) {
            QTest::newRow(r[2]) << QString() << r[0] << r[1] << r[2] << r[3];
        }
        QTest::newRow("blank in program directory") << QStringLiteral("program files/till app") << "Command1"
                                                    << "Command7"
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

        QSignalSpy restoredSpy(m_form.data(), &Form15::restored);
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
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QVERIFY(QFile::exists(archivePath));

        QVERIFY(writeFile(data, QByteArrayLiteral("changed after the backup")));
        click(qPrintable(restoreButton));
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QCOMPARE(readFile(data), first);
        QCOMPARE(restoredSpy.count(), 1);
        QCOMPARE(restoredSpy.at(0).at(0).toString(), dataFile);
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
        click("Command6");
        click("Command3");

        SysNum[Sys::NextSalesSlipNo] = 99;
        SysStr[Sys::FirstGroupCaption] = QStringLiteral("後");
        QVERIFY(SaveSettings().ok);
        ProductTable[7].ProductName = QStringLiteral("りんご");
        QVERIFY(SaveProduct(7).ok);

        click("Command12");
        click("Command9");
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 41.0);
        QCOMPARE(SysStr[Sys::FirstGroupCaption], QStringLiteral("復元前"));
        QCOMPARE(ProductTable[7].ProductName.trimmed(), QStringLiteral("みかん"));
    }

    // A save left with its journal on disk is completed before the restore, never replayed over the restored file.
    void pendingSaveCompletedBeforeRestore()
    {
        SysNum[Sys::NextSalesSlipNo] = 1;
        QVERIFY(SaveSettings().ok);
        const QByteArray kept(SalesSlipRecordSize, 'A');
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), kept));
        click("Command1");
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

        click("Command7");
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QVERIFY(!QFile::exists(JournalPath()));
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), kept);
    }

    void restoredBadSettingsAreReported()
    {
        QVERIFY(writeFile(dataPath(QStringLiteral("sys.ini")), QByteArrayLiteral("1\r\n2\r\n")));
        click("Command6");
        SysNum[Sys::NextSalesSlipNo] = 12;
        QVERIFY(SaveSettings().ok);
        click("Command12");
        const QStringList shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].contains(QStringLiteral("sys.ini")));
        QCOMPARE(SysNum[Sys::NextSalesSlipNo], 12.0); // the tables stay as they were
    }

    void failureShowsMessageAndNextPressWorks_data()
    {
        QTest::addColumn<QString>("failingButton");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("driveExists");
        QTest::newRow("restore without archive") << "Command7" << QStringLiteral("LHA 上書き解凍エラー") << true;
        QTest::newRow("backup to missing drive") << "Command1" << QStringLiteral("LHA 圧縮エラー") << false;
    }

    void failureShowsMessageAndNextPressWorks()
    {
        QFETCH(QString, failingButton);
        QFETCH(QString, message);
        QFETCH(bool, driveExists);

        const QByteArray original = sampleBytes(3, 2048);
        QVERIFY(writeFile(dataPath(QStringLiteral("reg.dat")), original));
        if (!driveExists) {
            const QString gone = m_drive + QStringLiteral("/unplugged");
            m_form->addDrive(gone);
            m_form->Drive1->setCurrentText(gone);
        }
        QSignalSpy restoredSpy(m_form.data(), &Form15::restored);

        click(qPrintable(failingButton));
        QCOMPARE(MessageBox::takeShown(), QStringList{message});
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), original);
        QCOMPARE(restoredSpy.count(), 0);

        // The window keeps no state from the failure: with a usable drive the next presses succeed.
        m_form->Drive1->setCurrentText(m_drive);
        click("Command1");
        click("Command7");
        QCOMPARE(MessageBox::takeShown(), QStringList());
        QCOMPARE(readFile(dataPath(QStringLiteral("reg.dat"))), original);
        QCOMPARE(restoredSpy.count(), 1);
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

QTEST_MAIN(TestForm15)
#include "tst_form15.moc"
