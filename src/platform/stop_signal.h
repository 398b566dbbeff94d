// Ctrl-C and SIGTERM as a request to stop at the next frame, for the headless runs.
#pragma once

namespace platform {

// Installs the handlers; a second signal after the first ends the process the usual way.
void catchStopSignals();
bool stopRequested();
void clearStopRequest();  // tests

}  // namespace platform
