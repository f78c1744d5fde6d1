// The graph window's three tables, filled by one read of each slip file, and the five views drawn from them.
#pragma once

#include "platform/chartpoints.h"
#include "platform/gridtable.h"
#include "storage/result.h"

#include <QDate>
#include <QString>
#include <vector>

// Takings and purchases per calendar day and customers per hour, for the years 2000 to 2030.
class GraphTables
{
public:
    static constexpr int FirstYear = 2000;
    static constexpr int LastYear = 2030;

    GraphTables();
    // Empties the tables, then reads sales slips 1..lastSales of reg.dat and purchase slips 1..lastPurchases
    // of siire.dat; deleted slips and slips dated outside the years covered are left out.
    Result load(qint64 lastSales, qint64 lastPurchases);

    static bool covers(int year) { return year >= FirstYear && year <= LastYear; }
    // Full calendar years; 0 for dates the tables do not cover.
    double sales(int year, int month, int day) const;
    double purchases(int year, int month, int day) const;
    qint64 visitors(int hour, int year, int month, int day) const;

    // For tests and tools that make their own figures.
    void addSale(int year, int month, int day, int hour, double total);
    void addPurchase(int year, int month, int day, double total);

private:
    static int dayIndex(int year, int month, int day); // -1 outside the tables

    std::vector<double> m_sales;
    std::vector<double> m_purchases;
    std::vector<qint64> m_visitors; // per hour 0..23, then per day; never overflows
};

// The graph modes, numbered as the window's buttons are.
enum GraphMode
{
    MonthlyTrend = 0,
    AnnualTrend = 1,
    MonthComparison = 2,
    YearComparison = 3,
    VisitorsPerHour = 4
};

// What the view depends on besides the tables: the selectors' texts and the three check boxes.
struct GraphChoice
{
    QString yearText;
    QString monthText;
    bool sales = true;
    bool purchases = true;
    bool total = false;
    // Days after this one have no figures yet and are not plotted; an invalid date plots every day.
    QDate today;
};

struct GraphView
{
    GridTable table;
    ChartPoints chart;
};

// One view, computed from the tables alone.
GraphView drawGraph(int mode, const GraphTables& tables, const GraphChoice& choice);
