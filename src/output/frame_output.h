// Frames leaving the program: read back from the default framebuffer through two pixel-buffer
// objects in turn (the copy of frame k overlaps the drawing of frame k + 1), handed through a
// bounded queue to one worker thread that writes them (PNG files or a video).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace output {

// A frame as read back: BGRA, 4 bytes a pixel, rows bottom first (as GL numbers them).
struct FrameView {
    const uint8_t* pixels;
    int width, height;
    long index;  // frame number k from the start of the run
};

// What the worker thread does with each frame. Runs on the worker thread only.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual bool writeFrame(const FrameView& frame) = 0;  // false: failed, reason in error()
    virtual bool finish() = 0;                            // after the last frame; false: failed
    virtual std::string error() const = 0;
};

// Two pixel-buffer objects used in turn. Needs the GL context current; GL calls only.
class FrameReadback {
public:
    ~FrameReadback();
    bool create(int width, int height);  // false when the context lacks pixel-buffer objects
    void destroy();
    // Starts the copy of the default framebuffer into the next buffer; leaves the read
    // framebuffer binding and the pixel-pack buffer binding as it found them.
    void start();
    // The oldest started copy, mapped (waits for it), or nullptr when none is pending; release()
    // unmaps it. At most two copies are pending.
    const uint8_t* mapOldest();
    void release();
    int pending() const { return pending_; }

private:
    unsigned buffers_[2] = {0, 0};
    int width_ = 0, height_ = 0;
    int next_ = 0;     // buffer the next start() fills
    int pending_ = 0;  // started, not yet released
};

// Read-back plus worker: call captureFrame() once after each drawn frame, then finish().
class FrameOutput {
public:
    static constexpr int kSlots = 4;  // frames the queue holds before the drawing thread waits

    ~FrameOutput();
    // Starts the worker; sink is used on the worker thread until finish() returns.
    bool start(int width, int height, FrameSink* sink, std::string& error);
    // Starts the read-back of the frame just drawn and queues the one before it.
    void captureFrame();
    // Queues the last frame, waits for the worker to write everything and finishes the sink.
    bool finish();
    bool failed() const;        // the sink failed; the run should stop
    std::string error() const;  // the sink's reason
    long framesWritten() const;

private:
    void queueOldest();
    void work();

    FrameReadback readback_;
    FrameSink* sink_ = nullptr;
    int width_ = 0, height_ = 0;
    size_t frameBytes_ = 0;
    std::vector<uint8_t> storage_;  // kSlots frames, allocated once
    long slotIndex_[kSlots] = {};
    long nextIndex_ = 0;  // k of the next frame to queue

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int head_ = 0, count_ = 0;  // ring of filled slots
    bool closing_ = false, failed_ = false;
    long written_ = 0;
    std::string error_;
    std::thread worker_;
};

}  // namespace output
