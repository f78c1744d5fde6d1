// The chart control over Qt Charts.
#include "platform/chart.h"

#include <QSet>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace {

QString shapeKey(const ChartPoints& points, int type)
{
    return QString::number(type) + u'|' + QString::number(points.series.size()) + u'|' + points.labels.join(u'\x1f');
}

} // namespace

Chart::Chart(QWidget* parent) : QChartView(parent)
{
    setRenderHint(QPainter::Antialiasing);
}

Chart::~Chart()
{
    // The view deletes the chart it shows; the others are ours.
    for (QChart* c : std::as_const(m_charts))
        if (c != chart())
            delete c;
}

QChart* Chart::makeChart(const ChartPoints& points, int type) const
{
    auto* c = new QChart;
    c->setAnimationOptions(QChart::NoAnimation);
    c->legend()->setAlignment(Qt::AlignRight);
    QAbstractAxis* xAxis = nullptr;
    const int count = int(points.labels.size());
    if (QSet<QString>(points.labels.cbegin(), points.labels.cend()).size() == count) {
        auto* categories = new QBarCategoryAxis;
        categories->append(points.labels);
        xAxis = categories;
    } else {
        // Labels that repeat (all blank, say) say nothing: a plain index axis without labels or grid lines.
        auto* index = new QValueAxis;
        index->setLabelsVisible(false);
        index->setGridLineVisible(false);
        index->setTickCount(2);
        index->setRange(type == Bar ? -0.5 : 0, type == Bar ? count - 0.5 : std::max(count - 1, 1));
        xAxis = index;
    }
    auto* yAxis = new QValueAxis;
    c->addAxis(xAxis, Qt::AlignBottom);
    c->addAxis(yAxis, Qt::AlignLeft);
    if (type == Bar) {
        auto* bars = new QBarSeries;
        for (int s = 0; s < points.series.size(); ++s)
            bars->append(new QBarSet(QString()));
        c->addSeries(bars);
        bars->attachAxis(xAxis);
        bars->attachAxis(yAxis);
    } else {
        for (int s = 0; s < points.series.size(); ++s) {
            auto* line = new QLineSeries;
            c->addSeries(line);
            line->attachAxis(xAxis);
            line->attachAxis(yAxis);
        }
    }
    return c;
}

void Chart::setValues(QChart* c, const ChartPoints& points, int type)
{
    double low = 0, high = 0;
    for (const auto& series : points.series)
        for (const auto& value : series)
            if (value) {
                low = std::min(low, *value);
                high = std::max(high, *value);
            }
    if (low == high)
        high = low + 1;
    auto* yAxis = static_cast<QValueAxis*>(c->axes(Qt::Vertical).constFirst());
    yAxis->setRange(low, high);
    yAxis->applyNiceNumbers();

    const auto name = [&](int s) { return s < points.names.size() ? points.names[s] : QString(); };
    if (type == Bar) {
        auto* bars = static_cast<QBarSeries*>(c->series().constFirst());
        const QList<QBarSet*> sets = bars->barSets();
        for (int s = 0; s < sets.size(); ++s) {
            sets[s]->setLabel(name(s));
            QList<qreal> values;
            values.reserve(points.series[s].size());
            for (const auto& value : points.series[s])
                values.append(value.value_or(0));
            if (sets[s]->count() == values.size()) {
                for (int i = 0; i < values.size(); ++i)
                    if (sets[s]->at(i) != values[i])
                        sets[s]->replace(i, values[i]);
            } else {
                sets[s]->remove(0, sets[s]->count());
                sets[s]->append(values);
            }
        }
    } else {
        const QList<QAbstractSeries*> series = c->series();
        for (int s = 0; s < series.size(); ++s) {
            auto* line = static_cast<QLineSeries*>(series[s]);
            line->setName(name(s));
            QList<QPointF> xy;
            xy.reserve(points.series[s].size());
            for (int i = 0; i < points.series[s].size(); ++i)
                if (const auto& value = points.series[s][i])
                    xy.append(QPointF(i, *value));
            line->replace(xy);
        }
    }
    c->legend()->setVisible(points.legend);
}

void Chart::setPoints(const ChartPoints& points, int type)
{
    m_points = points;
    m_type = type;
    const QString key = shapeKey(points, type);
    QChart* c = m_charts.value(key);
    if (!c) {
        c = makeChart(points, type);
        m_charts.insert(key, c);
    }
    setValues(c, points, type);
    if (chart() != c) {
        // setChart deletes nothing: the chart shown so far stays in m_charts.
        QChart* shown = chart();
        setChart(c);
        if (!std::any_of(m_charts.cbegin(), m_charts.cend(), [shown](QChart* k) { return k == shown; }))
            delete shown; // the view's own first chart
    }
}
