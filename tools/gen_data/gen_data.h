// The stand-in data set: what each part of the generator writes into the output directory.
#pragma once
#include <string>
#include <vector>

#include "data_writers.h"

namespace gen {

// Where the files go and what has been written so far.
struct Output {
    std::string dir;                  // the data directory
    std::vector<ModelCounts> models;  // in the show's load order once sorted by main
    std::size_t bytes = 0;
    int files = 0;

    void bitmap(const std::string& relativePath, const Image& image);
    void model(const ModelFile& model, const std::string& relativePath);
};

// filter, hane2, sky, skytube, cloud, bback, backbox, billm, rot1, donut, hikari, toge.
void buildScenery(Output& out);
// p_tamsel and p_zefra: two busts of untextured, colour-shaded faces.
void buildPortraits(Output& out);
// mati/f0 and its textures: the city of the fog flight, the fly-by and the camera path.
void buildCity(Output& out);
// vorsa.wav: 16-bit stereo at 44.1 kHz, 140 beats per minute, sections on the scene boundaries.
void buildSoundtrack(Output& out);

// The program's icon, size x size pixels (16..1024), as an RGBA PNG; false when it cannot be written.
bool writeIcon(const std::string& path, int size);

}  // namespace gen
