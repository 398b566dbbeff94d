// mqo-info FILE...: loads each model file as the show does, in a headless GL context, and prints
// one JSON object per file with what was read and every message box the load raised.
// Exit code 0 when no file raised a message, 1 otherwise, 2 for bad arguments.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "model/model_findings.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "output/json_text.h"
#include "model/texture_cache.h"
#include "platform/headless_gl.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "lumivane_build.h"  // LUMIVANE_VERSION

namespace {

const char* const usage =
    "usage: mqo-info FILE...  |  mqo-info --version\n"
    "Loads each model file (.mqo, or .mqoz: zipped) with its textures and prints one JSON line per\n"
    "file: counts, materials, objects (with their names, bounding boxes, polygons split and edges\n"
    "kept), what the show draws differently from the modelling tool, and the messages the load\n"
    "raised. Exit code 0 when no file raised a message, 1 otherwise, 2 for bad arguments.\n";

using output::jsonArray;
using output::jsonNumber;
using output::jsonString;

// "min" and "max" of the object's vertices; null for an object without any.
std::string boundingBox(const MqoObject& object) {
    if (!object.vertices || object.vertexCount <= 0) return ",\"min\":null,\"max\":null";
    double low[3], high[3];
    for (int c = 0; c < 3; ++c) low[c] = high[c] = (&object.vertices[0].x)[c];
    for (int i = 1; i < object.vertexCount; ++i) {
        const double xyz[3] = {object.vertices[i].x, object.vertices[i].y, object.vertices[i].z};
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min(low[c], xyz[c]);
            high[c] = std::max(high[c], xyz[c]);
        }
    }
    return ",\"min\":" + jsonArray(low, 3) + ",\"max\":" + jsonArray(high, 3);
}

std::string describe(const std::string& file, const MqoModel& model, const MqoReadStats& stats,
                     const std::vector<platform::RecordedMessage>& messages) {
    std::string out = "{\"file\":" + jsonString(file);
    out += ",\"objectCount\":" + std::to_string(model.objectCount);
    out += ",\"materialCount\":" + std::to_string(model.materialCount);
    out += ",\"materials\":[";
    for (std::size_t i = 0; i < model.materials.size(); ++i) {
        const MqoMaterial& m = model.materials[i];
        out += i ? "," : "";
        out += "{\"col\":" + jsonArray(m.col, 4);
        out += ",\"dif\":" + jsonNumber(m.dif) + ",\"amb\":" + jsonNumber(m.amb) + ",\"emi\":" + jsonNumber(m.emi);
        out += ",\"spc\":" + jsonNumber(m.spc) + ",\"power\":" + jsonNumber(m.power);
        out += ",\"texturePath\":" + jsonString(m.texturePath);
        out += std::string(",\"textured\":") + (m.texture() != 0 ? "true" : "false") + "}";
    }
    out += "],\"objects\":[";
    for (std::size_t i = 0; i < model.objects.size(); ++i) {
        const MqoObject& o = model.objects[i];
        out += i ? "," : "";
        out += "{\"vertexCount\":" + std::to_string(o.vertexCount) + ",\"faceCount\":" + std::to_string(o.faceCount);
        out += ",\"color\":" + jsonArray(o.color, 3) + boundingBox(o);
        const MqoObjectReadStats read = i < stats.objects.size() ? stats.objects[i] : MqoObjectReadStats{};
        out += ",\"polygonsSplit\":" + std::to_string(read.polygonsSplit);
        out += ",\"edgesKept\":" + std::to_string(read.edgesKept);
        out += ",\"name\":" + jsonString(displayName(read.name)) + "}";
    }
    // What the show draws differently from the modelling tool, by object and material name.
    out += "],\"drawnDifferently\":[";
    const std::vector<ModelFinding> findings = modelFindings(stats);
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const ModelFinding& f = findings[i];
        out += std::string(i ? "," : "") + "{" + (f.material ? "\"material\":" : "\"object\":") + jsonString(f.name);
        out += ",\"kind\":" + jsonString(findingKey(f.kind)) + ",\"text\":" + jsonString(f.text) + "}";
    }
    out += "],\"messages\":[";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        out += i ? "," : "";
        out += "{\"caption\":" + jsonString(messages[i].caption) + ",\"text\":" + jsonString(messages[i].text) + "}";
    }
    return out + "]}";
}

// The show writes its paths with backslashes; a path typed on this host uses slashes.
std::string showPath(std::string path) {
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

namespace {

int run(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<std::string> files;
    bool options = true;
    // --help and --version answer wherever they stand among the options.
    for (std::size_t i = 1; i < arguments.size() && arguments[i] != "--"; ++i) {
        const std::string& arg = arguments[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(usage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::fputs("mqo-info (lumivane) " LUMIVANE_VERSION "\n", stdout);
            return 0;
        }
    }
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-h" || arg == "--help")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (options && arg == "--version") {
            std::fputs("mqo-info (lumivane) " LUMIVANE_VERSION "\n", stdout);
            return 0;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "mqo-info: unknown option %s\n%s", arg.c_str(), usage);
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fputs(usage, stderr);
        return 2;
    }

    platform::setMessageBoxesHeadless(true);
    platform::HeadlessGL context;
    if (!context.create(64, 64)) {
        std::fprintf(stderr, "mqo-info: no headless GL context: %s\n", context.error().c_str());
        return 1;
    }
    bool anyMessage = false;
    TextureCache textures;  // a picture named by many materials or files is read once
    for (const std::string& file : files) {
        platform::MessageRecorder recorder;
        MqoModel model;
        MqoReadStats stats;
        loadModel(model, showPath(file).c_str(), &stats);
        if (holdsNoModel(stats)) platform::messageBox(noModelText(file).c_str(), "error");
        std::printf("%s\n", describe(file, model, stats, recorder.messages()).c_str());
        std::fflush(stdout);
        anyMessage = anyMessage || !recorder.messages().empty();
    }
    return anyMessage ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    // A failure the system library throws (a name too long for the file system, a directory
    // that cannot be listed) is a message and status 1, never an abort.
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mqo-info: %s\n", error.what());
    }
    return 1;
}
