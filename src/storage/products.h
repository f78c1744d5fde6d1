// syohin.dat and ProductTable: products 1 to 400, each a set of up to five purchase items.
#pragma once

#include "storage/result.h"

#include <QString>
#include <cstdint>

constexpr int ProductRecordSize = 512;
constexpr int MaxProductEntries = 1000; // ProductTable holds entries 0 to 1000

struct ComponentSlot
{
    int16_t ComponentItemNo = 0; // purchase item number; 0 = slot empty
    int16_t ComponentSpare = 0;
    QString ComponentName;   // as read, blank padding kept
    double ComponentQty = 0; // units of the item one unit of the product uses
    double ComponentUnitPrice = 0;
    double ComponentAmount = 0;
};

struct ProductEntry
{
    QString ClassCode;   // 6 bytes as read
    QString ProductName; // 30 bytes as read
    double SalePrice = 0;
    QString CostPrice = QStringLiteral("0"); // plain decimal text of the stored real
    int16_t Reduced = 0;                     // non-zero: sold at the reduced tax rate (offset 52)
    QString JanCode;                         // 8 or 13 ASCII digits from offset 392; empty = none
    ComponentSlot Slot[6];                   // slots 1 to 5; 0 unused
};

extern ProductEntry ProductTable[MaxProductEntries + 1];

// The group (1 to 4) a product or purchase item number belongs to: 1-100, 101-200, 201-300, 301-400.
inline int ProductGroup(int number)
{
    return (number - 1) / 100 + 1;
}

// Reads syohin.dat into the table; records beyond entry 1000 are ignored.
Result LoadProductTable();
// Writes entries 1 .. SysNum[Sys::ProductCount] to the records of the same numbers.
Result SaveAllProducts();
// The record image SaveProduct would write for `entry`: its reserved bytes are those of the file's one record
// buffer, which this fills as a save would.
QByteArray ProductRecordImage(const ProductEntry& entry);
// Replaces entry n with record n of the file.
Result ReloadProduct(int16_t n);
// Writes entry n as record n.
Result SaveProduct(int16_t n);

// The fields of a product record image.
void DecodeProduct(const char* record, ProductEntry& entry);

// Entry n as a cleared product (empty texts, zero prices, empty slots).
void ClearProduct(int n);
