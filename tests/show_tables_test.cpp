// The show's fixed tables, checked against their values typed here as literals (never read from
// the code): the city camera path, the word cells and title windows of the reel scene, the credits
// plate, the schedule with its stored reciprocals, the first display words and the flashes.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/frame_driver.h"
#include "demo/scene_finale.h"
#include "demo/scene_sky_city.h"
#include "demo/scene_word_reels.h"
#include "demo/timeline.h"
#include "show_frame.h"

namespace {

const double kExpectedPath[78][3] = {
    {50.2769, 115.8693, 28.4991},  // 0
    {73.8028, 115.8693, 28.0267},  // 1
    {100.4467, 115.8693, 27.8377},  // 2
    {124.1617, 115.8693, 27.6488},  // 3
    {151.3725, 115.8693, 27.6488},  // 4
    {178.5833, 115.8693, 27.7432},  // 5
    {206.0699, 115.8693, 27.5732},  // 6
    {230.2573, 115.8693, 27.5732},  // 7
    {255.4122, 115.8693, 28.7825},  // 8
    {291.2369, 115.8286, 43.9619},  // 9
    {317.8879, 112.4387, 63.2713},  // 10
    {335.0373, 106.3826, 82.6983},  // 11
    {350.1166, 98.6465, 101.7972},  // 12
    {360.1221, 89.3119, 116.7304},  // 13
    {370.3407, 64.8035, 131.0211},  // 14
    {374.2042, 15.3279, 137.3461},  // 15
    {370.2947, -10.1263, 132.3578},  // 16
    {362.5999, -34.9552, 123.3330},  // 17
    {356.4424, -48.3046, 113.8412},  // 18
    {346.5295, -61.4395, 104.4311},  // 19
    {339.0449, -71.2828, 94.0955},  // 20
    {330.9581, -78.0994, 83.6787},  // 21
    {321.3211, -83.0525, 72.4856},  // 22
    {310.0327, -85.6571, 59.6729},  // 23
    {297.1832, -83.9388, 45.1842},  // 24
    {282.7824, -78.3185, 26.3450},  // 25
    {269.9824, -69.8510, 10.0370},  // 26
    {261.2726, -52.2616, 2.1998},  // 27
    {246.5590, -32.8335, -11.1485},  // 28
    {232.5325, -16.6770, -25.0383},  // 29
    {215.8868, -12.2314, -42.9459},  // 30
    {186.5186, -23.2572, -67.7748},  // 31
    {169.5367, -41.9610, -88.1129},  // 32
    {151.3074, -54.8072, -104.2302},  // 33
    {131.0031, -54.9250, -117.7918},  // 34
    {95.2121, -55.0279, -127.7762},  // 35
    {60.9860, -54.5353, -123.7791},  // 36
    {30.4743, -53.2853, -107.4674},  // 37
    {-2.7541, -63.5311, -73.0451},  // 38
    {-14.4717, -70.8647, -47.0028},  // 39
    {-27.3168, -78.8412, -15.9461},  // 40
    {-39.9373, -79.3216, 7.6516},  // 41
    {-53.8593, -76.6890, 21.0311},  // 42
    {-71.7402, -75.9850, 29.8814},  // 43
    {-97.1298, -76.7226, 30.0055},  // 44
    {-133.6372, -74.1634, 27.3123},  // 45
    {-163.9743, -74.6822, 26.8077},  // 46
    {-207.3008, -75.1626, 24.8598},  // 47
    {-237.6361, -74.4236, 24.1789},  // 48
    {-276.2310, -74.2709, 23.0929},  // 49
    {-309.5006, -76.4933, 19.2708},  // 50
    {-340.2693, -78.8475, 19.1794},  // 51
    {-375.4474, -76.5620, 18.7087},  // 52
    {-396.1577, -63.1078, 16.8888},  // 53
    {-403.8675, -47.3861, 16.9847},  // 54
    {-403.8677, -28.0173, 16.2993},  // 55
    {-403.8676, -5.0394, 16.0718},  // 56
    {-403.8675, 21.4154, 15.8228},  // 57
    {-403.8674, 47.5680, 15.5880},  // 58
    {-403.8674, 72.6623, 15.3318},  // 59
    {-403.8243, 99.8125, 14.5991},  // 60
    {-401.7300, 123.0972, 13.8427},  // 61
    {-399.0089, 140.3307, 12.3495},  // 62
    {-394.3227, 149.2498, 10.6118},  // 63
    {-385.7059, 157.2618, 9.1960},  // 64
    {-373.3975, 160.4417, 10.5651},  // 65
    {-357.7984, 161.4095, 13.8425},  // 66
    {-328.1781, 146.5645, 13.8949},  // 67
    {-301.1043, 132.5793, 17.7138},  // 68
    {-272.5476, 123.6808, 20.9229},  // 69
    {-242.4051, 122.6724, 20.7312},  // 70
    {-214.2625, 120.9223, 21.3173},  // 71
    {-185.6392, 120.9102, 20.8410},  // 72
    {-158.1140, 121.0409, 19.6039},  // 73
    {-125.1974, 121.3724, 19.9247},  // 74
    {-78.4566, 121.2506, 20.5199},  // 75
    {-41.7188, 120.5654, 20.9179},  // 76
    {-3.4391, 120.9585, 20.6766},  // 77
};

const char* const kExpectedCells[48] = {
    "This_", "_demo", "_made", "_by__", "Gfx_:", "Gfx_:", "Gfx_:", "Gfx_:",  // 0..7
    "Gfx_:", "_and_", "Code:", "Code:", "Code:", "Code:", "Code:", "Code:",  // 8..15
    "_____", "A____", "_Demo", "Make_", "__you", "Happy", "!!!!!", "_and_",  // 16..23
    "Open_", "_your", "Mind!", "Yeah!", "_____", "Music", "Music", "Music",  // 24..31
    "Music", "Music", "Music", "Music", "_____", ">2003", "Qell_", "_demo",  // 32..39
    "Pilt_", "_Ver.", "Thanx", "for__", "__you", "It's_", "Ready", "GO!!!",  // 40..47
};

}  // namespace

