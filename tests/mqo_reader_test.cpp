// The model file reader: chunks, brace checks, faces, and what it does with files that stray.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <iterator>
#include <cstring>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gl_fixture.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "platform/message_box.h"

namespace {

const std::string braceMessage = "\"{\",\"}\"ではありません。データがずれています。";

const std::string sample = R"(Metasequoia Document
Format Text Ver 1.0

Scene {
	pos 0.0000 0.0000 1500.0000
	dirlights 1 {
		light {
			dir 0.408 0.408 0.816
		}
	}
}
Material 2 {
	"red" col(1.000 0.500 0.250 1.000) dif(0.800) amb(0.600) emi(0.100) spc(0.200) power(5.00)
	"blue" col(0.000 0.000 1.000 0.500) dif(0.500)
}
Object "box" {
	visible 15
	locking 0
	shading 1
	facet 59.5
	color 0.5 0.25 1
	color_type 0
	vertex 4 {
		0.0 0.0 0.0
		1.0 0.0 0.0
		1.0 1.0 0.0
		0.0 1.0 -2.5
	}
	face 2 {
		3 V(0 1 2) M(0) UV(0.1 0.2 0.3 0.4 0.5 0.6)
		4 V(0 1 2 3) M(1) UV(0 0.125 1 0 1 1 0.25 0.75)
	}
}
Object "plain" {
	vertex 3 {
		0 0 0
		0 0 1
		0 1 0
	}
	face 1 {
		3 V(2 1 0) M(1)
	}
}
Eof
)";

struct Result {
    MqoModel model;
    std::vector<platform::RecordedMessage> messages;
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages) out.push_back(m.caption + "|" + m.text);
        return out;
    }
};

Result read(const std::string& text, const char* path = "data\\m.mqo") {
    Result result;
    platform::MessageRecorder recorder;
    std::istringstream in(text);
    readModel(result.model, in, path, text.size());
    result.messages = recorder.messages();
    return result;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
}

// Every face the reader keeps names vertices that exist: 2 to 4 corners (polygons are split),
// indices in range. Material indices may name no material.
void expectDrawable(const MqoModel& model) {
    ASSERT_EQ(size_t(model.objectCount), model.objects.size());
    for (const MqoObject& object : model.objects) {
        ASSERT_GE(object.vertexCount, 0);
        ASSERT_GE(object.faceCount, 0);
        ASSERT_TRUE(object.vertexCount == 0 || object.vertices != nullptr);
        ASSERT_TRUE(object.faceCount == 0 || object.faces != nullptr);
        for (int f = 0; f < object.faceCount; ++f) {
            const MqoFace& face = object.faces[f];
            ASSERT_TRUE(face.vertexCount >= 2 && face.vertexCount <= 4);
            for (int k = 0; k < 4; ++k) {
                ASSERT_GE(face.vertexIndex[k], 0);
                ASSERT_LT(face.vertexIndex[k], object.vertexCount);
            }
        }
    }
}

}  // namespace

TEST(MqoReaderChunks, ReadsMaterialsObjectsVerticesAndFaces) {
    Result r = read(sample);
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.materialCount, 2);
    ASSERT_EQ(r.model.materials.size(), 2u);
    const MqoMaterial& red = r.model.materials[0];
    EXPECT_FLOAT_EQ(red.col[1], 0.5f);
    EXPECT_FLOAT_EQ(red.col[2], 0.25f);
    EXPECT_FLOAT_EQ(red.dif, 0.8f);
    EXPECT_FLOAT_EQ(red.amb, 0.6f);
    EXPECT_FLOAT_EQ(red.emi, 0.1f);
    EXPECT_FLOAT_EQ(red.spc, 0.2f);
    EXPECT_FLOAT_EQ(red.power, 5.0f);
    EXPECT_FLOAT_EQ(r.model.materials[1].col[3], 0.5f);
    EXPECT_EQ(r.model.materials[1].amb, 0.0f);

    ASSERT_EQ(r.model.objectCount, 2);
    const MqoObject& box = r.model.objects[0];
    EXPECT_EQ(box.color[0], 0.5);
    EXPECT_EQ(box.color[1], 0.25);
    EXPECT_EQ(box.color[2], 1.0);
    ASSERT_EQ(box.vertexCount, 4);
    EXPECT_EQ(box.vertices[3].z, -2.5);
    ASSERT_EQ(box.faceCount, 2);
    const MqoFace& triangle = box.faces[0];
    EXPECT_EQ(triangle.vertexCount, 3);
    EXPECT_EQ(triangle.vertexIndex[3], triangle.vertexIndex[2]);
    EXPECT_FLOAT_EQ(triangle.uv[5], 0.6f);
    EXPECT_EQ(triangle.uv[6], 0.0f);  // the fourth pair of a triangle stays 0
    const MqoFace& quad = box.faces[1];
    EXPECT_EQ(quad.vertexIndex[3], 3);
    EXPECT_EQ(quad.materialIndex, 1);
    EXPECT_FLOAT_EQ(quad.uv[7], 0.75f);

    const MqoObject& plain = r.model.objects[1];
    EXPECT_EQ(plain.color[1], 1.0);  // no "color" key: green
    EXPECT_EQ(plain.faces[0].vertexIndex[0], 2);
    EXPECT_EQ(plain.faces[0].uv[0], 0.0f);  // no "UV" group
    expectDrawable(r.model);
}

