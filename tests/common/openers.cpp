// Every window test opens the other windows as the program does once started.
#include "app/windows.h"

namespace {

const bool openersInstalled = [] {
    Windows::installOpeners();
    return true;
}();

} // namespace
