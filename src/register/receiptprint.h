// Receipts at the register: after a saved sale, and reprinted for a slip chosen in the slip list.
#pragma once

#include "storage/closing.h"
#include "storage/result.h"

#include <QtGlobal>

struct SalesSlipRecord;

// Prints the receipt of `slip` with the shop details, roll width and printer of the settings.
Result printSlipReceipt(const SalesSlipRecord& slip, bool reissue, bool corrected = false);

// Reads slip n as stored and prints its receipt, marked as reissued when `reissue` and as the receipt of a
// correction when `corrected`; a deleted slip is refused.
Result printStoredReceipt(qint64 n, bool reissue, bool corrected = false);

// Prints a closing report (点検, 精算 or a reprint) on the receipt printer of the settings.
Result printClosingReport(const SeisanRecord& closing, ClosingReportKind kind);
