// The options dialog: push buttons that switch wireframe, lights, fog,
// perspective and transparency at once, and one that resets the view's
// orientation and the light's position. The dialog shows no state of its own.
#include <windows.h>

#include "app/redraw.h"
#include "render/camera.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "ui/dialogs.h"

// Control ids of the options template "ColorScrDlg1" (res/quelvaro.rc).
const int idOptionsOk = IDOK;     // "OK"
const int idFog = 1006;           // "NIEBLITA"
const int idWireframe = 1008;     // "WIREFRAME <-> SMOOTH"
const int idResetMotion = 1009;   // "reset-motion"
const int idLights = 1018;        // "LUCES"
const int idPerspective = 1019;   // "PERSPECTIVE"
const int idTransparency = 1046;  // "TRANSPARENCIA"

// The motion reset tilts the sheet towards the viewer by this angle about the
// x axis, so that it is seen from above rather than edge on.
const float resetTiltDegrees = -60.0f;

// Where the motion reset puts light 0: up and to the left, in the plane z = 0.
const float resetLightPosition[3] = {-2.0f, 2.0f, 0.0f};

// Flips a flag: 0 becomes 1, anything else becomes 0.
static void toggle(int *flag) {
    *flag = (*flag == 0);
}

// Stops the trackball's per-frame increment, turns the scene back to a plain
// -60 degree tilt about x and puts the light back. The rotation is built on
// the modelview stack and read back, between a push and a pop, so the camera
// transform that every frame starts from is left as it was. The spin angle,
// axis, drag state and keepSpinning are not touched.
static void resetMotion(void) {
    scene.trackballState = 0;
    setIdentity(scene.rotationMatrix);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(resetTiltDegrees, 1.0f, 0.0f, 0.0f);
    glMultMatrixf(scene.rotationMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, scene.rotationMatrix);
    glPopMatrix();
    for (int i = 0; i < 3; i++) scene.mobileLight[i] = resetLightPosition[i];
}

// Closes the dialog for good. A modeless dialog that is only ended stays
// behind as a hidden window until the process exits, one more for every
// open and close; destroying it frees the window. hOptionsDlg goes back to 0
// first, so the panel's next "OPTIONS" builds a fresh dialog.
static void closeOptionsDialog(HWND dialog) {
    scene.hOptionsDlg = 0;
    DestroyWindow(dialog);
}

// Carries out one command of the dialog; unknown ids do nothing. Wireframe and
// lights force each other on: toggling one always leaves the other at 1.
static void optionsCommand(HWND dialog, int id) {
    switch (id) {
    case idOptionsOk:
        closeOptionsDialog(dialog);
        break;
    case idWireframe:
        toggle(&scene.wireframeOn);
        scene.lightsOn = 1;
        requestRedraw();
        break;
    case idLights:
        toggle(&scene.lightsOn);
        scene.wireframeOn = 1;
        requestRedraw();
        break;
    case idFog:
        toggle(&scene.fogOn);
        requestRedraw();
        break;
    case idPerspective:
        toggle(&scene.perspectiveOn);
        resetModelView();
        resizeViewport();
        requestRedraw();
        break;
    case idTransparency:
        toggle(&scene.blendOn);
        requestRedraw();
        break;
    case idResetMotion:
        resetMotion();
        requestRedraw();
        break;
    default:
        break;
    }
}

// The options dialog's procedure. The close box ends the dialog like "OK".
INT_PTR CALLBACK OptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return 1;
    case WM_CLOSE:
        closeOptionsDialog(dialog);
        return 0;
    case WM_COMMAND:
        optionsCommand(dialog, LOWORD(wParam));
        return 0;
    default:
        return 0;
    }
}
