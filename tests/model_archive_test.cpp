// Zipped model files: a zipped real file reads into the same records as the plain one, the show
// finds "x.mqoz" where "x.mqo" is missing, and every bad archive is refused with one message,
// an empty model and nothing written.
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gl_fixture.h"
#include "model/model_archive.h"
#include "model/model_findings.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace fs = std::filesystem;

namespace {

const fs::path peerFolder = fs::path(LUMIVANE_SOURCE_DIR) / ".." / "shared" / "peer-mqo";

// ---- a zip writer of our own, so that every field can be made to lie ----

struct Entry {
    std::string name;
    std::string data;           // as unpacked
    bool deflate = true;
    bool encrypted = false;     // the flag only: the data stays plain
    int64_t statedSize = -1;    // the unpacked size written in the headers; -1: the true one
};

void put16(std::string& out, uint32_t v) {
    out += char(v & 0xFF);
    out += char(v >> 8 & 0xFF);
}
void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::string rawDeflate(const std::string& data) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, uLong(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// size bytes of zeros, deflated a megabyte at a time, with their CRC.
std::string deflatedZeros(uint64_t size, uint32_t& crc) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY), Z_OK);
    const std::string chunk(1 << 20, '\0');
    std::string out, buffer(1 << 16, '\0');
    crc = uint32_t(crc32(0, nullptr, 0));
    for (uint64_t done = 0; done < size;) {
        const uInt n = uInt(std::min<uint64_t>(chunk.size(), size - done));
        crc = uint32_t(crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), n));
        done += n;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(chunk.data()));
        z.avail_in = n;
        const int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            out.append(buffer.data(), buffer.size() - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// The archive's bytes; packed holds each entry's data as stored when given (else made here).
std::string zipBytes(const std::vector<Entry>& entries, const std::map<std::size_t, std::pair<std::string, uint32_t>>& packed = {}) {
    std::string out, central;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        std::string stored;
        uint32_t crc = 0;
        if (packed.count(i)) {
            stored = packed.at(i).first;
            crc = packed.at(i).second;
        } else {
            stored = e.deflate ? rawDeflate(e.data) : e.data;
            crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), uInt(e.data.size())));
        }
        const uint32_t size = uint32_t(e.statedSize >= 0 ? e.statedSize : int64_t(e.data.size()));
        const uint32_t offset = uint32_t(out.size());
        const uint16_t flags = e.encrypted ? 1 : 0;
        const uint16_t method = e.deflate ? 8 : 0;
        std::string common;
        put16(common, flags);
        put16(common, method);
        put16(common, 0);  // time
        put16(common, 0x5021);  // date
        put32(common, crc);
        put32(common, uint32_t(stored.size()));
        put32(common, size);
        put16(common, uint16_t(e.name.size()));
        put16(common, 0);  // extra
        put32(out, 0x04034b50);
        put16(out, 20);
        out += common + e.name + stored;
        put32(central, 0x02014b50);
        put16(central, 20);
        put16(central, 20);
        central += common;
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, 0);  // external attributes
        put32(central, offset);
        central += e.name;
    }
    const uint32_t centralAt = uint32_t(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, uint16_t(entries.size()));
    put16(out, uint16_t(entries.size()));
    put32(out, uint32_t(central.size()));
    put32(out, centralAt);
    put16(out, 0);
    return out;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

std::string showPath(const fs::path& path) {
    std::string text = path.string();
    for (char& c : text)
        if (c == '/') c = '\\';
    return text;
}

// Every file below the directory with its size: what "nothing written" is checked against.
std::map<std::string, uintmax_t> listing(const fs::path& dir) {
    std::map<std::string, uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        files[entry.path().string()] = entry.is_regular_file() ? entry.file_size() : 0;
    return files;
}

const std::string cube =
    "Metasequoia Document\nFormat Text Ver 1.0\n\nObject \"box\" {\n\tmirror 1\n\tvertex 4 {\n"
    "\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n\t\t0 1 0\n\t}\n\tface 1 {\n\t\t4 V(0 1 2 3)\n\t}\n}\nEof\n";

