// The month index: a month's and a day's lists and reports, the graph tables, a save and a full rebuild, against
// a plain sequential read of the slip files in the same run, and the same month's query on SQLite holding the
// same slips with an index on their date. Cold reads drop the files from the page cache first.
#include "benchdata.h"
#include "benchutil.h"
#include "reports/graphdata.h"
#include "reports/reportbuilder.h"
#include "sqliteslips.h"
#include "storage/journal.h"
#include "storage/purchaseslip.h"
#include "storage/salessave.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/sliplist.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

BusiestMonth g_busiest;
sqlite3* g_db = nullptr;

// Drops a file's pages from the cache, as after a restart of the machine.
void evict(const QString& name)
{
    const int fd = ::open(QFile::encodeName(dataPath(name)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

void evictAll()
{
    for (const char* name : {"reg.dat", "reg.key", "reg.mon", "siire.dat", "siire.key", "siire.mon", "slips.sqlite"})
        evict(QString::fromLatin1(name));
}

// range(0): 1 cold, 0 warm.
void PlainRead(benchmark::State& state, const char* which)
{
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            evictAll();
            state.ResumeTiming();
        }
        if (plainRead(dataPath(QString::fromLatin1(which))) <= 0)
            state.SkipWithError("no data");
    }
}

void MonthSalesList(benchmark::State& state)
{
    QList<SlipListRow> rows;
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            evictAll();
            state.ResumeTiming();
        }
        ListSalesSlips(g_busiest.year, g_busiest.month, LastSalesSlipNo(), rows);
    }
    state.counters["rows"] = double(rows.size());
}

// The first month's list after something other than the program touched reg.dat (here only its times): the
// index's stamp fails, so the index is checked in one read of the file before the list is read through it.
void MonthSalesListAfterOutsideWrite(benchmark::State& state)
{
    QList<SlipListRow> rows;
    const QByteArray reg = QFile::encodeName(dataPath(QStringLiteral("reg.dat")));
    const qint64 rebuilds = slipIndexUse().rebuilds;
    for (auto _ : state) {
        state.PauseTiming();
        ::utimensat(AT_FDCWD, reg.constData(), nullptr, 0);
        state.ResumeTiming();
        ListSalesSlips(g_busiest.year, g_busiest.month, LastSalesSlipNo(), rows);
    }
    state.counters["rows"] = double(rows.size());
    state.counters["rebuilds"] = double(slipIndexUse().rebuilds - rebuilds) / double(state.iterations());
}

void MonthPurchaseList(benchmark::State& state)
{
    QList<SlipListRow> rows;
    for (auto _ : state)
        ListPurchaseSlips(g_busiest.year, g_busiest.month, LastPurchaseSlipNo(), rows);
    state.counters["rows"] = double(rows.size());
}

// Report kind range(0) for the busiest month (range(1) 1) or its 15th (0), grid contents without widgets.
void ReportBuild(benchmark::State& state)
{
    const ReportPeriod period = ReportPeriod::fromTexts(
        QString::number(g_busiest.year), QString::number(g_busiest.month), QStringLiteral("15"), state.range(1) == 0);
    GridTable table;
    for (auto _ : state)
        buildReport(int(state.range(0)), period, table);
    state.counters["rows"] = double(table.rows.size() - 1);
}

void GraphLoad(benchmark::State& state)
{
    GraphTables tables;
    for (auto _ : state)
        tables.load(LastSalesSlipNo(), LastPurchaseSlipNo());
}

// The first reader after the index was deleted builds it from one read of reg.dat.
void Rebuild(benchmark::State& state)
{
    for (auto _ : state)
        if (!RebuildSlipIndex(SlipFile::Sales))
            state.SkipWithError("rebuild failed");
}

