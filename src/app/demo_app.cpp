// The application object and the start-up and shut-down sequence of the show.
#include "app/demo_app.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "platform/window.h"

DemoApp demoApp;

namespace {
bool windowed = false;
int windowWidth = 800, windowHeight = 600;
int windowSsaa = 0;

// The window's samples for its --ssaa (see setWindowPicture); -1 when asked for and not offered.
int windowSamples() {
    const int offered = maxPictureSamples();
    if (windowSsaa == 1) return 0;
    if (windowSsaa == 0) return std::min(4, offered);
    return offered ? std::min(windowSsaa * windowSsaa, offered) : -1;
}

// The picture in the window's client area; false after a one-line message on standard error.
bool fitWindowPicture() {
    int width = 0, height = 0;
    platform::clientSize(width, height);
    if (width <= 0 || height <= 0) {
        width = windowWidth;
        height = windowHeight;
    }
    const int samples = windowed ? windowSamples() : 0;
    std::string error = "the GL offers no multisampling for --ssaa " + std::to_string(windowSsaa);
    if (samples >= 0 && fitPicture(width, height, 1, samples, error)) return true;
    std::fprintf(stderr, "lumivane: %s\n", error.c_str());
    return false;
}
}  // namespace

void setWindowedMode(bool on) { windowed = on; }

void setWindowPicture(int width, int height, int ssaa) {
    windowWidth = width;
    windowHeight = height;
    windowSsaa = ssaa;
}

int runDemo() {
    openMusic();
    // Without a window nobody could see the show or end it: stop after the message.
    if (!demoApp.window.createWindow(0, 0, windowWidth, windowHeight, "lumivane")) return 0;
    // The projection of the picture: 60 degrees, near 1, far 10000 (the designed 800x600 alone
    // in the plain show).
    if (!fitWindowPicture()) {
        demoApp.window.releaseContext();
        platform::destroyWindow();
        return kPictureRefused;
    }
    createFont(demoApp.font, currentPicture().scale());
    demoApp.window.setKeyDownHandler(onKeyDown);
    demoApp.window.setIdleHandler(onFrame);
    if (windowed) {
        platform::setWindowResizable(true, 64, 48);
        demoApp.window.setResizeHandler(followOutputSize);
    }
    if (!windowed) demoApp.window.enterFullScreen();
    platform::showCursor(false);
    demoApp.window.runMessageLoop();
    demoApp.window.leaveFullScreen();
    releaseFont(demoApp.font);
    return 0;
}
