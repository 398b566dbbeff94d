// Image decoding on SDL2_image. The format is told from the data and its declared size checked
// here first, so that only the four formats of textures reach the decoders and no decoder
// allocates for a picture nobody could draw.
#include "platform/image_decoder.h"
#include "platform/image_bounds.h"  // imageReadyToDecode

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
    DeclaredImage declared;
    if (!imageReadyToDecode(data, size, kMaxImageSide, declared, reason)) return refuse(image, reason, reason);
    const ImageFormat format = declared.format;

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
