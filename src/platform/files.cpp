#include "platform/files.h"

namespace platform {

std::string hostPath(std::string_view path) {
    std::string host(path);
#ifndef _WIN32
    for (char& c : host)
        if (c == '\\') c = '/';
#endif
    return host;
}

std::FILE* openFile(const char* path, const char* mode) {
    if (!path) return nullptr;
    return std::fopen(hostPath(path).c_str(), mode);
}

}  // namespace platform
