// What the page's tests read of the show: the demo time of the picture, for the soundtrack's
// position to be held against it.
#include <emscripten.h>

#include "app/frame_driver.h"
#include "app/player.h"

extern "C" {

// Demo time now in ms (the held time while paused); -1 before the clock starts.
EMSCRIPTEN_KEEPALIVE double lumivane_probe_demo_ms() {
    if (demoClock.start <= 0) return -1;
    if (player.paused) return player.heldT;
    return carriedTime() - demoClock.start + demoClock.offset;
}

}
