// The colours dialog: seven vertical scroll bars set the red, green and blue
// of the front faces (upper row), of the back faces (lower row) and one alpha
// shared by both sides (the tall bar on the right). A bar's position p in
// 0..255 gives the value p / 256, from 0 at the top to 0.99609375 at the
// bottom. The bars move only when their thumbs are dragged, and follow the
// thumb live while it is dragged; arrows and trough clicks do nothing.
#include <windows.h>

#include "app/redraw.h"
#include "render/scene_state.h"
#include "ui/dialogs.h"

// Control ids of the colours template "ColorScrDlg3" (res/quelvaro.rc). The
// bars run from front red (1039) to alpha (1045); a bar's slot in
// scene.scrollPos is its id minus the first.
const int idColorsOk = IDOK;
const int firstColorBarId = 1039;
const int lastColorBarId = 1045;

// Scroll range of every bar, and where each thumb stands when the dialog opens.
const int colorBarMin = 0;
const int colorBarMax = 255;
const int colorBarStartPos = 128;

// One 256th: turns a bar position into a colour value below 1.
const double colorPerPosition = 0.00390625;

// Puts every bar's range at 0..255 and its thumb at 128. The thumbs always
// start in the middle, whatever the stored positions and colours are; opening
// the dialog changes neither.
static void initColorBars(HWND dialog) {
    for (int id = firstColorBarId; id <= lastColorBarId; id++) {
        HWND bar = GetDlgItem(dialog, id);
        SetScrollRange(bar, SB_CTL, colorBarMin, colorBarMax, FALSE);
        SetScrollPos(bar, SB_CTL, colorBarStartPos, FALSE);
    }
}

// Returns the colour value of one stored bar position, computed in double
// precision and kept as a float.
static float colorOfPosition(int slot) {
    return (float)(scene.scrollPos[slot] * colorPerPosition);
}

// Recomputes all seven colour values from the stored bar positions.
static void colorsFromPositions(void) {
    for (int i = 0; i < 3; i++) {
        scene.frontColor[i] = colorOfPosition(i);
        scene.backColor[i] = colorOfPosition(3 + i);
    }
    scene.surfaceAlpha = colorOfPosition(6);
}

// Follows a thumb drag on one bar. Returns 1 when the scroll was acted on, 0
// for arrows, trough clicks, the end of a scroll, and for any window that is
// not one of the seven bars (its id would index past the stored positions).
static INT_PTR scrollColorBar(WPARAM wParam, LPARAM lParam) {
    HWND bar = (HWND)lParam;
    int id = GetWindowLongA(bar, GWL_ID);
    int code = LOWORD(wParam);
    if (code != SB_THUMBPOSITION && code != SB_THUMBTRACK) return 0;
    if (id < firstColorBarId || id > lastColorBarId) return 0;
    int pos = HIWORD(wParam);
    scene.scrollPos[id - firstColorBarId] = pos;
    SetScrollPos(bar, SB_CTL, pos, TRUE);
    colorsFromPositions();
    requestRedraw();
    return 1;
}

// Closes the dialog for good. A modeless dialog that is only ended stays
// behind as a hidden window until the process exits, one more for every
// open and close; destroying it frees the window. hColorsDlg goes back to 0
// first, so the panel's next "COLORS" builds a fresh dialog. The positions
// and colours outlive it.
static void closeColorsDialog(HWND dialog) {
    scene.hColorsDlg = 0;
    DestroyWindow(dialog);
}

// The colours dialog's procedure. "OK" and the close box both close it.
INT_PTR CALLBACK ColorsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        initColorBars(dialog);
        return 1;
    case WM_VSCROLL:
        return scrollColorBar(wParam, lParam);
    case WM_COMMAND:
        if (LOWORD(wParam) == idColorsOk) closeColorsDialog(dialog);
        return 0;
    case WM_CLOSE:
        closeColorsDialog(dialog);
        return 0;
    default:
        return 0;
    }
}
