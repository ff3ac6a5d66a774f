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
static void buildAxis(GridAxis *axis, double phase) {
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
static void fillColumnZ(const GridAxis *axis, ColumnCorners *corners) {
    corners->cells = axis->cells;
    for (int cell = 0; cell < axis->cells; cell++) {
        for (int c = 0; c < cornersPerCell; c++) {
            int k = cell * cornersPerCell + c;
            bool farSide = cornerK[c] != 0;
            corners->z[k] = farSide ? axis->farSum[cell] : (double)axis->edge[cell];
            corners->sinZ[k] = farSide ? axis->sinAtFarSum[cell] : axis->sinAtEdge[cell];
        }
    }
}

// Fills the x side of the corners of column number column.
static void fillColumnX(const GridAxis *axis, int column, ColumnCorners *corners) {
    for (int c = 0; c < cornersPerCell; c++) {
        bool farSide = cornerI[c] != 0;
        corners->x[c] = farSide ? axis->farSum[column] : (double)axis->edge[column];
        corners->sinX[c] = farSide ? axis->sinAtFarSum[column] : axis->sinAtEdge[column];
    }
}

// ---- Normalisation ---------------------------------------------------------
//
// Every corner's normal (nx, 1, nz) is scaled to unit length with exactly the
// arithmetic of normalize3: the squared length and its square root in double
// precision, the reciprocal, each component times the reciprocal rounded to a
// float. The y of 1 keeps every length at 1 or more, so there is no zero case.
// Where the processor has packed doubles the same operations run on 2 corners
// at a time (SSE2: every x86-64, and the 32-bit Windows build, which is built
// for SSE2 arithmetic), or on 4 or 8 (AVX, AVX-512: x86-64, chosen at run
// time). Packed IEEE operations round exactly as their scalar counterparts,
// and the build forbids fused multiply-adds, so the bits do not change; only
// the square roots and divisions, nearly all of the sweep's arithmetic, go
// faster. The results come out as rows of x, y and z, and are turned into
// (x, y, z) triples by shuffles, which move bits without touching them.

#if defined(__GNUC__) && defined(__SSE2__)
#include <emmintrin.h>
#define GRID_NORMALS_BY_TWO 1
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define GRID_NORMALS_BY_FOUR_AND_EIGHT 1
#endif

// Normalises corners from k to count one at a time.
static void normalizeOneByOne(const float nx[], const float nz[], int k, int count, float normal[][3]) {
    for (; k < count; k++) {
        double x = nx[k];
        double z = nz[k];
        double inv = 1.0 / sqrt(x * x + 1.0 + z * z);
        normal[k][0] = (float)(x * inv);
        normal[k][1] = (float)inv;
        normal[k][2] = (float)(z * inv);
    }
}

#if defined(GRID_NORMALS_BY_TWO)
// Writes four normals given as rows x, y, z to normal[0..4), which are twelve
// floats in a row: x0 y0 z0 x1 | y1 z1 x2 y2 | z2 x3 y3 z3. A shuffle takes
// its first two floats from its first operand and its last two from its second.
static inline void storeFourNormals(__m128 x, __m128 y, __m128 z, float normal[][3]) {
    __m128 x0y0x1y1 = _mm_unpacklo_ps(x, y);
    __m128 x2y2x3y3 = _mm_unpackhi_ps(x, y);
    __m128 z0z0x1x1 = _mm_shuffle_ps(z, x, _MM_SHUFFLE(1, 1, 0, 0));
    __m128 y1y1z1z1 = _mm_shuffle_ps(y, z, _MM_SHUFFLE(1, 1, 1, 1));
    __m128 z2z2x3x3 = _mm_shuffle_ps(z, x, _MM_SHUFFLE(3, 3, 2, 2));
    __m128 y3y3z3z3 = _mm_shuffle_ps(y, z, _MM_SHUFFLE(3, 3, 3, 3));
    float *out = normal[0];
    _mm_storeu_ps(out, _mm_shuffle_ps(x0y0x1y1, z0z0x1x1, _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storeu_ps(out + 4, _mm_shuffle_ps(y1y1z1z1, x2y2x3y3, _MM_SHUFFLE(1, 0, 2, 0)));
    _mm_storeu_ps(out + 8, _mm_shuffle_ps(z2z2x3x3, y3y3z3z3, _MM_SHUFFLE(2, 0, 2, 0)));
}

// Normalises corners 4 at a time in two pairs while 4 remain; returns the
// first one left.
static int normalizeByTwo(const float nx[], const float nz[], int count, float normal[][3]) {
    const __m128d one = _mm_set1_pd(1.0);
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        __m128 fourX = _mm_loadu_ps(nx + k);
        __m128 fourZ = _mm_loadu_ps(nz + k);
        // Each pair's three results fill the low halves of its rows.
        __m128 rowX[2], rowY[2], rowZ[2];
        for (int pair = 0; pair < 2; pair++) {
            __m128d x = _mm_cvtps_pd(pair == 0 ? fourX : _mm_movehl_ps(fourX, fourX));
            __m128d z = _mm_cvtps_pd(pair == 0 ? fourZ : _mm_movehl_ps(fourZ, fourZ));
            __m128d lengthSquared = _mm_add_pd(_mm_add_pd(_mm_mul_pd(x, x), one), _mm_mul_pd(z, z));
            __m128d inv = _mm_div_pd(one, _mm_sqrt_pd(lengthSquared));
            rowX[pair] = _mm_cvtpd_ps(_mm_mul_pd(x, inv));
            rowY[pair] = _mm_cvtpd_ps(inv);
            rowZ[pair] = _mm_cvtpd_ps(_mm_mul_pd(z, inv));
        }
        storeFourNormals(_mm_movelh_ps(rowX[0], rowX[1]), _mm_movelh_ps(rowY[0], rowY[1]),
                         _mm_movelh_ps(rowZ[0], rowZ[1]), normal + k);
    }
    return k;
}
#endif

#if defined(GRID_NORMALS_BY_FOUR_AND_EIGHT)
// Normalises corners 8 at a time while 8 remain; returns the first one left.
__attribute__((target("avx512f"))) static int normalizeByEight(const float nx[], const float nz[], int count,
                                                               float normal[][3]) {
    const __m512d one = _mm512_set1_pd(1.0);
    // The masked forms with every lane on: GCC 12's plain forms warn about
    // their undefined pass-through operand.
    const __mmask8 allLanes = 0xFF;
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        __m512d x = _mm512_maskz_cvtps_pd(allLanes, _mm256_loadu_ps(nx + k));
        __m512d z = _mm512_maskz_cvtps_pd(allLanes, _mm256_loadu_ps(nz + k));
        __m512d lengthSquared = _mm512_add_pd(_mm512_add_pd(_mm512_mul_pd(x, x), one), _mm512_mul_pd(z, z));
        __m512d inv = _mm512_div_pd(one, _mm512_maskz_sqrt_pd(allLanes, lengthSquared));
        __m256 rowX = _mm512_maskz_cvtpd_ps(allLanes, _mm512_mul_pd(x, inv));
        __m256 rowY = _mm512_maskz_cvtpd_ps(allLanes, inv);
        __m256 rowZ = _mm512_maskz_cvtpd_ps(allLanes, _mm512_mul_pd(z, inv));
        storeFourNormals(_mm256_castps256_ps128(rowX), _mm256_castps256_ps128(rowY), _mm256_castps256_ps128(rowZ),
                         normal + k);
        storeFourNormals(_mm256_extractf128_ps(rowX, 1), _mm256_extractf128_ps(rowY, 1), _mm256_extractf128_ps(rowZ, 1),
                         normal + k + 4);
    }
    return k;
}

// Normalises corners 4 at a time while 4 remain; returns the first one left.
__attribute__((target("avx"))) static int normalizeByFour(const float nx[], const float nz[], int count,
                                                          float normal[][3]) {
    const __m256d one = _mm256_set1_pd(1.0);
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        __m256d x = _mm256_cvtps_pd(_mm_loadu_ps(nx + k));
        __m256d z = _mm256_cvtps_pd(_mm_loadu_ps(nz + k));
        __m256d lengthSquared = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(x, x), one), _mm256_mul_pd(z, z));
        __m256d inv = _mm256_div_pd(one, _mm256_sqrt_pd(lengthSquared));
        storeFourNormals(_mm256_cvtpd_ps(_mm256_mul_pd(x, inv)), _mm256_cvtpd_ps(inv),
                         _mm256_cvtpd_ps(_mm256_mul_pd(z, inv)), normal + k);
    }
    return k;
}
#endif

