// Frames of the show drawn as the frame driver draws them, in the headless context, after one
// set-up with a fixed seed on the stand-in data (tests run in the build directory).
#pragma once
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "app/demo_app.h"
#include "app/frame_driver.h"
#include "app/gl_window.h"
#include "demo/demo_assets.h"
#include "demo/timeline.h"
#include "gl_fixture.h"
#include "platform/message_box.h"
#include "platform/png_image.h"

inline constexpr unsigned kTestSeed = 20030;

class ShowFrameTest : public GLTest {
protected:
    static void SetUpTestSuite() {
        GLTest::SetUpTestSuite();
        static bool ready = false;
        if (ready) return;
        ready = true;
        platform::MessageRecorder recorder;
        createFont(demoApp.font);
        setProjection(0, 0, 800, 600, 1.0, 10000.0);
        setDemoSeed(kTestSeed);
        const uint64_t swaps = demoApp.window.swapCount;
        drawScene(0, -2.0);  // the black frame, then set-up
        setupSwaps() = demoApp.window.swapCount - swaps;
        setupMessages() = recorder.messages();
    }
    void SetUp() override {
        GLTest::SetUp();
        setProjection(0, 0, 800, 600, 1.0, 10000.0);
    }
    static uint64_t& setupSwaps() {
        static uint64_t swaps = 0;
        return swaps;
    }
    static std::vector<platform::RecordedMessage>& setupMessages() {
        static std::vector<platform::RecordedMessage> messages;
        return messages;
    }

    // The driver's part of a frame around drawScene: clear, identity, light 0, push, draw, pop.
    static void drawDriven(int scene, double t) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        setupLights();
        glPushMatrix();
        drawScene(scene, t);
        glPopMatrix();
    }
    static std::vector<uint8_t> drawShowFrame(int scene, double t) {
        drawDriven(scene, t);
        EXPECT_EQ(glErrors(), 0u) << "scene " << scene << " at " << t;
        auto f = frame();
        if (const char* dir = std::getenv("LUMIVANE_TEST_FRAMES")) {
            savePng(f, std::string(dir) + "/scene" + std::to_string(scene) + "-" +
                           std::to_string(static_cast<long>(t)) + ".png");
        }
        return f;
    }
    // Fewest global operator new calls made while the frame at t is drawn, over three repeats
    // after a warm-up: our code allocates nothing, but the GL compiles a shader variant now and
    // then.
    static uint64_t allocationsOfFrame(int scene, double t) {
        drawDriven(scene, t);
        uint64_t fewest = UINT64_MAX;
        for (int n = 0; n < 3 && fewest > 0; ++n) {
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            setupLights();
            glPushMatrix();
            const uint64_t before = allocationCount();
            drawScene(scene, t);
            fewest = std::min(fewest, allocationCount() - before);
            glPopMatrix();
            glFinish();
        }
        return fewest;
    }
    static int litPixels(const std::vector<uint8_t>& f) {
        int n = 0;
        for (size_t i = 0; i < f.size(); i += 4) n += f[i] + f[i + 1] + f[i + 2] > 24;
        return n;
    }
    static int whitePixels(const std::vector<uint8_t>& f) {
        int n = 0;
        for (size_t i = 0; i < f.size(); i += 4) n += f[i] > 240 && f[i + 1] > 240 && f[i + 2] > 240;
        return n;
    }
    static int changedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
        int n = 0;
        for (size_t i = 0; i < a.size() && i < b.size(); i += 4) {
            n += std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) > 24;
        }
        return n;
    }
    // Lit pixels inside the box [x0, x1) x [y0, y1), y from the bottom.
    static int litIn(const std::vector<uint8_t>& f, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const uint8_t* p = &f[(y * 800 + x) * 4];
                n += p[0] + p[1] + p[2] > 24;
            }
        return n;
    }
    static double timeAt(int scene, double u) {
        const double start = scene == 1 ? 0 : kSceneEnds[scene - 2];
        return start + u * (kSceneEnds[scene - 1] - start);
    }
    // What the driver relies on after a scene: matrices and attributes balanced, no GL error.
    static void expectCleanState() {
        GLint depth = 0, viewport[4] = {};
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 0);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 800);
        EXPECT_EQ(viewport[3], 600);
        EXPECT_EQ(glErrors(), 0u);
    }
    static std::vector<uint8_t> textureImage(const EffectTexture& texture) {
        std::vector<uint8_t> texels(kCaptureSize * kCaptureSize * 4);
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return texels;
    }
    // Share of pixels with any colour channel above 16.
    static double litFraction(const std::vector<uint8_t>& rgba) {
        size_t lit = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            lit += std::max({rgba[i], rgba[i + 1], rgba[i + 2]}) > 16;
        return double(lit) / double(rgba.size() / 4);
    }
    // Mean brightness of an 8x8 grid over the picture (or over its lower-left corner).
    static std::vector<double> blockMeans(const std::vector<uint8_t>& rgba, int width, int height,
                                          int usedWidth = 0, int usedHeight = 0) {
        usedWidth = usedWidth ? usedWidth : width;
        usedHeight = usedHeight ? usedHeight : height;
        std::vector<double> sums(64, 0), counts(64, 0);
        for (int y = 0; y < usedHeight; ++y)
            for (int x = 0; x < usedWidth; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
                const int block = (y * 8 / usedHeight) * 8 + x * 8 / usedWidth;
                sums[block] += (p[0] + p[1] + p[2]) / 3.0;
                counts[block] += 1;
            }
        for (int b = 0; b < 64; ++b) sums[b] /= counts[b];
        return sums;
    }
    static double meanDifference(const std::vector<double>& a, const std::vector<double>& b) {
        double sum = 0;
        for (size_t i = 0; i < a.size(); ++i) sum += std::abs(a[i] - b[i]);
        return sum / double(a.size());
    }
    static void savePng(const std::vector<uint8_t>& f, const std::string& path) {
        std::vector<unsigned char> rgb(800 * 600 * 3);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                for (int c = 0; c < 3; ++c) rgb[((599 - y) * 800 + x) * 3 + c] = f[(y * 800 + x) * 4 + c];
        platform::writePng(path.c_str(), 800, 600, rgb.data());
    }
};
