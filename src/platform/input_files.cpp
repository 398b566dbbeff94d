#include "platform/input_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include "platform/files.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

const char* kindText(fs::file_type type) {
    switch (type) {
    case fs::file_type::directory: return "not a regular file (a directory)";
    case fs::file_type::fifo: return "not a regular file (a FIFO)";
    case fs::file_type::socket: return "not a regular file (a socket)";
    case fs::file_type::block: return "not a regular file (a block device)";
    case fs::file_type::character: return "not a regular file (a character device)";
    default: return "not a regular file";
    }
}

}  // namespace

std::string unusableFileReason(const std::string& path) {
    if (path.empty()) return "no file name";
    std::error_code error;
    const fs::file_status status = fs::status(hostFsPath(path), error);  // follows links: a loop is an error
    if (error) return error.message();
    if (status.type() == fs::file_type::not_found) return std::strerror(ENOENT);
    if (status.type() != fs::file_type::regular) return kindText(status.type());
    // A regular file opens without blocking; what the open says is the reason.
    std::FILE* file = openHostFile(path, "rb");
    if (!file) return std::strerror(errno);
    std::fclose(file);
    return {};
}

void reportFileProblem(const std::string& path, const std::string& reason) {
    std::error_code error;
    fs::path shown = fs::absolute(hostFsPath(path), error);
    if (error) shown = hostFsPath(path);
    std::fprintf(stderr, "  %s: %s\n", utf8Text(shown.lexically_normal()).c_str(), reason.c_str());
}

}  // namespace platform
