// Ctrl-C, Ctrl-Break and closing the console as a request to stop at the next frame.
#include "platform/stop_signal.h"

#include <atomic>

#include "platform/windows/win32.h"

namespace platform {
namespace {
std::atomic<int> stops{0};

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
    // A second request ends the process the usual way.
    return stops.fetch_add(1) == 0 ? TRUE : FALSE;
}
}  // namespace

void catchStopSignals() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }
bool stopRequested() { return stops.load() != 0; }
void clearStopRequest() { stops = 0; }

}  // namespace platform
