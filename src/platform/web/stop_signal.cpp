// No process signals reach a page, and its standard streams are the page's console, which
// cannot be closed: a stop is never requested and the outputs need no guard.
#include "platform/stop_signal.h"

namespace platform {

void catchStopSignals() {}
bool stopRequested() { return false; }
void clearStopRequest() {}
void guardOutputs() {}

}  // namespace platform
