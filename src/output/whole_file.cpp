#include "output/whole_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace output {
namespace {

int at(int dirFd) { return dirFd >= 0 ? dirFd : AT_FDCWD; }

// Whether name in dirFd is still the file (device, inode), not followed through a link.
bool stillThere(int dirFd, const std::string& name, unsigned long long device, unsigned long long inode) {
    struct stat now {};
    return fstatat(at(dirFd), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == device &&
           now.st_ino == inode;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

std::string reasonText(int errnoValue) { return std::strerror(errnoValue); }

WholeFile::~WholeFile() { discard(); }

bool WholeFile::create(const char* target, std::string& error, int dirFd) {
    discard();
    dirFd_ = dirFd;
    target_.assign(target);
    part_.assign(target);
    part_.append(kPartSuffix);
    // A few rounds: a .part left by a killed run is removed and the creation tried again; a run
    // that takes over such a file at the same moment as another loses to it, as it should.
    for (int round = 0; round < 4; ++round) {
        const int fd = openat(at(dirFd), part_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            struct stat made {};
            // Locked and still in place: another run that found it unlocked in between may have
            // taken it for a killed run's leftover and removed it; then start again.
            if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &made) == 0 &&
                stillThere(dirFd, part_, made.st_dev, made.st_ino)) {
                fd_ = fd;
                device_ = made.st_dev;
                inode_ = made.st_ino;
                return true;
            }
            close(fd);
            continue;
        }
        if (errno != EEXIST) {
            error = "cannot write " + part_ + ": " + reasonText(errno);
            return false;
        }
        const int other = openat(at(dirFd), part_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (other < 0) {
            if (errno == ENOENT) continue;  // gone meanwhile
            error = errno == ELOOP ? part_ + " is a symbolic link; not writing through it"
                                   : "cannot write " + part_ + ": " + reasonText(errno);
            return false;
        }
        struct stat found {};
        if (fstat(other, &found) != 0 || !S_ISREG(found.st_mode)) {
            close(other);
            error = part_ + " exists and is not a regular file";
            return false;
        }
        if (flock(other, LOCK_EX | LOCK_NB) != 0) {
            close(other);
            error = "another run is writing " + target_ + " (" + part_ + " is in use)";
            return false;
        }
        // Nobody holds it: what a killed run left behind.
        if (stillThere(dirFd, part_, found.st_dev, found.st_ino)) unlinkat(at(dirFd), part_.c_str(), 0);
        close(other);
    }
    error = "cannot write " + part_ + ": other runs keep making it";
    return false;
}

std::FILE* WholeFile::stream() {
    if (!stream_ && fd_ >= 0) stream_ = fdopen(fd_, "wb");
    return stream_;
}

bool WholeFile::commit(std::string& error, bool durable) {
    if (fd_ < 0) {
        error = "cannot write " + target_ + ": not open";
        return false;
    }
    errno = 0;
    bool ok = !stream_ || (std::fflush(stream_) == 0 && !std::ferror(stream_));
    if (ok && durable && fsync(fd_) != 0) ok = false;
    if (!ok) {
        error = "cannot write " + part_ + ": " + reasonText(errno ? errno : EIO);
        discard();
        return false;
    }
    // Renamed while still open and locked, so that no other run can take it over in between.
    if (!stillThere(dirFd_, part_, device_, inode_)) {
        error = part_ + " was replaced or removed while it was written";
        discard();
        return false;
    }
    if (renameat(at(dirFd_), part_.c_str(), at(dirFd_), target_.c_str()) != 0) {
        error = "cannot rename " + part_ + " to " + target_ + ": " + reasonText(errno);
        discard();
        return false;
    }
    const bool closed = stream_ ? std::fclose(stream_) == 0 : close(fd_) == 0;
    stream_ = nullptr;
    fd_ = -1;
    if (!closed) {
        // A delayed write error (network file systems report them on close): the file is not whole.
        error = "cannot write " + target_ + ": " + reasonText(errno ? errno : EIO);
        unlinkat(at(dirFd_), target_.c_str(), 0);
        return false;
    }
    return true;
}

void WholeFile::discard() {
    if (fd_ < 0) return;
    if (stillThere(dirFd_, part_, device_, inode_)) unlinkat(at(dirFd_), part_.c_str(), 0);
    if (stream_)
        std::fclose(stream_);
    else
        close(fd_);
    stream_ = nullptr;
    fd_ = -1;
}

bool checkOutputTarget(const std::string& target, std::string& error) {
    const std::string dir = parentOf(target);
    struct stat info {};
    if (stat(dir.c_str(), &info) != 0) {
        error = "cannot write " + target + ": " + dir + ": " + reasonText(errno);
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = "cannot write " + target + ": " + dir + " is not a directory";
        return false;
    }
    if (lstat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = "cannot write " + target + ": it is a directory";
            return false;
        }
        if (!S_ISREG(info.st_mode) && !S_ISLNK(info.st_mode)) {
            error = "cannot write " + target + ": it exists and is not a regular file";
            return false;
        }
    } else if (errno != ENOENT) {
        error = "cannot write " + target + ": " + reasonText(errno);
        return false;
    }
    const size_t slash = target.find_last_of('/');
    const size_t nameLength = target.size() - (slash == std::string::npos ? 0 : slash + 1);
    errno = 0;
    long nameMax = pathconf(dir.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0) nameMax = NAME_MAX;
    if (nameLength + std::strlen(kPartSuffix) > static_cast<size_t>(nameMax)) {
        error = "cannot write " + target + ": its name is too long for the file system with " + kPartSuffix +
                " added (at most " + std::to_string(nameMax) + " bytes)";
        return false;
    }
    if (target.size() + std::strlen(kPartSuffix) >= PATH_MAX) {
        error = "cannot write " + target + ": the path is too long";
        return false;
    }
    return true;
}

}  // namespace output
