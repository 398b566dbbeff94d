// The multimedia timer at 1 ms resolution for frames, the tick count for the seed.

#include "platform/clock.h"
#include "platform/windows/win32.h"
#include <mmsystem.h>

namespace platform {
namespace {
// The timer's default resolution is the scheduler's (up to 15.6 ms); the frame clock asks for 1 ms
// for the process's life.
struct TimerResolution {
    TimerResolution() { timeBeginPeriod(1); }
    ~TimerResolution() { timeEndPeriod(1); }
};
}  // namespace

uint32_t timeGetTime() {
    static TimerResolution resolution;
    return ::timeGetTime();
}

uint32_t tickCount() { return GetTickCount(); }

}  // namespace platform