TEST(MqoReaderChunks, TopLevelStopsAtEofAndIgnoresOtherWords) {
    Result only = read("Eof");
    EXPECT_EQ(only.model.objectCount, 0);
    EXPECT_EQ(only.model.materialCount, 0);
    EXPECT_TRUE(only.messages.empty());
    // Nothing after "Eof" is read, not even a broken chunk.
    Result after = read("Header words 1.0 Eof Object \"x\" x x");
    EXPECT_EQ(after.model.objectCount, 0);
    EXPECT_TRUE(after.messages.empty());
}

TEST(MqoReaderChunks, SceneIsSkippedWholeOrOneWordWhenNotABlock) {
    Result nested = read("Scene { a { b { } } Object } Object \"o\" { face 0 { } } Eof");
    EXPECT_EQ(nested.model.objectCount, 1);
    EXPECT_TRUE(nested.messages.empty());
    // "Scene" before a word other than a brace skips only that word.
    Result word = read("Scene Object \"o\" { } Eof");
    EXPECT_EQ(word.model.objectCount, 0);
    EXPECT_TRUE(word.messages.empty());
}

TEST(MqoReaderChunks, MaterialKeysAfterTexAreNotRead) {
    Result r = read("Material 1 {\n\"m\" dif(0.5) tex(\"none.bmp\") col(1 1 1 1) amb(0.7)\n}\nEof\n",
                    "data\\mati\\f0.mqo");
    ASSERT_EQ(r.model.materials.size(), 1u);
    const MqoMaterial& m = r.model.materials[0];
    EXPECT_FLOAT_EQ(m.dif, 0.5f);
    EXPECT_EQ(m.col[0], 0.0f);
    EXPECT_EQ(m.amb, 0.0f);
    EXPECT_EQ(m.texturePath, "data\\mati\\none.bmp");
    EXPECT_EQ(m.texture(), 0u);
    EXPECT_EQ(r.texts(), std::vector<std::string>{"エラー|画像が読みこめません。:data\\mati\\none.bmp"});

    Result bare = read("Material 1 {\n\"m\" tex(\"t.bmp\")\n}\nEof\n", "bare.mqo");
    EXPECT_EQ(bare.model.materials[0].texturePath, "t.bmp");
}

TEST(MqoReaderChunks, MaterialLineOddsAndEnds) {
    // Unknown pieces are passed over, a short group leaves the rest 0, a bare name is a
    // material with every number 0, a line end in CR LF form is one line end.
    Result r = read("Material 3 {\r\n\"a\" shader(3) dif(0.25) col(1 0.5)\r\n\"b\"\r\n\"c\" tex(\"t.bmp\")\r\n}\r\nEof\r\n",
                    "x\\m.mqo");
    ASSERT_EQ(r.model.materials.size(), 3u);
    const MqoMaterial& a = r.model.materials[0];
    EXPECT_EQ(a.col[1], 0.5f);
    EXPECT_EQ(a.col[2], 0.0f);
    EXPECT_EQ(a.col[3], 0.0f);
    EXPECT_EQ(a.dif, 0.25f);
    EXPECT_EQ(r.model.materials[1].col[0], 0.0f);
    EXPECT_EQ(r.model.materials[2].texturePath, "x\\t.bmp");
    ASSERT_EQ(r.messages.size(), 1u);  // only the missing image
    EXPECT_EQ(r.messages[0].caption, "エラー");
}

TEST(MqoReaderChunks, NumbersReadAsTheirLongestDecimalPrefix) {
    Result r = read("Material 1 {\n\"m\" col(+1e-1 -2.5E1x .5 abc) dif(1e999) amb(-1e999) emi(1e-999) spc(7.)\n}\nEof");
    const MqoMaterial& m = r.model.materials[0];
    EXPECT_FLOAT_EQ(m.col[0], 0.1f);
    EXPECT_FLOAT_EQ(m.col[1], -25.0f);
    EXPECT_FLOAT_EQ(m.col[2], 0.5f);
    EXPECT_EQ(m.col[3], 0.0f);
    EXPECT_TRUE(std::isinf(m.dif) && m.dif > 0);
    EXPECT_TRUE(std::isinf(m.amb) && m.amb < 0);
    EXPECT_EQ(m.emi, 0.0f);
    EXPECT_EQ(m.spc, 7.0f);
}

TEST(MqoReaderBraces, EitherBracePassesEitherCheck) {
    Result r = read("Material 0 }\n{\nObject \"o\" } vertex 0 } { face 0 { } {\nEof");
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objectCount, 1);
    EXPECT_EQ(r.model.objects[0].vertexCount, 0);
    EXPECT_NE(r.model.objects[0].vertices, nullptr);  // an empty block is an empty array
    EXPECT_NE(r.model.objects[0].faces, nullptr);
}

TEST(MqoReaderBraces, ExpectBraceAndSkipBlockOnTheirOwn) {
    platform::MessageRecorder recorder;
    std::istringstream in("{ } x");
    EXPECT_FALSE(expectBrace(in));
    EXPECT_FALSE(expectBrace(in));
    EXPECT_TRUE(expectBrace(in));
    EXPECT_FALSE(expectBrace(in));  // at the end: nothing read, nothing shown
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].text, braceMessage);
    EXPECT_EQ(recorder.messages()[0].caption, "error");

    std::istringstream nested("{ a { b } } next");
    skipBlock(nested);
    std::string word;
    nested >> word;
    EXPECT_EQ(word, "next");
    std::istringstream single("x next");
    skipBlock(single);
    single >> word;
    EXPECT_EQ(word, "next");
    std::istringstream unclosed("{ a { b");
    skipBlock(unclosed);
    EXPECT_TRUE(unclosed.fail());
}

