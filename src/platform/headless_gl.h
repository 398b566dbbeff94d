// An offscreen GL context with a pbuffer of the output size (800x600 unless asked otherwise): the
// picture of the tests, of --render, --video and --bench. On Linux it runs on the first hardware
// device EGL lists, else on Mesa's surfaceless platform; on Windows on a WGL pbuffer (a framebuffer
// object where the driver has no pbuffers). The pbuffer is single-buffered, so the default draw and
// read buffer is the front one.
#pragma once
#include <string>

namespace platform {

// True when any GL context, the window's or a headless one, is current on this thread.
bool glContextCurrent();

class HeadlessGL {
public:
    HeadlessGL() = default;
    ~HeadlessGL();
    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;

    // Creates the context (compatibility profile, RGB8 without alpha planes, 16-bit depth) and makes it current.
    bool create(int width = 800, int height = 600);
    void destroy();
    bool valid() const { return context_ != nullptr; }
    const std::string& error() const { return error_; }
    // The last create failed because the size is over the largest pbuffer EGL offers.
    bool sizeRefused() const { return sizeRefused_; }

private:
    bool createOn(void* display, int width, int height);
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
    std::string error_;
    bool sizeRefused_ = false;
};

}  // namespace platform
