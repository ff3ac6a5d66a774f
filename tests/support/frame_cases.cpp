#include "support/frame_cases.h"

#include <cstring>

#include "render/scene_state.h"

// Turns the sheet over: a half turn about the viewer's x axis put in front of
// the start orientation negates the matrix's second and third rows, exactly.
static void seenFromBelow(void) {
    for (int column = 0; column < 4; column++) {
        scene.rotationMatrix[column * 4 + 1] = -scene.rotationMatrix[column * 4 + 1];
        scene.rotationMatrix[column * 4 + 2] = -scene.rotationMatrix[column * 4 + 2];
    }
}

// A spin increment of angle degrees about (x, y, z) at every frame.
static void spin(float angle, float x, float y, float z) {
    scene.trackballState = 1;
    scene.spinAngle = angle;
    scene.spinAxis[0] = x, scene.spinAxis[1] = y, scene.spinAxis[2] = z;
}

bool applyFrameCase(const char *name) {
    auto is = [name](const char *caseName) { return std::strcmp(name, caseName) == 0; };
    if (is("start")) {
    } else if (is("fog")) {
        scene.fogOn = 1;
    } else if (is("wireframe")) {
        scene.wireframeOn = 1;
    } else if (is("flat")) {
        scene.flatShadingOn = 1;
    } else if (is("blend")) {
        scene.blendOn = 1;
    } else if (is("below")) {
        seenFromBelow();
    } else if (is("spin")) {
        spin(0.03f, 0.4f, 1.0f, 0.4f);
    } else if (is("spin-x")) {
        spin(33.0f, -2.0f, 0.0f, 0.0f);
    } else if (is("spin-wide")) {
        spin(-171.5f, 0.3f, -0.7f, 0.05f);
    } else {
        return false;
    }
    return true;
}
