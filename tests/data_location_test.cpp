// Where the show finds its data set: the choice among the places, the line when none holds the
// set, and every file the show opens (models, their textures, the soundtrack) following the choice.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/data_location.h"
#include "app/demo_app.h"
#include "app/gl_window.h"
#include "app/music_track.h"
#include "demo/demo_assets.h"
#include "demo/timeline.h"
#include "gl_fixture.h"
#include "platform/files.h"
#include "platform/media.h"
#include "platform/message_box.h"

namespace fs = std::filesystem;

namespace {

// One second of 8-bit mono silence at 8 kHz.
void writeWav(const fs::path& path) {
    const uint32_t samples = 8000;
    std::vector<uint8_t> b;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); };
    auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
    tag("RIFF"); put32(36 + samples); tag("WAVE");
    tag("fmt "); put32(16); put16(1); put16(1); put32(8000); put32(8000); put16(1); put16(8);
    tag("data"); put32(samples);
    b.resize(b.size() + samples, 128);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

std::string readAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;) text += char(c);
    return text;
}

class DataLocation : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        dir = fs::temp_directory_path() / ("lumivane-data-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        platform::setDataDirectory("");
        fs::remove_all(dir);
    }
    fs::path dir;
};

}  // namespace

TEST_F(DataLocation, SetUpLoadsEveryModelFromTheChosenDirectory) {
    // A set of one's own that brings only the soundtrack: it is chosen, and each model file is
    // then looked for there (not in the stand-in set below the working directory) and reported
    // under its own name, in load order.
    writeWav(dir / "vorsa.wav");
    std::FILE* report = std::tmpfile();
    ASSERT_TRUE(chooseDataDirectory(dir.string(), report));
    EXPECT_EQ(readAll(report), "");
    std::fclose(report);

    platform::MessageRecorder recorder;
    createFont(demoApp.font);
    setProjection(0, 0, 800, 600, 1.0, 10000.0);
    drawScene(0, -2.0);
    std::vector<std::string> expected;
    for (const char* file : kModelFiles) expected.push_back(std::string(file) + "ファイルが開けません");
    std::vector<std::string> texts;
    for (const auto& m : recorder.messages()) texts.push_back(m.text);
    EXPECT_EQ(texts, expected);
}

TEST_F(DataLocation, TheSoundtrackOpensFromTheChosenDirectory) {
    platform::setAudioEnabled(true);
    platform::setDataDirectory(dir.string());
    openMusic();
    EXPECT_LT(platform::mediaPositionMs(), 0) << "opened without a file in the chosen directory";
    closeMusic();
    writeWav(dir / "vorsa.wav");
    platform::clearMediaCommandLog();
    openMusic();
    EXPECT_GE(platform::mediaPositionMs(), 0) << "did not open " << (dir / "vorsa.wav");
    // The device keeps the show's own name.
    ASSERT_FALSE(platform::mediaCommandLog().empty());
    EXPECT_EQ(platform::mediaCommandLog()[0], "Open data\\vorsa.wav");
    closeMusic();
}

TEST_F(DataLocation, NamesTheOnePlaceGivenWhenItHoldsNothing) {
    fs::create_directories(dir / "mati");
    fs::create_directories(dir / "vorsa.wav");  // a directory of the soundtrack's name is no file
    std::FILE* report = std::tmpfile();
    EXPECT_FALSE(chooseDataDirectory(dir.string(), report));
    EXPECT_EQ(readAll(report), "lumivane: no data set in " + dir.string() + " (--data DIR names another place)\n  " +
                                   dir.string() + ": holds neither the soundtrack nor any of the model files\n");
    std::fclose(report);
    // The files are still looked for there, so each is reported missing rather than read from
    // somewhere else.
    EXPECT_EQ(platform::dataDirectory(), dir.string());
}

TEST_F(DataLocation, ASetOfZippedModelsAloneIsADataSet) {
    std::ofstream(dir / "sky.mqoz") << "PK";
    std::FILE* report = std::tmpfile();
    EXPECT_TRUE(chooseDataDirectory(dir.string(), report));
    EXPECT_EQ(readAll(report), "");
    std::fclose(report);
    fs::remove(dir / "sky.mqoz");
    report = std::tmpfile();
    EXPECT_FALSE(chooseDataDirectory(dir.string(), report));
    EXPECT_NE(readAll(report), "");
    std::fclose(report);
}
