// What the show draws differently from the modelling tool, told by object name: on the real files
// of other writers, against a scan of their text of our own, and on the line the viewer shows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/model_findings.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "platform/message_box.h"

namespace fs = std::filesystem;

namespace {

const fs::path peerFolder = fs::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo";

using Kind = ModelFinding::Kind;

// Per object name, the kinds its keys call for, found by scanning lines: an object's keys stand
// between its "Object" line and its vertex block.
std::map<std::string, std::set<Kind>> scanKeys(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::map<std::string, std::set<Kind>> kinds;
    const std::regex object(R"re(^Object\s+"(.*)"\s*\{)re");
    const std::regex key(R"(^\s*(mirror|patch|visible|shading|lathe)\s+(-?\d+)\s*$)");
    std::string line, current;
    bool inKeys = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::smatch m;
        if (std::regex_search(line, m, object)) {
            current = displayName(m[1]);
            kinds[current];
            inKeys = true;
        } else if (inKeys && std::regex_search(line, std::regex(R"(^\s*(vertex|BVertex)\s)"))) {
            inKeys = false;
        } else if (inKeys && std::regex_match(line, m, key)) {
            const int value = std::stoi(m[2]);
            if (m[1] == "mirror" && value != 0) kinds[current].insert(Kind::Mirrored);
            if (m[1] == "patch" && value != 0) kinds[current].insert(Kind::Subdivided);
            if (m[1] == "visible" && value == 0) kinds[current].insert(Kind::Hidden);
            if (m[1] == "shading" && value != 0) kinds[current].insert(Kind::Smoothed);
            if (m[1] == "lathe" && value != 0) kinds[current].insert(Kind::Lathe);
        }
    }
    return kinds;
}

MqoReadStats readStats(const fs::path& file) {
    std::string path = file.string();
    for (char& c : path)
        if (c == '/') c = '\\';
    MqoReadStats stats;
    stats.loadTextures = false;
    MqoModel model;
    platform::MessageRecorder recorder;
    loadModel(model, path.c_str(), &stats);
    return stats;
}

std::vector<std::string> namesOf(const std::vector<ModelFinding>& findings, Kind kind) {
    std::vector<std::string> names;
    for (const ModelFinding& f : findings)
        if (f.kind == kind) names.push_back(f.name);
    return names;
}

}  // namespace

// Every real file: each object's mirror, subdivision, hidden and smoothing findings are those its
// keys call for, by the object's name (Shift-JIS names converted).
TEST(ModelFindings, RealFilesReportTheirObjectsByName) {
    if (!fs::is_directory(peerFolder)) GTEST_SKIP() << "no " << peerFolder;
    int files = 0, findingsSeen = 0;
    for (const auto& entry : fs::directory_iterator(peerFolder)) {
        if (entry.path().extension() != ".mqo") continue;
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        const auto expected = scanKeys(entry.path());
        const MqoReadStats stats = readStats(entry.path());
        std::map<std::string, std::set<Kind>> found;
        for (const MqoObjectReadStats& o : stats.objects) found[displayName(o.name)];
        for (const ModelFinding& f : modelFindings(stats)) {
            if (f.material || f.kind == Kind::Edges || f.kind == Kind::VertexColours) continue;
            found[f.name].insert(f.kind);
            ++findingsSeen;
        }
        EXPECT_EQ(found, expected);
    }
    EXPECT_GE(files, 16);
    EXPECT_GT(findingsSeen, 50);
}

