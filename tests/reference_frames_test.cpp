// Reference frames: fixed moments of every scene, rendered by the program's own offline path
// (`lumivane --render` with a fixed seed on the stand-in data, fixed time step), compared with the
// stored pictures in tests/reference/. A reference is a 200x150 thumbnail, each pixel the mean of
// a 4x4 square of the 800x600 frame; from it the test also takes the means of 20x20 blocks of
// the full frame. Tolerance: no block mean may move by more than kBlockTolerance levels in any
// channel, and no more than kThumbPixelsAllowed thumbnail pixels by more than kThumbTolerance.
//
// A failure writes the frame, the reference, the new thumbnail and a difference picture into
// <build>/reference-frames/failed/ and names the blocks that differ. With
// LUMIVANE_UPDATE_REFERENCES=1 the test writes the references instead
// (scripts/update-reference-frames.sh). LUMIVANE_REFERENCE_SCENES=3,10 checks those scenes only.
#include <gtest/gtest.h>

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/frame_driver.h"  // kSceneEnds
#include "platform/png_image.h"

#ifndef LUMIVANE_REFERENCE_DIR
#error "LUMIVANE_REFERENCE_DIR must name tests/reference"
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr int kThumbScale = 4;  // thumbnail pixel = mean of 4x4 frame pixels
constexpr int kThumbWidth = kWidth / kThumbScale, kThumbHeight = kHeight / kThumbScale;
constexpr int kBlock = 5;  // thumbnail pixels per block side: 20x20 frame pixels
constexpr int kBlocksX = kThumbWidth / kBlock, kBlocksY = kThumbHeight / kBlock;
constexpr double kBlockTolerance = 1.5;
constexpr int kThumbTolerance = 16;
constexpr int kThumbPixelsAllowed = 12;
constexpr unsigned kSeed = 1;

// A run of the program: frames at scene progress u0, u0 + du, ... (count frames) of one scene.
// The moments avoid the exact bounds of a scene's steps, where a rounding could pick either side.
struct RenderRun {
    int scene;
    double u0, du;
    int count;
    const char* why;
};
const RenderRun kRuns[] = {
    {1, 0.12, 0.10, 9, "each title step; the name's glow at strengths 0.02, 0.52, 0.78, 0.28"},
    {2, 0.07, 0.16, 6, "both camera paths into the fog; the subtitle fading in"},
    {3, 0.004, 1, 1, "the opening flash over the reels at 0"},
    {3, 0.125, 0.145, 7, "sweeping glows of the three title windows, every portrait step, the end"},
    {3, 0.635, 1, 1, "the second portrait re-forming, away from the middle of its step, where forming and "
                     "breaking apart look the same"},
    {4, 0.019, 1, 1, "the flash fading, one trail pass"},
    {4, 0.15, 0.20, 5, "all five trail passes, the tube and the cloud rings turning"},
    {5, 0.024, 1, 1, "the first half's flash fading"},
    {5, 0.15, 0.15, 6, "both halves with all five trails"},
    {5, 0.4975, 1, 1, "the end of the first half, no trails"},
    {5, 0.5225, 1, 1, "second half's flash"},
    {6, 0.08, 0.165, 6, "the spinning zoom growing, up to the flash meeting it at 0.905"},
    {6, 0.895, 0.09, 2, "just before the flash and late in it"},
    {7, 0.15, 0.14, 6, "fly-by with all five trails, the camera path with its glow"},
    {7, 0.93, 1, 1, "the closing flash over the path"},
    {8, 0.005, 1, 1, "flash"},
    {8, 0.15, 0.12, 7, "reels spelling, the wheel before, in and after its surge"},
    {9, 0.1, 0.25, 4, "word cloud and the spinning backdrop's glow"},
    {10, 0.065, 0.15, 7, "recap of scenes 9, 5 and 7 shrinking, the credits plate"},
    {11, 0.05, 0.225, 5, "the grey strip widening past the edges and narrowing"},
    {12, 0.5, 1, 1, "black"},
};

double sceneStart(int scene) { return scene == 1 ? 0.0 : kSceneEnds[scene - 2]; }
double sceneLength(int scene) { return kSceneEnds[scene - 1] - sceneStart(scene); }

