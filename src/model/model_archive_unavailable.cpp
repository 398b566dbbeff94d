// Builds without a zip library (Windows, the web page): every archive is refused with the reason,
// as an unreadable one is, and the show goes on with an empty model.
#include <string>

#include "model/model_archive.h"

namespace {
const char* const kNoZipReader = "this build of the program reads no zip archives";
}  // namespace

bool unpackModelText(const void*, std::size_t, std::string&, std::string& reason, uint64_t) {
    reason = kNoZipReader;
    return false;
}

bool unpackModelFile(const std::string&, std::string&, std::string& reason, uint64_t) {
    reason = kNoZipReader;
    return false;
}
