// Writes ten years of a busy shop's data into a program directory: 100 sales slips a day with 1 to 5
// lines, 10 purchase slips a day, 400 products and purchase items, 100 suppliers and a matching sys.ini.
// Food and drink are sold at the reduced rate, so most slips carry both rates' figures.
#include "storage/products.h"
#include "storage/purchaseitem.h"
#include "storage/purchaseslip.h"
#include "storage/salesslip.h"
#include "storage/salestax.h"
#include "storage/settingnames.h"
#include "storage/settings.h"
#include "storage/slipindex.h"
#include "storage/supplier.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QRandomGenerator>
#include <cstdio>

namespace {

// Ten years; TILL_BENCH_YEARS asks for another number (30 makes about 1.1 GB).
int days()
{
    const int years = qEnvironmentVariableIntValue("TILL_BENCH_YEARS");
    return (years > 0 ? years : 10) * 365;
}
const int Days = days();
constexpr int SalesPerDay = 100;
constexpr int PurchasesPerDay = 10;

// The names at indices 3, 6 and 7 are not food or drink.
const QString Names[] = {QStringLiteral("おにぎり鮭"),     QStringLiteral("幕の内弁当"),
                         QStringLiteral("緑茶５００ｍｌ"), QStringLiteral("髙島屋ギフト①"),
                         QStringLiteral("食パン"),         QStringLiteral("牛乳１Ｌ"),
                         QStringLiteral("ボールペン"),     QStringLiteral("洗剤～詰替～")};

int fail(const Result& r)
{
    std::fprintf(stderr, "%s\n", qPrintable(r.error));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    AppDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bench/data");
    QDir().mkpath(AppDir);
    QRandomGenerator rng(20261207);

    for (int n = 1; n <= 400; ++n) {
        ProductEntry& p = ProductTable[n];
        p.ProductName = Names[n % 8];
        p.SalePrice = 100 + n % 40 * 10;
        p.CostPrice = QString::number(60 + n % 40 * 6);
        p.Reduced = n % 8 == 3 || n % 8 == 6 || n % 8 == 7 ? 0 : 1;
        p.Slot[1] = {int16_t(n), 0, Names[n % 8], 1, 60, 60};
        if (n % 5 == 0)
            p.Slot[2] = {int16_t(n % 400 + 1), 0, Names[(n + 1) % 8], 2, 10, 20};
    }
    SysNum[Sys::ProductCount] = 400;
    SysNum[Sys::TaxRate] = 0.1;
    SysNum[Sys::ReducedTaxRate] = 0.08;
    if (Result r = SaveAllProducts(); !r)
        return fail(r);

    const QDate first = QDate(2026, 12, 7).addDays(-(Days - 1));
    SalesSlipFile sales;
    if (Result r = sales.open(); !r)
        return fail(r);
    SalesSlipRecord slip;
    qint64 slipNo = 0;
    for (int d = 0; d < Days; ++d) {
        const QString date = first.addDays(d).toString(QStringLiteral("yyyy/MM/dd"));
        for (int s = 0; s < SalesPerDay; ++s) {
            slip = SalesSlipRecord();
            slip.Date = date;
            const int seconds = 9 * 3600 + s * 396 + rng.bounded(300);
            slip.Time = QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
            slip.Weather = QStringLiteral("晴れ");
            slip.SlipNo = int32_t(++slipNo);
            double total = 0;
            const int lines = 1 + rng.bounded(5);
            for (int k = 1; k <= lines; ++k) {
                const int product = 1 + rng.bounded(400);
                const int qty = 1 + rng.bounded(3);
                const ProductEntry& p = ProductTable[product];
                slip.Line[k] = {int16_t(product), p.ProductName, int16_t(p.SalePrice), int16_t(qty), p.SalePrice * qty};
                total += p.SalePrice * qty;
            }
            slip.Subtotal = slip.Total = total;
            FillSlipTax(slip, true);
            slip.Deleted = rng.bounded(200) == 0 ? 1 : 0;
            if (!sales.write(slipNo, slip))
                return fail(Result::failure(sales.errorMessage()));
        }
    }
    if (Result r = sales.close(); !r)
        return fail(r);

    PurchaseSlipRecord purchase;
    qint64 purchaseNo = 0;
    for (int d = 0; d < Days; ++d) {
        for (int s = 0; s < PurchasesPerDay; ++s) {
            purchase = PurchaseSlipRecord();
            purchase.Date = first.addDays(d).toString(QStringLiteral("yyyy/MM/dd"));
            purchase.Time = QStringLiteral("08:30:00");
            purchase.SlipNo = int32_t(++purchaseNo);
            purchase.SupplierNo = int16_t(1 + s);
            purchase.SupplierName = QStringLiteral("仕入先%1").arg(1 + s);
            double subtotal = 0;
            for (int k = 1; k <= 3; ++k) {
                const int item = 1 + rng.bounded(400);
                purchase.Line[k] = {int16_t(item), Names[item % 8], 60, 24, 1440};
                subtotal += 1440;
            }
            purchase.Subtotal = subtotal;
            purchase.Tax = std::floor(subtotal * 0.1 + 0.5);
            purchase.Total = purchase.Subtotal + purchase.Tax;
            if (Result r = WritePurchaseSlip(purchaseNo, purchase); !r)
                return fail(r);
        }
    }

    SysNum[Sys::PurchaseItemCount] = 400;
    if (Result r = InitPurchaseItemFile(); !r)
        return fail(r);
    for (int n = 1; n <= 100; ++n) {
        Supplier supplier;
        supplier.Name = QStringLiteral("仕入先%1").arg(n);
        if (Result r = WriteSupplier(n, supplier); !r)
            return fail(r);
    }

    SysNum[Sys::SalesRecordCount] = 0;
    SysNum[Sys::NextSalesSlipNo] = double(slipNo + 1);
    SysNum[Sys::PurchaseRecordCount] = 0;
    SysNum[Sys::NextPurchaseSlipNo] = double(purchaseNo + 1);
    SysNum[Sys::SupplierCount] = 100;
    SysNum[Sys::SalesTaxSwitch] = 1;
    SysStr[Sys::FirstGroupCaption] = QStringLiteral("食料品");
    SysStr[Sys::FirstGroupCaption + 1] = QStringLiteral("日用品");
    SysStr[Sys::FirstGroupCaption + 2] = QStringLiteral("飲料");
    SysStr[Sys::FirstGroupCaption + 3] = QStringLiteral("その他");
    if (Result r = SaveSettings(); !r)
        return fail(r);
    // The month index, as the program's first start would build it.
    for (SlipFile file : {SlipFile::Sales, SlipFile::Purchases})
        if (Result r = RebuildSlipIndex(file); !r)
            return fail(r);
    std::printf("%lld sales slips, %lld purchase slips written to %s\n", slipNo, purchaseNo, qPrintable(AppDir));
    return 0;
}
