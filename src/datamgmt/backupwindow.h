// The data management window: backup of each data file to an LHA archive on a chosen drive, and restore.
#pragma once

#include <QDateTime>
#include <QString>
#include <QWidget>

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

    QGroupBox* Frame3 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Drive1 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command9 = nullptr;
    QPushButton* Command10 = nullptr;
    QPushButton* Command11 = nullptr;
    QPushButton* Command12 = nullptr;
    QPushButton* CommandHistoryBackup = nullptr;  // "履歴データ　バックアップ"
    QPushButton* CommandHistoryRestore = nullptr; // "履歴データ　リストア"
    QPushButton* CommandSeisanBackup = nullptr;   // "精算データ　バックアップ"
    QPushButton* CommandSeisanRestore = nullptr;  // "精算データ　リストア"
    QLineEdit* Text1 = nullptr;
    QPushButton* Command13 = nullptr;
    // The copies data initialisation keeps in the program's backup folder, newest first, and their restore.
    QGroupBox* Frame4 = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* Command14 = nullptr;

    // Fills Combo1 from the backup folder again.
    void listKeptCopies();

Q_SIGNALS:
    // A data file of the program directory has just been replaced from its archive; settings and
    // products have already been read back into memory, so windows showing them should reload.
    void restored(const QString& fileName);

private:
    void addMountedDrives();
    QString selectedDrive() const;
    void backup(const QString& dataFile, const QString& archive);
    void restore(const QString& dataFile, const QString& archive);
    void restoreKeptCopy();
    // Asks before `dataFile` is replaced from the archive at `path` written at `written`; No writes nothing.
    void restoreFrom(const QString& dataFile, const QString& path, const QDateTime& written);
};
