// The main window's procedure: it owns the device and rendering contexts from
// creation to destruction, runs the animation clock, keeps the viewport in step
// with the client area and hands the mouse to the trackball (left button) and
// the light drag (right button). It never draws: paint, tick and palette
// messages only ask for a frame, which the main loop draws once the queue is
// empty.
#include "app/main_window.h"

#ifdef _WIN32
#include <windowsx.h>  // GET_X_LPARAM, GET_Y_LPARAM
#endif

#include "app/pixel_format.h"
#include "app/redraw.h"
#include "render/camera.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/lighting.h"
#include "render/scene_state.h"
#include "ui/light_drag.h"
#include "ui/trackball.h"

// One frame per display refresh: the animation needs no more, and a driver
// left to itself may draw hundreds of frames a second for nothing.
static const int displayRefreshesPerFrame = 1;
typedef BOOL(WINAPI *SwapIntervalProc)(int interval);

// The entry point belongs to the current context. Without the extension the
// driver's own setting decides how often frames go out.
void askForSwapPacing(void) {
    PROC entry = wglGetProcAddress("wglSwapIntervalEXT");
    if (entry == nullptr) return;
    // The entry point's real type; the cast passes through void (*)(void),
    // the one function-pointer type every other may be cast to and from.
    SwapIntervalProc setSwapInterval = (SwapIntervalProc)(void (*)(void))entry;
    setSwapInterval(displayRefreshesPerFrame);
}

// Creation: clock, device context, pixel format and palette, rendering
// context, swap pacing, lights, camera and start orientation, in that order.
// A pixel format that cannot be had ends the process inside setupPixelFormat.
static void onCreate(HWND window) {
    SetTimer(window, animationTimerId, animationPeriodMs, nullptr);
    scene.hDC = GetDC(window);
    setupPixelFormat(scene.hDC);
    setupPalette(scene.hDC);
    scene.hGLRC = wglCreateContext(scene.hDC);
    wglMakeCurrent(scene.hDC, scene.hGLRC);
    askForSwapPacing();
    initLighting();
    resetModelView();
    setStartOrientation();
}

// Destruction: let go of the contexts, stop drawing and end the loop.
// hGLRC keeps its (now stale) value; nothing draws after the quit message.
static void onDestroy(HWND window) {
    if (scene.hGLRC != nullptr) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(scene.hGLRC);
    }
    scene.idleFunc = nullptr;
    ReleaseDC(window, scene.hDC);
    PostQuitMessage(0);
}

// A new client size (0 x 0 when minimised) goes to the projection and the
// viewport; the class's redraw styles bring the paint that redraws.
static void onSize(LPARAM lParam) {
    scene.windowWidth = LOWORD(lParam);
    scene.windowHeight = HIWORD(lParam);
    resizeViewport();
}

static void onPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    requestRedraw();
    EndPaint(window, &paint);
}

// One tick of the animation clock moves the waves on by a fixed step. The
// phase is summed tick by tick, never worked out from a tick count.
static void onTimer(void) {
    scene.wavePhase += wavePhaseStep;
    requestRedraw();
}

// Puts the palette back into the system palette as the foreground palette.
static void realizePalette(void) {
    UnrealizeObject(scene.hPalette);
    SelectPalette(scene.hDC, scene.hPalette, FALSE);
    RealizePalette(scene.hDC);
}

// Set while a button-up handler gives the mouse back itself: the
// WM_CAPTURECHANGED that brings is the end of a drag already handled.
static bool releasingOwnCapture = false;

// Gives the mouse back at a button-up only when the key flags say no other
// button is still down: the other button's drag goes on, and its own
// button-up must still reach the window wherever the pointer is.
static void releaseOwnCapture(WPARAM keys) {
    if (keys & (MK_LBUTTON | MK_RBUTTON)) return;
    releasingOwnCapture = true;
    ReleaseCapture();
    releasingOwnCapture = false;
}

static void onLeftButtonDown(HWND window, LPARAM lParam) {
    SetCapture(window);
    trackballPress(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

static void onLeftButtonUp(WPARAM wParam, LPARAM lParam) {
    releaseOwnCapture(wParam);
    trackballRelease(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

// A press inside the client area never has negative coordinates, so the
// unsigned halves agree with the signed ones the motion uses.
static void onRightButtonDown(HWND window, LPARAM lParam) {
    lightDragPress(LOWORD(lParam), HIWORD(lParam));
    SetCapture(window);
}

static void onRightButtonUp(WPARAM wParam) {
    lightDragRelease();
    releaseOwnCapture(wParam);
}

// The mouse was taken from the window by someone else with a button still
// down: no button-up will come, so both drags end here.
static void onCaptureChanged(void) {
    if (releasingOwnCapture) return;
    trackballCaptureLost();
    lightDragRelease();
}

static void onMouseMove(LPARAM lParam) {
    trackballMotion(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    lightDragMotion(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
}

// Messages that need a rendering context; without one they go to the default
// handling untouched. Gives false for those it leaves alone.
static bool handleWithContext(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (scene.hGLRC == nullptr) return false;
    switch (message) {
    case WM_SIZE:
        onSize(lParam);
        return true;
    case WM_PAINT:
        onPaint(window);
        return true;
    case WM_LBUTTONDOWN:
        onLeftButtonDown(window, lParam);
        return true;
    case WM_LBUTTONUP:
        onLeftButtonUp(wParam, lParam);
        return true;
    case WM_RBUTTONDOWN:
        onRightButtonDown(window, lParam);
        return true;
    case WM_RBUTTONUP:
        onRightButtonUp(wParam);
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        return 0;
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    case WM_TIMER:
        onTimer();
        return 0;
    case WM_MOUSEMOVE:
        // The motion always reaches the default handling as well.
        if (scene.hGLRC != nullptr) onMouseMove(lParam);
        break;
    case WM_CAPTURECHANGED:
        onCaptureChanged();
        return 0;
    case WM_QUERYNEWPALETTE:
        if (scene.hPalette == nullptr) break;
        realizePalette();
        requestRedraw();
        return 1;
    case WM_PALETTECHANGED:
        // Our own realization changed the system palette: nothing to redo.
        if (scene.hPalette == nullptr || (HWND)wParam == window) break;
        realizePalette();
        requestRedraw();
        return 0;
    default:
        if (handleWithContext(window, message, wParam, lParam)) return 0;
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
