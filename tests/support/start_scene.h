// The start scene, as the main window sets it up, for tests, benchmarks and
// tools that draw frames without creating the window.
#pragma once

// Puts the program-wide state back to its initial values, then does what
// window creation and the first resize do to GL for a client area of the given
// size: lights, camera, the start orientation, viewport. Needs a current GL context.
void openStartScene(int clientWidth, int clientHeight);
