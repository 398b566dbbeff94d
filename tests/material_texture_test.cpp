// Material textures: bitmap bytes to GL texels, the state left behind, and refused images.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <iterator>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gl_fixture.h"
#include "model/bitmap.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "model/texture_cache.h"
#include "platform/message_box.h"
#include "platform/png_image.h"

namespace {

struct BitmapLayout {
    int32_t width = 2;
    int32_t height = 2;
    uint16_t bitCount = 32;
    uint32_t compression = 0;
    uint32_t infoSize = 40;
    uint32_t pixelOffset = 54;
    const char* mark = "BM";
};

void put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> makeBitmap(const BitmapLayout& layout, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> bytes(layout.pixelOffset, 0);
    bytes[0] = uint8_t(layout.mark[0]);
    bytes[1] = uint8_t(layout.mark[1]);
    put32(bytes, 2, uint32_t(layout.pixelOffset + pixels.size()));
    put32(bytes, 10, layout.pixelOffset);
    put32(bytes, 14, layout.infoSize);
    put32(bytes, 18, uint32_t(layout.width));
    put32(bytes, 22, uint32_t(layout.height));
    bytes[26] = 1;
    bytes[28] = uint8_t(layout.bitCount);
    put32(bytes, 30, layout.compression);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

// Rows of a 2 by 2 picture as stored bottom-up: the first four-byte groups are the bottom row.
const std::vector<uint8_t> picture = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160};

class MaterialTexture : public GLTest {
protected:
    static std::filesystem::path dir() {
        static const auto path = std::filesystem::temp_directory_path() / "lumivane-texture-test";
        std::filesystem::create_directories(path);
        return path;
    }
    // Writes the bytes and returns the file's path in the show's backslash form.
    static std::string write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir() / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                             std::streamsize(bytes.size()));
        std::string path = (dir() / name).string();
        for (char& c : path)
            if (c == '/') c = '\\';
        return path;
    }
    static std::vector<uint8_t> texels(uint32_t name, int width, int height) {
        std::vector<uint8_t> out(std::size_t(width * height * 4));
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }
};

}  // namespace

