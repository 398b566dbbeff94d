#include "app/offline_run.h"

#include <GL/gl.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "demo/demo_assets.h"
#include "platform/headless_gl.h"
#include "platform/media.h"
#include "platform/message_box.h"
#include "platform/png_image.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double peakResidentMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// Any timer reading far from zero serves: only differences count.
constexpr double kBaseTime = 1.0e6;

// The output picture of the frame just drawn, from the default framebuffer.
bool writeFrame(const std::string& dir, int index, int width, int height, std::vector<unsigned char>& rows,
                std::vector<unsigned char>& flipped) {
    const size_t stride = size_t(width) * 3;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < height; ++y)
        std::copy_n(rows.data() + (height - 1 - y) * stride, stride, flipped.data() + y * stride);
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06d.png", index);
    return platform::writePng((dir + name).c_str(), width, height, flipped.data());
}

double percentile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(q * (values.size() - 1) + 0.5));
    return values[at];
}

}  // namespace

int runOffline(const Options& options) {
    const bool render = options.mode == Options::Mode::Render;
    if (render) {
        std::error_code ec;
        std::filesystem::create_directories(options.renderDir, ec);
        if (!std::filesystem::is_directory(options.renderDir)) {
            std::fprintf(stderr, "lumivane: cannot create directory %s\n", options.renderDir.c_str());
            return 2;
        }
    }
    platform::setMessageBoxesHeadless(true);
    platform::setAudioEnabled(false);
    platform::HeadlessGL context;
    if (!context.create(options.width, options.height)) {
        std::fprintf(stderr, "lumivane: no headless GL context: %s\n", context.error().c_str());
        return context.sizeRefused() ? 2 : 1;
    }
    std::string pictureError;
    if (!fitPicture(options.width, options.height, std::max(1, options.ssaa), 0, pictureError)) {
        std::fprintf(stderr, "lumivane: %s\n", pictureError.c_str());
        return 2;
    }
    const PictureGeometry& picture = currentPicture();
    if (options.seeded) setDemoSeed(options.seed);
    demoClock.offset = options.fromMs;
    setMusicStart(options.fromMs);

    const auto setupStart = Clock::now();
    openMusic();
    createFont(demoApp.font, picture.scale());
    const double fontMs = msSince(setupStart);
    resetFrameDriver();
    driveFrame(kBaseTime);  // the black frame and the set-up
    glFinish();
    const double setupMs = msSince(setupStart);
    driveFrame(kBaseTime);
    driveFrame(kBaseTime);  // starts the clock: t = from on the next frame at kBaseTime

    const double step = 1000.0 / options.fps;
    const double to = options.toMs >= 0 ? std::min(options.toMs, kShowEnd) : kShowEnd;
    const long total = std::max(0L, static_cast<long>(std::ceil((to - options.fromMs) / step)));
    std::vector<unsigned char> rows(render ? size_t(options.width) * options.height * 3 : 0), flipped(rows.size());
    std::vector<std::vector<double>> frameMs(13);
    long glErrors = 0;
    int written = 0;

    for (long k = 0;; ++k) {
        const double t = options.fromMs + k * step;
        if (t >= to) break;
        const auto frameStart = Clock::now();
        driveFrame(kBaseTime + k * step);
        glFinish();
        const double elapsed = msSince(frameStart);
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
            if (++glErrors <= 20) std::fprintf(stderr, "GL error 0x%04x at t = %.1f ms\n", e, t);
        }
        frameMs[sceneForTime(t) % 13].push_back(elapsed);
        if (render) {
            if (!writeFrame(options.renderDir, written, options.width, options.height, rows, flipped)) {
                std::fprintf(stderr, "\nlumivane: cannot write frame %d into %s\n", written, options.renderDir.c_str());
                return 1;
            }
            ++written;
        }
        if (k % 25 == 0 || k + 1 == total)
            std::fprintf(stderr, "\r%s frame %ld/%ld  t = %.0f ms  scene %d   ", render ? "render" : "bench", k + 1,
                         total, t, sceneForTime(t));
    }
    std::fprintf(stderr, "\n");
    if (glErrors) std::fprintf(stderr, "GL errors: %ld\n", glErrors);

    if (!render) {
        std::printf("output %dx%d  picture %dx%d at %d,%d  drawn %dx%d  capture %dx%d  ssaa %d\n", options.width,
                    options.height, picture.width, picture.height, picture.left, picture.bottom,
                    picture.drawWidth(), picture.drawHeight(), picture.captureSize(), picture.captureSize(),
                    picture.factor);
        std::printf("scene  frames  median ms  p95 ms\n");
        for (int s = 1; s <= 12; ++s) {
            if (frameMs[s].empty()) continue;
            std::printf("%5d  %6zu  %9.2f  %6.2f\n", s, frameMs[s].size(), percentile(frameMs[s], 0.5),
                        percentile(frameMs[s], 0.95));
        }
        std::printf("set-up: %.1f ms (font %.1f ms)\n", setupMs, fontMs);
        std::printf("peak memory: %.1f MB\n", peakResidentMb());
    } else {
        std::fprintf(stderr, "wrote %d frames into %s\n", written, options.renderDir.c_str());
    }
    releaseFont(demoApp.font);
    releasePicture();
    return 0;
}
