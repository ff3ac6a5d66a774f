// The surfaces the panel chooses among: six wave rules over the flat grid, the
// folded two-triangle square and the empty entry.
//
// Every wave rule gives a corner's normal before normalisation as (nx, 1, nz)
// from sx = sin(10 x + phase) and sz = sin(10 z + phase). The geometry stays
// flat; only the lighting of these normals shows the waves, which travel
// toward -x and -z as the phase grows.
#include "surfaces/surfaces.h"

#include "render/gl.h"
#include "surfaces/grid.h"
#include "surfaces/vector.h"

// How far the curtain leans with z: 0.5 z runs from -0.8 at the near side of
// the patch to +0.8 at the far side.
static const double curtainLean = 0.5;
// Gain of the checker rule's product of two sines.
static const double checkerGain = 1.4;

// Each rule walks the column cell by cell, corner by corner: x (and its sine)
// is the corner's, shared by every cell of the column; z is the corner's own.

// Curtain: sx + 0.5 z, so the normals lean toward -x at low z and +x at high z.
static void curtainRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = (float)(corners->sinX[c] + curtainLean * corners->z[k + c]);
            tilts->nz[k + c] = 0.0f;
        }
}

// Diamonds: sx + sz, tilted along x only.
static void diamondRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = (float)(corners->sinX[c] + corners->sinZ[k + c]);
            tilts->nz[k + c] = 0.0f;
        }
}

// Checkers: (sx sz) 1.4, tilted along x only.
static void checkerRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = (float)((corners->sinX[c] * corners->sinZ[k + c]) * checkerGain);
            tilts->nz[k + c] = 0.0f;
        }
}

// Plane wave along x: sx.
static void planeWaveXRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = (float)corners->sinX[c];
            tilts->nz[k + c] = 0.0f;
        }
}

// Plane waves along both axes: sx and sz.
static void planeWaveXZRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = (float)corners->sinX[c];
            tilts->nz[k + c] = (float)corners->sinZ[k + c];
        }
}

// Plane wave along z: sz.
static void planeWaveZRule(const ColumnCorners *corners, ColumnTilts *tilts) {
    for (int k = 0; k < corners->cells * cornersPerCell; k += cornersPerCell)
        for (int c = 0; c < cornersPerCell; c++) {
            tilts->nx[k + c] = 0.0f;
            tilts->nz[k + c] = (float)corners->sinZ[k + c];
        }
}

void drawCurtainWave(void) {
    drawQuadGrid(curtainRule);
}
void drawDiamondWave(void) {
    drawQuadGrid(diamondRule);
}
void drawCheckerWave(void) {
    drawQuadGrid(checkerRule);
}
void drawPlaneWaveX(void) {
    drawQuadGrid(planeWaveXRule);
}
void drawPlaneWaveXZ(void) {
    drawQuadGrid(planeWaveXZRule);
}
void drawPlaneWaveZ(void) {
    drawQuadGrid(planeWaveZRule);
}

// The folded square: triangle A lies flat, triangle B rises to (1, 1, 1); they
// share the diagonal from (1, 0, -1) to (-1, 0, 1). Both run clockwise seen
// from +y, so both normals point to -y.
static const float triangleA[9] = {-1.0f, 0.0f, -1.0f, 1.0f, 0.0f, -1.0f, -1.0f, 0.0f, 1.0f};
static const float triangleB[9] = {1.0f, 1.0f, 1.0f, -1.0f, 0.0f, 1.0f, 1.0f, 0.0f, -1.0f};

// Sends one triangle; its third vertex carries the other triangle's normal, so
// under smooth shading the lighting of each runs toward the other's.
static void sendTriangle(const float points[9], const float ownNormal[3], const float otherNormal[3]) {
    glBegin(GL_TRIANGLES);
    glNormal3fv(ownNormal);
    glVertex3fv(points);
    glNormal3fv(ownNormal);
    glVertex3fv(points + 3);
    glNormal3fv(otherNormal);
    glVertex3fv(points + 6);
    glEnd();
}

void drawTwoTriangleSquare(void) {
    float normalA[3], normalB[3];
    planeNormal(triangleA, normalA);
    planeNormal(triangleB, normalB);
    sendTriangle(triangleA, normalA, normalB);
    sendTriangle(triangleB, normalB, normalA);
}

void drawNothing(void) {}

// In the order of the indices named in surfaces.h.
const SurfaceProcedure surfaceTable[surfaceCount] = {
    drawCurtainWave,        // curtainWaveSurface
    drawDiamondWave,        // diamondWaveSurface
    drawCheckerWave,        // checkerWaveSurface
    drawTwoTriangleSquare,  // twoTriangleSquareSurface
    drawPlaneWaveX,         // planeWaveXSurface
    drawPlaneWaveXZ,        // planeWaveXZSurface
    drawPlaneWaveZ,         // planeWaveZSurface
    drawNothing,            // emptySurface
};
