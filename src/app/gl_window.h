// The show's one window with its GL context, its message pump with callback slots, and the switch
// to an 800x600 full-screen display mode.
#pragma once
#include <cstdint>

#include "platform/window.h"

// Callback slots, plain function pointers, empty until installed.
using PaintHandler = void (*)();
using KeyHandler = void (*)(uint32_t key);
using TimerHandler = void (*)();
using LeftButtonHandler = void (*)(uint16_t x, uint16_t y);
using IdleHandler = void (*)();
using ResizeHandler = void (*)(int width, int height);

struct CallbackSlots {
    PaintHandler paint = nullptr;
    KeyHandler keyDown = nullptr;
    KeyHandler keyUp = nullptr;
    TimerHandler timer = nullptr;
    LeftButtonHandler leftButton = nullptr;
    IdleHandler idle = nullptr;
    ResizeHandler resized = nullptr;  // the client area's new size in pixels, between frames
};

class GLWindow {
public:
    // True when the window and a current rendering context exist.
    bool createWindow(int left, int top, int width, int height, const char* title);
    // Creates the context on the window; false (after its message) on failure.
    bool createContext();
    // Makes no context current and releases it; reports a missing context.
    void releaseContext();
    void fitProjectionToClient();
    // Pumps messages, one idle call per empty queue, until quit; then restores the display mode
    // and releases the context. Returns the quit message's code.
    int runMessageLoop();

    void enterFullScreen();
    void leaveFullScreen();
    void captureDisplayMode();
    bool changeDisplayMode(int width, int height);
    void restoreDisplayMode();

    void setKeyDownHandler(KeyHandler handler) { slots.keyDown = handler; }
    void setIdleHandler(IdleHandler handler) { slots.idle = handler; }
    void setKeyUpHandler(KeyHandler handler) { slots.keyUp = handler; }
    void setPaintHandler(PaintHandler handler) { slots.paint = handler; }
    void setResizeHandler(ResizeHandler handler) { slots.resized = handler; }
    // Hands the last size of a run of Resized messages to the resize slot (the pump calls it
    // before each frame, so a drag of the window frame remakes the picture once per frame).
    void applyPendingResize();
    // Puts the finished picture into the default framebuffer (presentPicture) and swaps.
    void swapBuffers();
    void setTitle(const char* text);
    void showMessage(const char* text);
    void showError(const char* text, const char* caption);

    // Handles one message as the window procedure does.
    void windowProc(const platform::WindowMessage& message);

    bool created = false;
    char title[256] = {};       // at most 255 characters of the creation title
    int left = 0, top = 0, width = 0, height = 0;
    bool fullScreen = false;
    CallbackSlots slots;
    uint64_t swapCount = 0;     // buffers swapped so far (tests)
    bool resizePending = false; // a Resized message waits for the resize slot
    int pendingWidth = 0, pendingHeight = 0;
};

// Viewport (left, bottom, width, height), perspective 60 degrees with aspect width/height and the
// given planes; leaves the modelview matrix current and set to identity.
void setProjection(int left, int bottom, int width, int height, double zNear, double zFar);
