#include "platform/stop_signal.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>

namespace platform {
namespace {
volatile std::sig_atomic_t stopFlag = 0;

void onStopSignal(int) { stopFlag = 1; }
}  // namespace

void catchStopSignals() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);  // the terminal went away: stop as for SIGTERM
}

bool stopRequested() { return stopFlag != 0; }
void clearStopRequest() { stopFlag = 0; }

void guardOutputs() {
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1) continue;
        const int null = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
}

}  // namespace platform
