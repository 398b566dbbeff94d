// Files on the web page: the data package unpacked into the program's in-memory file system,
// the data set at /data and the program's own files at /lumivane.
#include <cstdio>
#include <string>

#include "platform/files.h"

namespace platform {

const char kHostSeparator = '/';

std::FILE* openHostFile(const std::string& hostPath, const char* mode) { return std::fopen(hostPath.c_str(), mode); }

// The page's program lives at the root of its file system, where the package puts ./data.
std::string executableDirectory() { return "/"; }

}  // namespace platform
