// Polygons screened before tessellation: what modellers write passes, what would make the
// tessellator's time explode is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "model/polygon_screen.h"

namespace {

struct Polygon {
    std::vector<double> xyz;
    std::vector<int32_t> index;
    void add(double x, double y, double z, int32_t i) {
        xyz.insert(xyz.end(), {x, y, z});
        index.push_back(i);
    }
    void add(double x, double y, double z) { add(x, y, z, int32_t(index.size())); }
    PolygonProblem screen() const { return screenPolygon(xyz.data(), index.data(), int32_t(index.size())); }
};

Polygon circle(int corners, double radius = 100) {
    Polygon p;
    for (int k = 0; k < corners; ++k)
        p.add(radius * std::cos(2 * M_PI * k / corners), radius * std::sin(2 * M_PI * k / corners), 0);
    return p;
}

}  // namespace

TEST(PolygonScreen, WhatModellersWritePasses) {
    EXPECT_EQ(circle(5).screen(), PolygonProblem::None);
    EXPECT_EQ(circle(kMaxPolygonCorners).screen(), PolygonProblem::None);
    // A concave star in a plane that no axis plane is (tilted about x and y).
    Polygon star;
    for (int k = 0; k < 66; ++k) {
        const double r = k % 2 ? 100 : 40, a = 2 * M_PI * k / 66;
        const double x = r * std::cos(a), y = r * std::sin(a);
        star.add(x, y * 0.6, y * 0.8 + x * 0.1);
    }
    EXPECT_EQ(star.screen(), PolygonProblem::None);
    // A square with a square hole, joined to it by a bridge walked there and back: the bridge's
    // two vertices stand at two corners each.
    Polygon keyhole;
    keyhole.add(0, 0, 0, 0);
    keyhole.add(10, 0, 0, 1);
    keyhole.add(10, 10, 0, 2);
    keyhole.add(0, 10, 0, 3);
    keyhole.add(0, 0, 0, 0);
    keyhole.add(3, 3, 0, 4);
    keyhole.add(3, 7, 0, 5);
    keyhole.add(7, 7, 0, 6);
    keyhole.add(7, 3, 0, 7);
    keyhole.add(3, 3, 0, 4);
    EXPECT_EQ(keyhole.screen(), PolygonProblem::None);
    // A bow tie crosses itself once.
    Polygon bowTie;
    bowTie.add(0, 0, 0);
    bowTie.add(10, 10, 0);
    bowTie.add(10, 0, 0);
    bowTie.add(0, 10, 0);
    bowTie.add(-5, 5, 0);
    EXPECT_EQ(bowTie.screen(), PolygonProblem::None);
}

TEST(PolygonScreen, RefusesTooManyRepeatedOrTangledCorners) {
    EXPECT_EQ(circle(kMaxPolygonCorners + 1).screen(), PolygonProblem::TooManyCorners);
    // "N V(0 1 2 0 1 2 ...)": three vertices round and round.
    Polygon round;
    for (int k = 0; k < 9; ++k) round.add(k % 3 == 1 ? 100 : 0, k % 3 == 2 ? 100 : 0, 0, k % 3);
    EXPECT_EQ(round.screen(), PolygonProblem::RepeatedCorners);
    // The same with a new vertex at each corner: edges lying on each other, counted as meetings.
    Polygon stacked;
    for (int k = 0; k < 30; ++k) stacked.add(k % 3 == 1 ? 100 : 0, k % 3 == 2 ? 100 : 0, 0);
    EXPECT_EQ(stacked.screen(), PolygonProblem::CrossingEdges);
    // Corners at random: the edges cross each other thousands of times.
    Polygon scribble;
    std::mt19937 random(7);
    for (int k = 0; k < 200; ++k) scribble.add(random() % 1000, random() % 1000, 0);
    EXPECT_EQ(scribble.screen(), PolygonProblem::CrossingEdges);
}
