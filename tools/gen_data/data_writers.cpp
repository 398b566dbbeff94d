#include "data_writers.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace gen {

// ---- bitmaps ------------------------------------------------------------------------------

Image::Image(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 4, 0.0f) {}

static int wrapIndex(int v, int n) {
    int m = v % n;
    return m < 0 ? m + n : m;
}

Color Image::get(int x, int y) const {
    const float* p = &pixels_[(static_cast<std::size_t>(wrapIndex(y, height_)) * width_ +
                               wrapIndex(x, width_)) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Image::set(int x, int y, Color c) {
    float* p = &pixels_[(static_cast<std::size_t>(wrapIndex(y, height_)) * width_ +
                         wrapIndex(x, width_)) * 4];
    p[0] = static_cast<float>(c.r);
    p[1] = static_cast<float>(c.g);
    p[2] = static_cast<float>(c.b);
    p[3] = static_cast<float>(c.a);
}

void Image::blend(int x, int y, Color c, double w) {
    set(x, y, mixColor(get(x, y), c, clamp01(w)));
}

Color Image::sample(double x, double y) const {
    x -= 0.5;
    y -= 0.5;
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double tx = x - x0, ty = y - y0;
    Color top = mixColor(get(x0, y0), get(x0 + 1, y0), tx);
    Color bottom = mixColor(get(x0, y0 + 1), get(x0 + 1, y0 + 1), tx);
    return mixColor(top, bottom, ty);
}

static void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 255);
    out.push_back((v >> 8) & 255);
}
static void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

static uint8_t toByte(double v) {
    return static_cast<uint8_t>(std::lround(clamp01(v) * 255.0));
}

static std::size_t writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail("cannot write " + path);
    return bytes.size();
}

std::size_t writeBitmap(const std::string& path, const Image& image) {
    const uint32_t w = image.width(), h = image.height();
    const uint32_t pixelBytes = w * h * 4;
    std::vector<uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + pixelBytes);  // file size
    put32(out, 0);                // reserved
    put32(out, 54);               // offset of the pixel data
    put32(out, 40);               // info header size
    put32(out, w);
    put32(out, h);                // positive: bottom row first
    put16(out, 1);                // planes
    put16(out, 32);               // bits per pixel
    put32(out, 0);                // BI_RGB
    put32(out, pixelBytes);
    put32(out, 2835);             // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    out.resize(54 + pixelBytes);
    uint8_t* p = out.data() + 54;
    for (int y = static_cast<int>(h) - 1; y >= 0; --y) {
        for (int x = 0; x < static_cast<int>(w); ++x) {
            Color c = image.get(x, y);
            *p++ = toByte(c.r);
            *p++ = toByte(c.g);
            *p++ = toByte(c.b);
            *p++ = toByte(c.a);
        }
    }
    return writeBytes(path, out);
}

double insetU(double s, int width) { return (0.5 + clamp01(s) * (width - 1)) / width; }
double insetV(double t, int height) { return (0.5 + clamp01(t) * (height - 1)) / height; }

// ---- models -------------------------------------------------------------------------------

MeshObject::MeshObject(std::string name, Color color) : name_(std::move(name)), color_(color) {}

int MeshObject::addVertex(Vec3 p) {
    vertices_.push_back(p);
    return static_cast<int>(vertices_.size()) - 1;
}

// A triangle is a quadrilateral record whose fourth corner repeats the third.
void MeshObject::addTriangle(int a, int b, int c, int material, Uv ua, Uv ub, Uv uc) {
    addQuad(a, b, c, c, material, ua, ub, uc, uc);
    faces_.back().count = 3;
}

void MeshObject::addQuad(int a, int b, int c, int d, int material, Uv ua, Uv ub, Uv uc, Uv ud) {
    Face f;
    f.count = 4;
    f.index[0] = a;
    f.index[1] = b;
    f.index[2] = c;
    f.index[3] = d;
    f.material = material;
    f.uv[0] = ua;
    f.uv[1] = ub;
    f.uv[2] = uc;
    f.uv[3] = ud;
    faces_.push_back(f);
}

