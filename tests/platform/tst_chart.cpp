// The chart control: many series told apart by colour, and bars of many series drawn as lines.
#include "platform/chart.h"

#include <QSet>
#include <QtCharts/QLineSeries>
#include <QtTest>

class TestChart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Up to five series keep the theme's colours; twelve get twelve different ones.
    void colours()
    {
        for (int s = 0; s < 5; ++s)
            QVERIFY(!seriesColour(s, 5).isValid());
        QSet<QRgb> twelve;
        for (int s = 0; s < 12; ++s)
            twelve.insert(seriesColour(s, 12).rgb());
        QCOMPARE(twelve.size(), 12);
    }

    // Twelve months asked for as bars are drawn as lines, each in its own colour; five years stay bars.
    void manySeriesAsLines()
    {
        Chart chart;
        ChartPoints p;
        p.labels = {"1", "2", "3"};
        p.setShape(12, 3);
        chart.setPoints(p, Chart::Bar);
        QCOMPARE(chart.type(), Chart::Bar);
        QVERIFY(chart.drawnAsLines());
        const QList<QAbstractSeries*> series = chart.chart()->series();
        QCOMPARE(series.size(), 12);
        QCOMPARE(static_cast<QLineSeries*>(series[11])->pen().color(), seriesColour(11, 12));

        p.setShape(5, 3);
        chart.setPoints(p, Chart::Bar);
        QVERIFY(!chart.drawnAsLines());
        QCOMPARE(chart.chart()->series().size(), 1); // one bar series holding five sets
    }
};

QTEST_MAIN(TestChart)
#include "tst_chart.moc"
