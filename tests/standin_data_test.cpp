// The stand-in data set that the build writes into ./data: the soundtrack's format, length and
// accents, every bitmap's headers against its pixel data, every model as the model inspector reads
// it, the size of the set, that the generator writes the same bytes every time, and the models
// read and drawn by the show's own code where their scenes put them.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo/scene_sky_city.h"
#include "demo/scenes_opening.h"
#include "gl_fixture.h"
#include "model/mqo_model.h"
#include "platform/message_box.h"
#include "render/draw_variants.h"
#include "render/model_renderer.h"

namespace fs = std::filesystem;

namespace {

const fs::path kData = "data";

std::vector<uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, std::size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

std::string tool(const char* name) {
    const char* dir = std::getenv("LUMIVANE_TEST_TOOLS");
    return (fs::path(dir ? dir : ".") / name).string();
}

struct Outcome {
    int status = -1;
    std::string output;
};

Outcome run(const std::string& command) {
    Outcome result;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The fifteen models in load order, as the show names them.
const char* const kModels[] = {
    "data\\filter.mqo", "data\\hane2.mqo", "data\\sky.mqo", "data\\skytube.mqo", "data\\cloud.mqo",
    "data\\p_tamsel.mqo", "data\\p_zefra.mqo", "data\\bback.mqo", "data\\backbox.mqo", "data\\billm.mqo",
    "data\\mati\\f0.mqo", "data\\rot1.mqo", "data\\donut.mqo", "data\\hikari.mqo", "data\\toge.mqo",
};

// ---- soundtrack -------------------------------------------------------------------------------

class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wav_ = readAll(kData / "vorsa.wav"); }
    static double rms(double fromSeconds, double toSeconds, bool highPass) {
        std::size_t first = static_cast<std::size_t>(fromSeconds * 44100), last = static_cast<std::size_t>(toSeconds * 44100);
        double sum = 0;
        for (std::size_t i = std::max<std::size_t>(first, 1); i < last; ++i) {
            double v = sample(i) - (highPass ? sample(i - 1) : 0);
            sum += v * v;
        }
        return std::sqrt(sum / std::max<std::size_t>(last - first, 1));
    }
    static double sample(std::size_t frame) {  // left channel, -1 .. 1
        return static_cast<int16_t>(le16(wav_, 44 + frame * 4)) / 32768.0;
    }
    static std::vector<uint8_t> wav_;
};
std::vector<uint8_t> Soundtrack::wav_;

