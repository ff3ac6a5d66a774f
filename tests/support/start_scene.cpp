#include "support/start_scene.h"

#include "render/camera.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/lighting.h"
#include "render/scene_state.h"

// rotationMatrix = Rx(-130) * Ry(-30), by GL's own rotation arithmetic, with
// the camera transform on the modelview stack left as it was.
static void setStartOrientation() {
    setIdentity(scene.rotationMatrix);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(-130.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-30.0f, 0.0f, 1.0f, 0.0f);
    glMultMatrixf(scene.rotationMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, scene.rotationMatrix);
    glPopMatrix();
}

void openStartScene(int clientWidth, int clientHeight) {
    scene = SceneState{};
    scene.windowWidth = clientWidth;
    scene.windowHeight = clientHeight;
    initLighting();
    resetModelView();
    setStartOrientation();
    resizeViewport();
}
