// The window on the web page: the canvas with its WebGL 2 context, the browser's keys and resizes
// as window messages, the title as the document's, full screen through the browser, and the
// swap as the point where the show's loop gives the browser its turn (an Asyncify suspension).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <deque>
#include <string>

#include "platform/message_box.h"
#include "platform/standin_display.h"
#include "platform/web/gl/fixed_function.h"
#include "platform/virtual_keys.h"
#include "platform/web/web_page.h"
#include "platform/window.h"

namespace platform {
namespace {

struct WebWindow {
    bool exists = false;
    bool shown = false;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    int width = 800, height = 600;  // the canvas's drawing buffer, pixels
    bool fixedSize = false;         // ?size= given: the buffer keeps that size, the page scales it
    bool fullScreenWanted = false;
    bool released = false;  // the show has let its context go (see releaseGLContext)
    std::deque<WindowMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::string error;
};
WebWindow window;

constexpr const char* kCanvas = "#canvas";

void push(const WindowMessage& message) { window.queue.push_back(message); }

// The drawing buffer that makes the canvas sharp: its CSS size times the device pixel ratio.
void fitCanvasToPage(bool announce) {
    if (window.fixedSize) return;
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    const int width = std::max(4, int(std::lround(cssWidth * ratio)));
    const int height = std::max(3, int(std::lround(cssHeight * ratio)));
    if (width == window.width && height == window.height) return;
    window.width = width;
    window.height = height;
    emscripten_set_canvas_element_size(kCanvas, width, height);
    if (announce) {
        WindowMessage message;
        message.kind = WindowMessage::Resized;
        message.width = width;
        message.height = height;
        push(message);
    }
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*) {
    if (window.exists) fitCanvasToPage(true);
    return EM_FALSE;
}

// Keys the page keeps from the browser (scrolling, its own full screen); others keep their meaning.
bool ownKey(uint32_t key) {
    return key == kVkSpace || (key >= kVkPrior && key <= kVkDown) || key == kVkF11 || key == 'F' || key == 'H' ||
           key == kVkEscape;
}

EM_BOOL onKey(int type, const EmscriptenKeyboardEvent* event, void*) {
    if (!window.exists) return EM_FALSE;
    const uint32_t key = virtualKeyFor(int32_t(event->keyCode), 0);
    if (key == kVkNone) return EM_FALSE;
    const bool down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    // The browser grants full screen only inside the key's own event, so the toggle happens here
    // and the player's later call finds it done.
    if (down && !event->repeat && (key == 'F' || key == kVkF11) && !event->altKey && !event->ctrlKey) {
        window.fullScreenWanted = !pageFullScreen();
        setPageFullScreen(window.fullScreenWanted);
    }
    WindowMessage message;
    message.kind = down ? WindowMessage::KeyDown : WindowMessage::KeyUp;
    message.key = key;
    push(message);
    return ownKey(key) ? EM_TRUE : EM_FALSE;
}

EM_BOOL onFullScreenChange(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    window.fullScreenWanted = event->isFullscreen;
    WindowMessage message;
    message.kind = WindowMessage::Paint;
    push(message);
    return EM_FALSE;
}

EM_BOOL onContextLost(int, const void*, void*) {
    pageMessage("WebGL context lost", "The graphics context was lost; reload the page to play again.");
    return EM_TRUE;
}

}  // namespace

void setPointerMessages(bool) {}  // the page has no model viewer

bool createWindow(int, int, int width, int height, const char*) {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->createWindow(width, height, "");
    window.fixedSize = pageFixedSize();
    if (window.fixedSize) {
        window.width = width;
        window.height = height;
        emscripten_set_canvas_element_size(kCanvas, width, height);
    } else {
        window.width = window.height = 0;
        fitCanvasToPage(false);
    }
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onKey);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE, onFullScreenChange);
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE,
                                             reinterpret_cast<em_webgl_context_callback>(onContextLost));
    window.exists = true;
    return true;
}

const char* lastWindowError() { return window.error.c_str(); }

bool displayAvailable() { return true; }  // the page is the display

bool windowExists() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->window;
    return window.exists;
}

void showWindow() { window.shown = true; }

void destroyWindow() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->destroyWindow();
    releaseGLContext();
    window.exists = false;
    WindowMessage message;
    message.kind = WindowMessage::Destroyed;
    push(message);
}

