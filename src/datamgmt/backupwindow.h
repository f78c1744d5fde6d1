// The data management window: backup of each data file to an LHA archive on a chosen drive, and restore.
#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BackupWindow : public QWidget
{
    Q_OBJECT

public:
    explicit BackupWindow(QWidget* parent = nullptr);

    // The drive list's entries are mount points; tests and callers may offer one more.
    void addDrive(const QString& mountPath);

    // Fills keptCopiesBox from the backup folder again.
    void listKeptCopies();

Q_SIGNALS:
    // A data file of the program directory has just been replaced from its archive; settings and
    // products have already been read back into memory, so windows showing them should reload.
    void restored(const QString& fileName);

private:
    QGroupBox* driveFrame = nullptr;
    QLabel* driveLabel = nullptr;
    QComboBox* driveBox = nullptr;
    QGroupBox* backupFrame = nullptr;
    QGroupBox* restoreFrame = nullptr;
    QPushButton* salesBackupButton = nullptr;
    QPushButton* purchasesBackupButton = nullptr;
    QPushButton* productsBackupButton = nullptr;
    QPushButton* purchaseItemsBackupButton = nullptr;
    QPushButton* suppliersBackupButton = nullptr;
    QPushButton* settingsBackupButton = nullptr;
    QPushButton* salesRestoreButton = nullptr;
    QPushButton* purchasesRestoreButton = nullptr;
    QPushButton* productsRestoreButton = nullptr;
    QPushButton* purchaseItemsRestoreButton = nullptr;
    QPushButton* suppliersRestoreButton = nullptr;
    QPushButton* settingsRestoreButton = nullptr;
    QPushButton* historyBackupButton = nullptr;   // "履歴データ　バックアップ"
    QPushButton* historyRestoreButton = nullptr;  // "履歴データ　リストア"
    QPushButton* closingsBackupButton = nullptr;  // "精算データ　バックアップ"
    QPushButton* closingsRestoreButton = nullptr; // "精算データ　リストア"
    QPushButton* wholeBackupButton = nullptr;     // every data file in one dated archive
    QCheckBox* afterClosingBox = nullptr;         // the same after every closing, to the chosen drive
    QLineEdit* guideBox = nullptr;
    QPushButton* closeButton = nullptr;
    // The copies data initialisation keeps in the program's backup folder, newest first, and their restore.
    QGroupBox* keptCopiesFrame = nullptr;
    QComboBox* keptCopiesBox = nullptr;
    QPushButton* keptCopyRestoreButton = nullptr;

    void makeDriveRow();
    // One backup and one restore button per data file, facing each other.
    void makeFileRows();
    void makeKeptCopies();
    // The tick, shown as sys.ini keeps it, with the drive it goes to chosen.
    void makeAfterClosing();
    void addMountedDrives();
    QString selectedDrive() const;
    void backup(const QString& dataFile, const QString& archive);
    void backupEverything();
    // Stores the tick and the chosen drive in the settings; a failed save puts the tick back.
    void keepAfterClosingChoice();
    void restore(const QString& dataFile, const QString& archive);
    void restoreKeptCopy();
    // Asks before `dataFile` is replaced from the archive at `path` written at `written`; No writes nothing.
    void restoreFrom(const QString& dataFile, const QString& path, const QDateTime& written);
};