TEST_F(MaterialTexture, BytesBecomeTexelsInFileOrderWithoutFlipping) {
    std::vector<uint8_t> bytes = makeBitmap({}, picture);
    bytes.insert(bytes.end(), {1, 2, 3, 4, 5});  // bytes after the pixels are ignored
    MqoMaterial material;
    platform::MessageRecorder recorder;
    material.setTexture(write("plain.bmp", bytes));
    EXPECT_TRUE(recorder.messages().empty());
    ASSERT_NE(material.texture(), 0u);
    EXPECT_NE(material.texturePath.find("plain.bmp"), std::string::npos);
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, material.texture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(texels(material.texture(), 2, 2), picture);  // 10, 20, 30, 40 is red 10 ... alpha 40
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(MaterialTexture, LeavesTexturingOffTheNewTextureBoundAndAlignmentOne) {
    const std::string path = write("state.bmp", makeBitmap({}, picture));
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    MqoMaterial material;
    material.loadTexture(path);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, alignment = 0, mag = 0, min = 0, wrapS = 0, wrapT = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(GLuint(bound), material.texture());
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(min, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);
}

TEST_F(MaterialTexture, TopDownFileGivesTheSameTextureAsBottomUp) {
    std::vector<uint8_t> topDownPixels(picture.begin() + 8, picture.end());
    topDownPixels.insert(topDownPixels.end(), picture.begin(), picture.begin() + 8);
    BitmapLayout topDown;
    topDown.height = -2;
    MqoMaterial material;
    material.loadTexture(write("topdown.bmp", makeBitmap(topDown, topDownPixels)));
    ASSERT_NE(material.texture(), 0u);
    EXPECT_EQ(texels(material.texture(), 2, 2), picture);
}

TEST_F(MaterialTexture, PixelDataStartsWhereTheFileHeaderSays) {
    // A 124-byte information header with channel masks: the pixels start at 138.
    BitmapLayout large;
    large.infoSize = 124;
    large.pixelOffset = 138;
    large.compression = 3;
    MqoMaterial material;
    material.loadTexture(write("v5.bmp", makeBitmap(large, picture)));
    ASSERT_NE(material.texture(), 0u);
    EXPECT_EQ(texels(material.texture(), 2, 2), picture);
}

TEST_F(MaterialTexture, RefusedImagesGiveTheMessageWithTheReasonAndNoTexture) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    BitmapLayout rle, wide, notBm, zero;
    rle.compression = 1;
    wide.width = maxSize + 1;
    wide.height = 1;
    notBm.mark = "PN";
    zero.width = 0;
    const std::vector<uint8_t> shortPixels(picture.begin(), picture.end() - 1);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string reason;
    } cases[] = {
        // A 32-bit run-length file is no bitmap the decoder takes either.
        {"rle.bmp", makeBitmap(rle, picture), "cannot decode: "},
        {"short.bmp", makeBitmap({}, shortPixels), "shorter than its header says"},
        {"headers.bmp", std::vector<uint8_t>(53, 'B'), "not an image format that textures take"},
        {"wide.bmp", makeBitmap(wide, {}), "larger than the GL maximum texture size " + std::to_string(maxSize)},
        {"png.bmp", makeBitmap(notBm, picture), "not an image format that textures take"},
        {"zero.bmp", makeBitmap(zero, picture), "bad image size"},
    };
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::MessageRecorder recorder;
        const std::string path = write(c.name, c.bytes);
        MqoMaterial material;
        material.setTexture(path);
        EXPECT_EQ(material.texture(), 0u);
        EXPECT_EQ(material.texturePath, path);
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].caption, "エラー");
        EXPECT_EQ(recorder.messages()[0].text.rfind("画像が読みこめません。:" + path + " (" + c.reason, 0), 0u)
            << recorder.messages()[0].text;
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));  // nothing touched
    }
    glDisable(GL_TEXTURE_2D);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(MaterialTexture, DirectoriesAndDevicesAreNotImages) {
    platform::MessageRecorder recorder;
    MqoMaterial material;
    std::string directory = dir().string();
    for (char& c : directory)
        if (c == '/') c = '\\';
    material.loadTexture(directory);
    material.loadTexture("\\dev\\zero");
    EXPECT_EQ(material.texture(), 0u);
    ASSERT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(recorder.messages()[0].text, "画像が読みこめません。:" + directory);
    EXPECT_EQ(recorder.messages()[1].text, "画像が読みこめません。:\\dev\\zero");
}

TEST_F(MaterialTexture, MissingImageIsReportedForEveryMaterialThatNamesIt) {
    platform::MessageRecorder recorder;
    MqoModel model;
    const std::string text = "Material 2 {\n\"a\" tex(\"gone.bmp\")\n\"b\" tex(\"gone.bmp\")\n}\nEof\n";
    std::istringstream in(text);
    readModel(model, in, "data\\m.mqo", text.size());
    ASSERT_EQ(recorder.messages().size(), 2u);
    for (const auto& message : recorder.messages()) {
        EXPECT_EQ(message.caption, "エラー");
        EXPECT_EQ(message.text, "画像が読みこめません。:data\\gone.bmp");
    }
    EXPECT_EQ(model.materials[0].texture(), 0u);
    EXPECT_EQ(model.materials[1].texture(), 0u);
}

TEST_F(MaterialTexture, EveryMaterialMakesItsOwnTextureAndClearingDeletesNone) {
    const std::string path = write("shared.bmp", makeBitmap({}, picture));
    const std::string modelPath = path.substr(0, path.rfind('\\') + 1) + "m.mqo";
    const std::string text = "Material 2 {\n\"a\" tex(\"shared.bmp\")\n\"b\" col(1 1 1 1) tex(\"shared.bmp\")\n}\nEof\n";
    MqoModel model;
    std::istringstream in(text);
    platform::MessageRecorder recorder;
    readModel(model, in, modelPath.c_str(), text.size());
    EXPECT_TRUE(recorder.messages().empty());
    const uint32_t first = model.materials[0].texture(), second = model.materials[1].texture();
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    EXPECT_NE(first, second);
    MqoMaterial copy = model.materials[1];
    EXPECT_EQ(copy.texture(), second);
    model.clear();
    EXPECT_TRUE(glIsTexture(first));
    EXPECT_TRUE(glIsTexture(second));
}

