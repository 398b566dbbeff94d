// Message boxes on SDL, falling back to standard error without a display.
#include "platform/message_box.h"

#include <cstdio>

#include "platform/standin_display.h"
#include "platform/window.h"

namespace platform {
namespace {
MessageRecorder* recorder = nullptr;  // innermost live recorder
bool headless = false;
}  // namespace

MessageRecorder::MessageRecorder() : previous_(recorder) { recorder = this; }
MessageRecorder::~MessageRecorder() { recorder = previous_; }

void setMessageBoxesHeadless(bool on) { headless = on; }

void messageBox(const char* text, const char* caption) {
    if (!text) text = "";
    if (!caption) caption = "";
    if (recorder) {
        recorder->messages_.push_back({caption, text});
        return;
    }
    // Without a display (or in headless runs) a box could never be dismissed: print it instead.
    const bool canShow = StandInDisplay::current() || (!headless && desktopSessionPresent());
    if (!canShow || !showOwnedMessageBox(caption, text))
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

}  // namespace platform
