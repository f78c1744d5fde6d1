// The data management window: one backup and one restore button per data file.
#include "datamgmt/backupwindow.h"

#include "platform/archiver.h"
#include "platform/controls.h"
#include "platform/drives.h"
#include "platform/keepcopy.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "platform/wholebackup.h"
#include "storage/datafiles.h"
#include "storage/history.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace {

struct DataFileRow
{
    const char* name; // of its buttons: name + "BackupButton", name + "RestoreButton"
    const char* dataFile;
    const char* archive;
    const char* backupCaption;
    const char* restoreCaption;
};

// One row per data file; its backup and restore buttons face each other.
constexpr int RowCount = 8;
constexpr DataFileRow Rows[RowCount] = {
    {"sales", "reg.dat", "reg.lzh", "レジデータ　バックアップ", "レジデータ　リストア"},
    {"purchases", "siire.dat", "siire.lzh", "仕入れデータ　バックアップ", "仕入れデータ　リストア"},
    {"products", "syohin.dat", "syohin.lzh", "商品データ　バックアップ", "商品データ　リストア"},
    {"purchaseItems", "zaiko.dat", "zaiko.lzh", "仕入商品データ　バックアップ", "仕入れ商品データ　リストア"},
    {"suppliers", "siiresaki.dat", "siiresaki.lzh", "仕入先データ　バックアップ", "仕入先データ　リストア"},
    {"settings", "sys.ini", "sys.lzh", "管理データ　バックアップ", "管理データ　リストア"},
    {"history", "rireki.dat", "rireki.lzh", "履歴データ　バックアップ", "履歴データ　リストア"},
    {"closings", "seisan.dat", "seisan.lzh", "精算データ　バックアップ", "精算データ　リストア"},
};
constexpr int RowTops[RowCount] = {360, 840, 1320, 1800, 2280, 2760, 3240, 3720};
// The history's and the closings' rows are below the six data files, and the backup after a closing has a row
// under the drive; the frames and what is under them make room for them.
constexpr int ExtraHeight = 960;
constexpr int AutoRow = 360;

// The archive lands in the root of the mount point; "/" must not become "//".
QString archivePath(QString drive, const QString& archive)
{
    while (drive.endsWith(u'/'))
        drive.chop(1);
    return drive + u'/' + archive;
}

const QString DateTimeFormat = QStringLiteral("yyyy/MM/dd HH:mm:ss");
// Beside the archive's path (the item's data): the data file it holds and when it was kept.
constexpr int KeptFileRole = Qt::UserRole + 1;
constexpr int KeptWhenRole = Qt::UserRole + 2;

// Why an archive cannot be restored, for the shopkeeper.
QString restoreProblem(const RestoreCheck& check, const QString& path, const QString& dataFile)
{
    const QString shown = QDir::toNativeSeparators(path);
    switch (check.problem) {
    case RestoreCheck::Missing:
        return QStringLiteral(
                   "%1 が見つかりません。バックアップ先ドライブと、メディアが差し込まれているかを確かめてください。")
            .arg(shown);
    case RestoreCheck::Damaged:
        return QStringLiteral("%1 は壊れているため読めません（%2）。").arg(shown, check.detail);
    case RestoreCheck::NotOurs:
        return QStringLiteral("%1 の中身は %2 ではありません（中身: %3）。")
            .arg(shown, dataFile,
                 check.names.isEmpty() ? QStringLiteral("なし") : check.names.join(QStringLiteral("、")));
    case RestoreCheck::Ready:
        break;
    }
    return QString();
}

// A stick plugged in while the window is open shows up the next time the list is opened.
class DriveList : public QComboBox
{
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

    void showPopup() override
    {
        if (beforePopup)
            beforePopup();
        QComboBox::showPopup();
    }
};

} // namespace

BackupWindow::BackupWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("BackupWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("データ管理"));
    setAccessibleName(QStringLiteral("データ管理"));
    // The history and closing rows and the row of kept copies at the bottom make it taller.
    setFixedSize(twips(7515), twips(5895 + AutoRow + ExtraHeight));
    // The longest button captions must fit the buttons' width.
    QFont small = font();
    small.setPointSize(9);
    setFont(small);

    makeDriveRow();
    makeFileRows();
    // Beside the drive: the whole books in one step.
    wholeBackupButton = makeButton(this, QStringLiteral("wholeBackupButton"), QStringLiteral("すべてバックアップ"),
                                   twipsRect(5280, 360, 1935, 375));
    connect(wholeBackupButton, &QPushButton::clicked, this, &BackupWindow::backupEverything);
    makeAfterClosing();

    guideBox = makeDisplay(this, QStringLiteral("guideBox"), QStringLiteral("案内"),
                           twipsRect(360, 4560 + AutoRow + ExtraHeight, 5415, 375));
    guideBox->setText(QStringLiteral("バックアップ先ドライブを選択してください。"));

    closeButton = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("閉じる"),
                             twipsRect(6000, 4560 + AutoRow + ExtraHeight, 1215, 375));
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    makeKeptCopies();
}

