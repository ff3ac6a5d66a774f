// Projection, camera transform and viewport, from the window's client size,
// the projection switch and the camera distance.
#pragma once

void setProjection(void);
void resetModelView(void);
void resizeViewport(void);
