// The busiest month's sales slip list: building it in the report window, against writing it as a CSV file
// and painting it on pages.
#include "benchdata.h"
#include "benchutil.h"
#include "platform/grid.h"
#include "platform/messagebox.h"
#include "platform/printing.h"
#include "platform/tableexport.h"
#include "reports/reportwindow.h"
#include "storage/products.h"
#include "storage/settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPrinter>
#include <QRadioButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

ReportWindow* g_reports = nullptr;
QTemporaryDir* g_out = nullptr;

void BuildReport(benchmark::State& state)
{
    for (auto _ : state)
        g_reports->buildReportGrid(1);
    state.counters["rows"] = double(g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->rows() - 1);
}

void WriteCsv(benchmark::State& state)
{
    const QString path = g_out->filePath(QStringLiteral("month.csv"));
    for (auto _ : state)
        if (!exportTableCsv(nullptr, *g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->model(), path))
            state.SkipWithError("write failed");
    state.counters["bytes"] = double(QFile(path).size());
}

void PaintPdf(benchmark::State& state)
{
    const TableHeading heading{QStringLiteral("売上伝票一覧"), QStringLiteral("月報"), QStringLiteral("店"),
                               QStringLiteral("x")};
    QList<int> widths;
    for (int c = 0; c < g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->cols(); ++c)
        widths << g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->columnWidth(c);
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(g_out->filePath(QStringLiteral("month.pdf")));
        if (!paintTable(printer, *g_reports->findChild<Grid*>(QStringLiteral("reportGrid"))->model(), widths, heading))
            state.SkipWithError("paint failed");
    }
}

} // namespace

BENCHMARK(BuildReport)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(WriteCsv)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(PaintPdf)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    if (!openBenchData(argc, argv))
        return 0;
    const BusiestMonth busiest = busiestMonth();
    std::printf("sales slip list of %d/%d (%d slips)\n", busiest.year, busiest.month, busiest.slips);
    QTemporaryDir out;
    g_out = &out;
    g_reports = new ReportWindow;
    g_reports->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(QString::number(busiest.year));
    g_reports->findChild<QComboBox*>(QStringLiteral("monthBox"))->setEditText(QString::number(busiest.month));
    g_reports->findChild<QRadioButton*>(QStringLiteral("monthlyButton"))->setChecked(true);
    g_reports->buildReportGrid(1);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double build = reporter.find("BuildReport");
    if (build > 0) {
        std::printf("CSV of the month / building the report = %.2f (must stay under 2)\n",
                    reporter.find("WriteCsv") / build);
        std::printf("PDF of the month / building the report = %.2f\n", reporter.find("PaintPdf") / build);
    }
    delete g_reports;
    return 0;
}
