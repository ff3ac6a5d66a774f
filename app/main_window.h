// The main window: class, creation, the animation clock, and the hand-over of
// mouse input to the trackball and the light drag.
#pragma once

#include <windows.h>

extern const char className[];
extern const char windowTitle[];

const UINT_PTR animationTimerId = 1;
const UINT animationPeriodMs = 80;
const double wavePhaseStep = 0.15;

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
