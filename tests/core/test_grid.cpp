// The quad-grid sweep: its edges, the shape of what it sends, the corner order
// and winding, the seams between cells, what a rule is handed, and real pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "gl_recorder.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/patch_view.h"
#include "surfaces/grid.h"

namespace {

const int columns = 40;
const int quadsPerColumn = 40;
const int verticesPerColumn = 160;

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// A rule with no tilt: every normal must come out (0, 1, 0).
void flatRule(const ColumnCorners *, ColumnTilts *tilts) {
    for (int k = 0; k < cornersPerColumn; k++) tilts->nx[k] = tilts->nz[k] = 0.0f;
}

// A rule that keeps what it was handed, column by column, and tilts each
// normal by the corner's own rounded coordinates so the stream shows them.
std::vector<ColumnCorners> handed;
void keepingRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    handed.push_back(*corners);
    for (int k = 0; k < cornersPerColumn; k++) {
        tilts->nx[k] = (float)corners->x[k % 4];
        tilts->nz[k] = (float)corners->z[k];
    }
}

// The sweep as sent, split into its blocks.
std::vector<GlPrimitive> sweep(CornerRule rule, double phase) {
    scene = SceneState{};
    scene.wavePhase = phase;
    glRecordStart();
    drawQuadGrid(rule);
    return glPrimitives(glRecordStop());
}

// Vertex c (0..3) of cell row in column col.
const GlVertex &corner(const std::vector<GlPrimitive> &grid, int col, int row, int c) {
    return grid[col].vertices[row * 4 + c];
}

TEST(QuadGrid, SendsFortyQuadBlocksOfOneHundredSixtyNormalVertexPairs) {
    scene = SceneState{};
    glRecordStart();
    drawQuadGrid(flatRule);
    const std::vector<GlCall> &calls = glRecordStop();

    // glBegin, then (glNormal3fv, glVertex3f) 160 times, then glEnd; 40 times.
    const size_t callsPerColumn = 2 + 2 * verticesPerColumn;
    ASSERT_EQ(calls.size(), columns * callsPerColumn);
    for (int col = 0; col < columns; col++) {
        const GlCall *block = &calls[col * callsPerColumn];
        ASSERT_EQ(block[0].kind, GlBeginCall) << "column " << col;
        EXPECT_EQ(block[0].mode, (unsigned)GL_QUADS) << "column " << col;
        for (int k = 0; k < verticesPerColumn; k++) {
            ASSERT_EQ(block[1 + 2 * k].kind, GlNormalCall) << "column " << col << ", vertex " << k;
            ASSERT_EQ(block[2 + 2 * k].kind, GlVertex3fCall) << "column " << col << ", vertex " << k;
        }
        ASSERT_EQ(block[callsPerColumn - 1].kind, GlEndCall) << "column " << col;
    }
}

// The edges accumulate in single precision from -1.6 by 0.08.
TEST(QuadGrid, EdgesAreTheAccumulatedFloatsBitForBit) {
    std::vector<GlPrimitive> grid = sweep(flatRule, 0.0);
    ASSERT_EQ(grid.size(), (size_t)columns);
    const struct {
        int n;
        float edge;
    } telling[] = {
        {0, -0x1.99999ap+0f},   // -1.6000000238
        {1, -0x1.851eb8p+0f},   // -1.5199999809
        {19, -0x1.47adf4p-4f},  // -0.0799998790
        {20, 0x1p-23f},         // the middle edge is 2^-23, not 0
        {21, 0x1.47ae34p-4f},   // 0.0800001174
        {39, 0x1.851ebcp+0f},   // 1.5200002194
        {40, 0x1.99999ep+0f},   // 1.6000002623
    };
    for (const auto &t : telling) {
        // Along x: the near corner of column n (the far corner of the last column for e40).
        float x = t.n < columns ? corner(grid, t.n, 0, 0).position[0] : corner(grid, columns - 1, 0, 1).position[0];
        // Along z: the near corner of cell n in the first column.
        float z = t.n < quadsPerColumn ? corner(grid, 0, t.n, 0).position[2]
                                       : corner(grid, 0, quadsPerColumn - 1, 3).position[2];
        EXPECT_TRUE(sameBits(x, t.edge)) << "x edge e" << t.n << ": expected " << t.edge << ", got " << x;
        EXPECT_TRUE(sameBits(z, t.edge)) << "z edge e" << t.n << ": expected " << t.edge << ", got " << z;
    }
}

