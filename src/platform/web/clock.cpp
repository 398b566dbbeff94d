// Time on the web page: the browser's monotonic clock (performance.now) in milliseconds.
#include <emscripten.h>

#include <cmath>
#include <ctime>

#include "platform/clock.h"

namespace platform {

uint32_t timeGetTime() { return static_cast<uint32_t>(std::fmod(std::floor(emscripten_get_now()), 4294967296.0)); }
// The seed of a show without ?seed=: the wall clock, as the page opens at no fixed moment.
uint32_t tickCount() { return static_cast<uint32_t>(std::fmod(std::time(nullptr) * 1000.0 + std::fmod(emscripten_get_now(), 1000.0), 4294967296.0)); }

}  // namespace platform
