// The scenes the GL 1.1 subset on ES 2.0 is compared in against Mesa's own
// fixed-function GL: the start scene, each option the panel switches, the
// sheet seen from below, and spins that work matrices out on the stack.
// tools/render_frame draws them with Mesa, tests/webgl with the subset.
#pragma once

// Width and height of the compared pictures: small, the main window's shape.
const int frameCaseWidth = 320;
const int frameCaseHeight = 312;

// Frames drawn per case: the second sees the line width the first left.
const int frameCaseFrames = 2;

// Sets the scene for the named case on top of the start scene; false for a
// name it does not know. Needs openStartScene first.
bool applyFrameCase(const char *name);
