// One frame of the scene.
//
// The modelview matrix holds the camera transform when a frame starts and
// again when it ends. Three coordinate systems are used on top of it:
//  - the camera's own (no rotation): the lights are placed here, so they
//    shine from fixed directions relative to the viewer, and the light marker
//    is drawn here, at the mobile light's x and y in the plane of the centre;
//  - the surface's (camera times rotationMatrix): the sheet and the wire box
//    turn together in it;
//  - a bare identity, only for a moment, to put the trackball's increment in
//    front of the accumulated rotation: rotationMatrix becomes R times the old
//    one, so the increment turns about an axis fixed to the viewer.
// Every frame leaves lighting and depth test off and polygon mode fill, which
// the next frame relies on.
#include "render/frame.h"

#include <windows.h>

#include <cmath>
#include <cstring>

#include "render/gl.h"
#include "render/lighting.h"
#include "render/scene_state.h"
#include "surfaces/surfaces.h"

// Clear colours: a dark olive field, or a warm haze while fog is on.
static const float clearColour[4] = {0.2f, 0.3f, 0.1f, 1.0f};
static const float fogClearColour[4] = {0.65f, 0.45f, 0.26f, 1.0f};

// The wire box: a cube of side 4 around the sheet, drawn in blue, 2.5 pixels
// wide. Its colour and width stay current after the frame.
const float boxHalfSide = 2.0f;
const float boxBlue[3] = {0.0f, 0.0f, 0.9f};
const float boxLineWidth = 2.5f;

// The light marker: a small sphere in the plane of the scene's centre.
const double markerRadius = 0.1;
const int markerSlices = 10;
const int markerStacks = 10;

// Copies a 4x4 matrix.
static void copyMatrix(float to[16], const float from[16]) {
    std::memcpy(to, from, 16 * sizeof(float));
}

float *setIdentity(float *m) {
    for (int i = 0; i < 16; i++) m[i] = 0.0f;
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return m;
}

// Flat or smooth shading, from the panel's switch.
static void setShading(void) {
    glShadeModel(scene.flatShadingOn ? GL_FLAT : GL_SMOOTH);
}

// Fog on with its own clear colour, or off with the usual one.
static void setFogAndBackground(void) {
    const float *colour = scene.fogOn ? fogClearColour : clearColour;
    glClearColor(colour[0], colour[1], colour[2], colour[3]);
    if (scene.fogOn) {
        glEnable(GL_FOG);
    } else {
        glDisable(GL_FOG);
    }
}

// True when the spin can be handed to glRotatef: a finite angle and an axis
// the library can normalise. The trackball reports a zero axis when the
// pointer has not moved; that increment must change nothing, so it is skipped
// rather than left to a rotation about no axis. The squared length is taken
// in float, as the library would take it.
static int spinIsUsable(void) {
    const float *axis = scene.spinAxis;
    float lengthSquared = axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2];
    return std::isfinite(scene.spinAngle) && std::isnormal(lengthSquared);
}

// rotationMatrix = R(spinAngle about spinAxis) times rotationMatrix, worked
// out on the matrix stack and read back.
static void applySpinIncrement(void) {
    if (scene.trackballState != 1 || !spinIsUsable()) return;
    glPushMatrix();
    glLoadIdentity();
    glRotatef(scene.spinAngle, scene.spinAxis[0], scene.spinAxis[1], scene.spinAxis[2]);
    glMultMatrixf(scene.rotationMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, scene.rotationMatrix);
    glPopMatrix();
}

// Re-sends all seven light positions under the camera transform and switches
// lighting on; lights 4 to 6 get positions but stay dark.
static void positionLights(void) {
    if (!scene.lightsOn) return;
    const float light0[4] = {scene.mobileLight[0], scene.mobileLight[1], scene.mobileLight[2], 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light0);
    glEnable(GL_LIGHT0);
    for (int n = 1; n < lightCount; n++) {
        GLenum light = GL_LIGHT0 + n;
        glLightfv(light, GL_POSITION, lightPos[n - 1]);
        if (n < enabledLightCount) glEnable(light);
    }
    glEnable(GL_LIGHTING);
}

