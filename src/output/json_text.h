// JSON text for the reports the tools print: strings that stay valid whatever bytes they carry,
// and numbers that read back as the same value.
#pragma once
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace output {

// Whether the whole text is well-formed UTF-8.
bool isUtf8(const std::string& s);
// A JSON string: UTF-8 passes through, control characters are escaped, and bytes that are not
// UTF-8 (a Shift-JIS file name, say) become U+FFFD.
std::string jsonString(const std::string& s);

// The shortest text that reads back as the same value; null for what JSON cannot hold.
template <typename T>
std::string jsonNumber(T value) {
    if (!std::isfinite(double(value))) return "null";
    char text[64];
    if constexpr (requires(char* p) { std::to_chars(p, p, value); }) {
        const auto result = std::to_chars(text, text + sizeof text, value);
        return std::string(text, result.ptr);
    } else {
        // A standard library without floating-point to_chars (emscripten's): the fewest
        // significant digits that read back as the same value.
        for (int digits = 1;; ++digits) {
            std::snprintf(text, sizeof text, "%.*g", digits, double(value));
            if (digits >= 17 || T(std::strtod(text, nullptr)) == value) return text;
        }
    }
}

template <typename T>
std::string jsonArray(const T* values, int count) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) out += (i ? "," : "") + jsonNumber(values[i]);
    return out + "]";
}

}  // namespace output
