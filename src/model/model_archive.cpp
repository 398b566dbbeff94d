// Zipped model files: what is an archive, and reading the model an archive holds. Unpacking is
// the zip library's (model_archive_libzip.cpp), or refused where the build has none.
#include "model/model_archive.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "platform/message_box.h"
#include "platform/files.h"

namespace {

const char* const archiveCaption = "error";
const char* const refusedText = ": zipの中のモデルを読めません";  // the archive's model cannot be read

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lowerAscii(text[text.size() - n + i]) != suffix[i]) return false;
    return true;
}

void refuse(const char* path, const std::string& reason) {
    const std::string message = std::string(path ? path : "") + refusedText + " (" + reason + ")";
    platform::messageBox(message.c_str(), archiveCaption);
}

void readText(MqoModel& model, std::string&& text, const char* path, MqoReadStats* stats) {
    const uint64_t size = text.size();
    std::istringstream in(std::move(text));
    readModel(model, in, path, size, stats);
}

}  // namespace

bool isModelArchive(const std::string& hostPath) {
    if (endsWithIgnoringCase(hostPath, ".mqoz")) return true;
    std::FILE* file = platform::openHostFile(hostPath, "rb");
    if (!file) return false;
    unsigned char head[4] = {};
    const std::size_t n = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    // A local file header, or the end record of an archive without entries.
    return n == 4 && head[0] == 'P' && head[1] == 'K' &&
           ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6));
}

void readZippedModel(MqoModel& model, const void* data, std::size_t size, const char* path, MqoReadStats* stats) {
    if (stats) stats->archived = true;
    std::string text, reason;
    if (!unpackModelText(data, size, text, reason)) {
        if (stats) stats->archiveRefused = reason;
        refuse(path, reason);
        return;
    }
    readText(model, std::move(text), path, stats);
}

void loadZippedModel(MqoModel& model, const std::string& hostPath, const char* path, MqoReadStats* stats) {
    if (stats) stats->archived = true;
    std::string text, reason;
    if (!unpackModelFile(hostPath, text, reason)) {
        if (stats) stats->archiveRefused = reason;
        refuse(path, reason);
        return;
    }
    readText(model, std::move(text), path, stats);
}