void BackupWindow::makeDriveRow()
{
    driveFrame = makeFrame(this, QStringLiteral("driveFrame"), QString(), QStringLiteral("バックアップ先"),
                           twipsRect(360, 120, 4815, 735));
    driveLabel = new QLabel(QStringLiteral("バックアップ先ドライブ"), driveFrame);
    driveLabel->setObjectName(QStringLiteral("driveLabel"));
    driveLabel->setAccessibleName(QStringLiteral("バックアップ先ドライブの見出し"));
    driveLabel->move(twips(120), twips(240));
    driveLabel->adjustSize();
    auto* driveList = new DriveList(driveFrame);
    driveBox = driveList;
    driveBox->setObjectName(QStringLiteral("driveBox"));
    driveBox->setAccessibleName(QStringLiteral("バックアップ先ドライブ"));
    driveBox->setGeometry(twips(2640), twips(240), twips(1095), driveBox->sizeHint().height());
    driveLabel->setBuddy(driveBox);
    // The list is too narrow for most mount points; the tip shows the whole path.
    connect(driveBox, &QComboBox::currentTextChanged, driveBox, &QWidget::setToolTip);
    driveList->beforePopup = [this] { addMountedDrives(); };
    addMountedDrives();
}

void BackupWindow::makeFileRows()
{
    backupFrame = makeFrame(this, QStringLiteral("backupFrame"), QStringLiteral("バックアップ"),
                            QStringLiteral("バックアップ"), twipsRect(360, 960 + AutoRow, 3375, 3495 + ExtraHeight));
    restoreFrame = makeFrame(this, QStringLiteral("restoreFrame"), QStringLiteral("リストア"),
                             QStringLiteral("リストア"), twipsRect(3840, 960 + AutoRow, 3375, 3495 + ExtraHeight));
    QPushButton** backupButtons[RowCount] = {&salesBackupButton,         &purchasesBackupButton, &productsBackupButton,
                                             &purchaseItemsBackupButton, &suppliersBackupButton, &settingsBackupButton,
                                             &historyBackupButton,       &closingsBackupButton};
    QPushButton** restoreButtons[RowCount] = {
        &salesRestoreButton,     &purchasesRestoreButton, &productsRestoreButton, &purchaseItemsRestoreButton,
        &suppliersRestoreButton, &settingsRestoreButton,  &historyRestoreButton,  &closingsRestoreButton};
    for (int row = 0; row < RowCount; ++row) {
        const DataFileRow& r = Rows[row];
        const QString dataFile = QString::fromLatin1(r.dataFile);
        const QString archive = QString::fromLatin1(r.archive);
        *backupButtons[row] = makeButton(backupFrame, QString::fromLatin1(r.name) + QStringLiteral("BackupButton"),
                                         QString::fromUtf8(r.backupCaption), twipsRect(240, RowTops[row], 2895, 375));
        *restoreButtons[row] = makeButton(restoreFrame, QString::fromLatin1(r.name) + QStringLiteral("RestoreButton"),
                                          QString::fromUtf8(r.restoreCaption), twipsRect(240, RowTops[row], 2655, 375));
        connect(*backupButtons[row], &QPushButton::clicked, this, [=, this] { backup(dataFile, archive); });
        connect(*restoreButtons[row], &QPushButton::clicked, this, [=, this] { restore(dataFile, archive); });
    }
}

void BackupWindow::makeKeptCopies()
{
    keptCopiesFrame = makeFrame(
        this, QStringLiteral("keptCopiesFrame"), QStringLiteral("初期化前の自動バックアップからリストア"),
        QStringLiteral("初期化前の自動バックアップ"), twipsRect(360, 5040 + AutoRow + ExtraHeight, 6855, 735));
    auto* keptList = new DriveList(keptCopiesFrame);
    keptCopiesBox = keptList;
    keptCopiesBox->setObjectName(QStringLiteral("keptCopiesBox"));
    keptCopiesBox->setAccessibleName(QStringLiteral("自動バックアップの日時とファイル"));
    keptCopiesBox->setGeometry(twips(120), twips(280), twips(4935), keptCopiesBox->sizeHint().height());
    keptList->beforePopup = [this] { listKeptCopies(); };
    keptCopyRestoreButton = makeButton(keptCopiesFrame, QStringLiteral("keptCopyRestoreButton"),
                                       QStringLiteral("リストア"), twipsRect(5160, 260, 1575, 375));
    connect(keptCopyRestoreButton, &QPushButton::clicked, this, &BackupWindow::restoreKeptCopy);
    listKeptCopies();
}

