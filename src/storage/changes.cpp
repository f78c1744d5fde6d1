// The application-wide change notices.
#include "storage/changes.h"

Changes& changes()
{
    static Changes instance;
    return instance;
}
