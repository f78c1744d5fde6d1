// Names for the SysNum and SysStr indices in use; sys.ini keeps its numbered lines.
#pragma once

namespace Sys {

// SysNum
constexpr int SalesRecordCount = 1;    // records prepared in reg.dat
constexpr int NextSalesSlipNo = 2;     // the next sales slip number
constexpr int PurchaseRecordCount = 3; // records prepared in siire.dat
constexpr int NextPurchaseSlipNo = 4;  // the next purchase slip number
constexpr int PurchaseItemCount = 5;   // purchase item records (zaiko.dat)
constexpr int ProductCount = 6;        // product records (syohin.dat)
constexpr int SupplierCount = 7;       // supplier records (siiresaki.dat)
constexpr int TaxRate = 11;            // consumption tax rate as a fraction, e.g. 0.1
constexpr int SalesTaxSwitch = 16;     // exactly 1 = sales slips show and store tax
constexpr int ReducedTaxRate = 17;     // reduced rate as a fraction; 0 = no reduced rate in use
constexpr int PrintReceipt = 18;       // 1 = print a receipt after every saved sale
constexpr int ReceiptWidthMm = 19;     // receipt roll width: 58 or 80 (0 reads as 80)
constexpr int ChangeFund = 30;         // 釣銭準備金: the cash in the drawer before the day's first sale
constexpr int BackupAfterClosing = 31; // 1 = a whole backup to SysStr[BackupDrive] after every closing

// SysStr
constexpr int FirstGroupCaption = 1; // SysStr[1..4]: captions of the four groups of 100 numbers
constexpr int GroupCount = 4;
constexpr int ShopName = 5;
constexpr int ShopAddress = 6;
constexpr int ShopTelephone = 7;
constexpr int InvoiceRegistrationNo = 8; // "T" and 13 digits, or empty
constexpr int ReceiptPrinter = 9;        // CUPS printer name; empty = the system default
constexpr int ResetPasswordHash = 10;    // salted hash of the data initialisation password; empty = the default
constexpr int BackupDrive = 11;          // the folder whole backups go to (the drive chosen in データ管理)

} // namespace Sys
