// Text in the code page the show's files were written in (932, Shift-JIS).
#pragma once
#include <string>

namespace platform {

// The UTF-8 form of text in code page 932; empty when it is not valid there.
std::string cp932ToUtf8(const std::string& text);

}  // namespace platform
