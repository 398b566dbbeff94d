// UTF-8 at every boundary with the system: arguments, code page 932, console output.

#include <cstdio>

#include "platform/process.h"
#include "platform/text_encoding.h"
#include "platform/windows/win32.h"
#include <psapi.h>
#include <shellapi.h>

namespace platform {

namespace win32 {

std::wstring wide(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

std::string utf8(const wchar_t* text, int length) {
    if (!text || length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

HINSTANCE instance() { return GetModuleHandleW(nullptr); }

}  // namespace win32

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    // The program's messages are UTF-8; a console shows them as such only when told.
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t** wideArguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wideArguments) return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(win32::utf8(wideArguments[i]));
    LocalFree(wideArguments);
    return arguments;
}

std::size_t peakResidentBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

std::string cp932ToUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring converted(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), converted.data(), n);
    return win32::utf8(converted);
}

}  // namespace platform
