// What leaves the program: frames read back in order through the pixel-buffer pair and the
// worker, failures that stop the run, no allocation per frame, the soundtrack slice and its WAV
// file, the progress lines, and the video file's life (.part, rename, removal).
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "alloc_counter.h"
#include "gl_fixture.h"
#include "output/frame_directory.h"
#include "output/frame_output.h"
#include "output/png_frames.h"
#include "output/progress_reporter.h"
#include "output/soundtrack_slice.h"
#include "output/video_writer.h"

namespace fs = std::filesystem;

namespace {

// Frame k is cleared to (k, 255 - k, 7) with a (200, 100, 50) square in its bottom-left corner.
void drawNumberedFrame(int k) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(k / 255.0f, (255 - k) / 255.0f, 7 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 16, 16);
    glClearColor(200 / 255.0f, 100 / 255.0f, 50 / 255.0f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

// Records, for each frame, its number and two BGRA pixels: bottom-left and top-right.
class RecordingSink : public output::FrameSink {
public:
    struct Seen {
        long index;
        uint8_t corner[4], far[4];
    };
    std::vector<Seen> seen;
    long failAt = -1;
    int delayMs = 0;
    bool finished = false;

    bool writeFrame(const output::FrameView& f) override {
        if (delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        if (f.index == failAt) return false;
        Seen s{f.index, {}, {}};
        const size_t last = (static_cast<size_t>(f.height) * f.width - 1) * 4;
        for (int c = 0; c < 4; ++c) {
            s.corner[c] = f.pixels[c];
            s.far[c] = f.pixels[last + c];
        }
        seen.push_back(s);
        return true;
    }
    bool finish() override { return finished = true; }
    std::string error() const override { return "planted failure"; }
};

class FrameOutputTest : public GLTest {};

fs::path scratch(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("lumivane-output-test-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A stream whose contents can be read back: a file in the temporary directory (every C library
// has one, unlike open_memstream).
struct CapturedStream {
    fs::path path = scratch("stream") / "out.txt";
    std::FILE* file = std::fopen(path.string().c_str(), "w+b");
    ~CapturedStream() {
        if (file) std::fclose(file);
        fs::remove_all(path.parent_path());
    }
    std::string text() {
        std::fflush(file);
        std::string out(static_cast<size_t>(std::ftell(file)), '\0');
        std::rewind(file);
        out.resize(std::fread(out.data(), 1, out.size(), file));
        std::fseek(file, 0, SEEK_END);
        return out;
    }
};

}  // namespace

TEST_F(FrameOutputTest, HandsEveryFrameInOrderWithItsOwnPixelsEvenWhenTheWriterIsSlow) {
    for (int delay : {0, 15}) {
        RecordingSink sink;
        sink.delayMs = delay;
        output::FrameOutput out;
        std::string error;
        ASSERT_TRUE(out.start(800, 600, &sink, error)) << error;
        const int frames = 12;  // more than the queue and the buffer pair hold together
        for (int k = 0; k < frames; ++k) {
            drawNumberedFrame(k * 10);
            out.captureFrame();
        }
        ASSERT_TRUE(out.finish());
        EXPECT_TRUE(sink.finished);
        EXPECT_EQ(out.framesWritten(), frames);
        ASSERT_EQ(sink.seen.size(), static_cast<size_t>(frames));
        for (int k = 0; k < frames; ++k) {
            const auto& s = sink.seen[k];
            EXPECT_EQ(s.index, k);
            // BGRA, bottom row first: the square is at the start, the clear colour at the end.
            EXPECT_EQ(s.corner[0], 50);
            EXPECT_EQ(s.corner[1], 100);
            EXPECT_EQ(s.corner[2], 200);
            EXPECT_EQ(s.far[0], 7) << "frame " << k;
            EXPECT_EQ(s.far[1], 255 - k * 10) << "frame " << k;
            EXPECT_EQ(s.far[2], k * 10) << "frame " << k;
        }
    }
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(FrameOutputTest, LeavesTheBindingsItFoundAndReadsTheDefaultFramebuffer) {
    RecordingSink sink;
    output::FrameOutput out;
    std::string error;
    ASSERT_TRUE(out.start(800, 600, &sink, error)) << error;
    drawNumberedFrame(30);
    glPixelStorei(GL_PACK_ALIGNMENT, 2);
    out.captureFrame();
    GLint alignment = 0, pack = -1;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(0x88ED /* GL_PIXEL_PACK_BUFFER_BINDING */, &pack);
    EXPECT_EQ(alignment, 2);
    EXPECT_EQ(pack, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // A plain glReadPixels still reads client memory after a capture.
    EXPECT_EQ(pixel(799, 599)[0], 30);
    ASSERT_TRUE(out.finish());
    ASSERT_EQ(sink.seen.size(), 1u);
    EXPECT_EQ(sink.seen[0].far[2], 30);
}

TEST_F(FrameOutputTest, AWriterFailureStopsTheRunWithItsReason) {
    RecordingSink sink;
    sink.failAt = 3;
    output::FrameOutput out;
    std::string error;
    ASSERT_TRUE(out.start(800, 600, &sink, error)) << error;
    int k = 0;
    for (; k < 40 && !out.failed(); ++k) {
        drawNumberedFrame(k);
        out.captureFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_LT(k, 40);
    EXPECT_FALSE(out.finish());
    EXPECT_TRUE(out.failed());
    EXPECT_EQ(out.error(), "planted failure");
    EXPECT_EQ(out.framesWritten(), 3);
    EXPECT_FALSE(sink.finished);  // a failed run does not finish its container
}

TEST_F(FrameOutputTest, AllocatesNothingPerFrameOnceRunning) {
    const fs::path dir = scratch("alloc");
    platform::PcmSound sound;
    sound.rate = 44100;
    sound.channels = 2;
    sound.bytes.assign(44100 * 4, 0);
    for (int png = 0; png < 2; ++png) {
        output::FrameDirectory frames;
        std::unique_ptr<output::FrameSink> sink;
        auto video = std::make_unique<output::VideoWriter>();
        if (png) {
            std::string error;
            ASSERT_TRUE(frames.open(dir.string(), false, error)) << error;
            sink = std::make_unique<output::PngFrameSink>(frames, 800, 600);
        } else {
            output::VideoSettings settings;
            settings.path = (dir / "a.mkv").string();
            settings.fps = 30;
            settings.audio = &sound;
            std::string error;
            ASSERT_TRUE(video->open(settings, error)) << error;
            sink = std::move(video);
        }
        output::FrameOutput out;
        std::string error;
        ASSERT_TRUE(out.start(800, 600, sink.get(), error)) << error;
        for (int k = 0; k < 8; ++k) {
            drawNumberedFrame(k);
            out.captureFrame();
        }
        while (out.framesWritten() < 6) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const uint64_t before = allocationCount();
        for (int k = 8; k < 24; ++k) {
            drawNumberedFrame(k);
            out.captureFrame();
        }
        while (out.framesWritten() < 22) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(allocationCount(), before) << (png ? "PNG frames" : "video");
        ASSERT_TRUE(out.finish()) << out.error();
    }
    EXPECT_TRUE(fs::exists(dir / "frame-000023.png"));
    EXPECT_TRUE(fs::exists(dir / "a.mkv"));
    fs::remove_all(dir);
}

TEST(PngFrames, TurnsBottomUpBgraIntoTopDownRgb) {
    // 2 x 2: bottom row (1,2,3)(4,5,6), top row (7,8,9)(10,11,12) as RGB.
    const unsigned char bgra[] = {3, 2, 1, 0, 6, 5, 4, 0, 9, 8, 7, 0, 12, 11, 10, 0};
    unsigned char rgb[12] = {};
    output::bgraBottomUpToRgb(bgra, 2, 2, rgb);
    const unsigned char expected[] = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::vector<unsigned char>(rgb, rgb + 12), std::vector<unsigned char>(expected, expected + 12));
}

TEST(SoundtrackSlice, CutsSampleExactHalfOpenRanges) {
    EXPECT_EQ(output::sampleAt(40000, 44100), 1764000u);
    EXPECT_EQ(output::sampleAt(1000.0 / 3, 48000), 16000u);
    EXPECT_EQ(output::sampleAt(0.011, 44100), 0u);   // 0.485 samples
    EXPECT_EQ(output::sampleAt(0.0114, 44100), 1u);  // 0.503 samples
    EXPECT_EQ(output::sampleAt(-5, 44100), 0u);

    auto numbered = [](size_t frames) {
        platform::PcmSound s;
        s.format = platform::PcmSound::Format::S16;
        s.rate = 1000;  // one frame per millisecond
        s.channels = 2;
        for (size_t i = 0; i < frames; ++i)
            for (int c = 0; c < 2; ++c) {
                const uint16_t v = static_cast<uint16_t>(i * 2 + c);
                s.bytes.push_back(v & 0xff);
                s.bytes.push_back(v >> 8);
            }
        return s;
    };
    auto frameValue = [](const platform::PcmSound& s, size_t i) { return s.bytes[i * 4] | s.bytes[i * 4 + 1] << 8; };
    platform::PcmSound s = numbered(100);
    output::cutSlice(s, 10, 25);
    ASSERT_EQ(s.frames(), 15u);
    EXPECT_EQ(frameValue(s, 0), 20);       // frame 10, left
    EXPECT_EQ(frameValue(s, 14), 24 * 2);  // frame 24: the end is not included
    platform::PcmSound tail = numbered(100);
    output::cutSlice(tail, 90, 5000);
    EXPECT_EQ(tail.frames(), 10u);
    platform::PcmSound past = numbered(100);
    output::cutSlice(past, 200, 300);
    EXPECT_EQ(past.frames(), 0u);
}

TEST(SoundtrackSlice, WavFilesReadBackAsWritten) {
    const fs::path dir = scratch("wav");
    using F = platform::PcmSound::Format;
    for (F format : {F::U8, F::S16, F::S32, F::F32}) {
        platform::PcmSound s;
        s.format = format;
        s.rate = 22050;
        s.channels = 3;
        for (size_t i = 0; i < s.frameBytes() * 301; ++i) s.bytes.push_back(static_cast<uint8_t>(i * 37 + 11));
        if (format == F::F32)  // keep the floats finite and small
            for (size_t i = 3; i < s.bytes.size(); i += 4) s.bytes[i] = 0x3e;
        std::string error;
        const std::string path = (dir / "s.wav").string();
        ASSERT_TRUE(output::writeWav(path.c_str(), s, error)) << error;
        platform::PcmSound back;
        ASSERT_TRUE(platform::loadWav(path.c_str(), back, error)) << error;
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.rate, 22050);
        EXPECT_EQ(back.channels, 3);
        EXPECT_EQ(back.bytes, s.bytes);
    }
    std::FILE* f = std::fopen((dir / "bad.wav").string().c_str(), "wb");
    std::fputs("RIFF....WAVEfmt nonsense", f);
    std::fclose(f);
    platform::PcmSound bad;
    std::string error;
    EXPECT_FALSE(platform::loadWav((dir / "bad.wav").string().c_str(), bad, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(output::writeWav((dir / "none" / "s.wav").string().c_str(), bad, error));
    fs::remove_all(dir);
}

TEST(ProgressReporter, PlainLinesAtEveryFivePercentAndOneUpdatingLineOnATerminal) {
    for (long total : {1000L, 7L}) {
        CapturedStream capture;
        output::ProgressReporter plain("video", total, capture.file, false);
        for (long done = 1; done <= total; ++done) plain.update(done);
        plain.finish();
        const std::string out = capture.text();
        size_t lines = 0;
        for (char c : out) lines += c == '\n';
        EXPECT_EQ(lines, total == 1000 ? 20u : 7u) << out;
        EXPECT_EQ(out.find('\r'), std::string::npos);
        EXPECT_NE(out.find("video frame " + std::to_string(total) + "/" + std::to_string(total) + "  100 %"),
                  std::string::npos) << out;
        if (total == 1000) {
            EXPECT_NE(out.find("frame 50/1000    5 %"), std::string::npos) << out;
        }
    }
    CapturedStream capture;
    output::ProgressReporter live("render", 50, capture.file, true);
    for (long done = 1; done <= 50; ++done) live.update(done);
    EXPECT_EQ(capture.text().find('\n'), std::string::npos);
    live.finish();
    const std::string out = capture.text();
    EXPECT_EQ(out.front(), '\r');
    EXPECT_EQ(out.back(), '\n');
    EXPECT_NE(out.find("render frame 50/50  100 %"), std::string::npos) << out;
}

TEST(VideoWriter, WritesThroughAPartFileAndLeavesNothingWhenItFails) {
    const fs::path dir = scratch("video");
    output::VideoSettings settings;
    std::string error;
    settings.path = (dir / "a.avi").string();
    EXPECT_FALSE(output::VideoWriter().open(settings, error));
    settings.path = (dir / "missing" / "a.mp4").string();
    EXPECT_FALSE(output::VideoWriter().open(settings, error));
    EXPECT_NE(error.find("missing: No such file"), std::string::npos) << error;

    settings.path = (dir / "a.mp4").string();
    settings.width = 64;
    settings.height = 48;
    std::vector<uint8_t> pixels(64 * 48 * 4, 128);
    {
        output::VideoWriter abandoned;
        ASSERT_TRUE(abandoned.open(settings, error)) << error;
        EXPECT_TRUE(fs::exists(dir / "a.mp4.part"));
        EXPECT_TRUE(abandoned.writeFrame({pixels.data(), 64, 48, 0})) << abandoned.error();
    }
    EXPECT_FALSE(fs::exists(dir / "a.mp4.part"));  // an unfinished video is removed
    EXPECT_FALSE(fs::exists(dir / "a.mp4"));
    // A soundtrack AAC cannot carry (1234 Hz) makes a silent video with a warning.
    platform::PcmSound odd;
    odd.rate = 1234;
    odd.channels = 1;
    odd.bytes.assign(2000, 0);
    settings.audio = &odd;
    output::VideoWriter writer;
    ASSERT_TRUE(writer.open(settings, error)) << error;
    EXPECT_NE(writer.warning().find("1234"), std::string::npos) << writer.warning();
    for (long k = 0; k < 5; ++k) ASSERT_TRUE(writer.writeFrame({pixels.data(), 64, 48, k})) << writer.error();
    ASSERT_TRUE(writer.finish()) << writer.error();
    EXPECT_EQ(writer.frames(), 5);
    EXPECT_TRUE(fs::exists(dir / "a.mp4"));
    EXPECT_FALSE(fs::exists(dir / "a.mp4.part"));
    fs::remove_all(dir);
}
