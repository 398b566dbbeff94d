// The desktop window: one top-level window with a double-buffered GL context, the display-mode
// switch, the cursor, the title and the event pump. Callers never see SDL types.
#pragma once
#include <cstdint>

namespace platform {

// What the pump hands to the window procedure, in the shape of the Win32 messages it replaces.
struct WindowMessage {
    enum Kind { KeyDown, KeyUp, LeftButtonDown, Destroyed, Paint, Resized, Quit, LeftButtonUp, MouseMove, MouseWheel } kind = Quit;
    uint32_t key = 0;   // virtual-key code for KeyDown / KeyUp (Escape is 27)
    uint16_t x = 0, y = 0;  // LeftButtonDown / LeftButtonUp / MouseMove position in client pixels
    int quitCode = 0;   // Quit
    int wheel = 0;      // MouseWheel: notches, positive away from the user
    int width = 0, height = 0;  // Resized: the new drawable size in pixels
};

// The pointer's moves, the left button's release and the wheel come as messages only while this
// is on (the model viewer); the show hears of none of them.
void setPointerMessages(bool on);

// Opens a hidden window of the given client size at (left, top), titled, able to carry an RGBA
// double-buffered GL context with a 16-bit depth buffer. False when no display or no such pixel
// format exists; lastWindowError() tells why.
bool createWindow(int left, int top, int width, int height, const char* title);
const char* lastWindowError();
// True when a display could be opened (the video subsystem starts).
bool displayAvailable();
bool windowExists();
void showWindow();
void destroyWindow();
// Creates the window's GL context, makes it current and sets swap interval 0.
bool createGLContext();
// Makes no context current and deletes the window's context; false when there was none.
bool releaseGLContext();
bool hasCurrentContext();
void swapWindow();
void setWindowTitle(const char* title);
void showCursor(bool visible);
void clientSize(int& width, int& height);
bool windowMinimized();
// Full screen on the desktop as it is (no display-mode change), or back to the window; false
// when the window cannot.
bool setDesktopFullScreen(bool on);
bool desktopFullScreen();
// Lets the user resize and maximise the window, down to minWidth x minHeight; Resized messages follow.
void setWindowResizable(bool resizable, int minWidth, int minHeight);

// A real display-mode change to width x height full screen; false when the display refuses.
// LUMIVANE_REFUSE_MODE_CHANGE=1 in the environment makes it refuse (tests).
bool changeDisplayMode(int width, int height);
void restoreDisplayMode();

// A modal box with one OK button, owned by the window when there is one; a full-screen window is
// left for the box and taken back afterwards. False when the box could not be shown.
bool showOwnedMessageBox(const char* caption, const char* text);

// Message queue: takes the next waiting message without blocking; false when the queue is empty.
// A posted quit is delivered only once no other message waits, as on Win32.
bool peekMessage(WindowMessage& message);
// Blocks until a message arrives.
void waitMessage(WindowMessage& message);
// Waits until a message is waiting or timeoutMs have passed, taking nothing from the queue.
void waitForMessage(int timeoutMs);
void postQuitMessage(int code);
bool quitPosted();
void resetMessageQueue();  // forget a posted quit (tests)

}  // namespace platform