void MeshObject::addQuadAt(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, Uv ua, Uv ub, Uv uc,
                           Uv ud) {
    int i = addVertex(a);
    addVertex(b);
    addVertex(c);
    addVertex(d);
    addQuad(i, i + 1, i + 2, i + 3, material, ua, ub, uc, ud);
}

void MeshObject::addTriangleAt(Vec3 a, Vec3 b, Vec3 c, int material, Uv ua, Uv ub, Uv uc) {
    int i = addVertex(a);
    addVertex(b);
    addVertex(c);
    addTriangle(i, i + 1, i + 2, material, ua, ub, uc);
}

void MeshObject::addQuadFacing(int a, int b, int c, int d, int material, Vec3 toward, Uv ua,
                               Uv ub, Uv uc, Uv ud) {
    const Vec3 &pa = vertices_[a], &pb = vertices_[b], &pc = vertices_[c], &pd = vertices_[d];
    Vec3 n = cross(pb - pa, pc - pa) + cross(pc - pa, pd - pa);
    if (dot(n, toward) >= 0)
        addQuad(a, b, c, d, material, ua, ub, uc, ud);
    else
        addQuad(a, d, c, b, material, ua, ud, uc, ub);
}

void MeshObject::addTriangleFacing(int a, int b, int c, int material, Vec3 toward, Uv ua, Uv ub,
                                   Uv uc) {
    Vec3 n = cross(vertices_[b] - vertices_[a], vertices_[c] - vertices_[a]);
    if (dot(n, toward) >= 0)
        addTriangle(a, b, c, material, ua, ub, uc);
    else
        addTriangle(a, c, b, material, ua, uc, ub);
}

Vec3 MeshObject::faceNormal(const Face& f) const {
    const Vec3 &a = vertices_[f.index[0]], &b = vertices_[f.index[1]], &c = vertices_[f.index[2]];
    Vec3 n = cross(b - a, c - a);
    if (f.count == 4) n = n + cross(c - a, vertices_[f.index[3]] - a);
    return n;
}

Vec3 MeshObject::faceCentre(const Face& f) const {
    Vec3 sum;
    for (int k = 0; k < f.count; ++k) sum = sum + vertices_[f.index[k]];
    return sum * (1.0 / f.count);
}

int ModelFile::material(const Material& m) {
    for (std::size_t i = 0; i < materials_.size(); ++i)
        if (materials_[i].name == m.name) return static_cast<int>(i);
    if (m.name.empty() || m.name.find_first_of(" \t\"()") != std::string::npos)
        fail("bad material name '" + m.name + "'");
    materials_.push_back(m);
    return static_cast<int>(materials_.size()) - 1;
}

MeshObject& ModelFile::addObject(std::string name, Color color) {
    objects_.emplace_back(std::move(name), color);
    return objects_.back();
}

// The reader takes a face's or material's line rest into a 256-character buffer.
static void checkLineRest(const std::string& rest, const std::string& where) {
    if (rest.size() >= 255) fail(where + ": line of " + std::to_string(rest.size()) + " characters");
}

static std::string number(double v, int decimals) {
    char buffer[64];
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0.0;  // no "-0.000"
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
    return buffer;
}

