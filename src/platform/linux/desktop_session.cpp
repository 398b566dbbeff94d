// A desktop session on Linux is a display server named in the environment.
#include <cstdlib>

#include "platform/message_box.h"

namespace platform {

bool desktopSessionPresent() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

}  // namespace platform
