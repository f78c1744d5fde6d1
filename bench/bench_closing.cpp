// Closing the busiest day of the ten years: the closing figures (one pass over reg.dat and the read of
// seisan.dat) against that day's sales slip list report, which passes over reg.dat once too.
#include "benchdata.h"
#include "benchutil.h"
#include "reports/reportbuilder.h"
#include "storage/closing.h"
#include "storage/salesslip.h"
#include "storage/seisan.h"
#include "storage/settings.h"

#include <QCoreApplication>
#include <QHash>
#include <cstdio>

namespace {

QString g_day; // yyyy/mm/dd
ReportPeriod g_period;

void SlipListReport(benchmark::State& state)
{
    for (auto _ : state) {
        GridTable table;
        if (!buildReport(SalesSlipReport, g_period, table))
            state.SkipWithError("report failed");
        benchmark::DoNotOptimize(table.rows.size());
    }
}

void Closing(benchmark::State& state)
{
    ClosingFigures f;
    for (auto _ : state) {
        QList<SeisanRecord> records;
        if (!ReadSeisan(records) || !ComputeClosing(g_day, records, 30000, f))
            state.SkipWithError("closing failed");
        benchmark::DoNotOptimize(f.expectedCash());
    }
    state.counters["slips"] = f.slipCount + f.deletedCount;
}

} // namespace

BENCHMARK(SlipListReport)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Closing)->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!openBenchData(argc, argv))
        return 0;
    // The day with the most slips (the later one on a tie).
    QHash<int, int> counts;
    ScanSalesSlips(1, LastSalesSlipNo(), [&](qint64, const SlipView& v) {
        ++counts[(v.year() * 100 + v.month()) * 100 + v.day()];
        return true;
    });
    int best = 0, slips = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > slips || (it.value() == slips && it.key() > best))
            best = it.key(), slips = it.value();
    const int y = best / 10000, m = best / 100 % 100, d = best % 100;
    g_day = QStringLiteral("%1/%2/%3").arg(y, 4, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0')).arg(d, 2, 10, QChar(u'0'));
    g_period = ReportPeriod::fromTexts(QString::number(y), QString::number(m), QString::number(d), true);
    std::printf("closing of %s (%d slips)\n", qPrintable(g_day), slips);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double report = reporter.find("SlipListReport");
    if (report > 0)
        std::printf("closing / that day's sales slip list = %.2f (must stay under 2)\n",
                    reporter.find("Closing") / report);
    return 0;
}
