// The surface table: the six wave rules against a plain corner-by-corner
// reference, their telling normals and symmetries, the folded two-triangle
// square, the empty entry, and what real GL makes of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "gl_recorder.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/patch_view.h"
#include "surfaces/grid.h"
#include "surfaces/surfaces.h"

namespace {

const double twoPi = 6.283185307179586;

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::vector<GlCall> record(SurfaceProcedure surface, double phase) {
    scene = SceneState{};
    scene.wavePhase = phase;
    glRecordStart();
    surface();
    return glRecordStop();
}

// ---- The reference: every corner with its own sines, straight from the formulas

typedef void (*ReferenceRule)(double x, double z, double phase, float *nx, float *nz);

void curtain(double x, double z, double p, float *nx, float *nz) {
    *nx = (float)(std::sin(10 * x + p) + 0.5 * z);
    *nz = 0;
}
void diamond(double x, double z, double p, float *nx, float *nz) {
    *nx = (float)(std::sin(10 * x + p) + std::sin(10 * z + p));
    *nz = 0;
}
void checker(double x, double z, double p, float *nx, float *nz) {
    *nx = (float)((std::sin(10 * x + p) * std::sin(10 * z + p)) * 1.4);
    *nz = 0;
}
void waveX(double x, double, double p, float *nx, float *nz) {
    *nx = (float)std::sin(10 * x + p);
    *nz = 0;
}
void waveXZ(double x, double z, double p, float *nx, float *nz) {
    *nx = (float)std::sin(10 * x + p);
    *nz = (float)std::sin(10 * z + p);
}
void waveZ(double, double z, double p, float *nx, float *nz) {
    *nx = 0;
    *nz = (float)std::sin(10 * z + p);
}

struct WaveSurface {
    int index;
    const char *name;
    SurfaceProcedure draw;
    ReferenceRule rule;
    float firstNormal[3];  // at phase 0, x = z = -1.6
};

const WaveSurface waveSurfaces[] = {
    {0, "curtain", drawCurtainWave, curtain, {-0.455806f, 0.890079f, 0}},
    {1, "diamond", drawDiamondWave, diamond, {0.498997f, 0.866604f, 0}},
    // (0.115270, 0.993334) is the unit vector along (0.1160438, 1); a y of 0.993342 would not be unit.
    {2, "checker", drawCheckerWave, checker, {0.115270f, 0.993334f, 0}},
    {4, "plane wave x", drawPlaneWaveX, waveX, {0.276666f, 0.960966f, 0}},
    {5, "plane wave x-z", drawPlaneWaveXZ, waveXZ, {0.266649f, 0.926173f, 0.266649f}},
    {6, "plane wave z", drawPlaneWaveZ, waveZ, {0, 0.960966f, 0.276666f}},
};

void referenceNormalize(float v[3]) {
    double len = std::sqrt((double)v[0] * v[0] + (double)v[1] * v[1] + (double)v[2] * v[2]);
    double inv = 1.0 / len;
    for (int i = 0; i < 3; i++) v[i] = (float)(v[i] * inv);
}

// The sweep as written out: accumulate the edges, build the four corners of a
// cell, normalise, send; stop once the unrounded sum passes the limit.
std::vector<GlCall> referenceSweep(ReferenceRule rule, double phase) {
    const float start = -1.6f, step = 0.08f, limit = 1.6f;
    const int offsetI[4] = {0, 1, 1, 0}, offsetK[4] = {0, 0, 1, 1};
    std::vector<GlCall> calls;
    float u = start;
    double t;
    do {
        calls.push_back(GlCall{GlBeginCall, GL_QUADS, {0, 0, 0}});
        float v = start;
        do {
            float position[4][3], normal[4][3];
            for (int c = 0; c < 4; c++) {
                double x = u + offsetI[c] * (double)step;
                double z = v + offsetK[c] * (double)step;
                position[c][0] = (float)x;
                position[c][1] = 0;
                position[c][2] = (float)z;
                normal[c][1] = 1;
                rule(x, z, phase, &normal[c][0], &normal[c][2]);
            }
            for (int c = 0; c < 4; c++) referenceNormalize(normal[c]);
            for (int c = 0; c < 4; c++) {
                calls.push_back(GlCall{GlNormalCall, 0, {normal[c][0], normal[c][1], normal[c][2]}});
                calls.push_back(GlCall{GlVertex3fCall, 0, {position[c][0], position[c][1], position[c][2]}});
            }
            t = (double)v + step;
            v = (float)t;
        } while (t <= limit);
        calls.push_back(GlCall{GlEndCall, 0, {0, 0, 0}});
        t = (double)u + step;
        u = (float)t;
    } while (t <= limit);
    return calls;
}

// Index of the first call that differs in kind, mode or bits, or -1.
long firstDifference(const std::vector<GlCall> &a, const std::vector<GlCall> &b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; i++) {
        if (a[i].kind != b[i].kind || a[i].mode != b[i].mode || std::memcmp(a[i].v, b[i].v, sizeof a[i].v) != 0)
            return (long)i;
    }
    return a.size() == b.size() ? -1 : (long)n;
}

