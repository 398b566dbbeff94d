// Files the user's data names, checked before they are opened: only a regular file that can be
// read is data (a FIFO or a device would block the open or never end), and when one cannot be
// used, standard error says which host file it was and why, in English, beside the show's own
// message. Portable: the standard file system library only.
#pragma once
#include <string>

namespace platform {

// Empty when path (a host path) is a regular file that can be opened for reading; otherwise why
// not: the system's reason ("No such file or directory", "Permission denied", "Too many levels of
// symbolic links", ...) or "not a regular file (a FIFO)" and the like.
std::string unusableFileReason(const std::string& path);

// The line that follows a message about a file: "  <absolute host path>: <reason>" on standard
// error.
void reportFileProblem(const std::string& path, const std::string& reason);

}  // namespace platform