TEST_F(Soundtrack, IsSixteenBitStereoPcmAtTheShowsLength) {
    ASSERT_GE(wav_.size(), 44u);
    EXPECT_EQ(std::string(wav_.begin(), wav_.begin() + 4), "RIFF");
    EXPECT_EQ(le32(wav_, 4), wav_.size() - 8);
    EXPECT_EQ(std::string(wav_.begin() + 8, wav_.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(le32(wav_, 16), 16u);
    EXPECT_EQ(le16(wav_, 20), 1);  // PCM
    EXPECT_EQ(le16(wav_, 22), 2);
    EXPECT_EQ(le32(wav_, 24), 44100u);
    EXPECT_EQ(le32(wav_, 28), 44100u * 4);
    EXPECT_EQ(le16(wav_, 32), 4);
    EXPECT_EQ(le16(wav_, 34), 16);
    EXPECT_EQ(std::string(wav_.begin() + 36, wav_.begin() + 40), "data");
    EXPECT_EQ(le32(wav_, 40), wav_.size() - 44);
    EXPECT_EQ((wav_.size() - 44) % 4, 0u);
    EXPECT_GE((wav_.size() - 44) / 4.0 / 44100, 210.9);
}

TEST_F(Soundtrack, IsAudibleThroughoutAndNeverClips) {
    ASSERT_GT(wav_.size(), 44u + 211u * 44100 * 4);
    for (double second = 1; second < 209; second += 4) EXPECT_GT(rms(second, second + 1, false), 0.02) << second;
    int16_t peak = 0;
    for (std::size_t i = 44; i + 1 < wav_.size(); i += 2)
        peak = std::max<int16_t>(peak, static_cast<int16_t>(std::abs(static_cast<int16_t>(le16(wav_, i)))));
    EXPECT_LT(peak, 32000);
}

TEST_F(Soundtrack, EverySceneBoundaryCarriesAnAccent) {
    ASSERT_GT(wav_.size(), 44u + 211u * 44100 * 4);
    const double beats[] = {39.3, 71, 155, 187, 220, 223.5, 287, 350.8, 416, 479, 482, 492};
    for (double n : beats) {
        double at = n * 60.0 / 140.0;
        double before = rms(at - 0.3, at - 0.03, true), after = rms(at, at + 0.08, true);
        EXPECT_GT(after, 1.5 * before) << "boundary at beat " << n;
        EXPECT_GT(rms(at, at + 0.08, false), 1.3 * rms(at - 0.3, at - 0.03, false)) << "boundary at beat " << n;
    }
}

// ---- bitmaps ----------------------------------------------------------------------------------

TEST(StandinBitmaps, HeadersMatchTheirThirtyTwoBitPixelData) {
    int count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kData)) {
        if (entry.path().extension() != ".bmp") continue;
        ++count;
        std::vector<uint8_t> b = readAll(entry.path());
        SCOPED_TRACE(entry.path().string());
        ASSERT_GE(b.size(), 54u);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(le32(b, 2), b.size());
        EXPECT_EQ(le32(b, 10), 54u);
        EXPECT_EQ(le32(b, 14), 40u);
        const uint32_t width = le32(b, 18), height = le32(b, 22);
        EXPECT_GT(width, 0u);
        EXPECT_GT(height, 0u);
        EXPECT_EQ(width & (width - 1), 0u) << "width is a power of two";
        EXPECT_EQ(height & (height - 1), 0u) << "height is a power of two";
        EXPECT_EQ(le16(b, 26), 1);
        EXPECT_EQ(le16(b, 28), 32);
        EXPECT_EQ(le32(b, 30), 0u);
        EXPECT_EQ(le32(b, 34), width * height * 4);
        EXPECT_EQ(b.size(), 54u + static_cast<std::size_t>(width) * height * 4);
    }
    EXPECT_GE(count, 20);
}

// ---- models -----------------------------------------------------------------------------------

// standin-data.txt: the generator's own count of what it wrote, one model a line.
std::map<std::string, std::vector<long>> writtenCounts() {
    std::map<std::string, std::vector<long>> counts;
    std::ifstream in(kData / "standin-data.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string file, word;
        words >> file;
        std::vector<long> numbers;
        while (words >> word) {
            std::size_t slash = word.find('/');
            numbers.push_back(std::stol(word.substr(0, slash)));
            if (slash != std::string::npos) numbers.push_back(std::stol(word.substr(slash + 1)));
        }
        counts[file] = numbers;  // objects, materials, then vertices and faces per object
    }
    return counts;
}

