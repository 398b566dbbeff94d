// Files that appear whole or not at all: the exclusive .part and its rename, a second writer
// refused, a killed writer's leftover taken over; the frame
// directory's lock, its refusal of an earlier run's files and their replacement, and the
// directories it takes away again when nothing was written; the slice kept for the frames written.
// The same on every system (links and named pipes: whole_file_links_test.cpp).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/frame_directory.h"
#include "output/soundtrack_slice.h"
#include "output/whole_file.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("lumivane-whole-file-test-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

}  // namespace

TEST(WholeFile, AppearsUnderItsNameOnlyWhenCommitted) {
    const fs::path dir = scratch("commit");
    const std::string target = (dir / "out.bin").string();
    std::string error;
    output::WholeFile file;
    ASSERT_TRUE(file.create(target, error)) << error;
    std::fputs("whole", file.stream());
    EXPECT_TRUE(fs::exists(target + ".part"));
    EXPECT_FALSE(fs::exists(target));
    ASSERT_TRUE(file.commit(error)) << error;
    EXPECT_EQ(contents(target), "whole");
    EXPECT_FALSE(fs::exists(target + ".part"));
    {
        output::WholeFile abandoned;  // a writer that fails half-way and goes
        ASSERT_TRUE(abandoned.create(target, error)) << error;
        std::fputs("half", abandoned.stream());
    }
    EXPECT_FALSE(fs::exists(target + ".part"));
    EXPECT_EQ(contents(target), "whole");  // the earlier file is untouched
    fs::remove_all(dir);
}

TEST(WholeFile, ASecondWriterIsRefusedAndAKilledWritersLeftoverTakenOver) {
    const fs::path dir = scratch("second");
    const std::string target = (dir / "v.mp4").string();
    std::string error;
    output::WholeFile first, second;
    ASSERT_TRUE(first.create(target, error)) << error;
    std::fputs("first", first.stream());
    std::fflush(first.stream());
    EXPECT_FALSE(second.create(target, error));
    EXPECT_NE(error.find("another run is writing " + target), std::string::npos) << error;
    EXPECT_EQ(contents(target + ".part"), "first");  // the refused writer truncated nothing
    ASSERT_TRUE(first.commit(error)) << error;
    EXPECT_EQ(contents(target), "first");

    // A .part nobody holds is what a killed run left behind.
    writeText(target + ".part", "leftover");
    output::WholeFile third;
    ASSERT_TRUE(third.create(target, error)) << error;
    std::fputs("third", third.stream());
    ASSERT_TRUE(third.commit(error)) << error;
    EXPECT_EQ(contents(target), "third");
    fs::remove_all(dir);
}

