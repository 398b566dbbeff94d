// The command line.
#pragma once
#include <string>

struct Options {
    enum class Mode { Show, Render, Bench, Video, Help, Version, Check } mode = Mode::Show;
    bool windowed = false;
    double fromMs = 0;
    double toMs = -1;        // < 0: the end of the show
    double fps = 60;
    bool seeded = false;
    unsigned seed = 0;
    std::string renderDir;
    bool force = false;      // --render: replace an earlier run's frames in the directory
    std::string videoFile;   // --video: .mp4 or .mkv
    int crf = 18;            // --video quality: 0 (lossless) .. 51
    std::string viewFile;  // --view: the model viewer (with --render: its turntable)
    std::string dataDir;     // --data: where the data set lies; empty: look for it
    bool json = false;       // --check --json: the report as one JSON document
    int width = 800, height = 600;  // --size: the output (window, frames) in pixels
    bool sized = false;
    int ssaa = 0;  // --ssaa 1..4; 0: not given (1 headless, multisampling where offered in the window)
};

// Output sides --size accepts; the GL may allow less.
inline constexpr int kMinOutputSide = 64;
inline constexpr int kMaxOutputSide = 16384;

// Parses argv; false with a one-line message in error for anything it does not accept.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);
const char* usageText();
const char* versionText();  // "lumivane <version>\n"
