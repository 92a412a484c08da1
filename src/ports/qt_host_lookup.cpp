#include "ports/qt_host_lookup.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace orva {
namespace {

bool gAbandoned = false;
bool gArmed = false; // main() said how the process ends
int gExitCode = 0;

// Runs in the application object's destructor, before Qt waits for its
// lookup threads.
void endNow()
{
    if (!gArmed)
        return;
    std::fflush(nullptr);
    std::_Exit(gExitCode);
}

} // namespace

void lookupAbandoned()
{
    if (gAbandoned)
        return;
    gAbandoned = true;
    qAddPostRoutine(endNow);
}

int endWithoutWaitingForLookups(int code)
{
    gArmed = true;
    gExitCode = code;
    return code;
}

} // namespace orva
