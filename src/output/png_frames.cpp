#include "output/png_frames.h"

#include <cstdio>

#include "output/frame_directory.h"
#include "platform/png_image.h"

namespace output {

void bgraBottomUpToRgb(const unsigned char* bgra, int width, int height, unsigned char* rgb) {
    for (int y = 0; y < height; ++y) {
        const unsigned char* in = bgra + static_cast<size_t>(height - 1 - y) * width * 4;
        unsigned char* out = rgb + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
}

PngFrameSink::PngFrameSink(FrameDirectory& dir, int width, int height)
    : dir_(dir), rgb_(static_cast<size_t>(width) * height * 3) {}

bool PngFrameSink::writeFrame(const FrameView& frame) {
    bgraBottomUpToRgb(frame.pixels, frame.width, frame.height, rgb_.data());
    FrameDirectory::frameName(frame.index, name_);
    return dir_.writeFile(
        name_,
        [&](std::FILE* file) { return platform::writePng(file, frame.width, frame.height, rgb_.data()); }, error_);
}

}  // namespace output
