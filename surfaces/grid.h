// The flat 40 x 40 quad grid that every wave surface sends; a wave surface
// only supplies the rule for its corners' normals.
#pragma once

// The grid's constants as 32-bit floats; the sweep's arithmetic uses exactly
// these values (-1.60000002384..., 0.07999999821..., 1.60000002384...).
const float gridStart = -1.6f;
const float gridStep = 0.08f;
const float gridLimit = 1.6f;

// 40 columns along x, each one GL_QUADS block of 40 cells along z; a cell's
// corners c0 (x0, z0), c1 (x1, z0), c2 (x1, z1), c3 (x0, z1) go out in that
// order, clockwise as seen from +y.
const int gridCells = 40;
const int cornersPerCell = 4;
const int cornersPerColumn = gridCells * cornersPerCell;

// The waves' spatial frequency: the sines are taken of 10 x + phase.
const double waveFrequency = 10.0;

// One column's corners as a corner rule sees them. x and z are a corner's
// exact double coordinates: the rounded edge for a near corner, the unrounded
// sum edge + step for a far one; sinX = sin(10 x + phase), sinZ likewise.
// Along x every cell of a column has the same four corners c0..c3; along z
// each corner has its own, cell by cell, and those are the same in every
// column.
struct ColumnCorners {
    int cells;                 // cells in the column: 40
    double x[cornersPerCell];  // x of c0, c1, c2, c3
    double sinX[cornersPerCell];
    double z[cornersPerColumn];  // z of corner c of cell n at [4 n + c]
    double sinZ[cornersPerColumn];
};

// What a rule writes for one column: the x and z of every corner's normal,
// rounded to floats, at [4 n + c] (the normal's y is 1 until the sweep
// normalises it).
struct ColumnTilts {
    float nx[cornersPerColumn];
    float nz[cornersPerColumn];
};

// A wave surface's rule for the normals of one column's corners.
typedef void (*CornerRule)(const ColumnCorners *corners, ColumnTilts *tilts);

// Sends the whole grid at scene.wavePhase with normals from rule: 40 GL_QUADS
// blocks of 160 glNormal3fv/glVertex3f pairs, every vertex in the plane y = 0.
// Only glBegin, glNormal3fv, glVertex3f and glEnd are called; the current
// normal is left at the last one sent.
void drawQuadGrid(CornerRule rule);

// The sweep normalises 8, 4 or 2 corners at once where the processor can, with
// the same bits as one at a time. Narrows that to at most `most` (1 = one at a
// time) and returns the width now in use; tests use it to check every width.
int limitNormalLanes(int most);