TEST(MqoReaderObjects, KeysOfOtherWritersAndKeysOutOfOrderAreReadPast) {
    // Keys the table does not name are read past with the rest of their line, table keys in any
    // order with their values; the blocks are read all the same.
    Result r = read("Object \"a b\" {\r\n\tuid 7\r\n\tdepth 0\r\n\tscale 1 1 1\r\n\tcolor 1 0 0\r\n"
                    "\tvisible 15\r\n\tmirror_dis 0.5 face\r\n\tlathe_axis 0\r\n\tvertex 1 {\r\n0 0 0\r\n}\r\n"
                    "\tnormal_weight 1\r\n\tface 1 {\r\n2 V(0 0)\r\n}\r\n}\r\n"
                    "Object \"b\" {\nvertex 1 {\n5 5 5\n}\nface 0 {\n}\n}\nEof\n");
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objectCount, 2);
    EXPECT_EQ(r.model.objects[0].color[0], 1.0);
    EXPECT_EQ(r.model.objects[0].color[1], 0.0);
    EXPECT_EQ(r.model.objects[0].vertexCount, 1);
    EXPECT_EQ(r.model.objects[0].faceCount, 1);
    EXPECT_EQ(r.model.objects[1].vertices[0].x, 5.0);
}

TEST(MqoReaderObjects, BlocksInsideAnObjectAreSkippedWhole) {
    Result r = read("Object \"o\" {\nvertex 3 {\n0 0 0\n1 0 0\n0 1 0\n}\n"
                    "vertexattr {\n\tweit {\n\t\t0 0.5\n\t}\n\tuid {\n1\n2\n3\n}\n}\n"
                    "custom 1 { face 9 { } }\n"
                    "face 1 {\n3 V(0 1 2) M(0)\n}\n}\nObject \"next\" {\nface 0 {\n}\n}\nEof\n");
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objectCount, 2);
    EXPECT_EQ(r.model.objects[0].vertexCount, 3);
    ASSERT_EQ(r.model.objects[0].faceCount, 1);
    EXPECT_EQ(r.model.objects[0].faces[0].vertexIndex[2], 2);
}

TEST(MqoReaderObjects, AnObjectWithoutFacesKeepsTheObjectAfterIt) {
    Result r = read("Object \"a\" {\nvertex 1 {\n0 0 0\n}\n}\n"
                    "Object \"b\" {\nvertex 1 {\n5 5 5\n}\nface 0 {\n}\n}\nObject \"c\" {\n}\nEof\n");
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objectCount, 3);
    EXPECT_EQ(r.model.objects[0].vertexCount, 1);
    EXPECT_EQ(r.model.objects[0].faces, nullptr);  // no face block: no array
    EXPECT_EQ(r.model.objects[1].vertices[0].y, 5.0);
    EXPECT_NE(r.model.objects[1].faces, nullptr);  // a block of 0 faces: an empty one
    EXPECT_EQ(r.model.objects[2].vertices, nullptr);
}

TEST(MqoReaderFailures, MissingFileShowsItsMessageAndLeavesTheModelEmpty) {
    platform::MessageRecorder recorder;
    MqoModel model;
    model.load("no\\such\\dir\\model.mqo");
    EXPECT_EQ(model.objectCount, 0);
    EXPECT_TRUE(model.materials.empty());
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].caption, "error");
    EXPECT_EQ(recorder.messages()[0].text, "no\\such\\dir\\model.mqo" "ファイルが開けません");
    // Neither is a directory or a device that endless bytes come from.
    model.load(std::filesystem::temp_directory_path().string().c_str());
    model.load("\\dev\\zero");
    EXPECT_EQ(recorder.messages().size(), 3u);
    EXPECT_EQ(recorder.messages()[2].text, "\\dev\\zero" "ファイルが開けません");
}

TEST(MqoReaderFailures, LoadOpensBackslashPathsAndReadsTheFile) {
    const auto dir = std::filesystem::temp_directory_path() / "lumivane-reader-test";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "m.mqo") << withCrLf(sample);
    std::string path = (dir / "m.mqo").string();
    for (char& c : path)
        if (c == '/') c = '\\';
    platform::MessageRecorder recorder;
    MqoModel model;
    model.load(path.c_str());
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(model.objectCount, 2);
    EXPECT_EQ(model.objects[0].faceCount, 2);
    std::filesystem::remove_all(dir);
}

TEST(MqoReaderFailures, EveryTruncationKeepsWhatWasReadAndIsReported) {
    const std::string ended = "error|data\\m.mqo: Eofの前で読めなくなりました。読めたところまでを使います";
    const std::string refused = "error|data\\m.mqo: 個数がおかしいので読み込みを打ち切りました";
    // Spans from the end of each chunk's keyword to the end of its closing brace: a cut inside
    // one is reported, a cut between chunks (or inside a keyword) reads quietly.
    std::vector<std::pair<size_t, size_t>> chunks;
    for (const char* keyword : {"Scene {", "Material 2", "Object \"box\"", "Object \"plain\""}) {
        const size_t at = sample.find(keyword);
        const size_t wordEnd = sample.find(' ', at);
        size_t close = at;
        int depth = 0;
        for (size_t i = at; i < sample.size(); ++i) {
            if (sample[i] == '{') ++depth;
            if (sample[i] == '}' && --depth == 0) {
                close = i + 1;
                break;
            }
        }
        chunks.emplace_back(wordEnd, close);
    }
    for (size_t length = 0; length < sample.size(); ++length) {
        SCOPED_TRACE(length);
        Result r = read(sample.substr(0, length));
        expectDrawable(r.model);
        const auto texts = r.texts();
        const bool stopped = std::find(texts.begin(), texts.end(), ended) != texts.end() ||
                             std::find(texts.begin(), texts.end(), refused) != texts.end();
        bool inside = false;
        for (const auto& [from, to] : chunks) inside = inside || (length >= from && length < to);
        EXPECT_EQ(stopped, inside);

        EXPECT_LE(r.model.objects.size(), 2u);
    }
    // Cut inside the second vertex block: the first object whole, the second with the vertices
    // read whole.
    Result cut = read(sample.substr(0, sample.find("0 1 0\n")));
    ASSERT_EQ(cut.model.objectCount, 2);
    EXPECT_EQ(cut.model.objects[0].faceCount, 2);
    EXPECT_EQ(cut.model.objects[1].vertexCount, 2);
    EXPECT_EQ(cut.model.objects[1].faces, nullptr);
}

