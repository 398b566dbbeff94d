// The bitmap files that materials name. Only uncompressed 32-bit pixels are taken; the pixel
// data starts where the file header says (54 for the plain 40-byte information header).
#include "model/bitmap.h"

#include <cstring>

namespace {

constexpr std::size_t fileHeaderSize = 14;
constexpr std::size_t infoHeaderMinimum = 40;
constexpr std::size_t headersSize = fileHeaderSize + infoHeaderMinimum;  // 54
constexpr uint32_t compressionNone = 0;       // plain pixels
constexpr uint32_t compressionBitfields = 3;  // plain pixels described by channel masks

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

int32_t readI32(const uint8_t* p) {
    const uint32_t u = readU32(p);
    int32_t value;
    std::memcpy(&value, &u, sizeof value);
    return value;
}

bool refuse(BitmapImage& image, std::string& reason, const char* why) {
    image = BitmapImage{};
    reason = why;
    return false;
}

}  // namespace

bool parseBitmap(const uint8_t* data, std::size_t size, BitmapImage& image, std::string& reason) {
    reason.clear();
    if (!data || size < headersSize) return refuse(image, reason, "shorter than the bitmap headers");
    if (data[0] != 'B' || data[1] != 'M') return refuse(image, reason, "not a bitmap file");
    const uint32_t pixelOffset = readU32(data + 10);
    const uint32_t infoSize = readU32(data + 14);
    const int32_t width = readI32(data + 18);
    const int32_t height = readI32(data + 22);
    const uint16_t bitCount = readU16(data + 28);
    const uint32_t compression = readU32(data + 30);
    if (infoSize < infoHeaderMinimum) return refuse(image, reason, "unsupported bitmap header");
    if (bitCount != 32 || (compression != compressionNone && compression != compressionBitfields))
        return refuse(image, reason, "not a 32-bit uncompressed bitmap");
    // INT32_MIN has no positive counterpart; no real bitmap comes near it.
    if (width <= 0 || height == 0 || height == INT32_MIN) return refuse(image, reason, "bad image size");
    if (pixelOffset < headersSize || pixelOffset > size)
        return refuse(image, reason, "pixel data offset outside the file");

    const bool topDown = height < 0;
    const uint64_t rows = topDown ? uint64_t(-int64_t(height)) : uint64_t(height);
    const uint64_t rowBytes = uint64_t(width) * 4;
    const uint64_t pixelBytes = rowBytes * rows;  // below 2^64: both factors are below 2^33
    if (pixelBytes > size - pixelOffset) return refuse(image, reason, "shorter than its header says");

    image.width = width;
    image.height = int32_t(rows);
    image.pixels.resize(std::size_t(pixelBytes));
    const uint8_t* source = data + pixelOffset;
    if (!topDown) {
        std::memcpy(image.pixels.data(), source, std::size_t(pixelBytes));
    } else {
        // Stored top row first: reverse the rows so the first row is the picture's bottom row,
        // as in the usual bottom-up files. The picture then maps onto faces the same way.
        for (uint64_t row = 0; row < rows; ++row)
            std::memcpy(image.pixels.data() + row * rowBytes, source + (rows - 1 - row) * rowBytes,
                        std::size_t(rowBytes));
    }
    return true;
}
