// The pieces of the model file reader that tests and fuzzers drive on their own streams.
#pragma once
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "model/mqo_model.h"

// Reads one word; true when it is neither "{" nor "}" and the brace message was shown (either
// brace passes either check). At the end of the stream nothing is read or shown: false.
bool expectBrace(std::istream& in);
// Skips one word, or a whole "{" ... "}" block with the blocks nested in it; stops at the end of
// the stream.
void skipBlock(std::istream& in);

// What the reader did to each object's faces beyond reading them, and the object's own keys that
// the show reads past (for the model inspector and the data check).
struct MqoObjectReadStats {
    std::string name;           // as written, without its quotes (code page 932 or UTF-8 bytes)
    int32_t polygonsSplit = 0;  // faces of 5 or more corners split into triangles
    int32_t edgesKept = 0;      // two-corner faces kept as edges
    int32_t patch = 0;          // "patch": 0 plain, else a subdivision surface of the faces
    int32_t visible = 15;       // "visible": 0 hidden in the modelling tool
    int32_t shading = 0;        // "shading": 1 smooth ("facet" gives the crease angle)
    int32_t mirror = 0;         // "mirror": 0 none, else mirrored about "mirror_axis"
    int32_t lathe = 0;          // "lathe": 0 none, else the faces turned about an axis
    int32_t colouredFaces = 0;  // faces with vertex colours ("COL")
};
// A material's maps that the show does not draw.
struct MqoMaterialReadStats {
    std::string name;        // as written, without its quotes
    std::string alphaPlane;  // "aplane" file name, as written
    std::string bumpMap;     // "bump" file name, as written
};
// Where the show looks for a material's texture: the path, then the alternatives in order.
struct MqoTextureRequest {
    std::size_t material = 0;  // index into the model's materials
    std::string path;
    std::vector<std::string> alternatives;
};
struct MqoReadStats {
    bool loadTextures = true;  // false: materials keep their texturePath, no image is read, no GL
    std::string hostFile;      // the file read (loadModel); empty when none was found
    bool archived = false;     // read from a zipped model file
    std::string archiveRefused;  // why the archive was refused; empty when it was not
    bool textRead = false;     // the reader ran over the file's text
    bool header = false;       // the file begins "Metasequoia Document"
    int32_t chunks = 0;        // Scene, Material and Object chunks met
    bool whole = false;        // read to its end with no message of the reader
    std::vector<MqoObjectReadStats> objects;  // one per entry of the model's objects
    std::vector<MqoMaterialReadStats> materials;  // one per entry of the model's materials
    std::vector<MqoTextureRequest> textures;
};

// A file that holds no model: no header and no chunk read (a file of another kind, an empty one).
// Only the inspecting tools say so; the show reads any words as it always did.
bool holdsNoModel(const MqoReadStats& stats);
// The one message those tools show for such a file, captioned "error".
std::string noModelText(const std::string& path);

// Reads a model file from an open stream of size bytes into model (what MqoModel::load does once
// the file is open). path names the file in messages and gives the directory of its textures.
// Needs a current GL context when the file names textures. stats, when given, is filled too.
void readModel(MqoModel& model, std::istream& in, const char* path, uint64_t size,
               MqoReadStats* stats = nullptr);
// MqoModel::load with the reader's figures.
void loadModel(MqoModel& model, const char* path, MqoReadStats* stats);