TEST(WholeFile, TargetsThatCannotBeWrittenAreToldBeforehand) {
    const fs::path dir = scratch("targets");
    std::string error;
    EXPECT_TRUE(output::checkOutputTarget((dir / "fine.mp4").string(), error)) << error;
    fs::create_directory(dir / "x.mp4");
    EXPECT_FALSE(output::checkOutputTarget((dir / "x.mp4").string(), error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    // 251 + ".mp4" is a name the file system takes; with ".part" it is too long.
    const std::string longName = std::string(251, 'n') + ".mp4";
    EXPECT_FALSE(output::checkOutputTarget((dir / longName).string(), error));
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    EXPECT_TRUE(output::checkOutputTarget((dir / (std::string(246, 'n') + ".mp4")).string(), error)) << error;
    EXPECT_FALSE(output::checkOutputTarget((dir / "missing" / "a.mp4").string(), error));
    writeText(dir / "file", "");
    EXPECT_FALSE(output::checkOutputTarget((dir / "file" / "a.mp4").string(), error));
    EXPECT_NE(error.find("not a directory"), std::string::npos) << error;
    fs::remove_all(dir);
}

TEST(FrameDirectory, NamesARunWrites) {
    for (const char* name : {"frame-000000.png", "frame-123456.png", "frame-1234567.png", "soundtrack.wav",
                             "frame-000001.png.part", "soundtrack.wav.part"})
        EXPECT_TRUE(output::FrameDirectory::isRunFile(name)) << name;
    for (const char* name : {"frame-.png", "frame-12a.png", "frame-000001.jpg", "frame-000001.png.bak", "notes.txt",
                             "soundtrack.wav.bak", ".part", "Frame-000001.png", "xframe-000001.png"})
        EXPECT_FALSE(output::FrameDirectory::isRunFile(name)) << name;
    char name[32];
    output::FrameDirectory::frameName(42, name);
    EXPECT_STREQ(name, "frame-000042.png");
}

TEST(FrameDirectory, MadeWhenMissingAndTakenAwayWhenNothingWasWritten) {
    const fs::path root = scratch("made");
    const fs::path dir = root / "a" / "b" / "c";
    std::string error;
    {
        output::FrameDirectory frames;
        ASSERT_TRUE(frames.open(dir.string() + "/", false, error)) << error;
        EXPECT_TRUE(fs::is_directory(dir));
        frames.close(false);
    }
    EXPECT_FALSE(fs::exists(root / "a"));  // every level it made, and no more
    EXPECT_TRUE(fs::exists(root));
    {
        output::FrameDirectory frames;
        ASSERT_TRUE(frames.open(dir.string(), false, error)) << error;
        ASSERT_TRUE(frames.writeFile("frame-000000.png", [](std::FILE* f) { return std::fputs("png", f) >= 0; }, error))
            << error;
        frames.close(true);
    }
    EXPECT_EQ(contents(dir / "frame-000000.png"), "png");
    writeText(root / "plain", "");
    output::FrameDirectory underFile;
    EXPECT_FALSE(underFile.open((root / "plain" / "frames").string(), false, error));
    EXPECT_NE(error.find("cannot create directory"), std::string::npos) << error;
    EXPECT_FALSE(underFile.open(std::string(300, 'd'), false, error));  // too long a name: a message, no throw
    EXPECT_NE(error.find("too long"), std::string::npos) << error;
    fs::remove_all(root);
}

TEST(FrameDirectory, OneRunAtATimeAndAnEarlierRunsFilesOnlyWhenReplaced) {
    const fs::path dir = scratch("runs");
    std::string error;
    auto write = [](const char* text) { return [text](std::FILE* f) { return std::fputs(text, f) >= 0; }; };
    {
        output::FrameDirectory first;
        ASSERT_TRUE(first.open(dir.string(), false, error)) << error;
        output::FrameDirectory second;
        EXPECT_FALSE(second.open(dir.string(), true, error));  // not even to replace
        EXPECT_NE(error.find("another run is writing frames into"), std::string::npos) << error;
        for (const char* name : {"frame-000000.png", "frame-000001.png", "soundtrack.wav"})
            ASSERT_TRUE(first.writeFile(name, write("old"), error)) << error;
        first.close(true);
    }
    writeText(dir / "frame-000002.png.part", "killed");
    writeText(dir / "notes.txt", "mine");
    output::FrameDirectory refused;
    EXPECT_FALSE(refused.open(dir.string(), false, error));
    EXPECT_NE(error.find("4 files of an earlier run (frame-000000.png ... soundtrack.wav)"), std::string::npos)
        << error;
    EXPECT_NE(error.find("--force"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(dir / "frame-000001.png"));
    output::FrameDirectory replacing;
    ASSERT_TRUE(replacing.open(dir.string(), true, error)) << error;
    ASSERT_TRUE(replacing.writeFile("frame-000000.png", write("new"), error)) << error;
    replacing.close(true);
    EXPECT_EQ(contents(dir / "frame-000000.png"), "new");
    for (const char* gone : {"frame-000001.png", "soundtrack.wav", "frame-000002.png.part"})
        EXPECT_FALSE(fs::exists(dir / gone)) << gone;
    EXPECT_EQ(contents(dir / "notes.txt"), "mine");
    fs::remove_all(dir);
}

TEST(FrameDirectory, AFileThatCannotBeWrittenLeavesNothing) {
    const fs::path dir = scratch("fails");
    std::string error;
    output::FrameDirectory frames;
    ASSERT_TRUE(frames.open(dir.string(), false, error)) << error;
    EXPECT_FALSE(frames.writeFile("frame-000000.png", [](std::FILE* f) {
        std::fputs("half", f);
        return false;
    }, error));
    EXPECT_NE(error.find("frame-000000.png.part"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir));
    frames.close(false);
    fs::remove_all(dir);
}

TEST(SoundtrackSlice, KeepsTheSoundOfTheFramesWritten) {
    platform::PcmSound slice;
    slice.rate = 44100;
    slice.channels = 2;
    slice.bytes.assign(44100 * 4 * 3, 1);  // 3 s from 40000 ms
    // 7 frames at 30 fps from 40000 ms: samples round(40233.33 * 44.1) - round(40000 * 44.1).
    platform::PcmSound kept = slice;
    output::keepFrames(kept, 40000, 7, 30);
    EXPECT_EQ(kept.frames(), 1774290u - 1764000u);
    platform::PcmSound all = slice;
    output::keepFrames(all, 40000, 1000, 30);  // more frames than sound: all of it
    EXPECT_EQ(all.frames(), 44100u * 3);
    platform::PcmSound none = slice;
    output::keepFrames(none, 40000, 0, 30);
    EXPECT_EQ(none.frames(), 0u);
}
