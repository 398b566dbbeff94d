// The platform layer: paths, message boxes, the headless context.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gl_fixture.h"
#include "platform/files.h"
#include "platform/message_box.h"

TEST(Files, BackslashPathsMapToTheHostSeparator) {
    EXPECT_EQ(platform::hostPath("data\\mati\\f0.mqo"), "data/mati/f0.mqo");
    EXPECT_EQ(platform::hostPath("plain.wav"), "plain.wav");
    EXPECT_EQ(platform::openFile("no\\such\\file.mqo", "rb"), nullptr);
    EXPECT_EQ(platform::openFile(nullptr, "rb"), nullptr);
}

TEST(Files, ShowDataPathsLeadIntoTheChosenDataDirectory) {
    const auto dir = std::filesystem::temp_directory_path() / ("lumivane-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "mati");
    std::ofstream(dir / "mati" / "t.bmp") << "x";
    platform::setDataDirectory(dir.string());
    // Compared as paths: on Windows either slash separates.
    EXPECT_EQ(std::filesystem::path(platform::hostPath("data\\mati\\t.bmp")), dir / "mati" / "t.bmp");
    EXPECT_EQ(std::filesystem::path(platform::hostPath("data\\vorsa.wav")), dir / "vorsa.wav");
    // Only the show's data directory moves: other paths, and host paths typed with slashes, stay.
    EXPECT_EQ(platform::hostPath("other\\data\\x.mqo"), "other/data/x.mqo");
    EXPECT_EQ(platform::hostPath("data/x.mqo"), "data/x.mqo");
    EXPECT_EQ(platform::hostPath("database\\x.mqo"), "database/x.mqo");
    std::FILE* file = platform::openFile("data\\mati\\t.bmp", "rb");
    EXPECT_NE(file, nullptr);
    if (file) std::fclose(file);
    platform::setDataDirectory("");
    EXPECT_EQ(platform::hostPath("data\\mati\\t.bmp"), "data/mati/t.bmp");
    std::filesystem::remove_all(dir);
}

// Paths are UTF-8 text; a name in another code page (a model file's texture name in Shift-JIS)
// is looked for without failing and found only where the system names files in bytes.
TEST(Files, PathsAreUtf8AndOtherBytesNameNoFileWithoutThrowing) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("lumivane-utf8-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string japanese = platform::utf8Text(dir) + "/\xE3\x83\x86\xE3\x82\xAF\xE3\x82\xB9.bmp";  // テクス
    std::ofstream(platform::hostFsPath(japanese)) << "x";
    EXPECT_TRUE(fs::is_regular_file(dir / fs::path(u8"テクス.bmp")));
    EXPECT_EQ(platform::utf8Text(platform::hostFsPath(japanese)), japanese);
    std::FILE* file = platform::openHostFile(japanese, "rb");
    EXPECT_NE(file, nullptr);
    if (file) std::fclose(file);
    const std::string cp932 = platform::utf8Text(dir) + "/\x83\x65\x83\x4E\x83\x58.bmp";  // テクス in code page 932
    std::error_code error;
    EXPECT_NO_THROW(EXPECT_FALSE(fs::exists(platform::hostFsPath(cp932), error)));
    EXPECT_EQ(platform::openHostFile(cp932, "rb"), nullptr);
    fs::remove_all(dir);
}

TEST(Files, TheFirstPlaceHoldingAnyShowFileWins) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / ("lumivane-places-" + std::to_string(::getpid()));
    fs::create_directories(base / "empty");
    fs::create_directories(base / "models" / "mati");
    fs::create_directories(base / "music");
    std::ofstream(base / "models" / "mati" / "f0.mqo") << "x";
    std::ofstream(base / "music" / "vorsa.wav") << "x";
    const std::vector<const char*> files = {"data\\vorsa.wav", "data\\sky.mqo", "data\\mati\\f0.mqo"};
    auto place = [&](const char* name) { return (base / name).string(); };

    auto search = platform::findDataDirectory({place("empty"), place("models"), place("music")}, files, nullptr);
    EXPECT_TRUE(search.found);
    EXPECT_EQ(search.directory, place("models"));
    EXPECT_EQ(search.looked, (std::vector<std::string>{place("empty"), place("models")}));

    search = platform::findDataDirectory({place("empty"), place("nothing")}, files, nullptr);
    EXPECT_FALSE(search.found);
    EXPECT_EQ(search.directory, "");  // the show's own data/ below the working directory
    EXPECT_EQ(search.looked, (std::vector<std::string>{place("empty"), place("nothing")}));

    // ./data, when it holds the set, is used as the show names it: relative to the working
    // directory (the tests run in the build directory, where the stand-in set lies).
    search = platform::findDataDirectory({"data", place("music")}, files, nullptr);
    EXPECT_TRUE(search.found);
    EXPECT_EQ(search.directory, "");
    EXPECT_EQ(search.looked, (std::vector<std::string>{(fs::current_path() / "data").string()}));
    fs::remove_all(base);
}

TEST(Files, DataPlacesAreWorkingDirectoryBesideTheProgramAndInstalled) {
    namespace fs = std::filesystem;
    const fs::path program = fs::canonical("/proc/self/exe").parent_path();
    EXPECT_EQ(platform::executableDirectory(), program.string());
    // A program in <prefix>/bin finds <prefix>/share/lumivane/data.
    EXPECT_EQ(platform::dataDirectoryPlaces(nullptr),
              (std::vector<std::string>{"data", (program / "data").string(),
                                        (program.parent_path() / "share" / "lumivane" / "data").string()}));
    EXPECT_EQ(platform::dataDirectoryPlaces("/my/set"), std::vector<std::string>{"/my/set"});
}

TEST(MessageBoxes, RecorderTakesBoxesInOrderAndNests) {
    platform::MessageRecorder outer;
    platform::messageBox("one", "error");
    {
        platform::MessageRecorder inner;
        platform::messageBox("two", "エラー");
        ASSERT_EQ(inner.messages().size(), 1u);
        EXPECT_EQ(inner.messages()[0].caption, "エラー");
    }
    platform::messageBox("three", "Message");
    ASSERT_EQ(outer.messages().size(), 2u);
    EXPECT_EQ(outer.messages()[0].text, "one");
    EXPECT_EQ(outer.messages()[1].text, "three");
}

TEST_F(GLTest, HeadlessContextDrawsAndReadsBack) {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    auto p = pixel(400, 300);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(p[1], 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
}
