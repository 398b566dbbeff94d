// The page has no headless runs: --render, --bench and --video are the desktop program's. The page
// never asks for them; a build that did is told so.
#include <cstdio>

#include "app/offline_run.h"

int runOffline(const Options&) {
    std::fprintf(stderr, "lumivane: --render, --bench and --video are not part of the web page\n");
    return 2;
}
