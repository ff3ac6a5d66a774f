// The start scene, as the main window sets it up, for tests, benchmarks and
// tools that draw frames without creating the window.
#pragma once

// The main window's client area at its default size on a 1280 x 1024 screen:
// the outer window is 921 x 921 (nine tenths of the screen height), less the
// frame openbox puts around it.
const int defaultClientWidth = 919;
const int defaultClientHeight = 896;

// Puts the program-wide state back to its initial values, then does what
// window creation and the first resize do to GL for a client area of the given
// size: lights, camera, the start orientation, viewport. Needs a current GL context.
void openStartScene(int clientWidth, int clientHeight);
