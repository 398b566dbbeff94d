// The video writer of a build without a video encoder (Windows has no FFmpeg here): it knows the
// containers, so that --video is understood, and refuses to open with the way to make the video
// from the rendered frames instead.
#include <cstdio>
#include <string>

#include "output/video_writer.h"

namespace output {
namespace {

bool endsWith(const std::string& path, const char* suffix) {
    const std::string s(suffix);
    if (path.size() <= s.size()) return false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = path[path.size() - s.size() + i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != s[i]) return false;
    }
    return true;
}

}  // namespace

bool isVideoPath(const std::string& path) { return endsWith(path, ".mp4") || endsWith(path, ".mkv"); }

std::string videoUnavailable(double fps) {
    char text[320];
    std::snprintf(text, sizeof text,
                  "this build has no video encoder: render the frames with --render DIR and join them with "
                  "ffmpeg -framerate %g -i DIR/frame-%%06d.png -i DIR/soundtrack.wav -c:v libx264 -pix_fmt yuv420p "
                  "-c:a aac FILE.mp4",
                  fps);
    return text;
}

VideoWriter::~VideoWriter() { close(); }

bool VideoWriter::open(const VideoSettings& settings, std::string& error) {
    settings_ = settings;
    error = videoUnavailable(settings.fps);
    return false;
}

bool VideoWriter::writeFrame(const FrameView&) { return false; }
bool VideoWriter::finish() { return false; }
void VideoWriter::close() {}

}  // namespace output
