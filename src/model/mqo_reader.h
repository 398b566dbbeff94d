// The pieces of the model file reader that tests and fuzzers drive on their own streams.
#pragma once
#include <cstdint>
#include <istream>

#include "model/mqo_model.h"

// Reads one word; true when it is neither "{" nor "}" and the brace message was shown (either
// brace passes either check). At the end of the stream nothing is read or shown: false.
bool expectBrace(std::istream& in);
// Skips one word, or a whole "{" ... "}" block with the blocks nested in it; stops at the end of
// the stream.
void skipBlock(std::istream& in);
// Reads a model file from an open stream of size bytes into model (what MqoModel::load does once
// the file is open). path names the file in messages and gives the directory of its textures.
// Needs a current GL context when the file names textures.
void readModel(MqoModel& model, std::istream& in, const char* path, uint64_t size);
