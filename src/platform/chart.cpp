// The chart control over Qt Charts: one chart object kept, its series and axes replaced for each view.
#include "platform/chart.h"

#include <QSet>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

Chart::Chart(QWidget* parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
    chart()->setAnimationOptions(QChart::NoAnimation);
    chart()->legend()->setAlignment(Qt::AlignRight);
}

void Chart::setPoints(const ChartPoints& points, int type)
{
    m_points = points;
    m_type = type;
    QChart* c = chart();
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }

    // The category axis needs distinct categories; labels that repeat (all blank, say) are not shown.
    auto* xAxis = new QBarCategoryAxis;
    const bool distinct = QSet<QString>(points.labels.cbegin(), points.labels.cend()).size() == points.labels.size();
    QStringList categories = points.labels;
    if (!distinct)
        for (int i = 0; i < categories.size(); ++i)
            categories[i] = QString::number(i + 1);
    xAxis->append(categories);
    xAxis->setLabelsVisible(distinct);
    auto* yAxis = new QValueAxis;
    c->addAxis(xAxis, Qt::AlignBottom);
    c->addAxis(yAxis, Qt::AlignLeft);

    double low = 0, high = 0;
    for (const auto& series : points.series)
        for (const auto& value : series)
            if (value) {
                low = std::min(low, *value);
                high = std::max(high, *value);
            }
    if (low == high)
        high = low + 1;
    yAxis->setRange(low, high);
    yAxis->applyNiceNumbers();

    const auto name = [&](int s) { return s < points.names.size() ? points.names[s] : QString(); };
    if (type == Bar) {
        auto* bars = new QBarSeries;
        for (int s = 0; s < points.series.size(); ++s) {
            auto* set = new QBarSet(name(s));
            for (const auto& value : points.series[s])
                set->append(value.value_or(0));
            bars->append(set);
        }
        c->addSeries(bars);
        bars->attachAxis(xAxis);
        bars->attachAxis(yAxis);
    } else {
        for (int s = 0; s < points.series.size(); ++s) {
            auto* line = new QLineSeries;
            line->setName(name(s));
            QList<QPointF> xy;
            xy.reserve(points.series[s].size());
            for (int i = 0; i < points.series[s].size(); ++i)
                if (const auto& value = points.series[s][i])
                    xy.append(QPointF(i, *value));
            line->replace(xy);
            c->addSeries(line);
            line->attachAxis(xAxis);
            line->attachAxis(yAxis);
        }
    }
    c->legend()->setVisible(points.legend);
}
