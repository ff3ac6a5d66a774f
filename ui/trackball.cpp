// The virtual trackball: the left button turns the whole scene.
//
// The client area is the projection of a dome. A pixel (px, py) becomes a
// point (x, y) in -1..1 across each axis (separately, so a client area that
// is not square gives an elliptic ball), its height over the screen is
// z = cos(d * pi/2) with d its distance from the centre, clamped to 1, and the
// point is pushed back onto the unit sphere. The dome is not a hemisphere but
// it is smooth, and every point outside the unit disc lands on the equator in
// its direction from the centre.
//
// Mouse handling never touches the rotation: each motion stores the increment
// that carries the last point of the ball to the new one (an angle and an axis)
// and the frame multiplies that increment into rotationMatrix once per frame
// for as long as trackballState is 1.
#include "ui/trackball.h"

#include <cmath>

#include "app/redraw.h"
#include "render/scene_state.h"

static const float halfPi = 1.5707964f;
// Degrees of turn per unit of straight-line distance between two points of the
// unit ball.
static const float degreesPerUnit = 90.0f;

// Maps a pixel to -1..+1 across a client extent. An extent of 0 pixels (a
// minimised window) has no offset to give: the point counts as centred.
static float ballCoordinate(int pixel, int extent) {
    if (extent <= 0) return 0.0f;
    return (2.0f * pixel - extent) / extent;
}

void trackballVector(int px, int py, int width, int height, float out[3]) {
    float x = ballCoordinate(px, width);
    float y = -ballCoordinate(py, height);  // client y grows downward
    float d = std::sqrt(x * x + y * y);
    if (!(d < 1.0f)) d = 1.0f;
    float z = (float)std::cos(d * halfPi);
    float length = std::sqrt(x * x + y * y + z * z);
    out[0] = x / length;
    out[1] = y / length;
    out[2] = z / length;
}

// Left button down: from now on the increment in force is applied every frame,
// and frames come on request only.
void trackballPress(int x, int y) {
    scene.trackballState = 1;
    scene.trackballDragging = 1;
    scene.keepSpinning = 0;
    scene.pressPoint.x = x;
    scene.pressPoint.y = y;
    scene.lastDragPoint = scene.pressPoint;
    trackballVector(x, y, scene.windowWidth, scene.windowHeight, scene.lastTrackballVec);
}

// Motion with the left button held: the increment from the last point of the
// ball to this one. The axis is last x cur, left unnormalised (its length is
// the sine of the angle between them); the frame's rotation normalises it.
void trackballMotion(int x, int y) {
    if (scene.trackballDragging == 0) return;
    float cur[3];
    trackballVector(x, y, scene.windowWidth, scene.windowHeight, cur);
    const float *last = scene.lastTrackballVec;
    float dx = cur[0] - last[0];
    float dy = cur[1] - last[1];
    float dz = cur[2] - last[2];
    scene.spinAngle = degreesPerUnit * std::sqrt(dx * dx + dy * dy + dz * dz);
    scene.spinAxis[0] = last[1] * cur[2] - last[2] * cur[1];
    scene.spinAxis[1] = last[2] * cur[0] - last[0] * cur[2];
    scene.spinAxis[2] = last[0] * cur[1] - last[1] * cur[0];
    scene.lastTrackballVec[0] = cur[0];
    scene.lastTrackballVec[1] = cur[1];
    scene.lastTrackballVec[2] = cur[2];
    scene.lastDragPoint.x = x;
    scene.lastDragPoint.y = y;
    requestRedraw();
}

// Left button up: the turning stops. A release exactly at the press point is a
// click, which also stops applying the increment and the continuous frames; a
// release elsewhere lets frames run back to back again.
void trackballRelease(int x, int y) {
    if (scene.trackballState != 1) return;
    scene.trackballDragging = 0;
    scene.spinAngle = 0.0f;
    if (x == scene.pressPoint.x && y == scene.pressPoint.y) {
        scene.keepSpinning = 0;
        scene.trackballState = 0;
    } else {
        scene.keepSpinning = 1;
    }
    requestRedraw();
}

// The mouse was taken away with the button still down (the window minimised
// mid-drag, another window capturing it): the release will never come, so the
// drag ends as a release where the pointer was last seen would end it.
void trackballCaptureLost(void) {
    if (scene.trackballDragging == 0) return;
    trackballRelease(scene.lastDragPoint.x, scene.lastDragPoint.y);
}
