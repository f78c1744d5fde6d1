// Backup and restore of the ten-year reg.dat through the LHA archiver, against gzip -6 and gunzip of the same file.
#include "benchutil.h"
#include "platform/archiver.h"
#include "storage/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

using namespace Qt::StringLiterals;

namespace {

QString g_data;    // the reg.dat being backed up
QString g_work;    // archives and restored copies
QString g_archive; // g_work/reg.lzh
QString g_gzip;    // g_work/reg.dat.gz

// Used when the shared generator has not been run: the same kind of records, 100 slips a day for ten years.
bool writeSlips(const QString& path)
{
    static const char16_t* names[] = {u"おにぎり鮭", u"幕の内弁当", u"緑茶５００ｍｌ", u"髙島屋ギフト①",
                                      u"食パン",     u"牛乳１Ｌ",   u"ボールペン",     u"洗剤～詰替～"};
    static const char16_t* weathers[] = {u"晴れ", u"雨", u"曇り", u"雪", u"台風", u""};
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator rng(20261207);
    QByteArray r(1024, '\0');
    for (int n = 1; n <= 365000; ++n) {
        r.fill('\0');
        const int day = (n - 1) / 100;
        const int year = 2016 + day / 365, month = day % 365 / 31 % 12 + 1, mday = day % 365 % 28 + 1;
        putText(r.data(), u"%1/%2/%3"_s.arg(year).arg(month, 2, 10, QChar(u'0')).arg(mday, 2, 10, QChar(u'0')), 10);
        putText(r.data() + 10, u"", 10);
        const int secs = 9 * 3600 + (n - 1) % 100 * 360 + int(rng.bounded(300));
        putText(r.data() + 20,
                u"%1:%2:%3"_s.arg(secs / 3600, 2, 10, QChar(u'0'))
                    .arg(secs / 60 % 60, 2, 10, QChar(u'0'))
                    .arg(secs % 60, 2, 10, QChar(u'0')),
                8);
        putText(r.data() + 28, u"", 12);
        putText(r.data() + 40, QStringView(weathers[rng.bounded(6)]), 20);
        putInt32(r.data() + 60, n);
        const int lines = 1 + int(rng.bounded(5));
        double total = 0;
        for (int k = 0; k < 10; ++k) {
            char* l = r.data() + 64 + 64 * k;
            const bool used = k < lines;
            const int product = used ? 1 + int(rng.bounded(400)) : 0;
            const int price = used ? 100 + product % 40 * 10 : 0, qty = used ? 1 + int(rng.bounded(3)) : 0;
            putInt16(l, int16_t(product));
            putText(l + 2, used ? QStringView(names[product % 8]) : QStringView(), 50);
            putInt16(l + 52, int16_t(price));
            putInt16(l + 54, int16_t(qty));
            putDouble(l + 56, double(price) * qty);
            total += double(price) * qty;
        }
        putDouble(r.data() + 704, total);
        putDouble(r.data() + 712, std::floor(total * 10 / 110));
        putDouble(r.data() + 720, total);
        putInt16(r.data() + 728, rng.bounded(200) == 0 ? 1 : 0);
        if (f.write(r) != r.size())
            return false;
    }
    return f.flush();
}

int shell(const QString& command)
{
    return std::system(QFile::encodeName(command).constData());
}

template <typename F> void timed(benchmark::State& state, F&& body)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!body()) {
            state.SkipWithError("command failed");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void Backup(benchmark::State& state)
{
    timed(state, [] {
        QFile::remove(g_archive);
        return RunArchiver(nullptr, u"a "_s + g_archive + u' ' + g_data);
    });
    state.counters["MB"] = double(QFileInfo(g_archive).size()) / 1e6;
}

void Restore(benchmark::State& state)
{
    timed(state, [] { return RunArchiver(nullptr, u"e -c -m "_s + g_archive + u' ' + g_work + u'/'); });
}

void Gzip(benchmark::State& state)
{
    timed(state, [] { return shell(u"gzip -6 -c '"_s + g_data + u"' > '" + g_gzip + u"'") == 0; });
    state.counters["MB"] = double(QFileInfo(g_gzip).size()) / 1e6;
}

void Gunzip(benchmark::State& state)
{
    timed(state, [] { return shell(u"gunzip -c '"_s + g_gzip + u"' > '" + g_work + u"/gunzipped.dat'") == 0; });
}

// Each pair in the order that leaves the input of the next one in place.
BENCHMARK(Backup)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Restore)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Gzip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Gunzip)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"bench/data"_s;
    QDir().mkpath(dir);
    g_data = dir + u"/reg.dat";
    if (!QFile::exists(g_data)) {
        g_data = dir + u"/archiver-reg.dat";
        if (!QFile::exists(g_data) && !writeSlips(g_data)) {
            std::printf("Cannot write %s\n", qPrintable(g_data));
            return 1;
        }
    }
    g_work = dir + u"/archiver work";
    QDir(g_work).removeRecursively();
    QDir().mkpath(g_work);
    g_archive = g_work + u"/reg.lzh";
    g_gzip = g_work + u"/reg.dat.gz";
    std::printf("input: %s, %.1f MB\n", qPrintable(g_data), double(QFileInfo(g_data).size()) / 1e6);

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double lzh = double(QFileInfo(g_archive).size()), gz = double(QFileInfo(g_gzip).size());
    const double gzip = reporter.find("Gzip"), gunzip = reporter.find("Gunzip");
    if (gzip > 0 && gunzip > 0 && gz > 0) {
        std::printf("backup / gzip -6 time   = %.2f\n", reporter.find("Backup") / gzip);
        std::printf("restore / gunzip time   = %.2f\n", reporter.find("Restore") / gunzip);
        std::printf("reg.lzh %.2f MB, reg.dat.gz %.2f MB, size ratio %.3f\n", lzh / 1e6, gz / 1e6, lzh / gz);
    }
    QDir(g_work).removeRecursively();
    return 0;
}
