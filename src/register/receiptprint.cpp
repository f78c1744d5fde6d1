// Receipts from stored slips with the settings' shop details and printer.
#include "register/receiptprint.h"

#include "platform/printing.h"
#include "storage/receipt.h"
#include "storage/salesslip.h"
#include "storage/settingnames.h"
#include "storage/settings.h"

namespace {

int rollWidth()
{
    return SysNum[Sys::ReceiptWidthMm] == 58 ? 58 : 80;
}

} // namespace

Result printSlipReceipt(const SalesSlipRecord& slip, bool reissue, bool corrected)
{
    const Receipt receipt = buildReceipt(slip, shopDetailsFromSettings(), SysNum[Sys::TaxRate],
                                         SysNum[Sys::SalesTaxSwitch] == 1, reissue, corrected);
    if (Result printed = printReceipt(receipt, rollWidth(), SysStr[Sys::ReceiptPrinter]); !printed)
        return Result::failure(QStringLiteral("レシートを印刷できませんでした。\n%1").arg(printed.error));
    return Result::success();
}

Result printStoredReceipt(qint64 n, bool reissue, bool corrected)
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
    return printSlipReceipt(slip, reissue, corrected);
}

Result printClosingReport(const SeisanRecord& closing, ClosingReportKind kind)
{
    const QList<ReceiptRow> rows = ClosingReportRows(closing, shopDetailsFromSettings(), kind);
    const QString name = (kind == ClosingReportKind::Check ? QStringLiteral("レジ点検 ") : QStringLiteral("レジ精算 ")) +
                         closing.day;
    if (Result printed = printRoll(rows, name, rollWidth(), SysStr[Sys::ReceiptPrinter]); !printed)
        return Result::failure(QStringLiteral("レポートを印刷できませんでした。\n%1").arg(printed.error));
    return Result::success();
}
