// The data management window: one backup and one restore button per data file.
#include "datamgmt/form15.h"

#include "platform/archiver.h"
#include "platform/controls.h"
#include "platform/drives.h"
#include "platform/messagebox.h"
#include "platform/twips.h"
#include "storage/journal.h"
#include "storage/products.h"
#include "storage/settings.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <functional>

namespace {

struct DataFileRow
{
    const char* dataFile;
    const char* archive;
    const char* backupCaption;
    const char* restoreCaption;
};

// One row per data file; its backup and restore buttons face each other.
constexpr int RowCount = 7;
constexpr DataFileRow Rows[RowCount] = {
    {"reg.dat", "reg.lzh", "レジデータ　バックアップ", "レジデータ　リストア"},
    {"siire.dat", "siire.lzh", "仕入れデータ　バックアップ", "仕入れデータ　リストア"},
    {"syohin.dat", "syohin.lzh", "商品データ　バックアップ", "商品データ　リストア"},
    {"zaiko.dat", "zaiko.lzh", "仕入商品データ　バックアップ", "仕入れ商品データ　リストア"},
    {"siiresaki.dat", "siiresaki.lzh", "仕入先データ　バックアップ", "仕入先データ　リストア"},
    {"sys.ini", "sys.lzh", "管理データ　バックアップ", "管理データ　リストア"},
    {"rireki.dat", "rireki.lzh", "履歴データ　バックアップ", "履歴データ　リストア"},
};
constexpr int RowTops[RowCount] = {360, 840, 1320, 1800, 2280, 2760, 3240};
// The history's row is below the six data files; the frames and what is under them make room for it.
constexpr int ExtraHeight = 480;

// The archive lands in the root of the mount point; "/" must not become "//".
QString archivePath(QString drive, const QString& archive)
{
    while (drive.endsWith(u'/'))
        drive.chop(1);
    return drive + u'/' + archive;
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

Form15::Form15(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form15"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("データ管理"));
    setAccessibleName(QStringLiteral("データ管理"));
    setFixedSize(twips(7515), twips(5175 + ExtraHeight));
    // The longest button captions must fit the buttons' designed width.
    QFont small = font();
    small.setPointSize(9);
    setFont(small);

    Frame3 = makeFrame(this, QStringLiteral("Frame3"), QString(), QStringLiteral("バックアップ先"),
                       twipsRect(360, 120, 4815, 735));
    Label1 = new QLabel(QStringLiteral("バックアップ先ドライブ"), Frame3);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(QStringLiteral("バックアップ先ドライブの見出し"));
    Label1->move(twips(120), twips(240));
    Label1->adjustSize();
    auto* driveList = new DriveList(Frame3);
    Drive1 = driveList;
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setAccessibleName(QStringLiteral("バックアップ先ドライブ"));
    Drive1->setGeometry(twips(2640), twips(240), twips(1095), Drive1->sizeHint().height());
    Label1->setBuddy(Drive1);
    // The list is too narrow for most mount points; the tip shows the whole path.
    connect(Drive1, &QComboBox::currentTextChanged, Drive1, &QWidget::setToolTip);
    driveList->beforePopup = [this] { addMountedDrives(); };
    addMountedDrives();

    Frame1 = makeFrame(this, QStringLiteral("Frame1"), QStringLiteral("バックアップ"), QStringLiteral("バックアップ"),
                       twipsRect(360, 960, 3375, 3495 + ExtraHeight));
    Frame2 = makeFrame(this, QStringLiteral("Frame2"), QStringLiteral("リストア"), QStringLiteral("リストア"),
                       twipsRect(3840, 960, 3375, 3495 + ExtraHeight));
    QPushButton** backupButtons[RowCount] = {
        &Command1, &Command2, &Command3, &Command4, &Command5, &Command6, &CommandHistoryBackup};
    QPushButton** restoreButtons[RowCount] = {
        &Command7, &Command8, &Command9, &Command10, &Command11, &Command12, &CommandHistoryRestore};
    for (int row = 0; row < RowCount; ++row) {
        const DataFileRow& r = Rows[row];
        const QString dataFile = QString::fromLatin1(r.dataFile);
        const QString archive = QString::fromLatin1(r.archive);
        *backupButtons[row] = makeButton(
            Frame1, row < 6 ? QStringLiteral("Command%1").arg(row + 1) : QStringLiteral("CommandHistoryBackup"),
            QString::fromUtf8(r.backupCaption), twipsRect(240, RowTops[row], 2895, 375));
        *restoreButtons[row] = makeButton(
            Frame2, row < 6 ? QStringLiteral("Command%1").arg(row + 7) : QStringLiteral("CommandHistoryRestore"),
            QString::fromUtf8(r.restoreCaption), twipsRect(240, RowTops[row], 2655, 375));
        connect(*backupButtons[row], &QPushButton::clicked, this, [=, this] { backup(dataFile, archive); });
        connect(*restoreButtons[row], &QPushButton::clicked, this, [=, this] { restore(dataFile, archive); });
    }

    Text1 = makeDisplay(this, QStringLiteral("Text1"), QStringLiteral("案内"),
                        twipsRect(360, 4560 + ExtraHeight, 5415, 375));
    Text1->setText(QStringLiteral("バックアップ先ドライブを選択してください。"));

    Command13 = makeButton(this, QStringLiteral("Command13"), QStringLiteral("閉じる"),
                           twipsRect(6000, 4560 + ExtraHeight, 1215, 375));
    connect(Command13, &QPushButton::clicked, this, &QWidget::close);
}

void Form15::addDrive(const QString& mountPath)
{
    if (Drive1->findText(mountPath) < 0)
        Drive1->addItem(mountPath);
    // The list keeps its designed width; the open list is as wide as its longest mount point.
    int widest = 0;
    for (int i = 0; i < Drive1->count(); ++i)
        widest = qMax(widest, Drive1->fontMetrics().horizontalAdvance(Drive1->itemText(i)));
    Drive1->view()->setMinimumWidth(widest + twips(360));
}

void Form15::addMountedDrives()
{
    for (const QString& drive : backupDrives(mountedFileSystems()))
        addDrive(drive);
}

QString Form15::selectedDrive() const
{
    return Drive1->currentText();
}

void Form15::backup(const QString& dataFile, const QString& archive)
{
    // The paths go in unquoted, blanks and all; the archiver splits its command line to allow for that.
    const QString commandLine =
        QStringLiteral("a ") + archivePath(selectedDrive(), archive) + u' ' + dataPath(dataFile);
    if (!RunArchiver(this, commandLine))
        MessageBox::information(this, QStringLiteral("LHA 圧縮エラー"));
}

void Form15::restore(const QString& dataFile, const QString& archive)
{
    if (Result r = CompletePendingSave(QStringLiteral("リストア")); !r) {
        MessageBox::information(this, r.error);
        return;
    }
    const QString commandLine =
        QStringLiteral("e -c -m ") + archivePath(selectedDrive(), archive) + u' ' + AppDir + u'/';
    if (!RunArchiver(this, commandLine)) {
        MessageBox::information(this, QStringLiteral("LHA 上書き解凍エラー"));
        return;
    }
    // The settings and the products live in memory; left as they were, the next sale would write the old
    // slip counter over the restored sys.ini. The other files are read anew by every operation.
    Result reloaded;
    if (dataFile == u"sys.ini")
        reloaded = LoadSettings();
    else if (dataFile == u"syohin.dat")
        reloaded = LoadProductTable();
    if (!reloaded)
        MessageBox::information(this, reloaded.error);
    Q_EMIT restored(dataFile);
}
