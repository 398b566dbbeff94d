#include "model/model_findings.h"

#include <map>

#include "model/model_paths.h"
#include "output/json_text.h"
#include "platform/text_encoding.h"

namespace {

// The viewer's line is drawn in glyphs of the codes 32..126 only.
bool isPrintableAscii(const std::string& text) {
    for (char c : text)
        if (c < 32 || c > 126) return false;
    return !text.empty();
}

constexpr std::size_t kLineNamesLimit = 120;

std::string counted(int64_t n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }  // characters of names before counts alone are shown

}  // namespace

std::string displayName(const std::string& written) {
    if (output::isUtf8(written)) return written;
    const std::string converted = cp932ToUtf8(written);
    if (!converted.empty()) return converted;
    return platform::withStrayBytesReplaced(written, '?');
}

const char* findingKey(ModelFinding::Kind kind) {
    switch (kind) {
    case ModelFinding::Kind::Mirrored: return "mirrored";
    case ModelFinding::Kind::Subdivided: return "subdivided";
    case ModelFinding::Kind::Lathe: return "lathe";
    case ModelFinding::Kind::Hidden: return "hidden";
    case ModelFinding::Kind::Smoothed: return "smoothed";
    case ModelFinding::Kind::VertexColours: return "vertexColours";
    case ModelFinding::Kind::Edges: return "edges";
    case ModelFinding::Kind::AlphaPlane: return "alphaPlane";
    case ModelFinding::Kind::BumpMap: return "bumpMap";
    }
    return "";
}

std::vector<ModelFinding> modelFindings(const MqoReadStats& stats) {
    using Kind = ModelFinding::Kind;
    std::vector<ModelFinding> findings;
    for (std::size_t i = 0; i < stats.objects.size(); ++i) {
        const MqoObjectReadStats& o = stats.objects[i];
        const std::string name = displayName(o.name);
        auto add = [&](Kind kind, std::string text) {
            findings.push_back({kind, false, int(i), name, std::move(text)});
        };
        if (o.mirror != 0)
            add(Kind::Mirrored, "mirror " + std::to_string(o.mirror) +
                                    ": the modelling tool shows it mirrored; the show draws only the stored half");
        if (o.patch != 0)
            add(Kind::Subdivided, "patch " + std::to_string(o.patch) +
                                      ": the modelling tool shows a subdivided surface; the show draws the control cage");
        if (o.lathe != 0)
            add(Kind::Lathe, "lathe " + std::to_string(o.lathe) +
                                 ": the modelling tool turns it into a solid of revolution; the show draws the profile");
        if (o.visible == 0) add(Kind::Hidden, "visible 0: hidden in the modelling tool; the show draws it");
        if (o.shading != 0)
            add(Kind::Smoothed, "shading " + std::to_string(o.shading) +
                                    ": smoothed in the modelling tool; the show draws every face flat");
        if (o.colouredFaces > 0)
            add(Kind::VertexColours, counted(o.colouredFaces, "face", "faces") +
                                         " with vertex colours: the show does not use the colours");
        if (o.edgesKept > 0)
            add(Kind::Edges, counted(o.edgesKept, "edge", "edges") +
                                 " (faces of two corners): the show draws edges only in outlines");
    }
    for (std::size_t i = 0; i < stats.materials.size(); ++i) {
        const MqoMaterialReadStats& m = stats.materials[i];
        const std::string name = displayName(m.name);
        if (!m.alphaPlane.empty())
            findings.push_back({Kind::AlphaPlane, true, int(i), name,
                                "alpha plane \"" + displayName(m.alphaPlane) + "\": the show does not use it"});
        if (!m.bumpMap.empty())
            findings.push_back({Kind::BumpMap, true, int(i), name,
                                "bump map \"" + displayName(m.bumpMap) + "\": the show does not use it"});
    }
    return findings;
}

std::string findingsLine(const MqoReadStats& stats) {
    using Kind = ModelFinding::Kind;
    // Per kind, in the order of the kinds: what the show does, and the names.
    static const std::pair<Kind, const char*> shown[] = {
        {Kind::Mirrored, "mirrored, half drawn"},     {Kind::Subdivided, "subdivided, cage drawn"},
        {Kind::Lathe, "lathe, profile drawn"},        {Kind::Hidden, "hidden, drawn"},
        {Kind::Smoothed, "smoothed, drawn flat"},     {Kind::VertexColours, "vertex colours unused"},
        {Kind::Edges, "edges, outlines only"},        {Kind::AlphaPlane, "alpha planes unused"},
        {Kind::BumpMap, "bump maps unused"},
    };
    // A name the glyphs cannot show is given by its place: "#3" for the third object.
    std::map<Kind, std::vector<std::string>> names;
    for (const ModelFinding& f : modelFindings(stats))
        names[f.kind].push_back(isPrintableAscii(f.name) ? f.name : std::string("#").append(std::to_string(f.index + 1)));
    std::string withNames, counts;
    for (const auto& [kind, label] : shown) {
        const auto it = names.find(kind);
        if (it == names.end()) continue;
        const std::vector<std::string>& list = it->second;
        std::string named;
        for (std::size_t i = 0; i < list.size(); ++i) named += (i ? ", " : "") + list[i];
        const std::string separator = counts.empty() ? "" : "; ";
        counts += separator + std::to_string(list.size()) + " " + label;
        withNames += separator + label + ": " + named;
    }
    return withNames.size() <= kLineNamesLimit ? withNames : counts;
}
