#include "support/patch_view.h"

#include "render/gl.h"

void lookAlongY(int viewSize, bool fromAbove) {
    glViewport(0, 0, viewSize, viewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-2, 2, -2, 2, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float behindViewer[4] = {0, 0, 1, 0};
    glLightfv(GL_LIGHT0, GL_POSITION, behindViewer);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glShadeModel(GL_SMOOTH);
    glRotatef(fromAbove ? 90.0f : -90.0f, 1, 0, 0);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

bool isClearBlue(const unsigned char rgba[4]) {
    return rgba[0] == 0 && rgba[1] == 0 && rgba[2] == 255;
}
