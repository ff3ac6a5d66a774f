// Redraw requests and the idle-driven main loop.
//
// Nobody draws inside a message handler. Whoever wants the picture brought up
// to date installs idleRedraw as the idle function; the loop calls it only
// when the queue is empty, so a burst of requests costs one frame.
#include "app/redraw.h"

#include "render/frame.h"
#include "render/scene_state.h"

// Asks for one frame at the next moment the message queue runs empty.
void requestRedraw(void) {
    if (scene.idleFunc == nullptr) scene.idleFunc = idleRedraw;
}

// Draws one frame. Unless the scene keeps spinning, it uninstalls itself
// first, so the loop goes back to sleeping in GetMessageA afterwards.
// Without a rendering context there is nothing to draw on: the request is
// dropped, and the idle function never stays installed (the loop would
// otherwise turn round without drawing or sleeping).
void idleRedraw(void) {
    if (scene.keepSpinning == 0 || scene.hGLRC == nullptr) scene.idleFunc = nullptr;
    if (scene.hGLRC == nullptr) return;
    drawScene();
}

// Messages first, frames when the queue is empty, sleep when nothing is to be
// drawn. Ends when GetMessageA gives anything but 1: 0 for WM_QUIT, -1 for a
// failure; the record's wParam is then the exit status.
int runMessageLoop(void) {
    MSG message = {};
    for (;;) {
        while (scene.idleFunc != nullptr) {
            if (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) break;
            scene.idleFunc();
        }
        if (GetMessageA(&message, nullptr, 0, 0) != 1) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return (int)message.wParam;
}
