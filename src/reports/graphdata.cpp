// The graph tables and the five views: every figure a view shows comes from memory, never from a file.
#include "reports/graphdata.h"

#include "reports/reportbuilder.h"
#include "storage/salesslip.h"
#include "storage/slipindex.h"
#include "storage/text.h"

#include <QDate>
#include <cmath>

namespace {

constexpr int Months = 13; // 0..12; month 0 holds nothing
constexpr int Days = 32;   // 0..31; day 0 holds nothing
constexpr int Hours = 24;  // hours 0..23 of the time of saving
constexpr int DayCells = (GraphTables::LastYear - GraphTables::FirstYear + 1) * Months * Days;

// The selectors as the views use them.
struct Selection
{
    bool hasYear = false; // the year box holds a number
    int year = 0;
    bool yearCovered = false;
    bool monthValid = false;
    int month = 0;
    bool any = false; // sales or purchases checked
};

Selection select(const GraphChoice& c)
{
    Selection s;
    s.hasYear = boxNumber(c.yearText, s.year);
    s.yearCovered = s.hasYear && GraphTables::covers(s.year);
    s.monthValid = boxNumber(c.monthText, s.month) && s.month >= 1 && s.month <= 12;
    s.any = c.sales || c.purchases;
    return s;
}

// The value of a date as the check boxes choose it; purchases alone count negative in the annual trend.
double dateValue(const GraphTables& t, const GraphChoice& c, int y, int m, int d, bool purchasesNegative = false)
{
    const double s = c.sales ? t.sales(y, m, d) : 0;
    const double p = c.purchases ? t.purchases(y, m, d) : 0;
    if (c.sales && c.purchases)
        return s - p;
    if (c.purchases)
        return purchasesNegative ? -p : p;
    return s;
}

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0'));
}

int daysInMonth(int year, int month)
{
    return QDate(year, month, 1).daysInMonth();
}

// A day is plotted when the month has it and it is not yet to come: a zero there would read as a day that
// sold nothing.
bool dayPlotted(const GraphChoice& c, int year, int month, int day)
{
    return day <= daysInMonth(year, month) && (!c.today.isValid() || QDate(year, month, day) <= c.today);
}

// A month is plotted once it has begun.
bool monthPlotted(const GraphChoice& c, int year, int month)
{
    return !c.today.isValid() || QDate(year, month, 1) <= c.today;
}

// The table of the two trend views: four columns with their headers.
void gridset(GridTable& t, int rows)
{
    t.setShape({1500, 1000, 1000, 1000}, rows,
               {QStringLiteral("年月日"), QStringLiteral("仕入"), QStringLiteral("売上"), QStringLiteral("利益")});
}

GraphView monthlyTrend(const GraphTables& t, const GraphChoice& c, const Selection& s)
{
    GraphView v;
    gridset(v.table, 32);
    for (int d = 1; d <= 31; ++d)
        v.chart.labels << u' ' + QString::number(d);
    v.chart.setShape(1, 31);
    if (!s.yearCovered || !s.monthValid)
        return v;
    if (!s.any) {
        v.chart.series[0].fill(0.0);
        return v;
    }
    double sales = 0, purchases = 0;
    for (int d = 1; d <= 31 && dayPlotted(c, s.year, s.month, d); ++d) {
        const double daySales = t.sales(s.year, s.month, d);
        const double dayPurchases = t.purchases(s.year, s.month, d);
        sales = c.total ? sales + daySales : daySales;
        purchases = c.total ? purchases + dayPurchases : dayPurchases;
        QStringList& row = v.table.rows[d];
        row[0] = c.yearText + u'/' + twoDigits(s.month) + u'/' + twoDigits(d);
        double point = 0;
        if (c.sales && c.purchases) {
            row[1] = numText(purchases);
            row[2] = numText(sales);
            row[3] = numText(sales - purchases);
            point = sales - purchases;
        } else if (c.sales) {
            row[2] = numText(sales);
            point = sales;
        } else {
            row[1] = numText(purchases);
            point = purchases;
        }
        v.chart.series[0][d - 1] = point;
    }
    return v;
}

GraphView annualTrend(const GraphTables& t, const GraphChoice& c, const Selection& s)
{
    GraphView v;
    gridset(v.table, 13);
    v.table.rows[0][0] = QStringLiteral("月");
    if (!s.yearCovered)
        return v;
    const int days = QDate(s.year, 1, 1).daysInYear();
    v.chart.labels = QStringList(days, QStringLiteral(" "));
    v.chart.setShape(1, days);
    double running = 0, salesSum = 0, purchaseSum = 0;
    int point = 0;
    for (int m = 1; m <= 12; ++m) {
        if (!c.total)
            salesSum = purchaseSum = 0;
        for (int d = 1; d <= daysInMonth(s.year, m); ++d, ++point) {
            const double value = s.any ? dateValue(t, c, s.year, m, d, true) : 0;
            running = c.total ? running + value : value;
            if (dayPlotted(c, s.year, m, d))
                v.chart.series[0][point] = running;
            salesSum += t.sales(s.year, m, d);
            purchaseSum += t.purchases(s.year, m, d);
        }
        v.table.rows[m] = {QString::number(m), numText(purchaseSum), numText(salesSum),
                           numText(salesSum - purchaseSum)};
    }
    return v;
}

