// The LHA archiver the backup window calls: a command-line entry point like the classic Unlha.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
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

// Writes a new archive holding the files `filePaths` in that order, each under its plain name; as above, the
// archive appears only once it is complete and on disk.
bool archiveFiles(const QString& archivePath, const QStringList& filePaths, QString& error,
                  const std::function<void(qint64 done, qint64 total)>& progress = {});

// Adds the file `filePath` to the archive `archivePath` (an entry of the same name is replaced); the archive is
// replaced only once the new one is complete and on disk. False with `error` set on failure.
bool addToArchive(const QString& archivePath, const QString& filePath, QString& error);

// What a restore would find in an archive before anything is extracted.
struct RestoreCheck
{
    enum Problem
    {
        Ready,   // one sound file of the wanted name
        Missing, // no archive at that path
        Damaged, // headers or data do not read back whole
        NotOurs, // sound, but holding something other than the one wanted file
    };
    Problem problem = Missing;
    QDateTime written; // when the archive was last written
    QStringList names; // the names found in it (NotOurs)
    QString detail;    // the archiver's reason (Damaged)
};

// Reads `archivePath` whole, checking every CRC, and whether it holds exactly the one plain file `fileName`.
RestoreCheck checkRestoreArchive(const QString& archivePath, const QString& fileName);