class ModelArchive : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        dir = fs::temp_directory_path() / ("lumivane-archive-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        platform::setDataDirectory("");
        fs::remove_all(dir);
    }

    struct Read {
        MqoModel model;
        MqoReadStats stats;
        std::vector<platform::RecordedMessage> messages;
    };
    // Writes the archive as name in the scratch directory and loads it as the show would.
    void load(Read& r, const std::string& name, const std::string& bytes) {
        writeFile(dir / name, bytes);
        const auto before = listing(dir);
        platform::MessageRecorder recorder;
        loadModel(r.model, showPath(dir / name).c_str(), &r.stats);
        r.messages = recorder.messages();
        EXPECT_EQ(listing(dir), before) << "the read wrote into the directory";
    }
    // A refused archive: one message naming it and the reason, and nothing read.
    void expectRefused(const std::string& bytes, const std::string& reason) {
        SCOPED_TRACE(reason);
        Read r;
        load(r, "bad.mqoz", bytes);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0].caption, "error");
        EXPECT_NE(r.messages[0].text.find(showPath(dir / "bad.mqoz")), std::string::npos) << r.messages[0].text;
        EXPECT_NE(r.messages[0].text.find(reason), std::string::npos) << r.messages[0].text;
        EXPECT_EQ(r.model.objectCount, 0);
        EXPECT_TRUE(r.model.objects.empty());
        EXPECT_TRUE(r.model.materials.empty());
        EXPECT_FALSE(r.stats.archiveRefused.empty());
        EXPECT_FALSE(holdsNoModel(r.stats)) << "a refused archive is told as such, not as a file without a model";
    }

    fs::path dir;
};

void expectSameRecords(const MqoModel& a, const MqoModel& b) {
    EXPECT_EQ(a.objectCount, b.objectCount);
    EXPECT_EQ(a.materialCount, b.materialCount);
    ASSERT_EQ(a.materials.size(), b.materials.size());
    for (std::size_t i = 0; i < a.materials.size(); ++i) {
        EXPECT_EQ(0, std::memcmp(a.materials[i].col, b.materials[i].col, sizeof a.materials[i].col));
        EXPECT_EQ(a.materials[i].dif, b.materials[i].dif);
        EXPECT_EQ(a.materials[i].texturePath, b.materials[i].texturePath);
        EXPECT_EQ(a.materials[i].texture() != 0, b.materials[i].texture() != 0);
    }
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (std::size_t i = 0; i < a.objects.size(); ++i) {
        const MqoObject& p = a.objects[i];
        const MqoObject& q = b.objects[i];
        ASSERT_EQ(p.vertexCount, q.vertexCount);
        ASSERT_EQ(p.faceCount, q.faceCount);
        EXPECT_EQ(0, std::memcmp(p.color, q.color, sizeof p.color));
        if (p.vertexCount) { EXPECT_EQ(0, std::memcmp(p.vertices.get(), q.vertices.get(), sizeof(MqoVertex) * p.vertexCount)); }
        if (p.faceCount) { EXPECT_EQ(0, std::memcmp(p.faces.get(), q.faces.get(), sizeof(MqoFace) * p.faceCount)); }
    }
}

}  // namespace

