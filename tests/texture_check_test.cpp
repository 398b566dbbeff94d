// Textures as --check sees them: found where the loader finds them, format and size, the path
// through the loader, and the limits, without a GL.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model/texture_check.h"

namespace fs = std::filesystem;

namespace {

const fs::path peerFolder = fs::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo";

// A bitmap: 54 bytes of headers, then pixelBytes bytes of pixels.
void writeBitmap(const fs::path& path, int32_t width, int32_t height, uint16_t bits, std::size_t pixelBytes) {
    std::vector<uint8_t> b(54, 0);
    auto put32 = [&](std::size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i)); };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, uint32_t(54 + pixelBytes));
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = uint8_t(bits);
    b.resize(54 + pixelBytes, 0x40);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::string showPath(const fs::path& path) {
    std::string text = path.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

class TextureCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("lumivane-texture-check-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    TextureCheck check(const std::string& name, std::vector<std::string> alternatives = {}) {
        return checkTexture(MqoTextureRequest{0, showPath(dir / name), std::move(alternatives)});
    }
    fs::path dir;
};

}  // namespace

TEST_F(TextureCheckTest, TheDesignedPathAndTheConvertedOne) {
    writeBitmap(dir / "own.bmp", 64, 32, 32, 64 * 32 * 4);
    const TextureCheck own = check("own.bmp");
    EXPECT_EQ(own.format, "BMP 32-bit");
    EXPECT_TRUE(own.decoded && own.designedPath);
    EXPECT_EQ(own.width, 64);
    EXPECT_EQ(own.height, 32);
    EXPECT_TRUE(own.powerOfTwo());
    EXPECT_FALSE(own.tooLargeForCommonGL());

    // 3 x 5 at 24 bits: rows padded to 12 bytes.
    writeBitmap(dir / "rgb.bmp", 3, 5, 24, 12 * 5);
    const TextureCheck rgb = check("rgb.bmp");
    EXPECT_EQ(rgb.format, "BMP 24-bit");
    EXPECT_TRUE(rgb.decoded);
    EXPECT_FALSE(rgb.designedPath);
    EXPECT_EQ(rgb.width, 3);
    EXPECT_EQ(rgb.height, 5);
    EXPECT_FALSE(rgb.powerOfTwo());
}

TEST_F(TextureCheckTest, LimitsAndFaults) {
    // A designed bitmap wider than many GLs take, its pixels cut short.
    writeBitmap(dir / "wide.bmp", 8192, 2, 32, 100);
    const TextureCheck wide = check("wide.bmp");
    EXPECT_TRUE(wide.designedPath);
    EXPECT_FALSE(wide.decoded);
    EXPECT_FALSE(wide.reason.empty());
    EXPECT_EQ(wide.width, 8192);
    EXPECT_TRUE(wide.tooLargeForCommonGL());

    const TextureCheck missing = check("absent.bmp");
    EXPECT_TRUE(missing.hostFile.empty());
    EXPECT_FALSE(missing.decoded);

    std::ofstream(dir / "junk.png") << "not a picture";
    const TextureCheck junk = check("junk.png");
    EXPECT_FALSE(junk.hostFile.empty());
    EXPECT_FALSE(junk.decoded);
    EXPECT_EQ(junk.format, "unknown");
    EXPECT_FALSE(junk.reason.empty());
}

// Where the named file is missing, the first alternative that exists is the one found, and a name
// that differs only in case is found as the loader finds it.
TEST_F(TextureCheckTest, FoundWhereTheLoaderFindsIt) {
    writeBitmap(dir / "Second.BMP", 2, 2, 32, 16);
    const TextureCheck alt = check("first.bmp", {showPath(dir / "nothing.bmp"), showPath(dir / "second.bmp")});
    EXPECT_EQ(fs::path(alt.hostFile).filename(), "Second.BMP");
    EXPECT_TRUE(alt.decoded);
}

TEST(TextureCheckReal, PicturesOfOtherWriters) {
    if (!fs::is_directory(peerFolder)) GTEST_SKIP() << "no " << peerFolder;
    // Sizes as ImageMagick's identify gives them.
    struct Case {
        const char* file;
        const char* format;
        int32_t width, height;
    } cases[] = {{"medaka.jpg", "JPEG", 709, 299}, {"dice.png", "PNG", 1024, 128}, {"interceptor.bmp", "BMP 24-bit", 128, 128}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const TextureCheck t = checkTexture(MqoTextureRequest{0, showPath(peerFolder / c.file), {}});
        EXPECT_EQ(t.format, c.format);
        EXPECT_TRUE(t.decoded) << t.reason;
        EXPECT_FALSE(t.designedPath);
        EXPECT_EQ(t.width, c.width);
        EXPECT_EQ(t.height, c.height);
    }
}
