// The show's random sequence is the design platform's C library generator, whatever the host's.
#include <gtest/gtest.h>

#include <vector>

#include "app/demo_random.h"

// The first ten values the design platform's rand gives after srand(1), as its library prints them.
TEST(DemoRandom, DrawsTheDesignPlatformsSequence) {
    const int afterOne[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    demoSeed(1);
    for (int expected : afterOne) EXPECT_EQ(demoRand(), expected);
}

TEST(DemoRandom, StaysInRangeAndRestartsFromTheSeed) {
    demoSeed(0xFFFFFFFFu);  // the largest seed wraps around in the step without harm
    std::vector<int> first;
    for (int i = 0; i < 100000; ++i) {
        const int v = demoRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, kDemoRandMax);
        if (i < 16) first.push_back(v);
    }
    demoSeed(0xFFFFFFFFu);
    for (int expected : first) EXPECT_EQ(demoRand(), expected);
}

TEST(DemoRandom, CountsEveryDraw) {
    const uint64_t before = demoRandCount();
    for (int i = 0; i < 7; ++i) demoRand();
    demoSeed(3);  // seeding draws nothing
    EXPECT_EQ(demoRandCount() - before, 7u);
}
