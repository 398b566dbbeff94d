// The page has no headless runs: --render, --bench and --video are the desktop program's. The page
// never asks for them; a build that did is told so.
#include <cstdio>

#include "app/offline_run.h"

int runOffline(const Options&) {
    std::fprintf(stderr, "lumivane: --render, --bench and --video are not part of the web page\n");
    return 2;
}

#include <strings.h>

#include <cstring>
#include <string>

#include "output/video_writer.h"

namespace output {

// The option parser's question, answered as the desktop's writer does, so that the page's
// program reads its arguments as the desktop's.
bool isVideoPath(const std::string& path) {
    auto endsWith = [&](const char* suffix) {
        const std::size_t n = std::strlen(suffix);
        return path.size() > n && strcasecmp(path.c_str() + path.size() - n, suffix) == 0;
    };
    return endsWith(".mp4") || endsWith(".mkv");
}

}  // namespace output