bool createGLContext() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->createContext();
    if (!window.exists) return false;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_FALSE;  // the GL layer draws into a picture of its own with depth
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // the picture target multisamples where asked
    attributes.premultipliedAlpha = EM_FALSE;
    // The still frame is read from the canvas after the browser has had its turn.
    attributes.preserveDrawingBuffer = pageStillMode() ? EM_TRUE : EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.enableExtensionsByDefault = EM_TRUE;
    window.context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (window.context <= 0) {
        window.context = 0;
        window.error = "this browser offers no WebGL 2";
        return false;
    }
    std::string reason = "it could not be made current";
    if (emscripten_webgl_make_context_current(window.context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !webgl::initialise(&reason)) {
        emscripten_webgl_destroy_context(window.context);
        window.context = 0;
        window.error = "the WebGL 2 context: " + reason;
        return false;
    }
    return true;
}

bool releaseGLContext() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->releaseContext();
    if (!window.context || window.released) return false;
    // The show releases its context once, at its end: the page takes over with its closing screen.
    // WebGL calls need a live context, and the show still deletes its lists after this, so the
    // context stays until the page drops the canvas with the program; nothing draws on it again.
    window.released = true;
    emscripten_html5_remove_all_event_listeners();
    window.exists = false;
    pageShowEnded();
    return true;
}

bool hasCurrentContext() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->context;
    return window.context != 0 && !window.released && emscripten_webgl_get_current_context() == window.context;
}

void swapWindow() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->swap();
    // WebGL presents when the browser regains control; the show goes on in the browser's next task.
    webgl::presentFrame();
    pageFrameDone();
}

void setWindowTitle(const char* title) {
    if (StandInDisplay* standIn = StandInDisplay::current()) standIn->title = title ? title : "";
    setPageTitle(title ? title : "");
}

void showCursor(bool visible) { setPageCursor(visible); }

void clientSize(int& width, int& height) {
    if (StandInDisplay* standIn = StandInDisplay::current()) {
        width = standIn->width;
        height = standIn->height;
        return;
    }
    width = window.width;
    height = window.height;
}

bool windowMinimized() { return pageHidden(); }

bool setDesktopFullScreen(bool on) {
    if (StandInDisplay* standIn = StandInDisplay::current()) {
        standIn->showFullScreen(on);
        return true;
    }
    // Toggled in the key's own event already (the only place the browser allows it).
    if (on != window.fullScreenWanted) {
        window.fullScreenWanted = on;
        setPageFullScreen(on);
    }
    return true;
}

bool desktopFullScreen() {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->fullScreenShown;
    return window.fullScreenWanted;
}

void setWindowResizable(bool, int, int) {}  // the canvas follows the browser window

// The page has no display modes: the show plays in the canvas as the browser shows it.
bool changeDisplayMode(int width, int height) {
    if (StandInDisplay* standIn = StandInDisplay::current()) return standIn->changeDisplayMode(width, height);
    return false;
}

void restoreDisplayMode() {
    if (StandInDisplay* standIn = StandInDisplay::current()) standIn->restoreDisplayMode();
}

// The page is always there to show a message on.
bool desktopSessionPresent() { return true; }

// Messages go onto the page, over the picture, and block nothing.
bool showOwnedMessageBox(const char* caption, const char* text) {
    if (StandInDisplay* standIn = StandInDisplay::current()) {
        standIn->showBox(caption, text);
        return true;
    }
    pageMessage(caption ? caption : "", text ? text : "");
    return true;
}

bool peekMessage(WindowMessage& message) {
    if (StandInDisplay* standIn = StandInDisplay::current()) {
        if (standIn->take(message)) return true;
    } else if (!window.queue.empty()) {
        message = window.queue.front();
        window.queue.pop_front();
        return true;
    }
    if (window.quitPosted) {
        window.quitPosted = false;
        message = WindowMessage{};
        message.kind = WindowMessage::Quit;
        message.quitCode = window.quitCode;
        return true;
    }
    return false;
}

void waitMessage(WindowMessage& message) {
    while (!peekMessage(message)) pageSleep(20);
}

void waitForMessage(int timeoutMs) {
    const double until = emscripten_get_now() + timeoutMs;
    while (window.queue.empty() && !window.quitPosted && emscripten_get_now() < until)
        pageSleep(std::min(20, std::max(1, int(until - emscripten_get_now()))));
}

void postQuitMessage(int code) {
    if (window.quitPosted) return;
    window.quitPosted = true;
    window.quitCode = code;
}

bool quitPosted() { return window.quitPosted; }

void resetMessageQueue() {
    window.queue.clear();
    window.quitPosted = false;
    window.quitCode = 0;
}

}  // namespace platform
