// Host files on Windows: UTF-8 paths become UTF-16 for the wide-character calls; slashes serve
// as separators there as well as backslashes.
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/windows/win32.h"

namespace platform {

const char kHostSeparator = '/';

std::FILE* openHostFile(const std::string& hostPath, const char* mode) {
    return _wfopen(win32::wide(hostPath).c_str(), win32::wide(mode ? mode : "r").c_str());
}

std::string executableDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : win32::utf8(buffer.substr(0, slash));
}

}  // namespace platform
