// The media-command interpreter over SDL audio (dummy driver): opening, playing, stopping,
// rewinding and closing a WAV file, and silence for everything that cannot play.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <SDL.h>

#include "platform/media.h"

namespace {

// Two seconds of 16-bit stereo silence at 8 kHz, written as a plain RIFF/WAVE file.
std::string writeWav(const std::filesystem::path& dir) {
    const uint32_t rate = 8000, frames = rate * 2, dataBytes = frames * 4;
    std::vector<uint8_t> bytes;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i))); };
    auto put16 = [&](uint16_t v) { bytes.push_back(v & 0xff); bytes.push_back(v >> 8); };
    auto tag = [&](const char* t) { bytes.insert(bytes.end(), t, t + 4); };
    tag("RIFF"); put32(36 + dataBytes); tag("WAVE");
    tag("fmt "); put32(16); put16(1); put16(2); put32(rate); put32(rate * 4); put16(4); put16(16);
    tag("data"); put32(dataBytes);
    bytes.resize(bytes.size() + dataBytes, 0);
    const auto path = dir / "tone.wav";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path.string();
}

class MediaTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() / ("lumivane-media-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        file = writeWav(dir);
        platform::setAudioEnabled(true);
        platform::clearMediaCommandLog();
    }
    void TearDown() override {
        platform::sendMediaCommand(("Close " + file).c_str());
        std::filesystem::remove_all(dir);
    }
    void send(const std::string& command) { platform::sendMediaCommand(command.c_str()); }
    std::filesystem::path dir;
    std::string file;
};

}  // namespace

TEST_F(MediaTest, OpenPlayStopSeekClose) {
    send("Open " + file);
    ASSERT_GE(platform::mediaPositionMs(), 0) << "the file opened on the dummy device";
    EXPECT_FALSE(platform::mediaPlaying());
    send("Play " + file);
    EXPECT_TRUE(platform::mediaPlaying());
    send("Stop " + file);
    EXPECT_FALSE(platform::mediaPlaying());
    send("Play " + file + " from 1500");
    EXPECT_GE(platform::mediaPositionMs(), 1500);
    send("Stop " + file);
    send("Seek " + file + " to start");
    EXPECT_EQ(platform::mediaPositionMs(), 0);
    send("Close " + file);
    EXPECT_EQ(platform::mediaPositionMs(), -1);
    ASSERT_EQ(platform::mediaCommandLog().size(), 7u);
    EXPECT_EQ(platform::mediaCommandLog()[0], "Open " + file);
}

TEST_F(MediaTest, PauseHoldsThePositionAndResumePlaysOnFromIt) {
    send("Open " + file);
    send("Play " + file + " from 500");
    send("Pause " + file);
    EXPECT_FALSE(platform::mediaPlaying());
    const double held = platform::mediaPositionMs();
    EXPECT_GE(held, 500);
    SDL_Delay(150);
    EXPECT_EQ(platform::mediaPositionMs(), held) << "nothing is fed while paused";
    send("Resume " + file);
    EXPECT_TRUE(platform::mediaPlaying());
    for (int i = 0; i < 100 && platform::mediaPositionMs() == held; ++i) SDL_Delay(10);
    EXPECT_GT(platform::mediaPositionMs(), held) << "playback goes on from the held place";
    EXPECT_LT(platform::mediaPositionMs(), held + 1000);
    send("Pause other.wav");
    EXPECT_TRUE(platform::mediaPlaying()) << "another device's pause is not ours";
}

TEST_F(MediaTest, PlayingPastTheEndClampsAndCommandsForOtherDevicesAreIgnored) {
    send("Open " + file);
    send("Play " + file + " from 999999");
    EXPECT_NEAR(platform::mediaPositionMs(), 2000, 1);
    send("Stop other.wav");
    EXPECT_TRUE(platform::mediaPlaying());
    send("Close other.wav");
    EXPECT_GE(platform::mediaPositionMs(), 0);
}

TEST_F(MediaTest, MissingOrBrokenFilesAndNonsensePlaySilently) {
    send("Open " + (dir / "missing.wav").string());
    send("Play " + (dir / "missing.wav").string());
    EXPECT_FALSE(platform::mediaPlaying());
    EXPECT_EQ(platform::mediaPositionMs(), -1);

    const auto broken = dir / "broken.wav";
    std::FILE* f = std::fopen(broken.c_str(), "wb");
    std::fputs("RIFF\x10\0\0\0WAVEjunk", f);
    std::fclose(f);
    send("Open " + broken.string());
    send("Play " + broken.string());
    EXPECT_FALSE(platform::mediaPlaying());

    for (const char* nonsense : {"", "Play", "Seek", "Seek x", "Frobnicate x", "Play  from "})
        platform::sendMediaCommand(nonsense);
    platform::sendMediaCommand(nullptr);
    EXPECT_FALSE(platform::mediaPlaying());
}

TEST_F(MediaTest, DisabledAudioOnlyLogs) {
    platform::setAudioEnabled(false);
    send("Open " + file);
    send("Play " + file);
    EXPECT_FALSE(platform::mediaPlaying());
    EXPECT_EQ(platform::mediaCommandLog().size(), 2u);
}
