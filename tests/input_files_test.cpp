// Files the user's data names: which can be read as data, and the reason given for the others.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/input_files.h"

namespace fs = std::filesystem;

TEST(InputFiles, OnlyARegularFileThatOpensIsData) {
    const fs::path dir = fs::temp_directory_path() / "lumivane-input-files-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "plain.bmp") << "x";
    fs::create_symlink(dir / "plain.bmp", dir / "link.bmp");
    fs::create_symlink(dir / "loop.bmp", dir / "loop.bmp");
    fs::create_symlink(dir / "absent.bmp", dir / "dangling.bmp");
    EXPECT_EQ(platform::unusableFileReason((dir / "plain.bmp").string()), "");
    EXPECT_EQ(platform::unusableFileReason((dir / "link.bmp").string()), "");  // links are followed
    EXPECT_EQ(platform::unusableFileReason((dir / "absent.bmp").string()), "No such file or directory");
    EXPECT_EQ(platform::unusableFileReason((dir / "dangling.bmp").string()), "No such file or directory");
    EXPECT_EQ(platform::unusableFileReason((dir / "loop.bmp").string()), "Too many levels of symbolic links");
    EXPECT_EQ(platform::unusableFileReason(dir.string()), "not a regular file (a directory)");
    EXPECT_EQ(platform::unusableFileReason("/dev/null"), "not a regular file (a character device)");
    EXPECT_EQ(platform::unusableFileReason((dir / "plain.bmp" / "x").string()), "Not a directory");
    EXPECT_EQ(platform::unusableFileReason((dir / std::string(300, 'n')).string()), "File name too long");
    fs::remove_all(dir);
}

TEST(InputFiles, TheLineNamesTheAbsolutePathAndTheReason) {
    testing::internal::CaptureStderr();
    platform::reportFileProblem("data/../data/cloud.mqo", "No such file or directory");
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_EQ(line, "  " + (fs::current_path() / "data" / "cloud.mqo").string() + ": No such file or directory\n");
}
