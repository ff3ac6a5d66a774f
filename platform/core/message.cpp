// message.cpp: the message queue, timers, mouse capture and focus, and the
// input entry points (qv_backend.h) that turn the backend's events into
// Win32 messages.
//
// Pairs with window.cpp (windows, sizes), paint.cpp (painting) and the
// backend's pump (qvbPumpEvents), the ONE place where its events come in
// (on SDL, qvHandleSdlEvent); every test of input pushes SDL events and lets
// them come through there and here.
//
// Implemented: PostMessageA, SendMessageA, PeekMessageA (PM_NOREMOVE,
//   PM_REMOVE, window and range filters), GetMessageA (sleeps in
//   qvbWaitForEvent until input or the next timer; -1 for a bad window
//   filter), DispatchMessageA (timer procedures too),
//   PostQuitMessage, SetTimer/KillTimer, SetCapture/ReleaseCapture/GetCapture
//   (WM_CAPTURECHANGED, also when the window holding the capture is
//   minimised, hidden or loses the focus: the buttons held then no longer
//   count as held), SetFocus/GetFocus (WM_KILLFOCUS,
//   WM_SETFOCUS). When the window system takes the input focus away from a
//   top-level window, the focus inside it is put aside (WM_KILLFOCUS) and
//   given back when the window gets it again, as a dialog keeps its focused
//   control; a window with nothing to give back takes the focus itself.
//   Order of retrieval as on Windows: posted messages, then
//   input (keys and mouse), then WM_QUIT, then WM_PAINT, then WM_TIMER.
//   Mouse messages go to the deepest visible enabled child under the pointer
//   or to the capture window, in its client coordinates packed as signed
//   16-bit halves, with the MK_* flags; consecutive WM_MOUSEMOVEs to one
//   window are merged.
//   Keys go to keyboard.cpp's input entry point (TranslateMessage is
//   there too). A window minimised, maximised or restored by the window
//   system hears it as WM_SYSCOMMAND (SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE),
//   whose default handling makes it the window's state, as Wine does.
//   A window manager's close request posts WM_CLOSE; SIGINT and SIGTERM
//   (qvInputQuit) post WM_CLOSE to every top-level window (the deadline and
//   the second signal are the backend's).
// Left out: WM_ACTIVATE, the mouse wheel, WM_MOUSEACTIVATE/WM_SETCURSOR/
//   WM_NCHITTEST, sent-message queues between threads.
#include "qv_internal.h"

#include <algorithm>
#include <cstdio>

