// Header sizes against file sizes, for the four texture formats.
#include "platform/image_bounds.h"

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | uint32_t(p[1]); }
uint32_t be32(const uint8_t* p) { return be16(p) << 16 | be16(p + 2); }

// Where the JPEG frame header (any SOF marker) starts, walking the segments by their lengths;
// 0 when there is none in the data.
std::size_t jpegFrame(const uint8_t* data, std::size_t size) {
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return 0;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) return at + 10 <= size ? at : 0;
        const std::size_t length = be16(data + at + 2);
        if (length < 2) return 0;
        at += 2 + length;
    }
    return 0;
}

bool isTga(const uint8_t* data, std::size_t size) {
    if (size < 18 || data[1] > 1) return false;
    const uint8_t type = data[2], depth = data[16];
    const bool knownType = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
    const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    return knownType && knownDepth;
}

std::string sizeText(int64_t width, int64_t height) { return std::to_string(width) + "x" + std::to_string(height); }

bool cannotHold(std::string& reason, std::size_t size, const DeclaredImage& image, const std::string& what) {
    reason = "its " + std::to_string(size) + " bytes cannot hold the " + sizeText(image.width, image.height) +
             " picture its header declares " + what;
    return false;
}

// Pixels per byte beyond anything a real texture reaches, where the format sets no bound itself.
bool tooCompressed(std::size_t size, const DeclaredImage& image) {
    return image.width * image.height > kMaxPixelsPerByte * int64_t(size);
}

bool bmpCanHold(const uint8_t* data, std::size_t size, const DeclaredImage& image, std::string& reason) {
    const bool oldHeader = le32(data + 14) == 12;
    const uint32_t bitCount = oldHeader ? le16(data + 24) : (size >= 30 ? le16(data + 28) : 0);
    const uint32_t compression = oldHeader || size < 34 ? 0 : le32(data + 30);
    const uint64_t offset = le32(data + 10);
    if (compression == 1 || compression == 2) {  // run lengths: no bound but the ratio
        return !tooCompressed(size, image) || cannotHold(reason, size, image, "even run-length coded");
    }
    if (compression != 0 && compression != 3 && compression != 6) return true;  // the decoder's to refuse
    if (bitCount == 0 || bitCount > 64) return true;
    const uint64_t rowBytes = (uint64_t(image.width) * bitCount + 31) / 32 * 4;
    if (offset > size || rowBytes * uint64_t(image.height) > size - offset)
        return cannotHold(reason, size, image, "as stored rows");
    return true;
}

bool pngCanHold(const uint8_t* data, std::size_t size, const DeclaredImage& image, std::string& reason) {
    static const int channelsOfType[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint8_t depth = data[24], type = data[25];
    if (type > 6 || channelsOfType[type] == 0 || depth == 0 || depth > 16) return true;
    const uint64_t bits = uint64_t(depth) * uint64_t(channelsOfType[type]);
    const uint64_t rawBytes = (uint64_t(image.width) * bits + 7) / 8 * uint64_t(image.height);
    uint64_t compressed = 0;
    for (std::size_t at = 8; at + 8 <= size;) {
        const uint64_t length = be32(data + at);
        if (std::memcmp(data + at + 4, "IDAT", 4) == 0) compressed += std::min<uint64_t>(length, size - at - 8);
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) break;
        at += std::size_t(std::min<uint64_t>(length + 12, size - at));
    }
    // deflate codes at most 258 bytes in 2 bits; the zlib frame and block headers only add to that.
    constexpr uint64_t kDeflateMaxRatio = 1032;
    if (rawBytes > compressed * kDeflateMaxRatio + 1024)
        return cannotHold(reason, size, image, "from " + std::to_string(compressed) + " bytes of compressed data");
    return true;
}

bool jpegCanHold(const uint8_t* data, std::size_t size, const DeclaredImage& image, std::string& reason) {
    const std::size_t at = jpegFrame(data, size);
    if (at == 0) return true;
    const uint8_t marker = data[at + 1];
    const std::size_t components = data[at + 9];
    // Huffman-coded sequential frames code every 8x8 block of every component in at least two
    // bits (a DC difference and an end of block, one bit each at best).
    if ((marker == 0xC0 || marker == 0xC1) && components > 0 && at + 10 + 3 * components <= size) {
        int hMax = 0, vMax = 0;
        for (std::size_t c = 0; c < components; ++c) {
            hMax = std::max(hMax, data[at + 11 + 3 * c] >> 4);
            vMax = std::max(vMax, data[at + 11 + 3 * c] & 15);
        }
        if (hMax == 0 || vMax == 0) return true;
        uint64_t blocks = 0;
        for (std::size_t c = 0; c < components; ++c) {
            const uint64_t h = data[at + 11 + 3 * c] >> 4, v = data[at + 11 + 3 * c] & 15;
            const uint64_t w = (uint64_t(image.width) * h + uint64_t(hMax) - 1) / uint64_t(hMax);
            const uint64_t ht = (uint64_t(image.height) * v + uint64_t(vMax) - 1) / uint64_t(vMax);
            blocks += (w + 7) / 8 * ((ht + 7) / 8);
        }
        if ((2 * blocks + 7) / 8 > size - at) return cannotHold(reason, size, image, "at two bits a block at least");
        return true;
    }
    return !tooCompressed(size, image) || cannotHold(reason, size, image, "even progressive or arithmetic coded");
}

