// Data file look-up: exact path first, then a case-insensitive walk of the path's elements.
#include "model/model_paths.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/text_encoding.h"

namespace fs = std::filesystem;

namespace {

bool isPlainFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool sameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
    return true;
}

// The entry of directory whose name matches element ignoring case; empty when there is none.
fs::path matchInDirectory(const fs::path& directory, const std::string& element) {
    std::error_code error;
    fs::directory_iterator it(directory.empty() ? fs::path(".") : directory, error);
    if (error) return {};
    for (const fs::directory_entry& entry : it) {
        const std::string name = platform::utf8Text(entry.path().filename());
        if (sameIgnoringCase(name, element)) return directory / entry.path().filename();
    }
    return {};
}

}  // namespace

std::string findDataFile(const std::string& path) {
    const std::string host = platform::hostPath(path);
    if (host.empty()) return {};
    if (isPlainFile(platform::hostFsPath(host))) return host;
    // Walk the elements: each one taken as it stands when it exists, else the entry of its
    // directory that matches it ignoring case.
    std::vector<std::string> elements;
    std::size_t start = 0;
    while (start <= host.size()) {
        const std::size_t slash = host.find('/', start);
        const std::size_t end = slash == std::string::npos ? host.size() : slash;
        if (end > start) elements.push_back(host.substr(start, end - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    fs::path current = host[0] == '/' ? fs::path("/") : fs::path();
    for (const std::string& element : elements) {
        const fs::path exact = current / platform::hostFsPath(element);
        std::error_code error;
        if (element == "." || element == ".." || fs::exists(exact, error)) {
            current = exact;
            continue;
        }
        current = matchInDirectory(current, element);
        if (current.empty()) return {};
    }
    return isPlainFile(current) ? platform::utf8Text(current) : std::string();
}

std::string cp932ToUtf8(const std::string& text) {
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return {};
    return platform::cp932ToUtf8(text);
}

std::string bareFileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
