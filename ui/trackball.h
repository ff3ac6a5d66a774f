// The virtual trackball: the left button turns the scene.
#pragma once

void trackballVector(int px, int py, int width, int height, float out[3]);
void trackballPress(int x, int y);
void trackballMotion(int x, int y);
void trackballRelease(int x, int y);
void trackballCaptureLost(void);
