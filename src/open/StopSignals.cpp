#include "open/StopSignals.h"

#include "platform/OpenSupport.h"

namespace opener {

StopSignals::StopSignals()
{
    platform::installStopHandlers();
}

StopSignals::~StopSignals()
{
    platform::removeStopHandlers();
}

int caughtSignal()
{
    return platform::caughtStopSignal();
}

} // namespace opener
