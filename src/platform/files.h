// File access for paths written in the show's own form, with backslashes as separators, and the
// place where the show's data set lies.
#pragma once
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The host directory that the show's "data\..." paths lead into. Empty (the default) keeps them
// below the working directory, as the show was written. Set once, before any file is opened.
void setDataDirectory(std::string directory);
const std::string& dataDirectory();

// The host path of a path in the show's form: "data\\mati\\f0.mqo" -> "data/mati/f0.mqo", or
// "<data directory>/mati/f0.mqo" once one is set. Every file the show opens goes through here.
std::string hostPath(std::string_view path);
// Opens a path in the show's form (UTF-8) as fopen would; null when it cannot.
std::FILE* openFile(const char* path, const char* mode);

// The host's path separator, which "\\" in the show's paths becomes. One per backend.
extern const char kHostSeparator;
// Opens a host path given in UTF-8, whatever the system's own code page. One per backend.
std::FILE* openHostFile(const std::string& hostPath, const char* mode);
// A host path given in UTF-8 as a filesystem path, and a filesystem path as UTF-8 text: every
// path the program keeps is UTF-8, whatever code page the system's narrow calls would assume.
std::filesystem::path hostFsPath(const std::string& utf8);
std::string utf8Text(const std::filesystem::path& path);
// The directory that holds the running program (UTF-8); empty when the system does not say.
std::string executableDirectory();

// Where a data set may lie, in the order they are tried: DIR alone when given; otherwise ./data,
// data beside the program, and the installed data directory (found from the program's place, so
// a moved installation still finds its own).
std::vector<std::string> dataDirectoryPlaces(const char* given);

struct DataSearch {
    bool found = false;
    std::string directory;            // for setDataDirectory: "" for ./data, the place otherwise
    std::vector<std::string> looked;  // every place tried, as absolute paths
};

// The first place that holds any of showFiles (paths in the show's form, "data\\sky.mqo"). When
// none does, directory is given (or "" without it), so that each file is reported as missing.
DataSearch findDataDirectory(const std::vector<std::string>& places, std::span<const char* const> showFiles,
                             const char* given);

}  // namespace platform
