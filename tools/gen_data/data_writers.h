// The three file kinds of the data set: 32-bit bitmaps, model files in the subset the show's
// reader accepts, and the 16-bit stereo WAV soundtrack. Also the list of what was written.
#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "procedural.h"

namespace gen {

// An RGBA picture held top row first, channels 0..1.
class Image {
public:
    Image(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    Color get(int x, int y) const;  // x, y wrap round
    void set(int x, int y, Color c);
    // Blends c over the pixel with weight w (0..1), alpha included.
    void blend(int x, int y, Color c, double w);
    // Bilinear sample at image-space coordinates (pixel centres at +0.5), wrapping.
    Color sample(double x, double y) const;

private:
    int width_, height_;
    std::vector<float> pixels_;
};

// Writes a 32 bpp BI_RGB bitmap: 14-byte file header, 40-byte info header, pixel data at
// offset 54, bottom image row first, each pixel's bytes as red, green, blue, alpha (the order in
// which the show uploads them). Returns the bytes written, or 0 on failure.
std::size_t writeBitmap(const std::string& path, const Image& image);

// Texture coordinate of an image-space fraction (0 = left / top edge, 1 = right / bottom edge),
// kept half a texel inside the image so that linear filtering with wrap-round does not bleed the
// opposite edge in. v counts from the image top, as the show negates it when drawing.
double insetU(double s, int width);
double insetV(double t, int height);

struct Uv {
    double u = 0, v = 0;
};

struct Material {
    std::string name;  // no blanks
    Color col{1, 1, 1, 1};
    double dif = 0.8, amb = 0.6, emi = 0.0, spc = 0.0, power = 5.0;
    std::string texture = {};  // bitmap file name beside the model file, or empty
};

struct Face {
    int count = 4;
    int index[4] = {};
    int material = 0;
    Uv uv[4];
};

class MeshObject {
public:
    explicit MeshObject(std::string name, Color color = {0.8, 0.8, 0.8, 1});
    int addVertex(Vec3 p);
    // Faces list their corners counter-clockwise as seen from the side meant to be seen.
    void addTriangle(int a, int b, int c, int material, Uv ua = {}, Uv ub = {}, Uv uc = {});
    void addQuad(int a, int b, int c, int d, int material, Uv ua = {}, Uv ub = {}, Uv uc = {},
                 Uv ud = {});
    // Quad or triangle from positions, each corner its own vertex.
    void addQuadAt(Vec3 a, Vec3 b, Vec3 c, Vec3 d, int material, Uv ua = {}, Uv ub = {},
                   Uv uc = {}, Uv ud = {});
    void addTriangleAt(Vec3 a, Vec3 b, Vec3 c, int material, Uv ua = {}, Uv ub = {}, Uv uc = {});
    // As addQuad / addTriangle, but the corner order is reversed when needed so that the face
    // winds counter-clockwise as seen from the side that `toward` points to.
    void addQuadFacing(int a, int b, int c, int d, int material, Vec3 toward, Uv ua = {},
                       Uv ub = {}, Uv uc = {}, Uv ud = {});
    void addTriangleFacing(int a, int b, int c, int material, Vec3 toward, Uv ua = {}, Uv ub = {},
                           Uv uc = {});
    // Geometric normal of a face as listed (counter-clockwise side), not normalised.
    Vec3 faceNormal(const Face& f) const;
    Vec3 faceCentre(const Face& f) const;
    // Applies f to every vertex position.
    template <class F>
    void transform(F f) {
        for (Vec3& v : vertices_) v = f(v);
    }
    const std::string& name() const { return name_; }
    Color color() const { return color_; }
    const std::vector<Vec3>& vertices() const { return vertices_; }
    const std::vector<Face>& faces() const { return faces_; }

private:
    std::string name_;
    Color color_;
    std::vector<Vec3> vertices_;
    std::vector<Face> faces_;
};

struct ModelCounts {
    std::string file;  // path below the data directory, with '/' separators
    int materials = 0;
    std::vector<std::pair<int, int>> objects;  // (vertices, faces) per object
};

class ModelFile {
public:
    // Index of the material, adding it when no material of that name exists yet.
    int material(const Material& m);
    MeshObject& addObject(std::string name, Color color = {0.8, 0.8, 0.8, 1});
    std::deque<MeshObject>& objects() { return objects_; }
    // Writes the file; aborts the generator on a face or material line that the reader could
    // not take whole (line rest of 255 characters or more, index out of range).
    ModelCounts write(const std::string& dataDir, const std::string& relativePath) const;

private:
    std::vector<Material> materials_;
    std::deque<MeshObject> objects_;  // references stay valid as objects are added
};

// Writes 16-bit PCM stereo at the given rate from interleaved left and right samples.
std::size_t writeWav(const std::string& path, const std::vector<int16_t>& interleaved, int rate);

// Creates a directory and its parents; aborts on failure.
void makeDirectories(const std::string& path);
// Prints the message to standard error and exits with status 1.
[[noreturn]] void fail(const std::string& message);

}  // namespace gen
