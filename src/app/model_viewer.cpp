#include "app/model_viewer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

#include "app/frame_driver.h"
#include "app/outline_font.h"
#include "model/model_findings.h"
#include "model/mqo_reader.h"
#include "app/picture_target.h"
#include "model/model_paths.h"
#include "model/texture_cache.h"
#include "output/frame_directory.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/headless_gl.h"
#include "platform/message_box.h"
#include "platform/png_image.h"
#include "platform/stop_signal.h"
#include "platform/window.h"
#include "render/model_renderer.h"

namespace {

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

// Reads the file as the show does, and says what the model inspector says of a file that holds
// no model. Returns the line of findings for the picture.
std::string loadViewed(MqoModel& model, const std::string& file) {
    MqoReadStats stats;
    loadModel(model, showPath(file).c_str(), &stats);
    if (!stats.archiveRefused.empty()) return "zipped model refused: " + stats.archiveRefused;
    if (stats.hostFile.empty()) return "file not found";
    if (holdsNoModel(stats)) {
        platform::messageBox(noModelText(file).c_str(), "error");
        return "no model in this file";
    }
    std::string line = findingsLine(stats);
    if (!stats.whole) line = "not read whole" + std::string(line.empty() ? "" : "; ") + line;
    return line.empty() ? "nothing drawn differently from the modelling tool" : line;
}

// Reads back the drawn picture (factor x the frame's size), box-filters it down by factor and
// writes it as frame index of dir.
// Reads back the drawn picture (factor x the frame's size), box-filters it down by factor and
// writes it as frame index of dir.
bool writeFrame(output::FrameDirectory& dir, int index, int width, int height, int factor, std::string& error) {
    const int drawWidth = width * factor, drawHeight = height * factor;
    std::vector<unsigned char> drawn(std::size_t(drawWidth) * std::size_t(drawHeight) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, drawWidth, drawHeight, GL_RGB, GL_UNSIGNED_BYTE, drawn.data());
    std::vector<unsigned char> frame(std::size_t(width) * std::size_t(height) * 3);
    const int area = factor * factor;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < factor; ++dy)
                    for (int dx = 0; dx < factor; ++dx)
                        sum += drawn[(std::size_t(y * factor + dy) * std::size_t(drawWidth) + std::size_t(x * factor + dx)) * 3 + std::size_t(c)];
                // Rows read back bottom up; the PNG's first row is the top one.
                frame[(std::size_t(height - 1 - y) * std::size_t(width) + std::size_t(x)) * 3 + std::size_t(c)] =
                    static_cast<unsigned char>((sum + area / 2) / area);
            }
    char name[32];
    output::FrameDirectory::frameName(index, name);
    return dir.writeFile(name, [&](std::FILE* file) {
        return platform::writePng(file, width, height, frame.data());
    }, error);
}

// The model file as the user named it: reported as the show reports a model it cannot open, and
// then the run ends (nothing would be drawn).
bool modelFileUsable(const Options& options) {
    return !findDataFile(showPath(options.viewFile)).empty();
}

int renderTurntable(const Options& options) {
    const int width = options.width, height = options.height, factor = std::max(options.ssaa, 1);
    // Drawn into the pbuffer at factor x: one buffer, of the drawn size.
    if (pictureBufferBytes(width * factor, height * factor, 0) > kPictureBudgetBytes) {
        std::fprintf(stderr, "lumivane: a turntable drawn at %dx%d takes %llu MB of buffers, over the %llu MB allowed\n",
                     width * factor, height * factor, pictureBufferBytes(width * factor, height * factor, 0) >> 20,
                     kPictureBudgetBytes >> 20);
        return 2;
    }
    platform::guardOutputs();
    platform::catchStopSignals();
    output::FrameDirectory dir;
    std::string error;
    if (!dir.open(options.renderDir, options.force, error)) {
        std::fprintf(stderr, "lumivane: %s\n", error.c_str());
        return 1;
    }
    platform::setMessageBoxesHeadless(true);
    platform::HeadlessGL context;
    if (!context.create(width * factor, height * factor)) {
        std::fprintf(stderr, "lumivane: no headless GL context: %s\n", context.error().c_str());
        return context.sizeRefused() ? 2 : 1;
    }
    MqoModel model;
    {
        TextureCache textures;
        loadViewed(model, options.viewFile);
    }
    if (!modelFileUsable(options)) return 1;
    const ViewFit fit = fitModel(model);
    for (int i = 0; i < kTurntableFrames; ++i) {
        if (platform::stopRequested()) {
            dir.close(i > 0);
            std::fprintf(stderr, "lumivane: stopped by a signal at frame %d of %d; %s holds the %d frames so far\n", i,
                         kTurntableFrames, options.renderDir.c_str(), i);
            return 130;
        }
        drawModelView(model, fit, width * factor, height * factor, i * 360.0 / kTurntableFrames, kPitch, 1.0, false);
        glFinish();
        if (!writeFrame(dir, i, width, height, factor, error)) {
            dir.close(i > 0);
            std::fprintf(stderr, "lumivane: %s\n", error.c_str());
            return 1;
        }
    }
    dir.close(true);
    std::fprintf(stderr, "wrote %d frames into %s\n", kTurntableFrames, options.renderDir.c_str());
    return 0;
}

int runWindow(const Options& options) {
    const std::string title = "lumivane - " + options.viewFile;
    if (!platform::createWindow(100, 100, options.width, options.height, title.c_str()) ||
        !platform::createGLContext()) {
        std::fprintf(stderr, "lumivane: cannot open a window: %s\n", platform::lastWindowError());
        return 1;
    }
    platform::setPointerMessages(true);
    platform::showWindow();
    MqoModel model;
    std::string findings;
    {
        TextureCache textures;
        findings = loadViewed(model, options.viewFile);
    }
    if (!modelFileUsable(options)) {
        platform::destroyWindow();
        return 1;
    }
    const ViewFit fit = fitModel(model);
    OutlineFont font;
    createFont(font);

    double yaw = 0, pitch = kPitch, zoom = 1;
    bool outlines = false, dragging = false, running = true, findingsShown = true;
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
                if ((message.key & 0xff) == 'h' || (message.key & 0xff) == 'H') findingsShown = !findingsShown;
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
        int width = options.width, height = options.height;
        platform::clientSize(width, height);
        drawModelView(model, fit, std::max(width, 1), std::max(height, 1), yaw, pitch, zoom, outlines);
        if (findingsShown) drawFindingsLine(font, findings, std::max(width, 1), std::max(height, 1));
        platform::swapWindow();
    }
    releaseFont(font);
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

void drawFindingsLine(const OutlineFont& font, const std::string& line, int width, int height) {
    if (line.empty() || !font.available) return;
    constexpr double kEm = 16;    // pixels
    constexpr double kBand = 26;  // pixels, the dark band under the line
    double em = 0;
    for (unsigned char c : line) em += font.metrics[c].cellIncX;
    // Shrunk to fit the picture's width, with a margin on each side.
    const double scale = em > 0 ? std::min(kEm, (width - 16) / em) : kEm;
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    resetTextState();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_FOG);
    glColor3d(0, 0, 0);
    glRectd(0, 0, width, kBand);
    glColor3d(1, 1, 0.7);
    glTranslated(width / 2.0, (kBand - scale) / 2 + scale * 0.2, 0);
    glScaled(scale, scale, 1);  // glyphs are one em high; depth stays within the ortho planes
    drawText(font, "%s", line.c_str());
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

int runModelViewer(const Options& options) {
    return options.mode == Options::Mode::Render ? renderTurntable(options) : runWindow(options);
}
