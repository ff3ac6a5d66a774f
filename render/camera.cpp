// Projection, camera transform and viewport.
//
// Perspective: a frustum one unit high on each side of the line of sight at
// the near plane (eye distance 2), as wide as the client area's shape asks,
// whose far plane follows the camera distance so that it always lies 3.3
// units behind the scene's centre. The camera backs off along z so that the
// centre sits at eye distance cameraDistance + 0.7.
// Orthographic: a box 6 units tall, as wide as the shape asks, 10 units deep,
// with the centre 5 units in front of the eye whatever the distance says.
#include "render/camera.h"

#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"

// The perspective frustum: near plane, and how far beyond the camera distance
// the far plane lies.
const double perspectiveNear = 2.0;
const double perspectiveHalfHeight = 1.0;
const float farBeyondCameraDistance = 4.0f;
// The far plane never closes in on the near plane further than this: a
// distance of -2 or less would otherwise give GL an empty or inverted depth
// range. 0.4 is one press of the camera button, so the last valid depth of
// the frustum is kept.
const double minimumPerspectiveDepth = 0.4;
// The camera sits this far behind the camera distance.
const float cameraBackOff = 0.7f;

// The orthographic box and where its centre sits.
const double orthoHalfHeight = 3.0;
const double orthoNear = 0.0;
const double orthoFar = 10.0;
const float orthoCameraDistance = 5.0f;

// Width over height of the client area. A minimised window reports an empty
// client area; each side then counts as one pixel, so the division stays
// defined and the frustum keeps a width.
static float clientAspect(void) {
    int width = scene.windowWidth > 0 ? scene.windowWidth : 1;
    int height = scene.windowHeight > 0 ? scene.windowHeight : 1;
    return (float)width / (float)height;
}

// The far distance of the perspective frustum, always beyond the near plane.
static double perspectiveFar(void) {
    float farDistance = scene.cameraDistance + farBeyondCameraDistance;
    if (!(farDistance > perspectiveNear)) return perspectiveNear + minimumPerspectiveDepth;
    return farDistance;
}

// Builds the projection matrix for the current mode and client shape, and
// leaves the modelview matrix mode current.
void setProjection(void) {
    float aspect = clientAspect();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (scene.perspectiveOn) {
        glFrustum(-aspect, aspect, -perspectiveHalfHeight, perspectiveHalfHeight, perspectiveNear, perspectiveFar());
    } else {
        glOrtho(-orthoHalfHeight * aspect, orthoHalfHeight * aspect, -orthoHalfHeight, orthoHalfHeight, orthoNear,
                orthoFar);
    }
    glMatrixMode(GL_MODELVIEW);
}

// Rebuilds the projection and puts the camera transform, the start of every
// frame, into the modelview matrix.
void resetModelView(void) {
    setProjection();
    glLoadIdentity();
    if (scene.perspectiveOn) {
        glTranslatef(0.0f, 0.0f, -(scene.cameraDistance + cameraBackOff));
    } else {
        glTranslatef(0.0f, 0.0f, -orthoCameraDistance);
    }
}

// Worked out on the modelview stack, so that the graphics library's own
// rotation arithmetic gives the matrix.
void setStartOrientation(void) {
    setIdentity(scene.rotationMatrix);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(startTiltXDegrees, 1.0f, 0.0f, 0.0f);
    glRotatef(startTurnYDegrees, 0.0f, 1.0f, 0.0f);
    glMultMatrixf(scene.rotationMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, scene.rotationMatrix);
    glPopMatrix();
}

// Rebuilds the projection for a new client size and makes the viewport cover
// the whole client area; the camera transform stays.
void resizeViewport(void) {
    setProjection();
    glViewport(0, 0, scene.windowWidth, scene.windowHeight);
}
