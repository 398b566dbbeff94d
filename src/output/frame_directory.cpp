#include "output/frame_directory.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "output/whole_file.h"

namespace output {
namespace {

// The names of the run's files in the directory open as fd, sorted.
bool runFiles(int fd, std::vector<std::string>& names, std::string& error) {
    const int copy = dup(fd);
    DIR* listing = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!listing) {
        error = reasonText(errno);
        if (copy >= 0) ::close(copy);
        return false;
    }
    while (const dirent* entry = readdir(listing))
        if (FrameDirectory::isRunFile(entry->d_name)) names.emplace_back(entry->d_name);
    closedir(listing);
    std::sort(names.begin(), names.end());
    return true;
}

}  // namespace

// A run that ends without close() wrote nothing; only empty directories go (rmdir keeps the rest).
FrameDirectory::~FrameDirectory() { close(false); }

bool FrameDirectory::open(const std::string& dir, bool replace, std::string& error) {
    dir_ = dir;
    made_.clear();
    // Each missing directory from the outermost down, remembered so that a run that writes
    // nothing can take them away again.
    for (size_t end = 0; end != std::string::npos;) {
        end = dir.find('/', end + 1);
        const std::string prefix = dir.substr(0, end);
        if (prefix.empty() || prefix == "." || prefix == ".." || (end != std::string::npos && dir[end - 1] == '/'))
            continue;
        if (mkdir(prefix.c_str(), 0777) == 0) {
            made_.push_back(prefix);
        } else if (errno != EEXIST) {
            error = "cannot create directory " + prefix + ": " + reasonText(errno);
            close(false);
            return false;
        }
    }
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) {
        error = errno == ENOTDIR ? "cannot create directory " + dir + ": a file of that name is in the way"
                                 : "cannot open directory " + dir + ": " + reasonText(errno);
        close(false);
        return false;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        error = "another run is writing frames into " + dir;
        close(false);
        return false;
    }
    std::vector<std::string> earlier;
    if (!runFiles(fd_, earlier, error)) {
        error = "cannot read directory " + dir + ": " + error;
        close(false);
        return false;
    }
    if (!earlier.empty() && !replace) {
        error = dir + " holds " + std::to_string(earlier.size()) + " files of an earlier run (" + earlier.front() +
                (earlier.size() > 1 ? " ... " + earlier.back() : "") + "); --force replaces them";
        close(false);
        return false;
    }
    for (const std::string& name : earlier) {
        if (unlinkat(fd_, name.c_str(), 0) != 0 && errno != ENOENT) {
            error = "cannot remove " + dir + "/" + name + ": " + reasonText(errno);
            close(false);
            return false;
        }
    }
    return true;
}

bool FrameDirectory::writeFile(const char* name, const std::function<bool(std::FILE*)>& write,
                               std::string& error) {
    WholeFile& file = file_;
    if (!file.create(name, error, fd_)) {
        error += " in " + dir_;
        return false;
    }
    std::FILE* stream = file.stream();
    errno = 0;
    if (!stream || !write(stream)) {
        file.discard();
        error = "cannot write " + dir_ + "/" + file.partPath() + ": " + reasonText(errno ? errno : EIO);
        return false;
    }
    if (!file.commit(error)) {
        error += " in " + dir_;
        return false;
    }
    return true;
}

void FrameDirectory::close(bool wroteAnything) {
    file_.discard();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!wroteAnything)
        for (auto d = made_.rbegin(); d != made_.rend(); ++d) rmdir(d->c_str());
    made_.clear();
}

}  // namespace output
