// Output files and links or named pipes in their place: a .part that is a link is refused, a final
// name that is a link is replaced rather than written through, and a named pipe is never taken for
// a file to write.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "output/whole_file.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch(const char* name) {
    fs::path dir = fs::temp_directory_path() / ("lumivane-whole-file-links-test-" + std::to_string(::getpid()) + "-" + name);
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

TEST(WholeFile, NeverWritesThroughALinkItDidNotMake) {
    const fs::path dir = scratch("links");
    const fs::path victim = dir / "victim.txt";
    writeText(victim, "keep");
    std::string error;
    // A link as the .part: refused.
    fs::create_symlink(victim, dir / "a.wav.part");
    output::WholeFile viaPart;
    EXPECT_FALSE(viaPart.create((dir / "a.wav").string(), error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "a.wav.part"));
    // A link as the final name: replaced, not followed.
    fs::create_symlink(victim, dir / "b.wav");
    output::WholeFile overLink;
    ASSERT_TRUE(overLink.create((dir / "b.wav").string(), error)) << error;
    std::fputs("new", overLink.stream());
    ASSERT_TRUE(overLink.commit(error)) << error;
    EXPECT_FALSE(fs::is_symlink(dir / "b.wav"));
    EXPECT_EQ(contents(dir / "b.wav"), "new");
    EXPECT_EQ(contents(victim), "keep");
    // Another kind of file as the .part: refused, left alone.
    ASSERT_EQ(mkfifo((dir / "c.wav.part").c_str(), 0600), 0);
    output::WholeFile overFifo;
    EXPECT_FALSE(overFifo.create((dir / "c.wav").string(), error));
    EXPECT_TRUE(fs::is_fifo(dir / "c.wav.part"));
    fs::remove_all(dir);
}

TEST(WholeFile, ANamedPipeIsNoTarget) {
    const fs::path dir = scratch("pipes");
    std::string error;
    ASSERT_EQ(mkfifo((dir / "pipe.mp4").c_str(), 0600), 0);
    EXPECT_FALSE(output::checkOutputTarget((dir / "pipe.mp4").string(), error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    fs::remove_all(dir);
}
