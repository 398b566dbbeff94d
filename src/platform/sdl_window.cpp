// The window, its GL context, the display mode and the message queue, on SDL2.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/window.h"

namespace platform {
namespace {

struct WindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool modeChanged = false;
    bool quitPosted = false;
    int quitCode = 0;
    std::string error;
};
WindowState state;

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

// Virtual-key codes of the keys a caller may look at: letters and digits as their upper-case
// characters, the named keys as their Win32 values.
uint32_t virtualKey(SDL_Keycode key) {
    if (key >= 'a' && key <= 'z') return static_cast<uint32_t>(key - 'a' + 'A');
    if (key >= '0' && key <= '9') return static_cast<uint32_t>(key);
    switch (key) {
    case SDLK_ESCAPE: return 27;
    case SDLK_RETURN: return 13;
    case SDLK_SPACE: return 32;
    case SDLK_BACKSPACE: return 8;
    case SDLK_TAB: return 9;
    case SDLK_LEFT: return 37;
    case SDLK_UP: return 38;
    case SDLK_RIGHT: return 39;
    case SDLK_DOWN: return 40;
    default:
        if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<uint32_t>(112 + (key - SDLK_F1));
        return static_cast<uint32_t>(key & 0xff);
    }
}

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
            message.kind = WindowMessage::Resized;
            SDL_GL_GetDrawableSize(state.window, &message.width, &message.height);
            return true;
        }
        return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        message.kind = event.type == SDL_KEYDOWN ? WindowMessage::KeyDown : WindowMessage::KeyUp;
        message.key = virtualKey(event.key.keysym.sym);
        return true;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button != SDL_BUTTON_LEFT) return false;
        message.kind = WindowMessage::LeftButtonDown;
        message.x = static_cast<uint16_t>(event.button.x);
        message.y = static_cast<uint16_t>(event.button.y);
        return true;
    default:
        return false;
    }
}

}  // namespace

bool createWindow(int left, int top, int width, int height, const char* title) {
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
    return true;
}

const char* lastWindowError() { return state.error.c_str(); }
bool displayAvailable() { return initVideo(); }
bool windowExists() { return state.window != nullptr; }

void showWindow() {
    if (state.window) SDL_ShowWindow(state.window);
}

void destroyWindow() {
    releaseGLContext();
    if (state.window) SDL_DestroyWindow(state.window);
    state.window = nullptr;
}

bool createGLContext() {
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
    if (!state.context) return false;
    SDL_GL_MakeCurrent(state.window, nullptr);
    SDL_GL_DeleteContext(state.context);
    state.context = nullptr;
    return true;
}

bool hasCurrentContext() { return state.context != nullptr && SDL_GL_GetCurrentContext() == state.context; }

void swapWindow() {
    if (state.window && state.context) SDL_GL_SwapWindow(state.window);
}

void setWindowTitle(const char* title) {
    if (state.window) SDL_SetWindowTitle(state.window, title ? title : "");
}

void showCursor(bool visible) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void clientSize(int& width, int& height) {
    width = height = 0;
    if (state.window) SDL_GL_GetDrawableSize(state.window, &width, &height);
}

void setWindowResizable(bool resizable, int minWidth, int minHeight) {
    if (!state.window) return;
    SDL_SetWindowMinimumSize(state.window, minWidth, minHeight);
    SDL_SetWindowResizable(state.window, resizable ? SDL_TRUE : SDL_FALSE);
}

bool changeDisplayMode(int width, int height) {
    const char* refuse = std::getenv("LUMIVANE_REFUSE_MODE_CHANGE");
    if (refuse && std::strcmp(refuse, "1") == 0) return false;
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
    if (!state.modeChanged || !state.window) return;
    SDL_SetWindowFullscreen(state.window, 0);
    state.modeChanged = false;
}

bool peekMessage(WindowMessage& message) {
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
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