// The cases the files are known for, spelled out.
TEST(ModelFindings, KnownObjectsOfRealFiles) {
    if (!fs::is_directory(peerFolder)) GTEST_SKIP() << "no " << peerFolder;
    const auto dsan = modelFindings(readStats(peerFolder / "dsan-no-eof.mqo"));
    EXPECT_EQ(namesOf(dsan, Kind::Mirrored), std::vector<std::string>{"obj1"});
    EXPECT_EQ(namesOf(dsan, Kind::Subdivided), (std::vector<std::string>{"obj2", "obj3"}));
    const auto interceptor = modelFindings(readStats(peerFolder / "vastspace-interceptor.mqo"));
    EXPECT_EQ(namesOf(interceptor, Kind::Hidden), std::vector<std::string>{"interceptor1"});
    EXPECT_EQ(namesOf(interceptor, Kind::Smoothed), (std::vector<std::string>{"interceptor0", "interceptor1"}))
        << "the two reversers are drawn flat in the tool too";
    EXPECT_EQ(namesOf(interceptor, Kind::Edges), (std::vector<std::string>{"interceptor0_dreverser", "interceptor0_ureverser"}));
    const auto binzume = modelFindings(readStats(peerFolder / "binzume-autocsg-sample.mqo"));
    EXPECT_EQ(namesOf(binzume, Kind::Hidden).size(), 11u);
    const auto miku = modelFindings(readStats(peerFolder / "wanwan-miku01.mqo"));
    const auto planes = namesOf(miku, Kind::AlphaPlane);
    ASSERT_EQ(planes.size(), 1u);
    for (const ModelFinding& f : miku) {
        if (f.kind == Kind::AlphaPlane) {
            EXPECT_NE(f.text.find("miku_alpha.psd"), std::string::npos) << f.text;
        }
    }
    const auto ninja = readStats(peerFolder / "glmetaseq-ninja.mqo");
    ASSERT_GE(ninja.objects.size(), 10u);
    EXPECT_EQ(displayName(ninja.objects[0].name).substr(0, 5), "face-");
    EXPECT_GT(displayName(ninja.objects[0].name).size(), 5u);
    EXPECT_TRUE(ninja.objects[0].name != displayName(ninja.objects[0].name)) << "converted from code page 932";
}

// Keys in a model of our own: vertex colours, lathe, bump maps, and a file without findings.
TEST(ModelFindings, KeysOfAModel) {
    const std::string text =
        "Metasequoia Document\nMaterial 2 {\n\"skin\" col(1 1 1 1) bump(\"b.png\") aplane(\"a map.png\")\n"
        "\"plain\" col(1 1 1 1)\n}\n"
        "Object \"turned\" {\n\tlathe 2\n\tlathe_axis 1\n\tvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n\t}\n"
        "\tface 2 {\n3 V(0 1 2) COL(4294967295 4294967295 4294967295)\n3 V(0 2 1)\n\t}\n}\n"
        "Object \"flat\" {\n\tvisible 15\n\tshading 0\n\tmirror 0\n\tpatch 0\n\tvertex 0 {\n\t}\n}\nEof\n";
    std::istringstream in(text);
    MqoModel model;
    MqoReadStats stats;
    stats.loadTextures = false;
    platform::MessageRecorder recorder;
    readModel(model, in, "m.mqo", text.size(), &stats);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_TRUE(stats.whole);
    const auto findings = modelFindings(stats);
    EXPECT_EQ(namesOf(findings, Kind::Lathe), std::vector<std::string>{"turned"});
    EXPECT_EQ(namesOf(findings, Kind::VertexColours), std::vector<std::string>{"turned"});
    EXPECT_EQ(namesOf(findings, Kind::BumpMap), std::vector<std::string>{"skin"});
    EXPECT_EQ(namesOf(findings, Kind::AlphaPlane), std::vector<std::string>{"skin"});
    for (const ModelFinding& f : findings) EXPECT_NE(f.name, "flat");
    EXPECT_EQ(model.objects[0].faceCount, 2) << "the colours take nothing from the faces";
    EXPECT_EQ(findingsLine(stats),
              "lathe, profile drawn: turned; vertex colours unused: turned; alpha planes unused: skin; "
              "bump maps unused: skin");
}

// The viewer's line: names where they fit and are ASCII, "#n" for others, counts for many.
TEST(ModelFindings, ViewerLine) {
    MqoReadStats stats;
    EXPECT_EQ(findingsLine(stats), "");
    stats.objects.resize(3);
    stats.objects[0].name = "wing";
    stats.objects[0].mirror = 1;
    stats.objects[1].name = "\x83\x4c";  // code page 932
    stats.objects[1].mirror = 2;
    stats.objects[2].name = "body";
    stats.objects[2].visible = 0;
    EXPECT_EQ(findingsLine(stats), "mirrored, half drawn: wing, #2; hidden, drawn: body");
    stats.objects.resize(40);
    for (std::size_t i = 3; i < 40; ++i) {
        stats.objects[i].name = "part" + std::to_string(i);
        stats.objects[i].shading = 1;
    }
    EXPECT_EQ(findingsLine(stats), "2 mirrored, half drawn; 1 hidden, drawn; 37 smoothed, drawn flat");
}
