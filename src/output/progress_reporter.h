// Progress of a headless run on standard error: on a terminal one line that updates in place
// (frame / total, percent, frames per second, elapsed, time left); elsewhere a plain line at
// every 5 %.
#pragma once
#include <chrono>
#include <cstdio>

namespace output {

class ProgressReporter {
public:
    // label: "render", "video", "bench". interactive: update in place (normally: stream is a terminal).
    ProgressReporter(const char* label, long total, std::FILE* stream, bool interactive);
    ProgressReporter(const char* label, long total);  // standard error, interactive when a terminal
    void update(long done);  // frames finished so far
    void finish();           // ends the updating line

private:
    void print(long done, double elapsedS, bool newline);

    const char* label_;
    long total_;
    std::FILE* stream_;
    bool interactive_;
    int nextStep_ = 1;  // next 5 % step to report (plain lines)
    bool open_ = false; // an updating line is on screen
    std::chrono::steady_clock::time_point start_, lastPrint_;
};

}  // namespace output
