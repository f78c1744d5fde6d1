// Every window test opens the other windows, and hears of a closing, as the program does once started.
#include "app/windows.h"

namespace {

const bool openersInstalled = [] {
    Windows::installOpeners();
    Windows::installBackupAfterClosing();
    return true;
}();

} // namespace
