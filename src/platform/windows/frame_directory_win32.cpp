// The --render directory on Windows: held open for the run with a share mode that refuses a
// second run; its files are
// named by joining paths, as Windows has no calls relative to an open directory.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "output/frame_directory.h"
#include "output/whole_file.h"
#include "platform/windows/win32.h"

namespace output {
namespace {

using platform::win32::widePath;

using platform::win32::systemReason;

// The names of the run's files in the directory open as handle, sorted. Listed through the
// handle itself, as its share mode refuses the opens that FindFirstFile would make.
bool runFiles(HANDLE directory, std::vector<std::string>& names, std::string& error) {
    alignas(8) unsigned char buffer[64 * 1024];
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(directory, kind, buffer, sizeof buffer)) {
        kind = FileFullDirectoryInfo;
        for (std::size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(buffer + at);
            const std::string name =
                platform::win32::utf8(entry->FileName, static_cast<int>(entry->FileNameLength / sizeof(wchar_t)));
            if (FrameDirectory::isRunFile(name)) names.push_back(name);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    if (const DWORD code = GetLastError(); code != ERROR_NO_MORE_FILES && code != ERROR_FILE_NOT_FOUND) {
        error = systemReason(code);
        return false;
    }
    std::sort(names.begin(), names.end());
    return true;
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

FrameDirectory::~FrameDirectory() { close(false); }

bool FrameDirectory::open(const std::string& dir, bool replace, std::string& error) {
    dir_ = dir;
    made_.clear();
    for (size_t end = 0; end != std::string::npos;) {
        end = dir.find_first_of("/\\", end + 1);
        const std::string prefix = dir.substr(0, end);
        if (prefix.empty() || prefix == "." || prefix == ".." || prefix.back() == ':' ||
            (end != std::string::npos && isSeparator(dir[end - 1])))
            continue;
        // NTFS takes 255 UTF-16 units a name; said as such, not as a missing path.
        const size_t from = dir.find_last_of("/\\", end == std::string::npos ? std::string::npos : end - 1);
        if (platform::win32::wide(prefix.substr(from == std::string::npos ? 0 : from + 1)).size() > 255) {
            error = "cannot create directory " + prefix + ": " + systemReason(ERROR_FILENAME_EXCED_RANGE);
            close(false);
            return false;
        }
        if (CreateDirectoryW(widePath(prefix).c_str(), nullptr)) {
            made_.push_back(prefix);
        } else if (const DWORD code = GetLastError(); code != ERROR_ALREADY_EXISTS) {
            error = "cannot create directory " + prefix + ": " + systemReason(code);
            close(false);
            return false;
        }
    }
    // Held with the right to add files, which it does not share: a second run asking for the same
    // is refused, while listing it (reading) stays open to everyone.
    const HANDLE h = CreateFileW(widePath(dir).c_str(), FILE_LIST_DIRECTORY | FILE_ADD_FILE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        error = code == ERROR_SHARING_VIOLATION ? "another run is writing frames into " + dir
                                                : "cannot open directory " + dir + ": " + systemReason(code);
        close(false);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        error = "cannot create directory " + dir + ": a file of that name is in the way";
        close(false);
        return false;
    }
    fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY);
    if (fd_ < 0) {
        CloseHandle(h);
        error = "cannot open directory " + dir + ": " + std::strerror(errno);
        close(false);
        return false;
    }
    std::vector<std::string> earlier;
    if (!runFiles(h, earlier, error)) {
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
        if (!DeleteFileW(widePath(dir + "\\" + name).c_str())) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_NOT_FOUND) continue;
            error = "cannot remove " + dir + "/" + name + ": " + systemReason(code);
            close(false);
            return false;
        }
    }
    return true;
}

bool FrameDirectory::writeFile(const char* name, const std::function<bool(std::FILE*)>& write,
                               std::string& error) {
    WholeFile& file = file_;
    std::string path = dir_;
    if (!path.empty() && !isSeparator(path.back())) path += '\\';
    path += name;
    if (!file.create(path, error)) {
        error += " in " + dir_;
        return false;
    }
    std::FILE* stream = file.stream();
    errno = 0;
    if (!stream || !write(stream)) {
        file.discard();
        error = "cannot write " + file.partPath() + ": " + std::strerror(errno ? errno : EIO);
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
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
    if (!wroteAnything)
        for (auto d = made_.rbegin(); d != made_.rend(); ++d) RemoveDirectoryW(widePath(*d).c_str());
    made_.clear();
}

}  // namespace output