TEST(MqoReaderFailures, UnreadableNumberStopsReading) {
    Result r = read(replaced(sample, "0.0 1.0 -2.5", "0.0 one -2.5"));
    ASSERT_EQ(r.model.objectCount, 1);
    EXPECT_EQ(r.model.objects[0].vertexCount, 3);  // the three whole vertices before it
    EXPECT_EQ(r.model.objects[0].faces, nullptr);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].text.find("Eofの前で読めなくなりました"), std::string::npos);
}

TEST(MqoReaderFailures, NegativeAndOversizedCountsAreRefused) {
    const std::string refused = "error|data\\m.mqo: 個数がおかしいので読み込みを打ち切りました";
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"vertex 4", "vertex -4"},
             {"vertex 4", "vertex 2000000000"},
             {"face 2", "face -1"},
             {"face 2", "face 300"},
         }) {
        SCOPED_TRACE(to);
        Result r = read(replaced(sample, from, to));
        EXPECT_EQ(r.texts(), std::vector<std::string>{refused});
        ASSERT_EQ(r.model.objectCount, 1);
        EXPECT_EQ(r.model.objects[0].faceCount, 0);
        expectDrawable(r.model);
    }
    // A material count does not limit the lines, which run to the brace; a negative one reads
    // as none.
    for (const char* header : {"Material -2", "Material 1", "Material 9"}) {
        SCOPED_TRACE(header);
        Result materials = read(replaced(sample, "Material 2", header));
        EXPECT_TRUE(materials.messages.empty());
        EXPECT_EQ(materials.model.materialCount, std::max(0, std::atoi(header + 9)));
        EXPECT_EQ(materials.model.materials.size(), 2u);
        EXPECT_EQ(materials.model.objectCount, 2);
    }
}


TEST(MqoReaderFaces, OnlyFacesNamingMissingVerticesAreRefusedWithOneMessage) {
    const std::string faces = "face 9 {\n"
                              "3 V(0 1 2) M(0)\n"             // kept
                              "2 V(0 1) M(0) UV(1 2 3 4)\n"   // an edge, kept
                              "1 V(0) M(0)\n"                 // one corner
                              "3 V(0 1 4) M(0)\n"             // vertex 4 of 4
                              "4 V(0 1 2 -1) M(0)\n"          // negative index
                              "3 V(0 1 2) M(2)\n"             // material 2 of 2: kept as read
                              "3 M(1)\n"                      // no indices at all
                              "5 V(0 1 2 3 9) M(1)\n"         // a polygon naming vertex 9
                              "4 V(3 2 1 0) M(1) UV(0 0 1 0 1 1 0 1) extra(9)\n"  // kept
                              "}\n";
    const std::string boxFaces = "face 2 {\n\t\t3 V(0 1 2) M(0) UV(0.1 0.2 0.3 0.4 0.5 0.6)\n"
                                 "\t\t4 V(0 1 2 3) M(1) UV(0 0.125 1 0 1 1 0.25 0.75)\n\t}\n";
    Result r = read(replaced(sample, boxFaces, faces));
    EXPECT_EQ(r.texts(), std::vector<std::string>{"error|data\\m.mqo: 面情報がおかしい面を読み飛ばしました。数:5"});
    ASSERT_EQ(r.model.objectCount, 2);
    const MqoObject& box = r.model.objects[0];
    ASSERT_EQ(box.faceCount, 4);
    EXPECT_EQ(box.faces[0].vertexCount, 3);
    const MqoFace& edge = box.faces[1];
    EXPECT_EQ(edge.vertexCount, 2);
    EXPECT_EQ(edge.vertexIndex[1], 1);
    EXPECT_EQ(edge.vertexIndex[3], 1);
    EXPECT_EQ(edge.uv[3], 4.0f);
    EXPECT_EQ(box.faces[2].materialIndex, 2);
    EXPECT_EQ(box.faces[3].vertexIndex[0], 3);
    EXPECT_EQ(box.faces[3].uv[4], 1.0f);
    EXPECT_EQ(r.model.objects[1].faceCount, 1);  // reading went on after the bad faces
    expectDrawable(r.model);
}

TEST(MqoReaderFaces, FacesWithoutAKnownMaterialAreKeptAsRead) {
    // No Material chunk before them, no "M", M(-1), an index past the list.
    Result r = read("Object \"o\" {\nvertex 3 {\n0 0 0 1 0 0 0 1 0\n}\nface 3 {\n3 V(0 1 2)\n"
                    "3 V(0 1 2) M(-1)\n3 V(2 1 0) M(5)\n}\n}\nMaterial 1 {\n\"m\" col(1 1 1 1)\n}\nEof\n");
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objects[0].faceCount, 3);
    EXPECT_EQ(r.model.objects[0].faces[0].materialIndex, 0);  // no "M": 0, as it always was
    EXPECT_EQ(r.model.objects[0].faces[1].materialIndex, -1);
    EXPECT_EQ(r.model.objects[0].faces[2].materialIndex, 5);
    EXPECT_EQ(r.model.materials.size(), 1u);
}

