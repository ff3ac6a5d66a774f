// The quad-grid sweep shared by the six wave surfaces.
//
// The edges of the grid accumulate in single precision: e0 = start and
// e(n+1) = e(n) + step rounded to a float, until the unrounded sum passes the
// limit. That gives 40 cells a side, e0 = -1.6000000238 to e40 = 1.6000002623,
// with the middle edge at 2^-23 rather than 0. A cell's near corners sit on the
// rounded edge e(n); its far corners are handed to the rule as the unrounded
// double sum e(n) + step, but sent as the rounded e(n+1), so neighbouring quads
// share their vertices bit for bit while their normals may differ in the last
// bits.
//
// So along each axis a rule meets only 80 distinct coordinates (40 rounded
// edges, 40 unrounded sums), the same 80 along x and along z: the sweep takes
// each of those sines once, then hands the rule one column at a time. The
// values are exactly those of a sine evaluated at every corner.
#include "surfaces/grid.h"

#include <math.h>

#include "render/gl.h"
#include "render/scene_state.h"
#include "surfaces/vector.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The coordinates and sines shared by both axes.
struct GridAxis {
    float edge[gridCells + 1];      // e0..e40, the vertex coordinates
    double farSum[gridCells];       // e(n) + step, unrounded: a far corner's coordinate
    double sinAtEdge[gridCells];    // sin(10 e(n) + phase)
    double sinAtFarSum[gridCells];  // sin(10 (e(n) + step) + phase)
    int cells;                      // cells along the axis: 40 with these constants
};

// Offsets of the corners c0..c3 along x (i) and z (k), in sending order.
static const int cornerI[cornersPerCell] = {0, 1, 1, 0};
static const int cornerK[cornersPerCell] = {0, 0, 1, 1};

// Accumulates the edges from the start until the unrounded sum passes the
// limit, and takes the sine of every coordinate a corner can have.
static void buildAxis(GridAxis *axis, double phase)
{
    axis->edge[0] = gridStart;
    int n = 0;
    double sum;
    do {
        sum = (double)axis->edge[n] + gridStep;
        axis->farSum[n] = sum;
        axis->edge[n + 1] = (float)sum;
        axis->sinAtEdge[n] = sin(waveFrequency * axis->edge[n] + phase);
        axis->sinAtFarSum[n] = sin(waveFrequency * sum + phase);
        n++;
    } while (sum <= gridLimit && n < gridCells);
    axis->cells = n;
}

// Fills the z side of a column's corners, which is the same in every column.
static void fillColumnZ(const GridAxis *axis, ColumnCorners *corners, float zPos[])
{
    for (int cell = 0; cell < axis->cells; cell++) {
        for (int c = 0; c < cornersPerCell; c++) {
            int k = cell * cornersPerCell + c;
            bool far = cornerK[c] != 0;
            corners->z[k] = far ? axis->farSum[cell] : (double)axis->edge[cell];
            corners->sinZ[k] = far ? axis->sinAtFarSum[cell] : axis->sinAtEdge[cell];
            zPos[k] = axis->edge[cell + cornerK[c]];
        }
    }
}

// Fills the x side of the corners of column number column.
static void fillColumnX(const GridAxis *axis, int column, ColumnCorners *corners, float xPos[])
{
    double nearX = axis->edge[column];
    double farX = axis->farSum[column];
    double sinNear = axis->sinAtEdge[column];
    double sinFar = axis->sinAtFarSum[column];
    for (int cell = 0; cell < axis->cells; cell++) {
        for (int c = 0; c < cornersPerCell; c++) {
            int k = cell * cornersPerCell + c;
            bool far = cornerI[c] != 0;
            corners->x[k] = far ? farX : nearX;
            corners->sinX[k] = far ? sinFar : sinNear;
            xPos[k] = axis->edge[column + cornerI[c]];
        }
    }
}

// Writes the unit normals of (nx, 1, nz) for count corners, with exactly the
// arithmetic of normalize3: the length in double precision, its reciprocal,
// each component times the reciprocal rounded to a float. The y of 1 keeps
// every length at 1 or more, so there is no zero case.
static void normalizeCorners(const float nx[], const float nz[], int count, float normal[][3])
{
    int k = 0;
#if defined(__SSE2__)
    // Two corners at a time; each packed operation rounds exactly as its
    // scalar double counterpart.
    const __m128d one = _mm_set1_pd(1.0);
    for (; k + 2 <= count; k += 2) {
        __m128d x = _mm_set_pd(nx[k + 1], nx[k]);
        __m128d z = _mm_set_pd(nz[k + 1], nz[k]);
        __m128d lengthSquared = _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, x), one), _mm_mul_pd(z, z));
        __m128d inv = _mm_div_pd(one, _mm_sqrt_pd(lengthSquared));
        float outX[4], outY[4], outZ[4];
        _mm_storeu_ps(outX, _mm_cvtpd_ps(_mm_mul_pd(x, inv)));
        _mm_storeu_ps(outY, _mm_cvtpd_ps(inv));
        _mm_storeu_ps(outZ, _mm_cvtpd_ps(_mm_mul_pd(z, inv)));
        for (int j = 0; j < 2; j++) {
            normal[k + j][0] = outX[j];
            normal[k + j][1] = outY[j];
            normal[k + j][2] = outZ[j];
        }
    }
#endif
    for (; k < count; k++) {
        normal[k][0] = nx[k];
        normal[k][1] = 1.0f;
        normal[k][2] = nz[k];
        normalize3(normal[k]);
    }
}

void drawQuadGrid(CornerRule rule)
{
    GridAxis axis;
    ColumnCorners corners;
    float xPos[cornersPerColumn], zPos[cornersPerColumn];
    float nx[cornersPerColumn], nz[cornersPerColumn];
    float normal[cornersPerColumn][3];

    buildAxis(&axis, scene.wavePhase);
    fillColumnZ(&axis, &corners, zPos);
    int count = axis.cells * cornersPerCell;

    // The outer loop walks the columns along x; each is one GL_QUADS block.
    for (int column = 0; column < axis.cells; column++) {
        fillColumnX(&axis, column, &corners, xPos);
        rule(&corners, nx, nz);
        normalizeCorners(nx, nz, count, normal);

        glBegin(GL_QUADS);
        for (int k = 0; k < count; k++) {
            glNormal3fv(normal[k]);
            glVertex3f(xPos[k], 0.0f, zPos[k]);
        }
        glEnd();
    }
}