// A real file zipped as the modelling tool zips it (one deflated entry) reads into the records of
// the plain file, with its texture found beside the archive and its findings by object name.
TEST_F(ModelArchive, ZippedRealFileReadsAsThePlainFile) {
    if (!fs::is_directory(peerFolder)) GTEST_SKIP() << "no " << peerFolder;
    const std::string text = readFile(peerFolder / "wanwan-medaka.mqo");
    ASSERT_FALSE(text.empty());
    fs::copy_file(peerFolder / "wanwan-medaka.mqo", dir / "medaka.mqo");
    fs::copy_file(peerFolder / "medaka.jpg", dir / "medaka.jpg");

    Read plain, zipped;
    {
        platform::MessageRecorder recorder;
        loadModel(plain.model, showPath(dir / "medaka.mqo").c_str(), &plain.stats);
        EXPECT_TRUE(recorder.messages().empty());
    }
    load(zipped, "zipped.mqoz", zipBytes({{"medaka.mqo", text}}));
    EXPECT_TRUE(zipped.messages.empty()) << zipped.messages[0].text;
    EXPECT_TRUE(zipped.stats.archived);
    EXPECT_TRUE(zipped.stats.whole);
    ASSERT_EQ(zipped.model.objects.size(), 3u);
    expectSameRecords(plain.model, zipped.model);
    ASSERT_EQ(zipped.model.materials.size(), 1u);
    EXPECT_NE(zipped.model.materials[0].texture(), 0u) << "the texture beside the archive";

    // The mirrored first object is found in both, by name.
    const auto findings = modelFindings(zipped.stats);
    const auto plainFindings = modelFindings(plain.stats);
    ASSERT_EQ(findings.size(), plainFindings.size());
    bool mirrored = false;
    for (const ModelFinding& f : findings) mirrored = mirrored || (f.kind == ModelFinding::Kind::Mirrored && f.name == "obj1");
    EXPECT_TRUE(mirrored);
}

// The show's own look-up: "data\x.mqoz" stands in for a missing "data\x.mqo", messages name the
// archive, and a plain file present wins over the archive.
TEST_F(ModelArchive, ShowFindsTheZippedFileWhereThePlainOneIsMissing) {
    platform::setDataDirectory(dir.string());
    writeFile(dir / "sky.mqoz", zipBytes({{"sky.mqo", cube}}));
    {
        platform::MessageRecorder recorder;
        MqoModel model;
        model.load("data\\sky.mqo");
        EXPECT_TRUE(recorder.messages().empty());
        ASSERT_EQ(model.objects.size(), 1u);
        EXPECT_EQ(model.objects[0].faceCount, 1);
    }
    writeFile(dir / "cloud.mqoz", zipBytes({{"cloud.mqo", cube.substr(0, 80)}}));
    {
        platform::MessageRecorder recorder;
        MqoModel model;
        model.load("data\\cloud.mqo");
        ASSERT_EQ(recorder.messages().size(), 1u);
        EXPECT_EQ(recorder.messages()[0].text.rfind("data\\cloud.mqoz: ", 0), 0u) << recorder.messages()[0].text;
    }
    writeFile(dir / "sky.mqo", "Metasequoia Document\nEof\n");
    MqoModel model;
    model.load("data\\sky.mqo");
    EXPECT_TRUE(model.objects.empty()) << "the plain file is read when it is there";
}

TEST_F(ModelArchive, BadArchivesAreRefusedWithOneMessageEach) {
    expectRefused(zipBytes({{"a.mqo", cube}, {"b.mqo", cube}}), "more than one model file");
    expectRefused(zipBytes({{"readme.txt", "hello"}}), "no model file");
    expectRefused(zipBytes({}), "no model file");
    expectRefused(zipBytes({{"model.mqo", cube, true, true}}), "encrypted");
    expectRefused(zipBytes({{"../model.mqo", cube}}), "outside the archive's folder");
    expectRefused(zipBytes({{"model.mqo", cube}, {"/etc/x.png", "x"}}), "outside the archive's folder");
    expectRefused(zipBytes({{"sub\\..\\..\\model.mqo", cube}}), "outside the archive's folder");
    expectRefused(zipBytes({{"C:model.mqo", cube}}), "outside the archive's folder");
    // Corrupt: cut short, a flipped byte in the packed data, not a zip at all.
    const std::string good = zipBytes({{"model.mqo", cube}});
    expectRefused(good.substr(0, good.size() - 10), "not a readable zip archive");
    std::string flipped = good;
    flipped[30 + 9 + 5] ^= 0x55;  // inside the deflated data of the entry
    expectRefused(flipped, "the model file cannot be unpacked");
    expectRefused("PK\x03\x04 not a zip at all, only its first bytes", "not a readable zip archive");
}

