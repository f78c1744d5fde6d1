// One libFuzzer target: the entry named by TILL_FUZZ_TARGET, aborting on a broken property so it is kept.
#include "entries.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const FuzzEntry* entry = findFuzzEntry(QStringLiteral(TILL_FUZZ_TARGET));
    if (!entry)
        std::abort();
    const QString problem = entry->run(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", entry->name, problem.toUtf8().constData());
        std::abort();
    }
    return 0;
}