std::string hostName(const std::string& showPath) {
    std::string name = showPath.substr(5);  // after "data\"
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

TEST(StandinModels, GeneratorListsAllFifteenWithTheirShapes) {
    auto counts = writtenCounts();
    ASSERT_EQ(counts.size(), 15u);
    long facesOf[15] = {};
    for (int i = 0; i < 15; ++i) {
        auto it = counts.find(hostName(kModels[i]));
        ASSERT_NE(it, counts.end()) << kModels[i];
        const std::vector<long>& c = it->second;
        ASSERT_EQ(c.size(), 2 + 2 * static_cast<std::size_t>(c[0]));
        EXPECT_GE(c[1], 1) << kModels[i] << " has a material";
        for (std::size_t k = 2; k < c.size(); k += 2) facesOf[i] += c[k + 1];
        EXPECT_GT(facesOf[i], 0) << kModels[i];
    }
    EXPECT_EQ(facesOf[1], 4) << "the feather: two faces each side, back to back";
    for (int portrait : {5, 6}) {
        EXPECT_GE(facesOf[portrait], 300);
        EXPECT_LE(facesOf[portrait], 4000);
        EXPECT_GE(counts[hostName(kModels[portrait])][1], 5) << "several colours";
    }
}

// Reading the inspector's JSON lines: the value after "key": at or after `from`, which moves past it.
std::string jsonValue(const std::string& text, const std::string& key, std::size_t& from) {
    std::size_t at = text.find("\"" + key + "\"", from);
    if (at == std::string::npos) {
        from = std::string::npos;
        return {};
    }
    at = text.find(':', at) + 1;
    while (at < text.size() && text[at] == ' ') ++at;
    std::size_t end = at;
    if (text[at] == '"') {
        for (end = at + 1; end < text.size() && text[end] != '"'; ++end)
            if (text[end] == '\\') ++end;
        ++end;
    } else if (text[at] == '[') {
        int depth = 0;
        do depth += text[end] == '[' ? 1 : (text[end] == ']' ? -1 : 0);
        while (depth > 0 && ++end < text.size());
        ++end;
    } else {
        while (end < text.size() && std::string(",}] ").find(text[end]) == std::string::npos) ++end;
    }
    from = end;
    return text.substr(at, end - at);
}

TEST(StandinModels, InspectorReadsEveryModelAsWritten) {
    const std::string inspector = tool("mqo-info");
    if (!fs::exists(inspector)) GTEST_SKIP() << "mqo-info is not built";
    auto counts = writtenCounts();
    for (const char* model : kModels) {
        SCOPED_TRACE(model);
        Outcome r = run("'" + inspector + "' '" + model + "'");
        EXPECT_EQ(r.status, 0) << r.output;
        const std::vector<long>& written = counts[hostName(model)];
        ASSERT_GE(written.size(), 2u);
        std::size_t at = 0;
        EXPECT_EQ(jsonValue(r.output, "objectCount", at), std::to_string(written[0]));
        at = 0;
        EXPECT_EQ(jsonValue(r.output, "materialCount", at), std::to_string(written[1]));
        at = 0;
        EXPECT_EQ(jsonValue(r.output, "messages", at), "[]");
        // Objects in order: vertices and faces as the generator wrote them.
        at = r.output.find("\"objects\"");
        std::size_t k = 2;
        for (std::string v; !(v = jsonValue(r.output, "vertexCount", at)).empty(); k += 2) {
            ASSERT_LT(k + 1, written.size());
            EXPECT_EQ(v, std::to_string(written[k])) << "vertices of object " << (k - 2) / 2;
            EXPECT_EQ(jsonValue(r.output, "faceCount", at), std::to_string(written[k + 1])) << "faces of object " << (k - 2) / 2;
        }
        EXPECT_EQ(k, written.size());
        // Every texture a material names was read.
        at = 0;
        for (std::string path; !(path = jsonValue(r.output, "texturePath", at)).empty();) {
            std::string textured = jsonValue(r.output, "textured", at);
            if (path != "\"\"") {
                EXPECT_EQ(textured, "true") << path;
            }
        }
    }
}

// ---- the set as a whole ---------------------------------------------------------------------------

TEST(StandinDataSet, StaysUnderSixtyMegabytes) {
    std::uintmax_t total = 0;
    for (const auto& entry : fs::recursive_directory_iterator(kData))
        if (entry.is_regular_file()) total += entry.file_size();
    EXPECT_LT(total, 60u * 1000 * 1000);
    EXPECT_GT(total, 37u * 1000 * 1000);  // the soundtrack alone is 37 MB
}

TEST(StandinDataSet, GeneratorWritesTheSameBytesEveryRun) {
    const fs::path again = fs::temp_directory_path() / ("lumivane-standin-" + std::to_string(getpid()));
    fs::remove_all(again);
    Outcome r = run("'" + tool("gen-data") + "' '" + again.string() + "' 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    int compared = 0;
    for (const auto& entry : fs::recursive_directory_iterator(again)) {
        if (!entry.is_regular_file()) continue;
        fs::path original = kData / fs::relative(entry.path(), again);
        EXPECT_TRUE(readAll(entry.path()) == readAll(original)) << original;
        ++compared;
    }
    EXPECT_GE(compared, 35);
    fs::remove_all(again);
}

TEST(StandinDataSet, GeneratorRefusesAnUnusableDirectory) {
    const fs::path file = fs::temp_directory_path() / ("lumivane-standin-file-" + std::to_string(getpid()));
    std::ofstream(file) << "not a directory";
    Outcome r = run("'" + tool("gen-data") + "' '" + (file / "data").string() + "' 2>&1");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("gen-data:"), std::string::npos) << r.output;
    EXPECT_EQ(run("'" + tool("gen-data") + "' 2>&1").status, 2);
    fs::remove(file);
}

// ---- the models where the show puts them (read and drawn by the show's own code) ----------------

class StandinScenes : public GLTest {
protected:
    // Each model read once, with no message.
    static const MqoModel& model(const char* path) {
        static std::map<std::string, std::unique_ptr<MqoModel>> models;
        auto& slot = models[path];
        if (!slot) {
            slot = std::make_unique<MqoModel>();
            platform::MessageRecorder recorder;
            slot->load(path);
            EXPECT_TRUE(recorder.messages().empty()) << path << ": " << recorder.messages().front().text;
        }
        return *slot;
    }
    void SetUp() override {
        GLTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        gluPerspective(60, 800.0 / 600.0, 1, 10000);
        glMatrixMode(GL_MODELVIEW);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
    }
    void clearFrame() {
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    static bool lit(const std::vector<uint8_t>& p) { return p[0] + p[1] + p[2] > 24; }
    // Share of the frame's pixels that are drawn (not black).
    static double coverage() {
        std::vector<uint8_t> f = frame();
        std::size_t drawn = 0;
        for (std::size_t i = 0; i < f.size(); i += 4) drawn += f[i] + f[i + 1] + f[i + 2] > 24;
        return double(drawn) / (f.size() / 4);
    }
    struct Box {
        double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
        double size(int axis) const { return hi[axis] - lo[axis]; }
    };
    static Box bounds(const MqoModel& m, int firstObject = 0, int lastObject = 1 << 30) {
        Box b;
        for (int o = firstObject; o < m.objectCount && o <= lastObject; ++o)
            for (int v = 0; v < m.objects[o].vertexCount; ++v) {
                const MqoVertex& p = m.objects[o].vertices[v];
                const double xyz[3] = {p.x, p.y, p.z};
                for (int a = 0; a < 3; ++a) {
                    b.lo[a] = std::min(b.lo[a], xyz[a]);
                    b.hi[a] = std::max(b.hi[a], xyz[a]);
                }
            }
        return b;
    }
};

TEST_F(StandinScenes, ModelsHaveTheSizesTheirScenesExpect) {
    Box filter = bounds(model("data\\filter.mqo"));
    EXPECT_NEAR(filter.size(0), 52, 6);
    EXPECT_NEAR(filter.size(2), 0, 1e-9) << "rings lie in the XY plane";
    EXPECT_NEAR(bounds(model("data\\hane2.mqo")).size(1), 1.0, 0.2);
    EXPECT_NEAR(bounds(model("data\\rot1.mqo")).size(0), 150, 20);
    EXPECT_NEAR(bounds(model("data\\donut.mqo")).size(0), 100, 10);
    EXPECT_NEAR(bounds(model("data\\hikari.mqo")).size(0), 300, 30);
    Box panel = bounds(model("data\\billm.mqo"));
    EXPECT_NEAR(panel.size(0), 300, 1);
    EXPECT_NEAR(panel.size(1), 220, 1);
    EXPECT_GT(panel.size(0) / 2, 170 * std::tan(M_PI / 6) * 4 / 3) << "covers the view at z = -170";
    Box disc = bounds(model("data\\bback.mqo"));
    EXPECT_NEAR(disc.size(0), 200, 2);
    Box tube = bounds(model("data\\skytube.mqo"));
    EXPECT_LE(tube.lo[2], -4000);
    EXPECT_GE(tube.hi[2], 4000);
    EXPECT_NEAR(tube.size(0), 600, 10);
    // Cloud puffs beside the axis and inside the tube, so that the turned copies spiral round it.
    const MqoObject& puffs = model("data\\cloud.mqo").objects[0];
    for (int v = 0; v < puffs.vertexCount; ++v) {
        double r = std::hypot(puffs.vertices[v].x, puffs.vertices[v].y);
        EXPECT_GT(r, 20);
        EXPECT_LT(r, 290);
    }
}

TEST_F(StandinScenes, SunburstFacesTheViewerThroughCulling) {
    const MqoModel& disc = model("data\\bback.mqo");
    clearFrame();
    glTranslated(0, 0, -100);
    drawModel(disc, true, true, true);
    EXPECT_GT(coverage(), 0.99) << "the disc fills the screen at z = -100";
    std::vector<uint8_t> centre = pixel(400, 300);
    EXPECT_GT(centre[0], 180);
    EXPECT_GT(centre[1], 160);
    clearFrame();
    glTranslated(0, 0, -100);
    glRotated(180, 0, 1, 0);
    drawModel(disc, true, true, true);
    EXPECT_LT(coverage(), 0.01) << "its back is culled";
}

TEST_F(StandinScenes, FeatherShowsBothSidesWhenCulled) {
    const MqoModel& feather = model("data\\hane2.mqo");
    for (double turn : {0.0, 180.0, 90.0}) {
        clearFrame();
        glTranslated(0, 0, -1.2);
        glRotated(turn, 0, 1, 0);
        drawModel(feather, true, true, true);
        double seen = coverage();
        if (turn == 90.0) {
            EXPECT_LT(seen, 0.05) << "edge on";
        } else {
            // The quad covers about 0.195 of the frame from here; its alpha cuts the outline out.
            EXPECT_GT(seen, 0.06) << "turned " << turn;
            EXPECT_LT(seen, 0.16) << "turned " << turn;
        }
    }
}

TEST_F(StandinScenes, SkyDomeAndTubeSurroundTheViewer) {
    const MqoModel& dome = model("data\\sky.mqo");
    const MqoModel& tube = model("data\\skytube.mqo");
    const double turns[6][4] = {{0, 0, 1, 0}, {90, 0, 1, 0}, {180, 0, 1, 0}, {270, 0, 1, 0}, {90, 1, 0, 0}, {-90, 1, 0, 0}};
    for (const auto& r : turns) {
        clearFrame();
        glRotated(r[0], r[1], r[2], r[3]);
        glTranslated(0, -5, 0);
        drawModel(dome, true, true, false);
        EXPECT_GT(coverage(), 0.999) << "dome, turned " << r[0];
        for (double u : {0.0, 0.5, 1.0}) {
            clearFrame();
            glRotated(r[0], r[1], r[2], r[3]);
            glTranslated(0, 0, 5000 * u - 3000);
            drawModel(tube, true, true, false);
            EXPECT_GT(coverage(), 0.999) << "tube at u = " << u << ", turned " << r[0];
        }
    }
}

TEST_F(StandinScenes, PortraitsStandUprightAtTheirPlace) {
    for (const char* path : {"data\\p_tamsel.mqo", "data\\p_zefra.mqo"}) {
        SCOPED_TRACE(path);
        const MqoModel& bust = model(path);
        // Turned as the scene turns it, the bust is 3 to 4 units tall and narrower than tall.
        Box upright;
        for (const MqoObject& o : bust.objects)
            for (int v = 0; v < o.vertexCount; ++v) {
                const MqoVertex& p = o.vertices[v];
                double a = 135 * M_PI / 180;
                const double xyz[3] = {p.x, p.y * std::cos(a) - p.z * std::sin(a), p.y * std::sin(a) + p.z * std::cos(a)};
                for (int k = 0; k < 3; ++k) {
                    upright.lo[k] = std::min(upright.lo[k], xyz[k]);
                    upright.hi[k] = std::max(upright.hi[k], xyz[k]);
                }
            }
        EXPECT_GE(upright.size(1), 3.0);
        EXPECT_LE(upright.size(1), 4.0);
        EXPECT_LT(upright.size(0), upright.size(1));
        EXPECT_LT(upright.size(2), upright.size(0));
        bool textured = false;
        for (const MqoMaterial& m : bust.materials) textured |= m.textureName != 0;
        EXPECT_FALSE(textured);
        // Settled where the word reel scene puts it: the lower right of the screen.
        clearFrame();
        glEnable(GL_LIGHTING);
        glTranslated(3, -2, -10);
        glRotated(-30, 0, 1, 0);
        glRotated(135, 1, 0, 0);
        drawModel(bust, true, false, false);
        glDisable(GL_LIGHTING);
        std::vector<uint8_t> f = frame();
        int left = 800, right = 0, bottom = 600, top = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                const uint8_t* p = &f[(y * 800 + x) * 4];
                if (p[0] + p[1] + p[2] <= 24) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::min(bottom, y);
                top = std::max(top, y);
            }
        EXPECT_GT(left, 400);
        EXPECT_LT(right, 800);
        EXPECT_LT(top, 360);
        EXPECT_GT(top - bottom, 120);
    }
}

// Every place an eye of the show passes, in the city model's coordinates.
std::vector<Vec3d> cityEyes() {
    std::vector<Vec3d> eyes;
    for (int k = 0; k < 2000; ++k) eyes.push_back(cityPathCamera(k / 2000.0).eye);
    for (int k = 0; k <= 1000; ++k) eyes.push_back(fogFlightCamera(k / 1000.0).eye);
    for (int k = 0; k <= 1000; ++k) {
        double t = k / 1000.0;
        Vec3d e = cityFlybyCamera(t).eye;
        if (t > 0.5) {  // the city turns under the camera: the eye turns back the other way
            double a = -(t - 0.5) * 540 * M_PI / 180;
            e = {e.x * std::cos(a) + e.z * std::sin(a), e.y, -e.x * std::sin(a) + e.z * std::cos(a)};
        }
        eyes.push_back(e);
    }
    return eyes;
}

TEST_F(StandinScenes, CityLeavesRoomForEveryCamera) {
    const MqoModel& city = model("data\\mati\\f0.mqo");
    ASSERT_EQ(city.objectCount, 5);  // sky, buildings, trees, suburbs, ground
    const std::vector<Vec3d> eyes = cityEyes();
    // No solid comes within 8 units of an eye.
    int faces = 0;
    for (int o = 1; o <= 3; ++o)
        for (int f = 0; f < city.objects[o].faceCount; ++f, ++faces) {
            const MqoFace& face = city.objects[o].faces[f];
            double lo[3] = {1e30, 1e30, 1e30}, hi[3] = {-1e30, -1e30, -1e30};
            for (int k = 0; k < face.vertexCount; ++k) {
                const MqoVertex& p = city.objects[o].vertices[face.vertexIndex[k]];
                const double xyz[3] = {p.x, p.y, p.z};
                for (int a = 0; a < 3; ++a) {
                    lo[a] = std::min(lo[a], xyz[a]);
                    hi[a] = std::max(hi[a], xyz[a]);
                }
            }
            for (const Vec3d& e : eyes) {
                const double xyz[3] = {e.x, e.y, e.z};
                double d2 = 0;
                for (int a = 0; a < 3; ++a) {
                    double d = std::max({lo[a] - xyz[a], 0.0, xyz[a] - hi[a]});
                    d2 += d * d;
                }
                ASSERT_GE(d2, 8.0 * 8.0) << "object " << o << " face " << f << " near eye (" << e.x << ", " << e.y << ", " << e.z << ")";
            }
        }
    EXPECT_GT(faces, 2000);
    // Every eye is above the ground and inside the sky.
    Box ground = bounds(city, 4, 4), sky = bounds(city, 0, 0);
    for (const Vec3d& e : eyes) {
        EXPECT_GT(e.y, ground.lo[1] + 5);
        EXPECT_LT(std::hypot(e.x, e.y - ground.lo[1], e.z), sky.size(0) / 2 - 100);
    }
    // The streets reach past the camera path at both ends and both sides.
    Box buildings = bounds(city, 1, 1);
    EXPECT_LT(buildings.lo[0], -450);
    EXPECT_GT(buildings.hi[0], 400);
    EXPECT_LT(buildings.lo[2], -150);
    EXPECT_GT(buildings.hi[2], 150);
}

TEST_F(StandinScenes, CameraPathAlwaysSeesTheWorld) {
    const MqoModel& city = model("data\\mati\\f0.mqo");
    for (double v : {0.0, 0.2, 0.3, 0.5, 0.7, 0.9}) {
        clearFrame();
        CameraPose pose = cityPathCamera(v);
        gluLookAt(pose.eye.x, pose.eye.y, pose.eye.z, pose.centre.x, pose.centre.y, pose.centre.z, 0, 1, 0);
        drawModel(city, true, true, false);
        EXPECT_GT(coverage(), 0.999) << "v = " << v;
    }
    for (double t : {0.0, 0.3, 0.6, 0.95}) {
        clearFrame();
        CameraPose pose = cityFlybyCamera(t);
        gluLookAt(pose.eye.x, pose.eye.y, pose.eye.z, pose.centre.x, pose.centre.y, pose.centre.z, 0, 1, 0);
        if (t > 0.5) glRotated((t - 0.5) * 540, 0, 1, 0);
        drawModel(city, true, true, false);
        EXPECT_GT(coverage(), 0.999) << "fly-by at " << t;
    }
}
}  // namespace