GraphView monthComparison(const GraphTables& t, const GraphChoice& c, const Selection& s)
{
    GraphView v;
    QStringList headers{QStringLiteral("日")};
    for (int m = 1; m <= 12; ++m)
        headers << QString::number(m) + QStringLiteral("月");
    v.table.setShape(QList<int>(13, 1000), 32, headers);
    for (int d = 1; d <= 31; ++d) {
        v.table.rows[d][0] = QString::number(d);
        v.chart.labels << u' ' + QString::number(d);
    }
    v.chart.names = headers.mid(1);
    v.chart.legend = true;
    v.chart.setShape(12, 31);
    if (!s.yearCovered || !s.any)
        return v;
    for (int m = 1; m <= 12; ++m) {
        double running = 0;
        for (int d = 1; d <= 31 && dayPlotted(c, s.year, m, d); ++d) {
            const double value = dateValue(t, c, s.year, m, d);
            running = c.total ? running + value : value;
            v.table.rows[d][m] = numText(running);
            v.chart.series[m - 1][d - 1] = running;
        }
    }
    return v;
}

GraphView yearComparison(const GraphTables& t, const GraphChoice& c, const Selection& s)
{
    GraphView v;
    v.table.setShape(QList<int>(6, 1000), 13, {QStringLiteral("月/年")});
    static const char16_t* const monthNames[12] = {u"１月", u"２月", u"３月", u"４月",   u"５月",   u"６月",
                                                   u"７月", u"８月", u"９月", u"１０月", u"１１月", u"１２月"};
    for (int m = 1; m <= 12; ++m) {
        v.table.rows[m][0] = QString::fromUtf16(monthNames[m - 1]);
        v.chart.labels << u' ' + QString::number(m) + QStringLiteral("月");
    }
    v.chart.legend = true;
    v.chart.setShape(5, 12);
    if (!s.hasYear) {
        v.chart.names = QStringList(5, QString());
        return v;
    }
    for (int col = 1; col <= 5; ++col) {
        const int year = s.year - 5 + col;
        v.table.rows[0][col] = QStringLiteral("%1").arg(year, 4, 10, QChar(u'0'));
        v.chart.names << u' ' + QString::number(year) + QStringLiteral("年度");
        // A year the tables do not cover has no figures rather than zeros.
        if (!GraphTables::covers(year) || !s.any)
            continue;
        double running = 0;
        for (int m = 1; m <= 12 && monthPlotted(c, year, m); ++m) {
            double month = 0;
            for (int d = 1; d <= 31; ++d)
                month += dateValue(t, c, year, m, d);
            running = c.total ? running + month : month;
            v.table.rows[m][col] = numText(running);
            v.chart.series[col - 1][m - 1] = running;
        }
    }
    return v;
}

GraphView visitorsPerHour(const GraphTables& t, const Selection& s)
{
    GraphView v;
    v.table.setShape({1000, 1000}, 25, {QStringLiteral("時間"), QStringLiteral("人数")});
    // The table and the chart name the same hours, 0 to 23, as plain numbers that fit under a bar.
    for (int h = 0; h < Hours; ++h) {
        v.table.rows[h + 1][0] = QString::number(h);
        v.chart.labels << QString::number(h);
    }
    v.chart.setShape(1, Hours);
    if (!s.yearCovered || !s.monthValid)
        return v;
    for (int h = 0; h < Hours; ++h) {
        qint64 count = 0;
        for (int d = 1; d <= 31; ++d)
            count += t.visitors(h, s.year, s.month, d);
        v.chart.series[0][h] = double(count);
        v.table.rows[h + 1][1] = QString::number(count);
    }
    return v;
}

// What the chart plots, as its title says it: the figure chosen by the check boxes, then the period.
QString plotted(int mode, const GraphChoice& c)
{
    if (mode == VisitorsPerHour)
        return QStringLiteral("来客数");
    QString what;
    if (c.sales && c.purchases)
        what = QStringLiteral("合計（売上 − 仕入）");
    else if (c.sales)
        what = QStringLiteral("売上");
    else if (c.purchases)
        what = mode == AnnualTrend ? QStringLiteral("仕入（マイナスで表示）") : QStringLiteral("仕入");
    else
        return QStringLiteral("（売上か仕入を選んでください）");
    return c.total ? what + QStringLiteral("の累計") : what;
}

