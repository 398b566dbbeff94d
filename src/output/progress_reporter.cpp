#include "output/progress_reporter.h"

#include <unistd.h>

namespace output {

ProgressReporter::ProgressReporter(const char* label, long total, std::FILE* stream, bool interactive)
    : label_(label), total_(total), stream_(stream), interactive_(interactive),
      start_(std::chrono::steady_clock::now()), lastPrint_(start_) {}

ProgressReporter::ProgressReporter(const char* label, long total)
    : ProgressReporter(label, total, stderr, isatty(fileno(stderr)) != 0) {}

void ProgressReporter::print(long done, double elapsedS, bool newline) {
    const double fps = elapsedS > 0 ? done / elapsedS : 0;
    const double left = fps > 0 ? (total_ - done) / fps : 0;
    const double percent = total_ > 0 ? 100.0 * done / total_ : 100.0;
    std::fprintf(stream_, "%s%s frame %ld/%ld  %3.0f %%  %.1f fps  elapsed %d:%02d  left %d:%02d%s",
                 interactive_ ? "\r" : "", label_, done, total_, percent, fps, static_cast<int>(elapsedS) / 60,
                 static_cast<int>(elapsedS) % 60, static_cast<int>(left) / 60, static_cast<int>(left) % 60,
                 newline ? "\n" : "\033[K");
    std::fflush(stream_);
}

void ProgressReporter::update(long done) {
    const auto now = std::chrono::steady_clock::now();
    const double elapsedS = std::chrono::duration<double>(now - start_).count();
    if (interactive_) {
        // About five updates a second, and always the last frame.
        if (done < total_ && now - lastPrint_ < std::chrono::milliseconds(200)) return;
        lastPrint_ = now;
        print(done, elapsedS, false);
        open_ = true;
        return;
    }
    bool due = false;
    while (nextStep_ <= 20 && done * 20 >= nextStep_ * total_) {
        ++nextStep_;
        due = true;
    }
    if (due) print(done, elapsedS, true);
}

void ProgressReporter::finish() {
    if (open_) std::fputc('\n', stream_);
    open_ = false;
}

}  // namespace output
