// What an image file's header promises, checked against what the file can hold, before any
// decoder allocates for it. Portable: plain byte parsing of the four texture formats.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// One cap on decoded pixels for every format (the 32-bit bitmaps included): 256 MB as RGBA.
constexpr int64_t kMaxImagePixels = int64_t(1) << 26;

// No real texture compresses further than this many pixels per file byte where the format itself
// sets no bound (progressive or arithmetic JPEG, run-length BMP); a flat 8000x8000 picture needs 62 KB.
constexpr int64_t kMaxPixelsPerByte = 1024;

enum class ImageFormat { Unknown, Bmp, Png, Jpeg, Tga };

struct DeclaredImage {
    ImageFormat format = ImageFormat::Unknown;
    int64_t width = 0, height = 0;  // as the header says; height positive for top-down bitmaps
};

// The format and size a header declares (the first bytes of the file suffice); Unknown when the
// bytes are none of the four formats or too short to tell.
DeclaredImage declaredImage(const uint8_t* data, std::size_t size);

// Whether a JPEG's coded data reaches its end-of-image marker: decoders fill a picture cut short
// with grey and say nothing. (In the coded data a 0xFF byte is always followed by 0x00.)
bool jpegReachesItsEnd(const uint8_t* data, std::size_t size);

// Everything a decoder must know before it may decode data: one of the four formats, a size
// within the side limit and the pixel cap, data that can hold it, and a JPEG that reaches its
// end. False with the reason in English; image is then what the header declared, if anything.
bool imageReadyToDecode(const uint8_t* data, std::size_t size, int32_t maxSide, DeclaredImage& image,
                        std::string& reason);

// "16384x16384 (268435456 pixels) is over the cap of 67108864 pixels", or empty when the size
// is within the cap.
std::string pixelCapProblem(int64_t width, int64_t height);

// Whether data (the whole file) can hold the picture its header declares: the pixel cap, and
// for each format the least data that such a picture can be coded in (stored rows, deflate's
// largest ratio, two bits per JPEG block, TGA run packets walked to the end). False with a reason
// in English. Bytes of no known format pass: the decoder refuses them itself.
bool imageDataCanHold(const uint8_t* data, std::size_t size, std::string& reason);

}  // namespace platform