namespace {

// Windows' smallest timer period.
const UINT minimumTimerMs = 10;
// Longest sleep in GetMessageA before looking again (signals, odd drivers).
const uint32_t longestWaitMs = 250;

// True when the message passes GetMessageA/PeekMessageA's filters.
bool passesFilter(HWND msgWindow, UINT message, HWND filter, UINT first, UINT last) {
    if (first != 0 || last != 0) {
        if (message < first || message > last) return false;
    }
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return msgWindow == nullptr;
    for (QvWindow *w = qvWindowFromHandle(msgWindow); w; w = qvWindowFromHandle(w->parent)) {
        if (w->handle == filter) return true;
        if (!(w->style & WS_CHILD)) break;
    }
    return false;
}

// Where a mouse event at client point p of top-level window top goes: the
// capture window, else the deepest child under the pointer. Returns null when
// the event belongs to no window of ours; *clientPoint is in its coordinates.
QvWindow *mouseTarget(QvWindow *top, POINT p, POINT *clientPoint) {
    if (QvWindow *captured = qvWindowFromHandle(qv.capture)) {
        if (qvTopLevelOf(captured) == top) {
            POINT offset = qvClientOffsetInTopLevel(captured);
            *clientPoint = POINT{p.x - offset.x, p.y - offset.y};
        } else {
            *clientPoint = qvScreenToClient(captured, qvClientToScreen(top, p));
        }
        return captured;
    }
    // Without capture, input outside the client area is some other window's.
    if (p.x < 0 || p.y < 0 || p.x >= top->clientWidth || p.y >= top->clientHeight) return nullptr;
    if (!top->enabled) return nullptr;
    QvWindow *target = qvChildAtPoint(top, p);
    POINT offset = qvClientOffsetInTopLevel(target);
    *clientPoint = POINT{p.x - offset.x, p.y - offset.y};
    return target;
}

// Posts a mouse message, merging it into a WM_MOUSEMOVE still queued last
// for the same window with the same keys.
void postMouseMessage(HWND hwnd, UINT message, WPARAM keys, POINT p) {
    LPARAM lParam = qvPackPoint(p.x, p.y);
    if (message == WM_MOUSEMOVE && !qv.posted.empty()) {
        MSG &last = qv.posted.back();
        if (last.message == WM_MOUSEMOVE && last.hwnd == hwnd && last.wParam == keys) {
            last.lParam = lParam;
            last.pt = qv.lastScreenPoint;
            last.time = static_cast<DWORD>(qvNowMs());
            return;
        }
    }
    qvPostMessage(hwnd, message, keys, lParam);
}

// Where a mouse event at (x, y) in the client area of top goes (see
// mouseTarget), after noting where on the screen it happened; null when it
// belongs to no window of ours.
QvWindow *mouseEventTarget(QvWindow *top, int x, int y, POINT *clientPoint) {
    if (!top) return nullptr;
    POINT p = {x, y};
    qv.lastScreenPoint = qvClientToScreen(top, p);
    return mouseTarget(top, p, clientPoint);
}

// The window system took the input focus from a top-level window: the focus
// inside it loses it, and is kept to be given back. When it goes to another
// of our windows, it moves there in one step, as Windows moves it (the
// window losing it hears which one has it).
void putFocusAside(QvWindow *top) {
    if (!qv.focus || !qvIsInTree(top->handle, qv.focus)) return;
    top->focusAside = qv.focus;
    // (A focus gain for one of our windows still queued: the window system
    // is moving the focus between two of them.)
    if (!qvbFocusGainQueued()) SetFocus(nullptr);
}

// The window system gave a top-level window the input focus: what it had
// gets it back, unless a click inside has already placed it; a window with
// nothing to give back takes the focus itself, as an activated window does
// on Windows, when no window holds it or one only kept it on the way here.
void giveFocusBack(QvWindow *top) {
    HWND aside = top->focusAside;
    top->focusAside = nullptr;
    if (qv.focus && qvIsInTree(top->handle, qv.focus)) return;
    if (aside && qvIsInTree(top->handle, aside)) {
        SetFocus(aside);
        return;
    }
    QvWindow *holder = qvWindowFromHandle(qv.focus);
    if (!holder || qvTopLevelOf(holder)->focusAside == qv.focus) SetFocus(top->handle);
}

// The window system took the mouse from top (minimised, hidden, another
// window made active): a capture held in it ends as ReleaseCapture would end
// it, so its owner hears that a drag's button-up may never come.
void captureTakenFrom(QvWindow *top) {
    if (!qv.capture || !qvIsInTree(top->handle, qv.capture)) return;
    // The buttons held may come up over another window: none counts as held
    // any more (a press is reported afresh by the backend).
    qv.buttons = 0;
    ReleaseCapture();
}

// The window system minimised (SC_MINIMIZE), maximised (SC_MAXIMIZE) or
// restored (SC_RESTORE) a top-level window on its own. The window hears it
// as WM_SYSCOMMAND, whose default handling makes it the window's state (its
// owned windows hidden or shown again, WM_SIZE); a window whose procedure
// keeps the command from it still reports the size the window system gave.
// An owned window the window manager iconified along with its owner follows
// its owner instead.
void stateChangedByWindowSystem(QvWindow *win, WPARAM command) {
    HWND hwnd = win->handle;
    QvWindow *owner = qvWindowFromHandle(win->owner);
    if (win->hiddenWithOwner || (owner && qvbIsMinimized(owner))) return;
    bool changed = command == SC_MINIMIZE   ? !win->minimized
                   : command == SC_MAXIMIZE ? !win->maximized
                                            : win->minimized || win->maximized;
    if (changed) SendMessageA(hwnd, WM_SYSCOMMAND, command, 0);
    if (!(win = qvWindowFromHandle(hwnd))) return;
    if (command != SC_MINIMIZE) win->maximized = command == SC_MAXIMIZE;
    if (command == SC_MINIMIZE) {
        if (!win->minimized) qvClientSizeChanged(win, 0, 0, true);
        return;
    }
    int width = 0, height = 0;
    qvbGetClientSize(win, &width, &height);
    qvClientSizeChanged(win, width, height, false);
}

// Takes the next message that passes the filters, in Windows' order.
bool takeMessage(MSG *out, HWND filter, UINT first, UINT last, bool remove) {
    qvPumpEvents();
    for (auto it = qv.posted.begin(); it != qv.posted.end(); ++it) {
        if (!passesFilter(it->hwnd, it->message, filter, first, last)) continue;
        *out = *it;
        if (remove) {
            qv.posted.erase(it);
            qvKeyMessageTaken(*out);
        }
        return true;
    }
    if (qv.quitPosted && (first == 0 && last == 0 ? true : (WM_QUIT >= first && WM_QUIT <= last))) {
        *out = MSG{nullptr,           WM_QUIT, static_cast<WPARAM>(qv.quitCode), 0, static_cast<DWORD>(qvNowMs()),
                   qv.lastScreenPoint};
        if (remove) qv.quitPosted = false;
        return true;
    }
    // WM_PAINT stays until the window is validated (BeginPaint).
    for (HWND hwnd : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (!win || !win->needsPaint || !win->visible || win->minimized) continue;
        if (!passesFilter(hwnd, WM_PAINT, filter, first, last)) continue;
        *out = MSG{hwnd, WM_PAINT, 0, 0, static_cast<DWORD>(qvNowMs()), qv.lastScreenPoint};
        return true;
    }
    uint64_t now = qvNowMs();
    QvTimer *due = nullptr;
    for (QvTimer &timer : qv.timers) {
        if (timer.dueMs > now || !passesFilter(timer.window, WM_TIMER, filter, first, last)) continue;
        if (!due || timer.dueMs < due->dueMs) due = &timer;
    }
    if (due) {
        *out = MSG{due->window,       WM_TIMER, due->id, reinterpret_cast<LPARAM>(due->proc), static_cast<DWORD>(now),
                   qv.lastScreenPoint};
        // One WM_TIMER however late: the next one is a whole period away.
        if (remove) due->dueMs = now + due->elapseMs;
        return true;
    }
    return false;
}

// Milliseconds until the next timer that passes the filters is due
// (longestWaitMs at most). A due timer the filters exclude cannot end the
// wait, so it must not cut it short either.
uint32_t msUntilNextTimer(HWND filter, UINT first, UINT last) {
    uint64_t now = qvNowMs();
    uint64_t wait = longestWaitMs;
    for (const QvTimer &timer : qv.timers) {
        if (!passesFilter(timer.window, WM_TIMER, filter, first, last)) continue;
        if (timer.dueMs <= now) return 0;
        wait = std::min<uint64_t>(wait, timer.dueMs - now);
    }
    return static_cast<uint32_t>(wait);
}

}  // namespace

