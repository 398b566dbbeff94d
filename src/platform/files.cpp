#include "platform/files.h"

#include <filesystem>
#include <system_error>
#include <type_traits>
#include <utility>

#include "lumivane_build.h"  // LUMIVANE_DATA_FROM_BIN
#include "platform/text_encoding.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kShowDataPrefix = "data\\";  // how the show names its data directory
const char* const kWorkingDataPlace = "data";

std::string& chosenDataDirectory() {
    static std::string directory;
    return directory;
}

std::string hostSeparators(std::string_view path) {
    std::string host(path);
    for (char& c : host)
        if (c == '\\') c = kHostSeparator;
    return host;
}

std::string absoluteText(const std::string& place) {
    std::error_code error;
    const fs::path absolute = fs::absolute(hostFsPath(place), error);
    return utf8Text((error ? hostFsPath(place) : absolute).lexically_normal());
}

}  // namespace

fs::path hostFsPath(const std::string& utf8) {
    if constexpr (!std::is_same_v<fs::path::value_type, char>) {
        // Where the system's paths are UTF-16, bytes that are not UTF-8 (a name in a model file's
        // code page, say) have no conversion and would throw; as '?', which no Windows file name
        // holds, they name a file that is simply not there. Paths of bytes keep them as they are.
        const std::string text = withStrayBytesReplaced(utf8, '?');
        return fs::path(std::u8string(text.begin(), text.end()));
    }
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Text(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void setDataDirectory(std::string directory) { chosenDataDirectory() = std::move(directory); }

const std::string& dataDirectory() { return chosenDataDirectory(); }

std::string hostPath(std::string_view path) {
    const std::string& directory = chosenDataDirectory();
    if (directory.empty() || !path.starts_with(kShowDataPrefix)) return hostSeparators(path);
    return utf8Text(hostFsPath(directory) / hostFsPath(hostSeparators(path.substr(kShowDataPrefix.size()))));
}

std::FILE* openFile(const char* path, const char* mode) {
    if (!path) return nullptr;
    return openHostFile(hostPath(path), mode);
}

std::vector<std::string> dataDirectoryPlaces(const char* given) {
    if (given) return {given};
    std::vector<std::string> places = {kWorkingDataPlace};
    const std::string program = executableDirectory();
    if (!program.empty()) {
        places.push_back(utf8Text(hostFsPath(program) / "data"));
        // The installed place, where the system's layout puts it elsewhere than beside the program.
        const std::string installed = utf8Text((hostFsPath(program) / LUMIVANE_DATA_FROM_BIN).lexically_normal());
        if (installed != places.back()) places.push_back(installed);
    }
    return places;
}

DataSearch findDataDirectory(const std::vector<std::string>& places, std::span<const char* const> showFiles,
                             const char* given) {
    DataSearch search;
    for (const std::string& place : places) {
        search.looked.push_back(absoluteText(place));
        for (const char* file : showFiles) {
            std::string_view name = file;
            if (!name.starts_with(kShowDataPrefix)) continue;
            std::error_code error;
            if (!fs::is_regular_file(hostFsPath(place) / hostFsPath(hostSeparators(name.substr(kShowDataPrefix.size()))),
                                     error))
                continue;
            search.found = true;
            search.directory = place == kWorkingDataPlace && !given ? "" : place;
            return search;
        }
    }
    search.directory = given ? given : "";
    return search;
}

}  // namespace platform