// The most corners the processor can normalise at once.
static int widestNormalLanes(void) {
#if defined(GRID_NORMALS_BY_FOUR_AND_EIGHT)
    if (__builtin_cpu_supports("avx512f")) return 8;
    if (__builtin_cpu_supports("avx")) return 4;
#endif
#if defined(GRID_NORMALS_BY_TWO)
    return 2;
#else
    return 1;
#endif
}

// Corners normalised at once; 0 until the first sweep chooses the widest.
static int normalLanes = 0;

int limitNormalLanes(int most) {
    int lanes = widestNormalLanes();
    while (lanes > most && lanes > 1) lanes /= 2;
    normalLanes = lanes;
    return lanes;
}

// Writes the unit normals of (nx, 1, nz) for count corners into normal.
static void normalizeCorners(const float nx[], const float nz[], int count, float normal[][3]) {
    if (normalLanes == 0) normalLanes = widestNormalLanes();
    int k = 0;
#if defined(GRID_NORMALS_BY_FOUR_AND_EIGHT)
    if (normalLanes == 8) k = normalizeByEight(nx, nz, count, normal);
    if (normalLanes == 4) k = normalizeByFour(nx, nz, count, normal);
#endif
#if defined(GRID_NORMALS_BY_TWO)
    if (normalLanes == 2) k = normalizeByTwo(nx, nz, count, normal);
#endif
    normalizeOneByOne(nx, nz, k, count, normal);
}

