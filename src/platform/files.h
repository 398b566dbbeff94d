// File access for paths written in the show's own form, with backslashes as separators.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// "data\\mati\\f0.mqo" -> "data/mati/f0.mqo" on hosts whose separator is '/'.
std::string hostPath(std::string_view path);
std::FILE* openFile(const char* path, const char* mode);

}  // namespace platform
