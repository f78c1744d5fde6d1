// Byte offsets of the record layouts, written out here from the file descriptions so that tests check the
// bytes on disk independently of the program's own encoders.
#pragma once

namespace Off {

namespace Product { // syohin.dat, 512 bytes
constexpr int Size = 512, ClassCode = 0, Name = 6, SalePrice = 36, CostPrice = 44, Reserved = 52;
constexpr int slot(int j)
{
    return 102 + 58 * (j - 1);
} // j = 1..5
constexpr int SlotItemNo = 0, SlotSpare = 2, SlotName = 4, SlotQty = 34, SlotUnitPrice = 42, SlotAmount = 50;
} // namespace Product

namespace Sales { // reg.dat, 1024 bytes
constexpr int Size = 1024, Date = 0, Time = 20, Weather = 40, SlipNo = 60;
constexpr int line(int k)
{
    return 64 + 64 * (k - 1);
} // k = 1..10
constexpr int Subtotal = 704, Tax = 712, Total = 720, Deleted = 728, ReservedTail = 730;
// After the rate figures: how the customer paid (version 1 when present), and the cash tendered.
constexpr int PayVersion = 782, PayMethod = 784, Tendered = 786, PayEnd = 794;
} // namespace Sales

namespace Line { // one line of a sales or purchase slip, 64 bytes
constexpr int ProductNo = 0, Name = 2, UnitPrice = 52, Qty = 54, Amount = 56;
} // namespace Line

namespace Item { // zaiko.dat, 128 bytes
constexpr int Size = 128, Category = 0, Name = 6, StandardCost = 36, StockQty = 44, SupplierNo = 52, SupplierName = 54,
              Reserved = 84;
} // namespace Item

namespace Supplier { // siiresaki.dat, 128 bytes
constexpr int Size = 128, Reserved = 0, Name = 5, Phone = 35, TaxType = 47, Spare = 49, Tail = 57;
} // namespace Supplier

namespace Purchase { // siire.dat, 1024 bytes
constexpr int Size = 1024, Date = 0, Time = 20, SlipNo = 60, SupplierNo = 64, SupplierName = 66, SupplierPhone = 86;
constexpr int line(int k)
{
    return 98 + 64 * (k - 1);
} // k = 1..10
constexpr int Subtotal = 738, Tax = 746, Total = 754, Deleted = 762, Reserved = 764;
} // namespace Purchase

namespace History { // rireki.dat, 2176-byte entries
constexpr int Size = 2176, Mark = 0, Version = 8, Operation = 10, EntryNo = 12, Time = 16, File = 36, RecordNo = 48,
              HasBefore = 52, Anchored = 54, Disagreed = 56, PreviousHash = 64, Hash = 96, Before = 128, After = 1152;
// inside After of a reset entry
constexpr int ArchiveName = 0, ArchiveHash = 256, ArchivedEntries = 288;
} // namespace History

namespace Anchor { // rireki.anc, one 64-byte record
constexpr int Size = 64, Mark = 0, Version = 8, Entries = 12, LastHash = 16, Check = 48;
} // namespace Anchor

} // namespace Off
