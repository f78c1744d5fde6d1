// The chart control over Qt Charts.
#include "platform/chart.h"

#include "storage/text.h"

#include <cmath>

#include <QSet>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace {

QString shapeKey(const ChartPoints& points, int type)
{
    QString key = QString::number(type) + u'|' + QString::number(points.series.size()) + u'|' +
                  points.labels.join(u'\x1f') + u'|' + points.xTitle;
    for (const auto& tick : points.ticks)
        key += u'|' + QString::number(tick.first) + tick.second;
    return key;
}

// A category axis whose labels stand at given values. Its first category would begin at the start value
// and so have no label of its own; starting a hair before the first value gives every value its label.
void setAxisLabels(QCategoryAxis* axis, const QList<QPair<double, QString>>& labels, double span)
{
    for (const QString& old : axis->categoriesLabels())
        axis->remove(old);
    if (labels.isEmpty())
        return;
    axis->setStartValue(labels.constFirst().first - std::max(span, 1.0) * 1e-6);
    for (const auto& label : labels)
        axis->append(label.second, label.first);
}

// The theme has five colours; a chart of more series (twelve months) takes these, one each, so that no two
// lines look alike.
const QColor ManySeriesColours[] = {
    QColor(0x1f, 0x77, 0xb4), QColor(0xff, 0x7f, 0x0e), QColor(0x2c, 0xa0, 0x2c), QColor(0xd6, 0x27, 0x28),
    QColor(0x94, 0x67, 0xbd), QColor(0x8c, 0x56, 0x4b), QColor(0xe3, 0x77, 0xc2), QColor(0x7f, 0x7f, 0x7f),
    QColor(0xbc, 0xbd, 0x22), QColor(0x17, 0xbe, 0xcf), QColor(0x00, 0x00, 0x00), QColor(0xf0, 0xc0, 0x00),
};
constexpr int ThemeColours = 5;

// Bars of more series than the theme can colour cannot be read side by side: such a chart is drawn as lines.
int drawnType(const ChartPoints& points, int type)
{
    return type == Chart::Bar && points.series.size() > ThemeColours ? Chart::Line : type;
}

} // namespace

QColor seriesColour(int series, int count)
{
    if (count <= ThemeColours || series < 0)
        return {};
    return ManySeriesColours[series % std::size(ManySeriesColours)];
}

QList<double> valueTicks(double low, double high, int wanted)
{
    if (!std::isfinite(low) || !std::isfinite(high))
        low = high = 0;
    if (high < low)
        std::swap(low, high);
    const double raw = (high - low) / std::max(wanted, 1);
    double step = 1;
    if (raw > 1) {
        const double power = std::pow(10.0, std::floor(std::log10(raw)));
        const double f = raw / power;
        step = (f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10) * power;
    }
    const double first = std::floor(low / step) * step;
    double last = std::ceil(high / step) * step;
    if (last <= first)
        last = first + step;
    QList<double> ticks;
    for (double v = first; v <= last + step / 2; v += step)
        ticks << v;
    return ticks;
}

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
    const double first = type == Bar ? -0.5 : 0;
    const double last = type == Bar ? count - 0.5 : std::max(count - 1, 1);
    if (QSet<QString>(points.labels.cbegin(), points.labels.cend()).size() == count) {
        auto* categories = new QBarCategoryAxis;
        categories->append(points.labels);
        xAxis = categories;
    } else if (!points.ticks.isEmpty()) {
        // Labels that repeat, with named points to label instead (the first day of each month).
        auto* marks = new QCategoryAxis;
        marks->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        QList<QPair<double, QString>> labels;
        for (const auto& tick : points.ticks)
            labels.append({double(tick.first), tick.second});
        setAxisLabels(marks, labels, last - first);
        marks->setRange(first, last);
        xAxis = marks;
    } else {
        // Labels that repeat (all blank, say) say nothing: a plain index axis without labels or grid lines.
        auto* index = new QValueAxis;
        index->setLabelsVisible(false);
        index->setGridLineVisible(false);
        index->setTickCount(2);
        index->setRange(first, last);
        xAxis = index;
    }
    xAxis->setTitleText(points.xTitle);
    // Labels of our own on the value axis: whole numbers with their thousands grouped.
    auto* yAxis = new QCategoryAxis;
    yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
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
            if (const QColor colour = seriesColour(s, int(points.series.size())); colour.isValid()) {
                QPen pen(colour);
                pen.setWidth(2);
                line->setPen(pen);
            }
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
    const QList<double> ticks = valueTicks(low, high);
    auto* yAxis = static_cast<QCategoryAxis*>(c->axes(Qt::Vertical).constFirst());
    QList<QPair<double, QString>> labels;
    for (double v : ticks)
        labels.append({v, groupedNumber(v)});
    setAxisLabels(yAxis, labels, ticks.constLast() - ticks.constFirst());
    yAxis->setRange(ticks.constFirst(), ticks.constLast());
    c->setTitle(points.title);

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
    c->legend()->setVisible(points.legend || points.series.size() > 1);
}

bool Chart::drawnAsLines() const
{
    return drawnType(m_points, m_type) == Line;
}

void Chart::setPoints(const ChartPoints& points, int type)
{
    m_points = points;
    m_type = type;
    type = drawnType(points, type);
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
