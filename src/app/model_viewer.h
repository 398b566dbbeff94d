// The model viewer: one model file drawn by the show's renderer, for people who make their own
// data. --view FILE opens a window with the model turning (drag orbits, the wheel zooms, O toggles
// outlines, H the line saying what the show draws differently from the modelling tool, Escape
// quits); --view FILE --render DIR writes a 36-frame turntable headless.
#pragma once
#include <string>

#include "app/options.h"
#include "app/outline_font.h"
#include "model/mqo_model.h"

// Where the camera looks from: the model's centre and a distance that fits it into the picture.
struct ViewFit {
    double centre[3] = {0, 0, 0};
    double radius = 1;  // of the sphere round the centre that holds every vertex; > 0
};

// The bounding box's centre and the radius of the sphere round it that holds every vertex.
ViewFit fitModel(const MqoModel& model);
// Draws one picture of the model into the current context's width x height viewport: the model
// turned by yaw and pitch (degrees) about its centre, zoom 1 fitting it whole, outlines on request.
void drawModelView(const MqoModel& model, const ViewFit& fit, int width, int height, double yaw, double pitch,
                   double zoom, bool outlines);
// The line of findings along the bottom edge of a width x height picture, over a dark band, in the
// outline font (codes 32..126), shrunk to fit the width. Leaves the GL state as it found it.
void drawFindingsLine(const OutlineFont& font, const std::string& line, int width, int height);
// Runs --view; returns the process exit code.
int runModelViewer(const Options& options);
