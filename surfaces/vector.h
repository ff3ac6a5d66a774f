// Small vector helpers over float[3].
#pragma once

// Scales v to unit length in place; a zero vector stays zero.
void normalize3(float v[3]);

// Writes into out the unit normal of the triangle p0, p1, p2 (points[0..2],
// [3..5], [6..8]): for points running counter-clockwise as seen by a viewer it
// points toward that viewer. Collinear or coincident points give (0, 0, 0).
void planeNormal(const float points[9], float out[3]);
