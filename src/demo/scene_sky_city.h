// The maths of the sky and city scenes (4 to 7): turns, the folded progress of the sky dome, the
// spinning zoom's rectangle, the flash strengths and the city camera path. Pure functions, so that
// the scenes' pictures can be checked number by number.
#pragma once
#include <algorithm>  // std::clamp, std::min
#include <cmath>      // sin, sqrt, trunc

#include "demo/timeline.h"
#include "render/draw_variants.h"

// A rectangle of the screen in whole pixels, top-left origin, as drawOverlay takes it.
struct ScreenRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// Camera turn of the sky tube at progress u, in degrees: Ry about Y first, then Rx about X.
struct SkyTubeTurn {
    double ry = 0, rx = 0;
};
inline SkyTubeTurn skyTubeTurn(double u) {
    const double a = u * u;
    return {180 * std::sin(2 * kPi * a), 30 * std::sin(4 * kPi * a)};
}
// Progress between the trail copies of the sky tube's and the sky dome's swarms and of the city
// fly-by; the fly-by has trails in the first half of the city flight only (u <= 0.5).
inline constexpr double kSkyTubeTrailStep = 0.01;
inline constexpr double kSkyDomeTrailStep = 0.01;
inline constexpr double kCityTrailStep = 0.05;
inline bool cityFlightHasTrails(double u) { return !(u > 0.5); }

// The sky tube's white flash at progress u; it is shown while u <= 0.02.
inline constexpr double kSkyTubeFlashEnd = 0.02;
inline double skyTubeFlash(double u) { return std::sin(u * 50 * kPi); }

// The sky dome plays twice: progress up to 0.5 inclusive is the first half (turning about +Y),
// the rest the second (turning about -Y). p runs 0..1 in each half; past the end of the scene
// (the spinning zoom draws it there) p goes on past 1 in the second half.
struct SkyDomeFold {
    double p = 0;
    double direction = 1;  // +1 or -1: the Y axis the dome turns about
};
inline SkyDomeFold skyDomeFold(double u) {
    if (u <= 0.5) return {2 * u, 1};
    return {2 * (u - 0.5), -1};
}
// The dome's tilt about X and turn about (0, direction, 0), in degrees, at half progress p.
struct SkyDomeTurn {
    double rx = 0, ry = 0;
};
inline SkyDomeTurn skyDomeTurn(double p) {
    const double s = std::sqrt(p);
    return {10 - 30 * s, 150 * s - 75};
}
inline constexpr double kSkyDomeFlashEnd = 0.05;  // flash while p <= this
inline constexpr double kSkyDomeTrailEnd = 0.99;  // trails while p < this
inline double skyDomeFlash(double p) { return std::sin(p * 20 * kPi); }

// The spinning zoom's picture at progress u: the whole screen grown by trunc(8000u) by
// trunc(6000u) pixels about its centre, the halves rounded toward zero.
inline ScreenRect spinZoomRect(double u) {
    const int a = static_cast<int>(8000 * u);
    const int b = static_cast<int>(6000 * u);
    return {-(a / 2), -(b / 2), kScreenWidth + a, kScreenHeight + b};
}
inline constexpr double kSpinZoomFlashStart = 0.9;  // flash while u >= this
inline double spinZoomFlash(double u) { return std::sin((u - 0.9) * 10 * kPi); }

inline constexpr double kCityFlashStart = 0.9;  // flash while u >= this
inline double cityFlash(double u) { return std::sin((u - 0.9) * 10 * kHalfPi); }

