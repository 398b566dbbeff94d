// A headless 800x600 GL context shared by every test of one test program.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

class GLTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();  // creates the context once per program
    void SetUp() override;         // resets the GL state the tests rely on
    // RGBA of the pixel at (x, y), y counted from the bottom as GL does.
    static std::vector<uint8_t> pixel(int x, int y);
    // The whole 800x600 frame as RGBA, bottom row first.
    static std::vector<uint8_t> frame();
    static uint32_t glErrors();  // drains and counts GL errors
};
