// The chart control: a point table drawn as a two-dimensional line or bar chart, with or without a legend.
#pragma once

#include "platform/chartpoints.h"

#include <QtCharts/QChartView>

class Chart : public QChartView
{
    Q_OBJECT

public:
    // The chart types by their traditional codes.
    static constexpr int Bar = 1;
    static constexpr int Line = 3;

    explicit Chart(QWidget* parent = nullptr);

    // Replaces every series and both axes; labels become the categories of the horizontal axis.
    void setPoints(const ChartPoints& points, int type);
    const ChartPoints& points() const { return m_points; }
    int type() const { return m_type; }

private:
    ChartPoints m_points;
    int m_type = Line;
};
