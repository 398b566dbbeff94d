#include "output/png_frames.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

PngFrameSink::PngFrameSink(std::string dir, int width, int height)
    : dir_(std::move(dir)), rgb_(static_cast<size_t>(width) * height * 3), path_(dir_.size() + 32) {}

bool PngFrameSink::writeFrame(const FrameView& frame) {
    bgraBottomUpToRgb(frame.pixels, frame.width, frame.height, rgb_.data());
    std::snprintf(path_.data(), path_.size(), "%s/frame-%06ld.png", dir_.c_str(), frame.index);
    errno = 0;
    if (platform::writePng(path_.data(), frame.width, frame.height, rgb_.data())) return true;
    error_ = std::string("cannot write ") + path_.data() + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
}

}  // namespace output
