// PNG output of rendered frames.
#pragma once
#include <cstdio>

namespace platform {

// rgb: width * height * 3 bytes, first row at the top. False on any I/O failure.
bool writePng(const char* path, int width, int height, const unsigned char* rgb);
// The same into an open stream, which stays open.
bool writePng(std::FILE* file, int width, int height, const unsigned char* rgb);

}  // namespace platform