std::string momentName(int scene, double u) {
    char name[32];
    std::snprintf(name, sizeof name, "s%02d-u%04d", scene, static_cast<int>(std::lround(u * 10000)));
    return name;
}

struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // top row first
    unsigned char at(int x, int y, int c) const { return rgb[(size_t(y) * width + x) * 3 + c]; }
};

bool readPng(const std::string& path, Image& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    image.width = int(png.width);
    image.height = int(png.height);
    image.rgb.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    return true;
}

bool writeImage(const std::string& path, const Image& image) {
    return platform::writePng(path.c_str(), image.width, image.height, image.rgb.data());
}

Image thumbnail(const Image& frame) {
    Image t{kThumbWidth, kThumbHeight, std::vector<unsigned char>(kThumbWidth * kThumbHeight * 3)};
    for (int y = 0; y < kThumbHeight; ++y)
        for (int x = 0; x < kThumbWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < kThumbScale; ++dy)
                    for (int dx = 0; dx < kThumbScale; ++dx)
                        sum += frame.at(x * kThumbScale + dx, y * kThumbScale + dy, c);
                t.rgb[(size_t(y) * kThumbWidth + x) * 3 + c] =
                    static_cast<unsigned char>((sum + kThumbScale * kThumbScale / 2) / (kThumbScale * kThumbScale));
            }
    return t;
}

double blockMean(const Image& thumb, int bx, int by, int c) {
    int sum = 0;
    for (int y = by * kBlock; y < (by + 1) * kBlock; ++y)
        for (int x = bx * kBlock; x < (bx + 1) * kBlock; ++x) sum += thumb.at(x, y, c);
    return sum / double(kBlock * kBlock);
}

// What differs between a new thumbnail and its reference; empty when within tolerance.
std::string compare(const Image& now, const Image& ref, Image& difference) {
    std::ostringstream out;
    difference = Image{kThumbWidth, kThumbHeight, std::vector<unsigned char>(now.rgb.size())};
    int changedPixels = 0;
    for (size_t i = 0; i < now.rgb.size(); ++i) {
        const int d = std::abs(int(now.rgb[i]) - int(ref.rgb[i]));
        difference.rgb[i] = static_cast<unsigned char>(std::min(255, d * 4));
        if (i % 3 == 0) {
            int worst = 0;
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(int(now.rgb[i + c]) - int(ref.rgb[i + c])));
            changedPixels += worst > kThumbTolerance;
        }
    }
    int changedBlocks = 0;
    for (int by = 0; by < kBlocksY; ++by)
        for (int bx = 0; bx < kBlocksX; ++bx) {
            double worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(blockMean(now, bx, by, c) - blockMean(ref, bx, by, c)));
            if (worst <= kBlockTolerance) continue;
            if (++changedBlocks <= 12) {
                const int x0 = bx * kBlock * kThumbScale, y0 = by * kBlock * kThumbScale;
                char line[200];
                std::snprintf(line, sizeof line,
                              "  block (%d, %d), pixels x %d..%d, y %d..%d from the top: reference "
                              "(%.1f, %.1f, %.1f), now (%.1f, %.1f, %.1f)\n",
                              bx, by, x0, x0 + kBlock * kThumbScale - 1, y0, y0 + kBlock * kThumbScale - 1,
                              blockMean(ref, bx, by, 0), blockMean(ref, bx, by, 1), blockMean(ref, bx, by, 2),
                              blockMean(now, bx, by, 0), blockMean(now, bx, by, 1), blockMean(now, bx, by, 2));
                out << line;
            }
        }
    if (changedBlocks == 0 && changedPixels <= kThumbPixelsAllowed) return "";
    std::ostringstream head;
    head << changedBlocks << " of " << kBlocksX * kBlocksY << " blocks differ by more than "
         << kBlockTolerance << ", " << changedPixels << " thumbnail pixels by more than " << kThumbTolerance
         << " (allowed " << kThumbPixelsAllowed << ")\n";
    return head.str() + out.str();
}