TEST(QuadGrid, FirstAndLastVerticesAndEveryYIsZero) {
    std::vector<GlPrimitive> grid = sweep(flatRule, 0.0);
    ASSERT_EQ(grid.size(), (size_t)columns);
    const float *first = grid.front().vertices.front().position;
    const float *last = grid.back().vertices.back().position;
    EXPECT_EQ(first[0], -1.6f);
    EXPECT_EQ(first[2], -1.6f);
    EXPECT_TRUE(sameBits(last[0], 0x1.851ebcp+0f)) << "got " << last[0];
    EXPECT_TRUE(sameBits(last[2], 0x1.99999ep+0f)) << "got " << last[2];
    for (const GlPrimitive &column : grid)
        for (const GlVertex &v : column.vertices)
            ASSERT_TRUE(sameBits(v.position[1], 0.0f))
                << "y " << v.position[1] << " at x " << v.position[0] << ", z " << v.position[2];
}

// c0 (x0, z0), c1 (x1, z0), c2 (x1, z1), c3 (x0, z1): clockwise seen from +y,
// so the front face of every quad faces -y.
TEST(QuadGrid, CornersRunClockwiseSeenFromAbove) {
    std::vector<GlPrimitive> grid = sweep(flatRule, 0.0);
    ASSERT_EQ(grid.size(), (size_t)columns);
    for (int col = 0; col < columns; col++) {
        for (int row = 0; row < quadsPerColumn; row++) {
            const float *c[4];
            for (int i = 0; i < 4; i++) c[i] = corner(grid, col, row, i).position;
            EXPECT_LT(c[0][0], c[1][0]);
            EXPECT_EQ(c[0][2], c[1][2]);
            EXPECT_EQ(c[1][0], c[2][0]);
            EXPECT_LT(c[1][2], c[2][2]);
            EXPECT_EQ(c[2][2], c[3][2]);
            EXPECT_EQ(c[3][0], c[0][0]);
            // The y of (c(i+1) - c(i)) x (c(i+2) - c(i+1)) at every corner: negative means clockwise from +y.
            for (int i = 0; i < 4; i++) {
                const float *a = c[i], *b = c[(i + 1) % 4], *d = c[(i + 2) % 4];
                double crossY = (double)(b[2] - a[2]) * (d[0] - b[0]) - (double)(b[0] - a[0]) * (d[2] - b[2]);
                EXPECT_LT(crossY, 0.0) << "column " << col << ", cell " << row << ", corner " << i;
            }
        }
    }
}

TEST(QuadGrid, NeighbouringCellsShareTheirEdgesBitForBit) {
    std::vector<GlPrimitive> grid = sweep(flatRule, 0.0);
    ASSERT_EQ(grid.size(), (size_t)columns);
    // Pairs of (corner of this cell, corner of the neighbour) that must coincide.
    const int acrossX[2][2] = {{1, 0}, {2, 3}};  // with the next column's same cell
    const int acrossZ[2][2] = {{3, 0}, {2, 1}};  // with the same column's next cell
    for (int col = 0; col < columns; col++) {
        for (int row = 0; row < quadsPerColumn; row++) {
            for (const auto &pair : acrossX) {
                if (col + 1 == columns) break;
                const float *a = corner(grid, col, row, pair[0]).position;
                const float *b = corner(grid, col + 1, row, pair[1]).position;
                EXPECT_EQ(std::memcmp(a, b, 3 * sizeof(float)), 0)
                    << "column " << col << ", cell " << row << ", corner " << pair[0];
            }
            for (const auto &pair : acrossZ) {
                if (row + 1 == quadsPerColumn) break;
                const float *a = corner(grid, col, row, pair[0]).position;
                const float *b = corner(grid, col, row + 1, pair[1]).position;
                EXPECT_EQ(std::memcmp(a, b, 3 * sizeof(float)), 0)
                    << "column " << col << ", cell " << row << ", corner " << pair[0];
            }
        }
    }
}

TEST(QuadGrid, ARuleWithoutTiltGivesStraightUpNormals) {
    std::vector<GlPrimitive> grid = sweep(flatRule, 2.5);
    ASSERT_EQ(grid.size(), (size_t)columns);
    for (const GlPrimitive &column : grid)
        for (const GlVertex &v : column.vertices) {
            ASSERT_TRUE(sameBits(v.normal[0], 0.0f) && sameBits(v.normal[1], 1.0f) && sameBits(v.normal[2], 0.0f))
                << "normal (" << v.normal[0] << ", " << v.normal[1] << ", " << v.normal[2] << ") at x "
                << v.position[0];
        }
}