TEST(WaveSurfaces, SendBitForBitWhatEveryCornerWithItsOwnSinesGives) {
    // The start, a phase after 37 ticks, and one after a very long run.
    const double phases[] = {0.0, 0.15 * 37, 0.15 * 1000000};
    for (const WaveSurface &s : waveSurfaces) {
        for (double phase : phases) {
            std::vector<GlCall> sent = record(s.draw, phase);
            std::vector<GlCall> expected = referenceSweep(s.rule, phase);
            ASSERT_EQ(expected.size(), 40u * 322u);
            long at = firstDifference(sent, expected);
            EXPECT_EQ(at, -1) << s.name << " at phase " << phase << ": call " << at << " expected "
                              << (at >= 0 && at < (long)expected.size() ? describeGlCall(expected[at]) : "nothing")
                              << ", got " << (at >= 0 && at < (long)sent.size() ? describeGlCall(sent[at]) : "nothing");
        }
    }
}

// However many corners the processor normalises at once, the bits are those
// of one at a time. Each width the processor has is the one in use in turn.
TEST(WaveSurfaces, EveryNormalisationWidthGivesTheSameBits) {
    const int widest = limitNormalLanes(8);
#if defined(__SSE2__)
    EXPECT_GE(widest, 2) << "an SSE2 processor normalises one corner at a time";
#endif
    const int widths[] = {8, 4, 2, 1};
    for (int most : widths) {
        int lanes = limitNormalLanes(most);
        EXPECT_EQ(lanes, std::min(most, widest)) << "at most " << most << " corners at once";
        for (const WaveSurface &s : waveSurfaces) {
            double phase = 0.15 * 321;
            long at = firstDifference(record(s.draw, phase), referenceSweep(s.rule, phase));
            EXPECT_EQ(at, -1) << s.name << ", " << lanes << " corners at once: first difference at call " << at;
        }
    }
    limitNormalLanes(8);
}

TEST(WaveSurfaces, FirstVertexNormalsAtPhaseZero) {
    for (const WaveSurface &s : waveSurfaces) {
        std::vector<GlCall> sent = record(s.draw, 0.0);
        ASSERT_GE(sent.size(), 3u) << s.name;
        ASSERT_EQ(sent[1].kind, GlNormalCall) << s.name;
        ASSERT_EQ(sent[2].kind, GlVertex3fCall) << s.name;
        EXPECT_EQ(sent[2].v[0], -1.6f) << s.name;
        EXPECT_EQ(sent[2].v[2], -1.6f) << s.name;
        for (int i = 0; i < 3; i++) EXPECT_NEAR(sent[1].v[i], s.firstNormal[i], 5e-7) << s.name << ", component " << i;
    }
}

// The table's zeros: no tilt along z for 0, 1, 2, 4, none along x for 6.
TEST(WaveSurfaces, AZeroInTheRuleStaysExactlyZero) {
    const struct {
        const char *name;
        SurfaceProcedure draw;
        int zeroComponent;
    } cases[] = {
        {"curtain", drawCurtainWave, 2},     {"diamond", drawDiamondWave, 2},     {"checker", drawCheckerWave, 2},
        {"plane wave x", drawPlaneWaveX, 2}, {"plane wave z", drawPlaneWaveZ, 0},
    };
    for (const auto &c : cases) {
        int normals = 0;
        for (const GlCall &call : record(c.draw, 0.15 * 11)) {
            if (call.kind != GlNormalCall) continue;
            normals++;
            ASSERT_TRUE(sameBits(call.v[c.zeroComponent], 0.0f))
                << c.name << ", normal " << normals << ": " << describeGlCall(call);
        }
        EXPECT_EQ(normals, 6400) << c.name;
    }
}

