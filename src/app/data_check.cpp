#include "app/data_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/frame_driver.h"  // kShowEnd
#include "app/music_track.h"   // kMusicFile
#include "demo/demo_assets.h"  // kModelFiles
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "output/json_text.h"
#include "platform/files.h"
#include "platform/wav_file.h"

namespace {

using output::jsonNumber;
using output::jsonString;

std::string absolute(const std::string& path) {
    std::error_code error;
    const std::filesystem::path given = platform::hostFsPath(path.empty() ? "." : path);
    const std::filesystem::path full = std::filesystem::absolute(given, error);
    return platform::utf8Text((error ? given : full).lexically_normal());
}

// "m:ss.mmm"
std::string clockText(double ms) {
    const long total = std::lround(std::max(ms, 0.0));
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld.%03ld", total / 60000, total / 1000 % 60, total % 1000);
    return text;
}

std::string count(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

ModelFileCheck checkModel(const char* file) {
    ModelFileCheck check;
    check.file = file;
    MqoReadStats stats;
    stats.loadTextures = false;
    MqoModel model;
    {
        platform::MessageRecorder recorder;
        loadModel(model, file, &stats);
        check.messages = recorder.messages();
    }
    check.hostFile = stats.hostFile.empty() ? "" : absolute(stats.hostFile);
    check.archived = stats.archived;
    check.archiveRefused = stats.archiveRefused;
    check.holdsModel = !holdsNoModel(stats);
    check.whole = stats.whole && check.holdsModel && check.messages.empty();
    check.objects = int64_t(model.objects.size());
    for (const MqoObject& o : model.objects) {
        check.vertices += o.vertexCount;
        check.faces += o.faceCount;
    }
    for (const MqoObjectReadStats& o : stats.objects) {
        check.polygonsSplit += o.polygonsSplit;
        check.edgesKept += o.edgesKept;
    }
    for (const MqoTextureRequest& request : stats.textures) check.textures.push_back(checkTexture(request));
    check.findings = modelFindings(stats);
    return check;
}

uint32_t le16(const unsigned char* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t le32(const unsigned char* p) { return le16(p) | le16(p + 2) << 16; }

// The WAV file's own sample format from its "fmt " chunk (the decoder converts compressed ones).
void readWavFormat(const std::string& hostFile, SoundtrackCheck& check) {
    std::FILE* f = platform::openHostFile(hostFile, "rb");
    if (!f) return;
    unsigned char head[4096];
    const std::size_t n = std::fread(head, 1, sizeof head, f);
    std::fclose(f);
    if (n < 12) return;
    for (std::size_t at = 12; at + 8 <= n;) {
        const uint32_t size = le32(head + at + 4);
        if (std::equal(head + at, head + at + 4, "fmt ") && at + 8 + 16 <= n) {
            const uint32_t tag = le16(head + at + 8);
            check.bits = int(le16(head + at + 22));
            check.floatSamples = tag == 3;
            return;
        }
        at += 8 + size + (size & 1);
    }
}

SoundtrackCheck checkSoundtrack() {
    SoundtrackCheck check;
    check.file = kMusicFile;
    const std::string host = platform::hostPath(kMusicFile);
    std::error_code error;
    if (!std::filesystem::is_regular_file(platform::hostFsPath(host), error)) return check;
    check.hostFile = absolute(host);
    platform::PcmSound sound;
    check.decoded = platform::loadWav(host.c_str(), sound, check.reason);
    if (!check.decoded) return check;
    check.channels = sound.channels;
    check.rate = sound.rate;
    check.lengthMs = double(sound.frames()) * 1000.0 / sound.rate;
    readWavFormat(host, check);
    if (check.bits == 0) check.bits = sound.bytesPerSample() * 8;
    return check;
}

bool soundtrackShort(const SoundtrackCheck& s) { return s.decoded && s.lengthMs < kShowEnd - kSoundtrackToleranceMs; }
// A longer one is as the show was made: it closes the soundtrack when it ends.
bool soundtrackLong(const SoundtrackCheck& s) { return s.decoded && s.lengthMs > kShowEnd + kSoundtrackToleranceMs; }

// What is missing or lost, one phrase each.
std::vector<std::string> problems(const DataCheck& check) {
    std::vector<std::string> list;
    if (!check.dataSetFound) list.push_back("no data set found");
    int missing = 0, notModels = 0, refused = 0, partial = 0, texturesMissing = 0, texturesBad = 0;
    for (const ModelFileCheck& m : check.models) {
        if (m.hostFile.empty())
            ++missing;
        else if (!m.archiveRefused.empty())
            ++refused;
        else if (!m.holdsModel)
            ++notModels;
        else if (!m.whole)
            ++partial;
        for (const TextureCheck& t : m.textures) {
            if (t.hostFile.empty())
                ++texturesMissing;
            else if (!t.decoded)
                ++texturesBad;
        }
    }
    if (missing) list.push_back(count(missing, "model file missing", "model files missing"));
    if (refused) list.push_back(count(refused, "zipped model file refused", "zipped model files refused"));
    if (notModels) list.push_back(count(notModels, "file that holds no model", "files that hold no model"));
    if (partial) list.push_back(count(partial, "model file not read whole", "model files not read whole"));
    if (texturesMissing) list.push_back(count(texturesMissing, "texture missing", "textures missing"));
    if (texturesBad) list.push_back(count(texturesBad, "texture that cannot be decoded", "textures that cannot be decoded"));
    if (check.soundtrack.hostFile.empty())
        list.push_back("soundtrack missing");
    else if (!check.soundtrack.decoded)
        list.push_back("soundtrack cannot be decoded");
    return list;
}

// What plays, but not as the files' makers see or hear it.
std::vector<std::string> differences(const DataCheck& check) {
    std::vector<std::string> list;
    int kinds[9] = {};
    for (const ModelFileCheck& m : check.models)
        for (const ModelFinding& f : m.findings) ++kinds[int(f.kind)];
    const std::pair<ModelFinding::Kind, std::pair<const char*, const char*>> names[] = {
        {ModelFinding::Kind::Mirrored, {"mirrored object", "mirrored objects"}},
        {ModelFinding::Kind::Subdivided, {"subdivided object", "subdivided objects"}},
        {ModelFinding::Kind::Lathe, {"lathe object", "lathe objects"}},
        {ModelFinding::Kind::Hidden, {"hidden object", "hidden objects"}},
        {ModelFinding::Kind::Smoothed, {"smoothed object", "smoothed objects"}},
        {ModelFinding::Kind::VertexColours, {"object with vertex colours", "objects with vertex colours"}},
        {ModelFinding::Kind::Edges, {"object with edges", "objects with edges"}},
        {ModelFinding::Kind::AlphaPlane, {"alpha plane", "alpha planes"}},
        {ModelFinding::Kind::BumpMap, {"bump map", "bump maps"}},
    };
    for (const auto& [kind, words] : names)
        if (kinds[int(kind)]) list.push_back(count(kinds[int(kind)], words.first, words.second));
    const SoundtrackCheck& s = check.soundtrack;
    if (soundtrackShort(s)) list.push_back("soundtrack " + std::to_string(std::lround(kShowEnd - s.lengthMs)) + " ms short");
    return list;
}

std::string joined(const std::vector<std::string>& list) {
    std::string out;
    for (std::size_t i = 0; i < list.size(); ++i) out += (i ? ", " : "") + list[i];
    return out;
}

std::string soundFormat(const SoundtrackCheck& s) {
    return "WAV " + std::to_string(s.bits) + "-bit" + (s.floatSamples ? " float" : "") + ", " +
           std::to_string(s.channels) + (s.channels == 1 ? " channel, " : " channels, ") + std::to_string(s.rate) + " Hz";
}

std::string modelText(const ModelFileCheck& m) {
    std::string out = "model " + m.file + ": ";
    if (m.hostFile.empty()) return out + "missing: the show draws nothing for it\n";
    out += m.hostFile + (m.archived ? " (zipped)" : "");
    if (!m.archiveRefused.empty())
        out += ", refused: " + m.archiveRefused + "; the show draws nothing for it\n";
    else if (!m.holdsModel)
        out += ", holds no model (no \"Metasequoia Document\" header and no chunk); the show draws nothing for it\n";
    else
        out += std::string(m.whole ? ", read whole: " : ", NOT read whole, data lost: ") +
               count(m.objects, "object", "objects") + ", " + count(m.vertices, "vertex", "vertices") + ", " +
               count(m.faces, "face", "faces") + ", " + count(m.polygonsSplit, "polygon split", "polygons split") +
               ", " + count(m.edgesKept, "edge kept", "edges kept") + "\n";
    for (const platform::RecordedMessage& message : m.messages)
        out += "  message: " + message.caption + ": " + message.text + "\n";
    // One line per texture file; materials that share one are counted.
    std::vector<std::pair<const TextureCheck*, int>> files;
    for (const TextureCheck& t : m.textures) {
        auto same = [&](const auto& entry) { return entry.first->path == t.path; };
        const auto it = std::find_if(files.begin(), files.end(), same);
        if (it == files.end())
            files.push_back({&t, 1});
        else
            ++it->second;
    }
    for (const auto& [texture, materials] : files) {
        const TextureCheck& t = *texture;
        out += "  texture " + t.path + (materials > 1 ? " (" + std::to_string(materials) + " materials)" : "") + ": ";
        if (t.hostFile.empty()) {
            out += "missing: its faces are drawn untextured\n";
            continue;
        }
        out += absolute(t.hostFile) + ", " + t.format;
        if (t.width > 0 && t.height > 0) out += " " + std::to_string(t.width) + "x" + std::to_string(t.height);
        if (!t.decoded) {
            out += ", cannot be decoded (" + t.reason + "): its faces are drawn untextured\n";
            continue;
        }
        out += t.designedPath ? ", the designed 32-bit path" : ", converted to 32-bit RGBA";
        out += t.powerOfTwo() ? ", power of two" : ", not a power of two (a GL 1.1 without non-power-of-two textures "
                                                    + std::string(t.designedPath ? "refuses it)" : "gets it scaled)");
        if (t.tooLargeForCommonGL())
            out += ", larger than " + std::to_string(kCommonTextureLimit) + ", too large for many GLs";
        out += "\n";
    }
    for (const ModelFinding& f : m.findings)
        out += std::string("  ") + (f.material ? "material \"" : "object \"") + f.name + "\": " + f.text + "\n";
    return out;
}

std::string soundtrackText(const SoundtrackCheck& s) {
    std::string out = "soundtrack " + s.file + ": ";
    if (s.hostFile.empty()) return out + "missing: the show runs silent\n";
    out += s.hostFile;
    if (!s.decoded) return out + ", cannot be decoded (" + s.reason + "): the show runs silent\n";
    out += ", " + soundFormat(s) + ", " + std::to_string(std::lround(s.lengthMs)) + " ms (" + clockText(s.lengthMs) + ")";
    const std::string show = std::to_string(std::lround(std::floor(kShowEnd))) + " ms";
    if (soundtrackShort(s))
        out += ", shorter than the show's " + show + ": silence from " + clockText(s.lengthMs) + " to the end";
    else if (soundtrackLong(s))
        out += ", longer than the show's " + show + ": the show ends at " + clockText(kShowEnd) + " and stops it";
    else
        out += ", as long as the show";
    return out + "\n";
}

std::string messagesJson(const std::vector<platform::RecordedMessage>& messages) {
    std::string out = "[";
    for (std::size_t i = 0; i < messages.size(); ++i)
        out += std::string(i ? "," : "") + "{\"caption\":" + jsonString(messages[i].caption) +
               ",\"text\":" + jsonString(messages[i].text) + "}";
    return out + "]";
}

std::string boolJson(bool value) { return value ? "true" : "false"; }

std::string modelJson(const ModelFileCheck& m) {
    std::string out = "{\"file\":" + jsonString(m.file) + ",\"found\":" + boolJson(!m.hostFile.empty());
    out += ",\"hostFile\":" + (m.hostFile.empty() ? std::string("null") : jsonString(m.hostFile));
    out += ",\"zipped\":" + boolJson(m.archived);
    out += ",\"zipRefused\":" + (m.archiveRefused.empty() ? std::string("null") : jsonString(m.archiveRefused));
    out += ",\"holdsModel\":" + boolJson(m.holdsModel) + ",\"readWhole\":" + boolJson(m.whole);
    out += ",\"objects\":" + std::to_string(m.objects) + ",\"vertices\":" + std::to_string(m.vertices);
    out += ",\"faces\":" + std::to_string(m.faces) + ",\"polygonsSplit\":" + std::to_string(m.polygonsSplit);
    out += ",\"edgesKept\":" + std::to_string(m.edgesKept) + ",\"messages\":" + messagesJson(m.messages);
    out += ",\"textures\":[";
    for (std::size_t i = 0; i < m.textures.size(); ++i) {
        const TextureCheck& t = m.textures[i];
        out += std::string(i ? "," : "") + "{\"file\":" + jsonString(t.path) + ",\"found\":" + boolJson(!t.hostFile.empty());
        out += ",\"hostFile\":" + (t.hostFile.empty() ? std::string("null") : jsonString(absolute(t.hostFile)));
        out += ",\"format\":" + (t.hostFile.empty() ? std::string("null") : jsonString(t.format));
        out += ",\"width\":" + std::to_string(t.width) + ",\"height\":" + std::to_string(t.height);
        out += ",\"decoded\":" + boolJson(t.decoded) + ",\"designedPath\":" + boolJson(t.decoded && t.designedPath);
        out += ",\"powerOfTwo\":" + boolJson(t.powerOfTwo()) + ",\"tooLargeForCommonGL\":" + boolJson(t.tooLargeForCommonGL());
        out += ",\"reason\":" + (t.reason.empty() ? std::string("null") : jsonString(t.reason)) + "}";
    }
    out += "],\"drawnDifferently\":[";
    for (std::size_t i = 0; i < m.findings.size(); ++i) {
        const ModelFinding& f = m.findings[i];
        out += std::string(i ? "," : "") + "{" + (f.material ? "\"material\":" : "\"object\":") + jsonString(f.name);
        out += ",\"kind\":" + jsonString(findingKey(f.kind)) + ",\"text\":" + jsonString(f.text) + "}";
    }
    return out + "]}";
}

std::string soundtrackJson(const SoundtrackCheck& s) {
    std::string out = "{\"file\":" + jsonString(s.file) + ",\"found\":" + boolJson(!s.hostFile.empty());
    out += ",\"hostFile\":" + (s.hostFile.empty() ? std::string("null") : jsonString(s.hostFile));
    out += ",\"decoded\":" + boolJson(s.decoded);
    out += ",\"format\":" + (s.decoded ? jsonString(soundFormat(s)) : std::string("null"));
    out += ",\"lengthMs\":" + (s.decoded ? jsonNumber(s.lengthMs) : std::string("null"));
    out += ",\"showLengthMs\":" + jsonNumber(kShowEnd);
    out += ",\"reason\":" + (s.reason.empty() ? std::string("null") : jsonString(s.reason)) + "}";
    return out;
}

}  // namespace

DataCheck checkDataSet(bool dataSetFound) {
    DataCheck check;
    check.dataSetFound = dataSetFound;
    check.directory = absolute(platform::dataDirectory().empty() ? "data" : platform::dataDirectory());
    for (const char* file : kModelFiles) check.models.push_back(checkModel(file));
    check.soundtrack = checkSoundtrack();
    return check;
}

bool dataComplete(const DataCheck& check) { return problems(check).empty(); }

std::string checkVerdict(const DataCheck& check) {
    const std::vector<std::string> lost = problems(check);
    if (!lost.empty()) return "verdict: does not play as made: " + joined(lost);
    const std::vector<std::string> differ = differences(check);
    if (!differ.empty()) return "verdict: plays everything the files hold, but differently from how they were made: " + joined(differ);
    return "verdict: plays as made";
}

std::string checkReportText(const DataCheck& check) {
    std::string out = "data set: " + check.directory + (check.dataSetFound ? "\n" : " (no data set found)\n");
    for (const ModelFileCheck& m : check.models) out += modelText(m);
    out += soundtrackText(check.soundtrack);
    return out + checkVerdict(check) + "\n";
}

std::string checkReportJson(const DataCheck& check) {
    std::string out = "{\"dataDirectory\":" + jsonString(check.directory) + ",\"dataSetFound\":" + boolJson(check.dataSetFound);
    out += ",\"models\":[";
    for (std::size_t i = 0; i < check.models.size(); ++i) {
        if (i) out += ",";
        out += modelJson(check.models[i]);
    }
    out += "],\"soundtrack\":" + soundtrackJson(check.soundtrack);
    out += ",\"complete\":" + boolJson(dataComplete(check));
    out += ",\"playsAsMade\":" + boolJson(dataComplete(check) && differences(check).empty());
    return out + ",\"verdict\":" + jsonString(checkVerdict(check)) + "}\n";
}

int runDataCheck(bool dataSetFound, bool json) {
    platform::setMessageBoxesHeadless(true);
    const DataCheck check = checkDataSet(dataSetFound);
    const std::string report = json ? checkReportJson(check) : checkReportText(check);
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    return dataComplete(check) ? 0 : 1;
}
