// Image decoding on SDL2_image. The format is told from the data and its declared size checked
// here first, so that only the four formats of textures reach the decoders and no decoder
// allocates for a picture nobody could draw.
#include "platform/image_decoder.h"
#include "platform/image_bounds.h"  // declaredImage, jpegReachesItsEnd, imageDataCanHold

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

namespace platform {
namespace {

bool refuse(RgbaImage& image, std::string& reason, std::string why) {
    image = RgbaImage{};
    reason = std::move(why);
    return false;
}

}  // namespace

bool decodeImage(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    reason.clear();
    const DeclaredImage declared = declaredImage(data, size);
    const ImageFormat format = declared.format;
    const int64_t width = declared.width, height = declared.height;
    if (format == ImageFormat::Unknown) return refuse(image, reason, "not an image format that textures take");
    if (width <= 0 || height <= 0) return refuse(image, reason, "bad image size");
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        return refuse(image, reason, "image too large (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    if (!imageDataCanHold(data, size, reason)) return refuse(image, reason, reason);
    // The JPEG decoder fills a picture cut short with grey and says nothing: the end-of-image
    // marker must be there. (In the coded data a 0xFF byte is always followed by 0x00.)
    if (format == ImageFormat::Jpeg && !jpegReachesItsEnd(data, size))
        return refuse(image, reason, "cut short: no end of the picture");

    SDL_RWops* source = SDL_RWFromConstMem(data, int(size));
    if (!source) return refuse(image, reason, SDL_GetError());
    SDL_Surface* decoded = nullptr;
    switch (format) {
    case ImageFormat::Bmp: decoded = IMG_LoadBMP_RW(source); break;
    case ImageFormat::Png: decoded = IMG_LoadPNG_RW(source); break;
    case ImageFormat::Jpeg: decoded = IMG_LoadJPG_RW(source); break;
    case ImageFormat::Tga: decoded = IMG_LoadTGA_RW(source); break;
    case ImageFormat::Unknown: break;
    }
    SDL_RWclose(source);
    if (!decoded) return refuse(image, reason, std::string("cannot decode: ") + IMG_GetError());
    // The decoders may read a size other than the one sniffed; the limits hold for what they made.
    if (decoded->w <= 0 || decoded->h <= 0 || decoded->w > kMaxImageSide || decoded->h > kMaxImageSide ||
        int64_t(decoded->w) * decoded->h > kMaxImagePixels) {
        SDL_FreeSurface(decoded);
        return refuse(image, reason, "bad image size");
    }
    // Converted only when it is not RGBA already: one picture-sized copy fewer.
    SDL_Surface* rgba = decoded->format->format == SDL_PIXELFORMAT_RGBA32
                            ? decoded
                            : SDL_ConvertSurfaceFormat(decoded, SDL_PIXELFORMAT_RGBA32, 0);
    if (rgba != decoded) SDL_FreeSurface(decoded);
    if (!rgba) return refuse(image, reason, std::string("cannot convert: ") + SDL_GetError());
    image.width = rgba->w;
    image.height = rgba->h;
    const std::size_t rowBytes = std::size_t(rgba->w) * 4;
    image.pixels.resize(rowBytes * std::size_t(rgba->h));
    if (SDL_LockSurface(rgba) == 0) {
        for (int y = 0; y < rgba->h; ++y)
            std::memcpy(image.pixels.data() + rowBytes * std::size_t(y),
                        static_cast<const uint8_t*>(rgba->pixels) + std::size_t(rgba->pitch) * std::size_t(y), rowBytes);
        SDL_UnlockSurface(rgba);
    } else {
        SDL_FreeSurface(rgba);
        return refuse(image, reason, std::string("cannot read the pixels: ") + SDL_GetError());
    }
    SDL_FreeSurface(rgba);
    return true;
}

}  // namespace platform
