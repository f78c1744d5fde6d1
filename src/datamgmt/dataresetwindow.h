// The data initialisation window: the record counts and slip counters, and a reset of each data file behind a
// password.
#pragma once

#include "storage/result.h"

#include <QWidget>
#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
struct ResetSteps;

class DataResetWindow : public QWidget
{
    Q_OBJECT

public:
    explicit DataResetWindow(QWidget* parent = nullptr);

    // Window load: Text1(0) to Text1(9) from SysNum[1] to SysNum[10].
    void load();

    QPushButton* Command[11] = {}; // Command1 to Command10: captions of the boxes only
    QLineEdit* Text1[10] = {};
    QGroupBox* Frame1 = nullptr;
    QPushButton* Command11 = nullptr; // sales slips
    QPushButton* Command14 = nullptr; // purchase slips
    QPushButton* Command17 = nullptr; // purchase items
    QPushButton* Command13 = nullptr; // products
    QPushButton* Command16 = nullptr; // suppliers
    QPushButton* Command18 = nullptr; // closings and cash in and out
    QPushButton* Command12 = nullptr; // "password", a caption only
    QLineEdit* Text2 = nullptr;
    QPushButton* Command15 = nullptr; // "閉じる"

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void resetSalesSlips();
    void resetPurchaseSlips();
    void resetPurchaseItems();
    void resetProducts();
    void resetSuppliers();
    void resetSeisan();

    // The frame every reset runs in: password, the register kept out of use, the reset itself, the boxes,
    // the message, the register started afresh, and the window closed.
    void runReset(const QString& fileName, const std::function<Result(const ResetSteps&)>& reset,
                  const std::function<void()>& announce);
    bool passwordGiven();
    // The last word before a reset: names the data and its file and how many records become empty.
    bool resetConfirmed(const QString& data, const QString& fileName, double records);
    // The whole-number count in box k, or -1 after telling the user what the box may hold.
    qint64 boxCount(int k, qint64 max, const QString& caption);
    void unloadRegisterEntry();

    bool m_busy = false;
};
