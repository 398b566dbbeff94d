// The pieces of the model file reader that tests and fuzzers drive on their own streams.
#pragma once
#include <cstdint>
#include <istream>
#include <vector>

#include "model/mqo_model.h"

// Reads one word; true when it is neither "{" nor "}" and the brace message was shown (either
// brace passes either check). At the end of the stream nothing is read or shown: false.
bool expectBrace(std::istream& in);
// Skips one word, or a whole "{" ... "}" block with the blocks nested in it; stops at the end of
// the stream.
void skipBlock(std::istream& in);

// What the reader did to each object's faces beyond reading them (for the model inspector).
struct MqoObjectReadStats {
    int32_t polygonsSplit = 0;  // faces of 5 or more corners split into triangles
    int32_t edgesKept = 0;      // two-corner faces kept as edges
};
struct MqoReadStats {
    std::vector<MqoObjectReadStats> objects;  // one per entry of the model's objects
};

// Reads a model file from an open stream of size bytes into model (what MqoModel::load does once
// the file is open). path names the file in messages and gives the directory of its textures.
// Needs a current GL context when the file names textures. stats, when given, is filled too.
void readModel(MqoModel& model, std::istream& in, const char* path, uint64_t size,
               MqoReadStats* stats = nullptr);
// MqoModel::load with the reader's figures.
void loadModel(MqoModel& model, const char* path, MqoReadStats* stats);
