// The flat 40 x 40 quad grid that every wave surface sends; a wave surface
// only supplies the rule for a corner's normal.
#pragma once

// Gives the normal's x and z (y is 1 before normalisation) for a corner at
// (x, z) and the animation phase.
typedef void (*CornerRule)(double x, double z, double phase, float *nx, float *nz);

const float gridStart = -1.6f;
const float gridStep = 0.08f;
const float gridLimit = 1.6f;

void drawQuadGrid(CornerRule rule);
