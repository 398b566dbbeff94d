// mqo-info FILE...: loads each model file as the show does, in a headless GL context, and prints
// one JSON object per file with what was read and every message box the load raised.
// Exit code 0 when no file raised a message, 1 otherwise, 2 for bad arguments.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "platform/headless_gl.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "lumivane_build.h"  // LUMIVANE_VERSION

namespace {

const char* const usage =
    "usage: mqo-info FILE...  |  mqo-info --version\n"
    "Loads each model file with its textures and prints one JSON line per file: counts, materials,\n"
    "objects (with their bounding boxes, polygons split and edges kept) and the messages the load\n"
    "raised. Exit code 0 when no file raised a message, 1\n"
    "otherwise, 2 for bad arguments.\n";

// Length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t utf8Length(const std::string& s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned c = byte(i);
    const auto continuation = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return continuation(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned c1 = byte(i + 1);
        if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 > 0x9F)) return 0;  // overlong, surrogate
        return continuation(i + 1) && continuation(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned c1 = byte(i + 1);
        if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 > 0x8F)) return 0;
        return continuation(i + 1) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    }
    return 0;
}

// A JSON string: UTF-8 passes through, control characters are escaped, and bytes that are not
// UTF-8 (a Shift-JIS file name, say) become U+FFFD.
std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t length = utf8Length(s, i);
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

// The shortest text that reads back as the same value; null for what JSON cannot hold.
template <typename T>
std::string jsonNumber(T value) {
    if (!std::isfinite(value)) return "null";
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

template <typename T>
std::string jsonArray(const T* values, int count) {
    std::string out = "[";
    for (int i = 0; i < count; ++i) out += (i ? "," : "") + jsonNumber(values[i]);
    return out + "]";
}

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
        out += ",\"edgesKept\":" + std::to_string(read.edgesKept) + "}";
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

int main(int argc, char** argv) {
    const std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    std::vector<std::string> files;
    bool options = true;
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
    for (const std::string& file : files) {
        platform::MessageRecorder recorder;
        MqoModel model;
        MqoReadStats stats;
        loadModel(model, showPath(file).c_str(), &stats);
        std::printf("%s\n", describe(file, model, stats, recorder.messages()).c_str());
        std::fflush(stdout);
        anyMessage = anyMessage || !recorder.messages().empty();
    }
    return anyMessage ? 1 : 0;
}
