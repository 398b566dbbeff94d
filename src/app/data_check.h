// --check: the data set read as the show reads it (the same look-up and readers, no window and no
// GL: textures are decoded, not uploaded), reported per model file, texture and the soundtrack,
// with what the show draws differently from the modelling tool, and a verdict.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "model/model_findings.h"
#include "model/texture_check.h"
#include "platform/message_box.h"

struct ModelFileCheck {
    std::string file;           // the show's path, "data\\sky.mqo"
    std::string hostFile;       // the file read; empty when missing
    bool archived = false;      // a zipped model file stood in for it
    std::string archiveRefused; // why the archive was refused
    bool holdsModel = true;     // false: the file holds no model at all
    bool whole = false;         // read to its end with no message
    int64_t objects = 0, vertices = 0, faces = 0, polygonsSplit = 0, edgesKept = 0;
    std::vector<platform::RecordedMessage> messages;  // the reader's
    std::vector<TextureCheck> textures;
    std::vector<ModelFinding> findings;
};

struct SoundtrackCheck {
    std::string file;      // the show's path
    std::string hostFile;  // empty when missing
    bool decoded = false;
    std::string reason;    // why it cannot be decoded
    int bits = 0, channels = 0, rate = 0;
    bool floatSamples = false;
    double lengthMs = 0;
};

struct DataCheck {
    bool dataSetFound = false;
    std::string directory;  // where the data set was looked for or found (absolute)
    std::vector<ModelFileCheck> models;
    SoundtrackCheck soundtrack;
};

// How far the soundtrack may end before or after the show does without being told: a frame at
// 60 fps, less than any ear notices.
inline constexpr double kSoundtrackToleranceMs = 17;

// Checks the data set in the directory chosen for the show (platform::dataDirectory).
DataCheck checkDataSet(bool dataSetFound);
// The show draws everything the files hold: nothing missing, every file read whole.
bool dataComplete(const DataCheck& check);
// The last line: "verdict: plays as made", or what stands in its way.
std::string checkVerdict(const DataCheck& check);
std::string checkReportText(const DataCheck& check);
std::string checkReportJson(const DataCheck& check);

// Runs --check [--json] after the data directory was chosen; prints the report to standard
// output and returns the exit code: 0 when the data set is complete, 1 otherwise.
int runDataCheck(bool dataSetFound, bool json);