// The city camera path: point i is the eye and point i + 1 the point looked at.
inline constexpr int kCityPathPoints = 78;
inline constexpr double kCityPath[kCityPathPoints][3] = {
    {50.2769, 115.8693, 28.4991},     {73.8028, 115.8693, 28.0267},
    {100.4467, 115.8693, 27.8377},    {124.1617, 115.8693, 27.6488},
    {151.3725, 115.8693, 27.6488},    {178.5833, 115.8693, 27.7432},
    {206.0699, 115.8693, 27.5732},    {230.2573, 115.8693, 27.5732},
    {255.4122, 115.8693, 28.7825},    {291.2369, 115.8286, 43.9619},
    {317.8879, 112.4387, 63.2713},    {335.0373, 106.3826, 82.6983},
    {350.1166, 98.6465, 101.7972},    {360.1221, 89.3119, 116.7304},
    {370.3407, 64.8035, 131.0211},    {374.2042, 15.3279, 137.3461},
    {370.2947, -10.1263, 132.3578},   {362.5999, -34.9552, 123.3330},
    {356.4424, -48.3046, 113.8412},   {346.5295, -61.4395, 104.4311},
    {339.0449, -71.2828, 94.0955},    {330.9581, -78.0994, 83.6787},
    {321.3211, -83.0525, 72.4856},    {310.0327, -85.6571, 59.6729},
    {297.1832, -83.9388, 45.1842},    {282.7824, -78.3185, 26.3450},
    {269.9824, -69.8510, 10.0370},    {261.2726, -52.2616, 2.1998},
    {246.5590, -32.8335, -11.1485},   {232.5325, -16.6770, -25.0383},
    {215.8868, -12.2314, -42.9459},   {186.5186, -23.2572, -67.7748},
    {169.5367, -41.9610, -88.1129},   {151.3074, -54.8072, -104.2302},
    {131.0031, -54.9250, -117.7918},  {95.2121, -55.0279, -127.7762},
    {60.9860, -54.5353, -123.7791},   {30.4743, -53.2853, -107.4674},
    {-2.7541, -63.5311, -73.0451},    {-14.4717, -70.8647, -47.0028},
    {-27.3168, -78.8412, -15.9461},   {-39.9373, -79.3216, 7.6516},
    {-53.8593, -76.6890, 21.0311},    {-71.7402, -75.9850, 29.8814},
    {-97.1298, -76.7226, 30.0055},    {-133.6372, -74.1634, 27.3123},
    {-163.9743, -74.6822, 26.8077},   {-207.3008, -75.1626, 24.8598},
    {-237.6361, -74.4236, 24.1789},   {-276.2310, -74.2709, 23.0929},
    {-309.5006, -76.4933, 19.2708},   {-340.2693, -78.8475, 19.1794},
    {-375.4474, -76.5620, 18.7087},   {-396.1577, -63.1078, 16.8888},
    {-403.8675, -47.3861, 16.9847},   {-403.8677, -28.0173, 16.2993},
    {-403.8676, -5.0394, 16.0718},    {-403.8675, 21.4154, 15.8228},
    {-403.8674, 47.5680, 15.5880},    {-403.8674, 72.6623, 15.3318},
    {-403.8243, 99.8125, 14.5991},    {-401.7300, 123.0972, 13.8427},
    {-399.0089, 140.3307, 12.3495},   {-394.3227, 149.2498, 10.6118},
    {-385.7059, 157.2618, 9.1960},    {-373.3975, 160.4417, 10.5651},
    {-357.7984, 161.4095, 13.8425},   {-328.1781, 146.5645, 13.8949},
    {-301.1043, 132.5793, 17.7138},   {-272.5476, 123.6808, 20.9229},
    {-242.4051, 122.6724, 20.7312},   {-214.2625, 120.9223, 21.3173},
    {-185.6392, 120.9102, 20.8410},   {-158.1140, 121.0409, 19.6039},
    {-125.1974, 121.3724, 19.9247},   {-78.4566, 121.2506, 20.5199},
    {-41.7188, 120.5654, 20.9179},    {-3.4391, 120.9585, 20.6766},
};

// The path camera at v (0..1 over the second half of the city flight; up is +Y): segment
// i = trunc(78v) at fraction f = 78v - i, the eye between points i and i + 1, the centre between
// i + 1 and i + 2. The last two segments would need points past the table, so from v = 76/78 on
// the camera holds the end of the last whole segment (eye on point 76, looking at point 77);
// below v = 0 it holds the start.
inline CameraPose cityPathCamera(double v) {
    constexpr int kLastSegment = kCityPathPoints - 3;
    const double steps = kCityPathPoints * v;
    const int i = steps > 0 ? static_cast<int>(std::min(steps, double(kLastSegment))) : 0;
    const double f = std::clamp(steps - i, 0.0, 1.0);
    const double* a = kCityPath[i];
    const double* b = kCityPath[i + 1];
    const double* c = kCityPath[i + 2];
    return {{a[0] + f * (b[0] - a[0]), a[1] + f * (b[1] - a[1]), a[2] + f * (b[2] - a[2])},
            {b[0] + f * (c[0] - b[0]), b[1] + f * (c[1] - b[1]), b[2] + f * (c[2] - b[2])}};
}
