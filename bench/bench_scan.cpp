// Reading every sales slip's date and total, as the reports do, against a plain sequential read of reg.dat.
#include "benchutil.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QFile>
#include <QMap>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>

namespace {

QString g_regPath;

void PlainRead(benchmark::State& state)
{
    std::vector<char> block(512 * 1024);
    for (auto _ : state) {
        QFile file(g_regPath);
        file.open(QIODevice::ReadOnly);
        qint64 bytes = 0;
        char sum = 0;
        for (qint64 got; (got = file.read(block.data(), qint64(block.size()))) > 0;) {
            bytes += got;
            sum ^= block[0];
        }
        benchmark::DoNotOptimize(sum);
        state.counters["MB"] = double(bytes) / 1e6;
    }
}

void DateAndTotalScan(benchmark::State& state)
{
    for (auto _ : state) {
        // A month report's core: the total per day of every live slip.
        QMap<int, double> perDay;
        qint64 slips = 0;
        ScanSalesSlips(1, qint64(SysNum[Sys::NextSalesSlipNo]) - 1, [&](qint64, const SlipView& v) {
            ++slips;
            if (!v.deleted() && v.year() == 2026 && v.month() == 3)
                perDay[v.day()] += v.total();
            return true;
        });
        benchmark::DoNotOptimize(perDay);
        state.counters["slips"] = double(slips);
    }
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(DateAndTotalScan)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    AppDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data");
    g_regPath = dataPath(QStringLiteral("reg.dat"));
    if (!QFile::exists(g_regPath) || !LoadSettings()) {
        std::printf("No benchmark data in %s: run `make bench` (it generates them) first.\n", qPrintable(AppDir));
        return 0;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double plain = reporter.times["PlainRead/min_time:2.000"];
    const double scan = reporter.times["DateAndTotalScan/min_time:2.000"];
    if (plain > 0)
        std::printf("scan / plain read = %.2f\n", scan / plain);
    return 0;
}
