#include "app/offline_run.h"

#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/music_track.h"
#include "app/picture_target.h"
#include "demo/demo_assets.h"
#include "output/frame_directory.h"
#include "output/frame_output.h"
#include "output/png_frames.h"
#include "output/progress_reporter.h"
#include "output/soundtrack_slice.h"
#include "output/video_writer.h"
#include "platform/files.h"
#include "platform/headless_gl.h"
#include "platform/media.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/stop_signal.h"
#include "platform/window.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double peakResidentMb() { return platform::peakResidentBytes() / (1024.0 * 1024.0); }

// Any timer reading far from zero serves: only differences count.
constexpr double kBaseTime = 1.0e6;

// Exit codes of the headless runs.
constexpr int kExitIo = 1, kExitArguments = 2, kExitStopped = 130;

double percentile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, static_cast<size_t>(q * (values.size() - 1) + 0.5));
    return values[at];
}

// Where the frames go: PNG files with the soundtrack slice beside them, one video file, or
// nowhere (--bench). Prepared before the show is set up, so that a bad target, a directory in use
// or holding an earlier run's frames, or a video file another run writes, fails at once.
struct OfflineOutput {
    platform::PcmSound soundtrack;
    bool haveSound = false;
    output::FrameDirectory directory;  // --render
    std::unique_ptr<output::FrameSink> sink;
    output::FrameOutput frames;
};

int prepareOutput(const Options& options, int width, int height, OfflineOutput& out) {
    const bool render = options.mode == Options::Mode::Render;
    const bool video = options.mode == Options::Mode::Video;
    if (!render && !video) return 0;
    if (const std::string why = video ? output::videoUnavailable(options.fps) : ""; !why.empty()) {
        std::fprintf(stderr, "lumivane: %s\n", why.c_str());
        return kExitArguments;
    }
    const double to = options.toMs >= 0 ? std::min(options.toMs, kShowEnd) : kShowEnd;
    std::string error;
    out.haveSound =
        output::loadSoundtrackSlice(musicFilePath().c_str(), options.fromMs, to, out.soundtrack, error);
    const bool haveSound = out.haveSound;
    if (render) {
        if (!out.directory.open(options.renderDir, options.force, error)) {
            std::fprintf(stderr, "lumivane: %s\n", error.c_str());
            return kExitIo;
        }
        // The slice is written once the frames are, cut to the frames written.
        if (!haveSound)
            std::fprintf(stderr, "lumivane: no soundtrack (%s: %s); %s gets no soundtrack.wav\n",
                         musicFilePath().c_str(), error.c_str(), options.renderDir.c_str());
        out.sink = std::make_unique<output::PngFrameSink>(out.directory, width, height);
        return 0;
    }
    if (!haveSound)
        std::fprintf(stderr, "lumivane: no soundtrack (%s: %s); the video is silent\n", musicFilePath().c_str(),
                     error.c_str());
    output::VideoSettings settings;
    settings.path = options.videoFile;
    settings.width = width;
    settings.height = height;
    settings.fps = options.fps;
    settings.crf = options.crf;
    settings.audio = haveSound ? &out.soundtrack : nullptr;
    auto writer = std::make_unique<output::VideoWriter>();
    if (!writer->open(settings, error)) {
        std::fprintf(stderr, "lumivane: %s\n", error.c_str());
        return output::isVideoPath(options.videoFile) ? kExitIo : kExitArguments;
    }
    if (!writer->warning().empty())
        std::fprintf(stderr, "lumivane: soundtrack not usable (%s); the video is silent\n", writer->warning().c_str());
    out.sink = std::move(writer);
    return 0;
}

}  // namespace