bool tgaCanHold(const uint8_t* data, std::size_t size, const DeclaredImage& image, std::string& reason) {
    const uint8_t type = data[2];
    const uint64_t pixelBytes = (uint64_t(data[16]) + 7) / 8;
    const uint64_t mapBytes = data[1] ? uint64_t(le16(data + 5)) * ((uint64_t(data[7]) + 7) / 8) : 0;
    const uint64_t offset = 18 + uint64_t(data[0]) + mapBytes;
    const uint64_t pixels = uint64_t(image.width) * uint64_t(image.height);
    if (type < 9) {
        const uint64_t needed = offset + pixels * pixelBytes;
        if (needed > size) {
            reason = "cut short: " + std::to_string(size) + " bytes of the " + std::to_string(needed) +
                     " its " + sizeText(image.width, image.height) + " pixels take";
            return false;
        }
        return true;
    }
    // Run-length packets: walked to the last pixel, so a file cut short is known before decoding.
    uint64_t at = offset, done = 0;
    while (done < pixels) {
        if (at >= size) break;
        const uint8_t head = data[at++];
        const uint64_t count = (head & 0x7F) + 1u;
        at += (head & 0x80) ? pixelBytes : count * pixelBytes;
        if (at > size) break;
        done += count;
    }
    if (done < pixels) {
        reason = "cut short: its run-length packets end after " + std::to_string(done) + " of " +
                 std::to_string(pixels) + " pixels";
        return false;
    }
    return true;
}

}  // namespace

DeclaredImage declaredImage(const uint8_t* data, std::size_t size) {
    static const uint8_t pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    DeclaredImage image;
    if (!data) return image;
    if (size >= 29 && std::memcmp(data, pngMagic, 8) == 0) {
        image = {ImageFormat::Png, be32(data + 16), be32(data + 20)};
    } else if (size >= 26 && data[0] == 'B' && data[1] == 'M') {
        if (le32(data + 14) == 12) {  // the old 12-byte header: 16-bit sizes
            image = {ImageFormat::Bmp, le16(data + 18), le16(data + 20)};
        } else {
            const int64_t height = int32_t(le32(data + 22));
            image = {ImageFormat::Bmp, int32_t(le32(data + 18)), height < 0 ? -height : height};
        }
    } else if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        if (const std::size_t at = jpegFrame(data, size)) image = {ImageFormat::Jpeg, be16(data + at + 7), be16(data + at + 5)};
    } else if (isTga(data, size)) {
        image = {ImageFormat::Tga, le16(data + 12), le16(data + 14)};
    }
    return image;
}

bool jpegReachesItsEnd(const uint8_t* data, std::size_t size) {
    const std::size_t frameAt = jpegFrame(data, size);
    if (!frameAt) return false;
    for (std::size_t i = frameAt; i + 1 < size; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xD9) return true;
    return false;
}

bool imageReadyToDecode(const uint8_t* data, std::size_t size, int32_t maxSide, DeclaredImage& image,
                        std::string& reason) {
    image = declaredImage(data, size);
    const int64_t width = image.width, height = image.height;
    if (image.format == ImageFormat::Unknown) {
        reason = "not an image format that textures take";
        return false;
    }
    if (width <= 0 || height <= 0) {
        reason = "bad image size";
        return false;
    }
    if (width > maxSide || height > maxSide || width * height > kMaxImagePixels) {
        reason = "image too large (" + std::to_string(width) + "x" + std::to_string(height) + ")";
        return false;
    }
    if (!imageDataCanHold(data, size, reason)) return false;
    // Decoders fill a JPEG cut short with grey and say nothing: the end-of-image marker must be there.
    if (image.format == ImageFormat::Jpeg && !jpegReachesItsEnd(data, size)) {
        reason = "cut short: no end of the picture";
        return false;
    }
    return true;
}

std::string pixelCapProblem(int64_t width, int64_t height) {
    // Sides come from 32-bit fields: their product is taken unsigned, where it cannot overflow.
    if (width <= 0 || height <= 0 || width <= kMaxImagePixels / height) return {};
    return "decoded size " + sizeText(width, height) + " (" + std::to_string(uint64_t(width) * uint64_t(height)) +
           " pixels) is over the cap of " + std::to_string(kMaxImagePixels) + " pixels";
}

bool imageDataCanHold(const uint8_t* data, std::size_t size, std::string& reason) {
    reason.clear();
    const DeclaredImage image = declaredImage(data, size);
    if (image.format == ImageFormat::Unknown || image.width <= 0 || image.height <= 0) return true;
    reason = pixelCapProblem(image.width, image.height);
    if (!reason.empty()) return false;
    switch (image.format) {
    case ImageFormat::Bmp: return bmpCanHold(data, size, image, reason);
    case ImageFormat::Png: return pngCanHold(data, size, image, reason);
    case ImageFormat::Jpeg: return jpegCanHold(data, size, image, reason);
    case ImageFormat::Tga: return tgaCanHold(data, size, image, reason);
    case ImageFormat::Unknown: break;
    }
    return true;
}

}  // namespace platform
