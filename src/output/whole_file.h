// Output files that appear whole or not at all. A file is written under NAME.part, created
// exclusively (never through a link, never over another run's file) and held locked while it is
// written, then renamed to NAME. A crash, a kill or a full disk leaves at most a .part, never a
// truncated file under the final name; a second run writing the same file refuses at once.
#pragma once
#include <cstdio>
#include <string>

namespace output {

inline constexpr const char* kPartSuffix = ".part";

class WholeFile {
public:
    WholeFile() = default;
    ~WholeFile();  // not committed: the .part is removed
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Creates target.part. A .part that another run holds is refused with a message saying so; one
    // left behind by a run that was killed is removed first. dirFd: the directory target is
    // relative to (an open directory), or -1 for a path relative to the working directory.
    // Once a name of the same length has been used, creating allocates nothing.
    bool create(const std::string& target, std::string& error, int dirFd = -1) {
        return create(target.c_str(), error, dirFd);
    }
    bool create(const char* target, std::string& error, int dirFd = -1);
    // A stream over the .part (owned by this object), for writers that take one.
    std::FILE* stream();
    const std::string& partPath() const { return part_; }
    // Flushes and closes the .part (with durable, its data reaches the disk first), checks that it
    // is still the file created and renames it over target. False with the reason; the .part is
    // then removed.
    bool commit(std::string& error, bool durable = false);
    // Removes the .part.
    void discard();

private:
    int dirFd_ = -1;
    int fd_ = -1;
    std::FILE* stream_ = nullptr;
    std::string target_, part_;
    unsigned long long device_ = 0, inode_ = 0;  // of the .part as created
};

// What can be known about target before anything is drawn: its parent is a directory, target is
// not a directory or another kind of file that a video cannot replace, and target.part is not too
// long a name. False with the reason.
bool checkOutputTarget(const std::string& target, std::string& error);

// The system's text for an errno value, in English.
std::string reasonText(int errnoValue);

}  // namespace output