// ---- The sweep ---------------------------------------------------------------

// Corners normalised together just ahead of sending: two cells.
const int cellsPerGroup = 2;
const int cornersPerGroup = cellsPerGroup * cornersPerCell;

// Sends cells first..first + count of one column: for each cell the corners
// c0..c3, each as its normal and then its position on the rounded edges.
static void sendCells(const GridAxis *axis, int column, int first, int count, const float normal[][3]) {
    float x0 = axis->edge[column];
    float x1 = axis->edge[column + 1];
    for (int cell = first; cell < first + count; cell++) {
        const float(*corner)[3] = normal + (cell - first) * cornersPerCell;
        float z0 = axis->edge[cell];
        float z1 = axis->edge[cell + 1];
        glNormal3fv(corner[0]);
        glVertex3f(x0, 0.0f, z0);
        glNormal3fv(corner[1]);
        glVertex3f(x1, 0.0f, z0);
        glNormal3fv(corner[2]);
        glVertex3f(x1, 0.0f, z1);
        glNormal3fv(corner[3]);
        glVertex3f(x0, 0.0f, z1);
    }
}

// Cells in the group from first on: a whole group, or what is left.
static int cellsFrom(const GridAxis *axis, int first) {
    int left = axis->cells - first;
    return left < cellsPerGroup ? left : cellsPerGroup;
}

// Normalises the corners of the cells in the group from first on.
static void normalizeCells(const ColumnTilts *tilts, int first, int count, float normal[][3]) {
    int k = first * cornersPerCell;
    normalizeCorners(tilts->nx + k, tilts->nz + k, count * cornersPerCell, normal);
}

// Sends one column's quads, normalising each group of corners just before GL
// takes the group before it: the square roots and divisions, slow and done by
// one unit, then run while the processor works through GL's calls, instead of
// holding everything up for a whole column at once.
static void sendColumn(const GridAxis *axis, int column, const ColumnTilts *tilts) {
    float normal[2][cornersPerGroup][3];
    normalizeCells(tilts, 0, cellsFrom(axis, 0), normal[0]);
    glBegin(GL_QUADS);
    for (int first = 0, group = 0; first < axis->cells; first += cellsPerGroup, group++) {
        int next = first + cellsPerGroup;
        if (next < axis->cells) normalizeCells(tilts, next, cellsFrom(axis, next), normal[(group + 1) % 2]);
        sendCells(axis, column, first, cellsFrom(axis, first), normal[group % 2]);
    }
    glEnd();
}

void drawQuadGrid(CornerRule rule) {
    GridAxis axis;
    ColumnCorners corners;
    ColumnTilts tilts;

    buildAxis(&axis, scene.wavePhase);
    fillColumnZ(&axis, &corners);

    // The outer loop walks the columns along x; each is one GL_QUADS block.
    for (int column = 0; column < axis.cells; column++) {
        fillColumnX(&axis, column, &corners);
        rule(&corners, &tilts);
        sendColumn(&axis, column, &tilts);
    }
}
