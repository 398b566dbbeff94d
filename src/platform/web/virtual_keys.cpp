// Keys on the web page: the browser's KeyboardEvent.keyCode already is the Windows virtual-key
// code for the keys the show knows (letters, digits, named keys, F1..F24), whatever the layout.
#include "platform/virtual_keys.h"

namespace platform {

// keycode: the DOM keyCode; scancode is not used by the page.
uint32_t virtualKeyFor(int32_t keycode, int32_t) {
    if (keycode <= 0 || keycode >= 255) return kVkNone;
    // Escape keeps 27 in its low 8 bits alone: only the Escape key has that DOM code.
    return static_cast<uint32_t>(keycode);
}

}  // namespace platform
