// A scan at the register: finding the product of a JAN code and placing it on the slip, and rebuilding the
// code index after products changed, with all 400 products carrying a code.
#include "register/slipentry.h"
#include "storage/changes.h"
#include "storage/jancode.h"
#include "storage/products.h"

#include <benchmark/benchmark.h>

namespace {

void fillProducts()
{
    for (int n = 1; n <= 400; ++n) {
        ClearProduct(n);
        ProductTable[n].ProductName = QStringLiteral("商品%1").arg(n);
        ProductTable[n].SalePrice = 100 + n;
        ProductTable[n].JanCode = inStoreCode(n);
    }
    Q_EMIT changes().productsChanged();
}

// One code read to its product, as Enter in a code field does.
void LookUpScannedCode(benchmark::State& state)
{
    fillProducts();
    const QString code = inStoreCode(int(state.range(0)));
    for (auto _ : state) {
        const CodeLookUp found = lookUpCode(code, 400);
        benchmark::DoNotOptimize(found.product);
    }
}

// Ten items scanned into an empty slip: each code looked up and placed.
void ScanTenItems(benchmark::State& state)
{
    fillProducts();
    QStringList codes;
    for (int i = 0; i < 10; ++i)
        codes << inStoreCode(37 * i + 5);
    for (auto _ : state) {
        EntryTexts entry;
        for (int k = 1; k <= 10; ++k) {
            const CodeLookUp found = lookUpCode(codes[k - 1], 400);
            const ScanPlace place = placeScan(entry, k, found.product);
            entry.line[place.line] = {QString::number(found.product), ProductTable[found.product].ProductName,
                                      QStringLiteral("100"), QStringLiteral("1"), QStringLiteral("100")};
        }
        benchmark::DoNotOptimize(entry);
    }
}

// The first scan after a product was saved pays for the rebuild of the index.
void RebuildAfterChange(benchmark::State& state)
{
    fillProducts();
    const QString code = inStoreCode(400);
    for (auto _ : state) {
        Q_EMIT changes().productsChanged();
        benchmark::DoNotOptimize(janIndex().productFor(code));
    }
}

BENCHMARK(LookUpScannedCode)->Arg(1)->Arg(400)->Unit(benchmark::kMicrosecond);
BENCHMARK(ScanTenItems)->Unit(benchmark::kMicrosecond);
BENCHMARK(RebuildAfterChange)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
