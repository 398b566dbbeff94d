// The window, its WGL context, the display mode and the message queue, on Win32: the class
// "GLwindowClass", a captioned window whose client area is the asked size, the designed pixel
// format, and the PeekMessage pump. Messages the window procedure hears are queued as
// WindowMessage for peekMessage; a posted quit waits until nothing else does, as WM_QUIT does.

#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "platform/standin_display.h"
#include "platform/window.h"
#include "platform/windows/gl_functions.h"
#include "platform/windows/win32.h"
#include <windowsx.h>

namespace platform {
namespace {

constexpr const char* kClassName = "GLwindowClass";
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

struct WindowState {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    bool destroyed = false;  // WM_DESTROY seen; the handle is gone
    bool modeChanged = false;
    DEVMODEA savedMode{};    // the desktop's mode, recorded before the change
    LONG savedStyle = 0;
    RECT savedRect{};        // the window's place before it covered the screen
    bool covering = false;   // desktop full screen: the window covers its monitor, no mode change
    bool cursorHidden = false;
    bool pointerMessages = false;
    int minWidth = 0, minHeight = 0;  // client size limits while resizable
    std::deque<WindowMessage> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::string error;
};
WindowState state;

StandInDisplay* standIn() { return StandInDisplay::current(); }

// The designed pixel format, field by field: RGBA, 24 colour bits, no alpha planes, no
// accumulation or stencil, 16 depth bits, double-buffered, drawn to a window with OpenGL.
PIXELFORMATDESCRIPTOR designedPixelFormat() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cAlphaBits = 0;
    pfd.cDepthBits = 16;
    pfd.cStencilBits = 0;
    pfd.cAuxBuffers = 0;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

void push(const WindowMessage& message) { state.queue.push_back(message); }

WindowMessage pointerMessage(WindowMessage::Kind kind, LPARAM lParam) {
    WindowMessage message;
    message.kind = kind;
    message.x = static_cast<uint16_t>(LOWORD(lParam));
    message.y = static_cast<uint16_t>(HIWORD(lParam));
    return message;
}

// The outer size of a captioned window of the given style around a client area.
SIZE outerSize(DWORD style, int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRectEx(&rect, style, FALSE, 0);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowMessage out;
    switch (message) {
    case WM_DESTROY:
        state.destroyed = true;
        out.kind = WindowMessage::Destroyed;
        push(out);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        out.kind = WindowMessage::Paint;
        push(out);
        return 0;
    }
    case WM_SYSKEYDOWN:
        // Alt+F4 closes the window as usual; other keys with Alt are the program's (Alt+Enter).
        if (wParam == VK_F4) break;
        [[fallthrough]];
    case WM_KEYDOWN:
        out.kind = WindowMessage::KeyDown;
        out.key = static_cast<uint32_t>(wParam);
        push(out);
        return 0;
    case WM_SYSKEYUP:  // taken here, so that releasing Alt does not open the system menu
    case WM_KEYUP:
        out.kind = WindowMessage::KeyUp;
        out.key = static_cast<uint32_t>(wParam);
        push(out);
        return 0;
    case WM_SYSCHAR: return 0;  // no beep for Alt+letters the window has no menu for
    case WM_LBUTTONDOWN:
        push(pointerMessage(WindowMessage::LeftButtonDown, lParam));
        return 0;
    case WM_LBUTTONUP:
        if (state.pointerMessages) push(pointerMessage(WindowMessage::LeftButtonUp, lParam));
        return 0;
    case WM_MOUSEMOVE:
        if (state.pointerMessages) push(pointerMessage(WindowMessage::MouseMove, lParam));
        return 0;
    case WM_MOUSEWHEEL:
        if (state.pointerMessages) {
            out.kind = WindowMessage::MouseWheel;
            out.wheel = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
            push(out);
        }
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            out.kind = WindowMessage::Resized;
            out.width = LOWORD(lParam);
            out.height = HIWORD(lParam);
            push(out);
        }
        return 0;
    case WM_GETMINMAXINFO:
        if (state.minWidth > 0 && state.minHeight > 0) {
            const SIZE outer = outerSize(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), state.minWidth,
                                         state.minHeight);
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = outer.cx;
            info->ptMinTrackSize.y = outer.cy;
            return 0;
        }
        break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool registerClass() {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(win32::instance(), kClassName, &existing)) return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = win32::instance();
    windowClass.hIcon = LoadIconA(win32::instance(), MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    windowClass.hIconSm = nullptr;
    if (!RegisterClassExA(&windowClass)) {
        state.error = "RegisterClassExA failed";
        return false;
    }
    return true;
}

// Takes whatever the system queue holds and runs it through the window procedure.
void pump() {
    MSG msg;
    while (state.queue.empty() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // A quit posted by the system or a box: it ends the pump as the program's own would.
            state.quitPosted = true;
            state.quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The desktop's mode, as the display reports it: size, depth and, on the NT family, refresh rate.
void captureDisplayMode() {
    HDC screen = GetDC(nullptr);
    DEVMODEA& mode = state.savedMode;
    mode = DEVMODEA{};
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmDriverExtra = 0;
    mode.dmPelsHeight = static_cast<DWORD>(GetDeviceCaps(screen, VERTRES));
    mode.dmPelsWidth = static_cast<DWORD>(GetDeviceCaps(screen, HORZRES));
    mode.dmBitsPerPel = static_cast<DWORD>(GetDeviceCaps(screen, BITSPIXEL));
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmFields |= DM_DISPLAYFREQUENCY;
    mode.dmDisplayFrequency = static_cast<DWORD>(GetDeviceCaps(screen, VREFRESH));
    ReleaseDC(nullptr, screen);
}

// Covers the monitor with the window without its frame, or puts it back where it was.
void cover(bool on) {
    if (on) {
        state.savedStyle = GetWindowLongA(state.window, GWL_STYLE);
        GetWindowRect(state.window, &state.savedRect);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(state.window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& r = monitor.rcMonitor;
        SetWindowLongA(state.window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
        SetWindowPos(state.window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    } else {
        SetWindowLongA(state.window, GWL_STYLE, state.savedStyle | WS_VISIBLE);
        const RECT& r = state.savedRect;
        SetWindowPos(state.window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    }
}

}  // namespace

void setPointerMessages(bool on) { state.pointerMessages = on; }

bool createWindow(int left, int top, int width, int height, const char* title) {
    if (auto* s = standIn()) return s->createWindow(width, height, title);
    if (!registerClass()) return false;
    const SIZE outer = outerSize(kWindowStyle, width, height);
    state.destroyed = false;
    state.window = CreateWindowExA(0, kClassName, title ? title : "", kWindowStyle, left, top, outer.cx, outer.cy,
                                   nullptr, nullptr, win32::instance(), nullptr);
    if (!state.window) {
        state.error = "CreateWindowExA failed";
        return false;
    }
    state.dc = GetDC(state.window);
    const PIXELFORMATDESCRIPTOR pfd = designedPixelFormat();
    const int format = state.dc ? ChoosePixelFormat(state.dc, &pfd) : 0;
    if (format == 0 || !SetPixelFormat(state.dc, format, &pfd)) {
        state.error = format == 0 ? "ChoosePixelFormat found no RGB pixel format with a 16-bit depth buffer"
                                  : "SetPixelFormat failed";
        destroyWindow();
        return false;
    }
    return true;
}

const char* lastWindowError() { return state.error.c_str(); }
bool displayAvailable() { return standIn() || GetSystemMetrics(SM_CXSCREEN) > 0; }
// A window the system destroyed (closed by the user) still counts until the program lets it go, as
// its device context stays current with the GL context until then.
bool windowExists() { return standIn() ? standIn()->window : state.window != nullptr; }

void showWindow() {
    if (auto* s = standIn()) return s->log("showWindow");
    if (!state.window) return;
    ShowWindow(state.window, SW_SHOWNORMAL);
    UpdateWindow(state.window);
}

void destroyWindow() {
    releaseGLContext();
    if (auto* s = standIn()) return s->destroyWindow();
    if (!state.window) return;
    if (state.modeChanged) restoreDisplayMode();
    if (state.dc && !state.destroyed) ReleaseDC(state.window, state.dc);
    if (!state.destroyed) DestroyWindow(state.window);
    state.window = nullptr;
    state.dc = nullptr;
    state.covering = false;
    // The window's own messages (its destruction) are no news to anyone once it is gone by request.
    state.queue.clear();
}

bool createGLContext() {
    if (auto* s = standIn()) return s->createContext();
    if (!state.window || !state.dc) return false;
    state.context = wglCreateContext(state.dc);
    if (!state.context || !wglMakeCurrent(state.dc, state.context)) {
        state.error = "wglCreateContext failed";
        if (state.context) wglDeleteContext(state.context);
        state.context = nullptr;
        return false;
    }
    gl::loadFunctions();
    gl::setSwapInterval(0);
    return true;
}

bool releaseGLContext() {
    if (auto* s = standIn()) return s->releaseContext();
    if (!state.context) return false;
    if (wglGetCurrentContext() == state.context) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(state.context);
    state.context = nullptr;
    return true;
}

bool hasCurrentContext() {
    if (auto* s = standIn()) return s->context;
    return state.context != nullptr && wglGetCurrentContext() == state.context;
}

void swapWindow() {
    if (auto* s = standIn()) return s->swap();
    if (state.dc && state.context && !state.destroyed) SwapBuffers(state.dc);
}

void setWindowTitle(const char* title) {
    if (auto* s = standIn()) return void(s->title = title ? title : "");
    if (!state.window || state.destroyed) return;
    const std::string text = title ? title : "";
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
        SetWindowTextA(state.window, text.c_str());
    else
        SetWindowTextW(state.window, win32::wide(text).c_str());
}

void showCursor(bool visible) {
    if (auto* s = standIn()) return s->log(visible ? "showCursor 1" : "showCursor 0");
    // ShowCursor counts; the program says what it wants, so count once each way.
    if (visible == !state.cursorHidden) return;
    ShowCursor(visible ? TRUE : FALSE);
    state.cursorHidden = !visible;
}

void clientSize(int& width, int& height) {
    width = height = 0;
    if (auto* s = standIn()) {
        if (s->window) width = s->width, height = s->height;
        return;
    }
    RECT rect{};
    if (state.window && !state.destroyed && GetClientRect(state.window, &rect)) {
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    }
}

bool windowMinimized() { return state.window && !state.destroyed && IsIconic(state.window); }

bool desktopFullScreen() { return state.covering; }

bool setDesktopFullScreen(bool on) {
    if (!state.window || state.destroyed || state.modeChanged || on == state.covering) return false;
    cover(on);
    state.covering = on;
    return true;
}

void setWindowResizable(bool resizable, int minWidth, int minHeight) {
    if (!state.window || state.destroyed) return;
    state.minWidth = minWidth;
    state.minHeight = minHeight;
    LONG style = GetWindowLongA(state.window, GWL_STYLE);
    if (state.covering || state.modeChanged) return;
    style = resizable ? style | WS_THICKFRAME | WS_MAXIMIZEBOX : style & ~(WS_THICKFRAME | WS_MAXIMIZEBOX);
    // The client area keeps its size: the frame grows around it.
    RECT client{};
    GetClientRect(state.window, &client);
    SetWindowLongA(state.window, GWL_STYLE, style);
    const SIZE outer = outerSize(static_cast<DWORD>(style), client.right, client.bottom);
    SetWindowPos(state.window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

bool changeDisplayMode(int width, int height) {
    const char* refuse = std::getenv("LUMIVANE_REFUSE_MODE_CHANGE");
    if (refuse && std::strcmp(refuse, "1") == 0) return false;
    if (auto* s = standIn()) return s->changeDisplayMode(width, height);
    if (!state.window || state.destroyed) return false;
    if (state.covering) {
        cover(false);
        state.covering = false;
    }
    captureDisplayMode();
    // Only the size changes; colour depth and refresh rate stay the desktop's.
    DEVMODEA mode = state.savedMode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) return false;
    state.savedStyle = GetWindowLongA(state.window, GWL_STYLE);
    GetWindowRect(state.window, &state.savedRect);
    SetWindowLongA(state.window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_VISIBLE));
    SetWindowPos(state.window, HWND_TOP, 0, 0, width, height, SWP_SHOWWINDOW | SWP_FRAMECHANGED);
    state.modeChanged = true;
    return true;
}

void restoreDisplayMode() {
    if (auto* s = standIn()) return s->restoreDisplayMode();
    if (!state.modeChanged) return;
    // The recorded mode; where the display will not take it back as recorded (a refresh rate it
    // reports but does not list), the desktop's mode from the registry.
    if (ChangeDisplaySettingsA(&state.savedMode, 0) != DISP_CHANGE_SUCCESSFUL) ChangeDisplaySettingsA(nullptr, 0);
    state.modeChanged = false;
    if (!state.window || state.destroyed) return;
    SetWindowLongA(state.window, GWL_STYLE, state.savedStyle);
    const RECT& r = state.savedRect;
    SetWindowPos(state.window, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW | SWP_FRAMECHANGED);
}

HWND messageBoxOwner() { return state.window && !state.destroyed ? state.window : nullptr; }

bool peekMessage(WindowMessage& message) {
    if (auto* s = standIn()) {
        if (s->take(message)) return true;
    } else {
        pump();
        if (!state.queue.empty()) {
            message = state.queue.front();
            state.queue.pop_front();
            return true;
        }
    }
    if (state.quitPosted) {
        state.quitPosted = false;
        message = WindowMessage{};
        message.kind = WindowMessage::Quit;
        message.quitCode = state.quitCode;
        return true;
    }
    return false;
}

void waitMessage(WindowMessage& message) {
    for (;;) {
        if (peekMessage(message)) return;
        if (standIn()) {
            Sleep(10);  // nothing can arrive but a posted quit
            continue;
        }
        WaitMessage();
    }
}

void waitForMessage(int timeoutMs) {
    if (state.quitPosted || !state.queue.empty()) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeoutMs > 0 ? timeoutMs : 0), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
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
