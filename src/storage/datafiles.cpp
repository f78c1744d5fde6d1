// The table of data files, and how far a save may reach into each.
#include "storage/datafiles.h"

#include "storage/history.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

constexpr DataFileInfo Files[] = {
    {"sys.ini", 0, 0, 0},
    {"syohin.dat", 512, Sys::ProductCount, 0},
    {"reg.dat", 1024, Sys::SalesRecordCount, Sys::NextSalesSlipNo},
    {"zaiko.dat", 128, Sys::PurchaseItemCount, 0},
    {"siiresaki.dat", 128, Sys::SupplierCount, 0},
    {"siire.dat", 1024, Sys::PurchaseRecordCount, Sys::NextPurchaseSlipNo},
    {"rireki.dat", HistoryLayout::EntrySize, 0, 0}, // the history grows by one entry per save, past its end
};

// A counter as a record number; the loader keeps them whole and within 32 bits, this guards the rest.
qint64 counterValue(int index)
{
    if (index < 1 || index > 50)
        return 0;
    const double v = SysNum[index];
    if (!std::isfinite(v) || v < 0)
        return 0;
    return qint64(std::min(v, 2147483647.0));
}

} // namespace

std::span<const DataFileInfo> dataFiles()
{
    return Files;
}

const DataFileInfo* findDataFile(QStringView name)
{
    for (const DataFileInfo& f : Files)
        if (name == QLatin1StringView(f.name))
            return &f;
    return nullptr;
}

qint64 plausibleRecordEnd(const DataFileInfo& file)
{
    if (file.recordSize <= 0)
        return 0;
    const qint64 size = QFileInfo(dataPath(QString::fromLatin1(file.name))).size();
    const qint64 held = (size + file.recordSize - 1) / file.recordSize;
    return std::max({held, counterValue(file.countSetting), counterValue(file.nextSetting)}) + AppendMargin;
}
