// The history of slip changes of a ten-year shop: listing one month against a plain read of rireki.dat, the check
// (検証) of the whole chain and every slip against a plain read of the history and both slip files, and the
// corrected slips of the first report after a start with and without their cache. The history is generated once,
// with the slip files and the anchor it describes, in history/ beside the other benchmark data when it is missing:
// 100 sales and 10 purchase slips a day, one correction in fifty slips (TILL_BENCH_HISTORY_DAYS: fewer days).
#include "benchutil.h"
#include "reports/historyview.h"
#include "storage/history.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/settings.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

const int Days = qEnvironmentVariableIsSet("TILL_BENCH_HISTORY_DAYS")
                     ? qEnvironmentVariableIntValue("TILL_BENCH_HISTORY_DAYS")
                     : 3650;
constexpr int SalesPerDay = 100;
constexpr int PurchasesPerDay = 10;
const QDate FirstDay = QDate(2026, 12, 7).addDays(-(Days - 1));

bool generate(const QString& path)
{
    QFile file(path + QStringLiteral(".new"));
    QFile salesFile(dataPath(QStringLiteral("reg.dat")));
    QFile purchaseFile(dataPath(QStringLiteral("siire.dat")));
    if (!file.open(QIODevice::WriteOnly) || !salesFile.open(QIODevice::WriteOnly) ||
        !purchaseFile.open(QIODevice::WriteOnly))
        return false;
    SalesSlipRecord sale;
    sale.Weather = QStringLiteral("晴れ");
    sale.Line[1] = {12, QStringLiteral("おにぎり鮭"), 150, 2, 300};
    sale.Subtotal = sale.Total = 300;
    PurchaseSlipRecord purchase;
    purchase.SupplierNo = 3;
    purchase.SupplierName = QStringLiteral("さくら養鶏場");
    purchase.Line[1] = {7, QStringLiteral("卵"), 20, 30, 600};
    purchase.Subtotal = purchase.Total = 600;
    QByteArray previous;
    qint64 entryNo = 0;
    qint64 salesNo = 0;
    qint64 purchaseNo = 0;
    qint64 slips = 0;
    QByteArray block;
    const auto add = [&](HistoryEntry e) {
        e.entryNo = ++entryNo;
        const QByteArray bytes = encodeHistoryEntry(e, previous);
        previous = historyEntryHash(bytes.constData());
        block += bytes;
        if (block.size() > (8 << 20)) {
            file.write(block);
            block.clear();
        }
    };
    for (int d = 0; d < Days; ++d) {
        const QString date = FirstDay.addDays(d).toString(QStringLiteral("yyyy/MM/dd"));
        for (int s = 0; s < SalesPerDay + PurchasesPerDay; ++s) {
            const bool isSale = s < SalesPerDay;
            const QString time = QTime(9, 0).addSecs(s * 300).toString(QStringLiteral("HH:mm:ss"));
            HistoryEntry e;
            e.time = date + u' ' + time;
            QByteArray after;
            if (isSale) {
                sale.Date = date;
                sale.Time = time;
                sale.SlipNo = int32_t(++salesNo);
                e.file = QStringLiteral("reg.dat");
                e.recordNo = salesNo;
                after = EncodeSalesSlip(sale);
            } else {
                purchase.Date = date;
                purchase.Time = time;
                purchase.SlipNo = int32_t(++purchaseNo);
                e.file = QStringLiteral("siire.dat");
                e.recordNo = purchaseNo;
                after = EncodePurchaseSlip(purchase);
            }
            e.after = after;
            add(e);
            if (++slips % 50 == 0) {
                QByteArray corrected = after;
                corrected[64 + 54] = 1; // line 1's quantity
                e.operation = HistoryOperation::Correction;
                e.time = date + u' ' + QTime(9, 0).addSecs(s * 300 + 60).toString(QStringLiteral("HH:mm:ss"));
                e.hasBefore = true;
                e.before = after;
                e.after = corrected;
                add(e);
            }
            (isSale ? salesFile : purchaseFile).write(e.after);
        }
    }
    file.write(block);
    file.close();
    QFile anchor(dataPath(HistoryAnchorFileName()));
    if (!anchor.open(QIODevice::WriteOnly) || anchor.write(encodeHistoryAnchor(entryNo, previous)) != 64)
        return false;
    QFile::remove(path);
    return QFile::rename(path + QStringLiteral(".new"), path);
}

