// The control panel: the small modeless dialog beside the main window. Its
// buttons pick the surface drawn each frame, switch flat shading, move the
// camera along its line of sight and open the options and colours dialogs.
// Only three of its buttons are visible in the template; the hidden ones still
// receive their commands and act exactly like the visible ones.
#include <windows.h>

#include "app/redraw.h"
#include "render/camera.h"
#include "render/scene_state.h"
#include "surfaces/surfaces.h"
#include "ui/dialogs.h"

// Control ids of the panel template "ColorScrDlg" (res/quelvaro.rc).
const int idCurtainWave = 1020;     // "efecto cortinado"
const int idSmoothToFlat = 1021;    // "smooth->flat"
const int idDiamonds = 1022;        // "rombos"
const int idCameraFarther = 1030;   // "camara ++"
const int idCameraNearer = 1031;    // "camara -  -"
const int idOpenOptions = 1032;     // "OPTIONS"
const int idAsymmetricMean = 1033;  // "prom-asim1"
const int idPlaneWaveZ = 1034;      // "plane-wave z"
const int idPlaneWaveXZ = 1035;     // "plano-wave x-z"
const int idOpenColors = 1038;      // "COLORS"
const int idPlaneWaveX = 1047;      // "plane-wave x"
const int idChessboard = 1048;      // "ajedrezado"

// How far one press of a camera button moves the eye (32-bit float step).
const float cameraStep = 0.4f;

// Which surface-table entry each surface button selects. The empty surface
// has no button.
struct SurfaceButton {
    int id;
    int surface;
};

static const SurfaceButton surfaceButtons[] = {
    {idCurtainWave, curtainWaveSurface}, {idDiamonds, diamondWaveSurface},
    {idChessboard, checkerWaveSurface},  {idAsymmetricMean, twoTriangleSquareSurface},
    {idPlaneWaveX, planeWaveXSurface},   {idPlaneWaveXZ, planeWaveXZSurface},
    {idPlaneWaveZ, planeWaveZSurface},
};

// Returns the surface a button selects, or -1 when the id is no surface button.
static int surfaceForButton(int id) {
    for (const SurfaceButton &button : surfaceButtons)
        if (button.id == id) return button.surface;
    return -1;
}

// Moves the eye by delta along the line of sight and rebuilds the projection
// and camera translation at once. cameraChanged is toggled, not set: the next
// frame throws away its trackball increment when it finds it set, so two
// presses between frames cancel out.
static void moveCamera(float delta) {
    scene.cameraDistance = scene.cameraDistance + delta;
    resetModelView();
    scene.cameraChanged = (scene.cameraChanged == 0);
    requestRedraw();
}

// Opens the options dialog unless it is already open; pressing the button
// again while it is open does nothing, not even bring it to the front. The
// dialog has no owner and no module handle: it is an independent top-level
// window built from the program's own template. A failed creation leaves 0,
// so the next press tries again.
static void openOptionsDialog(void) {
    if (scene.hOptionsDlg != 0) return;
    scene.hOptionsDlg = CreateDialogParamA(0, optionsTemplate, 0, OptionsDlgProc, 0);
}

// The same for the colours dialog.
static void openColorsDialog(void) {
    if (scene.hColorsDlg != 0) return;
    scene.hColorsDlg = CreateDialogParamA(0, colorsTemplate, 0, ColorsDlgProc, 0);
}

// Carries out one panel command; unknown ids do nothing.
static void panelCommand(int id) {
    int surface = surfaceForButton(id);
    if (surface >= 0) {
        scene.surfaceIndex = surface;
        requestRedraw();
        return;
    }
    switch (id) {
    case idSmoothToFlat:
        scene.flatShadingOn = (scene.flatShadingOn == 0);
        requestRedraw();
        break;
    case idCameraFarther:
        moveCamera(cameraStep);
        break;
    case idCameraNearer:
        moveCamera(-cameraStep);
        break;
    case idOpenOptions:
        openOptionsDialog();
        break;
    case idOpenColors:
        openColorsDialog();
        break;
    default:
        break;
    }
}

// The panel's dialog procedure. Commands are told apart by the control id in
// the low word of wParam; the notification code in the high word is ignored.
// Everything else, WM_CLOSE included, is left to the dialog manager, so the
// panel stays open for the life of the process.
INT_PTR CALLBACK PanelDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)dialog;
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND:
        panelCommand(LOWORD(wParam));
        return 0;
    default:
        return 0;
    }
}