TEST(BitmapParse, HeaderSizesFarBeyondTheDataAreRefused) {
    BitmapImage image;
    std::string reason;
    for (const auto& [width, height] : std::vector<std::pair<int32_t, int32_t>>{
             {INT32_MAX, INT32_MAX}, {INT32_MAX, -INT32_MAX}, {65536, 65536}, {1, INT32_MIN}, {-1, 1}}) {
        BitmapLayout layout;
        layout.width = width;
        layout.height = height;
        const auto bytes = makeBitmap(layout, picture);
        EXPECT_FALSE(parseBitmap(bytes.data(), bytes.size(), image, reason)) << width << "x" << height;
        EXPECT_FALSE(reason.empty());
        EXPECT_TRUE(image.pixels.empty());
    }
    BitmapLayout small, beyond;
    small.infoSize = 12;
    beyond.pixelOffset = 54;
    auto bytes = makeBitmap(small, picture);
    EXPECT_FALSE(parseBitmap(bytes.data(), bytes.size(), image, reason));
    EXPECT_EQ(reason, "unsupported bitmap header");
    bytes = makeBitmap(beyond, picture);
    put32(bytes, 10, uint32_t(bytes.size() + 1));
    EXPECT_FALSE(parseBitmap(bytes.data(), bytes.size(), image, reason));
    EXPECT_EQ(reason, "pixel data offset outside the file");
    EXPECT_FALSE(parseBitmap(nullptr, 0, image, reason));
}

// ---- images of other formats ---------------------------------------------------------------------

namespace {

// A 3 by 2 picture, top row first: red, green, blue / yellow, white, black.
const uint8_t pictureRgb[2][3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                                     {{255, 255, 0}, {255, 255, 255}, {0, 0, 0}}};

// The texels the picture must give: the bottom row first (t = 0), alpha 255.
std::vector<uint8_t> uprightTexels() {
    std::vector<uint8_t> out;
    for (int row = 1; row >= 0; --row)
        for (int x = 0; x < 3; ++x) {
            out.insert(out.end(), pictureRgb[row][x], pictureRgb[row][x] + 3);
            out.push_back(255);
        }
    return out;
}

// The picture as a 24-bit bitmap: rows bottom up, each B G R and padded to four bytes.
std::vector<uint8_t> bitmap24() {
    std::vector<uint8_t> pixels;
    for (int row = 1; row >= 0; --row) {
        for (int x = 0; x < 3; ++x) pixels.insert(pixels.end(), {pictureRgb[row][x][2], pictureRgb[row][x][1], pictureRgb[row][x][0]});
        pixels.insert(pixels.end(), 3, 0);
    }
    BitmapLayout layout;
    layout.width = 3;
    layout.bitCount = 24;
    return makeBitmap(layout, pixels);
}

// The picture as an 8-bit bitmap with a colour table, run-length encoded when asked.
std::vector<uint8_t> bitmap8(bool rle) {
    std::vector<uint8_t> table;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 3; ++x) table.insert(table.end(), {pictureRgb[row][x][2], pictureRgb[row][x][1], pictureRgb[row][x][0], 0});
    std::vector<uint8_t> pixels;
    for (int row = 1; row >= 0; --row) {
        const uint8_t first = uint8_t(row * 3);
        if (rle) {
            pixels.insert(pixels.end(), {1, first, 1, uint8_t(first + 1), 1, uint8_t(first + 2), 0, 0});
        } else {
            pixels.insert(pixels.end(), {first, uint8_t(first + 1), uint8_t(first + 2), 0});
        }
    }
    if (rle) pixels.back() = 1;  // the last line end is the end of the picture
    BitmapLayout layout;
    layout.width = 3;
    layout.bitCount = 8;
    layout.compression = rle ? 1 : 0;
    layout.pixelOffset = 54 + uint32_t(table.size());
    std::vector<uint8_t> bytes = makeBitmap(layout, {});
    std::copy(table.begin(), table.end(), bytes.begin() + 54);
    put32(bytes, 46, 6);  // colours used
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    put32(bytes, 2, uint32_t(bytes.size()));
    return bytes;
}

