// The LHA archiver the backup window calls: a command-line entry point like the classic Unlha.
#pragma once

#include <QString>
#include <functional>

class QWidget;

// Runs one archiver command and returns 0 on success, non-zero on failure.
// Accepted commands:
//   "a ARCHIVE FILE"          add FILE to ARCHIVE (created if needed; an entry of the same name is replaced)
//   "e -c -m ARCHIVE DIR"     extract ARCHIVE's file into DIR, overwriting
// Paths are not quoted and may contain blanks. `output` receives a short message (NUL-terminated, cut to
// outputSize bytes); it may be null when outputSize is 0.
int Unlha(void* owner, const char* commandLine, char* output, int outputSize);

// Converts the command line to code page 932, calls Unlha with a 256-byte buffer and returns true on 0.
bool RunArchiver(QWidget* owner, const QString& commandLine);

// Writes a new archive holding the one file `filePath`; the archive appears only once it is complete and on disk.
// `progress` is told how many bytes of the file have been read so far. False with `error` set on failure.
bool archiveSingleFile(const QString& archivePath, const QString& filePath, QString& error,
                       const std::function<void(qint64 done, qint64 total)>& progress = {});

// Adds the file `filePath` to the archive `archivePath` (an entry of the same name is replaced); the archive is
// replaced only once the new one is complete and on disk. False with `error` set on failure.
bool addToArchive(const QString& archivePath, const QString& filePath, QString& error);
