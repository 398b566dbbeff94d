// The same look-up and decoders as the texture loader (material_texture.cpp); the choice between
// the designed path and decoding is made there by the same test, kept in step with it here.
#include "model/texture_check.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "model/bitmap.h"
#include "model/model_paths.h"
#include "platform/image_decoder.h"
#include "platform/files.h"

namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }

// As the loader: a 32-bit uncompressed bitmap (or one with bit-field masks) is the show's own.
bool isOwnBitmap(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 34 || bytes[0] != 'B' || bytes[1] != 'M') return false;
    const uint32_t compression = le32(bytes.data() + 30);
    return le32(bytes.data() + 14) >= 40 && le16(bytes.data() + 28) == 32 && (compression == 0 || compression == 3);
}

std::string formatName(const std::vector<uint8_t>& bytes, const std::string& file) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        if (bytes.size() < 34) return "BMP";
        const bool oldHeader = le32(bytes.data() + 14) == 12;
        const uint32_t bits = oldHeader ? le16(bytes.data() + 24) : le16(bytes.data() + 28);
        const uint32_t compression = oldHeader ? 0 : le32(bytes.data() + 30);
        return "BMP " + std::to_string(bits) + "-bit" + (compression == 1 || compression == 2 ? " RLE" : "");
    }
    if (bytes.size() >= 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') return "PNG";
    if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return "JPEG";
    const std::string name = bareFileName(file);
    if (name.size() > 4) {
        std::string ext = name.substr(name.size() - 4);
        for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (ext == ".tga") return "TGA";
    }
    return "unknown";
}

std::vector<uint8_t> readStart(const std::string& file, uint64_t limit) {
    std::vector<uint8_t> bytes;
    std::FILE* f = platform::openHostFile(file, "rb");
    if (!f) return bytes;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    std::rewind(f);
    if (size > 0) {
        bytes.resize(std::size_t(std::min<uint64_t>(uint64_t(size), limit)));
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    }
    std::fclose(f);
    return bytes;
}

bool isPowerOfTwo(int32_t n) { return n > 0 && (n & (n - 1)) == 0; }

}  // namespace

bool TextureCheck::powerOfTwo() const { return isPowerOfTwo(width) && isPowerOfTwo(height); }

TextureCheck checkTexture(const MqoTextureRequest& request) {
    TextureCheck check;
    check.path = request.path;
    check.hostFile = findDataFile(request.path);
    for (std::size_t i = 0; check.hostFile.empty() && i < request.alternatives.size(); ++i)
        check.hostFile = findDataFile(request.alternatives[i]);
    if (check.hostFile.empty()) return check;
    // Headers and the largest picture the decoders take; more is never read.
    const uint64_t limit = uint64_t(65536) + uint64_t(platform::kMaxImagePixels) * 4;
    const std::vector<uint8_t> bytes = readStart(check.hostFile, limit);
    check.format = formatName(bytes, check.hostFile);
    if (isOwnBitmap(bytes)) {
        check.designedPath = true;
        BitmapImage image;
        check.decoded = parseBitmap(bytes.data(), bytes.size(), image, check.reason);
        check.width = check.decoded ? image.width : int32_t(le32(bytes.data() + 18));
        const int64_t rows = int32_t(le32(bytes.data() + 22));
        check.height = check.decoded ? image.height : int32_t(std::min<int64_t>(rows < 0 ? -rows : rows, INT32_MAX));
        return check;
    }
    platform::RgbaImage image;
    check.decoded = platform::decodeImage(bytes.data(), bytes.size(), image, check.reason);
    check.width = image.width;
    check.height = image.height;
    return check;
}