// The picture as an uncompressed 32-bit TGA stored bottom up, with alpha 128.
std::vector<uint8_t> targa() {
    std::vector<uint8_t> bytes(18, 0);
    bytes[2] = 2;
    bytes[12] = 3;
    bytes[14] = 2;
    bytes[16] = 32;
    bytes[17] = 8;  // eight alpha bits, origin bottom left
    for (int row = 1; row >= 0; --row)
        for (int x = 0; x < 3; ++x) bytes.insert(bytes.end(), {pictureRgb[row][x][2], pictureRgb[row][x][1], pictureRgb[row][x][0], 128});
    return bytes;
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(MaterialTexture, OtherFormatsAreUploadedUprightInTheirColours) {
    // A PNG written by the frame writer, top row first.
    std::vector<uint8_t> rgb;
    for (const auto& row : pictureRgb)
        for (const auto& p : row) rgb.insert(rgb.end(), p, p + 3);
    ASSERT_TRUE(platform::writePng((dir() / "picture.png").string().c_str(), 3, 2, rgb.data()));
    std::vector<uint8_t> alphaTexels = uprightTexels();
    for (std::size_t i = 3; i < alphaTexels.size(); i += 4) alphaTexels[i] = 128;
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> expected;
    } cases[] = {
        {"picture.png", readBytes(dir() / "picture.png"), uprightTexels()},
        {"bits24.bmp", bitmap24(), uprightTexels()},
        {"bits8.bmp", bitmap8(false), uprightTexels()},
        {"rle8.bmp", bitmap8(true), uprightTexels()},
        {"alpha.tga", targa(), alphaTexels},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::MessageRecorder recorder;
        MqoMaterial material;
        material.setTexture(write(c.name, c.bytes));
        EXPECT_TRUE(recorder.messages().empty()) << recorder.messages().front().text;
        ASSERT_NE(material.texture(), 0u);
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, material.texture());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        EXPECT_EQ(width, 3);  // not a power of two: kept where the GL takes it
        EXPECT_EQ(height, 2);
        EXPECT_EQ(texels(material.texture(), 3, 2), c.expected);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(MaterialTexture, JpegOfTheRealFilesDecodesInItsColours) {
    const auto jpeg = std::filesystem::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo" / "medaka.jpg";
    if (!std::filesystem::exists(jpeg)) GTEST_SKIP() << "no " << jpeg;
    platform::MessageRecorder recorder;
    MqoMaterial material;
    material.setTexture(write("medaka.jpg", readBytes(jpeg)));
    EXPECT_TRUE(recorder.messages().empty());
    ASSERT_NE(material.texture(), 0u);
    GLint width = 0, height = 0;
    glBindTexture(GL_TEXTURE_2D, material.texture());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 709);
    EXPECT_EQ(height, 299);
    // The fish's eye, dark, lies 4/10 of the way up from the bottom near the left edge; the
    // water above and below it is a dull grey-brown, not black.
    const std::vector<uint8_t> all = texels(material.texture(), width, height);
    auto at = [&](int x, int y) { return all.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 4; };
    const uint8_t* eye = at(95, 299 - 152);
    EXPECT_LT(eye[0] + eye[1] + eye[2], 120);
    const uint8_t* water = at(95, 299 - 20);
    EXPECT_GT(water[0] + water[1] + water[2], 120);
    EXPECT_EQ(eye[3], 255);
}

