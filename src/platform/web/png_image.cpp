// The page writes no files of its own: its frames stay on the canvas.
#include "platform/png_image.h"

namespace platform {

bool writePng(const char*, int, int, const unsigned char*) { return false; }
bool writePng(std::FILE*, int, int, const unsigned char*) { return false; }

}  // namespace platform
