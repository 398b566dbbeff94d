// Model records: deep copies of objects, material colour, directory of a model path, clearing.
#include "model/mqo_model.h"

#include <algorithm>
#include <cstring>

MqoObject::MqoObject(const MqoObject& other)
    : vertexCount(other.vertexCount), faceCount(other.faceCount) {
    std::copy(other.color, other.color + 3, color);
    // An absent block stays absent; a present one is copied at exactly its count (0 included).
    if (other.vertices) {
        vertices.reset(new MqoVertex[std::max(vertexCount, 0)]);
        std::copy(other.vertices.get(), other.vertices.get() + std::max(vertexCount, 0), vertices.get());
    }
    if (other.faces) {
        faces.reset(new MqoFace[std::max(faceCount, 0)]);
        std::copy(other.faces.get(), other.faces.get() + std::max(faceCount, 0), faces.get());
    }
}

void MqoMaterial::setColor(float r, float g, float b, float a) {
    col[0] = r;
    col[1] = g;
    col[2] = b;
    col[3] = a;
}

void MqoModel::directoryOf(char (&out)[256], const char* path) {
    out[0] = '\0';
    if (!path) return;
    const char* slash = std::strrchr(path, '\\');
    if (!slash) return;
    const std::size_t length = static_cast<std::size_t>(slash - path) + 1;
    // A directory that does not fit is not cut short into a wrong one: the result stays empty.
    if (length >= sizeof out) return;
    std::memcpy(out, path, length);
    out[length] = '\0';
}

void MqoModel::clear() {
    std::vector<MqoObject>().swap(objects);
    std::vector<MqoMaterial>().swap(materials);
    objectCount = 0;
}
