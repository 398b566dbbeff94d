// The window, its GL context, the display mode and the message queue, on SDL2.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/standin_display.h"
#include "platform/virtual_keys.h"
#include "platform/window.h"

namespace platform {
namespace {

struct WindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool modeChanged = false;
    bool covering = false;  // desktop full screen without a window manager
    SDL_Rect windowed{};    // where the window was before it covered the display
    int usableWidth = 0, usableHeight = 0;  // its last size not below its minimum
    bool quitPosted = false;
    int quitCode = 0;
    std::string error;
};
WindowState state;

// The stand-in display of tests, when one is installed.
StandInDisplay* standIn() { return StandInDisplay::current(); }

bool initVideo() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        state.error = SDL_GetError();
        return false;
    }
    // Without a display SDL falls back to drivers that show nothing; a show nobody can see or end
    // is no window. Asking for such a driver by name (SDL_VIDEODRIVER) still gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* wanted = std::getenv("SDL_VIDEODRIVER");
    const bool invisible = driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
    if (invisible && !(wanted && *wanted)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        state.error = "no display";
        return false;
    }
    return true;
}

bool pointerMessages = false;

// Turns an SDL event into a window message; false for events the window does not hear about.
bool translate(const SDL_Event& event, WindowMessage& message) {
    switch (event.type) {
    case SDL_QUIT:
        message.kind = WindowMessage::Destroyed;
        return true;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
            message.kind = WindowMessage::Destroyed;
            return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
            message.kind = WindowMessage::Paint;
            return true;
        }
        if (event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && state.window) {
            int minWidth = 0, minHeight = 0;
            SDL_GetWindowMinimumSize(state.window, &minWidth, &minHeight);
            if (!state.covering && !(SDL_GetWindowFlags(state.window) & SDL_WINDOW_FULLSCREEN) &&
                event.window.data1 >= minWidth && event.window.data2 >= minHeight) {
                state.usableWidth = event.window.data1;
                state.usableHeight = event.window.data2;
            }
            message.kind = WindowMessage::Resized;
            SDL_GL_GetDrawableSize(state.window, &message.width, &message.height);
            return true;
        }
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        message.kind = event.type == SDL_KEYDOWN ? WindowMessage::KeyDown : WindowMessage::KeyUp;
        message.key = virtualKeyFor(event.key.keysym.sym, event.key.keysym.scancode);
        return true;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT) return false;
        message.kind = WindowMessage::LeftButtonDown;
        message.x = static_cast<uint16_t>(event.button.x);
        message.y = static_cast<uint16_t>(event.button.y);
        return true;
    case SDL_MOUSEBUTTONUP:
        if (!pointerMessages || event.button.button != SDL_BUTTON_LEFT) return false;
        message.kind = WindowMessage::LeftButtonUp;
        message.x = static_cast<uint16_t>(event.button.x);
        message.y = static_cast<uint16_t>(event.button.y);
        return true;
    case SDL_MOUSEMOTION:
        if (!pointerMessages) return false;
        message.kind = WindowMessage::MouseMove;
        message.x = static_cast<uint16_t>(std::max(event.motion.x, 0));
        message.y = static_cast<uint16_t>(std::max(event.motion.y, 0));
        return true;
    case SDL_MOUSEWHEEL:
        if (!pointerMessages) return false;
        message.kind = WindowMessage::MouseWheel;
        message.wheel = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
        return true;
    default:
        return false;
    }
}

}  // namespace

void setPointerMessages(bool on) { pointerMessages = on; }

bool createWindow(int left, int top, int width, int height, const char* title) {
    if (auto* s = standIn()) return s->createWindow(width, height, title);
    if (!initVideo()) return false;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    state.window = SDL_CreateWindow(title ? title : "", left, top, width, height,
                                    SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!state.window) {
        state.error = SDL_GetError();
        return false;
    }
    state.usableWidth = width;
    state.usableHeight = height;
    return true;
}

