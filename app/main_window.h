// The main window's procedure: the animation clock, and the hand-over of mouse
// input to the trackball and the light drag. Its class and creation are in
// winmain.h.
#pragma once

#include <windows.h>

const UINT_PTR animationTimerId = 1;
const UINT animationPeriodMs = 80;
const double wavePhaseStep = 0.15;

// Asks the driver for one display refresh per buffer swap, where it offers
// WGL_EXT_swap_control; creation calls it once the context is current.
void askForSwapPacing(void);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
