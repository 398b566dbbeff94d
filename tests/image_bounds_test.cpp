// Image headers against the data their files hold: what each format needs at the least for the
// size its header declares, worked out here from the formats' rules, and the one pixel cap.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/image_bounds.h"

namespace {

using Bytes = std::vector<uint8_t>;

void be32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
void le16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void le32(Bytes& b, uint32_t v) {
    le16(b, v & 0xFFFF);
    le16(b, v >> 16);
}

// A PNG signature, an IHDR and one IDAT of idat zero bytes (CRCs left zero: never looked at here).
Bytes png(uint32_t width, uint32_t height, uint8_t depth, uint8_t type, uint32_t idat) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    be32(b, 13);
    b.insert(b.end(), {'I', 'H', 'D', 'R'});
    be32(b, width);
    be32(b, height);
    b.insert(b.end(), {depth, type, 0, 0, 0});
    be32(b, 0);
    be32(b, idat);
    b.insert(b.end(), {'I', 'D', 'A', 'T'});
    b.resize(b.size() + idat, 0);
    be32(b, 0);
    be32(b, 0);
    b.insert(b.end(), {'I', 'E', 'N', 'D'});
    be32(b, 0);
    return b;
}

Bytes bmp(int32_t width, int32_t height, uint16_t bits, uint32_t compression, uint32_t pixelBytes) {
    Bytes b = {'B', 'M'};
    le32(b, 54 + pixelBytes);
    le32(b, 0);
    le32(b, 54);
    le32(b, 40);
    le32(b, uint32_t(width));
    le32(b, uint32_t(height));
    le16(b, 1);
    le16(b, bits);
    le32(b, compression);
    for (int i = 0; i < 5; ++i) le32(b, 0);
    b.resize(b.size() + pixelBytes, 0);
    return b;
}

// A JPEG start, a frame header of the given marker (one 1x1-sampled component per entry of
// sampling) and filler up to size bytes, ending with the end-of-image marker.
Bytes jpeg(uint8_t marker, uint16_t width, uint16_t height, std::vector<uint8_t> sampling, std::size_t size) {
    Bytes b = {0xFF, 0xD8, 0xFF, marker};
    const uint16_t length = uint16_t(8 + 3 * sampling.size());
    b.push_back(uint8_t(length >> 8));
    b.push_back(uint8_t(length));
    b.push_back(8);
    b.push_back(uint8_t(height >> 8));
    b.push_back(uint8_t(height));
    b.push_back(uint8_t(width >> 8));
    b.push_back(uint8_t(width));
    b.push_back(uint8_t(sampling.size()));
    for (std::size_t c = 0; c < sampling.size(); ++c) b.insert(b.end(), {uint8_t(c + 1), sampling[c], 0});
    if (b.size() + 2 < size) b.resize(size - 2, 0);
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

Bytes tgaHeader(uint8_t type, uint16_t width, uint16_t height, uint8_t depth) {
    Bytes b = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    le16(b, width);
    le16(b, height);
    b.push_back(depth);
    b.push_back(0);
    return b;
}

bool holds(const Bytes& b, std::string& reason) { return platform::imageDataCanHold(b.data(), b.size(), reason); }

}  // namespace

TEST(ImageBounds, OnePixelCapForEveryFormatNamingTheSize) {
    std::string reason;
    // 16384 x 16384 = 2^28 pixels: four times the cap of 2^26, whatever the format.
    Bytes big = bmp(16384, 16384, 32, 0, 0);
    EXPECT_FALSE(holds(big, reason));
    EXPECT_NE(reason.find("16384x16384"), std::string::npos) << reason;
    EXPECT_NE(reason.find("over the cap of 67108864 pixels"), std::string::npos) << reason;
    EXPECT_FALSE(holds(png(16384, 16384, 8, 6, 300000), reason));
    EXPECT_NE(reason.find("over the cap"), std::string::npos) << reason;
    // The largest sides a header can hold: their product is beyond 64 bits signed.
    EXPECT_FALSE(holds(png(0xFFFFFFFF, 0xFFFFFFFF, 8, 6, 100), reason));
    EXPECT_NE(reason.find("4294967295x4294967295 (18446744065119617025 pixels)"), std::string::npos) << reason;
    // 8192 x 8192 is the cap exactly: not refused for its size.
    EXPECT_EQ(platform::pixelCapProblem(8192, 8192), "");
    EXPECT_NE(platform::pixelCapProblem(8192, 8193), "");
}

TEST(ImageBounds, PngDataMustReachItsSizeAtDeflatesLargestRatio) {
    std::string reason;
    // 16384 x 4096 RGBA: 268435456 bytes of pixels; deflate makes at most 1032 bytes of one, so
    // at least 260113 bytes of compressed data are needed.
    EXPECT_FALSE(holds(png(16384, 4096, 8, 6, 4096), reason));
    EXPECT_NE(reason.find("16384x4096"), std::string::npos) << reason;
    EXPECT_TRUE(holds(png(16384, 4096, 8, 6, 261000), reason)) << reason;
    // One bit a pixel, grey: 8192 x 8192 is 8388608 bytes, which 8130 compressed bytes can hold.
    EXPECT_TRUE(holds(png(8192, 8192, 1, 0, 8200), reason)) << reason;
    EXPECT_FALSE(holds(png(8192, 8192, 8, 0, 8200), reason));
    // An IDAT whose length runs past the end of the file counts only what the file holds.
    Bytes cut = png(16384, 4096, 8, 6, 261000);
    cut.resize(5000);
    EXPECT_FALSE(holds(cut, reason));
}

