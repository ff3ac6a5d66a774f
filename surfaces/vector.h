// Small vector helpers over float[3].
#pragma once

void normalize3(float v[3]);
void planeNormal(const float points[9], float out[3]);
