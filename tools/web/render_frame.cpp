// render_frame for the browser: the frame's own code (render/, surfaces/)
// drawn by the GL 1.1 subset on a WebGL 1 canvas, with no window layer. It is
// the browser's side of tools/render_frame, which draws the same cases with
// Mesa's fixed-function GL; tests/browser compares the two.
//
// The page (render_frame.html, from tools/web/render_frame.html) takes its
// task from the query string:
//   ?case=NAME  draws that case of tests/support/frame_cases.h at the cases'
//               size, as many frames as the cases take, reads the picture
//               back and puts it in the global quelvaroFrame:
//               { width, height, rgba (base64, bottom row first), matrices
//               (the rotation then the modelview matrix, 32 numbers), calls
//               (the subset's call log of the set-up and the frames, as
//               `apitrace dump` prints calls) } or { error } for a case it
//               does not know or no WebGL.
//   no case=    draws the spinning start scene at the default client size at
//               every animation frame, the ripple moving at the program's
//               pace; quelvaroFrames counts the frames drawn, quelvaroFirstFrame
//               is performance.now() after the first one, quelvaroDrawMs the
//               time spent drawing them, for benchmarks.
// Left out: input, the panel and dialogs, the swap interval (the browser
// paces animation frames itself).
#include <emscripten.h>
#include <emscripten/html5.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/frame_cases.h"
#include "support/start_scene.h"
#include "webgl/gl11_internal.h"

// The canvas shows what was drawn once control returns to the browser.
BOOL WINAPI SwapBuffers(HDC) {
    return TRUE;
}

// The page's side, in JavaScript (clang-format would break it).
// clang-format off
// The case named in the page's query string (to be freed), or null when it
// names none.
EM_JS(char *, queryCase, (void), {
    var name = new URLSearchParams(window.location.search).get("case");
    return name === null ? 0 : allocateUTF8(name);
});

// Puts the picture and matrices read back, and the calls logged, in the
// page's global quelvaroFrame.
EM_JS(void, publishFrame, (const unsigned char *rgba, int width, int height, const float *matrices,
                           const char *calls), {
    var bytes = HEAPU8.subarray(rgba, rgba + width * height * 4);
    var text = "";
    for (var i = 0; i < bytes.length; i += 8192) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    }
    var numbers = Array.from(HEAPF32.subarray(matrices >> 2, (matrices >> 2) + 32));
    window.quelvaroFrame = {width: width, height: height, rgba: btoa(text), matrices: numbers,
                            calls: UTF8ToString(calls)};
});

// Tells the page why there is no picture.
EM_JS(void, publishError, (const char *message), {
    window.quelvaroFrame = {error: UTF8ToString(message)};
});

// Counts the frames drawn in animation and the time spent drawing them.
EM_JS(void, countFrame, (double drawMs), {
    if (!window.quelvaroFrames) window.quelvaroFirstFrame = performance.now();
    window.quelvaroFrames = (window.quelvaroFrames || 0) + 1;
    window.quelvaroDrawMs = (window.quelvaroDrawMs || 0) + drawMs;
});
// clang-format on

// A WebGL 1 context on the page's canvas at the given size, without
// antialiasing (Mesa's picture has none), with the subset started on it. A
// kept picture stays in the drawing buffer after the frame, to be read back;
// otherwise the browser may drop it once shown, as a program's frames are.
static bool startWebGl(int width, int height, bool keepPicture) {
    emscripten_set_canvas_element_size("#canvas", width, height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.antialias = EM_FALSE;
    attributes.preserveDrawingBuffer = keepPicture;
    attributes.majorVersion = 1;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) return false;
    emscripten_webgl_make_context_current(context);
    return gl11Start(gl11EmscriptenProc);
}

// Draws the case and publishes its picture, matrices and calls: those of
// the set-up and the frames, the ones apitrace records of the native
// render_frame.
static void drawCase(const char *name) {
    if (!startWebGl(frameCaseWidth, frameCaseHeight, true)) {
        publishError("no WebGL");
        return;
    }
    gl11SetCallLog(true);
    openStartScene(frameCaseWidth, frameCaseHeight);
    if (!applyFrameCase(name)) {
        publishError((std::string("no case ") + name).c_str());
        return;
    }
    for (int frame = 0; frame < frameCaseFrames; frame++) drawScene();
    gl11SetCallLog(false);
    std::vector<unsigned char> rgba(frameCaseWidth * frameCaseHeight * 4);
    auto readPixels = reinterpret_cast<void (*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void *)>(
        gl11EmscriptenProc("glReadPixels"));
    readPixels(0, 0, frameCaseWidth, frameCaseHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    float matrices[32];
    for (int i = 0; i < 16; i++) matrices[i] = scene.rotationMatrix[i];
    glGetFloatv(GL_MODELVIEW_MATRIX, matrices + 16);
    publishFrame(rgba.data(), frameCaseWidth, frameCaseHeight, matrices, gl11CallLog());
}

// The animation clock: the ripple moves one step every animationPeriodMs, as
// the program's timer moves it.
static double lastStepMs = -1.0;

static EM_BOOL animate(double nowMs, void *) {
    if (lastStepMs < 0.0) lastStepMs = nowMs;
    while (nowMs - lastStepMs >= animationPeriodMs) {
        scene.wavePhase += wavePhaseStep;
        lastStepMs += animationPeriodMs;
    }
    double start = emscripten_get_now();
    drawScene();
    countFrame(emscripten_get_now() - start);
    return EM_TRUE;
}

// The spinning start scene at the default client size, drawn at every
// animation frame.
static void runAnimation(void) {
    if (!startWebGl(defaultClientWidth, defaultClientHeight, false)) {
        publishError("no WebGL");
        return;
    }
    openStartScene(defaultClientWidth, defaultClientHeight);
    applyFrameCase("spin");
    emscripten_request_animation_frame_loop(animate, nullptr);
}

int main() {
    char *name = queryCase();
    if (name) {
        drawCase(name);
    } else {
        runAnimation();
    }
    free(name);
    return 0;
}
