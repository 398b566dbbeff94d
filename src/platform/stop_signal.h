// Ctrl-C, SIGTERM and SIGHUP as a request to stop at the next frame, for the headless runs; and
// outputs that a closed standard stream or a file size limit cannot kill.
#pragma once

namespace platform {

// Installs the handlers; a second signal after the first ends the process the usual way.
void catchStopSignals();
bool stopRequested();
void clearStopRequest();  // tests

// For runs that write files: a closed pipe (SIGPIPE) or the file size limit (SIGXFSZ) makes the
// write fail with its reason instead of ending the process, and standard input, output and error,
// when closed, are reopened on the null device, so that no file the run opens takes their place
// and receives its messages.
void guardOutputs();

}  // namespace platform