int runOffline(const Options& options) {
    const bool render = options.mode == Options::Mode::Render;
    const bool video = options.mode == Options::Mode::Video;
    const int width = options.width, height = options.height;  // the pbuffer and every frame written
    platform::guardOutputs();
    platform::catchStopSignals();

    OfflineOutput out;
    if (int code = prepareOutput(options, width, height, out)) return code;

    platform::setMessageBoxesHeadless(true);
    platform::setAudioEnabled(false);
    platform::HeadlessGL context;
    if (!context.create(width, height)) {
        std::fprintf(stderr, "lumivane: no headless GL context: %s\n", context.error().c_str());
        return context.sizeRefused() ? kExitArguments : kExitIo;
    }
    std::fprintf(stderr, "GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::string pictureError;
    if (!fitPicture(width, height, std::max(1, options.ssaa), 0, pictureError)) {
        std::fprintf(stderr, "lumivane: %s\n", pictureError.c_str());
        return kExitArguments;
    }
    const PictureGeometry& picture = currentPicture();
    if (options.seeded) setDemoSeed(options.seed);
    demoClock.offset = options.fromMs;
    // Starting late: the first frame shows what the frames before it would have left behind.
    if (options.fromMs > 0) demoClock.rebuildStepMs = 1000.0 / options.fps;
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
    rebuildIfPending(options.fromMs);  // before the frames are timed

    std::string error;
    if (out.sink && !out.frames.start(width, height, out.sink.get(), error)) {
        std::fprintf(stderr, "lumivane: %s\n", error.c_str());
        releaseFont(demoApp.font);
        return 1;
    }

    const double step = 1000.0 / options.fps;
    const double to = options.toMs >= 0 ? std::min(options.toMs, kShowEnd) : kShowEnd;
    const long total = std::max(0L, static_cast<long>(std::ceil((to - options.fromMs) / step)));
    std::vector<std::vector<double>> frameMs(13);
    long glErrors = 0, drawn = 0;
    bool stopped = false;
    output::ProgressReporter progress(render ? "render" : video ? "video" : "bench", total);

    for (long k = 0; k < total; ++k) {
        const double t = options.fromMs + k * step;
        if (platform::stopRequested()) {
            stopped = true;
            break;
        }
        const auto frameStart = Clock::now();
        driveFrame(kBaseTime + k * step);
        if (!out.sink) {
            glFinish();  // the frame time of the drawing alone
            frameMs[sceneForTime(t) % 13].push_back(msSince(frameStart));
        }
        for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
            if (++glErrors <= 20) std::fprintf(stderr, "GL error 0x%04x at t = %.1f ms\n", e, t);
        }
        ++drawn;
        if (out.sink) {
            out.frames.captureFrame();
            if (out.frames.failed()) break;
        }
        progress.update(k + 1);
    }
    progress.finish();
    if (glErrors) std::fprintf(stderr, "GL errors: %ld\n", glErrors);

    int code = 0;
    if (out.sink) {
        const std::string& where = render ? options.renderDir : options.videoFile;
        // Stopped before the first frame: nothing is finished, and the run leaves nothing.
        const bool ok = drawn > 0 && out.frames.finish();
        const long written = drawn > 0 ? out.frames.framesWritten() : 0;
        std::string soundError;
        // The slice beside the frames holds the sound of the frames written, however the run ended.
        if (render && written > 0 && out.haveSound) {
            output::keepFrames(out.soundtrack, options.fromMs, written, options.fps);
            if (!out.directory.writeFile(
                    "soundtrack.wav", [&](std::FILE* file) { return output::writeWav(file, out.soundtrack); },
                    soundError))
                code = kExitIo;
        }
        if (render) out.directory.close(written > 0);
        if (drawn == 0) {
            std::fprintf(stderr, "lumivane: stopped by a signal before the first frame; nothing written\n");
            code = kExitStopped;
        } else if (!ok) {
            std::fprintf(stderr, "lumivane: %s\n", out.frames.error().c_str());
            if (render && written > 0)
                std::fprintf(stderr, "lumivane: %s holds the %ld frames written before\n", where.c_str(), written);
            code = kExitIo;
        } else if (code) {
            std::fprintf(stderr, "lumivane: %s\n", soundError.c_str());
        } else if (stopped) {
            std::fprintf(stderr, "lumivane: stopped by a signal at frame %ld of %ld; %s holds the %ld frames so far\n",
                         drawn, total, where.c_str(), written);
            code = kExitStopped;
        } else {
            std::fprintf(stderr, "wrote %ld frames into %s\n", written, where.c_str());
        }
    } else {
        std::printf("output %dx%d  picture %dx%d at %d,%d  drawn %dx%d  capture %dx%d  ssaa %d\n", width, height,
                    picture.width, picture.height, picture.left, picture.bottom, picture.drawWidth(),
                    picture.drawHeight(), picture.captureSize(), picture.captureSize(), picture.factor);
        std::printf("scene  frames  median ms  p95 ms\n");
        for (int s = 1; s <= 12; ++s) {
            if (frameMs[s].empty()) continue;
            std::printf("%5d  %6zu  %9.2f  %6.2f\n", s, frameMs[s].size(), percentile(frameMs[s], 0.5),
                        percentile(frameMs[s], 0.95));
        }
        std::printf("set-up: %.1f ms (font %.1f ms)\n", setupMs, fontMs);
        std::printf("peak memory: %.1f MB\n", peakResidentMb());
        if (stopped) {
            std::fprintf(stderr, "lumivane: stopped by a signal at frame %ld of %ld\n", drawn, total);
            code = kExitStopped;
        }
    }
    releaseFont(demoApp.font);
    releasePicture();
    return code;
}
