// Decoding of the texture images that are not the show's own 32-bit bitmaps: BMP of other depths
// and RLE, PNG, JPEG and TGA, through the system's decoders (SDL2_image on Linux, the Windows
// Imaging Component on Windows).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image_bounds.h"

namespace platform {

struct RgbaImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;  // width * height * 4 bytes, R G B A, top row first
};

// Largest picture decoded: pictures that declare more (or more than kMaxImagePixels, or more than
// their data can hold) are refused before any pixel is decoded.
constexpr int32_t kMaxImageSide = 16384;

// Decodes an image held in memory; false with a short reason (English) for a format it does not
// take, a declared size beyond the limits, or data it cannot decode (cut short, say).
bool decodeImage(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason);

}  // namespace platform
