// One model file in memory: the materials' numbers and textures, and per object its colour,
// vertices and faces.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct MqoVertex {
    double x = 0, y = 0, z = 0;  // model units as written in the file
};

struct MqoFace {
    int32_t vertexCount = 0;         // 3 or 4; 2 for an edge (polygons are split when read)
    int32_t vertexIndex[4] = {};     // into the object's vertices; the last corner's is repeated
    int32_t materialIndex = 0;       // into the model's materials; one that names none: no material
    float uv[8] = {};                // (u, v) per corner as written; v is negated when drawn
};

struct MqoMaterial {
    float col[4] = {0, 0, 0, 0};  // r, g, b, a
    float dif = 0, amb = 0, emi = 0, spc = 0, power = 0;
    std::string texturePath;      // model directory + "tex" file name
    uint32_t textureName = 0;     // GL texture; 0 = none

    void setColor(float r, float g, float b, float a);
    void setDif(float v) { dif = v; }
    void setAmb(float v) { amb = v; }
    void setEmi(float v) { emi = v; }
    void setSpc(float v) { spc = v; }
    void setPower(float v) { power = v; }
    // Stores the path and loads the image into a new GL texture at once. Where no file matches
    // the path (exactly or ignoring case), the first of alternatives that does is read instead.
    void setTexture(std::string path, const std::vector<std::string>& alternatives = {});
    void loadTexture(const std::string& path, const std::vector<std::string>& alternatives = {});
    uint32_t texture() const { return textureName; }
};

struct MqoObject {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    double color[3] = {0, 1, 0};            // from "color"; green when the file has none
    std::unique_ptr<MqoVertex[]> vertices;  // exactly vertexCount entries, or null
    std::unique_ptr<MqoFace[]> faces;       // exactly faceCount entries, or null

    MqoObject() = default;
    MqoObject(const MqoObject& other);  // deep copy at exact size
    MqoObject& operator=(const MqoObject&) = delete;
    MqoObject(MqoObject&&) noexcept = default;
    MqoObject& operator=(MqoObject&&) noexcept = default;

    void setVertexCount(int32_t n) { vertexCount = n; }
    void setFaceCount(int32_t n) { faceCount = n; }
    void setColor(double r, double g, double b) { color[0] = r; color[1] = g; color[2] = b; }
    void setVertices(std::unique_ptr<MqoVertex[]> array) { vertices = std::move(array); }
    void setFaces(std::unique_ptr<MqoFace[]> array) { faces = std::move(array); }
};

class MqoModel {
public:
    int32_t objectCount = 0;    // "Object" chunks met, including those whose content was lost
    int32_t materialCount = 0;  // as written in the "Material" header
    std::vector<MqoObject> objects;
    std::vector<MqoMaterial> materials;

    // Reads a model file (path in the show's backslash form). Failures are shown in message
    // boxes captioned "error"; what was read before a failure is kept. Needs a current context
    // (textures are made while reading).
    void load(const char* path);
    // The path's characters up to and including its last backslash; "" without one.
    static void directoryOf(char (&out)[256], const char* path);
    void clear();
};
