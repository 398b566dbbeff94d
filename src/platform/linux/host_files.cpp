// Host files on Linux: paths are bytes (UTF-8 by convention) and /proc names the program.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/files.h"

namespace platform {

const char kHostSeparator = '/';

std::FILE* openHostFile(const std::string& hostPath, const char* mode) { return std::fopen(hostPath.c_str(), mode); }

std::string executableDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) return {};
    return program.parent_path().string();
}

}  // namespace platform