const char* lastWindowError() { return state.error.c_str(); }
bool displayAvailable() { return standIn() || initVideo(); }
bool windowExists() { return standIn() ? standIn()->window : state.window != nullptr; }

void showWindow() {
    if (auto* s = standIn()) return s->log("showWindow");
    if (state.window) SDL_ShowWindow(state.window);
}

void destroyWindow() {
    releaseGLContext();
    if (auto* s = standIn()) return s->destroyWindow();
    if (state.window) SDL_DestroyWindow(state.window);
    state.window = nullptr;
    state.covering = false;
}

bool createGLContext() {
    if (auto* s = standIn()) return s->createContext();
    if (!state.window) return false;
    state.context = SDL_GL_CreateContext(state.window);
    if (!state.context) {
        state.error = SDL_GetError();
        return false;
    }
    SDL_GL_MakeCurrent(state.window, state.context);
    SDL_GL_SetSwapInterval(0);
    return true;
}

bool releaseGLContext() {
    if (auto* s = standIn()) return s->releaseContext();
    if (!state.context) return false;
    SDL_GL_MakeCurrent(state.window, nullptr);
    SDL_GL_DeleteContext(state.context);
    state.context = nullptr;
    return true;
}

bool hasCurrentContext() {
    if (auto* s = standIn()) return s->context;
    return state.context != nullptr && SDL_GL_GetCurrentContext() == state.context;
}

void swapWindow() {
    if (auto* s = standIn()) return s->swap();
    if (state.window && state.context) SDL_GL_SwapWindow(state.window);
}

void setWindowTitle(const char* title) {
    if (auto* s = standIn()) return void(s->title = title ? title : "");
    if (state.window) SDL_SetWindowTitle(state.window, title ? title : "");
}

void showCursor(bool visible) {
    if (auto* s = standIn()) return s->log(visible ? "showCursor 1" : "showCursor 0");
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void clientSize(int& width, int& height) {
    width = height = 0;
    if (auto* s = standIn()) {
        if (s->window) width = s->width, height = s->height;
        return;
    }
    if (state.window) SDL_GL_GetDrawableSize(state.window, &width, &height);
}

bool desktopFullScreen();

bool windowMinimized() {
    return state.window && (SDL_GetWindowFlags(state.window) & SDL_WINDOW_MINIMIZED) != 0;
}

// Full screen on the desktop is the window manager's business; where none runs (a bare X server)
// the window itself covers the display without its frame, and goes back to where it was.
bool setDesktopFullScreen(bool on) {
    if (!state.window || state.modeChanged || on == desktopFullScreen()) return false;
    if (state.covering) {
        SDL_SetWindowBordered(state.window, SDL_TRUE);
        SDL_SetWindowSize(state.window, state.windowed.w, state.windowed.h);
        SDL_SetWindowPosition(state.window, state.windowed.x, state.windowed.y);
        state.covering = false;
        return true;
    }
    int top = 0;
    const bool managed = SDL_GetWindowBordersSize(state.window, &top, nullptr, nullptr, nullptr) == 0 && top > 0;
    if (!on || managed) return SDL_SetWindowFullscreen(state.window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(state.window), &bounds) != 0) return false;
    SDL_GetWindowPosition(state.window, &state.windowed.x, &state.windowed.y);
    SDL_GetWindowSize(state.window, &state.windowed.w, &state.windowed.h);
    // Squeezed below its minimum from outside (no window manager keeps to it): come back at the
    // last size the window could show its picture at, not at the minimum.
    int minWidth = 0, minHeight = 0;
    SDL_GetWindowMinimumSize(state.window, &minWidth, &minHeight);
    if ((state.windowed.w < minWidth || state.windowed.h < minHeight) && state.usableWidth > 0) {
        state.windowed.w = state.usableWidth;
        state.windowed.h = state.usableHeight;
    }
    SDL_SetWindowBordered(state.window, SDL_FALSE);
    SDL_SetWindowPosition(state.window, bounds.x, bounds.y);
    SDL_SetWindowSize(state.window, bounds.w, bounds.h);
    state.covering = true;
    return true;
}

