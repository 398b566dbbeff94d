#include "app/model_viewer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame_driver.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/headless_gl.h"
#include "platform/message_box.h"
#include "platform/png_image.h"
#include "platform/window.h"
#include "render/model_renderer.h"

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kTurntableFrames = 36;
constexpr double kPitch = 20.0;           // degrees the camera looks down on the model
constexpr double kTurnPerSecond = 20.0;   // degrees of yaw per second in the window
constexpr double kFieldOfView = 60.0;     // the show's

// The show's paths use backslashes; a path typed on this host uses slashes.
std::string showPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool writeFrame(const std::string& dir, int index) {
    std::vector<unsigned char> rows(kWidth * kHeight * 3), flipped(rows.size());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < kHeight; ++y)
        std::copy_n(rows.data() + (kHeight - 1 - y) * kWidth * 3, kWidth * 3, flipped.data() + y * kWidth * 3);
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", index);
    return platform::writePng((dir + name).c_str(), kWidth, kHeight, flipped.data());
}

int renderTurntable(const Options& options) {
    std::error_code error;
    std::filesystem::create_directories(platform::hostFsPath(options.renderDir), error);
    if (!std::filesystem::is_directory(platform::hostFsPath(options.renderDir))) {
        std::fprintf(stderr, "lumivane: cannot create directory %s\n", options.renderDir.c_str());
        return 2;
    }
    platform::setMessageBoxesHeadless(true);
    platform::HeadlessGL context;
    if (!context.create(kWidth, kHeight)) {
        std::fprintf(stderr, "lumivane: no headless GL context: %s\n", context.error().c_str());
        return 1;
    }
    MqoModel model;
    model.load(showPath(options.viewFile).c_str());
    const ViewFit fit = fitModel(model);
    for (int i = 0; i < kTurntableFrames; ++i) {
        drawModelView(model, fit, kWidth, kHeight, i * 360.0 / kTurntableFrames, kPitch, 1.0, false);
        glFinish();
        if (!writeFrame(options.renderDir, i)) {
            std::fprintf(stderr, "lumivane: cannot write frame %d into %s\n", i, options.renderDir.c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "wrote %d frames into %s\n", kTurntableFrames, options.renderDir.c_str());
    return 0;
}

int runWindow(const Options& options) {
    const std::string title = "lumivane - " + options.viewFile;
    if (!platform::createWindow(100, 100, kWidth, kHeight, title.c_str()) || !platform::createGLContext()) {
        std::fprintf(stderr, "lumivane: cannot open a window: %s\n", platform::lastWindowError());
        return 1;
    }
    platform::setPointerMessages(true);
    platform::showWindow();
    MqoModel model;
    model.load(showPath(options.viewFile).c_str());
    const ViewFit fit = fitModel(model);

    double yaw = 0, pitch = kPitch, zoom = 1;
    bool outlines = false, dragging = false, running = true;
    int lastX = 0, lastY = 0;
    uint32_t last = platform::timeGetTime();
    while (running) {
        platform::WindowMessage message;
        while (platform::peekMessage(message)) {
            switch (message.kind) {
            case platform::WindowMessage::Destroyed:
            case platform::WindowMessage::Quit: running = false; break;
            case platform::WindowMessage::KeyDown:
                if ((message.key & 0xff) == 27) running = false;
                if ((message.key & 0xff) == 'o' || (message.key & 0xff) == 'O') outlines = !outlines;
                break;
            case platform::WindowMessage::LeftButtonDown:
                dragging = true;
                lastX = message.x;
                lastY = message.y;
                break;
            case platform::WindowMessage::LeftButtonUp: dragging = false; break;
            case platform::WindowMessage::MouseMove:
                if (dragging) {
                    yaw += 0.4 * (message.x - lastX);
                    pitch = std::clamp(pitch + 0.4 * (message.y - lastY), -89.0, 89.0);
                }
                lastX = message.x;
                lastY = message.y;
                break;
            case platform::WindowMessage::MouseWheel:
                zoom = std::clamp(zoom * std::pow(0.9, message.wheel), 0.05, 20.0);
                break;
            default: break;
            }
        }
        const uint32_t now = platform::timeGetTime();
        // Turns by itself while it is not held.
        if (!dragging) yaw += kTurnPerSecond * (now - last) / 1000.0;
        last = now;
        int width = kWidth, height = kHeight;
        platform::clientSize(width, height);
        drawModelView(model, fit, std::max(width, 1), std::max(height, 1), yaw, pitch, zoom, outlines);
        platform::swapWindow();
    }
    platform::setPointerMessages(false);
    platform::destroyWindow();
    return 0;
}

}  // namespace

ViewFit fitModel(const MqoModel& model) {
    ViewFit fit;
    double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    bool any = false;
    for (const MqoObject& object : model.objects) {
        for (int i = 0; object.vertices && i < object.vertexCount; ++i) {
            const double xyz[3] = {object.vertices[i].x, object.vertices[i].y, object.vertices[i].z};
            if (!std::isfinite(xyz[0]) || !std::isfinite(xyz[1]) || !std::isfinite(xyz[2])) continue;
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], xyz[c]);
                high[c] = std::max(high[c], xyz[c]);
            }
            any = true;
        }
    }
    if (!any) return fit;
    for (int c = 0; c < 3; ++c) fit.centre[c] = (low[c] + high[c]) / 2;
    double radius = 0;
    for (const MqoObject& object : model.objects) {
        for (int i = 0; object.vertices && i < object.vertexCount; ++i) {
            const MqoVertex& v = object.vertices[i];
            const double d = std::hypot(v.x - fit.centre[0], v.y - fit.centre[1], v.z - fit.centre[2]);
            if (std::isfinite(d)) radius = std::max(radius, d);
        }
    }
    fit.radius = radius > 0 ? radius : 1;
    return fit;
}

void drawModelView(const MqoModel& model, const ViewFit& fit, int width, int height, double yaw, double pitch,
                   double zoom, bool outlines) {
    // Far enough that the sphere round the model fits the smaller field of view, with a margin.
    const double aspect = double(width) / height;
    const double halfAngle = kFieldOfView / 2 * M_PI / 180;
    const double fitAngle = aspect < 1 ? std::atan(std::tan(halfAngle) * aspect) : halfAngle;
    const double distance = fit.radius / std::sin(fitAngle) * 1.1 * zoom;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, aspect, std::max(distance - fit.radius * 2, distance * 0.001),
                   distance + fit.radius * 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setupLights();
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    // Faces without a material take the state before them: a plain light grey.
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(0.8f, 0.8f, 0.8f, 1.0f);
    glTranslated(0, 0, -distance);
    glRotated(pitch, 1, 0, 0);
    glRotated(yaw, 0, 1, 0);
    glTranslated(-fit.centre[0], -fit.centre[1], -fit.centre[2]);
    // Faces turned away are culled: a modeller shows them so, and the black shells that cartoon
    // models wear as outlines only show round the edges then. The file's faces wind clockwise.
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);
    drawModel(model, true, true, true);
    glFrontFace(GL_CCW);
    if (outlines) drawModelOutline(model, 1.0f, 1.0f, 1.0f, 1.0f, true);
}

int runModelViewer(const Options& options) {
    return options.mode == Options::Mode::Render ? renderTurntable(options) : runWindow(options);
}