// ===========================================================================
// Internal calls
// ===========================================================================

// ---- Input entry points: the only callers of the mouse and size messages ----

void qvInputMouseMotion(QvWindow *top, int x, int y) {
    if (!top || (!qv.capture && qvbPointerLeavingNext(top))) return;
    POINT clientPoint;
    QvWindow *target = mouseEventTarget(top, x, y, &clientPoint);
    if (target) postMouseMessage(target->handle, WM_MOUSEMOVE, qvMouseKeyFlags(), clientPoint);
}

void qvInputMouseButton(QvWindow *top, QvMouseButton button, bool down, int clicks, int x, int y) {
    static const unsigned bits[] = {MK_LBUTTON, MK_RBUTTON, MK_MBUTTON};
    static const UINT downMessages[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    unsigned bit = bits[button];
    UINT downMessage = downMessages[button];
    // The down message counts its button as held, the up message no longer.
    if (down)
        qv.buttons |= bit;
    else
        qv.buttons &= ~bit;
    POINT clientPoint;
    QvWindow *target = mouseEventTarget(top, x, y, &clientPoint);
    if (!target) return;
    UINT message = down ? downMessage : downMessage + 1;
    if (down && clicks >= 2 && (target->cls->style & CS_DBLCLKS)) message = downMessage + 2;
    postMouseMessage(target->handle, message, qvMouseKeyFlags(), clientPoint);
}

void qvInputWindowEvent(QvWindow *win, QvWindowEventKind kind, int a, int b) {
    if (!win) return;
    HWND hwnd = win->handle;
    switch (kind) {
    case QV_WINDOW_SHOWN:
        qvbLearnFrame(win);
        break;
    case QV_WINDOW_EXPOSED:
        qvbLearnFrame(win);
        if ((win = qvWindowFromHandle(hwnd))) qvInvalidate(win, nullptr, true);
        break;
    case QV_WINDOW_RESIZED:
        // The size of a maximise or restore comes after its WM_SYSCOMMAND,
        // with the window's new state, as on Windows.
        if (!win->minimized && win->maximized == qvbIsMaximized(win)) qvClientSizeChanged(win, a, b, false);
        break;
    case QV_WINDOW_MINIMIZED:
        // The window system took the capture and the focus with the window.
        captureTakenFrom(win);
        if ((win = qvWindowFromHandle(hwnd))) putFocusAside(win);
        if ((win = qvWindowFromHandle(hwnd))) stateChangedByWindowSystem(win, SC_MINIMIZE);
        break;
    case QV_WINDOW_HIDDEN:
        captureTakenFrom(win);
        break;
    case QV_WINDOW_RESTORED:
        // Given the focus already, the window has it before it hears the restore.
        if (qvbKeyboardFocusWindow() == win) giveFocusBack(win);
        if ((win = qvWindowFromHandle(hwnd))) stateChangedByWindowSystem(win, SC_RESTORE);
        break;
    case QV_WINDOW_MAXIMIZED:
        stateChangedByWindowSystem(win, SC_MAXIMIZE);
        break;
    case QV_WINDOW_MOVED: {
        int frameWidth = win->rect.right - win->rect.left;
        int frameHeight = win->rect.bottom - win->rect.top;
        QvFrame frame = qvFrameOf(win);
        win->rect.left = a - frame.left;
        win->rect.top = b - frame.top;
        win->rect.right = win->rect.left + frameWidth;
        win->rect.bottom = win->rect.top + frameHeight;
        break;
    }
    case QV_WINDOW_FOCUS_LOST:
        captureTakenFrom(win);
        if ((win = qvWindowFromHandle(hwnd))) putFocusAside(win);
        break;
    case QV_WINDOW_FOCUS_GAINED:
        giveFocusBack(win);
        break;
    case QV_WINDOW_CLOSE:
        // The close box, or the window manager's close request.
        qvPostMessage(win->handle, WM_CLOSE, 0, 0);
        break;
    }
}

// SIGINT or SIGTERM, a session's end: a request to close.
void qvInputQuit() {
    for (HWND top : qv.topLevels) qvPostMessage(top, WM_CLOSE, 0, 0);
}

void qvInputWindowGone(QvWindow *top) {
    // Already off the screen: nothing is hidden.
    top->visible = false;
    DestroyWindow(top->handle);
}

void qvPumpEvents() {
    qvbPumpEvents();
}

void qvPostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    qv.posted.push_back(MSG{hwnd, message, wParam, lParam, static_cast<DWORD>(qvNowMs()), qv.lastScreenPoint});
}

