// The right button drags light 0 in the plane of the screen.
#pragma once

const double lightDragStep = 0.16666666666666666;

void lightDragPress(int x, int y);
void lightDragMotion(int x, int y);
void lightDragRelease(void);
