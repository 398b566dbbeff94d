// The page's program: its arguments come from the page's script as UTF-8, and its memory is the
// WebAssembly memory, which grows and never shrinks, so its size is the most ever held.
#include "platform/process.h"

#include <emscripten/heap.h>

namespace platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

std::size_t peakResidentBytes() { return emscripten_get_heap_size(); }

}  // namespace platform
