// The busiest month's sales slip list from the 月報 key to the painted grid in the report window (offscreen),
// side by side with the same month's query on SQLite with a date index and with reading the month alone.
#include "benchdata.h"
#include "benchutil.h"
#include "sqliteslips.h"

#include "platform/grid.h"
#include "platform/messagebox.h"
#include "reports/reportbuilder.h"
#include "reports/reportwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QRadioButton>
#include <cstdio>
#include <utility>

namespace {

BusiestMonth g_busiest;
sqlite3* g_db = nullptr;
ReportWindow* g_reports = nullptr;

// Space on a radio button, as the keyboard chooses it.
void pressSpace(QWidget* target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// From the day's list to the month's: the key on 月報, the rows built, the grid laid out and painted.
void MonthOnScreen(benchmark::State& state)
{
    auto* daily = g_reports->findChild<QRadioButton*>(QStringLiteral("dailyButton"));
    auto* monthly = g_reports->findChild<QRadioButton*>(QStringLiteral("monthlyButton"));
    auto* grid = g_reports->findChild<Grid*>(QStringLiteral("reportGrid"));
    for (auto _ : state) {
        state.PauseTiming();
        pressSpace(daily);
        QApplication::processEvents();
        g_reports->repaint();
        state.ResumeTiming();
        pressSpace(monthly);
        QApplication::processEvents(); // the view lays its rows out on the event loop
        g_reports->repaint();
    }
    state.counters["rows"] = double(grid->rows() - 1);
}

// The same month read without a window, each slip's rows left to be made when shown.
void MonthRows(benchmark::State& state)
{
    const ReportPeriod period =
        ReportPeriod::fromTexts(QString::number(g_busiest.year), QString::number(g_busiest.month), QString(), false);
    GridTable table;
    for (auto _ : state)
        buildReport(SalesSlipReport, period, table, RowsMade::WhenShown);
    state.counters["rows"] = double(table.rows.size() - 1);
}

void SqliteMonth(benchmark::State& state)
{
    SqliteMonthQuery query(g_db, g_busiest.year, g_busiest.month);
    qint64 slips = 0;
    for (auto _ : state) {
        const QList<SlipListRow> list = query.run();
        slips = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["slips"] = double(slips);
}

} // namespace

BENCHMARK(MonthOnScreen)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(MonthRows)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(SqliteMonth)->Unit(benchmark::kMillisecond)->MinTime(1);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    QApplication app(argc, argv);
    MessageBox::enableTestMode();
    if (!openBenchData(argc, argv))
        return 0;
    g_busiest = busiestMonth();
    g_db = openSqliteSlips();
    if (!g_db) {
        std::printf("cannot open SQLite beside the data\n");
        return 1;
    }
    std::printf("the sales slip list of %d/%02d (%d slips)\n", g_busiest.year, g_busiest.month, g_busiest.slips);
    g_reports = new ReportWindow;
    g_reports->findChild<QComboBox*>(QStringLiteral("yearBox"))->setEditText(QString::number(g_busiest.year));
    g_reports->findChild<QComboBox*>(QStringLiteral("monthBox"))->setEditText(QString::number(g_busiest.month));
    g_reports->findChild<QComboBox*>(QStringLiteral("dayBox"))->setEditText(QStringLiteral("15"));
    g_reports->show();
    QApplication::processEvents();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Processor time beside the wall clock: on a machine busy with other work the wall clock stretches.
    for (const auto& [what, name] : {std::pair{"月報 key to the painted grid     ", "MonthOnScreen"},
                                     {"the month read, no rows made yet ", "MonthRows"},
                                     {"the month on SQLite, date indexed", "SqliteMonth"}})
        std::printf("%s %8.2f ms (processor %.2f ms)\n", what, reporter.find(name), reporter.findCpu(name));
    const double sqlite = reporter.find("SqliteMonth"), sqliteCpu = reporter.findCpu("SqliteMonth");
    if (sqlite > 0 && sqliteCpu > 0)
        std::printf("on screen / SQLite = %.2f, processor %.2f (must stay at or under 1)\n",
                    reporter.find("MonthOnScreen") / sqlite, reporter.findCpu("MonthOnScreen") / sqliteCpu);
    delete g_reports;
    sqlite3_close(g_db);
    return 0;
}
