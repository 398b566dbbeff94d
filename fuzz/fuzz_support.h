// What both fuzz targets share: a headless GL context, recorded message boxes, and a scratch
// directory holding a good and a refused bitmap for model files to name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Creates the context, the message recorder and the scratch directory once; aborts without GL.
void setUpOnce();
// The scratch directory in the show's backslash form, ending in a backslash.
const std::string& scratchDirectory();
// Host path of a file in the scratch directory.
std::string scratchFile(const char* name);
// Forgets the messages recorded so far.
void clearMessages();
// A bitmap file: 54 bytes of headers, then the pixels.
std::vector<uint8_t> bitmapBytes(int32_t width, int32_t height, uint16_t bitCount, const std::vector<uint8_t>& pixels);

}  // namespace fuzz
