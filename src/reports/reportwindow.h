// The report window "日報": the day's or month's sales or purchase slips, or their sums per product or item.
#pragma once

#include <QList>
#include <QWidget>

class Grid;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

class ReportWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

    // Builds report `kind` (1 to 5) into the grid; any other kind builds nothing.
    void buildReportGrid(int kind);
    void showSalesSlips();
    void showSalesPerProduct();
    void showPurchaseSlips();
    void showPurchasesPerItem();

    int reportKind() const { return m_reportKind; }

    // The report now shown: its name, its period as printed, and the period in a file name ("2026-12").
    QString shownTitle() const { return m_shownTitle; }
    QString shownPeriod() const { return m_shownPeriod; }
    QString shownPeriodTag() const { return m_shownPeriodTag; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QGroupBox* reportFrame = nullptr;
    Grid* reportGrid = nullptr;
    QGroupBox* periodFrame = nullptr;
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QComboBox* dayBox = nullptr;
    QGroupBox* salesFrame = nullptr;
    QPushButton* salesSlipsButton = nullptr;
    QPushButton* salesPerProductButton = nullptr;
    QGroupBox* purchasesFrame = nullptr;
    QPushButton* purchaseSlipsButton = nullptr;
    QPushButton* purchasesPerItemButton = nullptr;
    QPushButton* daySummaryButton = nullptr; // "日別集計"
    QGroupBox* dailyOrMonthlyFrame = nullptr;
    QRadioButton* dailyButton = nullptr;
    QRadioButton* monthlyButton = nullptr;
    QPushButton* closeButton = nullptr;
    QPushButton* printButton = nullptr;   // "印刷"
    QPushButton* csvButton = nullptr;     // "CSV出力"
    QPushButton* historyButton = nullptr; // "訂正・削除履歴"

    void load();
    void chooseReport(int kind);
    void rebuild() { buildReportGrid(m_reportKind); }
    // Reads the period from the boxes, builds, and shows the rows or the reason there are none.
    void showReport(int kind);
    void fitReportColumns(int kind, const QStringList& widest);

    // The report on paper and as a CSV file.
    void buildOutputButtons();
    void printReport();
    void exportCsv();
    QString fileStem() const;

    int m_reportKind = 1;
    QString m_shownTitle;
    QString m_shownPeriod;
    QString m_shownPeriodTag;
    QList<int> m_blockStarts; // the rows where the report's slips and its period totals begin, for the pages
    bool m_closing = false;
};
