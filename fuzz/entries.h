// The fuzzing entry points: each takes one input and returns an empty text, or the property it broke.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <span>

struct FuzzEntry
{
    const char* name; // the fuzz target and its corpus folder
    QString (*run)(QByteArrayView input);
};

// Every entry: settings, the five record decoders, the LHA header scan, extraction, adding to an archive, and
// journal recovery.
std::span<const FuzzEntry> fuzzEntries();
// The entry of that name, or null.
const FuzzEntry* findFuzzEntry(const QString& name);