// Sizes the headers state that the data does not keep, in either direction.
TEST_F(ModelArchive, LyingSizesAreRefused) {
    Entry shorter{"model.mqo", cube};
    shorter.statedSize = 40;
    expectRefused(zipBytes({shorter}), "the sizes stated in the archive do not match its data");
    Entry longer{"model.mqo", cube};
    longer.statedSize = int64_t(cube.size()) + 100;
    expectRefused(zipBytes({longer}), "the sizes stated in the archive do not match its data");
    Entry stored{"model.mqo", cube, false};
    stored.statedSize = 10;
    expectRefused(zipBytes({stored}), "the sizes stated in the archive do not match its data");
}

// A bomb: 300 MiB of zeros in a few hundred kilobytes. Its stated size is refused before anything
// is unpacked; told it is small, unpacking stops at the stated size. Memory stays small either way.
TEST_F(ModelArchive, BombsAreRefusedWithoutUnpacking) {
    uint32_t crc = 0;
    const uint64_t size = uint64_t(300) << 20;
    const std::string packed = deflatedZeros(size, crc);
    ASSERT_LT(packed.size(), 1u << 20);
    Entry honest{"bomb.mqo", ""};
    honest.statedSize = int64_t(size);
    expectRefused(zipBytes({honest}, {{0, {packed, crc}}}), "unpacks to more than 256 MiB");
    Entry lying{"bomb.mqo", ""};
    lying.statedSize = 1000;
    expectRefused(zipBytes({lying}, {{0, {packed, crc}}}), "the sizes stated in the archive do not match its data");

    // The cap itself, on an honest archive of a model larger than it.
    std::string text, reason;
    const std::string zip = zipBytes({{"model.mqo", cube}});
    EXPECT_FALSE(unpackModelText(zip.data(), zip.size(), text, reason, 64));
    EXPECT_NE(reason.find("more than"), std::string::npos) << reason;
    EXPECT_TRUE(text.empty());
    EXPECT_TRUE(unpackModelText(zip.data(), zip.size(), text, reason, cube.size()));
    EXPECT_EQ(text, cube);
}

// Folders and other files beside the model (a thumbnail, say) are passed over; the model may lie
// in a folder of the archive and be stored unpacked.
TEST_F(ModelArchive, OtherEntriesArePassedOver) {
    Read r;
    load(r, "m.mqoz", zipBytes({{"thumb/", ""}, {"thumb/t.png", "\x89PNG"}, {"thumb/model.MQO", cube, false}}));
    EXPECT_TRUE(r.messages.empty());
    ASSERT_EQ(r.model.objects.size(), 1u);
    EXPECT_TRUE(r.stats.whole);
}

// A zip named .mqo is still read as a zip (its first bytes tell), and a file that holds no model
// is told from an empty model: the show reads it silently as it always did.
TEST_F(ModelArchive, WhatAFileHoldsIsToldByItsBytes) {
    Read zipNamedPlain;
    load(zipNamedPlain, "model.mqo", zipBytes({{"inner.mqo", cube}}));
    EXPECT_TRUE(zipNamedPlain.stats.archived);
    EXPECT_EQ(zipNamedPlain.model.objects.size(), 1u);

    Read words;
    load(words, "notes.mqo", "These are words, not a model.\nNothing { here }\n");
    EXPECT_TRUE(words.messages.empty()) << "the show itself says nothing";
    EXPECT_TRUE(holdsNoModel(words.stats));

    Read empty;
    load(empty, "empty.mqo", "");
    EXPECT_TRUE(holdsNoModel(empty.stats));

    // A model without objects is a model.
    Read headerOnly;
    load(headerOnly, "header.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\nEof\r\n");
    EXPECT_FALSE(holdsNoModel(headerOnly.stats));
    Read chunkOnly;
    load(chunkOnly, "chunk.mqo", "Object \"o\" {\nvertex 0 {\n}\n}\n");
    EXPECT_FALSE(holdsNoModel(chunkOnly.stats));

    Read zippedWords;
    load(zippedWords, "words.mqoz", zipBytes({{"w.mqo", "just words"}}));
    EXPECT_TRUE(holdsNoModel(zippedWords.stats));

    Read missing;
    loadModel(missing.model, showPath(dir / "absent.mqo").c_str(), &missing.stats);
    EXPECT_FALSE(holdsNoModel(missing.stats)) << "a missing file has its own message";
}
