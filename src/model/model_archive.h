// Zipped model files (".mqoz": a zip holding one model file), as modelling tools save them. The
// model text is unpacked into memory, never onto the disk, and only when the archive is sound:
// one model entry, not encrypted, stored or deflated, every entry inside the archive's folder,
// the stated size within the cap and true to the data.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/mqo_model.h"
#include "model/mqo_reader.h"

// Largest model text unpacked from an archive; the largest model files of real use are a few
// tens of megabytes.
inline constexpr uint64_t kMaxArchivedModelBytes = uint64_t(256) << 20;

// Whether the file at hostPath is to be read as an archive: its name ends in ".mqoz" (any case)
// or its first bytes are a zip signature.
bool isModelArchive(const std::string& hostPath);

// The model text inside the archive held in memory (data, size) or in the file at hostPath.
// False with a short English reason (for the message) when the archive is refused.
bool unpackModelText(const void* data, std::size_t size, std::string& text, std::string& reason,
                     uint64_t cap = kMaxArchivedModelBytes);
bool unpackModelFile(const std::string& hostPath, std::string& text, std::string& reason,
                     uint64_t cap = kMaxArchivedModelBytes);

// Reads the model inside an archive as readModel reads a model file; path (the show's form) names
// the archive in messages, and its directory is where textures are looked for. A refused archive
// shows one message, captioned "error", and leaves the model empty.
void readZippedModel(MqoModel& model, const void* data, std::size_t size, const char* path,
                     MqoReadStats* stats = nullptr);
void loadZippedModel(MqoModel& model, const std::string& hostPath, const char* path, MqoReadStats* stats);
