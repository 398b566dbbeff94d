// The maths of the finale (scenes 8 to 12): the light core's sway, the surge of the torus wheel,
// the recap's choice of replayed scene and time, and the rectangles of the shrinking and the grey
// picture. Pure functions, so that the scenes' pictures can be checked number by number.
#pragma once
#include <algorithm>  // std::min
#include <cmath>      // sin, sqrt, trunc

#include "demo/scene_sky_city.h"  // ScreenRect
#include "demo/timeline.h"

// The credits plate of scenes 10 and 11: one line each, drawn in this order in front of the
// picture, each at its own place (translated from the identity) in its own colour.
struct CreditLine {
    const char* text;
    double x, y, z;
    double red, green, blue;
};
inline constexpr int kCreditLineCount = 4;
extern const CreditLine kCreditsPlate[kCreditLineCount];

inline constexpr double kLightCoreFlashEnd = 0.01;  // flash while u <= this
inline double lightCoreFlash(double u) { return 1 - std::sin(u * 100 * kHalfPi); }

// The light core's sway at progress u, degrees: about X first, then about Y.
struct LightCoreSway {
    double rx = 0, ry = 0;
};
inline LightCoreSway lightCoreSway(double u) {
    return {10 * std::sin(125.66368000000001 * u), 15 * std::sin(94.24776 * u)};
}

// One frame's easing of the reels at u: towards "Play!" by u^3.
void easePlayReels(double (&angles)[5], double u);

// The torus wheel's surge toward the viewer and the strength of its green outlines: only for
// 0.3 < u <= 0.7, alpha = sin(pi w^2) with w = 2.5 (u - 0.3), kept in single precision; the wheel
// comes 800 alpha units nearer. Outlines are drawn only while alpha > 0.
struct WheelSurge {
    bool active = false;
    float alpha = 0;
    double offset() const { return 800.0 * alpha; }
};
inline WheelSurge wheelSurge(double u) {
    if (!(u > 0.3 && u <= 0.7)) return {};
    const double w = 2.5 * (u - 0.3);
    return {true, static_cast<float>(std::sin(kPi * (w * w)))};
}
// The wheel's turn about Y at progress u, degrees.
inline double wheelTurn(double u) { return 180 * std::sin(kPi * (u * u)); }

// Which earlier scene the recap replays at its progress u, and at what demo time: all of scene 9
// for u < 0.2, all of scene 5 for 0.2 <= u < 0.6, the second half of scene 7 from 0.6 on.
struct RecapReplay {
    int scene = 0;
    double t = 0;  // ms
};
inline RecapReplay recapReplay(double u) {
    if (u < 0.2) return {9, 150342.85714285713 + 139714.2857142858 * u};
    if (u < 0.6) return {5, 80142.85714285714 + 35357.142857142826 * (u - 0.2)};
    return {7, 109392.85714285713 + 34017.85714285716 * (u - 0.6)};
}

// The recap picture: full screen at u = 0, shrinking over the first fifth of the scene to
// (110, 66, 443, 332), where it stays.
inline ScreenRect shrinkingPicture(double u) {
    const double s = std::sqrt(std::min(u, 0.2));
    const int a = static_cast<int>(800 * s);
    const int b = static_cast<int>(600 * s);
    const double m = 150 * s;
    return {static_cast<int>(a / 2 - m), static_cast<int>(b / 2 - m), kScreenWidth - a,
            kScreenHeight - b};
}

// The grey picture at progress u: a strip 43 wide and 332 high at the start, widening past both
// screen edges to 942 pixels at u = 0.5 and narrowing again, while its height falls to 32.
inline ScreenRect greyPicture(double u) {
    // 800 sqrt(0.2) + 400, 600 sqrt(0.2) and 150 sqrt(0.2): the recap picture's last size.
    const int a = static_cast<int>(757.7708763999664 - 900 * std::sin(kPi * u));
    const int b = static_cast<int>(268.32815729997475 + 300 * u);
    const double m = 67.08203932499369;
    return {static_cast<int>(a / 2 - m), static_cast<int>(b / 2 - m), kScreenWidth - a,
            kScreenHeight - b};
}
