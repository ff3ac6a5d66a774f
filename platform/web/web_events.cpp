// web_events.cpp: the browser backend's events, the ONE place where what
// the page queued (web_dom.js) becomes calls of the core's input entry
// points, and the state of the input devices.
//
// Implemented: qvbPumpEvents (pointer motion and buttons, keys, focus, the
//   close box, moves, the sizes the backend gave), qvbWaitForEvent under
//   ASYNCIFY, what is queued (focus changes), the buttons held, the window
//   under the pointer, the window with the keyboard focus, the modifiers.
// Left out: qvbPointerLeavingNext (the page reports no leaving motion, so
//   there is none to drop), the mouse wheel.
#include "../core/qv_internal.h"

#include <utility>

namespace {

// A loop that only peeks (PeekMessage, no SwapBuffers) still lets the page
// run this often, or its events would never come.
const double maxMsWithoutYield = 50.0;

// Our window of a page number, or null (a window already gone).
QvWindow *windowOf(int id) {
    return qvWindowFromHandle(qvHandle<HWND>(static_cast<uintptr_t>(id)));
}

QvMouseButton buttonOf(int pageButton) {
    if (pageButton == 1) return QV_BUTTON_RIGHT;
    if (pageButton == 2) return QV_BUTTON_MIDDLE;
    return QV_BUTTON_LEFT;
}

// The page's window events and the core's (a and b, the place or the size,
// are 0 where they mean nothing).
const std::pair<int, QvWindowEventKind> windowEvents[] = {
    {QV_WEB_EVENT_FOCUS_GAINED, QV_WINDOW_FOCUS_GAINED}, {QV_WEB_EVENT_FOCUS_LOST, QV_WINDOW_FOCUS_LOST},
    {QV_WEB_EVENT_CLOSE, QV_WINDOW_CLOSE},               {QV_WEB_EVENT_MOVED, QV_WINDOW_MOVED},
    {QV_WEB_EVENT_RESIZED, QV_WINDOW_RESIZED},           {QV_WEB_EVENT_MAXIMIZED, QV_WINDOW_MAXIMIZED},
    {QV_WEB_EVENT_RESTORED, QV_WINDOW_RESTORED},
};

void windowEvent(QvWindow *top, const QvWebEvent &e) {
    if (!top) return;  // a window already gone
    for (const auto &[web, core] : windowEvents)
        if (web == e.kind) qvInputWindowEvent(top, core, e.a, e.b);
}

// One queued event to the core.
void deliver(const QvWebEvent &e) {
    QvWindow *top = windowOf(e.window);
    switch (e.kind) {
    case QV_WEB_EVENT_MOTION:
        qvInputMouseMotion(top, e.a, e.b);
        break;
    case QV_WEB_EVENT_BUTTON:
        qvInputMouseButton(top, buttonOf(e.a), e.b != 0, e.c, e.d, e.e);
        break;
    case QV_WEB_EVENT_KEY:
        qvInputKey(top, static_cast<BYTE>(e.a), static_cast<WORD>(e.b), e.c != 0, e.d != 0);
        break;
    default:
        windowEvent(top, e);
        break;
    }
}

}  // namespace

void qvWebYielded() {
    qv.backend.lastYieldMs = qvWebNowMs();
}

void qvbPumpEvents() {
    if (qvWebNowMs() - qv.backend.lastYieldMs > maxMsWithoutYield) {
        qvWebSleep(0);
        qvWebYielded();
    }
    // Only what was queued when the pump began: an event the core's
    // messages make the page queue waits for the next pump.
    for (int left = qvweb_pending_events(); left > 0; left--) {
        QvWebEvent e;
        if (!qvWebNextEvent(&e)) break;
        deliver(e);
    }
}

void qvbWaitForEvent(int timeoutMs) {
    qvWebWaitForEvent(timeoutMs);
    qvWebYielded();
}

bool qvbPointerLeavingNext(QvWindow *top) {
    (void)top;
    return false;
}

bool qvbFocusLossQueued(QvWindow *top) {
    return top && qvweb_focus_queued(QV_WEB_EVENT_FOCUS_LOST, qvWebId(top->handle));
}

bool qvbFocusGainQueued() {
    return qvweb_focus_queued(QV_WEB_EVENT_FOCUS_GAINED, 0) != 0;
}

bool qvbMouseButtonsHeld() {
    return qvweb_buttons_held() != 0;
}

QvWindow *qvbWindowUnderPointer() {
    return windowOf(qvweb_window_under_pointer());
}

QvWindow *qvbKeyboardFocusWindow() {
    return windowOf(qvweb_active_window());
}

unsigned qvbModifiers() {
    return static_cast<unsigned>(qvweb_modifiers());
}
