// The sales slip reset of ten years of data (365,000 records): the dated archive of the old reg.dat, then the
// blank records, as the data initialisation window runs them.
#include "platform/keepcopy.h"
#include "storage/initialise.h"
#include "storage/settings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

QString g_source; // the ten-year reg.dat, copied in before every run
QString g_work;   // the program directory the reset runs in

void ResetSales(benchmark::State& state)
{
    for (auto _ : state) {
        QDir(g_work).removeRecursively();
        QDir().mkpath(g_work);
        if (!QFile::copy(g_source, g_work + u"/reg.dat"_s)) {
            state.SkipWithError("copy failed");
            return;
        }
        AppDir = g_work;
        SysNum[1] = 365000;
        SysNum[2] = 365001;
        const auto start = std::chrono::steady_clock::now();
        QString archive;
        ResetSteps steps;
        steps.keepOld = [&](const QString& path) { return keepCopy(path, QDateTime::currentDateTime(), archive); };
        if (!ResetSalesSlips(365000, steps)) {
            state.SkipWithError("reset failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        state.counters["archive MB"] = double(QFileInfo(archive).size()) / 1e6;
    }
}

BENCHMARK(ResetSales)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"bench/data"_s;
    g_source = dir + u"/reg.dat"_s;
    if (!QFile::exists(g_source)) {
        std::printf("%s missing: run bench/gen_data first\n", qPrintable(g_source));
        return 1;
    }
    g_work = dir + u"/initialise work"_s;
    std::printf("input: %s, %.1f MB\n", qPrintable(g_source), double(QFileInfo(g_source).size()) / 1e6);
    benchmark::RunSpecifiedBenchmarks();
    QDir(g_work).removeRecursively();
    return 0;
}
