// The names of the files a --render run writes, the same on every system.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "output/frame_directory.h"

namespace output {
namespace {

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

void FrameDirectory::frameName(long index, char (&name)[32]) {
    std::snprintf(name, sizeof name, "frame-%06ld.png", index);
}

bool FrameDirectory::isRunFile(const std::string& name) {
    std::string base = name;
    if (endsWith(base, kPartSuffix)) base.resize(base.size() - std::strlen(kPartSuffix));
    if (base == "soundtrack.wav") return true;
    if (base.rfind("frame-", 0) != 0 || !endsWith(base, ".png")) return false;
    const std::string digits = base.substr(6, base.size() - 10);
    return !digits.empty() && std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace output
