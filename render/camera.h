// Projection, camera transform and viewport, from the window's client size,
// the projection switch and the camera distance.
#pragma once

// The scene starts tipped back by 130 degrees about x after a turn of -30
// degrees about y, so the sheet is seen from above at an angle.
const float startTiltXDegrees = -130.0f;
const float startTurnYDegrees = -30.0f;

void setProjection(void);
void resetModelView(void);
void resizeViewport(void);
// Sets the scene's rotationMatrix to the start orientation,
// Rx(startTiltXDegrees) * Ry(startTurnYDegrees); the modelview matrix is left
// as it was.
void setStartOrientation(void);
