// Arguments are bytes (UTF-8 by convention) on Linux; the kernel counts peak memory.
#include "platform/process.h"

#include <sys/resource.h>

namespace platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::size_t peakResidentBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

}  // namespace platform
