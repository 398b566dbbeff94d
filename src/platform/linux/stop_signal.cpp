#include "platform/stop_signal.h"

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
}

bool stopRequested() { return stopFlag != 0; }
void clearStopRequest() { stopFlag = 0; }

}  // namespace platform