void BackupWindow::makeAfterClosing()
{
    afterClosingBox = new QCheckBox(
        QStringLiteral("精算後に、このバックアップ先へすべてバックアップ（新しい %1 個を残す）").arg(KeptAfterClosing),
        this);
    afterClosingBox->setObjectName(QStringLiteral("afterClosingBox"));
    afterClosingBox->setAccessibleName(QStringLiteral("精算後の自動バックアップ"));
    afterClosingBox->setGeometry(twipsRect(480, 930, 6735, 300));

    // The drive the backup after a closing goes to is the one chosen here; it is shown chosen when the window
    // opens again, mounted or not, so the owner sees where it goes.
    if (const QString kept = SysStr[Sys::BackupDrive]; !kept.isEmpty()) {
        addDrive(kept);
        driveBox->setCurrentText(kept);
    }
    afterClosingBox->setChecked(SysNum[Sys::BackupAfterClosing] == 1);
    connect(afterClosingBox, &QCheckBox::toggled, this, [this] { keepAfterClosingChoice(); });
    connect(driveBox, &QComboBox::currentTextChanged, this, [this] {
        if (afterClosingBox->isChecked())
            keepAfterClosingChoice();
    });
}

void BackupWindow::keepAfterClosingChoice()
{
    const bool wanted = afterClosingBox->isChecked();
    if (wanted && selectedDrive().isEmpty()) {
        MessageBox::information(this, QStringLiteral("バックアップ先ドライブを選択してください。"));
        const QSignalBlocker quiet(afterClosingBox);
        afterClosingBox->setChecked(false);
        return;
    }
    const double numBefore = SysNum[Sys::BackupAfterClosing];
    const QString driveBefore = SysStr[Sys::BackupDrive];
    SysNum[Sys::BackupAfterClosing] = wanted ? 1 : 0;
    if (wanted)
        SysStr[Sys::BackupDrive] = selectedDrive();
    if (const Result r = SaveSettings(); !r) {
        SysNum[Sys::BackupAfterClosing] = numBefore;
        SysStr[Sys::BackupDrive] = driveBefore;
        const QSignalBlocker quiet(afterClosingBox);
        afterClosingBox->setChecked(numBefore == 1);
        MessageBox::information(this, r.error);
        return;
    }
    guideBox->setText(wanted ? QStringLiteral("精算後に %1 へバックアップします。").arg(selectedDrive())
                             : QStringLiteral("精算後の自動バックアップはしません。"));
}

void BackupWindow::listKeptCopies()
{
    const QString chosen = keptCopiesBox->currentData().toString();
    keptCopiesBox->clear();
    QStringList ours;
    for (const DataFileRow& r : Rows)
        ours << QString::fromLatin1(r.dataFile);
    for (const KeptCopy& copy : keptCopies(AppDir + QStringLiteral("/backup"), QStringLiteral("dat"))) {
        if (!ours.contains(copy.fileName))
            continue;
        keptCopiesBox->addItem(copy.when.toString(DateTimeFormat) + QStringLiteral("　") + copy.fileName, copy.archive);
        keptCopiesBox->setItemData(keptCopiesBox->count() - 1, copy.fileName, KeptFileRole);
        keptCopiesBox->setItemData(keptCopiesBox->count() - 1, copy.when, KeptWhenRole);
    }
    if (const int i = keptCopiesBox->findData(chosen); i >= 0)
        keptCopiesBox->setCurrentIndex(i);
    keptCopyRestoreButton->setEnabled(keptCopiesBox->count() > 0);
}

void BackupWindow::addDrive(const QString& mountPath)
{
    if (driveBox->findText(mountPath) < 0)
        driveBox->addItem(mountPath);
    // The closed list stays narrow beside its label; the open list is as wide as its longest mount point.
    int widest = 0;
    for (int i = 0; i < driveBox->count(); ++i)
        widest = qMax(widest, driveBox->fontMetrics().horizontalAdvance(driveBox->itemText(i)));
    driveBox->view()->setMinimumWidth(widest + twips(360));
}

void BackupWindow::addMountedDrives()
{
    for (const QString& drive : backupDrives(mountedFileSystems()))
        addDrive(drive);
}

QString BackupWindow::selectedDrive() const
{
    return driveBox->currentText();
}

