// Code page 932 through the iconv of emscripten's C library, which knows it by that name.
#include "platform/text_encoding.h"

#include <iconv.h>

namespace platform {

std::string cp932ToUtf8(const std::string& text) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == iconv_t(-1)) return {};
    std::string in = text;
    std::string out(text.size() * 3 + 4, '\0');
    char* inPointer = in.data();
    char* outPointer = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const std::size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == std::size_t(-1) || inLeft != 0) return {};
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace platform