TEST(ShowTables, CityCameraPath) {
    ASSERT_EQ(kCityPathPoints, 78);
    for (int i = 0; i < 78; ++i)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(kCityPath[i][c], kExpectedPath[i][c]) << "point " << i << " axis " << c;
}

TEST(ShowTables, WordCellsAndTitleWindows) {
    ASSERT_EQ(kWordCellCount, 48);
    for (int i = 0; i < 48; ++i) EXPECT_STREQ(kWordCells[i], kExpectedCells[i]) << "window " << i;

    ASSERT_EQ(kTitleWindowCount, 3);
    const struct {
        const char* word;
        double start, end;
    } expected[3] = {{"Gfx", 0.1, 0.15}, {"Code", 0.25, 0.3}, {"Music", 0.68, 0.73}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(kTitleWindows[i].word, expected[i].word) << i;
        EXPECT_EQ(kTitleWindows[i].start, expected[i].start) << i;
        EXPECT_EQ(kTitleWindows[i].end, expected[i].end) << i;
    }
}

TEST(ShowTables, CreditsPlate) {
    const CreditLine expected[4] = {
        {"Velkor", 3, -3, -10, 0.3, 1, 0.3},
        {"Consists of", 3, -4, -10, 0.9, 0.9, 0.9},
        {"Tamsel", 1.4, -5, -10, 0.5, 0.5, 1},
        {"Zefra", 4.9, -5, -10, 1, 0.7, 0.7},
    };
    ASSERT_EQ(kCreditLineCount, 4);
    for (int i = 0; i < 4; ++i) {
        const CreditLine& line = kCreditsPlate[i];
        EXPECT_STREQ(line.text, expected[i].text) << i;
        EXPECT_EQ(line.x, expected[i].x) << i;
        EXPECT_EQ(line.y, expected[i].y) << i;
        EXPECT_EQ(line.z, expected[i].z) << i;
        EXPECT_EQ(line.red, expected[i].red) << i;
        EXPECT_EQ(line.green, expected[i].green) << i;
        EXPECT_EQ(line.blue, expected[i].blue) << i;
    }
}

