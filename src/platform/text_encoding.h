// Text in the code page the show's files were written in (932, Shift-JIS).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// The UTF-8 form of text in code page 932; empty when it is not valid there.
std::string cp932ToUtf8(const std::string& text);

// The length of the UTF-8 sequence that starts at s[i] (1 to 4); 0 where none starts there
// (a stray, overlong, surrogate or cut-short sequence, or i at the end). The same on every system.
std::size_t utf8SequenceLength(std::string_view s, std::size_t i);
// The text with every byte that starts no UTF-8 sequence replaced by `replacement`.
std::string withStrayBytesReplaced(std::string_view text, char replacement);

}  // namespace platform
