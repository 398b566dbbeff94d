// --render's frames: DIR/frame-NNNNNN.png, one per frame, written on the output worker.
#pragma once
#include <string>
#include <vector>

#include "output/frame_output.h"

namespace output {

class PngFrameSink : public FrameSink {
public:
    PngFrameSink(std::string dir, int width, int height);
    bool writeFrame(const FrameView& frame) override;
    bool finish() override { return true; }
    std::string error() const override { return error_; }

private:
    std::string dir_;
    std::vector<unsigned char> rgb_;  // top row first, as PNG stores it
    std::vector<char> path_;
    std::string error_;
};

// BGRA rows bottom first -> RGB rows top first.
void bgraBottomUpToRgb(const unsigned char* bgra, int width, int height, unsigned char* rgb);

}  // namespace output
