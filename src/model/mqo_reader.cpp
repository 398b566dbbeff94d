// The model file reader: one pass over the text, words and numbers by stream extraction, the
// rest of a line cut into pieces at "() ". Files of the show read exactly as they always did;
// what modelling tools write beyond that (further keys and blocks, binary vertices, polygons,
// edges) is read as its writer meant it. What cannot be read is refused with a message, and the
// model keeps everything read before it; no face names a vertex that does not exist.
#include "model/mqo_reader.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cstdlib>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>

#include <GL/glu.h>

#include <vector>

#include "model/model_archive.h"
#include "model/model_paths.h"
#include "model/polygon_screen.h"
#include "platform/files.h"
#include "platform/input_files.h"
#include "platform/message_box.h"

namespace {

const char* const readerCaption = "error";
const char* const braceText = "\"{\",\"}\"ではありません。データがずれています。";
const char* const cannotOpenText = "ファイルが開けません";
const char* const badCountText = ": 個数がおかしいので読み込みを打ち切りました";
const char* const endedText = ": Eofの前で読めなくなりました。読めたところまでを使います";
const char* const badFacesText = ": 面情報がおかしい面を読み飛ばしました。数:";
const char* const binaryVertexText = ": BVertexのバイト数がファイルと合いません";

const char* const pieceSeparators = "() ";
const char* const nameSeparators = "() \"";

// Fewest bytes one entry of a block can take in the file; a count that needs more than the rest
// of the file holds is refused before anything is allocated for it.
constexpr uint64_t minimumVertexBytes = 6;    // "0 0 0 "
constexpr uint64_t minimumFaceBytes = 8;      // "3 V(0 0 0)" and a line end, with room to spare

// Object attributes whose values are words (one each, three for "color"); only "color" is kept.
// Other keys are read past with the rest of their line.
const char* const attributeKeys[] = {"patch",  "segment", "visible",    "locking", "shading",
                                     "facet",  "color",   "color_type", "mirror",  "mirror_axis"};

bool readWord(std::istream& in, std::string& word) {
    word.clear();
    in >> word;
    return !in.fail();
}

// Cuts a line in place: each piece ends at the next separator, which is overwritten; runs of
// separators give no empty pieces. The set may change from one piece to the next.
class PieceCutter {
public:
    explicit PieceCutter(char* line) : rest_(line) {}
    const char* next(const char* separators) {
        char* start = rest_ + std::strspn(rest_, separators);
        if (*start == '\0') {
            rest_ = start;
            return nullptr;
        }
        char* end = start + std::strcspn(start, separators);
        rest_ = end;
        if (*end != '\0') {
            *end = '\0';
            rest_ = end + 1;
        }
        return start;
    }
    // A name in double quotes, blanks and all, after any of separators; without an opening quote
    // the next piece cut at separators.
    std::string quoted(const char* separators) {
        char* start = rest_ + std::strspn(rest_, "() ");
        if (*start == '"') {
            char* close = std::strchr(start + 1, '"');
            if (close) {
                rest_ = close + 1;
                return std::string(start + 1, close);
            }
        }
        const char* piece = next(separators);
        return piece ? std::string(piece) : std::string();
    }

private:
    char* rest_;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The longest decimal number at the start of text (blanks skipped): sign, digits, point,
// exponent. 0 when the text does not begin with one; beyond the double range, an infinity or 0.
double toReal(const char* text) {
    if (!text) return 0;
    while (isBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    const char* p = text;
    int64_t digits = 0;
    int64_t magnitude = 0;  // decimal position of the first non-zero digit, relative to the point
    bool nonZero = false;
    for (; isDigit(*p); ++p, ++digits) {
        nonZero = nonZero || *p != '0';
        if (nonZero) ++magnitude;
    }
    if (*p == '.') {
        for (++p; isDigit(*p); ++p, ++digits) {
            if (!nonZero && *p == '0') --magnitude;
            nonZero = nonZero || *p != '0';
        }
    }
    if (digits == 0) return 0;
    int64_t exponent = 0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        bool negativeExponent = false;
        if (*q == '+' || *q == '-') negativeExponent = *q++ == '-';
        if (isDigit(*q)) {
            for (; isDigit(*q); ++q) exponent = std::min<int64_t>(exponent * 10 + (*q - '0'), 1000000);
            if (negativeExponent) exponent = -exponent;
            p = q;
        }
    }
    double value = 0;
#if defined(__cpp_lib_to_chars)
    const auto result = std::from_chars(text, p, value, std::chars_format::general);
    const bool outOfRange = result.ec == std::errc::result_out_of_range;
#else
    // A standard library without floating-point from_chars (emscripten's): strtod of the same
    // digits, which the "C" locale rounds the same way.
    const std::string digitsOnly(text, p);
    errno = 0;
    value = std::strtod(digitsOnly.c_str(), nullptr);
    const bool outOfRange = errno == ERANGE;
#endif
    if (outOfRange)
        value = (nonZero && magnitude + exponent > 0) ? HUGE_VAL : 0.0;
    return negative ? -value : value;
}

// The decimal integer at the start of text, the same way; saturates at the 32-bit limits.
int32_t toInteger(const char* text) {
    if (!text) return 0;
    while (isBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    for (; isDigit(*text); ++text) {
        value = value * 10 + (*text - '0');
        if (value > int64_t(INT32_MAX) + 1) value = int64_t(INT32_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return int32_t(value);
}

// A double stored into a float field; beyond the float range it becomes an infinity.
float toFloat(double value) {
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return float(value);
}

std::string unquoted(const std::string& name) {
    return name.size() >= 2 && name.front() == '"' && name.back() == '"' ? name.substr(1, name.size() - 2) : name;
}

std::string directoryPart(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}


// A face as its line gives it, before polygons are split: corners in file order.
struct FaceLine {
    int32_t corners = 0;
    std::vector<int32_t> index;  // corners entries
    std::vector<float> uv;       // 2 * corners entries
    // Without an "M" group 0, as the reader always gave it: files that read whole keep their
    // records, and in a file without materials 0 names none either.
    int32_t materialIndex = 0;
};

// Splits polygons of 5 or more corners into triangles with the GLU tessellator; concave ones
// come out right. A triangle names corners of the polygon, so it keeps their indices and UVs.
class PolygonSplitter {
public:
    PolygonSplitter() = default;
    ~PolygonSplitter() {
        if (tess_) gluDeleteTess(tess_);
    }
    PolygonSplitter(const PolygonSplitter&) = delete;
    PolygonSplitter& operator=(const PolygonSplitter&) = delete;

    // Why the last polygon was refused before tessellation (None when it was not).
    PolygonProblem problem() const { return problem_; }

    // Corners of the triangles, three per triangle, as positions in the polygon; false when the
    // polygon was screened out (problem()), or the tessellator refused it or made no triangle of it.
    bool split(const MqoVertex* vertices, const FaceLine& face, std::vector<int32_t>& triangles) {
        triangles.clear();
        problem_ = PolygonProblem::None;
        // The tessellator cannot take coordinates that are not finite (it crashes on NaN), nor
        // ones so large that its products overflow; no modeller writes such a polygon.
        for (int32_t k = 0; k < face.corners; ++k) {
            const MqoVertex& v = vertices[face.index[std::size_t(k)]];
            for (double c : {v.x, v.y, v.z})
                if (!(std::fabs(c) <= kLargestCoordinate)) return false;
        }
        problem_ = face.corners > kMaxPolygonCorners ? PolygonProblem::TooManyCorners : PolygonProblem::None;
        if (problem_ != PolygonProblem::None) return false;
        corners_.resize(std::size_t(face.corners));
        positions_.resize(std::size_t(face.corners) * 3);
        for (int32_t k = 0; k < face.corners; ++k) {
            const MqoVertex& v = vertices[face.index[std::size_t(k)]];
            corners_[std::size_t(k)] = k;
            positions_[3 * std::size_t(k)] = v.x;
            positions_[3 * std::size_t(k) + 1] = v.y;
            positions_[3 * std::size_t(k) + 2] = v.z;
        }
        problem_ = screenPolygon(positions_.data(), face.index.data(), face.corners);
        if (problem_ != PolygonProblem::None) return false;
        if (!tess_ && !create()) return false;
        triangles_ = &triangles;
        failed_ = false;
        gluTessNormal(tess_, 0, 0, 0);
        gluTessBeginPolygon(tess_, this);
        gluTessBeginContour(tess_);
        for (int32_t k = 0; k < face.corners; ++k)
            gluTessVertex(tess_, &positions_[3 * std::size_t(k)], &corners_[std::size_t(k)]);
        gluTessEndContour(tess_);
        gluTessEndPolygon(tess_);
        triangles_ = nullptr;
        if (failed_ || triangles.empty() || triangles.size() % 3 != 0) {
            triangles.clear();
            return false;
        }
        return true;
    }

private:
    using Callback = void (*)();
    static constexpr double kLargestCoordinate = 1e60;

    bool create() {
        tess_ = gluNewTess();
        if (!tess_) return false;
        gluTessProperty(tess_, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
        gluTessCallback(tess_, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(&PolygonSplitter::begin));
        gluTessCallback(tess_, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(&PolygonSplitter::vertex));
        // An edge flag callback makes the tessellator give separate triangles, no fans or strips.
        gluTessCallback(tess_, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<Callback>(&PolygonSplitter::edgeFlag));
        gluTessCallback(tess_, GLU_TESS_COMBINE_DATA, reinterpret_cast<Callback>(&PolygonSplitter::combine));
        gluTessCallback(tess_, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(&PolygonSplitter::error));
        return true;
    }

    static void begin(GLenum type, void* self) {
        if (type != GL_TRIANGLES) static_cast<PolygonSplitter*>(self)->failed_ = true;
    }
    static void vertex(void* corner, void* self) {
        auto* splitter = static_cast<PolygonSplitter*>(self);
        if (splitter->triangles_) splitter->triangles_->push_back(*static_cast<int32_t*>(corner));
    }
    static void edgeFlag(GLboolean, void*) {}
    // Where edges cross, the tessellator asks for a new vertex; the corner that weighs most stands
    // in for it, so that no vertex is added to the object.
    static void combine(GLdouble[3], void* data[4], GLfloat weight[4], void** out, void* self) {
        int best = -1;
        for (int i = 0; i < 4; ++i)
            if (data[i] && (best < 0 || weight[i] > weight[best])) best = i;
        if (best < 0) {
            static_cast<PolygonSplitter*>(self)->failed_ = true;
            best = 0;
        }
        *out = data[best];
    }
    static void error(GLenum, void* self) { static_cast<PolygonSplitter*>(self)->failed_ = true; }

    GLUtesselator* tess_ = nullptr;
    PolygonProblem problem_ = PolygonProblem::None;
    std::vector<int32_t>* triangles_ = nullptr;
    std::vector<int32_t> corners_;
    std::vector<GLdouble> positions_;
    bool failed_ = false;
};

class ModelReader {
public:
    ModelReader(MqoModel& model, std::istream& in, const char* path, uint64_t size, MqoReadStats* stats)
        : model_(model), in_(in), path_(path ? path : ""), size_(size), stats_(stats) {}

    void run() {
        bool reachedEof = false;
        bool endedBetweenChunks = false;
        std::string previous;
        token_.clear();
        // The tests follow one another: after a chunk, token holds the last word the chunk read
        // and is tested against the later keywords too.
        while (reading()) {
            if (!readWord(in_, token_)) {
                // The file ends after a complete chunk: nothing is missing.
                endedBetweenChunks = true;
                break;
            }
            if (previous == "CodePage") utf8Names_ = token_ == "utf8";
            if (previous == "Metasequoia" && token_ == "Document" && words_ == 1) header_ = true;
            ++words_;
            previous = token_;
            // A block after a word that is not a chunk of ours (Thumbnail, IncludeXml,
            // BackImage, MaterialEx2, ...) is skipped whole.
            if (token_ == "{") {
                skipRestOfBlock(1);
                continue;
            }
            if (token_ == "Scene" || token_ == "Material" || token_ == "Object") ++chunks_;
            if (token_ == "Scene") skipBlock(in_);
            if (reading() && token_ == "Material") readMaterials();
            if (reading() && token_ == "Object") readObject();
            if (token_ == "Eof") {
                reachedEof = true;
                break;
            }
        }
        if (in_.fail() && !reachedEof && !endedBetweenChunks && stop_ == Stop::None) stop_ = Stop::Ended;
        if (stats_) {
            stats_->textRead = true;
            stats_->header = header_;
            stats_->chunks = chunks_;
            stats_->whole = stop_ == Stop::None && badFaces_ == 0 && !binaryMismatch_ && braceMismatches_ == 0;
        }
        report();
    }

private:
    enum class Stop { None, Ended, BadCount };

    bool reading() {
        if (stop_ == Stop::None && in_.fail()) stop_ = Stop::Ended;
        return stop_ == Stop::None;
    }

    uint64_t remaining() {
        if (!in_.good()) return 0;
        const std::streamoff at = in_.tellg();
        if (at < 0 || uint64_t(at) >= size_) return 0;
        return size_ - uint64_t(at);
    }

    // A count of entries that each take at least minimumBytes; false (reading stops) when it is
    // negative or more than the rest of the file could hold.
    bool readCount(int32_t& count, uint64_t minimumBytes) {
        in_ >> count;
        if (!reading()) return false;
        if (count < 0 || uint64_t(count) > remaining() / minimumBytes) {
            stop_ = Stop::BadCount;
            return false;
        }
        return true;
    }

    bool braceChecked() {
        if (expectBrace(in_)) ++braceMismatches_;
        return reading();
    }

    // Reads words until the blocks opened so far (depth of them) are closed.
    void skipRestOfBlock(int64_t depth) {
        std::string word;
        while (depth > 0 && readWord(in_, word)) {
            if (word == "{") ++depth;
            if (word == "}") --depth;
        }
    }

    // The rest of the current line, whatever its length; the line end (LF or CR LF) is consumed
    // and not kept. False at the end of the stream.
    bool readLineRest() {
        std::getline(in_, line_);
        if (in_.fail()) {
            line_.clear();
            return reading();
        }
        if (!line_.empty() && line_.back() == '\r') line_.pop_back();
        return true;
    }

    // The next word that is not blank space, without reading it: true when it begins with c.
    bool nextIs(char c) {
        in_ >> std::ws;
        return in_.good() && in_.peek() == std::char_traits<char>::to_int_type(c);
    }

    void readMaterials() {
        int32_t count = 0;
        in_ >> count;
        if (!reading()) return;
        // The count does not limit the lines: they run to the closing brace (either brace, as
        // for every brace check). A negative count reads as none.
        model_.materialCount = std::max(count, 0);
        if (!braceChecked()) return;
        while (!nextIs('}') && !nextIs('{')) {
            MqoMaterial material;
            if (!readWord(in_, token_) || !readLineRest()) return;
            materialStats_ = MqoMaterialReadStats{};
            materialStats_.name = unquoted(token_);
            readMaterialLine(material);
            model_.materials.push_back(std::move(material));
            if (stats_) stats_->materials.push_back(std::move(materialStats_));
        }
        braceChecked();
    }

    void readMaterialLine(MqoMaterial& material) {
        PieceCutter cut(line_.data());
        auto value = [&cut] { return toFloat(toReal(cut.next(pieceSeparators))); };
        for (const char* key = cut.next(pieceSeparators); key; key = cut.next(pieceSeparators)) {
            if (!std::strcmp(key, "col")) {
                const float r = value(), g = value(), b = value(), a = value();
                material.setColor(r, g, b, a);
            } else if (!std::strcmp(key, "dif")) {
                material.setDif(value());
            } else if (!std::strcmp(key, "amb")) {
                material.setAmb(value());
            } else if (!std::strcmp(key, "emi")) {
                material.setEmi(value());
            } else if (!std::strcmp(key, "spc")) {
                material.setSpc(value());
            } else if (!std::strcmp(key, "power")) {
                material.setPower(value());
            } else if (noteMap(key, cut)) {
                // a map the show does not draw: noted, not kept
            } else if (!std::strcmp(key, "tex")) {
                // "tex" ends the line: nothing after it goes into the material.
                const std::string name = cut.quoted(nameSeparators);
                if (!name.empty()) setTexture(material, name);
                for (key = cut.next(pieceSeparators); key; key = cut.next(pieceSeparators)) noteMap(key, cut);
                return;
            }
            // Anything else is not a key of the line and is passed over.
        }
    }

    // The maps the show does not draw ("aplane", "bump"), noted for the data check; true for them.
    bool noteMap(const char* key, PieceCutter& cut) {
        const bool alpha = !std::strcmp(key, "aplane");
        if (!alpha && std::strcmp(key, "bump")) return false;
        (alpha ? materialStats_.alphaPlane : materialStats_.bumpMap) = cut.quoted(nameSeparators);
        return true;
    }

    // The material's texture is the model's directory followed by the name. Where that file is
    // missing: the bare file name in the model's directory (a name written as an absolute path
    // on the author's machine), and names in code page 932 converted to UTF-8.
    void setTexture(MqoMaterial& material, const std::string& name) {
        const std::string directory = directoryPart(path_);
        std::vector<std::string> alternatives;
        const std::string bare = bareFileName(name);
        if (bare != name && !bare.empty()) alternatives.push_back(directory + bare);
        if (!utf8Names_) {
            // Only the name from the file is converted: the model's directory is the host's own.
            std::vector<std::string> written = {name};
            if (bare != name && !bare.empty()) written.push_back(bare);
            for (const std::string& text : written) {
                const std::string converted = cp932ToUtf8(text);
                if (!converted.empty()) alternatives.push_back(directory + converted);
            }
        }
        if (stats_) stats_->textures.push_back(MqoTextureRequest{model_.materials.size(), directory + name, alternatives});
        if (stats_ && !stats_->loadTextures) {
            material.texturePath = directory + name;
            return;
        }
        material.setTexture(directory + name, alternatives);
    }

    void readObject() {
        MqoObject object;
        model_.objectCount = int32_t(model_.objects.size()) + 1;
        faceLines_.clear();
        faceBlockSeen_ = false;
        objectStats_ = MqoObjectReadStats{};
        readObjectChunk(object);
        finishFaces(object);
        // Appended even when reading stopped inside it, so objectCount always counts objects.
        model_.objects.push_back(std::move(object));
        if (stats_) stats_->objects.push_back(objectStats_);
    }

    void readObjectName() {
        std::string name;
        if (!readWord(in_, name)) return;
        // A quoted name with blanks in it runs to its closing quote.
        if (name[0] == '"' && (name.size() == 1 || name.back() != '"')) {
            std::string rest;
            std::getline(in_, rest, '"');
            name += rest + '"';
        }
        objectStats_.name = unquoted(name);
    }

    void readObjectChunk(MqoObject& object) {
        readObjectName();
        if (!reading() || !braceChecked()) return;
        bool afterFaces = false;
        while (readWord(in_, token_)) {
            // After the face block a brace of either kind closes the object; before it only "}".
            if (token_ == "}" || (afterFaces && token_ == "{")) return;
            if (token_ == "{") {
                skipRestOfBlock(1);
            } else if (token_ == "vertex") {
                if (!readVertices(object)) return;
            } else if (token_ == "BVertex") {
                if (!readBinaryVertices(object)) return;
            } else if (token_ == "face") {
                if (!readFaces()) return;
                afterFaces = true;
            } else if (isAttributeKey(token_)) {
                if (!readAttribute(object)) return;
            } else {
                // A key of another writer: its values run to the end of the line; a block it
                // opens there is skipped whole.
                const bool lathe = token_ == "lathe";
                if (!readLineRest()) return;
                if (lathe) objectStats_.lathe = toInteger(line_.c_str());
                int64_t depth = 0;
                std::istringstream words(line_);
                for (std::string word; words >> word;) {
                    if (word == "{") ++depth;
                    if (word == "}") --depth;
                }
                if (depth > 0) skipRestOfBlock(depth);
            }
            if (!reading()) return;
        }
    }

    static bool isAttributeKey(const std::string& word) {
        for (const char* key : attributeKeys)
            if (word == key) return true;
        return false;
    }

    bool readAttribute(MqoObject& object) {
        std::string value[3];
        const bool isColor = token_ == "color";
        for (int i = 0; i < (isColor ? 3 : 1); ++i)
            if (!readWord(in_, value[i])) return false;
        if (isColor) object.setColor(toReal(value[0].c_str()), toReal(value[1].c_str()), toReal(value[2].c_str()));
        const int32_t number = toInteger(value[0].c_str());
        if (token_ == "patch") objectStats_.patch = number;
        if (token_ == "visible") objectStats_.visible = number;
        if (token_ == "shading") objectStats_.shading = number;
        if (token_ == "mirror") objectStats_.mirror = number;
        return true;
    }

    void keepVertices(MqoObject& object, std::unique_ptr<MqoVertex[]> vertices, int32_t count, int32_t read) {
        if (read < count) {
            // Reading stopped inside the block: keep the vertices read whole.
            std::unique_ptr<MqoVertex[]> kept(new MqoVertex[read]);
            std::copy(vertices.get(), vertices.get() + read, kept.get());
            vertices = std::move(kept);
        }
        object.setVertexCount(read);
        object.setVertices(std::move(vertices));
    }

    bool readVertices(MqoObject& object) {
        int32_t count = 0;
        if (!readCount(count, minimumVertexBytes)) return false;
        std::unique_ptr<MqoVertex[]> vertices(new MqoVertex[count]);
        int32_t read = 0;
        if (braceChecked()) {
            for (; read < count; ++read) {
                MqoVertex& v = vertices[read];
                if (!(in_ >> v.x >> v.y >> v.z)) break;
            }
            if (read == count) braceChecked();
        }
        keepVertices(object, std::move(vertices), count, read);
        return reading();
    }

    // "BVertex N { Vector N [B] <B bytes> }": the bytes start after the line end of the Vector
    // line and hold x, y, z of each vertex as little-endian 32-bit floats.
    bool readBinaryVertices(MqoObject& object) {
        int32_t declared = 0;
        in_ >> declared;
        if (!reading() || !braceChecked()) return false;
        bool vectorRead = false;
        std::string word;
        while (readWord(in_, word) && word != "}") {
            if (word == "{") {
                skipRestOfBlock(1);
                continue;
            }
            // Every entry of the block is "Name N [B]" followed by B bytes; only Vector is ours.
            int64_t entries = 0;
            std::string size;
            if (!(in_ >> entries) || !readWord(in_, size)) return reading();
            const uint64_t bytes = uint64_t(std::max<int64_t>(0, toInteger(size.c_str() + (size[0] == '[' ? 1 : 0))));
            in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            const uint64_t available = remaining();
            if (word == "Vector" && !vectorRead) {
                vectorRead = true;
                const uint64_t wanted = uint64_t(std::max<int32_t>(declared, 0)) * 12;
                if (bytes != wanted || entries != declared || bytes > available) binaryMismatch_ = true;
                const uint64_t usable = std::min({bytes, wanted, available});
                const int32_t count = int32_t(usable / 12);
                std::vector<char> data(static_cast<std::size_t>(usable));
                in_.read(data.data(), std::streamsize(usable));
                std::unique_ptr<MqoVertex[]> vertices(new MqoVertex[count]);
                for (int32_t i = 0; i < count; ++i) {
                    double xyz[3];
                    for (int c = 0; c < 3; ++c) {
                        const auto* p = reinterpret_cast<const unsigned char*>(data.data()) + 12 * i + 4 * c;
                        const uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                                              uint32_t(p[3]) << 24;
                        float f;
                        std::memcpy(&f, &bits, sizeof f);
                        xyz[c] = f;
                    }
                    vertices[i] = MqoVertex{xyz[0], xyz[1], xyz[2]};
                }
                keepVertices(object, std::move(vertices), count, count);
                const uint64_t rest = std::min(bytes, available) - usable;
                in_.ignore(std::streamsize(rest));
            } else {
                if (bytes > available) binaryMismatch_ = true;
                in_.ignore(std::streamsize(std::min(bytes, available)));
            }
            if (!reading()) return false;
        }
        if (!vectorRead) binaryMismatch_ = true;
        return reading();
    }

    bool readFaces() {
        int32_t count = 0;
        if (!readCount(count, minimumFaceBytes)) return false;
        faceBlockSeen_ = true;
        if (braceChecked()) {
            for (int32_t i = 0; i < count; ++i) {
                FaceLine face;
                in_ >> face.corners;
                if (!reading() || !readLineRest()) break;
                if (readFaceLine(face))
                    faceLines_.push_back(std::move(face));
                else
                    ++badFaces_;
            }
            if (reading()) braceChecked();
        }
        return reading();
    }

    // Fills the face from the line rest; false when it has fewer than 2 corners, more corners
    // than its line could name, or no "V" group.
    bool readFaceLine(FaceLine& face) {
        if (face.corners < 2 || uint64_t(face.corners) > line_.size()) return false;
        PieceCutter cut(line_.data());
        const std::size_t corners = std::size_t(face.corners);
        // Up to four corners the record's four slots are filled as they always were: a triangle
        // reads three indices and repeats the third, and reads three UV pairs.
        const std::size_t slots = corners <= 4 ? 4 : corners;
        const std::size_t indicesRead = corners == 4 ? 4 : corners < 4 ? 3 : corners;
        const std::size_t uvRead = corners == 2 ? 4 : corners == 3 ? 6 : 2 * corners;
        if (corners == 2) {
            face.index.assign(slots, 0);
        }
        bool hasIndices = false;
        for (const char* key = cut.next(pieceSeparators); key; key = cut.next(pieceSeparators)) {
            if (!std::strcmp(key, "V")) {
                face.index.assign(slots, 0);
                const std::size_t n = corners == 2 ? 2 : indicesRead;
                for (std::size_t k = 0; k < n; ++k) face.index[k] = toInteger(cut.next(pieceSeparators));
                for (std::size_t k = n; k < slots; ++k) face.index[k] = face.index[n - 1];
                hasIndices = true;
            } else if (!std::strcmp(key, "M")) {
                face.materialIndex = toInteger(cut.next(pieceSeparators));
            } else if (!std::strcmp(key, "COL")) {
                ++objectStats_.colouredFaces;
            } else if (!std::strcmp(key, "UV")) {
                face.uv.assign(2 * slots, 0.0f);
                for (std::size_t k = 0; k < uvRead; ++k) face.uv[k] = toFloat(toReal(cut.next(pieceSeparators)));
            }
        }
        if (face.uv.empty()) face.uv.assign(2 * slots, 0.0f);
        return hasIndices;
    }

    // The object's face records from its face lines, once its vertices are known: triangles,
    // quadrilaterals and edges as read, polygons split into triangles in their place. A face
    // naming a vertex that does not exist is refused.
    void finishFaces(MqoObject& object) {
        if (faceLines_.empty() && !sawFaceBlock()) return;
        std::vector<MqoFace> faces;
        faces.reserve(faceLines_.size());
        std::vector<int32_t> triangles;
        for (const FaceLine& line : faceLines_) {
            bool inRange = true;
            for (int32_t index : line.index) inRange = inRange && index >= 0 && index < object.vertexCount;
            if (!inRange || !object.vertices) {
                ++badFaces_;
                continue;
            }
            if (line.corners <= 4) {
                MqoFace face;
                face.vertexCount = line.corners;
                std::copy(line.index.begin(), line.index.begin() + 4, face.vertexIndex);
                std::copy(line.uv.begin(), line.uv.begin() + 8, face.uv);
                face.materialIndex = line.materialIndex;
                faces.push_back(face);
                if (line.corners == 2) ++objectStats_.edgesKept;
                continue;
            }
            if (!splitter_.split(object.vertices.get(), line, triangles)) {
                ++badFaces_;
                if (splitter_.problem() != PolygonProblem::None) ++screenedOut_[int(splitter_.problem())];
                continue;
            }
            ++objectStats_.polygonsSplit;
            for (std::size_t t = 0; t < triangles.size(); t += 3) {
                MqoFace face;
                face.vertexCount = 3;
                for (int k = 0; k < 3; ++k) {
                    const std::size_t corner = std::size_t(triangles[t + std::size_t(k)]);
                    face.vertexIndex[k] = line.index[corner];
                    face.uv[2 * k] = line.uv[2 * corner];
                    face.uv[2 * k + 1] = line.uv[2 * corner + 1];
                }
                face.vertexIndex[3] = face.vertexIndex[2];
                face.materialIndex = line.materialIndex;
                faces.push_back(face);
            }
        }
        std::unique_ptr<MqoFace[]> array(new MqoFace[faces.size()]);
        std::copy(faces.begin(), faces.end(), array.get());
        object.setFaceCount(int32_t(faces.size()));
        object.setFaces(std::move(array));
    }

    bool sawFaceBlock() const { return faceBlockSeen_; }

    void show(const std::string& text) { platform::messageBox(text.c_str(), readerCaption); }

    void report() {
        if (stop_ == Stop::BadCount) show(path_ + badCountText);
        if (stop_ == Stop::Ended) show(path_ + endedText);
        if (badFaces_ > 0) show(path_ + badFacesText + std::to_string(badFaces_));
        for (int problem = 1; problem < 4; ++problem)
            if (screenedOut_[problem] > 0)
                platform::reportFileProblem(
                    platform::hostPath(path_),
                    std::to_string(screenedOut_[problem]) + (screenedOut_[problem] == 1 ? " polygon" : " polygons") +
                        " refused: " + polygonProblemText(PolygonProblem(problem)));
        if (binaryMismatch_) show(path_ + binaryVertexText);
    }

    MqoModel& model_;
    std::istream& in_;
    const std::string path_;
    const uint64_t size_;
    MqoReadStats* const stats_;
    std::string token_;
    std::string line_;
    std::vector<FaceLine> faceLines_;  // the current object's faces as read
    MqoObjectReadStats objectStats_;
    MqoMaterialReadStats materialStats_;
    int64_t words_ = 0;  // words read at the top level
    int32_t chunks_ = 0;
    int64_t braceMismatches_ = 0;
    bool header_ = false;
    PolygonSplitter splitter_;
    Stop stop_ = Stop::None;
    int64_t badFaces_ = 0;
    int64_t screenedOut_[4] = {};  // refused polygons by PolygonProblem
    bool binaryMismatch_ = false;
    bool faceBlockSeen_ = false;  // the current object has a face block (of 0 faces, maybe)
    bool utf8Names_ = false;
};

}  // namespace

bool expectBrace(std::istream& in) {
    std::string word;
    if (!readWord(in, word)) return false;
    if (word == "{" || word == "}") return false;
    platform::messageBox(braceText, readerCaption);
    return true;
}

void skipBlock(std::istream& in) {
    std::string word;
    int64_t depth = 0;
    while (readWord(in, word)) {
        if (word == "{") ++depth;
        if (word == "}") --depth;
        if (depth <= 0) return;
    }
}

bool holdsNoModel(const MqoReadStats& stats) {
    return stats.textRead && !stats.header && stats.chunks == 0;
}

std::string noModelText(const std::string& path) {
    return path + ": モデルのデータがありません (no \"Metasequoia Document\" header and no chunk: not a model file)";
}

void readModel(MqoModel& model, std::istream& in, const char* path, uint64_t size, MqoReadStats* stats) {
    ModelReader(model, in, path, size, stats).run();
}

void MqoModel::load(const char* path) { loadModel(*this, path, nullptr); }

void loadModel(MqoModel& model, const char* path, MqoReadStats* stats) {
    const std::string name = path ? path : "";
    // Only a plain file is a model file: a directory or a device could be opened but not read.
    // Where the exact path is missing, one that matches it ignoring case is read.
    // A model saved zipped stands in for a missing plain one.
    std::string hostName = findDataFile(name);
    std::string shownName = name;
    if (hostName.empty() && name.size() > 4 && name.compare(name.size() - 4, 4, ".mqo") == 0) {
        hostName = findDataFile(name + "z");
        if (!hostName.empty()) shownName = name + "z";
    }
    if (stats) stats->hostFile = hostName;
    if (!hostName.empty() && isModelArchive(hostName)) {
        loadZippedModel(model, hostName, shownName.c_str(), stats);
        return;
    }
    std::ifstream in;
    if (!hostName.empty()) in.open(platform::hostFsPath(hostName));
    if (!in.is_open()) {
        if (stats) stats->hostFile.clear();
        const std::string text = name + cannotOpenText;
        platform::messageBox(text.c_str(), readerCaption);
        const std::string tried = hostName.empty() ? platform::hostPath(name) : hostName;
        const std::string why = platform::unusableFileReason(tried);
        platform::reportFileProblem(tried, why.empty() ? "cannot be opened" : why);
        return;
    }
    uint64_t size = 0;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end > 0) size = uint64_t(end);
    in.clear();
    in.seekg(0, std::ios::beg);
    readModel(model, in, name.c_str(), size, stats);
}
