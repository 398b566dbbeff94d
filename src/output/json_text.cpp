#include "output/json_text.h"

#include <cstdio>

#include "platform/text_encoding.h"

namespace output {

bool isUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = platform::utf8SequenceLength(s, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t length = platform::utf8SequenceLength(s, i);
            if (length == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(s, i, length);
                i += length;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += char(c);
            }
        }
        ++i;
    }
    return out + "\"";
}

}  // namespace output
