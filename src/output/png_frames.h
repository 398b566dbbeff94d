// --render's frames: DIR/frame-NNNNNN.png, one per frame, written on the output worker, each one
// whole or not at all.
#pragma once
#include <string>
#include <vector>

#include "output/frame_output.h"

namespace output {

class FrameDirectory;

class PngFrameSink : public FrameSink {
public:
    // dir: opened, and kept open until the sink is done.
    PngFrameSink(FrameDirectory& dir, int width, int height);
    bool writeFrame(const FrameView& frame) override;
    bool finish() override { return true; }
    std::string error() const override { return error_; }

private:
    FrameDirectory& dir_;
    std::vector<unsigned char> rgb_;  // top row first, as PNG stores it
    char name_[32] = {};
    std::string error_;
};

// BGRA rows bottom first -> RGB rows top first.
void bgraBottomUpToRgb(const unsigned char* bgra, int width, int height, unsigned char* rgb);

}  // namespace output
