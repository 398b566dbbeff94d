// The window with its GL context, the pump with its callback slots and the full-screen switch.
#include "app/gl_window.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>

#include "app/picture_target.h"
#include "platform/message_box.h"

namespace {
bool classRegistered = false;  // one window per process, as the window class allows
}

void setProjection(int left, int bottom, int width, int height, double zNear, double zFar) {
    glViewport(left, bottom, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / static_cast<double>(height), zNear, zFar);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

bool GLWindow::createWindow(int leftPos, int topPos, int clientWidth, int clientHeight, const char* text) {
    if (classRegistered) {
        showError("ウインドウは１つしか作れません。", "zqWindow Class");
        platform::postQuitMessage(1);
    }
    classRegistered = true;
    std::snprintf(title, sizeof title, "%s", text ? text : "");
    if (!platform::displayAvailable()) {
        std::fprintf(stderr, "lumivane: no display: %s\n", platform::lastWindowError());
        showError("デバイスコンテキスト取得失敗", "GLwindow error");
        return false;
    }
    if (!platform::createWindow(leftPos, topPos, clientWidth, clientHeight, title)) {
        // No pixel format with the requested colour and depth buffers.
        std::fprintf(stderr, "lumivane: %s\n", platform::lastWindowError());
        showError("ChoosePixelFormat Failed....", "GLwindow error");
        return false;
    }
    left = leftPos;
    top = topPos;
    width = clientWidth;
    height = clientHeight;
    if (!createContext()) return false;
    created = true;
    fitProjectionToClient();
    platform::showWindow();
    return true;
}

bool GLWindow::createContext() {
    if (!platform::windowExists()) {
        showError("デバイスコンテキスト取得失敗", "GLwindow error");
        return false;
    }
    if (!platform::createGLContext()) {
        showError("Creating HGLRC Failed....", "GLwindow error");
        return false;
    }
    return true;
}

void GLWindow::releaseContext() {
    const bool hadContext = platform::hasCurrentContext();
    const bool hadWindow = platform::windowExists();
    platform::releaseGLContext();
    if (!hadContext) platform::messageBox("Release HGLRC Failed....", "ERROR");
    if (!hadWindow) platform::messageBox("Release HDC Failed....", "ERROR");
}

void GLWindow::fitProjectionToClient() {
    int w = 0, h = 0;
    platform::clientSize(w, h);
    if (w <= 0 || h <= 0) {
        w = width;
        h = height;
    }
    setProjection(0, 0, w, h, 1.0, 1000.0);
}

void GLWindow::windowProc(const platform::WindowMessage& message) {
    switch (message.kind) {
    case platform::WindowMessage::Destroyed: platform::postQuitMessage(0); break;
    case platform::WindowMessage::Paint:
        if (slots.paint) slots.paint();
        break;
    case platform::WindowMessage::KeyDown:
        if (slots.keyDown) slots.keyDown(message.key);
        break;
    case platform::WindowMessage::KeyUp:
        if (slots.keyUp) slots.keyUp(message.key);
        break;
    case platform::WindowMessage::LeftButtonDown:
        if (slots.leftButton) slots.leftButton(message.x, message.y);
        break;
    case platform::WindowMessage::Resized:
        resizePending = true;
        pendingWidth = message.width;
        pendingHeight = message.height;
        break;
    case platform::WindowMessage::Quit: break;
    default: break;  // pointer messages are the model viewer's alone
    }
}

void GLWindow::applyPendingResize() {
    if (!resizePending) return;
    resizePending = false;
    if (slots.resized) slots.resized(pendingWidth, pendingHeight);
}

int GLWindow::runMessageLoop() {
    platform::WindowMessage message;
    for (;;) {
        if (platform::peekMessage(message)) {
            if (message.kind == platform::WindowMessage::Quit) break;
            windowProc(message);
        } else if (slots.idle) {
            applyPendingResize();
            slots.idle();
        } else {
            platform::waitMessage(message);
            if (message.kind == platform::WindowMessage::Quit) break;
            windowProc(message);
        }
    }
    restoreDisplayMode();
    releaseContext();
    return message.quitCode;
}

void GLWindow::captureDisplayMode() {
    // The desktop mode is kept by the display layer; restoring goes back to it.
}

bool GLWindow::changeDisplayMode(int w, int h) {
    if (!platform::changeDisplayMode(w, h)) return false;
    fullScreen = true;
    return true;
}

void GLWindow::enterFullScreen() {
    if (fullScreen || !platform::windowExists()) return;
    captureDisplayMode();
    if (!changeDisplayMode(width, height)) {
        showMessage("フルスクリーン表示に失敗しました");
        return;
    }
    fullScreen = true;
}

void GLWindow::restoreDisplayMode() {
    if (!fullScreen) return;
    platform::restoreDisplayMode();
    fullScreen = false;
}

void GLWindow::leaveFullScreen() {
    if (!fullScreen) return;
    restoreDisplayMode();
}

void GLWindow::swapBuffers() {
    presentPicture();
    ++swapCount;
    if (platform::windowExists())
        platform::swapWindow();
    else
        glFlush();  // headless: the pbuffer is single-buffered
}

void GLWindow::setTitle(const char* text) { platform::setWindowTitle(text); }

void GLWindow::showMessage(const char* text) { platform::messageBox(text, "Message"); }

void GLWindow::showError(const char* text, const char* caption) { platform::messageBox(text, caption); }
