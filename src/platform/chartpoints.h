// A chart's point table built away from any widget: one label per point, one series per column after it.
#pragma once

#include <QList>
#include <QStringList>
#include <optional>

struct ChartPoints
{
    QStringList labels;                         // column 0: one per point on the horizontal axis
    QStringList names;                          // one per series, for the legend
    QList<QList<std::optional<double>>> series; // [series][point]; an empty value draws no point
    bool legend = false;

    // `count` series of `points` empty values each.
    void setShape(int count, int points)
    {
        series = QList<QList<std::optional<double>>>(count, QList<std::optional<double>>(points));
    }
};
