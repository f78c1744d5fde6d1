// The settings tables SysNum and SysStr, the program directory, and sys.ini.
#pragma once

#include "storage/result.h"

#include <QString>

// The directory holding the program and every data file.
extern QString AppDir;
// AppDir + "/" + name.
QString dataPath(const QString& name);

// Indices 1 to 50 are used; index 0 is never read from or written to the file.
extern double SysNum[51];
extern QString SysStr[51];

// Reads sys.ini into SysNum and SysStr. A missing, short or malformed file is an error and leaves the
// tables as they were; so is a number line beyond a double, and a record count (lines 1, 3, 5, 6, 7) or
// next slip number (lines 2, 4) that is not a whole number from 0 (counts) or 1 (slip numbers) to 2147483647.
Result LoadSettings();
// The same from the bytes of a settings file.
Result ReadSettingsText(const QByteArray& fileBytes);

// Writes sys.ini anew from the tables: 100 CR LF lines in code page 932, each number in plain decimal digits
// that read back as exactly the same value. The new file is written beside the old one, flushed to disk and
// renamed over it, so a failure leaves the old file whole. A value SettingProblem names is refused.
Result SaveSettings();
// Why SysNum[index] cannot hold `value` in a file LoadSettings reads back (not a finite number; a record count
// or next slip number that is no whole number in range), or an empty text when it can.
QString SettingProblem(int index, double value);
// The bytes SaveSettings writes (the check for numbers that are not finite aside).
QByteArray SettingsFileBytes();
