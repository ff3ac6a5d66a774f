// normalize3 and planeNormal on hand-checked vectors and triangles.
#include <gtest/gtest.h>

#include <cmath>

#include "surfaces/vector.h"

namespace {

struct NormalizeCase {
    const char *name;
    float in[3];
    float out[3];
};

const NormalizeCase normalizeCases[] = {
    {"zero stays zero", {0, 0, 0}, {0, 0, 0}},
    {"3-0-4 triangle", {3, 0, 4}, {0.6f, 0, 0.8f}},
    {"already unit", {0, 1, 0}, {0, 1, 0}},
    {"negative axis", {0, 0, -7}, {0, 0, -1}},
    {"tiny but not zero", {1e-30f, 0, 0}, {1, 0, 0}},
    {"equal parts", {-2, 2, -2}, {-0.577350269f, 0.577350269f, -0.577350269f}},
};

TEST(Normalize3, GivesUnitVectorsAndLeavesZeroAlone) {
    for (const NormalizeCase &c : normalizeCases) {
        float v[3] = {c.in[0], c.in[1], c.in[2]};
        normalize3(v);
        for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(v[i], c.out[i]) << c.name << ", component " << i;
    }
}

// The arithmetic is fixed: length in double, reciprocal, multiply, round.
TEST(Normalize3, RoundsLikeDoubleArithmetic) {
    const float inputs[][3] = {{0.2879033f, 1, 0}, {1e-3f, 1, -0.7f}, {123.25f, -0.5f, 1e-5f}};
    for (const auto &in : inputs) {
        float v[3] = {in[0], in[1], in[2]};
        normalize3(v);
        double inv = 1.0 / std::sqrt((double)in[0] * in[0] + (double)in[1] * in[1] + (double)in[2] * in[2]);
        for (int i = 0; i < 3; i++)
            EXPECT_EQ(v[i], (float)(in[i] * inv)) << "input " << in[0] << ", " << in[1] << ", " << in[2];
    }
}

struct PlaneCase {
    const char *name;
    float points[9];
    float normal[3];
};

const PlaneCase planeCases[] = {
    {"flat, clockwise from above", {-1, 0, -1, 1, 0, -1, -1, 0, 1}, {0, -1, 0}},
    {"flat, counter-clockwise from above", {-1, 0, -1, -1, 0, 1, 1, 0, -1}, {0, 1, 0}},
    {"folded half of the square", {1, 1, 1, -1, 0, 1, 1, 0, -1}, {0.4082483f, -0.8164966f, 0.4082483f}},
    {"three points on one line", {0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 0, 0}},
    {"one point three times", {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, {0, 0, 0}},
    {"facing a viewer on +z", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}},
};

TEST(PlaneNormal, PointsTowardTheViewerThatSeesCounterClockwise) {
    for (const PlaneCase &c : planeCases) {
        float out[3] = {9, 9, 9};
        planeNormal(c.points, out);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(out[i], c.normal[i], 1e-7) << c.name << ", component " << i;
    }
}

}  // namespace