TEST(ShowTables, ScheduleWithStoredReciprocals) {
    // Start, end and 1 / length of scenes 1 to 12, as the show stores them.
    const double expected[12][3] = {
        {0, 16842.85714285714, 5.9372349448685334e-05},
        {16842.85714285714, 30428.571428571428, 7.360672975814931e-05},
        {30428.571428571428, 66428.57142857142, 2.7777777777777782e-05},
        {66428.57142857142, 80142.85714285714, 7.29166666666666e-05},
        {80142.85714285714, 94285.71428571428, 7.070707070707077e-05},
        {94285.71428571428, 95785.71428571428, 0.0006666666666666666},
        {95785.71428571428, 123000, 3.674540682414697e-05},
        {123000, 150342.85714285713, 3.657262277951935e-05},
        {150342.85714285713, 178285.7142857143, 3.578732106339466e-05},
        {178285.7142857143, 205285.7142857143, 3.7037037037037037e-05},
        {205285.7142857143, 206571.42857142855, 0.0007777777777777929},
        {206571.42857142855, 210857.14285714284, 0},  // no progress
    };
    for (int k = 1; k <= 12; ++k) {
        const SceneSlot& s = kSchedule[k - 1];
        EXPECT_EQ(s.start, expected[k - 1][0]) << "scene " << k;
        EXPECT_EQ(s.end, expected[k - 1][1]) << "scene " << k;
        EXPECT_EQ(kSceneEnds[k - 1], expected[k - 1][1]) << "scene " << k;
        if (k <= 11) {
            EXPECT_EQ(s.inverseLength, expected[k - 1][2]) << "scene " << k;
        }
    }
    EXPECT_EQ(kShowEnd, 210857.14285714284);
    // The reciprocal is multiplied, not divided by: the 40000 ms frame of scene 3.
    EXPECT_EQ(sceneProgress(3, 40000), (40000 - 30428.571428571428) * 2.7777777777777782e-05);
    EXPECT_EQ(sceneProgress(11, 206000), (206000 - 205285.7142857143) * 0.0007777777777777929);
}

TEST(ShowTables, FlashWindowsAndValues) {
    const double pi = 3.1415920000000006, halfPi = 1.5707960000000003;
    // Window bounds.
    EXPECT_EQ(kWordReelFlashEnd, 0.005);
    EXPECT_EQ(kSkyTubeFlashEnd, 0.02);
    EXPECT_EQ(kSkyDomeFlashEnd, 0.05);
    EXPECT_EQ(kSpinZoomFlashStart, 0.9);
    EXPECT_EQ(kCityFlashStart, 0.9);
    EXPECT_EQ(kLightCoreFlashEnd, 0.01);
    EXPECT_EQ(kSkyDomeTrailEnd, 0.99);
    // Values across each window (and, for the fall-off, a little beyond).
    for (double s : {0.0, 0.13, 0.5, 0.77, 1.0}) {
        double u = 0.005 * s;
        EXPECT_DOUBLE_EQ(wordReelFlash(u), std::sin(u * 200 * pi)) << u;
        u = 0.02 * s;
        EXPECT_DOUBLE_EQ(skyTubeFlash(u), std::sin(u * 50 * pi)) << u;
        u = 0.05 * s;  // p, the progress within the half
        EXPECT_DOUBLE_EQ(skyDomeFlash(u), std::sin(u * 20 * pi)) << u;
        u = 0.9 + 0.1 * s;
        EXPECT_DOUBLE_EQ(spinZoomFlash(u), std::sin((u - 0.9) * 10 * pi)) << u;
        EXPECT_DOUBLE_EQ(cityFlash(u), std::sin((u - 0.9) * 10 * halfPi)) << u;
        u = 0.01 * s;
        EXPECT_DOUBLE_EQ(lightCoreFlash(u), 1 - std::sin(u * 100 * halfPi)) << u;
    }
    // Landmarks: full at the middle of the sine windows, at the start of scene 8's.
    EXPECT_NEAR(wordReelFlash(0.0025), 1.0, 1e-9);
    EXPECT_NEAR(skyTubeFlash(0.01), 1.0, 1e-9);
    EXPECT_NEAR(spinZoomFlash(0.95), 1.0, 1e-9);
    EXPECT_NEAR(cityFlash(1.0), 1.0, 1e-9);
    EXPECT_EQ(lightCoreFlash(0.0), 1.0);
    EXPECT_NEAR(lightCoreFlash(0.01), 0.0, 1e-9);
}

class ShowTablesDisplayWords : public ShowFrameTest {};

TEST_F(ShowTablesDisplayWords, FirstSixTexts) {
    const char* const expected[6] = {"Qell 2003", "presented", "by", "Velkor", "Coder Tamsel",
                                     "Composer Zefra"};
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(demoAssets.displayWords[i].text, expected[i]) << i;
    for (int i = 0; i < kDisplayWordCount; ++i) {
        EXPECT_GT(std::string(demoAssets.displayWords[i].text).size(), 0u) << i;
        EXPECT_EQ(demoAssets.displayWords[i].spinX, 0) << i;
        EXPECT_EQ(demoAssets.displayWords[i].spinY, 0) << i;
        EXPECT_EQ(demoAssets.displayWords[i].spinZ, 0) << i;
    }
}