class ReferenceFrames : public ::testing::Test {
protected:
    static fs::path buildDir() {
        const char* dir = std::getenv("LUMIVANE_TEST_TOOLS");
        return dir ? fs::path(dir) : fs::current_path();
    }
    // Renders the run's frames into dir with the program itself; the frame paths in order.
    static std::vector<fs::path> render(const RenderRun& run, const fs::path& dir) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const double length = sceneLength(run.scene);
        const double from = sceneStart(run.scene) + run.u0 * length;
        const double step = run.du * length;
        const double to = from + (run.count - 1 + 0.5) * step;
        char command[1024];
        std::snprintf(command, sizeof command,
                      "cd '%s' && ./lumivane --render '%s' --from %.17g --to %.17g --fps %.17g --seed %u "
                      "> '%s/log.txt' 2>&1",
                      buildDir().c_str(), dir.c_str(), from, to, 1000.0 / step, kSeed, dir.c_str());
        const int status = std::system(command);
        EXPECT_EQ(status, 0) << command << "\n(see " << (dir / "log.txt").string() << ")";
        std::vector<fs::path> frames;
        for (int k = 0; k < run.count; ++k) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%06d.png", k);
            frames.push_back(dir / name);
        }
        return frames;
    }
};

TEST(ReferenceMoments, EveryScenePicturedAtLeastFourTimes) {
    int perScene[13] = {};
    for (const RenderRun& run : kRuns) perScene[run.scene] += run.count;
    for (int s = 1; s <= 11; ++s) EXPECT_GE(perScene[s], 4) << "scene " << s;
}

TEST_F(ReferenceFrames, MatchTheStoredPictures) {
    const bool update = std::getenv("LUMIVANE_UPDATE_REFERENCES") != nullptr;
    const fs::path refDir = LUMIVANE_REFERENCE_DIR;
    const fs::path outDir = buildDir() / "reference-frames";
    const fs::path failedDir = outDir / "failed";
    fs::remove_all(failedDir);
    if (update) fs::create_directories(refDir);
    // LUMIVANE_REFERENCE_SCENES="5,6,10" limits the runs to those scenes, for quick iteration.
    const char* only = std::getenv("LUMIVANE_REFERENCE_SCENES");
    auto wanted = [&](int scene) {
        if (!only) return true;
        std::istringstream list(only);
        std::string item;
        while (std::getline(list, item, ','))
            if (std::atoi(item.c_str()) == scene) return true;
        return false;
    };
    int compared = 0, written = 0;
    for (size_t r = 0; r < std::size(kRuns); ++r) {
        const RenderRun& run = kRuns[r];
        if (!wanted(run.scene)) continue;
        const std::vector<fs::path> frames = render(run, outDir / ("run" + std::to_string(r)));
        for (int k = 0; k < run.count; ++k) {
            const std::string name = momentName(run.scene, run.u0 + k * run.du);
            SCOPED_TRACE(name + ": " + run.why);
            Image frame;
            ASSERT_TRUE(readPng(frames[k].string(), frame)) << "no frame " << frames[k];
            ASSERT_EQ(frame.width, kWidth);
            ASSERT_EQ(frame.height, kHeight);
            const Image thumb = thumbnail(frame);
            const fs::path refPath = refDir / (name + ".png");
            if (update) {
                ASSERT_TRUE(writeImage(refPath.string(), thumb)) << refPath;
                ++written;
                continue;
            }
            Image ref;
            ASSERT_TRUE(readPng(refPath.string(), ref))
                << "no reference " << refPath << ": run scripts/update-reference-frames.sh";
            ASSERT_EQ(ref.width, kThumbWidth);
            ASSERT_EQ(ref.height, kThumbHeight);
            Image difference;
            const std::string report = compare(thumb, ref, difference);
            ++compared;
            if (report.empty()) continue;
            fs::create_directories(failedDir);
            fs::copy_file(frames[k], failedDir / (name + "-frame.png"), fs::copy_options::overwrite_existing);
            writeImage((failedDir / (name + "-thumbnail.png")).string(), thumb);
            writeImage((failedDir / (name + "-reference.png")).string(), ref);
            writeImage((failedDir / (name + "-difference.png")).string(), difference);
            ADD_FAILURE() << name << " differs from its reference (pictures in " << failedDir.string()
                          << "):\n" << report;
        }
    }
    if (update) {
        std::printf("wrote %d references into %s\n", written, refDir.c_str());
    } else {
        EXPECT_GT(compared, 0);
    }
}

}  // namespace
