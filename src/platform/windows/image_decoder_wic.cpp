// Image decoding on Windows: BMP, PNG and JPEG through the Windows Imaging Component, the
// system's own maintained decoders; TGA, which it has no decoder for, by a reader here. The format
// is told from the data and its declared size checked first, so that only the four formats of
// textures reach a decoder and none allocates for a picture nobody could draw.
#include "platform/image_decoder.h"
#include "platform/image_bounds.h"  // imageReadyToDecode


#include <cstring>

#include "platform/windows/win32.h"
#include <wincodec.h>

namespace platform {
namespace {

uint32_t le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

bool refuse(RgbaImage& image, std::string& reason, std::string why) {
    image = RgbaImage{};
    reason = std::move(why);
    return false;
}

// --- TGA -----------------------------------------------------------------------------------------

// One pixel of depth bits (or a colour-map entry) as RGBA.
void tgaColour(const uint8_t* p, int bits, bool grey, uint8_t* out) {
    if (grey) {
        out[0] = out[1] = out[2] = p[0];
        out[3] = 255;
    } else if (bits == 15 || bits == 16) {
        const uint32_t v = le16(p);
        out[0] = uint8_t(((v >> 10) & 31) * 255 / 31);
        out[1] = uint8_t(((v >> 5) & 31) * 255 / 31);
        out[2] = uint8_t((v & 31) * 255 / 31);
        out[3] = 255;
    } else {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        out[3] = bits == 32 ? p[3] : 255;
    }
}

bool decodeTga(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    const int idLength = data[0];
    const bool mapped = data[1] == 1;
    const int type = data[2];
    const uint32_t mapFirst = le16(data + 3), mapLength = le16(data + 5);
    const int mapBits = data[7];
    const int width = int(le16(data + 12)), height = int(le16(data + 14));
    const int bits = data[16];
    const uint8_t descriptor = data[17];
    const bool indexed = type == 1 || type == 9;
    const bool grey = type == 3 || type == 11;
    const bool rle = type >= 9;
    if (indexed != mapped || (indexed && bits != 8)) return refuse(image, reason, "cannot decode: bad TGA colour map");
    if (grey && bits != 8) return refuse(image, reason, "cannot decode: bad TGA grey depth");
    std::size_t at = 18 + std::size_t(idLength);
    std::vector<uint8_t> palette;
    if (mapped) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            return refuse(image, reason, "cannot decode: bad TGA colour map");
        const std::size_t entryBytes = std::size_t(mapBits + 7) / 8;
        if (at + entryBytes * mapLength > size) return refuse(image, reason, "cannot decode: TGA cut short");
        palette.resize(std::size_t(mapFirst + mapLength) * 4, 0);
        for (uint32_t i = 0; i < mapLength; ++i)
            tgaColour(data + at + i * entryBytes, mapBits, false, palette.data() + std::size_t(mapFirst + i) * 4);
        at += entryBytes * mapLength;
    }
    const std::size_t pixelBytes = std::size_t(bits + 7) / 8;
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<uint8_t> pixels(count * 4);
    auto put = [&](std::size_t index, const uint8_t* p) -> bool {
        uint8_t* out = pixels.data() + index * 4;
        if (!indexed) {
            tgaColour(p, bits, grey, out);
            return true;
        }
        const std::size_t entry = std::size_t(p[0]) * 4;
        if (entry + 4 > palette.size()) return false;
        std::memcpy(out, palette.data() + entry, 4);
        return true;
    };
    for (std::size_t i = 0; i < count;) {
        std::size_t run = 1;
        bool repeat = false;
        if (rle) {
            if (at >= size) return refuse(image, reason, "cannot decode: TGA cut short");
            repeat = (data[at] & 0x80) != 0;
            run = std::size_t(data[at] & 0x7F) + 1;
            ++at;
            if (run > count - i) return refuse(image, reason, "cannot decode: TGA run past the picture");
        }
        for (std::size_t k = 0; k < run; ++k, ++i) {
            const std::size_t from = repeat ? at : at + k * pixelBytes;
            if (from + pixelBytes > size) return refuse(image, reason, "cannot decode: TGA cut short");
            if (!put(i, data + from)) return refuse(image, reason, "cannot decode: TGA colour index out of the map");
        }
        at += repeat ? pixelBytes : run * pixelBytes;
    }
    // Rows are stored bottom first unless the descriptor says top first; right to left if it says so.
    const bool topFirst = (descriptor & 0x20) != 0, rightToLeft = (descriptor & 0x10) != 0;
    image.width = width;
    image.height = height;
    image.pixels.resize(count * 4);
    for (int y = 0; y < height; ++y) {
        const int fromRow = topFirst ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const int fromX = rightToLeft ? width - 1 - x : x;
            std::memcpy(image.pixels.data() + (std::size_t(y) * width + x) * 4,
                        pixels.data() + (std::size_t(fromRow) * width + fromX) * 4, 4);
        }
    }
    return true;
}