TEST(MqoReaderFaces, LinesOfAnyLengthAreReadWhole) {
    const std::string longFace = "3 V(0 1 2) M(1)" + std::string(300, ' ') + "UV(1 1 1 1 1 1)\n";
    Result r = read(replaced(sample, "3 V(0 1 2) M(0) UV(0.1 0.2 0.3 0.4 0.5 0.6)\n", longFace));
    EXPECT_TRUE(r.messages.empty());
    const MqoObject& box = r.model.objects[0];
    ASSERT_EQ(box.faceCount, 2);
    EXPECT_EQ(box.faces[0].materialIndex, 1);
    EXPECT_EQ(box.faces[0].uv[0], 1.0f);
    EXPECT_EQ(box.faces[1].vertexCount, 4);
    // A CR LF line of exactly 255 characters before its line end.
    const std::string exact = "3 V(0 1 2) M(1)" + std::string(240, ' ') + "\n";
    EXPECT_TRUE(read(withCrLf(replaced(sample, "3 V(0 1 2) M(0) UV(0.1 0.2 0.3 0.4 0.5 0.6)\n", exact))).messages.empty());
}

TEST(MqoReaderFailures, LongTexturePathIsReportedWhole) {
    const std::string name(300, 'n');
    Result r = read("Material 1 {\n\"m\" tex(\"" + name + "\")\n}\nEof\n", "d\\m.mqo");
    ASSERT_EQ(r.messages.size(), 1u);  // the image only: the line is read whole
    EXPECT_EQ(r.messages[0].text, "画像が読みこめません。:d\\" + name);
    const std::string path = std::string(200, 'p') + "\\" + std::string(100, 'q') + "\\m.mqo";
    Result deep = read("Material 1 {\n\"m\" tex(\"t.bmp\")\n}\nEof\n", path.c_str());
    ASSERT_EQ(deep.messages.size(), 1u);
    EXPECT_EQ(deep.model.materials[0].texturePath, path.substr(0, path.size() - 5) + "t.bmp");
    EXPECT_EQ(deep.messages[0].text, "画像が読みこめません。:" + deep.model.materials[0].texturePath);
}

// ---- the show's own files ----------------------------------------------------------------------

namespace {

// FNV-1a over the bytes of every record field, texels of every texture included.
class RecordDigest {
public:
    void bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) value_ = (value_ ^ p[i]) * 1099511628211ull;
    }
    template <typename T>
    void add(const T& v) { bytes(&v, sizeof v); }
    void add(const std::string& s) { add(s.size()); bytes(s.data(), s.size()); }
    uint64_t value() const { return value_; }

private:
    uint64_t value_ = 14695981039346656037ull;
};

