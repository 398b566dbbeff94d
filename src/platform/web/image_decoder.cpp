// Images other than the show's own 32-bit bitmaps, decoded by the browser: the page decodes every
// picture file of the data package before the show starts, and a decode here finds the one whose
// bytes these are.
#include <cstdlib>
#include <cstring>

#include "platform/image_decoder.h"
#include "platform/web/web_page.h"

namespace platform {

bool decodeImage(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    image = {};
    if (!data || size == 0) {
        reason = "empty file";
        return false;
    }
    int32_t width = 0, height = 0;
    uint8_t* pixels = pageDecodedImage(data, size, &width, &height);
    if (!pixels) {
        reason = "not a picture this browser decodes";
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        int64_t(width) * height > kMaxImagePixels) {
        std::free(pixels);
        reason = "picture larger than the largest decoded";
        return false;
    }
    image.width = width;
    image.height = height;
    image.pixels.assign(pixels, pixels + std::size_t(width) * std::size_t(height) * 4);
    std::free(pixels);
    return true;
}

}  // namespace platform
