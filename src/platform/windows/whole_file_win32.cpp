// The whole-file writer on Windows: NAME.part created with CREATE_NEW and held with a share mode
// that lets no other run open it for writing or deleting, then renamed over NAME by MoveFileExW
// while still open, so that no other run can take it over in between.
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>

#include "output/whole_file.h"
#include "platform/windows/win32.h"

namespace output {
namespace {

using platform::win32::systemReason;

std::wstring wide(const std::string& path) { return platform::win32::widePath(path); }

struct FileId {
    DWORD volume = 0, high = 0, low = 0;
};

bool idOf(HANDLE handle, FileId& id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

// Whether path still names the file id, the name itself rather than what a link leads to.
bool stillThere(const std::string& path, unsigned long long volume, unsigned long long index) {
    const HANDLE h = CreateFileW(wide(path).c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FileId id;
    const bool same = idOf(h, id) && id.volume == volume && ((unsigned long long)id.high << 32 | id.low) == index;
    CloseHandle(h);
    return same;
}

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);  // "C:\"
    return path.substr(0, slash);
}

}  // namespace

std::string reasonText(int errnoValue) { return std::strerror(errnoValue); }

WholeFile::~WholeFile() { discard(); }

// dirFd is not used here: the Windows frame directory names its files by joining paths.
bool WholeFile::create(const char* target, std::string& error, int dirFd) {
    discard();
    dirFd_ = dirFd;
    target_.assign(target);
    part_.assign(target);
    part_.append(kPartSuffix);
    const std::wstring part = wide(part_);
    for (int round = 0; round < 4; ++round) {
        // Writing is ours alone while it is open; reading is shared, and so is deleting, for the
        // rename. A run that finds it asks for it alone and so learns that it is in use.
        const HANDLE h = CreateFileW(part.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                     nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            FileId id;
            if (!idOf(h, id)) {
                const DWORD code = GetLastError();
                CloseHandle(h);
                DeleteFileW(part.c_str());
                error = "cannot write " + part_ + ": " + systemReason(code);
                return false;
            }
            const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
            if (fd < 0) {
                CloseHandle(h);
                DeleteFileW(part.c_str());
                error = "cannot write " + part_ + ": " + reasonText(errno);
                return false;
            }
            fd_ = fd;
            device_ = id.volume;
            inode_ = (unsigned long long)id.high << 32 | id.low;
            return true;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            error = "cannot write " + part_ + ": " + systemReason(code);
            return false;
        }
        const DWORD attributes = GetFileAttributesW(part.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;  // gone meanwhile
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            error = part_ + " is a symbolic link; not writing through it";
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            error = part_ + " exists and is not a regular file";
            return false;
        }
        // Opened alone and removed on closing: a run that holds it makes this a sharing violation.
        const HANDLE other = CreateFileW(part.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (other == INVALID_HANDLE_VALUE) {
            const DWORD why = GetLastError();
            if (why == ERROR_FILE_NOT_FOUND) continue;
            error = why == ERROR_SHARING_VIOLATION ? "another run is writing " + target_ + " (" + part_ + " is in use)"
                                                   : "cannot write " + part_ + ": " + systemReason(why);
            return false;
        }
        CloseHandle(other);  // what a killed run left behind: gone now
    }
    error = "cannot write " + part_ + ": other runs keep making it";
    return false;
}

std::FILE* WholeFile::stream() {
    if (!stream_ && fd_ >= 0) stream_ = _fdopen(fd_, "wb");
    return stream_;
}

bool WholeFile::commit(std::string& error, bool durable) {
    if (fd_ < 0) {
        error = "cannot write " + target_ + ": not open";
        return false;
    }
    errno = 0;
    bool ok = !stream_ || (std::fflush(stream_) == 0 && !std::ferror(stream_));
    if (ok && durable && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)))) ok = false;
    if (!ok) {
        error = "cannot write " + part_ + ": " + reasonText(errno ? errno : EIO);
        discard();
        return false;
    }
    if (!stillThere(part_, device_, inode_)) {
        error = part_ + " was replaced or removed while it was written";
        discard();
        return false;
    }
    if (!MoveFileExW(wide(part_).c_str(), wide(target_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        error = "cannot rename " + part_ + " to " + target_ + ": " + systemReason(GetLastError());
        discard();
        return false;
    }
    const bool closed = stream_ ? std::fclose(stream_) == 0 : _close(fd_) == 0;
    stream_ = nullptr;
    fd_ = -1;
    if (!closed) {
        error = "cannot write " + target_ + ": " + reasonText(errno ? errno : EIO);
        DeleteFileW(wide(target_).c_str());
        return false;
    }
    return true;
}

void WholeFile::discard() {
    if (fd_ < 0) return;
    // Deleted while still open (the name goes when the handle closes), so it is surely ours.
    if (stillThere(part_, device_, inode_)) DeleteFileW(wide(part_).c_str());
    if (stream_)
        std::fclose(stream_);
    else
        _close(fd_);
    stream_ = nullptr;
    fd_ = -1;
}

bool checkOutputTarget(const std::string& target, std::string& error) {
    const std::string dir = parentOf(target);
    const DWORD dirAttributes = GetFileAttributesW(wide(dir).c_str());
    if (dirAttributes == INVALID_FILE_ATTRIBUTES) {
        error = "cannot write " + target + ": " + dir + ": " + systemReason(GetLastError());
        return false;
    }
    if (!(dirAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        error = "cannot write " + target + ": " + dir + " is not a directory";
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            error = "cannot write " + target + ": it is a directory";
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_DEVICE) {
            error = "cannot write " + target + ": it exists and is not a regular file";
            return false;
        }
    } else if (const DWORD code = GetLastError(); code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND) {
        error = "cannot write " + target + ": " + systemReason(code);
        return false;
    }
    // Names are counted in UTF-16 units; most Windows file systems allow 255 of them.
    const size_t slash = target.find_last_of("/\\");
    const std::wstring name = platform::win32::wide(target.substr(slash == std::string::npos ? 0 : slash + 1));
    constexpr size_t kNameMax = 255;
    if (name.size() + std::strlen(kPartSuffix) > kNameMax) {
        error = "cannot write " + target + ": its name is too long for the file system with " + kPartSuffix +
                " added (at most " + std::to_string(kNameMax) + " characters)";
        return false;
    }
    // Extended-length paths (see widePath) go up to 32767 characters.
    if (wide(target).size() + std::strlen(kPartSuffix) >= 32767) {
        error = "cannot write " + target + ": the path is too long";
        return false;
    }
    return true;
}

}  // namespace output
