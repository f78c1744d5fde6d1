// The closing window "レジ点検・精算": what the register expects for a business day, the cash the cashier
// counts, the check (点検) and the closing (精算) with their reports, and the history of closings.
#pragma once

#include "platform/gridtable.h"
#include "storage/closing.h"

#include <QWidget>

class Grid;
class QLabel;
class QLineEdit;
class QPushButton;

// The grid contents of the expected figures and of the history, built without widgets.
GridTable closingFiguresTable(const ClosingFigures& figures);
GridTable closingHistoryTable(const QList<ClosingHistoryEntry>& history);

class ClosingWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ClosingWindow(QWidget* parent = nullptr);

    // Reads the day's slips and cash in and out again and shows what the register expects.
    void showDay();
    // 点検: prints the figures with the count, stores nothing.
    void check();
    // 精算: stores a closing record with the count and prints the closing report.
    void closeDay();
    void reprint();
    void saveCsv();

    const ClosingFigures& figures() const { return m_figures; }
    CashCount count() const;

private:
    QLineEdit* dayBox = nullptr;
    QLineEdit* fundBox = nullptr;
    QPushButton* showButton = nullptr;
    Grid* expectedGrid = nullptr;
    QLineEdit* countBoxes[DenominationCount] = {};
    QLineEdit* countAmountBoxes[DenominationCount] = {};
    QLineEdit* countedBox = nullptr;
    QLineEdit* expectedBox = nullptr;
    QLineEdit* differenceBox = nullptr;
    Grid* historyGrid = nullptr;
    QPushButton* checkButton = nullptr;
    QPushButton* closeDayButton = nullptr;
    QPushButton* reprintButton = nullptr;
    QPushButton* csvButton = nullptr;
    QPushButton* exitButton = nullptr;

    void buildControls();
    void buildDayRow();
    void buildCountFrame();
    void buildHistory();
    // The figures of the day in the box, read afresh; false (the user told) when they cannot be.
    bool readFigures();
    void showCount();
    void fundChanged();
    void saveFund();
    void loadHistory();
    SeisanRecord currentClosing() const;
    bool confirmClosing(const QList<SeisanRecord>& records);
    void printReport(const SeisanRecord& closing, ClosingReportKind kind, const QString& stored = QString());

    QString m_day; // the day the figures are of
    ClosingFigures m_figures;
    QList<ClosingHistoryEntry> m_history;
};
