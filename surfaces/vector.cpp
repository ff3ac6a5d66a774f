// Vector helpers: normalisation and the normal of a triangle's plane.
#include "surfaces/vector.h"

#include <math.h>

void normalize3(float v[3]) {
    // The length is taken in double precision from the float components.
    double len = sqrt((double)v[0] * v[0] + (double)v[1] * v[1] + (double)v[2] * v[2]);
    if (len == 0.0) len = 1.0;  // a zero vector stays zero: no division by zero
    double inv = 1.0 / len;
    v[0] = (float)(v[0] * inv);
    v[1] = (float)(v[1] * inv);
    v[2] = (float)(v[2] * inv);
}

void planeNormal(const float points[9], float out[3]) {
    const float *p0 = points;
    const float *p1 = points + 3;
    const float *p2 = points + 6;
    float a[3] = {p0[0] - p1[0], p0[1] - p1[1], p0[2] - p1[2]};
    float b[3] = {p1[0] - p2[0], p1[1] - p2[1], p1[2] - p2[2]};

    // a x b equals (p1 - p0) x (p2 - p1): both differences are negated.
    out[0] = (float)((double)a[1] * b[2] - (double)a[2] * b[1]);
    out[1] = (float)((double)a[2] * b[0] - (double)a[0] * b[2]);
    out[2] = (float)((double)a[0] * b[1] - (double)a[1] * b[0]);
    normalize3(out);
}
