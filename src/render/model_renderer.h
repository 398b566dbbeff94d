// Turns a loaded model into immediate-mode primitives.
#pragma once
#include "model/mqo_model.h"

// Colour, diffuse (col.rgb, dif), ambient (col.rgb, amb), blending and alpha test on, texture.
void applyMaterial(const MqoMaterial& material);
// Every face of every object; leaves culling on. See the notes in the source for the state left.
void drawModel(const MqoModel& model, bool useMaterials, bool useTextures, bool cullBackFaces);
// Every face as a line loop in one colour, lighting/texturing/blending off while drawing; leaves
// blending and lighting on, texturing off.
void drawModelOutline(const MqoModel& model, float red, float green, float blue, float alpha,
                      bool keepDepthTest);
// A model with a face that cannot be drawn is reported once, not on every draw; this forgets which
// models were reported (tests).
void resetModelRendererReports();
