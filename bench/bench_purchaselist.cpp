// The purchase slip list against a plain sequential read of siire.dat, and saving a purchase slip into an
// empty siire.dat against one as long as ten years of slips.
#include "benchutil.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "purchasing/purchaseslipwindow.h"
#include "storage/history.h"
#include "storage/purchasesave.h"
#include "storage/settings.h"
#include "storage/sliplist.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

QString g_dataDir;
PurchaseSlipWindow* g_form = nullptr; // over the benchmark data

void PlainRead(benchmark::State& state)
{
    std::vector<char> block(512 * 1024);
    for (auto _ : state) {
        QFile file(g_dataDir + QStringLiteral("/siire.dat"));
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("siire.dat");
        char sum = 0;
        for (qint64 got; (got = file.read(block.data(), qint64(block.size()))) > 0;)
            sum ^= block[0];
        benchmark::DoNotOptimize(sum);
    }
}

// The storage pass alone.
void ListPurchaseSlipsPass(benchmark::State& state)
{
    AppDir = g_dataDir;
    QList<SlipListRow> rows;
    for (auto _ : state)
        ListPurchaseSlips(2026, 3, LastPurchaseSlipNo(), rows);
    state.counters["rows"] = double(rows.size());
}

// The window's list: the pass and the grid filled.
void BuildSlipList(benchmark::State& state)
{
    AppDir = g_dataDir;
    g_form->chooseListMonth(2026, 3);
    for (auto _ : state)
        g_form->BuildSlipList();
    state.counters["rows"] = double(g_form->slipRowMap().size() - 1);
}

// A ten-year history (about 410,000 entries) as the save sees it: a whole first and last entry, sparse between.
// With `ours` false the file is not a history of this program, so the save appends nothing to it.
bool writeLongHistory(const QString& path, bool ours)
{
    constexpr qint64 Entries = 410000;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    HistoryEntry e;
    e.entryNo = 1;
    e.time = QStringLiteral("2016/12/10 09:00:00");
    e.file = QStringLiteral("siire.dat");
    e.recordNo = 1;
    e.after = QByteArray(1024, ' ');
    QByteArray first = encodeHistoryEntry(e, {});
    if (!ours)
        first[0] = 'X';
    e.entryNo = Entries;
    return file.write(first) == first.size() && file.resize((Entries - 1) * HistoryLayout::EntrySize) &&
           file.seek((Entries - 1) * HistoryLayout::EntrySize) && file.write(encodeHistoryEntry(e, {})) > 0;
}

// One three-line slip saved: siire.dat empty or as long as the benchmark data (sparse, so nothing is copied);
// with the long data also a ten-year history the save appends its entry to (1), or one it must leave alone (2),
// which shows what the entry costs. Every save is flushed to disk, so the time is mostly the disk's.
void SavePurchaseSlip(benchmark::State& state)
{
    const bool full = state.range(0) != 0;
    QTemporaryDir dir;
    AppDir = dir.path();
    const double next = full ? double(QFile(g_dataDir + QStringLiteral("/siire.dat")).size() / 1024 + 1) : 1;
    SysNum[4] = next;
    QFile::copy(g_dataDir + QStringLiteral("/zaiko.dat"), dir.filePath(QStringLiteral("zaiko.dat")));
    if (!SaveSettings()) {
        state.SkipWithError("sys.ini");
        return;
    }
    if (full) {
        QFile siire(dir.filePath(QStringLiteral("siire.dat")));
        if (!siire.open(QIODevice::WriteOnly) || !siire.resize(qint64(next - 1) * 1024)) {
            state.SkipWithError("siire.dat");
            return;
        }
    }
    if (full && !writeLongHistory(dir.filePath(QStringLiteral("rireki.dat")), state.range(0) == 1)) {
        state.SkipWithError("rireki.dat");
        return;
    }
    PurchaseSlipDraft draft;
    draft.year = QStringLiteral("2026");
    draft.month = QStringLiteral("03");
    draft.day = QStringLiteral("15");
    draft.time = QStringLiteral("09:00:00");
    for (int k = 1; k <= 3; ++k)
        draft.line[k] = {double(10 * k), QStringLiteral("ねじ"), 60, 24, 1440};
    draft.subtotal = draft.total = 4320;
    for (auto _ : state)
        if (!SaveNewPurchaseSlip(draft).saved)
            state.SkipWithError("not saved");
    state.counters["slips_before"] = next - 1;
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ListPurchaseSlipsPass)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BuildSlipList)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(SavePurchaseSlip)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    g_dataDir = argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).absolutePath() : QStringLiteral("bench/data");
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    AppDir = g_dataDir;
    if (!QFile::exists(dataPath(QStringLiteral("siire.dat"))) || !LoadSettings()) {
        std::printf("No benchmark data in %s: run gen_data (make bench) first.\n", qPrintable(g_dataDir));
        return 0;
    }
    std::printf("siire.dat: %.0f purchase slips\n", SysNum[4] - 1);
    g_form = new PurchaseSlipWindow;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double plain = reporter.find("PlainRead");
    if (plain > 0) {
        std::printf("list pass / plain read = %.2f\n", reporter.find("ListPurchaseSlipsPass") / plain);
        std::printf("BuildSlipList / plain read = %.2f\n", reporter.find("BuildSlipList") / plain);
    }
    const double empty = reporter.find("SavePurchaseSlip/0");
    if (empty > 0 && reporter.find("SavePurchaseSlip/1") > 0)
        std::printf("save with full siire.dat / with empty siire.dat = %.2f\n",
                    reporter.find("SavePurchaseSlip/1") / empty);
    if (const double without = reporter.find("SavePurchaseSlip/2"); without > 0)
        std::printf("save with its history entry / without one = %.2f\n",
                    reporter.find("SavePurchaseSlip/1") / without);
    delete g_form;
    return 0;
}