TEST(ImageBounds, BaselineJpegCodesEveryBlockInTwoBitsAtLeast) {
    std::string reason;
    // 8000 x 8000 grey: 1000000 blocks of 8x8, 250000 bytes at the least.
    EXPECT_FALSE(holds(jpeg(0xC0, 8000, 8000, {0x11}, 3000), reason));
    EXPECT_NE(reason.find("8000x8000"), std::string::npos) << reason;
    EXPECT_TRUE(holds(jpeg(0xC0, 8000, 8000, {0x11}, 251000), reason)) << reason;
    // Colour 4:2:0 (Y 2x2, Cb and Cr 1x1): 1000000 + 2 x 250000 blocks, 375000 bytes.
    EXPECT_FALSE(holds(jpeg(0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 370000), reason));
    EXPECT_TRUE(holds(jpeg(0xC0, 8000, 8000, {0x22, 0x11, 0x11}, 376000), reason)) << reason;
    // A small picture in a small file is what it says.
    EXPECT_TRUE(holds(jpeg(0xC0, 64, 64, {0x11}, 3000), reason)) << reason;
    // Progressive frames have no such bound; they are held to 1024 pixels a byte.
    EXPECT_FALSE(holds(jpeg(0xC2, 8000, 8000, {0x11}, 3000), reason));
    EXPECT_TRUE(holds(jpeg(0xC2, 8000, 8000, {0x11}, 63000), reason)) << reason;
}

TEST(ImageBounds, StoredPixelsMustAllBeInTheFile) {
    std::string reason;
    // 24-bit rows of 3 pixels take 12 bytes with their padding: 3 rows need 36.
    EXPECT_TRUE(holds(bmp(3, 3, 24, 0, 36), reason)) << reason;
    EXPECT_FALSE(holds(bmp(3, 3, 24, 0, 35), reason));
    EXPECT_FALSE(holds(bmp(3, -3, 24, 0, 35), reason));  // top-down the same
    // A TGA of 64 x 64 x 24 bits takes 18 + 12288 bytes; cut to 5000 it says so.
    Bytes tga = tgaHeader(2, 64, 64, 24);
    tga.resize(18 + 12288, 7);
    EXPECT_TRUE(holds(tga, reason)) << reason;
    tga.resize(5000);
    EXPECT_FALSE(holds(tga, reason));
    EXPECT_NE(reason.find("cut short: 5000 bytes of the 12306"), std::string::npos) << reason;
}

TEST(ImageBounds, RunLengthTgaPacketsAreWalkedToTheLastPixel) {
    std::string reason;
    // 16 x 16 = 256 pixels: two run packets of 128 pixels (4 bytes each at 24 bits).
    Bytes tga = tgaHeader(10, 16, 16, 24);
    tga.insert(tga.end(), {0xFF, 1, 2, 3, 0xFF, 4, 5, 6});
    EXPECT_TRUE(holds(tga, reason)) << reason;
    Bytes cut(tga.begin(), tga.end() - 4);  // the second packet gone
    EXPECT_FALSE(holds(cut, reason));
    EXPECT_NE(reason.find("128 of 256"), std::string::npos) << reason;
    Bytes torn(tga.begin(), tga.end() - 1);  // the second packet's colour cut
    EXPECT_FALSE(holds(torn, reason));
    // Raw packets carry one colour per pixel: 2 raw packets of 128 take 2 x (1 + 384) bytes.
    Bytes raw = tgaHeader(10, 16, 16, 24);
    for (int p = 0; p < 2; ++p) {
        raw.push_back(0x7F);
        raw.resize(raw.size() + 384, 9);
    }
    EXPECT_TRUE(holds(raw, reason)) << reason;
    raw.pop_back();
    EXPECT_FALSE(holds(raw, reason));
}

TEST(ImageBounds, WhatIsNoImageOrTooShortToTellPasses) {
    std::string reason;
    const Bytes text = {'h', 'e', 'l', 'l', 'o'};
    EXPECT_TRUE(holds(text, reason));  // the decoder says what it is not
    EXPECT_EQ(platform::declaredImage(text.data(), text.size()).format, platform::ImageFormat::Unknown);
    const Bytes header = bmp(3, 3, 24, 0, 36);
    const platform::DeclaredImage declared = platform::declaredImage(header.data(), 26);
    EXPECT_EQ(declared.format, platform::ImageFormat::Bmp);
    EXPECT_EQ(declared.width, 3);
    EXPECT_EQ(declared.height, 3);
}
