// The chart control: a point table drawn as a two-dimensional line or bar chart, with or without a legend.
#pragma once

#include "platform/chartpoints.h"

#include <QColor>
#include <QHash>
#include <QList>
#include <QtCharts/QChartView>

// The values at which the value axis is labelled: whole numbers at a round step (1, 2 or 5 times a power of
// ten) from at or below `low` to at or above `high`, about `wanted` steps apart and never less than 1.
QList<double> valueTicks(double low, double high, int wanted = 6);

// The colour series `series` of `count` is drawn in: none (the theme's) for up to five series, otherwise
// one of twelve that can be told apart.
QColor seriesColour(int series, int count);

// Bars of more than five series are drawn as lines: twelve bars a day cannot be read.
class Chart : public QChartView
{
    Q_OBJECT

public:
    // The chart types by their traditional codes.
    static constexpr int Bar = 1;
    static constexpr int Line = 3;

    explicit Chart(QWidget* parent = nullptr);
    ~Chart() override;

    // Shows the points; labels become the categories of the horizontal axis.
    void setPoints(const ChartPoints& points, int type);
    const ChartPoints& points() const { return m_points; }
    // The type asked for; drawnAsLines() says when it is drawn as lines instead.
    int type() const { return m_type; }
    bool drawnAsLines() const;

private:
    QChart* makeChart(const ChartPoints& points, int type) const;
    static void setValues(QChart* chart, const ChartPoints& points, int type);

    // One chart per shape (type, labels, number of series), kept once made: a view shown again only gets new
    // values, because making the axis labels and series items anew costs far more than the figures.
    QHash<QString, QChart*> m_charts;
    ChartPoints m_points;
    int m_type = Line;
};
