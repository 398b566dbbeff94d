// A display for tests, in place of the screen while an instance lives: the window, its context
// and the display-mode change succeed without a screen (the GL context current at the time, a
// test's headless one, serves as the window's), messages come from post(), message boxes are
// shown on it, and the window calls made meanwhile are logged in order.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform {

class StandInDisplay {
public:
    struct Call {
        std::string what;       // "createWindow 800x600", "changeDisplayMode 800x600", "showCursor 0", ...
        double farPlane = 0;    // far plane of the perspective projection in force at the call
    };

    explicit StandInDisplay(bool acceptModeChange = true);
    ~StandInDisplay();
    StandInDisplay(const StandInDisplay&) = delete;
    StandInDisplay& operator=(const StandInDisplay&) = delete;

    // Queues a message for peekMessage, taken before a posted quit as on Win32.
    void post(const WindowMessage& message) { queue.push_back(message); }
    const std::vector<Call>& calls() const { return calls_; }
    // Position of the first call named what in the log, -1 when there is none.
    int indexOf(const std::string& what) const;

    // The installed stand-in, or null: the window layer asks before going to SDL.
    static StandInDisplay* current();
    void log(std::string what);

    // The window layer's calls on the stand-in, with the meaning of their namesakes in window.h.
    bool createWindow(int clientWidth, int clientHeight, const char* text);
    void destroyWindow();
    bool createContext();
    bool releaseContext();
    void swap();
    bool changeDisplayMode(int modeWidth, int modeHeight);
    void restoreDisplayMode();
    void showFullScreen(bool shown);
    void showBox(const char* caption, const char* text);
    bool take(WindowMessage& message);

    // The stand-in screen's state, for the window layer and for tests to look at.
    bool acceptModeChange;
    bool window = false;
    bool context = false;
    bool modeChanged = false;   // the display is in the requested mode
    bool fullScreenShown = false;  // the window covers the screen (left for a message box)
    int width = 0, height = 0;
    std::string title;
    std::deque<WindowMessage> queue;

private:
    std::vector<Call> calls_;
    StandInDisplay* previous_;
};

// Logs a call of the platform's other modules (the glyph builder) on the stand-in, if one is installed.
void logStandInCall(const char* what);

}  // namespace platform