bool desktopFullScreen() {
    if (!state.window) return false;
    const Uint32 flags = SDL_GetWindowFlags(state.window);
    return state.covering || (flags & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

void setWindowResizable(bool resizable, int minWidth, int minHeight) {
    if (!state.window) return;
    SDL_SetWindowMinimumSize(state.window, minWidth, minHeight);
    SDL_SetWindowResizable(state.window, resizable ? SDL_TRUE : SDL_FALSE);
}

bool changeDisplayMode(int width, int height) {
    const char* refuse = std::getenv("LUMIVANE_REFUSE_MODE_CHANGE");
    if (refuse && std::strcmp(refuse, "1") == 0) return false;
    if (auto* s = standIn()) return s->changeDisplayMode(width, height);
    if (!state.window) return false;
    const int display = SDL_GetWindowDisplayIndex(state.window);
    SDL_DisplayMode wanted{};
    wanted.w = width;
    wanted.h = height;
    SDL_DisplayMode closest{};
    // Only an exact mode counts; the colour depth and refresh rate stay the desktop's.
    if (display < 0 || !SDL_GetClosestDisplayMode(display, &wanted, &closest) || closest.w != width ||
        closest.h != height)
        return false;
    if (SDL_SetWindowDisplayMode(state.window, &closest) != 0) return false;
    if (SDL_SetWindowFullscreen(state.window, SDL_WINDOW_FULLSCREEN) != 0) return false;
    state.modeChanged = true;
    return true;
}

void restoreDisplayMode() {
    if (auto* s = standIn()) return s->restoreDisplayMode();
    if (!state.modeChanged || !state.window) return;
    SDL_SetWindowFullscreen(state.window, 0);
    state.modeChanged = false;
}

namespace {
// Covers the screen with the window, or gives the desktop back for a while; the display mode asked
// for stays on record either way.
void showFullScreen(bool shown) {
    if (auto* s = standIn()) return s->showFullScreen(shown);
    SDL_SetWindowFullscreen(state.window, shown ? SDL_WINDOW_FULLSCREEN : 0);
}
}  // namespace

bool showOwnedMessageBox(const char* caption, const char* text) {
    // A box cannot come in front of a full-screen window: leave full screen for it, then return.
    const bool leave = windowExists() && (standIn() ? standIn()->modeChanged : state.modeChanged);
    if (leave) showFullScreen(false);
    bool shown = true;
    if (auto* s = standIn())
        s->showBox(caption, text);
    else
        shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, state.window) == 0;
    if (leave) showFullScreen(true);
    return shown;
}

bool peekMessage(WindowMessage& message) {
    if (auto* s = standIn()) {
        if (s->take(message)) return true;
    } else if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (translate(event, message)) return true;
    }
    if (state.quitPosted) {
        state.quitPosted = false;
        message.kind = WindowMessage::Quit;
        message.quitCode = state.quitCode;
        return true;
    }
    return false;
}

void waitMessage(WindowMessage& message) {
    for (;;) {
        if (peekMessage(message)) return;
        if (!SDL_WasInit(SDL_INIT_VIDEO)) {
            SDL_Delay(10);  // nothing can arrive but a posted quit
            continue;
        }
        SDL_Event event;
        if (SDL_WaitEvent(&event) && translate(event, message)) return;
    }
}

void waitForMessage(int timeoutMs) {
    if (state.quitPosted) return;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Delay(static_cast<Uint32>(timeoutMs > 0 ? timeoutMs : 0));
        return;
    }
    SDL_WaitEventTimeout(nullptr, timeoutMs);
}

void postQuitMessage(int code) {
    state.quitPosted = true;
    state.quitCode = code;
}

bool quitPosted() { return state.quitPosted; }

void resetMessageQueue() {
    state.quitPosted = false;
    state.quitCode = 0;
}

}  // namespace platform
