// Receipts at the register: after a saved sale, and reprinted for a slip chosen in the slip list.
#pragma once

#include "storage/result.h"

#include <QtGlobal>

struct SalesSlipRecord;

// Prints the receipt of `slip` with the shop details, roll width and printer of the settings.
Result printSlipReceipt(const SalesSlipRecord& slip, bool reissue);

// Reads slip n as stored and prints its receipt, marked as reissued when `reissue`; a deleted slip is refused.
Result printStoredReceipt(qint64 n, bool reissue);
