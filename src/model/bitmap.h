// The 32-bit uncompressed bitmaps that materials name: 54 bytes of headers, then
// width x height x 4 bytes uploaded as they stand (as R, G, B, A), first file row first.
// A top-down file (negative height) has its rows reversed, so it gives the same texture as the
// bottom-up file of the same picture.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct BitmapImage {
    int32_t width = 0;
    int32_t height = 0;  // rows, positive also for a top-down file
    std::vector<uint8_t> pixels;  // width * height * 4 bytes in file order (bottom row first)
};

// Parses a bitmap held in memory. On refusal returns false with a short reason (English) and
// leaves image empty.
bool parseBitmap(const uint8_t* data, std::size_t size, BitmapImage& image, std::string& reason);
