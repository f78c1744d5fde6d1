// The history window "訂正・削除履歴": the slip changes of a day or month, before and after side by side, and the
// check of the whole chain.
#pragma once

#include "reports/historyview.h"

#include <QString>
#include <QWidget>

class Grid;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryWindow(QWidget* parent = nullptr);

    // Reads the boxes and lists the entries they choose.
    void listEntries();
    // Walks the whole chain and says whether it is whole or which entry is the first that does not match.
    void verify();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QGroupBox* historyFrame = nullptr;
    Grid* historyGrid = nullptr;
    QLabel* statusLabel = nullptr;
    QGroupBox* periodFrame = nullptr;
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QComboBox* dayBox = nullptr;
    QGroupBox* dayOrMonthFrame = nullptr;
    QRadioButton* dailyButton = nullptr;
    QRadioButton* monthlyButton = nullptr;
    QGroupBox* slipsFrame = nullptr;
    QComboBox* slipsBox = nullptr; // 売上と仕入 / 売上 / 仕入
    QGroupBox* operationFrame = nullptr;
    QComboBox* operationBox = nullptr;   // 訂正と削除 …
    QPushButton* verifyButton = nullptr; // "検証"
    QPushButton* csvButton = nullptr;    // "CSV出力"
    QPushButton* closeButton = nullptr;  // "閉じる"

    // The entries the boxes choose.
    HistoryFilter filter() const;
    void fitColumns();
    void exportCsv();
    // The state of the file as the status line tells it; `checked` is the outcome of the last 検証, if any.
    void showStatus(qint64 listed, const QString& checked = {});

    QString m_periodTag;
    QString m_lastCheck;
};
