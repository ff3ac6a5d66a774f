// web_gl.cpp: the browser backend's OpenGL: WebGL 1 contexts on a window's
// canvas, swaps paced by the page's animation frames, and the GL 1.1 subset
// (platform/webgl/) started on the first context made current.
//
// Implemented: the colour layout (8 bits a channel), the pixel formats
//   WebGL can give (depth up to 24, stencil up to 8; single buffering keeps
//   the drawing buffer, shown whenever the page composites),
//   contexts (antialias off, depth on), making one current, SwapBuffers
//   (the page shows the frame when the program hands it its event loop:
//   each swap waits for swapInterval animation frames, at least one, as
//   the page shows no frame sooner, and is counted in the page's
//   data-swaps). The subset finds emscripten's WebGL calls through its own
//   table (gl11EmscriptenProc), with no name looked up in the page.
// Left out: sharing lists between contexts, WebGL 2, qvbGetProcAddress (the
//   program asks only the core's wglGetProcAddress, for WGL's own calls).
#include "../core/qv_internal.h"
#include "../webgl/gl11_internal.h"

#include <emscripten/html5.h>

namespace {

const int maxDepthBits = 24;
const int maxStencilBits = 8;

}  // namespace

PIXELFORMATDESCRIPTOR qvbDisplayColourLayout() {
    PIXELFORMATDESCRIPTOR layout = {};
    layout.nSize = sizeof layout;
    layout.nVersion = 1;
    layout.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    layout.iPixelType = PFD_TYPE_RGBA;
    layout.iLayerType = PFD_MAIN_PLANE;
    // 32 bits a pixel, 8 a channel, as a true-colour desktop reports it.
    layout.cColorBits = 32;
    layout.cRedBits = 8;
    layout.cRedShift = 16;
    layout.cGreenBits = 8;
    layout.cGreenShift = 8;
    layout.cBlueBits = 8;
    layout.cBlueShift = 0;
    return layout;
}

void qvbKeepOfferedPixelFormats(std::vector<PIXELFORMATDESCRIPTOR> *formats) {
    if (!qvweb_webgl_available()) {
        formats->clear();
        qv.backend.lastError = "the page offers no WebGL";
        qvError("no OpenGL");
        return;
    }
    std::vector<PIXELFORMATDESCRIPTOR> kept;
    for (const PIXELFORMATDESCRIPTOR &format : *formats) {
        if (format.cDepthBits > maxDepthBits || format.cStencilBits > maxStencilBits) continue;
        kept.push_back(format);
    }
    *formats = kept;
}

bool qvbCreateGlContext(QvGlContext *context, QvWindow *win, const PIXELFORMATDESCRIPTOR &format) {
    if (!context || !qvbIsGlWindow(win)) {
        qv.backend.lastError = "the window has no WebGL canvas";
        qvError("cannot create an OpenGL context");
        return false;
    }
    // Creating makes it current in emscripten; the current one stays so.
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE before = emscripten_webgl_get_current_context();
    // A single-buffered window shows what is drawn without a swap: its
    // drawing buffer is kept between the page's frames.
    bool singleBuffered = !(format.dwFlags & PFD_DOUBLEBUFFER);
    int webgl = qvWebCreateGlContext(win->native.domId, format.cStencilBits > 0, singleBuffered);
    qvWebMakeGlCurrent(before);
    if (!webgl) {
        qv.backend.lastError = "the page gives the canvas no WebGL 1 context";
        qvError("cannot create an OpenGL context");
        return false;
    }
    context->native.webgl = webgl;
    return true;
}

void qvbDeleteGlContext(QvGlContext *context) {
    if (!context || !context->native.webgl) return;
    if (emscripten_webgl_get_current_context() == context->native.webgl) qvWebMakeGlCurrent(0);
    qvWebDeleteGlContext(context->native.webgl);
    context->native.webgl = 0;
}

bool qvbMakeCurrent(QvWindow *win, QvGlContext *context) {
    (void)win;
    int webgl = context ? context->native.webgl : 0;
    if (!qvWebMakeGlCurrent(webgl)) {
        qv.backend.lastError = "the WebGL context cannot be made current";
        return false;
    }
    // The subset's program and table are made once, on the first context.
    if (webgl && !qv.backend.gl11Started) {
        qv.backend.gl11Started = true;
        gl11Start(gl11EmscriptenProc);
    }
    return true;
}

void qvbSwapBuffers(QvWindow *win) {
    qvweb_count_frame();
    int frames = win ? std::max(1, win->swapInterval) : 1;
    for (int i = 0; i < frames; i++) qvWebWaitForFrame();
    qvWebYielded();
}

void qvbSetSwapInterval(QvWindow *win, int refreshesPerSwap) {
    (void)win;
    (void)refreshesPerSwap;
}
