// The report window's builds for a month and for a day, and the graph window's opening and view changes,
// against plain sequential reads of the slip files in the same run.
#include "benchdata.h"
#include "benchutil.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "reports/graphwindow.h"
#include "reports/reportwindow.h"
#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <cstdio>
#include <memory>

namespace {

QString g_year;
QString g_month;
QString g_day = QStringLiteral("15");
ReportWindow* g_reports = nullptr;
GraphWindow* g_graphs = nullptr;

void PlainRead(benchmark::State& state, const char* which)
{
    const QString name = QString::fromLatin1(which);
    for (auto _ : state) {
        qint64 bytes = 0;
        for (const QString& file : name.split(u'+'))
            bytes += plainRead(dataPath(file));
        if (bytes <= 0)
            state.SkipWithError("no data");
    }
}

// Report kind range(0); range(1) 1 for a month, 0 for a day.
void Report(benchmark::State& state)
{
    g_reports->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(g_year);
    g_reports->findChild<QComboBox*>(QStringLiteral("monthBox"))->setEditText(g_month);
    g_reports->findChild<QComboBox*>(QStringLiteral("dayBox"))->setEditText(g_day);
    g_reports
        ->findChild<QRadioButton*>(state.range(1) ? QStringLiteral("monthlyButton") : QStringLiteral("dailyButton"))
        ->setChecked(true);
    for (auto _ : state)
        g_reports->buildReportGrid(int(state.range(0)));
    state.counters["rows"] = double(g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->rows() - 1);
}

void OpenGraphs(benchmark::State& state)
{
    for (auto _ : state) {
        GraphWindow form;
        benchmark::DoNotOptimize(form.graphMode());
    }
}

// From another view to view range(0), until the whole window is painted, as the owner sees it after a key.
void SwitchView(benchmark::State& state)
{
    const int mode = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        g_graphs->drawView((mode + 1) % 5);
        QApplication::processEvents();
        state.ResumeTiming();
        g_graphs->drawView(mode);
        QApplication::processEvents(); // the chart lays itself out on the event loop
        g_graphs->repaint();
    }
}

} // namespace

BENCHMARK_CAPTURE(PlainRead, reg, "reg.dat")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(PlainRead, siire, "siire.dat")->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(PlainRead, both, "reg.dat+siire.dat")->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(Report)->ArgsProduct({{1, 2, 3, 4}, {1, 0}})->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(OpenGraphs)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(SwitchView)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->MinTime(0.5);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    if (!openBenchData(argc, argv))
        return 0;
    const BusiestMonth busiest = busiestMonth();
    g_year = QString::number(busiest.year);
    g_month = QString::number(busiest.month);
    std::printf("reports for %s/%s and the day %s/%s/%s\n", qPrintable(g_year), qPrintable(g_month), qPrintable(g_year),
                qPrintable(g_month), qPrintable(g_day));
    g_reports = new ReportWindow;
    g_graphs = new GraphWindow;
    g_graphs->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(g_year);
    g_graphs->findChild<QComboBox*>(QStringLiteral("monthBox"))->setEditText(g_month);
    g_graphs->show();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double reg = reporter.find("PlainRead/reg");
    const double siire = reporter.find("PlainRead/siire");
    const double both = reporter.find("PlainRead/both");
    const char* names[] = {"", "sales slips", "sales per product", "purchase slips", "purchases per item"};
    for (int kind = 1; kind <= 4; ++kind) {
        const double plain = kind <= 2 ? reg : siire;
        for (int month = 1; month >= 0; --month) {
            const double t = reporter.find("Report/" + std::to_string(kind) + "/" + std::to_string(month));
            if (plain > 0 && t > 0)
                std::printf("report %d (%s) for a %s / plain read = %.2f\n", kind, names[kind], month ? "month" : "day",
                            t / plain);
        }
    }
    if (both > 0)
        std::printf("opening the graph window / plain read of both files = %.2f\n", reporter.find("OpenGraphs") / both);
    for (int mode = 0; mode <= 4; ++mode)
        std::printf("switching to view %d: %.1f ms\n", mode, reporter.find("SwitchView/" + std::to_string(mode)));
    delete g_graphs;
    delete g_reports;
    return 0;
}