// The plane waves along x and along z are one another with x and z exchanged.
TEST(WaveSurfaces, PlaneWavesXAndZMirrorEachOther) {
    for (double phase : {0.0, 0.15 * 5, 100.0}) {
        std::vector<GlPrimitive> alongX = glPrimitives(record(drawPlaneWaveX, phase));
        std::vector<GlPrimitive> alongZ = glPrimitives(record(drawPlaneWaveZ, phase));
        ASSERT_EQ(alongX.size(), 40u);
        ASSERT_EQ(alongZ.size(), 40u);
        // Corner c of cell (col, row) is at (z, x) swapped in cell (row, col), with c1 and c3 exchanged.
        const int mirroredCorner[4] = {0, 3, 2, 1};
        for (int col = 0; col < 40; col++)
            for (int row = 0; row < 40; row++)
                for (int c = 0; c < 4; c++) {
                    const GlVertex &a = alongX[col].vertices[row * 4 + c];
                    const GlVertex &b = alongZ[row].vertices[col * 4 + mirroredCorner[c]];
                    ASSERT_EQ(a.position[0], b.position[2]);
                    ASSERT_EQ(a.position[2], b.position[0]);
                    ASSERT_EQ(a.normal[0], b.normal[2])
                        << "phase " << phase << ", column " << col << ", cell " << row << ", corner " << c;
                    ASSERT_EQ(a.normal[1], b.normal[1])
                        << "phase " << phase << ", column " << col << ", cell " << row << ", corner " << c;
                    ASSERT_EQ(a.normal[2], b.normal[0])
                        << "phase " << phase << ", column " << col << ", cell " << row << ", corner " << c;
                }
    }
}

TEST(WaveSurfaces, ATurnOfTwoPiInPhaseGivesTheSameNormals) {
    for (const WaveSurface &s : waveSurfaces) {
        for (double phase : {0.0, 0.15 * 123}) {
            std::vector<GlCall> before = record(s.draw, phase);
            std::vector<GlCall> after = record(s.draw, phase + twoPi);
            ASSERT_EQ(before.size(), after.size()) << s.name;
            for (size_t i = 0; i < before.size(); i++)
                for (int j = 0; j < 3; j++)
                    ASSERT_NEAR(before[i].v[j], after[i].v[j], 2e-6)
                        << s.name << ", call " << i << ": " << describeGlCall(before[i]) << " against "
                        << describeGlCall(after[i]);
        }
    }
}

TEST(WaveSurfaces, PhaseMovesTheWaves) {
    for (const WaveSurface &s : waveSurfaces) {
        std::vector<GlCall> before = record(s.draw, 0.0);
        std::vector<GlCall> after = record(s.draw, 0.15);
        EXPECT_NE(firstDifference(before, after), -1) << s.name << " did not change over one tick";
    }
}

// ---- The folded square and the empty entry

TEST(TwoTriangleSquare, SendsTwoTrianglesWithCrossedThirdNormals) {
    const float r = 0.40824829f, d = -0.81649658f;  // (2, -4, 2) / sqrt(24)
    const GlCall expected[] = {
        {GlBeginCall, GL_TRIANGLES, {0, 0, 0}},
        {GlNormalCall, 0, {0, -1, 0}},
        {GlVertex3fvCall, 0, {-1, 0, -1}},
        {GlNormalCall, 0, {0, -1, 0}},
        {GlVertex3fvCall, 0, {1, 0, -1}},
        {GlNormalCall, 0, {r, d, r}},
        {GlVertex3fvCall, 0, {-1, 0, 1}},  // a2 carries B's normal
        {GlEndCall, 0, {0, 0, 0}},
        {GlBeginCall, GL_TRIANGLES, {0, 0, 0}},
        {GlNormalCall, 0, {r, d, r}},
        {GlVertex3fvCall, 0, {1, 1, 1}},
        {GlNormalCall, 0, {r, d, r}},
        {GlVertex3fvCall, 0, {-1, 0, 1}},
        {GlNormalCall, 0, {0, -1, 0}},
        {GlVertex3fvCall, 0, {1, 0, -1}},  // b2 carries A's normal
        {GlEndCall, 0, {0, 0, 0}},
    };
    const size_t count = sizeof expected / sizeof expected[0];
    std::vector<GlCall> sent = record(drawTwoTriangleSquare, 3.0);
    ASSERT_EQ(sent.size(), count);
    for (size_t i = 0; i < count; i++) {
        std::string where = "call " + std::to_string(i) + ": expected " + describeGlCall(expected[i]) + ", got " +
                            describeGlCall(sent[i]);
        EXPECT_EQ(sent[i].kind, expected[i].kind) << where;
        EXPECT_EQ(sent[i].mode, expected[i].mode) << where;
        for (int j = 0; j < 3; j++) EXPECT_NEAR(sent[i].v[j], expected[i].v[j], 1e-7) << where;
    }
}

