// Models as immediate-mode primitives: one glBegin/glEnd per face, vertices as doubles, no
// normals, one material change per change between consecutive faces.
//
// State left behind by drawModel: culling on; when materials were applied, blending
// (SRC_ALPHA, ONE_MINUS_SRC_ALPHA) and the alpha test (GREATER 0.01) on, colour and material of
// the last material applied, texturing as that material asked. drawModelOutline leaves blending
// and lighting on, texturing off, the depth test or depth writes on again, the outline colour.
#include "render/model_renderer.h"

#include <GL/gl.h>

#include <array>
#include <cstddef>

#include "platform/message_box.h"

namespace {

const char* const badFaceText = "面情報がおかしくてレンダリングできません";
const char* const badFaceCaption = "error";

// Models whose undrawable faces were reported already, so that a broken record costs one box
// and not one per face on every frame. Fixed size: drawing allocates nothing.
struct BadFaceReports {
    std::array<const MqoModel*, 64> models{};
    std::size_t next = 0;
};
BadFaceReports reports;

void reportBadFace(const MqoModel& model) {
    for (const MqoModel* reported : reports.models)
        if (reported == &model) return;
    reports.models[reports.next] = &model;
    reports.next = (reports.next + 1) % reports.models.size();
    platform::messageBox(badFaceText, badFaceCaption);
}

bool hasMaterial(const MqoModel& model, int32_t index) {
    return index >= 0 && std::size_t(index) < model.materials.size();
}

// 2 to 4 corners, each naming a vertex of the object. The reader keeps only such faces; records
// built in code may hold others. Edges (2 corners) are drawn by the outline draw only.
bool drawable(const MqoObject& object, const MqoFace& face) {
    if (face.vertexCount < 2 || face.vertexCount > 4) return false;
    if (!object.vertices) return false;
    for (int k = 0; k < face.vertexCount; ++k)
        if (face.vertexIndex[k] < 0 || face.vertexIndex[k] >= object.vertexCount) return false;
    return true;
}

int faceCountOf(const MqoObject& object) { return object.faces ? object.faceCount : 0; }

}  // namespace

void resetModelRendererReports() { reports = BadFaceReports{}; }

void applyMaterial(const MqoMaterial& material) {
    const float* col = material.col;
    glColor4f(col[0], col[1], col[2], col[3]);
    const float diffuse[4] = {col[0], col[1], col[2], material.dif};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    const float ambient[4] = {col[0], col[1], col[2], material.amb};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.01f);
    if (material.texture() != 0) {
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, material.texture());
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

void drawModel(const MqoModel& model, bool useMaterials, bool useTextures, bool cullBackFaces) {
    glPushMatrix();
    if (cullBackFaces)
        glEnable(GL_CULL_FACE);
    else
        glDisable(GL_CULL_FACE);
    for (const MqoObject& object : model.objects) {
        const int faceCount = faceCountOf(object);
        const MqoFace* faces = object.faces.get();
        if (useMaterials && faceCount > 0 && hasMaterial(model, faces[0].materialIndex))
            applyMaterial(model.materials[std::size_t(faces[0].materialIndex)]);
        for (int j = 0; j < faceCount; ++j) {
            const MqoFace& face = faces[j];
            // A face whose index names no material applies none: the state stays as the face
            // before left it, and it takes the plain path.
            const bool known = hasMaterial(model, face.materialIndex);
            if (useMaterials && j > 0 && face.materialIndex != faces[j - 1].materialIndex && known)
                applyMaterial(model.materials[std::size_t(face.materialIndex)]);
            if (!drawable(object, face)) {
                reportBadFace(model);
                continue;
            }
            if (face.vertexCount == 2) continue;  // an edge fills nothing
            const bool textured = useTextures && known && model.materials[std::size_t(face.materialIndex)].texture() != 0;
            glBegin(face.vertexCount == 4 ? GL_QUADS : GL_TRIANGLES);
            for (int k = 0; k < face.vertexCount; ++k) {
                if (textured) glTexCoord2f(face.uv[2 * k], -face.uv[2 * k + 1]);
                const MqoVertex& v = object.vertices[face.vertexIndex[k]];
                glVertex3d(v.x, v.y, v.z);
            }
            glEnd();
        }
    }
    glEnable(GL_CULL_FACE);
    glPopMatrix();
}

void drawModelOutline(const MqoModel& model, float red, float green, float blue, float alpha,
                      bool keepDepthTest) {
    glPushMatrix();
    if (keepDepthTest)
        glDepthMask(GL_FALSE);
    else
        glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glColor4f(red, green, blue, alpha);
    for (const MqoObject& object : model.objects) {
        const int faceCount = faceCountOf(object);
        for (int j = 0; j < faceCount; ++j) {
            const MqoFace& face = object.faces[j];
            if (!drawable(object, face)) {
                reportBadFace(model);
                continue;
            }
            glBegin(face.vertexCount == 2 ? GL_LINES : GL_LINE_LOOP);
            for (int k = 0; k < face.vertexCount; ++k) {
                const MqoVertex& v = object.vertices[face.vertexIndex[k]];
                glVertex3d(v.x, v.y, v.z);
            }
            glEnd();
        }
    }
    glEnable(GL_BLEND);
    glEnable(GL_LIGHTING);
    if (keepDepthTest)
        glDepthMask(GL_TRUE);
    else
        glEnable(GL_DEPTH_TEST);
    glPopMatrix();
}
