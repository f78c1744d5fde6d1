// The graph window "グラフ": takings, purchases and customers as a chart and a table, from one read of the slips.
#pragma once

#include "reports/graphdata.h"

#include <QWidget>
#include <memory>

class Chart;
class Grid;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QRadioButton;
class TabStrip;

class GraphWindow : public QWidget
{
    Q_OBJECT

public:
    explicit GraphWindow(QWidget* parent = nullptr);
    ~GraphWindow() override;

    // Draws view `mode` (GraphMode) from the tables with the chosen options.
    void drawView(int mode);
    int graphMode() const { return m_graphMode; }
    int chartType() const { return m_chartType; }
    const GraphTables& tables() const { return *m_tables; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QGroupBox* periodFrame = nullptr;
    QComboBox* yearBox = nullptr;
    QComboBox* monthBox = nullptr;
    QGroupBox* seriesFrame = nullptr;
    QCheckBox* salesCheck = nullptr;
    QCheckBox* purchasesCheck = nullptr;
    QCheckBox* runningTotalCheck = nullptr;
    QGroupBox* chartTypeFrame = nullptr;
    QRadioButton* lineChartButton = nullptr;
    QRadioButton* barChartButton = nullptr;
    QPushButton* monthlyTrendButton = nullptr;
    QPushButton* annualTrendButton = nullptr;
    QPushButton* monthComparisonButton = nullptr;
    QPushButton* yearComparisonButton = nullptr;
    QPushButton* visitorsPerHourButton = nullptr;
    QPushButton* closeButton = nullptr;
    TabStrip* viewTabs = nullptr;
    Chart* chartView = nullptr;
    QGroupBox* tableFrame = nullptr;
    Grid* tableGrid = nullptr;
    QPushButton* csvButton = nullptr; // "CSV出力", beside the tabs while the table is shown

    void buildControls();
    void connectControls();
    void buildCsvButton();
    // The table shown, as a CSV file named after the view and its period.
    void exportCsv();
    void load();
    bool dispatchKey(QKeyEvent* event);
    void redraw() { drawView(m_graphMode); }
    // A view button or key: which selectors apply, then the view.
    void choose(int mode, bool yearEnabled, bool monthEnabled);
    void monthlyTrend() { choose(MonthlyTrend, true, true); }
    void annualTrend() { choose(AnnualTrend, true, false); }
    void monthComparison() { choose(MonthComparison, true, false); }
    void yearComparison();
    void visitorsPerHour() { choose(VisitorsPerHour, true, true); }
    void showChartTab();
    void showTableTab();
    void closeWindow() { close(); }

    std::unique_ptr<GraphTables> m_tables;
    int m_graphMode = MonthlyTrend;
    GraphChoice m_shownChoice; // the selection the table was drawn with
    int m_chartType = 3;
    bool m_closing = false;
};