TEST(TwoTriangleSquare, NormalsAreUnitAndTheSameEveryCall) {
    std::vector<GlCall> first = record(drawTwoTriangleSquare, 0.0);
    std::vector<GlCall> second = record(drawTwoTriangleSquare, 50.0);
    EXPECT_EQ(firstDifference(first, second), -1);
    for (const GlCall &call : first) {
        if (call.kind != GlNormalCall) continue;
        double length =
            std::sqrt((double)call.v[0] * call.v[0] + (double)call.v[1] * call.v[1] + (double)call.v[2] * call.v[2]);
        EXPECT_NEAR(length, 1.0, 1e-7) << describeGlCall(call);
    }
}

TEST(SurfaceTable, HoldsEachSurfaceAtTheIndexNamedForIt) {
    struct Entry {
        int index;
        SurfaceProcedure procedure;
    };
    const Entry entries[] = {
        {curtainWaveSurface, drawCurtainWave}, {diamondWaveSurface, drawDiamondWave},
        {checkerWaveSurface, drawCheckerWave}, {twoTriangleSquareSurface, drawTwoTriangleSquare},
        {planeWaveXSurface, drawPlaneWaveX},   {planeWaveXZSurface, drawPlaneWaveXZ},
        {planeWaveZSurface, drawPlaneWaveZ},   {emptySurface, drawNothing},
    };
    ASSERT_EQ(std::size(entries), static_cast<size_t>(surfaceCount));
    for (const Entry &e : entries) EXPECT_EQ(surfaceTable[e.index], e.procedure) << "entry " << e.index;
}

TEST(SurfaceTable, TheLastEntrySendsNothing) {
    EXPECT_TRUE(record(surfaceTable[7], 1.0).empty());
}

// ---- Real pixels

// Looked at straight down, the patch covers pixels 10 to 90.
const int viewSize = 100;

// Spread of the red channel along a row (fixed z) and along a column (fixed x)
// of pixels inside the patch.
void spreads(const OffscreenGl &gl, int *alongX, int *alongZ) {
    int lowX = 255, highX = 0, lowZ = 255, highZ = 0;
    unsigned char rgba[4];
    for (int i = 15; i <= 85; i++) {
        gl.pixel(i, 50, rgba);
        lowX = std::min(lowX, (int)rgba[0]);
        highX = std::max(highX, (int)rgba[0]);
        gl.pixel(50, i, rgba);
        lowZ = std::min(lowZ, (int)rgba[0]);
        highZ = std::max(highZ, (int)rgba[0]);
    }
    *alongX = highX - lowX;
    *alongZ = highZ - lowZ;
}

TEST(SurfacePixels, PlaneWavesRippleAlongTheirOwnAxisOnly) {
    OffscreenGl gl(viewSize, viewSize);
    ASSERT_TRUE(gl.ok());
    const struct {
        const char *name;
        SurfaceProcedure draw;
        bool ripplesAlongX, ripplesAlongZ;
    } cases[] = {
        {"plane wave x", drawPlaneWaveX, true, false},
        {"plane wave z", drawPlaneWaveZ, false, true},
        {"plane wave x-z", drawPlaneWaveXZ, true, true},
    };
    const int ripple = 30;  // the lit level swings by about 60 of 255
    const int steady = 3;   // rasterisation may differ by a level or two
    for (const auto &c : cases) {
        scene = SceneState{};
        lookAlongY(viewSize, true);
        c.draw();
        glFinish();
        int alongX, alongZ;
        spreads(gl, &alongX, &alongZ);
        if (c.ripplesAlongX)
            EXPECT_GT(alongX, ripple) << c.name;
        else
            EXPECT_LE(alongX, steady) << c.name;
        if (c.ripplesAlongZ)
            EXPECT_GT(alongZ, ripple) << c.name;
        else
            EXPECT_LE(alongZ, steady) << c.name;
    }
    glDisable(GL_LIGHTING);
}

TEST(SurfacePixels, TheEmptyEntryLeavesTheClearColour) {
    OffscreenGl gl(viewSize, viewSize);
    ASSERT_TRUE(gl.ok());
    scene = SceneState{};
    lookAlongY(viewSize, true);
    drawNothing();
    glFinish();
    unsigned char rgba[4];
    for (int y = 5; y < viewSize; y += 10)
        for (int x = 5; x < viewSize; x += 10) {
            gl.pixel(x, y, rgba);
            ASSERT_TRUE(isClearBlue(rgba)) << "pixel " << x << ", " << y;
        }
    // The same view with a wave drawn is not all clear: the check above can see a surface.
    drawCurtainWave();
    glFinish();
    gl.pixel(50, 50, rgba);
    EXPECT_NE(rgba[2], 255);
    glDisable(GL_LIGHTING);
}

}  // namespace