void qvPostAheadOfInput(const MSG &msg) {
    auto isInput = [](const MSG &m) {
        return (m.message >= WM_KEYDOWN && m.message <= WM_SYSCHAR) ||
               (m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP);
    };
    qv.posted.insert(std::find_if(qv.posted.begin(), qv.posted.end(), isInput), msg);
}

void qvForgetWindow(HWND hwnd) {
    for (auto it = qv.posted.begin(); it != qv.posted.end();) it = it->hwnd == hwnd ? qv.posted.erase(it) : it + 1;
    for (auto it = qv.timers.begin(); it != qv.timers.end();) it = it->window == hwnd ? qv.timers.erase(it) : it + 1;
    if (qv.capture == hwnd) qv.capture = nullptr;
    if (qv.focus == hwnd) qv.focus = nullptr;
}

LPARAM qvPackPoint(int x, int y) {
    // Far-off points are held at the edge of what 16 bits can say.
    x = std::max(-32768, std::min(32767, x));
    y = std::max(-32768, std::min(32767, y));
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

WPARAM qvMouseKeyFlags() {
    WPARAM flags = qv.buttons;
    unsigned mods = qvbModifiers();
    if (mods & QV_MOD_SHIFT) flags |= MK_SHIFT;
    if (mods & QV_MOD_CTRL) flags |= MK_CONTROL;
    return flags;
}

// ===========================================================================
// The Win32 calls
// ===========================================================================

extern "C" {

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !qvWindowFromHandle(hwnd)) return FALSE;
    qvPostAheadOfInput(MSG{hwnd, msg, wParam, lParam, static_cast<DWORD>(qvNowMs()), qv.lastScreenPoint});
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !win->proc) return 0;
    WNDPROC proc = win->proc;
    return proc(hwnd, msg, wParam, lParam);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
    if (!msg) return FALSE;
    return takeMessage(msg, hwnd, filterMin, filterMax, (removeMsg & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    for (;;) {
        if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !qvWindowFromHandle(hwnd)) return -1;
        if (takeMessage(msg, hwnd, filterMin, filterMax, true)) return msg->message == WM_QUIT ? 0 : 1;
        uint32_t wait = msUntilNextTimer(hwnd, filterMin, filterMax);
        if (wait == 0) continue;
        qvbWaitForEvent(static_cast<int>(wait));
    }
}

