// The main window: class, creation, the animation clock, and the hand-over of
// mouse input to the trackball and the light drag.
#pragma once

#include <windows.h>

extern const char className[];
extern const char windowTitle[];

const UINT_PTR animationTimerId = 1;
const UINT animationPeriodMs = 80;
const double wavePhaseStep = 0.15;
// The program's own icon; the same number as the stock IDI_APPLICATION.
const WORD appIconId = 32512;

// Registers the main window's class "OpenGL".
ATOM registerMainClass(HINSTANCE instance);
// Sizes the main window from the screen height and creates it at the top-left
// corner, hidden; its creation sets up all rendering before this returns.
HWND createMainWindow(HINSTANCE instance);

// Asks the driver for one display refresh per buffer swap, where it offers
// WGL_EXT_swap_control; creation calls it once the context is current.
void askForSwapPacing(void);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
