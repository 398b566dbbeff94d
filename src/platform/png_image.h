// PNG output of rendered frames.
#pragma once

namespace platform {

// rgb: width * height * 3 bytes, first row at the top. False on any I/O failure.
bool writePng(const char* path, int width, int height, const unsigned char* rgb);

}  // namespace platform
