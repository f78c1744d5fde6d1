// The program's data files in AppDir: names, record sizes and the counters that say how far each reaches.
#pragma once

#include "storage/result.h"

#include <QString>
#include <QStringView>
#include <span>

struct DataFileInfo
{
    const char* name; // plain file name in AppDir
    int recordSize;   // bytes per record; 0 for a file that is not made of records (sys.ini)
    int countSetting; // SysNum index of the records prepared in it, 0 for none
    int nextSetting;  // SysNum index of the next record number a save takes, 0 for none
};

// Every data file; a new file needs only its row here.
std::span<const DataFileInfo> dataFiles();
// The row of that plain file name, or null for any other name.
const DataFileInfo* findDataFile(QStringView name);

// Records a journalled save may write beyond the last record a file or its counters account for: one save
// appends a slip and a few records that belong to it.
constexpr qint64 AppendMargin = 64;

// The highest record number a save can write to record file `file` now: the records the file holds or its
// counters count, whichever is more, plus AppendMargin. A new slip goes to the next slip number, a correction
// to a slip the file holds, an append just past its end; a number beyond this bound is no save's doing and
// would only fill the disk with blank records.
qint64 plausibleRecordEnd(const DataFileInfo& file);

// The highest record number of slip file `path` (records of `recordSize` bytes) that holds a slip, 0 for none or
// no file, -1 when the file cannot be read. A slip record holds a slip when its slip number (offset 60) is not 0.
qint64 LastStoredSlip(const QString& path, int recordSize);
// The slip number at offset 60 of a slip record image, the same in both slip files.
qint32 SlipNumberOf(const QByteArray& record);

// After data file `fileName` was restored from a backup: its counters (records prepared, next slip number) are
// raised to at least what the file holds, so the next save cannot overwrite a restored slip; they are never
// lowered. A slip record holds a slip when its slip number (offset 60) is not 0; prepared blank records do not
// count as slips. After sys.ini was restored, every slip file's counters are checked. `raised` gets a sentence for the user when a counter was raised, and is empty otherwise.
Result RaiseCountersToRestoredFile(const QString& fileName, QString* raised);
