// Receipts from stored slips with the settings' shop details and printer.
#include "register/receiptprint.h"

#include "platform/printing.h"
#include "storage/receipt.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

Result printSlipReceipt(const SalesSlipRecord& slip, bool reissue)
{
    const Receipt receipt =
        buildReceipt(slip, shopDetailsFromSettings(), SysNum[Sys::TaxRate], SysNum[Sys::SalesTaxSwitch] == 1, reissue);
    const int width = SysNum[Sys::ReceiptWidthMm] == 58 ? 58 : 80;
    if (Result printed = printReceipt(receipt, width, SysStr[Sys::ReceiptPrinter]); !printed)
        return Result::failure(QStringLiteral("レシートを印刷できませんでした。\n%1").arg(printed.error));
    return Result::success();
}

Result printStoredReceipt(qint64 n, bool reissue)
{
    // A slip of its own, so that the register's working slip is left as it is.
    SalesSlipFile file;
    if (Result opened = file.open(); !opened)
        return opened;
    SalesSlipRecord slip;
    const bool read = file.read(n, slip);
    const QString error = file.errorMessage();
    file.close();
    if (!read)
        return Result::failure(error);
    if (slip.Deleted != 0)
        return Result::failure(QStringLiteral("伝票は削除されています。"));
    return printSlipReceipt(slip, reissue);
}
