// web_platform.h: the browser backend's part of the layer's state record.
//
// core/qv_internal.h includes it (GLFW-style) under emscripten for
// QvBackendWindow (each top-level window's page element), QvBackendGlContext
// (a WebGL context), QvBackendFont (a Canvas 2D font) and QvBackendLayer
// (qv.backend). The core never looks inside them; it calls the qvb*
// functions of core/qv_backend.h, which the web_*.cpp files define on the
// page's services (web_dom.h).
#pragma once

#include <windows.h>

#include "web_dom.h"

#include <cstdint>
#include <string>

// A top-level window's element on the page (web_window.cpp).
struct QvBackendWindow {
    int domId = 0;           // web_dom.js's number (the HWND's value); 0 for none
    bool glWindow = false;   // its client area is a WebGL canvas
    bool maximized = false;  // filling the page, restoredX.. kept to come back
    int restoredX = 0, restoredY = 0, restoredWidth = 0, restoredHeight = 0;
};

// A WebGL context on a window's canvas (web_gl.cpp).
struct QvBackendGlContext {
    int webgl = 0;  // emscripten's context handle; 0 for none
};

// A font measured and drawn by Canvas 2D (web_fonts.cpp).
struct QvBackendFont {
    QvWebFont font;
};

struct QvBackendLayer {
    // ---- Errors (web_startup.cpp) --------------------------------------------
    std::string lastError;  // qvbLastErrorText

    // ---- Events (web_events.cpp) ----------------------------------------------
    // When the program last handed the page its event loop (a wait, a frame,
    // a sleep): a loop that only peeks is made to yield now and then.
    double lastYieldMs = 0.0;

    // ---- OpenGL (web_gl.cpp) ----------------------------------------------------
    bool gl11Started = false;  // the GL 1.1 subset was started (once, on the first context)
};

// ---- Calls the backend's files share ----------------------------------------

// The page's number of a window (its HWND's value).
inline int qvWebId(HWND hwnd) {
    return static_cast<int>(reinterpret_cast<uintptr_t>(hwnd));
}
// Notes that the page has just run its event loop (web_events.cpp).
void qvWebYielded();
