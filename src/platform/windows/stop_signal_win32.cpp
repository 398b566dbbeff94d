// Ctrl-C, Ctrl-Break and closing the console as a request to stop at the next frame.
#include "platform/stop_signal.h"

#include <fcntl.h>
#include <io.h>

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

// Windows has no SIGPIPE or SIGXFSZ: a failed write already returns its error. A standard stream
// that the parent did not give (a program started without a console) goes to the null device, so
// that no file the run opens takes its descriptor.
void guardOutputs() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (_get_osfhandle(fd) >= 0) continue;
        const int null = _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
        if (null >= 0 && null != fd) {
            _dup2(null, fd);
            _close(null);
        }
    }
}

}  // namespace platform