void addTexture(RecordDigest& d, uint32_t name) {
    d.add(name != 0);
    if (!name) return;
    glBindTexture(GL_TEXTURE_2D, name);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<uint8_t> texels(std::size_t(width) * std::size_t(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    d.add(width);
    d.add(height);
    d.bytes(texels.data(), texels.size());
}

uint64_t digestOf(const MqoModel& model, std::size_t messages) {
    RecordDigest d;
    d.add(messages);
    d.add(model.objectCount);
    d.add(model.materialCount);
    d.add(model.materials.size());
    for (const MqoMaterial& m : model.materials) {
        d.bytes(m.col, sizeof m.col);
        for (float v : {m.dif, m.amb, m.emi, m.spc, m.power}) d.add(v);
        d.add(m.texturePath);
        addTexture(d, m.texture());
    }
    d.add(model.objects.size());
    for (const MqoObject& o : model.objects) {
        d.add(o.vertexCount);
        d.add(o.faceCount);
        d.bytes(o.color, sizeof o.color);
        d.add(o.vertices != nullptr);
        if (o.vertices) d.bytes(o.vertices.get(), sizeof(MqoVertex) * std::size_t(o.vertexCount));
        d.add(o.faces != nullptr);
        for (int f = 0; o.faces && f < o.faceCount; ++f) {
            const MqoFace& face = o.faces[f];
            d.add(face.vertexCount);
            d.bytes(face.vertexIndex, sizeof face.vertexIndex);
            d.add(face.materialIndex);
            d.bytes(face.uv, sizeof face.uv);
        }
    }
    return d.value();
}

class StandinRecords : public GLTest {};

}  // namespace

// The fifteen files of the stand-in set (written by the build into ./data) read into exactly the
// records they read into before the reader learned the keys, blocks and faces of other writers.
// The values were taken with that earlier reader; any change to a record, a texel or a message
// changes them.
TEST_F(StandinRecords, ReadIntoTheRecordsTheyAlwaysReadInto) {
    const std::pair<const char*, uint64_t> expected[] = {
        {"data\\filter.mqo", 0xf56d89fd0ce81e17ull},   {"data\\hane2.mqo", 0x6c9282e3d27760c6ull},    {"data\\sky.mqo", 0xde01b8f95ce7a376ull},
        {"data\\skytube.mqo", 0x52945ee090c1a410ull},  {"data\\cloud.mqo", 0xa56af27d260b21f5ull},    {"data\\p_tamsel.mqo", 0xab235f36870ef548ull},
        {"data\\p_zefra.mqo", 0x668a5c1ac6cea073ull},  {"data\\bback.mqo", 0x69bce8890c89117ull},    {"data\\backbox.mqo", 0x6aef3f5eeda67a37ull},
        {"data\\billm.mqo", 0x44ef523d14292890ull},    {"data\\mati\\f0.mqo", 0x4a391e565dcf40e4ull}, {"data\\rot1.mqo", 0x31e09720f1de8898ull},
        {"data\\donut.mqo", 0xd2755f9c6db1a64aull},    {"data\\hikari.mqo", 0xf1a44f6ad27a633dull},   {"data\\toge.mqo", 0x1d7505708b962a1cull},
    };
    if (!std::filesystem::exists("data/.complete")) GTEST_SKIP() << "no stand-in data set in ./data";
    for (const auto& [path, digest] : expected) {
        platform::MessageRecorder recorder;
        MqoModel model;
        model.load(path);
        const uint64_t actual = digestOf(model, recorder.messages().size());
        EXPECT_EQ(actual, digest) << path << std::hex << " digest 0x" << actual;
    }
}

// ---- what modelling tools write beyond the show's own files ----------------------------------

namespace {

std::string floatBytes(const std::vector<float>& values) {
    std::string out;
    for (float f : values) {
        uint32_t bits;
        std::memcpy(&bits, &f, sizeof bits);
        for (int i = 0; i < 4; ++i) out += char(bits >> (8 * i) & 0xFF);
    }
    return out;
}

std::string binaryObject(const std::string& vectorLine, const std::string& bytes) {
    return "Object \"b\" {\r\n\tcolor 1 1 1\r\n\tBVertex 3 {\r\n\t\t" + vectorLine + "\r\n" + bytes +
           "\r\n\t}\r\n\tface 1 {\r\n\t\t3 V(0 1 2)\r\n\t}\r\n}\r\n";
}

// Twice the signed area of the triangle (a, b, c) in the xy plane.
double area2(const MqoVertex& a, const MqoVertex& b, const MqoVertex& c) {
    return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

}  // namespace

TEST(MqoReaderChunks, ChunksOfOtherWritersAreSkippedWholeAndEofMayBeMissing) {
    // Thumbnail hex, an include line, a background image with an absolute path, a material block
    // of nested blocks naming words the reader knows, and no Eof after the last chunk.
    const std::string text = "Metasequoia Document\r\nFormat Text Ver 1.1\r\n\r\n"
                             "Thumbnail 2 2 24 rgb raw {\r\n\t00FF00AA11\r\n\t0A0B0C0D0E\r\n}\r\n"
                             "IncludeXml \"x.mqx\"\r\n"
                             "BackImage {\r\n\tpers \"E:\\work\\top.png\" 0 0 1 1\r\n}\r\n" +
                             sample.substr(sample.find("Material 2"), sample.find("Object \"plain\"") - sample.find("Material 2")) +
                             "MaterialEx2 2 {\r\n\tmaterial 0 {\r\n\t\tshaderparam {\r\n\t\t\tObject 1\r\n\t\t\tEof\r\n\t\t}\r\n\t}\r\n}\r\n"
                             "Unknown 3 { Material 9 { } }\r\n" +
                             sample.substr(sample.find("Object \"plain\""), sample.find("Eof") - sample.find("Object \"plain\""));
    Result r = read(text);
    EXPECT_TRUE(r.messages.empty()) << r.texts().front();
    EXPECT_EQ(r.model.materialCount, 2);
    ASSERT_EQ(r.model.objectCount, 2);
    EXPECT_EQ(r.model.objects[0].faceCount, 2);
    EXPECT_EQ(r.model.objects[1].faceCount, 1);
    expectDrawable(r.model);
}

TEST(MqoReaderBinary, BinaryVerticesReadExactlyInEitherFormatVersion) {
    const std::vector<float> xyz = {1.5f, -2.25f, 1e-3f, 100.0f, 0.1f, -7.0f, 3.0e7f, -0.0f, 42.0f};
    for (const char* version : {"Format Text Ver 1.0\r\n", "Format Text Ver 1.1\r\n"}) {
        SCOPED_TRACE(version);
        // The bytes may hold what looks like braces, blanks and line ends.
        std::vector<float> tricky = xyz;
        uint32_t braces = 0x7D0A7B20;  // " {\n}"
        std::memcpy(&tricky[8], &braces, 4);
        Result r = read(std::string("Metasequoia Document\r\n") + version +
                        binaryObject("Vector 3 [36]", floatBytes(tricky)) + "Object \"after\" {\r\n}\r\nEof\r\n");
        EXPECT_TRUE(r.messages.empty());
        ASSERT_EQ(r.model.objectCount, 2);
        const MqoObject& o = r.model.objects[0];
        ASSERT_EQ(o.vertexCount, 3);
        for (int i = 0; i < 8; ++i) EXPECT_EQ((&o.vertices[i / 3].x)[i % 3], double(tricky[std::size_t(i)])) << i;
        float last;
        std::memcpy(&last, &braces, 4);
        EXPECT_EQ(o.vertices[2].z, double(last));
        EXPECT_EQ(o.faceCount, 1);
    }
}

TEST(MqoReaderBinary, AByteCountThatDoesNotMatchIsOneMessageAndNothingElseIsLost) {
    const std::string bytes = floatBytes({1, 2, 3, 4, 5, 6, 7, 8, 9});
    const std::string message = "error|data\\m.mqo: BVertexのバイト数がファイルと合いません";
    // Fewer bytes than three vertices take: the whole vertices there are kept.
    // (The face naming the third vertex is refused with its own message.)
    Result fewer = read(binaryObject("Vector 3 [24]", bytes.substr(0, 24)) + "Object \"after\" {\r\n}\r\nEof\r\n");
    ASSERT_EQ(fewer.texts().size(), 2u);
    EXPECT_EQ(fewer.texts()[1], message);
    ASSERT_EQ(fewer.model.objectCount, 2);
    EXPECT_EQ(fewer.model.objects[0].vertexCount, 2);
    EXPECT_EQ(fewer.model.objects[0].vertices[1].z, 6.0);
    // More bytes than the vertices need: the three are read, the rest passed over.
    Result more = read(binaryObject("Vector 3 [40]", bytes + "XXXX") + "Object \"after\" {\r\n}\r\nEof\r\n");
    EXPECT_EQ(more.texts(), std::vector<std::string>{message});
    ASSERT_EQ(more.model.objectCount, 2);
    EXPECT_EQ(more.model.objects[0].vertexCount, 3);
    // A count far beyond the file: what is there is read, and the file is over.
    Result beyond = read(binaryObject("Vector 3 [4000000000]", bytes));
    ASSERT_EQ(beyond.model.objectCount, 1);
    EXPECT_LE(beyond.model.objects[0].vertexCount, 3);
    EXPECT_FALSE(beyond.messages.empty());
    expectDrawable(beyond.model);
}

TEST(MqoReaderFaces, PolygonsAreSplitIntoTrianglesInTheirPlace) {
    // A concave pentagon (a square notched from the top down to vertex 3) and a hexagon (the
    // same with a point out to the left) between two triangles; the polygons carry their
    // material and their corners' UVs. A fan from the first corner would cover the notch.
    const std::string text = "Material 2 {\n\"a\" col(1 1 1 1)\n\"b\" col(1 0 0 1)\n}\n"
                             "Object \"p\" {\nvertex 7 {\n0 0 0\n4 0 0\n4 4 0\n2 1 0\n0 4 0\n-1 2 0\n9 9 9\n}\n"
                             "face 4 {\n3 V(0 1 6) M(0)\n"
                             "5 V(0 1 2 3 4) M(1) UV(0 0 0.4 0 0.4 0.4 0.2 0.1 0 0.4)\n"
                             "6 V(0 1 2 3 4 5) M(0) UV(0 0 1 0 1 1 0.5 0.25 0 1 0.5 1.5)\n"
                             "3 V(6 5 4) M(1)\n}\n}\nEof\n";
    Result r = read(text);
    EXPECT_TRUE(r.messages.empty());
    const MqoObject& o = r.model.objects[0];
    ASSERT_EQ(o.faceCount, 1 + 3 + 4 + 1);
    EXPECT_EQ(o.faces[0].vertexIndex[2], 6);
    EXPECT_EQ(o.faces[8].vertexIndex[0], 6);
    // Polygon areas by the shoelace formula: pentagon 4*4 - the notch 4*3/2 = 10, hexagon 10 + 2.
    const struct {
        int first, count, corners;
        double area;
        int material;
        std::vector<float> uv;  // per vertex index 0..5
    } polygons[] = {{1, 3, 5, 10.0, 1, {0, 0, 0.4f, 0, 0.4f, 0.4f, 0.2f, 0.1f, 0, 0.4f}},
                    {4, 4, 6, 12.0, 0, {0, 0, 1, 0, 1, 1, 0.5f, 0.25f, 0, 1, 0.5f, 1.5f}}};
    for (const auto& polygon : polygons) {
        SCOPED_TRACE(polygon.corners);
        double total = 0;
        for (int f = polygon.first; f < polygon.first + polygon.count; ++f) {
            const MqoFace& t = o.faces[f];
            ASSERT_EQ(t.vertexCount, 3);
            EXPECT_EQ(t.materialIndex, polygon.material);
            EXPECT_EQ(t.vertexIndex[3], t.vertexIndex[2]);
            for (int k = 0; k < 3; ++k) {
                const int v = t.vertexIndex[k];
                ASSERT_LT(v, polygon.corners);
                EXPECT_EQ(t.uv[2 * k], polygon.uv[std::size_t(2 * v)]);
                EXPECT_EQ(t.uv[2 * k + 1], polygon.uv[std::size_t(2 * v + 1)]);
            }
            const MqoVertex& a = o.vertices[t.vertexIndex[0]];
            const MqoVertex& b = o.vertices[t.vertexIndex[1]];
            const MqoVertex& c = o.vertices[t.vertexIndex[2]];
            total += std::fabs(area2(a, b, c)) / 2;
            // No triangle covers the notch: its centre lies above the notch's edges.
            const double cx = (a.x + b.x + c.x) / 3, cy = (a.y + b.y + c.y) / 3;
            EXPECT_FALSE(cy > 1 + 1.5 * std::fabs(cx - 2) && cy < 4) << cx << "," << cy;
        }
        EXPECT_NEAR(total, polygon.area, 1e-9);
    }
}

TEST(MqoReaderFaces, PolygonsThatCannotBeSplitAreRefusedWithTheFacesMessage) {
    const std::string text = "Object \"p\" {\nvertex 5 {\n0 0 0\n1 0 0\n2 0 0\n3 0 0\n4 0 0\n}\nface 5 {\n"
                             "5 V(0 1 2 3 4)\n"        // all on one line: no area at all
                             "5 V(0 0 0 0 0)\n"        // one vertex five times
                             "2000000000 V(0 1 2)\n"   // more corners than the line can name
                             "6 V(0 1 2 3 4 5)\n"      // vertex 5 of 5
                             "3 V(0 1 4)\n}\n}\nEof\n";
    Result r = read(text);
    EXPECT_EQ(r.texts(), std::vector<std::string>{"error|data\\m.mqo: 面情報がおかしい面を読み飛ばしました。数:4"});
    ASSERT_EQ(r.model.objects[0].faceCount, 1);
    EXPECT_EQ(r.model.objects[0].faces[0].vertexIndex[2], 4);
}

// ---- the real files of other writers -----------------------------------------------------------

namespace {

// Just enough JSON for the counter's figures: objects, arrays, strings, numbers, literals.
struct Json {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::vector<std::pair<std::string, Json>> members;
    const Json& operator[](const std::string& key) const {
        static const Json none;
        for (const auto& [k, v] : members)
            if (k == key) return v;
        return none;
    }
};

Json parseJson(const std::string& s, std::size_t& at) {
    auto blank = [&] { while (at < s.size() && std::isspace(static_cast<unsigned char>(s[at]))) ++at; };
    auto string = [&] {
        std::string out;
        for (++at; at < s.size() && s[at] != '"'; ++at) {
            if (s[at] == '\\') ++at;
            out += s[at];
        }
        ++at;
        return out;
    };
    blank();
    Json value;
    if (s[at] == '{') {
        value.kind = Json::Object;
        for (++at, blank(); s[at] != '}'; blank()) {
            const std::string key = string();
            blank();
            ++at;  // ':'
            value.members.emplace_back(key, parseJson(s, at));
            blank();
            if (s[at] == ',') ++at;
            blank();
        }
        ++at;
    } else if (s[at] == '[') {
        value.kind = Json::Array;
        for (++at, blank(); s[at] != ']'; blank()) {
            value.items.push_back(parseJson(s, at));
            blank();
            if (s[at] == ',') ++at;
            blank();
        }
        ++at;
    } else if (s[at] == '"') {
        value.kind = Json::String;
        value.text = string();
    } else if (std::isalpha(static_cast<unsigned char>(s[at]))) {
        value.kind = s[at] == 'n' ? Json::Null : Json::Bool;
        value.number = s[at] == 't';
        while (at < s.size() && std::isalpha(static_cast<unsigned char>(s[at]))) ++at;
    } else {
        value.kind = Json::Number;
        std::size_t used = 0;
        value.number = std::stod(s.substr(at, 32), &used);
        at += used;
    }
    return value;
}

const std::filesystem::path peerFolder = std::filesystem::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo";

class RealFiles : public GLTest {};

}  // namespace

// Every real file reads with all its objects and vertices, at least as many faces as it has faces
// of three or more corners (as the independent counter counts them), every texture that it names
// and that lies beside it, and no message.
TEST_F(RealFiles, ReadWholeWithEveryTextureAndNoMessage) {
    if (!std::filesystem::is_directory(peerFolder)) GTEST_SKIP() << "no " << peerFolder;
    std::ifstream in(peerFolder / "expected-counts.json");
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    std::size_t at = 0;
    const Json counts = parseJson(text, at);
    ASSERT_EQ(counts.kind, Json::Object);
    ASSERT_GE(counts.members.size(), 16u);
    for (const auto& [name, expected] : counts.members) {
        SCOPED_TRACE(name);
        std::string path = (peerFolder / name).string();
        for (char& c : path)
            if (c == '/') c = '\\';
        platform::MessageRecorder recorder;
        MqoModel model;
        model.load(path.c_str());
        EXPECT_TRUE(recorder.messages().empty()) << recorder.messages().front().text;
        const auto& objects = expected["objects"].items;
        ASSERT_EQ(model.objects.size(), objects.size());
        EXPECT_EQ(model.objectCount, int32_t(objects.size()));
        EXPECT_EQ(model.materialCount, int32_t(expected["material_count"].number));
        for (std::size_t i = 0; i < objects.size(); ++i) {
            const Json& o = objects[i];
            const int32_t vertices = o["vertex_count"].kind == Json::Number ? int32_t(o["vertex_count"].number) : 0;
            int32_t faces = int32_t(o["corners"]["3"].number + o["corners"]["4"].number);
            for (const auto& [corners, n] : o["corners_other"].members)
                if (std::stoi(corners) >= 3) faces += int32_t(n.number);
            EXPECT_EQ(model.objects[i].vertexCount, vertices) << i;
            EXPECT_GE(model.objects[i].faceCount, faces) << i;
        }
        for (const MqoMaterial& m : model.materials) {
            if (m.texturePath.empty()) continue;
            const std::string file = m.texturePath.substr(m.texturePath.rfind('\\') + 1);
            if (std::filesystem::exists(peerFolder / file)) EXPECT_NE(m.texture(), 0u) << file;
        }
    }
}

TEST(MqoReaderFaces, PolygonsOfCornersThatAreNotNumbersAreRefused) {
    // Binary vertices can hold NaN and infinities, which the tessellator cannot take.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const std::string bytes = floatBytes({0, 0, 0, 1, 0, 0, nan, 1, 0, 1, 2, 0, inf, 1, 0});
    Result r = read("Object \"p\" {\nBVertex 5 {\nVector 5 [60]\n" + bytes +
                    "\n}\nface 2 {\n5 V(0 1 2 3 4)\n3 V(0 1 3)\n}\n}\nEof\n");
    EXPECT_EQ(r.texts(), std::vector<std::string>{"error|data\\m.mqo: 面情報がおかしい面を読み飛ばしました。数:1"});
    ASSERT_EQ(r.model.objects[0].faceCount, 1);
    EXPECT_EQ(r.model.objects[0].faces[0].vertexIndex[2], 3);
}
