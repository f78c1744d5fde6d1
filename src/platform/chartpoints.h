// A chart's point table built away from any widget: one label per point, one series per column after it.
#pragma once

#include <QList>
#include <QPair>
#include <QStringList>
#include <optional>

struct ChartPoints
{
    QStringList labels;                         // column 0: one per point on the horizontal axis
    QStringList names;                          // one per series, for the legend
    QList<QList<std::optional<double>>> series; // [series][point]; an empty value draws no point
    bool legend = false;                        // also shown whenever there is more than one series
    QString title;                              // what is plotted, the period and the unit of the values
    QString xTitle;                             // the unit of the horizontal axis: 日, 月, 時 …
    // Where labels repeat (one blank per day of a year), the horizontal axis is labelled at these points
    // instead: (index of the point, label).
    QList<QPair<int, QString>> ticks;

    // `count` series of `points` empty values each.
    void setShape(int count, int points)
    {
        series = QList<QList<std::optional<double>>>(count, QList<std::optional<double>>(points));
    }
};