ModelCounts ModelFile::write(const std::string& dataDir, const std::string& relativePath) const {
    std::string text;
    text.reserve(1 << 20);
    text += "Metasequoia Document\nFormat Text Ver 1.0\n\n";
    text += "Scene {\n\tpos 0.0000 0.0000 1500.0000\n\tlookat 0.0000 0.0000 0.0000\n"
            "\thead -0.5236\n\tpich 0.5236\n\tortho 0\n\tzoom2 5.0000\n"
            "\tamb 0.250 0.250 0.250\n}\n";
    text += "Material " + std::to_string(materials_.size()) + " {\n";
    for (const Material& m : materials_) {
        std::string rest = " col(" + number(m.col.r, 3) + " " + number(m.col.g, 3) + " " +
                           number(m.col.b, 3) + " " + number(m.col.a, 3) + ") dif(" +
                           number(m.dif, 3) + ") amb(" + number(m.amb, 3) + ") emi(" +
                           number(m.emi, 3) + ") spc(" + number(m.spc, 3) + ") power(" +
                           number(m.power, 2) + ")";
        if (!m.texture.empty()) rest += " tex(\"" + m.texture + "\")";
        checkLineRest(rest, relativePath + " material " + m.name);
        text += "\t\"" + m.name + "\"" + rest + "\n";
    }
    text += "}\n";
    ModelCounts counts;
    counts.file = relativePath;
    counts.materials = static_cast<int>(materials_.size());
    for (const MeshObject& o : objects_) {
        const int vertexCount = static_cast<int>(o.vertices().size());
        if (o.name().find_first_of(" \t\"") != std::string::npos) fail("bad object name " + o.name());
        // Flat shading: the show draws every face flat, so its own objects say so.
        text += "Object \"" + o.name() + "\" {\n\tvisible 15\n\tlocking 0\n\tshading 0\n"
                "\tfacet 59.5\n\tcolor " + number(o.color().r, 3) + " " + number(o.color().g, 3) +
                " " + number(o.color().b, 3) + "\n\tcolor_type 0\n";
        text += "\tvertex " + std::to_string(vertexCount) + " {\n";
        for (const Vec3& v : o.vertices())
            text += "\t\t" + number(v.x, 4) + " " + number(v.y, 4) + " " + number(v.z, 4) + "\n";
        text += "\t}\n";
        text += "\tface " + std::to_string(o.faces().size()) + " {\n";
        for (const Face& f : o.faces()) {
            std::string rest = " V(";
            for (int k = 0; k < f.count; ++k) {
                if (f.index[k] < 0 || f.index[k] >= vertexCount)
                    fail(relativePath + ": vertex index out of range in " + o.name());
                rest += (k ? " " : "") + std::to_string(f.index[k]);
            }
            if (f.material < 0 || f.material >= static_cast<int>(materials_.size()))
                fail(relativePath + ": material index out of range in " + o.name());
            rest += ") M(" + std::to_string(f.material) + ") UV(";
            for (int k = 0; k < f.count; ++k)
                rest += (k ? " " : "") + number(f.uv[k].u, 5) + " " + number(f.uv[k].v, 5);
            rest += ")";
            checkLineRest(rest, relativePath + " face of " + o.name());
            text += "\t\t" + std::to_string(f.count) + rest + "\n";
        }
        text += "\t}\n}\n";
        counts.objects.emplace_back(vertexCount, static_cast<int>(o.faces().size()));
    }
    text += "Eof\n";
    std::vector<uint8_t> bytes(text.begin(), text.end());
    writeBytes(dataDir + "/" + relativePath, bytes);
    return counts;
}

// ---- soundtrack ---------------------------------------------------------------------------

std::size_t writeWav(const std::string& path, const std::vector<int16_t>& interleaved, int rate) {
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    for (char c : std::string("RIFF")) out.push_back(c);
    put32(out, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) out.push_back(c);
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 2);  // stereo
    put32(out, rate);
    put32(out, rate * 4);  // bytes per second
    put16(out, 4);         // bytes per frame
    put16(out, 16);        // bits per sample
    for (char c : std::string("data")) out.push_back(c);
    put32(out, dataBytes);
    const std::size_t header = out.size();
    out.resize(header + dataBytes);
    for (std::size_t i = 0; i < interleaved.size(); ++i) {
        const uint16_t v = static_cast<uint16_t>(interleaved[i]);
        out[header + 2 * i] = v & 255;
        out[header + 2 * i + 1] = v >> 8;
    }
    return writeBytes(path, out);
}

// ---- files --------------------------------------------------------------------------------

void makeDirectories(const std::string& path) {
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error) fail("cannot create " + path + ": " + error.message());
}

void fail(const std::string& message) {
    std::fprintf(stderr, "gen-data: %s\n", message.c_str());
    std::exit(1);
}

}  // namespace gen
