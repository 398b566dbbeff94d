#include "app/data_location.h"

#include <filesystem>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

#include "app/music_track.h"
#include "demo/demo_assets.h"
#include "platform/files.h"

bool chooseDataDirectory(const std::string& given, std::FILE* report) {
    // The soundtrack first: a set of one's own may bring only the music, or only models.
    std::vector<const char*> files = {kMusicFile};
    files.insert(files.end(), std::begin(kModelFiles), std::end(kModelFiles));
    // A set of one's own may hold its models zipped.
    static const std::vector<std::string> zipped = [] {
        std::vector<std::string> names;
        for (const char* file : kModelFiles) names.push_back(std::string(file) + "z");
        return names;
    }();
    for (const std::string& name : zipped) files.push_back(name.c_str());
    const char* dir = given.empty() ? nullptr : given.c_str();
    const platform::DataSearch search =
        platform::findDataDirectory(platform::dataDirectoryPlaces(dir), files, dir);
    platform::setDataDirectory(search.directory);
    if (!search.found && report) {
        std::string places;
        for (std::size_t i = 0; i < search.looked.size(); ++i)
            places += (i == 0 ? "" : i + 1 == search.looked.size() ? " or " : ", ") + search.looked[i];
        std::fprintf(report, "lumivane: no data set in %s (--data DIR names another place)\n", places.c_str());
        if (!given.empty()) {
            std::error_code error;
            const auto status = std::filesystem::status(platform::hostFsPath(given), error);
            const std::string why = error ? error.message()
                                    : status.type() == std::filesystem::file_type::not_found
                                        ? std::make_error_code(std::errc::no_such_file_or_directory).message()
                                    : status.type() != std::filesystem::file_type::directory
                                        ? "not a directory"
                                        : "holds neither the soundtrack nor any of the model files";
            std::fprintf(report, "  %s: %s\n", search.looked.empty() ? given.c_str() : search.looked[0].c_str(),
                         why.c_str());
        }
    }
    return search.found;
}
