// The stand-in data set that the build writes into ./data: the soundtrack's format, length and
// accents, every bitmap's headers against its pixel data, every model as the model inspector reads
// it, the size of the set, and that the generator writes the same bytes every time.
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
#include <regex>
#include <sstream>
#include <string>
#include <vector>

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

TEST(StandinModels, InspectorReadsEveryModelAsWritten) {
    const std::string inspector = tool("mqo-info");
    if (!fs::exists(inspector)) GTEST_SKIP() << "mqo-info is not built";
    auto counts = writtenCounts();
    const std::regex objectCount(R"("objectCount"\s*:\s*(\d+))"), materialCount(R"("materialCount"\s*:\s*(\d+))");
    const std::regex object(R"("vertexCount"\s*:\s*(\d+)\s*,\s*"faceCount"\s*:\s*(\d+))");
    const std::regex texture(R"re("texturePath"\s*:\s*"((?:[^"\\]|\\.)*)"\s*,\s*"textured"\s*:\s*(true|false))re");
    const std::regex noMessages(R"("messages"\s*:\s*\[\s*\])");
    for (const char* model : kModels) {
        SCOPED_TRACE(model);
        Outcome r = run("'" + inspector + "' '" + model + "'");
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(std::regex_search(r.output, noMessages)) << r.output;
        const std::vector<long>& written = counts[hostName(model)];
        ASSERT_GE(written.size(), 2u);
        std::smatch m;
        ASSERT_TRUE(std::regex_search(r.output, m, objectCount)) << r.output;
        EXPECT_EQ(std::stol(m[1]), written[0]);
        ASSERT_TRUE(std::regex_search(r.output, m, materialCount));
        EXPECT_EQ(std::stol(m[1]), written[1]);
        std::size_t k = 2;
        for (auto it = std::sregex_iterator(r.output.begin(), r.output.end(), object); it != std::sregex_iterator();
             ++it, k += 2) {
            ASSERT_LT(k + 1, written.size());
            EXPECT_EQ(std::stol((*it)[1]), written[k]) << "vertices of object " << (k - 2) / 2;
            EXPECT_EQ(std::stol((*it)[2]), written[k + 1]) << "faces of object " << (k - 2) / 2;
        }
        EXPECT_EQ(k, written.size());
        for (auto it = std::sregex_iterator(r.output.begin(), r.output.end(), texture); it != std::sregex_iterator(); ++it)
            if (!(*it)[1].str().empty()) EXPECT_EQ((*it)[2], "true") << (*it)[1];
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

}  // namespace
