// Finding the files that model data names the way its authors' file systems found them: paths in
// the show's backslash form, matched without regard to case where the exact name is missing, and
// names in code page 932 converted to UTF-8.
#pragma once
#include <string>

// The host path of an existing plain file for path (backslash form, ".." allowed): the exact path
// when it exists, else the path whose every element matches the given one ignoring ASCII case.
// Empty when neither exists.
std::string findDataFile(const std::string& path);
// The text converted from code page 932 to UTF-8; empty when it is not valid code page 932 or is
// plain ASCII (nothing to convert).
std::string cp932ToUtf8(const std::string& text);
// The part of path after its last backslash or slash (the whole path without one).
std::string bareFileName(const std::string& path);