TEST_F(MaterialTexture, HugeOrCutShortImagesGiveOneMessageEach) {
    std::vector<uint8_t> png = readBytes(dir() / "picture.png");
    if (png.size() < 33) {
        std::vector<uint8_t> rgb(18, 200);
        ASSERT_TRUE(platform::writePng((dir() / "picture.png").string().c_str(), 3, 2, rgb.data()));
        png = readBytes(dir() / "picture.png");
    }
    std::vector<uint8_t> huge = png;
    for (int i : {16, 20}) {  // IHDR width and height: 100000
        huge[std::size_t(i)] = 0;
        huge[std::size_t(i) + 1] = 0x01;
        huge[std::size_t(i) + 2] = 0x86;
        huge[std::size_t(i) + 3] = 0xA0;
    }
    std::vector<uint8_t> jpeg;
    const auto real = std::filesystem::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo" / "medaka.jpg";
    if (std::filesystem::exists(real)) jpeg = readBytes(real);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"huge.png", huge, "decoded size 100000x100000 (10000000000 pixels) is over the cap"},
        {"cut.png", std::vector<uint8_t>(png.begin(), png.begin() + std::ptrdiff_t(png.size() / 2)), "cannot decode: "},
        {"cut.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(jpeg.size() / 2)), "cut short"},
    };
    for (const auto& c : cases) {
        if (c.bytes.empty()) continue;
        SCOPED_TRACE(c.name);
        platform::MessageRecorder recorder;
        MqoMaterial material;
        const std::string path = write(c.name, c.bytes);
        material.setTexture(path);
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].text.rfind("画像が読みこめません。:" + path + " (" + c.reason, 0), 0u)
            << recorder.messages()[0].text;
        EXPECT_EQ(material.texture(), 0u);
    }
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(MaterialTexture, ImagesAreFoundAsTheDataAuthorsFoundThem) {
    namespace fs = std::filesystem;
    const fs::path root = dir() / "find";
    fs::remove_all(root);
    fs::create_directories(root / "Model" / "Tex");
    const std::vector<uint8_t> image = makeBitmap({}, picture);
    std::ofstream(root / "Model" / "Tex" / "Skin.BMP", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 70);
    std::ofstream(root / "Model" / "bare.bmp", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 70);
    std::ofstream(root / "Model" / fs::path(u8"テクスチャ.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 70);
    std::string model = (root / "model" / "m.mqo").string();  // the model's directory in another case
    for (char& c : model)
        if (c == '/') c = '\\';
    // "テクスチャ" in code page 932.
    const std::string cp932 = "\x83\x65\x83\x4E\x83\x58\x83\x60\x83\x83";
    const std::string text = "Material 4 {\n\"a\" tex(\"tex\\skin.bmp\")\n\"b\" tex(\"E:\\work\\bare.bmp\")\n"
                             "\"c\" tex(\"" + cp932 + ".bmp\")\n\"d\" tex(\"..\\Model\\TEX\\skin.bmp\")\n}\nEof\n";
    std::ofstream(root / "Model" / "m.mqo") << text;
    platform::MessageRecorder recorder;
    MqoModel m;
    m.load(model.c_str());
    EXPECT_TRUE(recorder.messages().empty()) << recorder.messages().front().text;
    ASSERT_EQ(m.materials.size(), 4u);
    for (const MqoMaterial& material : m.materials) {
        SCOPED_TRACE(material.texturePath);
        EXPECT_NE(material.texture(), 0u);
        if (material.texture()) {
            EXPECT_EQ(texels(material.texture(), 2, 2), picture);
        }
    }
    // The path the material keeps is the one the file gave, found or not.
    EXPECT_EQ(m.materials[1].texturePath, model.substr(0, model.size() - 5) + "E:\\work\\bare.bmp");
    // With "CodePage utf8" names are not converted, so the code page 932 name is not found.
    std::ofstream(root / "Model" / "m.mqo") << "CodePage utf8\n" << text;
    MqoModel utf8;
    utf8.load(model.c_str());
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(utf8.materials[2].texture(), 0u);
}

// While a texture cache lives (the show's set-up, the viewer, mqo-info), a file is decoded once.
TEST_F(MaterialTexture, MaterialsNamingOneFileShareOneDecodeAndOneExplanation) {
    const std::string path = write("once.bmp", makeBitmap({}, picture));
    std::filesystem::remove(dir() / "alias.bmp");
    std::filesystem::create_symlink(dir() / "once.bmp", dir() / "alias.bmp");
    const std::string alias = path.substr(0, path.rfind('\\') + 1) + "alias.bmp";
    const std::string gone = path.substr(0, path.rfind('\\') + 1) + "gone.bmp";
    platform::MessageRecorder recorder;
    TextureCache cache;
    std::vector<MqoMaterial> materials(10);
    testing::internal::CaptureStderr();
    for (std::size_t i = 0; i < materials.size(); ++i) materials[i].setTexture(i % 2 ? alias : path);
    std::vector<MqoMaterial> missing(3);
    for (MqoMaterial& m : missing) m.setTexture(gone);
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_EQ(cache.filesRead(), 1);
    ASSERT_NE(materials[0].texture(), 0u);
    for (const MqoMaterial& m : materials) EXPECT_EQ(m.texture(), materials[0].texture());
    EXPECT_EQ(texels(materials[9].texture(), 2, 2), picture);
    // The designed box for every material that names the missing file; the line with the host
    // path and the reason once.
    ASSERT_EQ(recorder.messages().size(), 3u);
    for (const auto& message : recorder.messages()) EXPECT_EQ(message.text, "画像が読みこめません。:" + gone);
    const std::string line = (dir() / "gone.bmp").string() + ": No such file or directory\n";
    EXPECT_EQ(stderrText, "  " + line) << stderrText;
}

TEST_F(MaterialTexture, TexturesTogetherStayWithinTheBudget) {
    // Room for two 2 x 2 pictures of 16 bytes each, not three.
    const std::string a = write("a.bmp", makeBitmap({}, picture));
    const std::string b = write("b.bmp", makeBitmap({}, picture));
    const std::string c = write("c.bmp", makeBitmap({}, picture));
    platform::MessageRecorder recorder;
    TextureCache cache(32);
    MqoMaterial ma, mb, mc, again;
    testing::internal::CaptureStderr();
    ma.setTexture(a);
    mb.setTexture(b);
    mc.setTexture(c);
    again.setTexture(a);  // already made: costs nothing
    const std::string stderrText = testing::internal::GetCapturedStderr();
    EXPECT_NE(ma.texture(), 0u);
    EXPECT_NE(mb.texture(), 0u);
    EXPECT_EQ(mc.texture(), 0u);
    EXPECT_EQ(again.texture(), ma.texture());
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text.rfind("画像が読みこめません。:" + c + " (", 0), 0u);
    EXPECT_NE(stderrText.find("c.bmp: 2x2 takes 1 MB, over the 1 MB all textures may take together (0 MB left)"),
              std::string::npos)
        << stderrText;
}

TEST_F(MaterialTexture, TheDesignedBitmapIsHeldToThePixelCapBeforeItsPixelsAreRead) {
    // A complete 16384 x 16384 32-bit bitmap (a gigabyte, sparse on disk): over the cap of
    // 2^26 pixels, refused from its header.
    BitmapLayout huge;
    huge.width = 16384;
    huge.height = 16384;
    const std::string path = write("huge.bmp", makeBitmap(huge, {}));
    std::filesystem::resize_file(dir() / "huge.bmp", 54 + uint64_t(16384) * 16384 * 4);
    platform::MessageRecorder recorder;
    MqoMaterial material;
    testing::internal::CaptureStderr();
    material.setTexture(path);
    const std::string stderrText = testing::internal::GetCapturedStderr();
    std::filesystem::remove(dir() / "huge.bmp");
    EXPECT_EQ(material.texture(), 0u);
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_NE(stderrText.find("huge.bmp: decoded size 16384x16384 (268435456 pixels) is over the cap of 67108864"),
              std::string::npos)
        << stderrText;
}
