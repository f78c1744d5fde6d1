// Helpers the benchmark programs share: a plain sequential read to compare with, and ratio reporting.
#pragma once

#include <QString>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

// Reads the whole file front to back in 512 KiB blocks into a page-aligned buffer; the bytes read.
inline qint64 plainRead(const QString& path)
{
    struct Free
    {
        void operator()(char* p) const { std::free(p); }
    };
    static std::unique_ptr<char, Free> block(static_cast<char*>(std::aligned_alloc(4096, 512 * 1024)));
    FILE* f = std::fopen(path.toLocal8Bit().constData(), "rb");
    if (!f)
        return -1;
    std::setvbuf(f, nullptr, _IONBF, 0);
    qint64 bytes = 0;
    for (size_t got; (got = std::fread(block.get(), 1, 512 * 1024, f)) > 0;)
        bytes += qint64(got);
    std::fclose(f);
    benchmark::DoNotOptimize(block.get()[0]);
    return bytes;
}

// Keeps each benchmark's mean time, to print ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            times[run.benchmark_name()] = run.GetAdjustedRealTime();
            cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
    }
    // The time of the first benchmark whose name starts with `prefix`; 0 when none ran.
    double find(const std::string& prefix) const
    {
        for (const auto& [name, time] : times)
            if (name.rfind(prefix, 0) == 0)
                return time;
        return 0;
    }
    // The same for the processor time, which other work on a busy machine does not stretch.
    double findCpu(const std::string& prefix) const
    {
        for (const auto& [name, time] : cpuTimes)
            if (name.rfind(prefix, 0) == 0)
                return time;
        return 0;
    }
    std::map<std::string, double> times;
    std::map<std::string, double> cpuTimes;
};
