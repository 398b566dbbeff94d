// Message boxes on Windows: MessageBoxW, with caption and text converted from UTF-8, so that the
// Japanese texts read right on a Windows of any language.
//
// LUMIVANE_MESSAGE_LOG=<file> in the environment: no box is shown; each one is appended to that
// file as the line "caption: text" (UTF-8) and counts as dismissed. End-to-end tests set it, as a
// modal box would wait for a person.
#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/standin_display.h"
#include "platform/window.h"
#include "platform/windows/win32.h"

namespace platform {

bool desktopSessionPresent() {
    // A service or a process on a non-interactive window station has no desktop to show a box on.
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    if (!station || !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr)) return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool showOwnedMessageBox(const char* caption, const char* text) {
    if (auto* s = StandInDisplay::current()) {
        // As the other systems do, the stand-in's full-screen window is left for the box.
        const bool leave = s->window && s->modeChanged;
        if (leave) s->showFullScreen(false);
        s->showBox(caption, text);
        if (leave) s->showFullScreen(true);
        return true;
    }
    if (const char* log = std::getenv("LUMIVANE_MESSAGE_LOG"); log && *log) {
        std::FILE* file = openHostFile(log, "ab");
        if (!file) return false;
        std::fprintf(file, "%s: %s\n", caption, text);
        return std::fclose(file) == 0;
    }
    // A box owned by the window comes in front of it, full screen or not.
    return MessageBoxW(messageBoxOwner(), win32::wide(text).c_str(), win32::wide(caption).c_str(), MB_OK) != 0;
}

}  // namespace platform