// --- WIC ---------------------------------------------------------------------------------------

template <typename T>
struct Com {
    T* p = nullptr;
    ~Com() {
        if (p) p->Release();
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

IWICImagingFactory* factory() {
    static IWICImagingFactory* made = [] {
        // Any apartment does: the factory is free-threaded. A thread already in the other model
        // keeps it (RPC_E_CHANGED_MODE), which is no failure here.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IWICImagingFactory* f = nullptr;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&f))))
            return static_cast<IWICImagingFactory*>(nullptr);
        return f;
    }();
    return made;
}

bool decodeWic(ImageFormat format, const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    IWICImagingFactory* wic = factory();
    if (!wic) return refuse(image, reason, "cannot decode: no Windows Imaging Component");
    Com<IWICStream> stream;
    if (FAILED(wic->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return refuse(image, reason, "cannot decode: no stream");
    const GUID& container = format == ImageFormat::Bmp   ? GUID_ContainerFormatBmp
                            : format == ImageFormat::Png ? GUID_ContainerFormatPng
                                                    : GUID_ContainerFormatJpeg;
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(wic->CreateDecoder(container, nullptr, decoder.out())) ||
        FAILED(decoder->Initialize(stream.p, WICDecodeMetadataCacheOnDemand)))
        return refuse(image, reason, "cannot decode: the data is not a picture its decoder takes");
    Com<IWICBitmapFrameDecode> frame;
    UINT width = 0, height = 0;
    if (FAILED(decoder->GetFrame(0, frame.out())) || FAILED(frame->GetSize(&width, &height)))
        return refuse(image, reason, "cannot decode: no picture");
    // The decoder may read a size other than the one sniffed; the limits hold for what it makes.
    if (width == 0 || height == 0 || width > UINT(kMaxImageSide) || height > UINT(kMaxImageSide) ||
        int64_t(width) * height > kMaxImagePixels)
        return refuse(image, reason, "bad image size");
    Com<IWICBitmapSource> rgba;
    if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppRGBA, frame.p, rgba.out())))
        return refuse(image, reason, "cannot convert the picture to RGBA");
    std::vector<uint8_t> pixels(std::size_t(width) * height * 4);
    if (FAILED(rgba->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data())))
        return refuse(image, reason, "cannot decode: the picture is damaged or cut short");
    image.width = int32_t(width);
    image.height = int32_t(height);
    image.pixels = std::move(pixels);
    return true;
}

}  // namespace

bool decodeImage(const uint8_t* data, std::size_t size, RgbaImage& image, std::string& reason) {
    reason.clear();
    DeclaredImage declared;
    if (!imageReadyToDecode(data, size, kMaxImageSide, declared, reason)) return refuse(image, reason, reason);
    const ImageFormat format = declared.format;
    if (size > 0xFFFFFFFFu) return refuse(image, reason, "image file too large");
    if (format == ImageFormat::Tga) return decodeTga(data, size, image, reason);
    return decodeWic(format, data, size, image, reason);
}

}  // namespace platform
