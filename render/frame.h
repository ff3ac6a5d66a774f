// One complete frame: options, clear, trackball increment, lights, surface,
// wire box, light marker, swap.
#pragma once

void drawScene(void);
void drawFrameBox(void);
float *setIdentity(float *m);
