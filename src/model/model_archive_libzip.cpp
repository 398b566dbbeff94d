// Unpacking zipped model files through libzip, read-only: archives are opened for reading and
// discarded, so nothing is ever written back.
#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/model_archive.h"

namespace {

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool endsWithIgnoringCase(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (lowerAscii(text[text.size() - n + i]) != suffix[i]) return false;
    return true;
}

// An entry name that would land outside the folder it is unpacked into: absolute, with a drive,
// or climbing out with "..". Either separator counts, as archives from Windows use both.
bool leavesFolder(const std::string& name) {
    if (name.empty() || name[0] == '/' || name[0] == '\\') return true;
    if (name.size() >= 2 && name[1] == ':') return true;
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find_first_of("/\\", start), name.size());
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

constexpr uint64_t kDeflateMaxRatio = 1032;

std::string sizeText(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// The one model entry of an open archive, read in full; the archive stays open.
bool readModelEntry(zip_t* archive, std::string& text, std::string& reason, uint64_t cap) {
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    if (entries < 0) {
        reason = "cannot list the archive";
        return false;
    }
    zip_int64_t model = -1;
    for (zip_int64_t i = 0; i < entries; ++i) {
        const char* raw = zip_get_name(archive, zip_uint64_t(i), ZIP_FL_ENC_RAW);
        const std::string name = raw ? raw : "";
        if (leavesFolder(name)) {
            reason = "entry \"" + name + "\" lies outside the archive's folder";
            return false;
        }
        if (!name.empty() && name.back() == '/') continue;  // a folder
        if (!endsWithIgnoringCase(name, ".mqo")) continue;  // a thumbnail or the like
        if (model >= 0) {
            reason = "more than one model file in the archive";
            return false;
        }
        model = i;
    }
    if (model < 0) {
        reason = "no model file (.mqo) in the archive";
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, zip_uint64_t(model), 0, &stat) != 0) {
        reason = zip_strerror(archive);
        return false;
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        reason = "the model file is encrypted";
        return false;
    }
    if (!(stat.valid & ZIP_STAT_COMP_METHOD) ||
        (stat.comp_method != ZIP_CM_STORE && stat.comp_method != ZIP_CM_DEFLATE)) {
        reason = "the model file is packed by a method other than deflate";
        return false;
    }
    if (!(stat.valid & ZIP_STAT_SIZE) || stat.size > cap) {
        reason = "the model file unpacks to more than " + sizeText(cap);
        return false;
    }
    // Deflate packs at most 1032 bytes into one: a stated size beyond that is a lie, refused
    // before any memory is set aside for it.
    if (!(stat.valid & ZIP_STAT_COMP_SIZE) || stat.size / kDeflateMaxRatio > stat.comp_size + 1 ||
        (stat.comp_method == ZIP_CM_STORE && stat.size != stat.comp_size)) {
        reason = "the sizes stated in the archive do not match its data";
        return false;
    }
    zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(model), 0);
    if (!file) {
        reason = zip_strerror(archive);
        return false;
    }
    // Read one byte past the stated size: data longer than stated is a lie to be refused, not
    // cut short, and a stated size that is a lie never lets more than the cap in.
    text.clear();
    text.reserve(std::size_t(stat.size));
    char buffer[1 << 16];
    bool ok = true;
    for (;;) {
        const uint64_t room = stat.size + 1 - text.size();
        const zip_int64_t n = zip_fread(file, buffer, std::min<uint64_t>(sizeof buffer, room));
        if (n < 0) {
            reason = std::string("the model file cannot be unpacked: ") + zip_file_strerror(file);
            ok = false;
            break;
        }
        if (n == 0) break;
        text.append(buffer, std::size_t(n));
        if (text.size() > stat.size) break;
    }
    zip_fclose(file);
    if (ok && text.size() != stat.size) {
        reason = "the sizes stated in the archive do not match its data";
        ok = false;
    }
    if (!ok) std::string().swap(text);
    return ok;
}

bool unpack(zip_t* archive, std::string& text, std::string& reason, uint64_t cap) {
    const bool ok = readModelEntry(archive, text, reason, cap);
    zip_discard(archive);
    return ok;
}

}  // namespace

bool unpackModelText(const void* data, std::size_t size, std::string& text, std::string& reason, uint64_t cap) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data, size, 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error) : nullptr;
    if (!archive) {
        if (source) zip_source_free(source);
        reason = std::string("not a readable zip archive: ") + zip_error_strerror(&error);
        zip_error_fini(&error);
        return false;
    }
    zip_error_fini(&error);
    return unpack(archive, text, reason, cap);
}

bool unpackModelFile(const std::string& hostPath, std::string& text, std::string& reason, uint64_t cap) {
    int code = 0;
    zip_t* archive = zip_open(hostPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, code);
        reason = std::string("not a readable zip archive: ") + zip_error_strerror(&error);
        zip_error_fini(&error);
        return false;
    }
    return unpack(archive, text, reason, cap);
}