// The same month on SQLite: the slips' records in a table with their date indexed; range(0) 1 cold.
void SqliteMonth(benchmark::State& state)
{
    SqliteMonthQuery query(g_db, g_busiest.year, g_busiest.month);
    qint64 rows = 0;
    for (auto _ : state) {
        if (state.range(0)) {
            state.PauseTiming();
            evictAll();
            state.ResumeTiming();
        }
        const QList<SlipListRow> list = query.run();
        rows = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["rows"] = double(rows);
}

// Saving a sale after ten years of slips, with the index written in the same transaction (range(0) 1) or
// without an index (0). Every save is flushed to disk, so the time is mostly the disk's.
void Save(benchmark::State& state)
{
    const bool indexed = state.range(0) != 0;
    const QString dataDir = AppDir;
    QTemporaryDir dir;
    AppDir = dir.path();
    const qint64 slips = QFile(dataDir + QStringLiteral("/reg.dat")).size() / SalesSlipRecordSize;
    SysNum[Sys::NextSalesSlipNo] = double(slips + 1);
    QFile reg(dataPath(QStringLiteral("reg.dat")));
    // Sparse: as long as the data, without copying them; the index is made for it as the program would.
    if (!SaveSettings() || !reg.open(QIODevice::WriteOnly) || !reg.resize(slips * SalesSlipRecordSize)) {
        state.SkipWithError("files");
        AppDir = dataDir;
        return;
    }
    reg.close();
    if (indexed)
        RebuildSlipIndex(SlipFile::Sales);
    SalesSlipRecord slip;
    slip.Date = QStringLiteral("2026/12/08");
    slip.Time = QStringLiteral("10:00:00");
    slip.Subtotal = slip.Total = 500;
    for (auto _ : state) {
        if (!indexed) {
            state.PauseTiming();
            DropSlipIndex(QStringLiteral("reg.dat"));
            state.ResumeTiming();
        }
        if (!SaveNewSalesSlip(slip, {}).saved)
            state.SkipWithError("not saved");
    }
    if (indexed && CheckSlipIndex(SlipFile::Sales) != SlipIndexState::Usable)
        state.SkipWithError("index not kept");
    AppDir = dataDir;
    LoadSettings();
}

} // namespace

BENCHMARK_CAPTURE(PlainRead, reg, "reg.dat")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(PlainRead, siire, "siire.dat")->Arg(0)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MonthSalesList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MonthSalesListAfterOutsideWrite)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(SqliteMonth)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(MonthPurchaseList)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(ReportBuild)->ArgsProduct({{1, 2, 3, 4}, {1, 0}})->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(GraphLoad)->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(Rebuild)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Save)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!openBenchData(argc, argv))
        return 0;
    g_busiest = busiestMonth();
    g_db = openSqliteSlips();
    if (!g_db) {
        std::printf("cannot open SQLite beside the data\n");
        return 1;
    }
    std::printf("%lld sales slips; the month %d/%02d with %d slips\n", LastSalesSlipNo(), g_busiest.year,
                g_busiest.month, g_busiest.slips);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double reg = reporter.find("PlainRead/reg/0"), regCold = reporter.find("PlainRead/reg/1");
    const double siire = reporter.find("PlainRead/siire/0");
    const auto ratio = [&](const char* what, const std::string& name, double plain) {
        const double t = reporter.find(name);
        if (t > 0 && plain > 0)
            std::printf("%-44s %8.2f ms  / plain read %.3f\n", what, t, t / plain);
    };
    ratio("a month's sales slip list", "MonthSalesList/0", reg);
    ratio("the same on SQLite with a date index", "SqliteMonth/0", reg);
    ratio("a month's sales slip list, cold", "MonthSalesList/1", regCold);
    ratio("the same on SQLite, cold", "SqliteMonth/1", regCold);
    ratio("a month's sales slip list after an outside write", "MonthSalesListAfterOutsideWrite", reg);
    ratio("a month's purchase slip list", "MonthPurchaseList", siire);
    ratio("sales slip report, month", "ReportBuild/1/1", reg);
    ratio("sales slip report, day", "ReportBuild/1/0", reg);
    ratio("sales per product, month", "ReportBuild/2/1", reg);
    ratio("purchase slip report, month", "ReportBuild/3/1", siire);
    ratio("graph tables", "GraphLoad", reg + siire);
    ratio("rebuilding the sales index", "Rebuild", reg);
    const double saved = reporter.find("Save/0"), savedIndexed = reporter.find("Save/1");
    if (saved > 0 && savedIndexed > 0)
        std::printf("save with the index written - without: %+.2f ms\n", savedIndexed - saved);
    sqlite3_close(g_db);
    return 0;
}