void BackupWindow::backup(const QString& dataFile, const QString& archive)
{
    // The paths go in unquoted, blanks and all; the archiver splits its command line to allow for that.
    const QString commandLine =
        QStringLiteral("a ") + archivePath(selectedDrive(), archive) + u' ' + dataPath(dataFile);
    if (!RunArchiver(this, commandLine)) {
        guideBox->setText(QStringLiteral("バックアップできませんでした。"));
        MessageBox::information(this, QStringLiteral("LHA 圧縮エラー"));
        return;
    }
    // No box for a backup that worked, so a row of backups is one click each; the status line says what was
    // written.
    const QString path = archivePath(selectedDrive(), archive);
    guideBox->setText(
        QStringLiteral("%1 をバックアップしました：%2（%3 バイト）")
            .arg(dataFile, QDir::toNativeSeparators(path), groupedNumber(double(QFileInfo(path).size()))));
}

void BackupWindow::backupEverything()
{
    const ResultWith<WholeBackup> done = writeWholeBackup(selectedDrive(), QDateTime::currentDateTime());
    if (!done) {
        guideBox->setText(QStringLiteral("バックアップできませんでした。"));
        MessageBox::information(this, done.error);
        return;
    }
    const QString name = QFileInfo(done.value.archivePath).fileName();
    guideBox->setText(QStringLiteral("バックアップしました：") + name);
    MessageBox::information(this, QStringLiteral("すべてのデータをバックアップしました。\n%1（%2 バイト）")
                                      .arg(done.value.archivePath, groupedNumber(double(done.value.size))));
}

void BackupWindow::restore(const QString& dataFile, const QString& archive)
{
    const QString path = archivePath(selectedDrive(), archive);
    const RestoreCheck check = checkRestoreArchive(path, dataFile);
    if (check.problem != RestoreCheck::Ready) {
        MessageBox::information(this, QStringLiteral("LHA 上書き解凍エラー\n") + restoreProblem(check, path, dataFile));
        return;
    }
    restoreFrom(dataFile, path, check.written);
}

void BackupWindow::restoreKeptCopy()
{
    const QString path = keptCopiesBox->currentData().toString();
    if (path.isEmpty())
        return;
    const QString dataFile = keptCopiesBox->currentData(KeptFileRole).toString();
    const QDateTime kept = keptCopiesBox->currentData(KeptWhenRole).toDateTime();
    const RestoreCheck check = checkRestoreArchive(path, dataFile);
    if (check.problem != RestoreCheck::Ready) {
        MessageBox::information(this, QStringLiteral("LHA 上書き解凍エラー\n") + restoreProblem(check, path, dataFile));
        return;
    }
    restoreFrom(dataFile, path, kept);
}

void BackupWindow::restoreFrom(const QString& dataFile, const QString& path, const QDateTime& written)
{
    const QString question = QStringLiteral("%1 を %2 のバックアップで置き換えます。\n%3\n\n"
                                            "今の %1 の内容は失われます。置き換えますか？")
                                 .arg(dataFile, written.toString(DateTimeFormat), QDir::toNativeSeparators(path));
    if (!MessageBox::question(this, question, true))
        return;
    if (Result r = CompletePendingSave(QStringLiteral("リストア")); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    // The month index of a slip file goes before the file is replaced, so that no stop in between leaves an
    // index of the old slips beside the restored ones; the next reader builds it anew.
    DropSlipIndex(dataFile);
    const QString commandLine = QStringLiteral("e -c -m ") + path + u' ' + AppDir + u'/';
    if (!RunArchiver(this, commandLine)) {
        MessageBox::information(this, QStringLiteral("LHA 上書き解凍エラー"));
        return;
    }
    // The settings and the products live in memory; left as they were, the next sale would write the old
    // slip counter over the restored sys.ini. The other files are read anew by every operation.
    // A restored slip file may hold more slips than the counters know of; the next save must not overwrite one.
    Result reloaded;
    QString raised;
    if (dataFile == u"sys.ini")
        reloaded = LoadSettings();
    else if (dataFile == u"syohin.dat")
        reloaded = LoadProductTable();
    else if (dataFile == u"rireki.dat") // the anchor follows the restored history, or it would report it cut
        reloaded = anchorRestoredHistory();
    if (reloaded)
        reloaded = RaiseCountersToRestoredFile(dataFile, &raised);
    if (!reloaded)
        MessageBox::information(this, reloaded.error);
    else if (!raised.isEmpty())
        MessageBox::information(this, QStringLiteral("リストアが完了しました。\n") + raised);
    Q_EMIT restored(dataFile);
}
