// Material textures: a 32-bit bitmap file turned into a GL texture while the model loads.
#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "model/bitmap.h"
#include "model/mqo_model.h"
#include "platform/files.h"
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

}  // namespace

void MqoMaterial::setTexture(std::string path) {
    texturePath = std::move(path);
    loadTexture(texturePath);
}

void MqoMaterial::loadTexture(const std::string& path) {
    // Only a plain file is an image: a directory or a device would pass the open and then give
    // nonsense sizes or endless bytes.
    std::error_code error;
    const bool plainFile = std::filesystem::is_regular_file(platform::hostPath(path), error);
    std::FILE* file = plainFile ? platform::openFile(path.c_str(), "rb") : nullptr;
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
    // Ask the GL whether it can hold the picture before any state is touched.
    GLint proxyWidth = 0;
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &proxyWidth);
    if (proxyWidth == 0) {
        reportUnreadable(path, "size not accepted by OpenGL");
        return;
    }

    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLuint name = 0;
    glGenTextures(1, &name);
    textureName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 image.pixels.data());
    glDisable(GL_TEXTURE_2D);
}
