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

    QGroupBox* Frame2 = nullptr;
    Grid* MSFlexGrid1 = nullptr;
    QLabel* LabelStatus = nullptr;
    QGroupBox* Frame1 = nullptr;
    QComboBox* Combo1 = nullptr; // year
    QComboBox* Combo2 = nullptr; // month
    QComboBox* Combo3 = nullptr; // day
    QGroupBox* Frame5 = nullptr;
    QRadioButton* Option1 = nullptr; // 日
    QRadioButton* Option2 = nullptr; // 月
    QGroupBox* Frame3 = nullptr;
    QComboBox* ComboSlips = nullptr; // 売上と仕入 / 売上 / 仕入
    QGroupBox* Frame4 = nullptr;
    QComboBox* ComboOperation = nullptr;  // 訂正と削除 …
    QPushButton* CommandVerify = nullptr; // "検証"
    QPushButton* CommandCsv = nullptr;    // "CSV出力"
    QPushButton* Command1 = nullptr;      // "閉じる"

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The entries the boxes choose.
    HistoryFilter filter() const;
    void fitColumns();
    void exportCsv();
    // The state of the file as the status line tells it; `checked` is the outcome of the last 検証, if any.
    void showStatus(qint64 listed, const QString& checked = {});

    QString m_periodTag;
    QString m_lastCheck;
};
