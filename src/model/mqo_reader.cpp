// The model file reader: one pass over the text, words and numbers by stream extraction, the
// rest of a line cut into pieces at "() ". What cannot be read is refused with a message, and
// the model keeps everything read before it; the renderer never meets a face it cannot draw.
#include "model/mqo_reader.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <system_error>

#include "platform/files.h"
#include "platform/message_box.h"

namespace {

const char* const readerCaption = "error";
const char* const braceText = "\"{\",\"}\"ではありません。データがずれています。";
const char* const cannotOpenText = "ファイルが開けません";
const char* const badCountText = ": 個数がおかしいので読み込みを打ち切りました";
const char* const endedText = ": Eofの前で読めなくなりました。読めたところまでを使います";
const char* const badFacesText = ": 面情報がおかしい面を読み飛ばしました。数:";
const char* const longLineText = ": 255文字を超える行を切り詰めました";

const char* const pieceSeparators = "() ";
const char* const nameSeparators = "() \"";

// Fewest bytes one entry of a block can take in the file; a count that needs more than the rest
// of the file holds is refused before anything is allocated for it.
constexpr uint64_t minimumVertexBytes = 6;    // "0 0 0 "
constexpr uint64_t minimumFaceBytes = 8;      // "3 V(0 0 0)" and a line end, with room to spare
constexpr uint64_t minimumMaterialBytes = 2;  // a name and a line end

// Object attributes in the only order the reader accepts them; each takes one value word but
// "color", which takes three.
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
    const auto result = std::from_chars(text, p, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
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

std::string directoryPart(const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

class ModelReader {
public:
    ModelReader(MqoModel& model, std::istream& in, const char* path, uint64_t size)
        : model_(model), in_(in), path_(path ? path : ""), size_(size) {}

    void run() {
        bool reachedEof = false;
        token_.clear();
        // The tests follow one another: after a chunk, token holds the last word the chunk read
        // and is tested against the later keywords too.
        while (reading()) {
            if (!readWord(in_, token_)) break;
            if (token_ == "Scene") skipBlock(in_);
            if (reading() && token_ == "Material") readMaterials();
            if (reading() && token_ == "Object") readObject();
            if (token_ == "Eof") {
                reachedEof = true;
                break;
            }
        }
        if (in_.fail() && !reachedEof && stop_ == Stop::None) stop_ = Stop::Ended;
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
        expectBrace(in_);
        return reading();
    }

    // The rest of the current line, at most 255 characters; a longer line is cut there and the
    // rest of it dropped. False at the end of the stream.
    bool readLineRest() {
        in_.getline(line_, sizeof line_);
        if (in_.fail()) {
            if (in_.eof() || in_.bad() || in_.gcount() == 0) return reading();
            in_.clear();
            in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
            longLines_ = true;
        }
        const std::size_t length = std::strlen(line_);
        if (length > 0 && line_[length - 1] == '\r') line_[length - 1] = '\0';
        return true;
    }

    void readMaterials() {
        int32_t count = 0;
        if (!readCount(count, minimumMaterialBytes)) return;
        model_.materialCount = count;
        if (!braceChecked()) return;
        for (int32_t i = 0; i < count; ++i) {
            MqoMaterial material;
            if (!readWord(in_, token_) || !readLineRest()) return;
            readMaterialLine(material);
            model_.materials.push_back(std::move(material));
        }
        braceChecked();
    }

    void readMaterialLine(MqoMaterial& material) {
        PieceCutter cut(line_);
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
            } else if (!std::strcmp(key, "tex")) {
                // "tex" ends the line: nothing after it is looked at.
                if (const char* name = cut.next(nameSeparators))
                    material.setTexture(directoryPart(path_) + name);
                return;
            }
            // Anything else is not a key of the line and is passed over.
        }
    }

    void readObject() {
        MqoObject object;
        model_.objectCount = int32_t(model_.objects.size()) + 1;
        readObjectChunk(object);
        // Appended even when reading stopped inside it, so objectCount always counts objects.
        model_.objects.push_back(std::move(object));
    }

    void readObjectChunk(MqoObject& object) {
        std::string name;
        if (!readWord(in_, name) || !braceChecked() || !readWord(in_, token_)) return;
        std::string value[3];
        for (const char* key : attributeKeys) {
            if (token_ != key) continue;
            const bool isColor = !std::strcmp(key, "color");
            for (int i = 0; i < (isColor ? 3 : 1); ++i)
                if (!readWord(in_, value[i])) return;
            if (isColor)
                object.setColor(toReal(value[0].c_str()), toReal(value[1].c_str()), toReal(value[2].c_str()));
            if (!readWord(in_, token_)) return;
        }
        if (token_ == "vertex") {
            if (!readVertices(object) || !readWord(in_, token_)) return;
        }
        if (token_ == "face") {
            if (!readFaces(object)) return;
        }
        braceChecked();
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
        if (read < count) {
            // Reading stopped inside the block: keep the vertices read whole.
            std::unique_ptr<MqoVertex[]> kept(new MqoVertex[read]);
            std::copy(vertices.get(), vertices.get() + read, kept.get());
            vertices = std::move(kept);
        }
        object.setVertexCount(read);
        object.setVertices(std::move(vertices));
        return reading();
    }

    bool readFaces(MqoObject& object) {
        int32_t count = 0;
        if (!readCount(count, minimumFaceBytes)) return false;
        std::unique_ptr<MqoFace[]> faces(new MqoFace[count]);
        int32_t kept = 0;
        if (braceChecked()) {
            for (int32_t i = 0; i < count; ++i) {
                MqoFace face;
                in_ >> face.vertexCount;
                if (!reading() || !readLineRest()) break;
                if (readFaceLine(face, object.vertexCount))
                    faces[kept++] = face;
                else
                    ++badFaces_;
            }
            if (reading()) braceChecked();
        }
        if (kept < count) {
            std::unique_ptr<MqoFace[]> exact(new MqoFace[kept]);
            std::copy(faces.get(), faces.get() + kept, exact.get());
            faces = std::move(exact);
        }
        object.setFaceCount(kept);
        object.setFaces(std::move(faces));
        return reading();
    }

    // Fills the face from the line rest; false when the face could not be drawn: a corner count
    // other than 3 or 4, no "V" group, or a vertex or material index out of range.
    bool readFaceLine(MqoFace& face, int32_t vertexCount) {
        PieceCutter cut(line_);
        const bool quad = face.vertexCount == 4;
        bool hasIndices = false;
        for (const char* key = cut.next(pieceSeparators); key; key = cut.next(pieceSeparators)) {
            if (!std::strcmp(key, "V")) {
                for (int k = 0; k < 3; ++k) face.vertexIndex[k] = toInteger(cut.next(pieceSeparators));
                face.vertexIndex[3] = quad ? toInteger(cut.next(pieceSeparators)) : face.vertexIndex[2];
                hasIndices = true;
            } else if (!std::strcmp(key, "M")) {
                face.materialIndex = toInteger(cut.next(pieceSeparators));
            } else if (!std::strcmp(key, "UV")) {
                for (int k = 0; k < (quad ? 8 : 6); ++k) face.uv[k] = toFloat(toReal(cut.next(pieceSeparators)));
            }
        }
        if (face.vertexCount != 3 && !quad) return false;
        if (!hasIndices) return false;
        for (int k = 0; k < 4; ++k)
            if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= vertexCount) return false;
        return face.materialIndex >= 0 && std::size_t(face.materialIndex) < model_.materials.size();
    }

