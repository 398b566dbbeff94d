// Material textures: an image file turned into a GL texture while the model loads. The show's
// own 32-bit uncompressed bitmaps are uploaded byte for byte as they stand; every other image is
// decoded to RGBA and uploaded upright (its bottom row at t = 0, as a bitmap's first row is).
// What a header declares is checked against the GL, one pixel cap and the texture budget before
// the pixels are read, and against the data the file holds before they are decoded.
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "model/bitmap.h"
#include "model/model_paths.h"
#include "model/mqo_model.h"
#include "model/texture_cache.h"
#include "platform/files.h"
#include "platform/image_decoder.h"
#include "platform/input_files.h"
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

// The size of an open file; -1 when it cannot be told.
long fileSize(std::FILE* file) {
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::rewind(file);
    return size;
}

// Reads at most limit bytes from the start of an open plain file.
std::vector<uint8_t> readFileStart(std::FILE* file, long size, uint64_t limit) {
    std::vector<uint8_t> bytes;
    if (size <= 0) return bytes;
    std::rewind(file);
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

// The designed path: a 32-bit uncompressed bitmap, its bytes as they stand. Returns the texture,
// or 0 with the reason.
uint32_t loadOwnBitmap(const std::vector<uint8_t>& bytes, std::string& reason) {
    BitmapImage image;
    if (!parseBitmap(bytes.data(), bytes.size(), image, reason)) return 0;
    if (!glAccepts(image.width, image.height)) {
        reason = "size not accepted by OpenGL";
        return 0;
    }
    return upload(image.width, image.height, image.pixels.data());
}

// Every other image: decoded, turned upright, scaled where the GL needs it. Returns the texture
// (width x height) or 0 with the reason.
uint32_t loadDecodedImage(const std::vector<uint8_t>& bytes, GLint maxSize, std::string& reason, int32_t& width,
                          int32_t& height) {
    platform::RgbaImage image;
    if (!platform::decodeImage(bytes.data(), bytes.size(), image, reason)) return 0;
    // Decoded rows run top down; the texture's first row is the picture's bottom one. Swapped in
    // place: a picture may be a quarter of a gigabyte.
    const std::size_t rowBytes = std::size_t(image.width) * 4;
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = 0, z = image.height - 1; y < z; ++y, --z) {
        uint8_t* a = image.pixels.data() + rowBytes * std::size_t(y);
        uint8_t* b = image.pixels.data() + rowBytes * std::size_t(z);
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
    std::vector<uint8_t> upright = std::move(image.pixels);
    width = image.width;
    height = image.height;
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
            reason = "cannot scale the picture to a size OpenGL takes";
            return 0;
        }
        upright = std::move(scaled);
    }
    if (!glAccepts(width, height)) {
        reason = "size not accepted by OpenGL";
        return 0;
    }
    return upload(width, height, upright.data());
}

// A 32-bit uncompressed bitmap: the one format the show's own data uses.
bool isOwnBitmap(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 34 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t infoSize = uint32_t(littleEndianI32(bytes.data() + 14));
    const int bitCount = bytes[28] | bytes[29] << 8;
    const uint32_t compression = uint32_t(littleEndianI32(bytes.data() + 30));
    return infoSize >= 40 && bitCount == 32 && (compression == 0 || compression == 3);
}

TextureCache*& currentCache() {
    static TextureCache* cache = nullptr;
    return cache;
}

// The key of a file in the cache: its real path, links resolved, so that every name of one file
// meets the same entry.
std::string resolvedPath(const std::string& host) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(platform::hostFsPath(host), error);
    return error ? host : platform::utf8Text(real);
}

std::string megabytes(uint64_t bytes) { return std::to_string((bytes + (1u << 20) - 1) >> 20) + " MB"; }

