// One video file with the soundtrack, on FFmpeg's libraries: .mp4 (H.264 yuv420p, BT.709,
// moov atom first, AAC) or .mkv (H.264, FLAC). Written to FILE.part (a WholeFile: exclusive, so a
// second run to FILE refuses at once) and renamed to FILE once the container is complete, so FILE
// never names a half-written video.
#pragma once
#include <cstdint>
#include <string>

#include "output/frame_output.h"
#include "output/whole_file.h"
#include "platform/wav_file.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;
struct SwrContext;

namespace output {

struct VideoSettings {
    std::string path;                        // ends in .mp4 or .mkv
    int width = 800, height = 600;
    double fps = 60;
    int crf = 18;                            // 0 (lossless) .. 51
    // x264 preset: on two cores "ultrafast" costs about 3 ms a frame at 800x600 against 7.5 for
    // "superfast" and 11 for "veryfast", for files about 2.3 times the size of veryfast's.
    const char* preset = "ultrafast";
    const platform::PcmSound* audio = nullptr;  // the soundtrack slice, or nullptr for a silent video
};

// True when path names a container the writer knows (.mp4, .mkv, any case).
bool isVideoPath(const std::string& path);

// Why this build writes no video files, with the way to make one from --render's frames at fps;
// empty where it does.
std::string videoUnavailable(double fps);

class VideoWriter : public FrameSink {
public:
    VideoWriter() = default;
    ~VideoWriter() override;  // an unfinished file is removed
    VideoWriter(const VideoWriter&) = delete;
    VideoWriter& operator=(const VideoWriter&) = delete;

    // Checks FILE's place, creates FILE.part and the encoders; false with the reason in error
    // (nothing left on disk).
    bool open(const VideoSettings& settings, std::string& error);
    // Frame k: the encoded picture, then the sound up to the frame's end.
    bool writeFrame(const FrameView& frame) override;
    // The sound up to the end of the last frame (at most the slice), the encoders' tails, the
    // container's index; then FILE.part becomes FILE.
    bool finish() override;
    std::string error() const override { return error_; }
    long frames() const { return frames_; }
    // After open: why the soundtrack given could not be used (the video is then silent), or "".
    const std::string& warning() const { return warning_; }

private:
    bool openAudio(const platform::PcmSound& audio);
    bool encodeAudioUntil(int64_t endSample, bool last);
    bool drain(AVCodecContext* codec, AVStream* stream);
    bool fail(const char* what, int code);
    void close();

    VideoSettings settings_;
    WholeFile partFile_;
    std::string partPath_;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* video_ = nullptr;
    AVCodecContext* audio_ = nullptr;
    AVStream* videoStream_ = nullptr;
    AVStream* audioStream_ = nullptr;
    AVFrame* picture_ = nullptr;
    AVFrame* sound_ = nullptr;
    AVPacket* packet_ = nullptr;
    SwsContext* scaler_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int audioFrameSize_ = 1024;
    int64_t audioNext_ = 0;  // next sample frame of the slice to encode
    long frames_ = 0;
    bool headerWritten_ = false;
    bool finished_ = false;
    std::string error_, warning_;
};

}  // namespace output
