// gen-data <outdir>: writes the stand-in data set of the show (fifteen model files, their
// bitmaps, the soundtrack) and standin-data.txt, the object and face counts of every model.
// gen-data --icon <file.png> <size>: writes the program's icon instead.
#include "gen_data.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gen {

void Output::bitmap(const std::string& relativePath, const Image& image) {
    bytes += writeBitmap(dir + "/" + relativePath, image);
    ++files;
}

void Output::model(const ModelFile& model, const std::string& relativePath) {
    models.push_back(model.write(dir, relativePath));
    bytes += std::filesystem::file_size(dir + "/" + relativePath);
    ++files;
}

// The show's load order; the list of counts follows it.
static const char* const kLoadOrder[] = {
    "filter.mqo", "hane2.mqo", "sky.mqo", "skytube.mqo", "cloud.mqo",
    "p_tamsel.mqo", "p_zefra.mqo", "bback.mqo", "backbox.mqo", "billm.mqo",
    "mati/f0.mqo", "rot1.mqo", "donut.mqo", "hikari.mqo", "toge.mqo",
};

static void writeCounts(const Output& out) {
    std::ofstream list(out.dir + "/standin-data.txt", std::ios::trunc);
    list << "# model objects materials then vertices/faces per object, in load order\n";
    for (const char* name : kLoadOrder) {
        auto it = std::find_if(out.models.begin(), out.models.end(),
                               [&](const ModelCounts& m) { return m.file == name; });
        if (it == out.models.end()) fail(std::string("model not generated: ") + name);
        list << it->file << ' ' << it->objects.size() << ' ' << it->materials;
        for (auto [vertices, faces] : it->objects) list << ' ' << vertices << '/' << faces;
        list << '\n';
    }
    if (!list) fail("cannot write standin-data.txt");
}

}  // namespace gen

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--icon") {
        if (gen::writeIcon(argv[2], std::atoi(argv[3]))) return 0;
        std::fprintf(stderr, "gen-data: cannot write the icon %s at size %s\n", argv[2], argv[3]);
        return 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen-data <outdir>\n       gen-data --icon <file.png> <size>\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    gen::Output out;
    out.dir = argv[1];
    gen::makeDirectories(out.dir + "/mati");
    gen::buildScenery(out);
    gen::buildPortraits(out);
    gen::buildCity(out);
    gen::buildSoundtrack(out);
    gen::writeCounts(out);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, "gen-data: %d files, %.1f MB in %s, %.1f s\n", out.files,
                 out.bytes / 1e6, out.dir.c_str(), seconds);
    return 0;
}
