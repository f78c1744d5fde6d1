// The register's slip list and window load against a plain sequential read of reg.dat, and saving a sale
// into an empty reg.dat against one that holds ten years of slips.
#include "benchdata.h"
#include "benchutil.h"
#include "platform/messagebox.h"
#include "register/registerwindow.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QString g_dataDir;
RegisterWindow* g_form = nullptr; // over the benchmark data
QString g_year;
QString g_month;
int g_monthSlips = 0;

void PlainRead(benchmark::State& state)
{
    std::vector<char> block(512 * 1024);
    for (auto _ : state) {
        QFile file(g_dataDir + QStringLiteral("/reg.dat"));
        if (!file.open(QIODevice::ReadOnly))
            state.SkipWithError("reg.dat");
        char sum = 0;
        for (qint64 got; (got = file.read(block.data(), qint64(block.size()))) > 0;)
            sum ^= block[0];
        benchmark::DoNotOptimize(sum);
    }
}

void Listget(benchmark::State& state)
{
    AppDir = g_dataDir;
    g_form->findChild<QComboBox*>(QStringLiteral("recallYearBox"))->setEditText(g_year);
    g_form->findChild<QComboBox*>(QStringLiteral("recallMonthBox"))->setEditText(g_month);
    for (auto _ : state)
        g_form->refreshSlipList();
    state.counters["rows"] = double(g_form->state().gridSlipNos.size() - 1);
}

void WindowLoad(benchmark::State& state)
{
    AppDir = g_dataDir;
    for (auto _ : state)
        g_form->load();
}

// Saving one line of a set product: reg.dat either empty or as long as the benchmark data (sparse, so
// nothing is copied). Every save is flushed to disk, so the time is mostly the disk's.
void Datwrite(benchmark::State& state)
{
    const bool full = state.range(0) != 0;
    QTemporaryDir dir;
    AppDir = dir.path();
    const double nextSlip = full ? double(QFile(g_dataDir + QStringLiteral("/reg.dat")).size() / 1024 + 1) : 1;
    SysNum[Sys::NextSalesSlipNo] = nextSlip;
    if (!SaveSettings()) {
        state.SkipWithError("sys.ini");
        return;
    }
    if (full) {
        QFile reg(dir.filePath(QStringLiteral("reg.dat")));
        if (!reg.open(QIODevice::WriteOnly) || !reg.resize(qint64(nextSlip - 1) * SalesSlipRecordSize)) {
            state.SkipWithError("reg.dat");
            return;
        }
    }
    ClearProduct(1);
    ProductTable[1].ProductName = QStringLiteral("セット");
    ProductTable[1].SalePrice = 500;
    ProductTable[1].Slot[1].ComponentItemNo = 12;
    ProductTable[1].Slot[1].ComponentQty = 2;
    auto form = std::make_unique<RegisterWindow>();
    for (auto _ : state) {
        form->findChild<QLineEdit*>(QStringLiteral("lineCodeBoxes_1"))->setText(QStringLiteral("1"));
        form->findChild<QLineEdit*>(QStringLiteral("linePriceBoxes_1"))->setText(QStringLiteral("500"));
        form->findChild<QLineEdit*>(QStringLiteral("lineQuantityBoxes_1"))->setText(QStringLiteral("3"));
        form->findChild<QLineEdit*>(QStringLiteral("lineAmountBoxes_1"))->setText(QStringLiteral("1500"));
        form->findChild<QLineEdit*>(QStringLiteral("totalBox"))->setText(QStringLiteral("1500"));
        form->saveEntry();
    }
    if (form->findChild<QLineEdit*>(QStringLiteral("slipNoBox"))->text().toDouble() != SysNum[Sys::NextSalesSlipNo] ||
        SysNum[Sys::NextSalesSlipNo] <= nextSlip)
        state.SkipWithError("not saved");
    state.counters["slips_before"] = nextSlip - 1;
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Listget)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(WindowLoad)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Datwrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    g_dataDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data");
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    AppDir = g_dataDir;
    if (!QFile::exists(dataPath(QStringLiteral("reg.dat"))) || !LoadSettings()) {
        std::printf("No benchmark data in %s: run gen_data (make bench) first.\n", qPrintable(g_dataDir));
        return 0;
    }
    // The product table is only read; loading it here would create syohin.dat in the data directory.
    if (QFile::exists(dataPath(QStringLiteral("syohin.dat"))))
        LoadProductTable();
    const BusiestMonth busiest = busiestMonth();
    g_year = QString::number(busiest.year);
    g_month = QStringLiteral("%1").arg(busiest.month, 2, 10, QChar(u'0'));
    g_monthSlips = busiest.slips;
    std::printf("reg.dat: %.0f slips; listing %s/%s with %d slips\n", SysNum[Sys::NextSalesSlipNo] - 1,
                qPrintable(g_year), qPrintable(g_month), g_monthSlips);
    g_form = new RegisterWindow;

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double plain = reporter.find("PlainRead");
    if (plain > 0) {
        std::printf("refreshSlipList / plain read = %.2f\n", reporter.find("Listget") / plain);
        std::printf("window load / plain read = %.2f\n", reporter.find("WindowLoad") / plain);
    }
    const double empty = reporter.find("Datwrite/0");
    if (empty > 0 && reporter.find("Datwrite/1") > 0)
        std::printf("saveEntry with full reg.dat / with empty reg.dat = %.2f\n", reporter.find("Datwrite/1") / empty);
    delete g_form;
    return 0;
}
