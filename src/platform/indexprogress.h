// The progress dialog of a month index rebuilt from a full read of its slip file.
#pragma once

// From now on a rebuild that has taken longer than `delayMs` shows a dialog with how far it has come, until it is
// done; a shorter one shows nothing.
void showSlipIndexProgress(int delayMs = 1000);