LRESULT WINAPI DispatchMessageA(const MSG *msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(qvNowMs()));
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    qv.quitPosted = true;
    qv.quitCode = exitCode;
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerFunc) {
    if (hwnd && !qvWindowFromHandle(hwnd)) return 0;
    elapse = std::max(elapse, minimumTimerMs);
    uint64_t due = qvNowMs() + elapse;
    if (!hwnd) {
        // Thread timers get their id from the system unless an existing one is named.
        bool known = false;
        for (const QvTimer &timer : qv.timers) known = known || (!timer.window && timer.id == id);
        if (!known) id = qv.nextThreadTimerId++;
    }
    for (QvTimer &timer : qv.timers) {
        if (timer.window == hwnd && timer.id == id) {
            timer.elapseMs = elapse;
            timer.dueMs = due;
            timer.proc = timerFunc;
            return hwnd ? (id ? id : 1) : id;
        }
    }
    qv.timers.push_back(QvTimer{hwnd, id, elapse, due, timerFunc});
    return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    for (auto it = qv.timers.begin(); it != qv.timers.end(); ++it) {
        if (it->window == hwnd && it->id == id) {
            qv.timers.erase(it);
            return TRUE;
        }
    }
    return FALSE;
}

HWND WINAPI SetCapture(HWND hwnd) {
    HWND previous = qvWindowFromHandle(qv.capture) ? qv.capture : nullptr;
    if (!qvWindowFromHandle(hwnd)) return previous;
    if (previous == hwnd) return previous;
    qv.capture = hwnd;
    if (previous) SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return previous;
}

BOOL WINAPI ReleaseCapture(void) {
    HWND previous = qv.capture;
    qv.capture = nullptr;
    if (!qvWindowFromHandle(previous)) return TRUE;
    SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    // The window under the pointer, if another, hears where it is, as it
    // would have but for the capture.
    QvWindow *top = !qv.capture ? qvbWindowUnderPointer() : nullptr;
    POINT p = top ? qvScreenToClient(top, qv.lastScreenPoint) : POINT{0, 0}, clientPoint;
    QvWindow *under = top ? mouseTarget(top, p, &clientPoint) : nullptr;
    if (under && under->handle != previous)
        postMouseMessage(under->handle, WM_MOUSEMOVE, qvMouseKeyFlags(), clientPoint);
    return TRUE;
}

HWND WINAPI GetCapture(void) {
    return qvWindowFromHandle(qv.capture) ? qv.capture : nullptr;
}

HWND WINAPI SetFocus(HWND hwnd) {
    HWND previous = qvWindowFromHandle(qv.focus) ? qv.focus : nullptr;
    if (hwnd && !qvWindowFromHandle(hwnd)) return nullptr;
    if (hwnd == previous) return previous;
    // A window that the focus leaves for another top-level window keeps it
    // to be given back when it is activated again, as a dialog does.
    QvWindow *previousTop = previous ? qvTopLevelOf(qvWindowFromHandle(previous)) : nullptr;
    if (hwnd && previousTop && !qvIsInTree(previousTop->handle, hwnd)) previousTop->focusAside = previous;
    qv.focus = hwnd;
    if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    // The window that lost the focus may have moved it elsewhere meanwhile.
    if (hwnd && qv.focus == hwnd && qvWindowFromHandle(hwnd))
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND WINAPI GetFocus(void) {
    return qvWindowFromHandle(qv.focus) ? qv.focus : nullptr;
}

}  // extern "C"
