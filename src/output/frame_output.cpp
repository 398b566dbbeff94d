#include "output/frame_output.h"

// Pixel-buffer objects are GL 2.1; the headless context offers 4.5 compatibility, and the
// library exports the entry points.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

namespace output {

// ---- FrameReadback ----

FrameReadback::~FrameReadback() { destroy(); }

bool FrameReadback::create(int width, int height) {
    destroy();
    while (glGetError() != GL_NO_ERROR) {}
    width_ = width;
    height_ = height;
    glGenBuffers(2, buffers_);
    GLint previous = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &previous);
    for (unsigned buffer : buffers_) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(width) * height * 4, nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, previous);
    if (glGetError() != GL_NO_ERROR) {
        destroy();
        return false;
    }
    return true;
}

void FrameReadback::destroy() {
    if (buffers_[0]) glDeleteBuffers(2, buffers_);
    buffers_[0] = buffers_[1] = 0;
    next_ = pending_ = 0;
}

void FrameReadback::start() {
    if (pending_ == 2) return;  // caller must map and release first
    GLint readFramebuffer = 0, packBuffer = 0, alignment = 4;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    // The finished picture is in the default framebuffer, whatever a frame drew into before.
    if (readFramebuffer) glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[next_]);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // BGRA is the layout of the pbuffer, so the copy needs no conversion.
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
    if (readFramebuffer) glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    next_ ^= 1;
    ++pending_;
}

const uint8_t* FrameReadback::mapOldest() {
    if (pending_ == 0) return nullptr;
    const int oldest = pending_ == 2 ? next_ : next_ ^ 1;
    GLint packBuffer = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest]);
    const void* data =
        glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(width_) * height_ * 4, GL_MAP_READ_BIT);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
    return static_cast<const uint8_t*>(data);
}

void FrameReadback::release() {
    if (pending_ == 0) return;
    const int oldest = pending_ == 2 ? next_ : next_ ^ 1;
    GLint packBuffer = 0;
    glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &packBuffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[oldest]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, packBuffer);
    --pending_;
}

// ---- FrameOutput ----

FrameOutput::~FrameOutput() {
    if (worker_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        worker_.join();
    }
}

bool FrameOutput::start(int width, int height, FrameSink* sink, std::string& error) {
    if (!readback_.create(width, height)) {
        error = "the GL context has no pixel-buffer objects";
        return false;
    }
    sink_ = sink;
    width_ = width;
    height_ = height;
    frameBytes_ = static_cast<size_t>(width) * height * 4;
    storage_.assign(frameBytes_ * kSlots, 0);
    worker_ = std::thread([this] { work(); });
    return true;
}

void FrameOutput::captureFrame() {
    if (readback_.pending() == 2) queueOldest();
    readback_.start();
}

void FrameOutput::queueOldest() {
    int slot = 0;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return count_ < kSlots; });
        slot = (head_ + count_) % kSlots;
    }
    // The slot is outside the filled ring, so the worker does not touch it while it is copied.
    const uint8_t* pixels = readback_.mapOldest();
    if (pixels) std::memcpy(storage_.data() + slot * frameBytes_, pixels, frameBytes_);
    else std::memset(storage_.data() + slot * frameBytes_, 0, frameBytes_);
    readback_.release();
    slotIndex_[slot] = nextIndex_++;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ++count_;
    }
    changed_.notify_all();
}

bool FrameOutput::finish() {
    while (readback_.pending() > 0) queueOldest();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    readback_.destroy();
    if (failed_) return false;
    if (!sink_->finish()) {
        failed_ = true;
        error_ = sink_->error();
        return false;
    }
    return true;
}

void FrameOutput::work() {
    for (;;) {
        int slot = 0;
        bool skip = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return count_ > 0 || closing_; });
            if (count_ == 0) return;
            slot = head_;
            skip = failed_;
        }
        bool ok = true;
        if (!skip) ok = sink_->writeFrame({storage_.data() + slot * frameBytes_, width_, height_, slotIndex_[slot]});
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!skip && ok) ++written_;
            if (!ok && !failed_) {
                failed_ = true;
                error_ = sink_->error();
            }
            head_ = (head_ + 1) % kSlots;
            --count_;
        }
        changed_.notify_all();
    }
}

bool FrameOutput::failed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
}

std::string FrameOutput::error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

long FrameOutput::framesWritten() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}

}  // namespace output
