// Time sources of the show: the millisecond frame timer and the tick count that seeds rand.
#pragma once
#include <cstdint>

namespace platform {

uint32_t timeGetTime();  // milliseconds, wraps at 2^32
uint32_t tickCount();    // milliseconds since an arbitrary start; used as the random seed

}  // namespace platform
