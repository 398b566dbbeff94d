// The directory a --render run writes its frames and soundtrack slice into, held by that run
// alone: created when missing, locked against a second run, and refused while it holds an earlier
// run's frames unless they are to be replaced, so that the frames in it always come from one run.
#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "output/whole_file.h"

namespace output {

class FrameDirectory {
public:
    FrameDirectory() = default;
    ~FrameDirectory();
    FrameDirectory(const FrameDirectory&) = delete;
    FrameDirectory& operator=(const FrameDirectory&) = delete;

    // Creates dir and any missing parents and locks it for this run. When it holds files of an
    // earlier run (frames, the soundtrack slice, their .part files), replace removes them first;
    // otherwise it is refused. False with the reason.
    bool open(const std::string& dir, bool replace, std::string& error);
    // Writes the file name in the directory whole (see WholeFile): write fills the stream and says
    // whether it could. False with the reason.
    // Allocates nothing once the names have been seen (frames are written at a steady pace).
    bool writeFile(const char* name, const std::function<bool(std::FILE*)>& write, std::string& error);
    // Unlocks it; when nothing was written, the directories open made are removed again.
    void close(bool wroteAnything);
    const std::string& path() const { return dir_; }

    static void frameName(long index, char (&name)[32]);  // "frame-000042.png"
    // A file name that a run writes: frame-<digits>.png, soundtrack.wav, or either with .part.
    static bool isRunFile(const std::string& name);

private:
    int fd_ = -1;
    std::string dir_;
    std::vector<std::string> made_;  // directories open created, outermost first
    WholeFile file_;                 // reused, with its names' storage
};

}  // namespace output
