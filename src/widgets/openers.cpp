// The table of window openers.
#include "widgets/openers.h"

Openers& openers()
{
    static Openers table;
    return table;
}
