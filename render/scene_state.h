// The program-wide scene state: every mutable value of quelvaro in one record,
// read and written by name from the window procedure, the dialog procedures and
// the renderer, all on the one user-interface thread.
#pragma once

#include <windows.h>

typedef void (*IdleFunction)(void);

struct ClientPoint {
    int x;
    int y;
};

struct SceneState {
    // Rendering switches
    int surfaceIndex = 0;
    int lightsOn = 1;
    int perspectiveOn = 1;
    int wireframeOn = 0;
    int fogOn = 0;
    int flatShadingOn = 0;
    int blendOn = 0;
    float cameraDistance = 6.0f;
    int cameraChanged = 0;

    // Colours of the surface, driven by the colours dialog
    float frontColor[3] = {0.5f, 0.5f, 0.5f};
    float backColor[3] = {0.5f, 0.5f, 0.5f};
    float surfaceAlpha = 0.5f;
    int scrollPos[7] = {128, 128, 128, 128, 128, 128, 128};

    // Rotation and trackball
    float rotationMatrix[16] = {};
    float savedRotationMatrix[16] = {};
    float spinAngle = 0.03f;
    float spinAxis[3] = {0.4f, 1.0f, 0.4f};
    int trackballState = 0;
    int trackballDragging = 0;
    ClientPoint pressPoint = {0, 0};
    ClientPoint lastDragPoint = {0, 0};  // where the drag was last seen
    float lastTrackballVec[3] = {0.0f, 0.0f, 0.0f};

    // Light dragging
    float mobileLight[3] = {-2.0f, 2.0f, -1.0f};
    int lightDragging = 0;
    ClientPoint lightDragLast = {0, 0};

    // Animation and redraw
    double wavePhase = 0.0;
    IdleFunction idleFunc = nullptr;
    int keepSpinning = 1;

    // Window and device
    int windowWidth = 0;
    int windowHeight = 0;
    HDC hDC = nullptr;
    HGLRC hGLRC = nullptr;
    HPALETTE hPalette = nullptr;
    int doubleBuffer = 1;
    int depthBuffer = 1;
    HWND hOptionsDlg = nullptr;
    HWND hColorsDlg = nullptr;
};

// The single instance, with the initial values above from before WinMain runs.
extern SceneState scene;
