// What the page reads of the show: the demo time, for the soundtrack's position to be held
// against it in tests, whether a picture of the show has been drawn (the still frame), and the
// scene of that picture (the bench's frame times by scene).
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

// Demo time of the last picture of the show drawn; -1 before the first (set-up frames).
EMSCRIPTEN_KEEPALIVE double lumivane_probe_shown_ms() { return player.shownT; }

// Scene (1 to 12) of the last picture drawn; 0 before the first.
EMSCRIPTEN_KEEPALIVE int lumivane_probe_shown_scene() { return player.shownT < 0 ? 0 : sceneForTime(player.shownT); }

}