void PlainRead(benchmark::State& state)
{
    for (auto _ : state)
        state.counters["MB"] = double(plainRead(HistoryPath())) / 1e6;
}

// The window's list of one month (March 2026): corrections and deletions (its first view), or everything.
void ListMonth(benchmark::State& state)
{
    HistoryFilter filter;
    filter.period = ReportPeriod::fromTexts(QStringLiteral("2026"), QStringLiteral("3"), {}, false);
    setOperationChoice(filter, state.range(0) == 0 ? 0 : 5);
    qint64 entries = 0;
    for (auto _ : state) {
        GridTable table;
        buildHistoryTable(filter, table, &entries);
        benchmark::DoNotOptimize(table.rows.size());
    }
    state.counters["entries"] = double(entries);
}

// What the check reads: the history and both slip files, once each.
void ReadHistoryAndSlips(benchmark::State& state)
{
    for (auto _ : state)
        state.counters["MB"] = double(plainRead(HistoryPath()) + plainRead(dataPath(QStringLiteral("reg.dat"))) +
                                      plainRead(dataPath(QStringLiteral("siire.dat")))) /
                               1e6;
}

void VerifyChain(benchmark::State& state)
{
    for (auto _ : state) {
        const HistoryCheck c = verifyHistory();
        if (!c.whole)
            state.SkipWithError(qPrintable(c.message));
        state.counters["entries"] = double(c.entries);
    }
}

// The corrected slips the first month report after a start needs (its 訂正 column): without rireki.cor, when
// the whole history is read (arg 0), and with it from the run before (arg 1).
void FirstCorrectedSlips(benchmark::State& state)
{
    const QString cache = dataPath(QStringLiteral("rireki.cor"));
    correctedSlips(QStringLiteral("reg.dat")); // the run before, leaving its cache
    qint64 slips = 0;
    qint64 read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        forgetCorrectedSlips();
        if (state.range(0) == 0)
            QFile::remove(cache);
        state.ResumeTiming();
        slips = correctedSlips(QStringLiteral("reg.dat")).size();
        read = correctedSlipsEntriesRead();
    }
    state.counters["corrected"] = double(slips);
    state.counters["entries read"] = double(read);
}

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ReadHistoryAndSlips)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(ListMonth)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(FirstCorrectedSlips)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FirstCorrectedSlips)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(VerifyChain)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // Its own folder: the history describes its own slip files, not those of the other benchmarks.
    AppDir = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data")) + QStringLiteral("/history");
    QDir().mkpath(AppDir);
    if (!QFile::exists(HistoryPath())) {
        std::printf("Generating ten years of history in %s …\n", qPrintable(HistoryPath()));
        if (!generate(HistoryPath())) {
            std::printf("Cannot write %s.\n", qPrintable(HistoryPath()));
            return 1;
        }
    }
    SysNum[2] = double(QFileInfo(dataPath(QStringLiteral("reg.dat"))).size() / 1024 + 1);
    SysNum[4] = double(QFileInfo(dataPath(QStringLiteral("siire.dat"))).size() / 1024 + 1);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const double plain = reporter.find("PlainRead"); plain > 0) {
        std::printf("month list (corrections and deletions) / plain read = %.2f\n",
                    reporter.find("ListMonth/0") / plain);
        std::printf("month list (everything) / plain read = %.2f\n", reporter.find("ListMonth/1") / plain);
        std::printf("first corrected slips after a start, no cache / plain read = %.2f, with cache = %.4f\n",
                    reporter.find("FirstCorrectedSlips/0") / plain, reporter.find("FirstCorrectedSlips/1") / plain);
        if (const double all = reporter.find("ReadHistoryAndSlips"); all > 0)
            std::printf("check of chain and slips / plain read of the history and both slip files = %.2f\n",
                        reporter.find("VerifyChain") / all);
    }
    return 0;
}
