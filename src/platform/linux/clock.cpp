#include "platform/clock.h"

#include <chrono>

namespace platform {

namespace {
uint32_t monotonicMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
}  // namespace

uint32_t timeGetTime() { return monotonicMs(); }
uint32_t tickCount() { return monotonicMs(); }

}  // namespace platform
