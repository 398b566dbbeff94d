// No process signals reach a page: a stop is never requested.
#include "platform/stop_signal.h"

namespace platform {

void catchStopSignals() {}
bool stopRequested() { return false; }
void clearStopRequest() {}

}  // namespace platform
