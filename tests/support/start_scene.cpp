#include "support/start_scene.h"

#include "render/camera.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/lighting.h"
#include "render/scene_state.h"

void openStartScene(int clientWidth, int clientHeight) {
    scene = SceneState{};
    scene.windowWidth = clientWidth;
    scene.windowHeight = clientHeight;
    initLighting();
    resetModelView();
    setStartOrientation();
    resizeViewport();
}
