// The program's start-up as the user sees it, from process start to the register window painted, each run in
// a fresh process: on the ten-year data against the same directory with an empty reg.dat. The extra time the
// slips cost is compared with a plain sequential read of reg.dat in the same run. Also the peak memory of a
// run that opens the report and graph windows on the ten-year data.
#include "benchutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

QString g_dataDir;
QString g_emptyDir;
QByteArray g_probe;

bool runProbe(const QString& dir)
{
    const QByteArray d = dir.toLocal8Bit();
    char* args[] = {g_probe.data(), const_cast<char*>(d.constData()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, g_probe.constData(), nullptr, nullptr, args, environ) != 0)
        return false;
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// range(0): 1 the ten-year reg.dat, 0 an empty one, 2 the ten-year reg.dat without its month index (the first
// start after it was deleted, which builds it anew).
void StartUp(benchmark::State& state)
{
    const QString dir = state.range(0) ? g_dataDir : g_emptyDir;
    for (auto _ : state) {
        if (state.range(0) == 2) {
            state.PauseTiming();
            QFile::remove(g_dataDir + QStringLiteral("/reg.mon"));
            state.ResumeTiming();
        }
        if (!runProbe(dir))
            state.SkipWithError("start-up failed");
    }
}

void PlainRead(benchmark::State& state)
{
    for (auto _ : state)
        if (plainRead(g_dataDir + QStringLiteral("/reg.dat")) <= 0)
            state.SkipWithError("no reg.dat");
}

} // namespace

BENCHMARK(PlainRead)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(StartUp)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(5);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    g_dataDir = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data")).absolutePath();
    g_probe = QFile::encodeName(QCoreApplication::applicationDirPath() + QStringLiteral("/startup_probe"));
    if (!QFile::exists(g_dataDir + QStringLiteral("/reg.dat")) || !QFile::exists(QString::fromLocal8Bit(g_probe))) {
        std::printf("No benchmark data in %s or no startup_probe: run `make bench` first.\n", qPrintable(g_dataDir));
        return 0;
    }
    // The same program directory without slips: every file but reg.dat, which is empty.
    QTemporaryDir empty;
    g_emptyDir = empty.path();
    for (const QString& name : QDir(g_dataDir).entryList({QStringLiteral("*.dat"), QStringLiteral("*.ini")}))
        if (name != QStringLiteral("reg.dat"))
            QFile::copy(g_dataDir + u'/' + name, g_emptyDir + u'/' + name);
    QFile(g_emptyDir + QStringLiteral("/reg.dat")).open(QIODevice::WriteOnly);
    qputenv("QT_QPA_PLATFORM", "offscreen");

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double plain = reporter.find("PlainRead");
    const double extra = reporter.find("StartUp/1") - reporter.find("StartUp/0");
    if (plain > 0) {
        std::printf("start-up with ten years of slips - with none = %.1f ms; / plain read of reg.dat = %.2f\n", extra,
                    extra / plain);
        const double rebuilt = reporter.find("StartUp/2") - reporter.find("StartUp/0");
        std::printf("first start after the month index was deleted - with none = %.1f ms; / plain read = %.2f\n",
                    rebuilt, rebuilt / plain);
    }

    QProcess probe;
    probe.start(QString::fromLocal8Bit(g_probe), {g_dataDir, QStringLiteral("windows")});
    probe.waitForFinished(120000);
    std::printf("peak memory with the report and graph windows open: %.1f MB\n",
                probe.readAllStandardOutput().trimmed().toDouble() / 1024);
    return 0;
}
