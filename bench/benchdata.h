// Facts about the benchmark data that several benchmark programs choose their cases by.
#pragma once

#include "storage/products.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QFile>
#include <QHash>
#include <cstdio>
#include <utility>

// The year and month holding the most sales slips (the later one on a tie), and its slip count.
struct BusiestMonth
{
    int year = 0;
    int month = 0;
    int slips = 0;
};

inline BusiestMonth busiestMonth()
{
    QHash<int, int> counts;
    ScanSalesSlips(1, qint64(SysNum[Sys::NextSalesSlipNo]) - 1, [&](qint64, const SlipView& v) {
        ++counts[v.year() * 100 + v.month()];
        return true;
    });
    BusiestMonth best;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > best.slips || (it.value() == best.slips && it.key() > best.year * 100 + best.month))
            best = {it.key() / 100, it.key() % 100, it.value()};
    return best;
}

// Points AppDir at the data directory named on the command line (bench/data when none) and loads the settings
// and the products; false, having said why, when the data are not there.
inline bool openBenchData(int argc, char** argv)
{
    AppDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data");
    if (!QFile::exists(dataPath(QStringLiteral("reg.dat"))) || !LoadSettings() || !LoadProductTable()) {
        std::printf("No benchmark data in %s: run `make bench` (it generates them) first.\n", qPrintable(AppDir));
        return false;
    }
    return true;
}
