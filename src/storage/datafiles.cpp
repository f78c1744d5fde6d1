// The table of data files, and how far a save may reach into each.
#include "storage/datafiles.h"

#include "storage/history.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/text.h"

#include <QFile>
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
    {"seisan.dat", 512, 0, 0}, // closings and cash in and out, appended one at a time
    // The month index of each slip file (storage/slipindex.h): a key per slip record and the month records;
    // no counters of their own, as they follow their slip file.
    {"reg.key", 16, 0, 0},
    {"reg.mon", 64, 0, 0},
    {"siire.key", 16, 0, 0},
    {"siire.mon", 64, 0, 0},
    // The slips rireki.dat lists as corrected, and how far it was read (storage/history.h): a cache written
    // by itself, never by a save.
    {"rireki.cor", 0, 0, 0},
    // The history's entry count and its last entry's SHA-256 (storage/history.h), one record written with
    // every entry.
    {"rireki.anc", AnchorLayout::Size, 0, 0},
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

constexpr int SlipNoOffset = 60; // the same in both slip files

// The highest record number of `file` that holds a slip, 0 for none; -1 when the file cannot be read. A part
// record at the end counts when its slip number is there.
qint64 lastSlip(QFile& file, int size)
{
    for (qint64 n = (file.size() + size - 1) / size; n >= 1; --n) {
        const qint64 at = (n - 1) * size + SlipNoOffset;
        if (at + 4 > file.size())
            continue;
        char slipNo[4];
        if (!file.seek(at) || file.read(slipNo, 4) != 4)
            return -1;
        if (getInt32(slipNo) != 0)
            return n;
    }
    return 0;
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

qint64 LastStoredSlip(const QString& path, int recordSize)
{
    QFile file(path);
    if (!file.exists())
        return 0;
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return lastSlip(file, recordSize);
}

qint32 SlipNumberOf(const QByteArray& record)
{
    return record.size() >= SlipNoOffset + 4 ? getInt32(record.constData() + SlipNoOffset) : 0;
}

qint64 plausibleRecordEnd(const DataFileInfo& file)
{
    if (file.recordSize <= 0)
        return 0;
    const qint64 size = QFileInfo(dataPath(QString::fromLatin1(file.name))).size();
    qint64 held = (size + file.recordSize - 1) / file.recordSize;
    // The next entry follows the last one the anchor counts, also when the file lost entries at its end.
    if (QLatin1StringView(file.name) == HistoryFileName())
        if (const HistoryAnchor anchor = readHistoryAnchor(); anchor.kind == HistoryAnchor::Valid)
            held = std::max(held, anchor.entries);
    return std::max({held, counterValue(file.countSetting), counterValue(file.nextSetting)}) + AppendMargin;
}

Result RaiseCountersToRestoredFile(const QString& fileName, QString* raised)
{
    if (raised)
        raised->clear();
    // Restored counters may lag behind the slip files just as well.
    if (fileName == u"sys.ini") {
        QStringList notes;
        for (const DataFileInfo& f : Files)
            if (f.nextSetting != 0) {
                QString note;
                if (Result r = RaiseCountersToRestoredFile(QString::fromLatin1(f.name), &note); !r)
                    return r;
                if (!note.isEmpty())
                    notes << note;
            }
        if (raised)
            *raised = notes.join(u'\n');
        return Result::success();
    }
    const DataFileInfo* info = findDataFile(fileName);
    if (!info || info->recordSize <= 0 || info->nextSetting == 0)
        return Result::success();
    QFile file(dataPath(fileName));
    if (!file.exists())
        return Result::success();
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(fileName, file.errorString()));
    const qint64 records = (file.size() + info->recordSize - 1) / info->recordSize;
    const qint64 last = lastSlip(file, info->recordSize);
    if (last < 0)
        return Result::failure(QStringLiteral("%1 を読めません（%2）。").arg(fileName, file.errorString()));
    file.close();
    const double previous[2] = {SysNum[info->countSetting], SysNum[info->nextSetting]};
    const double count = std::max(previous[0], double(std::min<qint64>(records, 2147483647)));
    const double next = std::max(previous[1], double(std::min<qint64>(last + 1, 2147483647)));
    if (count == previous[0] && next == previous[1])
        return Result::success();
    SysNum[info->countSetting] = count;
    SysNum[info->nextSetting] = next;
    if (Result r = SaveSettings(); !r) {
        SysNum[info->countSetting] = previous[0];
        SysNum[info->nextSetting] = previous[1];
        return r;
    }
    if (raised) {
        QStringList parts;
        if (next != previous[1])
            parts << QStringLiteral("次の伝票番号を %1 から %2 に").arg(numText(previous[1]), numText(next));
        if (count != previous[0])
            parts << QStringLiteral("データ件数を %1 から %2 に").arg(numText(previous[0]), numText(count));
        *raised = QStringLiteral("%1 に合わせて、%2上げました。").arg(fileName, parts.join(QStringLiteral("、")));
    }
    return Result::success();
}
