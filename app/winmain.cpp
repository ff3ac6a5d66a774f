// The program's entry point: register the class, open the main window (whose
// creation sets up all rendering) and the control panel, then run the loop
// until the main window is closed.
#include <windows.h>

#include "app/main_window.h"
#include "app/redraw.h"
#include "app/winmain.h"
#include "render/scene_state.h"
#include "ui/dialogs.h"

static const char className[] = "OpenGL";
static const char windowTitle[] = " QUELVARO  by Ostrevan";
// The program's own icon; the same number as the stock IDI_APPLICATION.
static const WORD appIconId = 32512;

// The outer window is square: nine tenths of the screen height each way.
static const double windowScreenShare = 0.9;
static const int startFailedStatus = 1;

ATOM registerMainClass(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(appIconId));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;  // OpenGL paints the whole client area
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass);
}

HWND createMainWindow(HINSTANCE instance) {
    // Both sides from the screen height, each from its own call, before the
    // window exists: the projection made during creation sees a ratio of 1.
    scene.windowWidth = (int)(windowScreenShare * GetSystemMetrics(SM_CYSCREEN));
    scene.windowHeight = (int)(windowScreenShare * GetSystemMetrics(SM_CYSCREEN));
    return CreateWindowExA(0, className, windowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                           scene.windowWidth, scene.windowHeight, nullptr, nullptr, instance, nullptr);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prevInstance, LPSTR cmdLine, int cmdShow) {
    (void)prevInstance;
    (void)cmdLine;
    registerMainClass(instance);
    HWND window = createMainWindow(instance);
    // Without its main window the program could show only the panel, which
    // has no way to end the process: give up at once instead.
    if (window == nullptr) return startFailedStatus;
    ShowWindow(window, cmdShow);
    UpdateWindow(window);
    // The panel is modeless, visible by its own style, and lives as long as
    // the process.
    CreateDialogParamA(instance, panelTemplate, window, PanelDlgProc, 0);
    return runMessageLoop();
}
