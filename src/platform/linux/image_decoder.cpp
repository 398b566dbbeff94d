// Image decoding on SDL2_image. The format is told from the data and its declared size checked
// here first, so that only the four formats of textures reach the decoders and no decoder
// allocates for a picture nobody could draw.
#include "platform/image_decoder.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cstring>

namespace platform {
namespace {

enum class Format { Unknown, Bmp, Png, Jpeg, Tga };

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const uint8_t* p) { return le16(p) | le16(p + 2) << 16; }
uint32_t be16(const uint8_t* p) { return uint32_t(p[0]) << 8 | uint32_t(p[1]); }
uint32_t be32(const uint8_t* p) { return be16(p) << 16 | be16(p + 2); }

// The frame header of a JPEG (any SOF marker) gives its size; segments are walked by their lengths.
// frameAt is where the frame header starts.
bool jpegSize(const uint8_t* data, std::size_t size, int64_t& width, int64_t& height, std::size_t& frameAt) {
    std::size_t at = 2;
    while (at + 4 <= size) {
        if (data[at] != 0xFF) return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const std::size_t length = be16(data + at + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > size) return false;
            height = be16(data + at + 5);
            width = be16(data + at + 7);
            frameAt = at;
            return true;
        }
        if (length < 2) return false;
        at += 2 + length;
    }
    return false;
}

// The format and the size the header declares; Unknown when neither can be told.
Format sniff(const uint8_t* data, std::size_t size, int64_t& width, int64_t& height) {
    static const uint8_t pngMagic[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 24 && std::memcmp(data, pngMagic, 8) == 0) {
        width = be32(data + 16);
        height = be32(data + 20);
        return Format::Png;
    }
    if (size >= 26 && data[0] == 'B' && data[1] == 'M') {
        if (le32(data + 14) == 12) {  // the old 12-byte header: 16-bit sizes
            width = le16(data + 18);
            height = le16(data + 20);
        } else {
            width = int32_t(le32(data + 18));
            height = int32_t(le32(data + 22));
            if (height < 0) height = -height;
        }
        return Format::Bmp;
    }
    if (size >= 4 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        std::size_t frameAt = 0;
        return jpegSize(data, size, width, height, frameAt) ? Format::Jpeg : Format::Unknown;
    }
    // TGA has no mark: a colour-map flag of 0 or 1, a known image type and pixel depth.
    if (size >= 18 && data[1] <= 1) {
        const uint8_t type = data[2];
        const uint8_t depth = data[16];
        const bool knownType = type == 1 || type == 2 || type == 3 || type == 9 || type == 10 || type == 11;
        const bool knownDepth = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
        if (knownType && knownDepth) {
            width = le16(data + 12);
            height = le16(data + 14);
            return Format::Tga;
        }
    }
    return Format::Unknown;
}

bool refuse(RgbaImage& image, std::string& reason, std::string why) {
    image = RgbaImage{};
    reason = std::move(why);
    return false;
}

}  // namespace

bool decodeImage(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    reason.clear();
    int64_t width = 0, height = 0;
    const Format format = data ? sniff(data, size, width, height) : Format::Unknown;
    if (format == Format::Unknown) return refuse(image, reason, "not an image format that textures take");
    if (width <= 0 || height <= 0) return refuse(image, reason, "bad image size");
    if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels)
        return refuse(image, reason, "image too large (" + std::to_string(width) + "x" + std::to_string(height) + ")");
    if (!imageDataCanHold(data, size, reason)) return refuse(image, reason, reason);
    // The JPEG decoder fills a picture cut short with grey and says nothing: the end-of-image
    // marker must be there. (In the coded data a 0xFF byte is always followed by 0x00.)
    if (format == Format::Jpeg) {
        std::size_t frameAt = 0;
        jpegSize(data, size, width, height, frameAt);
        bool ended = false;
        for (std::size_t i = frameAt; i + 1 < size && !ended; ++i) ended = data[i] == 0xFF && data[i + 1] == 0xD9;
        if (!ended) return refuse(image, reason, "cut short: no end of the picture");
    }

    SDL_RWops* source = SDL_RWFromConstMem(data, int(size));
    if (!source) return refuse(image, reason, SDL_GetError());
    SDL_Surface* decoded = nullptr;
    switch (format) {
    case Format::Bmp: decoded = IMG_LoadBMP_RW(source); break;
    case Format::Png: decoded = IMG_LoadPNG_RW(source); break;
    case Format::Jpeg: decoded = IMG_LoadJPG_RW(source); break;
    case Format::Tga: decoded = IMG_LoadTGA_RW(source); break;
    case Format::Unknown: break;
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