QString period(int mode, const Selection& s)
{
    if (!s.hasYear)
        return {};
    switch (mode) {
    case MonthlyTrend:
    case VisitorsPerHour:
        return s.monthValid ? QStringLiteral("%1年%2月").arg(s.year).arg(s.month) : QString();
    case YearComparison:
        return QStringLiteral("%1年〜%2年").arg(s.year - 4).arg(s.year);
    default:
        return QStringLiteral("%1年").arg(s.year);
    }
}

// The chart's title and axis units; the annual trend, whose points carry no labels, is labelled at the
// first day of each month.
void describe(GraphView& v, int mode, const GraphChoice& c, const Selection& s)
{
    static const char16_t* const names[] = {u"月間推移", u"年間推移", u"月別比較", u"年度比較", u"月間時間帯別来客数"};
    QStringList parts{QString::fromUtf16(names[mode]), plotted(mode, c), period(mode, s)};
    parts.removeAll(QString());
    if (mode == VisitorsPerHour)
        parts.removeAt(1);
    // The unit goes with the title: a title beside the value axis would stand on its side.
    parts << (mode == VisitorsPerHour ? QStringLiteral("（単位：人）") : QStringLiteral("（単位：円）"));
    v.chart.title = parts.join(QStringLiteral("　"));
    static const char16_t* const xTitles[] = {u"日", u"月", u"日", u"月", u"時"};
    v.chart.xTitle = QString::fromUtf16(xTitles[mode]);
    if (mode == AnnualTrend && s.yearCovered) {
        int day = 0;
        for (int m = 1; m <= 12; ++m) {
            v.chart.ticks.append({day, QStringLiteral("%1月").arg(m)});
            day += daysInMonth(s.year, m);
        }
    }
}

GraphView view(int mode, const GraphTables& tables, const GraphChoice& choice, const Selection& s)
{
    switch (mode) {
    case AnnualTrend:
        return annualTrend(tables, choice, s);
    case MonthComparison:
        return monthComparison(tables, choice, s);
    case YearComparison:
        return yearComparison(tables, choice, s);
    case VisitorsPerHour:
        return visitorsPerHour(tables, s);
    default:
        return monthlyTrend(tables, choice, s);
    }
}

} // namespace

GraphTables::GraphTables() : m_sales(DayCells), m_purchases(DayCells), m_visitors(size_t(Hours) * DayCells) {}

int GraphTables::dayIndex(int year, int month, int day)
{
    if (!covers(year) || month < 1 || month >= Months || day < 1 || day >= Days)
        return -1;
    return ((year - FirstYear) * Months + month) * Days + day;
}

void GraphTables::addSale(int year, int month, int day, int hour, double total)
{
    const int i = dayIndex(year, month, day);
    if (i < 0 || !std::isfinite(total))
        return;
    m_sales[i] += total;
    if (hour >= 0 && hour < Hours)
        ++m_visitors[size_t(hour) * DayCells + i];
}

void GraphTables::addPurchase(int year, int month, int day, double total)
{
    const int i = dayIndex(year, month, day);
    if (i >= 0 && std::isfinite(total))
        m_purchases[i] += total;
}

Result GraphTables::load(qint64 lastSales, qint64 lastPurchases)
{
    std::fill(m_sales.begin(), m_sales.end(), 0.0);
    std::fill(m_purchases.begin(), m_purchases.end(), 0.0);
    std::fill(m_visitors.begin(), m_visitors.end(), 0);
    // The keys of the month index hold every figure the tables need, so the slips themselves are not read.
    const Result sales = ScanSlipKeys(SlipFile::Sales, lastSales, [this](qint64, const SlipKey& k) {
        if (!k.deleted)
            addSale(k.year, k.month, k.day, k.hour, k.total);
        return true;
    });
    const Result purchases = ScanSlipKeys(SlipFile::Purchases, lastPurchases, [this](qint64, const SlipKey& k) {
        if (!k.deleted)
            addPurchase(k.year, k.month, k.day, k.total);
        return true;
    });
    return sales ? purchases : sales;
}

double GraphTables::sales(int year, int month, int day) const
{
    const int i = dayIndex(year, month, day);
    return i < 0 ? 0 : m_sales[i];
}

double GraphTables::purchases(int year, int month, int day) const
{
    const int i = dayIndex(year, month, day);
    return i < 0 ? 0 : m_purchases[i];
}

qint64 GraphTables::visitors(int hour, int year, int month, int day) const
{
    const int i = dayIndex(year, month, day);
    return i < 0 || hour < 0 || hour >= Hours ? 0 : m_visitors[size_t(hour) * DayCells + i];
}

GraphView drawGraph(int mode, const GraphTables& tables, const GraphChoice& choice)
{
    const Selection s = select(choice);
    if (mode < MonthlyTrend || mode > VisitorsPerHour)
        mode = MonthlyTrend;
    GraphView v = view(mode, tables, choice, s);
    describe(v, mode, choice, s);
    return v;
}