    void show(const std::string& text) { platform::messageBox(text.c_str(), readerCaption); }

    void report() {
        if (stop_ == Stop::BadCount) show(path_ + badCountText);
        if (stop_ == Stop::Ended) show(path_ + endedText);
        if (badFaces_ > 0) show(path_ + badFacesText + std::to_string(badFaces_));
        if (longLines_) show(path_ + longLineText);
    }

    MqoModel& model_;
    std::istream& in_;
    const std::string path_;
    const uint64_t size_;
    std::string token_;
    char line_[256] = {};
    Stop stop_ = Stop::None;
    int64_t badFaces_ = 0;
    bool longLines_ = false;
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

void readModel(MqoModel& model, std::istream& in, const char* path, uint64_t size) {
    ModelReader(model, in, path, size).run();
}

void MqoModel::load(const char* path) {
    const std::string name = path ? path : "";
    const std::string hostName = platform::hostPath(name);
    std::error_code error;
    std::ifstream in;
    // Only a plain file is a model file: a directory or a device could be opened but not read.
    if (std::filesystem::is_regular_file(hostName, error)) in.open(hostName);
    if (!in.is_open()) {
        const std::string text = name + cannotOpenText;
        platform::messageBox(text.c_str(), readerCaption);
        return;
    }
    uint64_t size = 0;
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    if (end > 0) size = uint64_t(end);
    in.clear();
    in.seekg(0, std::ios::beg);
    readModel(*this, in, name.c_str(), size);
}
