// Material textures: an image file turned into a GL texture while the model loads. The show's
// own 32-bit uncompressed bitmaps are uploaded byte for byte as they stand; every other image is
// decoded to RGBA and uploaded upright (its bottom row at t = 0, as a bitmap's first row is).
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "model/bitmap.h"
#include "model/model_paths.h"
#include "model/mqo_model.h"
#include "platform/files.h"
#include "platform/image_decoder.h"
#include "platform/message_box.h"

namespace {

const char* const textureCaption = "エラー";
const char* const cannotReadText = "画像が読みこめません。:";

void reportUnreadable(const std::string& path, const std::string& reason) {
    std::string text = cannotReadText + path;
    if (!reason.empty()) text += " (" + reason + ")";
    platform::messageBox(text.c_str(), textureCaption);
}

int32_t littleEndianI32(const uint8_t* p) {
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

// Reads at most limit bytes of an open plain file (the whole file when it is smaller).
std::vector<uint8_t> readFileStart(std::FILE* file, uint64_t limit) {
    std::vector<uint8_t> bytes;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    if (size <= 0) return bytes;
    bytes.resize(std::size_t(std::min<uint64_t>(uint64_t(size), limit)));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return bytes;
}

int32_t powerOfTwoAtMost(int32_t n) {
    int32_t p = 1;
    while (p * 2 <= n && p < (1 << 30)) p *= 2;
    return p;
}

// Textures of any size where the GL has them (2.0 and later, or the extension); otherwise the
// picture is scaled to the nearest powers of two.
bool glTakesAnySize() {
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && version[0] >= '2' && version[0] <= '9') return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two");
}

// Whether the GL can hold a width x height RGBA texture, asked before any state is touched.
bool glAccepts(int32_t width, int32_t height) {
    GLint proxyWidth = 0;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    return proxyWidth != 0;
}

// The upload of the design: texturing on, unpack alignment 1, a new name, linear filters, level 0
// as RGBA bytes, texturing off again.
uint32_t upload(int32_t width, int32_t height, const uint8_t* pixels) {
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glDisable(GL_TEXTURE_2D);
    return name;
}

// The designed path: a 32-bit uncompressed bitmap, its bytes as they stand.
void loadOwnBitmap(MqoMaterial& material, const std::string& path, const std::vector<uint8_t>& bytes,
                   GLint maxSize) {
    BitmapImage image;
    std::string reason;
    const bool parsed = parseBitmap(bytes.data(), bytes.size(), image, reason);
    // A picture beyond the GL's limit is named as such, whether or not its pixels were all there
    // (they are never read past the limit).
    if (bytes.size() >= 26 && (parsed || reason == "shorter than its header says")) {
        const int64_t width = littleEndianI32(bytes.data() + 18);
        const int64_t height = littleEndianI32(bytes.data() + 22);
        if (width > maxSize || height > maxSize || -height > maxSize) {
            reportUnreadable(path, "larger than the GL maximum texture size " + std::to_string(maxSize));
            return;
        }
    }
    if (!parsed) {
        reportUnreadable(path, reason);
        return;
    }
    if (!glAccepts(image.width, image.height)) {
        reportUnreadable(path, "size not accepted by OpenGL");
        return;
    }
    material.textureName = upload(image.width, image.height, image.pixels.data());
}

// Every other image: decoded, turned upright, scaled where the GL needs it.
void loadDecodedImage(MqoMaterial& material, const std::string& path, const std::vector<uint8_t>& bytes,
                      GLint maxSize) {
    platform::RgbaImage image;
    std::string reason;
    if (!platform::decodeImage(bytes.data(), bytes.size(), image, reason)) {
        reportUnreadable(path, reason);
        return;
    }
    // Decoded rows run top down; the texture's first row is the picture's bottom one.
    const std::size_t rowBytes = std::size_t(image.width) * 4;
    std::vector<uint8_t> upright(image.pixels.size());
    for (int32_t y = 0; y < image.height; ++y)
        std::memcpy(upright.data() + rowBytes * std::size_t(y),
                    image.pixels.data() + rowBytes * std::size_t(image.height - 1 - y), rowBytes);
    int32_t width = image.width, height = image.height;
    if (!glTakesAnySize()) {
        width = powerOfTwoAtMost(width);
        height = powerOfTwoAtMost(height);
    }
    const int32_t limit = std::max<GLint>(maxSize, 1);
    while ((width > limit || height > limit || !glAccepts(width, height)) && (width > 1 || height > 1)) {
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    if (width != image.width || height != image.height) {
        std::vector<uint8_t> scaled(std::size_t(width) * std::size_t(height) * 4);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (gluScaleImage(GL_RGBA, image.width, image.height, GL_UNSIGNED_BYTE, upright.data(), width, height,
                          GL_UNSIGNED_BYTE, scaled.data()) != 0) {
            reportUnreadable(path, "cannot scale the picture to a size OpenGL takes");
            return;
        }
        upright = std::move(scaled);
    }
    if (!glAccepts(width, height)) {
        reportUnreadable(path, "size not accepted by OpenGL");
        return;
    }
    material.textureName = upload(width, height, upright.data());
}

// A 32-bit uncompressed bitmap: the one format the show's own data uses.
bool isOwnBitmap(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 34 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t infoSize = uint32_t(littleEndianI32(bytes.data() + 14));
    const int bitCount = bytes[28] | bytes[29] << 8;
    const uint32_t compression = uint32_t(littleEndianI32(bytes.data() + 30));
    return infoSize >= 40 && bitCount == 32 && (compression == 0 || compression == 3);
}

}  // namespace

void MqoMaterial::setTexture(std::string path, const std::vector<std::string>& alternatives) {
    texturePath = std::move(path);
    loadTexture(texturePath, alternatives);
}

void MqoMaterial::loadTexture(const std::string& path, const std::vector<std::string>& alternatives) {
    // Only a plain file is an image: a directory or a device would pass the open and then give
    // nonsense sizes or endless bytes.
    std::string host = findDataFile(path);
    for (std::size_t i = 0; host.empty() && i < alternatives.size(); ++i) host = findDataFile(alternatives[i]);
    std::FILE* file = host.empty() ? nullptr : platform::openHostFile(host, "rb");
    if (!file) {
        reportUnreadable(path, "");
        return;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    // Headers, a colour table or masks, and the largest picture the GL takes; more is never read.
    const uint64_t limit = uint64_t(65536) + uint64_t(std::max(maxSize, 0)) * uint64_t(std::max(maxSize, 0)) * 4;
    const std::vector<uint8_t> bytes = readFileStart(file, limit);
    std::fclose(file);
    if (isOwnBitmap(bytes))
        loadOwnBitmap(*this, path, bytes, maxSize);
    else
        loadDecodedImage(*this, path, bytes, maxSize);
}
