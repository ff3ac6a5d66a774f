// The right button drags light 0, and the marker that shows it, in the plane
// of the screen: x follows the pointer to the right, y follows it up, z never
// changes. Six pixels of travel move the light one scene unit; the light has
// no bounds.
#include "ui/light_drag.h"

#include "app/redraw.h"
#include "render/scene_state.h"

// Right button down: remember where the drag starts. The light stays put.
void lightDragPress(int x, int y) {
    scene.lightDragLast.x = x;
    scene.lightDragLast.y = y;
    scene.lightDragging = 1;
}

// Motion while dragging: move the light by the pointer's offset since the last
// point seen, scaled in double precision and stored back as floats.
void lightDragMotion(int x, int y) {
    if (scene.lightDragging == 0) return;
    int dx = x - scene.lightDragLast.x;
    int dy = y - scene.lightDragLast.y;
    scene.lightDragLast.x = x;
    scene.lightDragLast.y = y;
    scene.mobileLight[0] = (float)(scene.mobileLight[0] + dx * lightDragStep);
    scene.mobileLight[1] = (float)(scene.mobileLight[1] - dy * lightDragStep);  // client y grows downward
    requestRedraw();
}

void lightDragRelease(void) {
    scene.lightDragging = 0;
}