// A far corner's coordinate reaches the rule as the unrounded double sum
// e(n) + step, a near one as the rounded edge; the sines are of 10 c + phase.
TEST(QuadGrid, RuleSeesExactCoordinatesAndTheirSines) {
    const double phase = 0.15 * 7;
    handed.clear();
    std::vector<GlPrimitive> grid = sweep(keepingRule, phase);
    ASSERT_EQ(handed.size(), (size_t)columns);
    EXPECT_EQ(handed[0].cells, quadsPerColumn);
    const int offsetX[4] = {0, 1, 1, 0};
    const int offsetZ[4] = {0, 0, 1, 1};
    int farDiffersFromEdge = 0;
    for (int col = 0; col < columns; col++) {
        for (int row = 0; row < quadsPerColumn; row++) {
            for (int c = 0; c < 4; c++) {
                int k = row * 4 + c;
                const ColumnCorners &h = handed[col];
                double x = (double)corner(grid, col, 0, 0).position[0] + offsetX[c] * (double)gridStep;
                double z = (double)corner(grid, 0, row, 0).position[2] + offsetZ[c] * (double)gridStep;
                ASSERT_EQ(h.x[c], x) << "column " << col << ", corner " << c;
                ASSERT_EQ(h.z[k], z) << "column " << col << ", cell " << row << ", corner " << c;
                ASSERT_EQ(h.sinX[c], std::sin(10.0 * x + phase)) << "column " << col << ", corner " << c;
                ASSERT_EQ(h.sinZ[k], std::sin(10.0 * z + phase)) << "cell " << row << ", corner " << c;
                if (offsetX[c] && h.x[c] != (double)corner(grid, col, row, c).position[0]) farDiffersFromEdge++;
            }
        }
    }
    // Most far sums are not floats: the rule must not be handed the rounded edge.
    EXPECT_GT(farDiffersFromEdge, 0);
}

TEST(QuadGrid, NormalsAreUnitAndFollowTheRule) {
    handed.clear();
    std::vector<GlPrimitive> grid = sweep(keepingRule, 0.0);
    ASSERT_EQ(grid.size(), (size_t)columns);
    for (int col = 0; col < columns; col++) {
        for (int k = 0; k < verticesPerColumn; k++) {
            const GlVertex &v = grid[col].vertices[k];
            float nx = (float)handed[col].x[k % 4], nz = (float)handed[col].z[k];
            double inv = 1.0 / std::sqrt((double)nx * nx + 1.0 + (double)nz * nz);
            ASSERT_TRUE(sameBits(v.normal[0], (float)(nx * inv)) && sameBits(v.normal[1], (float)inv) &&
                        sameBits(v.normal[2], (float)(nz * inv)))
                << "column " << col << ", vertex " << k;
        }
    }
}

// ---- Real pixels ---------------------------------------------------------

// The patch seen along the y axis (lighting one-sided) covers pixels 10 to 90.
const int viewSize = 100;

// What a pixel on the patch shows: the upward normals lit from above, the
// same normals turned away from the light seen from below (grey ambient
// only), or the clear colour where the patch was culled.
enum PatchLook { Lit, Dark, Clear };

struct PixelCase {
    const char *name;
    bool fromAbove;
    bool cullBackFaces;
    PatchLook look;
};

const PixelCase pixelCases[] = {
    {"from above", true, false, Lit},
    {"from below", false, false, Dark},
    // Clockwise from above: seen from there the quads show their backs.
    {"from above, backs culled", true, true, Clear},
    {"from below, backs culled", false, true, Dark},
};

TEST(QuadGridPixels, TheLitPatchCoversItsSquareAndShowsItsFrontFromBelow) {
    OffscreenGl gl(viewSize, viewSize);
    ASSERT_TRUE(gl.ok());
    scene = SceneState{};
    const int inside[][2] = {{12, 12}, {50, 50}, {87, 12}, {12, 87}, {87, 87}, {30, 70}};
    const int outside[][2] = {{2, 2}, {8, 50}, {50, 8}, {92, 92}, {97, 50}};
    for (const PixelCase &c : pixelCases) {
        lookAlongY(viewSize, c.fromAbove);
        if (c.cullBackFaces)
            glEnable(GL_CULL_FACE);
        else
            glDisable(GL_CULL_FACE);
        drawQuadGrid(flatRule);
        glFinish();
        unsigned char rgba[4];
        for (const auto &p : inside) {
            gl.pixel(p[0], p[1], rgba);
            const char *where = c.name;
            if (c.look == Clear) {
                EXPECT_TRUE(isClearBlue(rgba))
                    << where << ": pixel " << p[0] << ", " << p[1] << " should be clear, got " << (int)rgba[0];
                continue;
            }
            EXPECT_EQ(rgba[0], rgba[2]) << where << ": pixel " << p[0] << ", " << p[1] << " should be grey";
            if (c.look == Lit)
                EXPECT_GT(rgba[0], 150) << where << ": pixel " << p[0] << ", " << p[1] << " should be lit";
            else
                EXPECT_LT(rgba[0], 40) << where << ": pixel " << p[0] << ", " << p[1] << " should be dark";
        }
        for (const auto &p : outside) {
            gl.pixel(p[0], p[1], rgba);
            EXPECT_TRUE(isClearBlue(rgba)) << c.name << ": pixel " << p[0] << ", " << p[1] << " lies off the patch";
        }
    }
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
}

}  // namespace
