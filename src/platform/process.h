// The process's own facts the show needs from the system: its arguments as UTF-8 and its peak
// memory.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The program's arguments in UTF-8, argv[0] first. Where the system hands main its arguments in
// a code page of its own (Windows), they are taken again from the wide-character command line, so
// that names in any script reach the program intact.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// The most memory the process has held resident so far, in bytes; 0 when the system does not say.
std::size_t peakResidentBytes();

}  // namespace platform
