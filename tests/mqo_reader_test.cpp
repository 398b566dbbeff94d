// The model file reader: chunks, brace checks, faces, and what it does with files that stray.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
    model.load(std::filesystem::temp_directory_path().c_str());
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
    EXPECT_EQ(r.model.objects[0].faces[0].materialIndex, -1);
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