// A camera button pressed since the last frame: keep last frame's orientation,
// throwing away this frame's increment.
static void restoreRotationAfterCameraChange(void) {
    if (!scene.cameraChanged) return;
    copyMatrix(scene.rotationMatrix, scene.savedRotationMatrix);
    scene.cameraChanged = 0;
}

// Alpha blending of everything drawn from here on, or none.
static void setBlending(void) {
    if (scene.blendOn) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
}

// The chosen surface, in the surface's coordinates. An index the table does
// not hold draws nothing.
static void drawSurface(void) {
    if (scene.surfaceIndex < 0 || scene.surfaceIndex >= surfaceCount) return;
    glPushMatrix();
    glMultMatrixf(scene.rotationMatrix);
    surfaceTable[scene.surfaceIndex]();
    glPopMatrix();
}

// The wire box, turned with the surface.
static void drawRotatedFrameBox(void) {
    glPushMatrix();
    glMultMatrixf(scene.rotationMatrix);
    drawFrameBox();
    glPopMatrix();
}

// The marker sphere at the mobile light's x and y, not turned. Without a
// quadric there is nothing to draw it with, and the frame goes on without it.
static void drawLightMarker(GLUquadric *quadric) {
    if (!quadric) return;
    glPushMatrix();
    glTranslatef(scene.mobileLight[0], scene.mobileLight[1], 0.0f);
    gluSphere(quadric, markerRadius, markerSlices, markerStacks);
    glPopMatrix();
}

void drawScene(void) {
    GLUquadric *markerQuadric = gluNewQuadric();
    applySurfaceMaterial();
    setShading();
    setFogAndBackground();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    applySpinIncrement();
    if (scene.wireframeOn) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    positionLights();
    glEnable(GL_DEPTH_TEST);
    restoreRotationAfterCameraChange();
    setBlending();

    drawSurface();
    copyMatrix(scene.savedRotationMatrix, scene.rotationMatrix);

    // The box is never lit and never a wireframe.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    drawRotatedFrameBox();

    // The marker is always lit, whatever the lights switch says.
    glEnable(GL_LIGHTING);
    applyMarkerMaterial();
    drawLightMarker(markerQuadric);
    applySurfaceMaterial();

    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    if (markerQuadric) gluDeleteQuadric(markerQuadric);
    glFlush();
    SwapBuffers(scene.hDC);
}

// The twelve edges of the box in four line strips: the square at z = -2, one
// edge along z, the square at z = +2, then the three other edges along z.
void drawFrameBox(void) {
    const float s = boxHalfSide;
    glColor3f(boxBlue[0], boxBlue[1], boxBlue[2]);
    glLineWidth(boxLineWidth);

    glBegin(GL_LINE_STRIP);
    glVertex3f(-s, -s, -s);
    glVertex3f(-s, s, -s);
    glVertex3f(s, s, -s);
    glVertex3f(s, -s, -s);
    glVertex3f(-s, -s, -s);
    glVertex3f(-s, -s, s);
    glVertex3f(-s, s, s);
    glVertex3f(s, s, s);
    glVertex3f(s, -s, s);
    glVertex3f(-s, -s, s);
    glEnd();

    glBegin(GL_LINE_STRIP);
    glVertex3f(s, s, -s);
    glVertex3f(s, s, s);
    glEnd();

    glBegin(GL_LINE_STRIP);
    glVertex3f(s, -s, -s);
    glVertex3f(s, -s, s);
    glEnd();

    glBegin(GL_LINE_STRIP);
    glVertex3f(-s, s, -s);
    glVertex3f(-s, s, s);
    glEnd();
}