// Reads the image file at host and makes its texture: the header's size is checked against the
// GL, the pixel cap and the budget left before the pixels are read; 0 with the reason when the
// file cannot be used. bytes: what the texture takes.
uint32_t makeTexture(const std::string& host, uint64_t bytesLeft, uint64_t budget, std::string& reason,
                     uint64_t& bytes) {
    reason = platform::unusableFileReason(host);
    if (!reason.empty()) return 0;
    std::FILE* file = platform::openHostFile(host, "rb");
    if (!file) {
        reason = std::strerror(errno);
        return 0;
    }
    const long size = fileSize(file);
    constexpr uint64_t kHeaderBytes = 65536;  // headers, a colour table or masks
    std::vector<uint8_t> data = readFileStart(file, size, kHeaderBytes);
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const bool own = isOwnBitmap(data);
    const platform::DeclaredImage declared = platform::declaredImage(data.data(), data.size());
    if (own && (declared.width > maxSize || declared.height > maxSize)) {
        reason = "larger than the GL maximum texture size " + std::to_string(maxSize);
    } else if (std::string cap = platform::pixelCapProblem(declared.width, declared.height); !cap.empty()) {
        reason = cap;
    } else if (declared.width > 0 && declared.height > 0 &&
               uint64_t(declared.width) * uint64_t(declared.height) * 4 > bytesLeft) {
        reason = std::to_string(declared.width) + "x" + std::to_string(declared.height) + " takes " +
                 megabytes(uint64_t(declared.width) * uint64_t(declared.height) * 4) + ", over the " +
                 megabytes(budget) + " all textures may take together (" + megabytes(bytesLeft) + " left)";
    }
    if (!reason.empty()) {
        std::fclose(file);
        return 0;
    }
    // The largest picture the cap lets through, and its headers; more is never read.
    if (uint64_t(std::max(size, 0L)) > data.size())
        data = readFileStart(file, size, kHeaderBytes + uint64_t(platform::kMaxImagePixels) * 4);
    std::fclose(file);
    int32_t width = 0, height = 0;
    uint32_t name = 0;
    if (own) {
        name = loadOwnBitmap(data, reason);
        width = int32_t(declared.width);
        height = int32_t(declared.height);
    } else {
        name = loadDecodedImage(data, maxSize, reason, width, height);
    }
    bytes = name ? uint64_t(width) * uint64_t(height) * 4 : 0;
    return name;
}

}  // namespace

void MqoMaterial::setTexture(std::string path, const std::vector<std::string>& alternatives) {
    texturePath = std::move(path);
    loadTexture(texturePath, alternatives);
}

void MqoMaterial::loadTexture(const std::string& path, const std::vector<std::string>& alternatives) {
    TextureCache* cache = TextureCache::current();
    TextureCache single(TextureCache::Detached{}, kTextureBudgetBytes);
    if (!cache) cache = &single;
    std::string request = path;
    for (const std::string& alternative : alternatives) {
        request += '\n';
        request += alternative;
    }
    std::string key = cache->keyOf(request);
    const bool known = !key.empty();
    // Only a plain file is an image: a directory or a device would pass the open and then give
    // nonsense sizes or endless bytes (a FIFO would block the open itself).
    std::string host;
    if (!known) {
        host = findDataFile(path);
        for (std::size_t i = 0; host.empty() && i < alternatives.size(); ++i) host = findDataFile(alternatives[i]);
        key = host.empty() ? platform::hostPath(path) : resolvedPath(host);
        cache->remember(request, key);
    }
    if (const TextureCache::Entry* entry = cache->find(key)) {
        textureName = entry->name;
        if (!textureName) reportUnreadable(path, entry->found ? entry->reason : "");
        return;
    }
    if (host.empty()) {
        const std::string why = platform::unusableFileReason(key);
        reportUnreadable(path, "");
        platform::reportFileProblem(key, why.empty() ? "no such file" : why);
        cache->add(key, {0, why, false}, 0);
        return;
    }
    cache->countFileRead();
    uint64_t bytes = 0;
    std::string reason;
    textureName = makeTexture(host, cache->bytesLeft(), cache->budget(), reason, bytes);
    if (!textureName) {
        reportUnreadable(path, reason);
        platform::reportFileProblem(key, reason);
    }
    cache->add(key, {textureName, reason}, bytes);
}

TextureCache::TextureCache(uint64_t budgetBytes) : budget_(budgetBytes), previous_(current()), installed_(true) {
    currentCache() = this;
}

TextureCache::TextureCache(Detached, uint64_t budgetBytes) : budget_(budgetBytes) {}

TextureCache::~TextureCache() {
    if (installed_) currentCache() = previous_;
}

TextureCache* TextureCache::current() { return currentCache(); }

std::string TextureCache::keyOf(const std::string& request) const {
    const auto it = requests_.find(request);
    return it == requests_.end() ? std::string() : it->second;
}

const TextureCache::Entry* TextureCache::find(const std::string& key) const {
    const auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

void TextureCache::add(const std::string& key, Entry entry, uint64_t bytes) {
    entries_[key] = std::move(entry);
    used_ += bytes;
}
