// What the dialog and control suites share: a recording dialog procedure,
// mouse input injected as SDL events on a dialog's window, and the message
// pump that carries it through the layer.
#pragma once

#include <gtest/gtest.h>

#include "platform/core/qv_dialog_internal.h"
#include "support/message_log.h"

#include <vector>

// How the recording dialog procedure answers, set by each test.
struct DialogBehaviour {
    bool setUpColourBars = false;  // WM_INITDIALOG: bars 1039..1045 at 0..255, thumb 128
    bool followThumb = false;      // SB_THUMBTRACK/POSITION: SetScrollPos to the new position
    bool destroyOnClose = false;   // WM_CLOSE: DestroyWindow, return 0
    bool handleClose = false;      // WM_CLOSE: return 1 (nothing else)
    bool destroyOnOk = false;      // WM_COMMAND IDOK: DestroyWindow
    bool destroyOnInit = false;    // WM_INITDIALOG: DestroyWindow
    bool visibleAtInit = true;     // recorded: was the dialog visible in WM_INITDIALOG?
};

inline DialogBehaviour &dialogBehaviour() {
    static DialogBehaviour behaviour;
    return behaviour;
}

// Logs every message, then acts as dialogBehaviour() says; returns 0 (left to
// the dialog manager) unless the behaviour handles the message.
inline INT_PTR CALLBACK recordingDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    messageLog().push_back(LoggedMessage{dialog, message, wParam, lParam});
    DialogBehaviour &b = dialogBehaviour();
    switch (message) {
    case WM_INITDIALOG:
        b.visibleAtInit = IsWindowVisible(dialog) != FALSE;
        if (b.setUpColourBars) {
            for (int id = 1039; id <= 1045; id++) {
                SetScrollRange(GetDlgItem(dialog, id), SB_CTL, 0, 255, FALSE);
                SetScrollPos(GetDlgItem(dialog, id), SB_CTL, 128, FALSE);
            }
        }
        if (b.destroyOnInit) DestroyWindow(dialog);
        return 1;
    case WM_CLOSE:
        if (b.destroyOnClose) DestroyWindow(dialog);
        return b.handleClose ? 1 : 0;
    case WM_COMMAND:
        if (b.destroyOnOk && LOWORD(wParam) == IDOK) DestroyWindow(dialog);
        return 0;
    case WM_VSCROLL:
        if (b.followThumb && (LOWORD(wParam) == SB_THUMBTRACK || LOWORD(wParam) == SB_THUMBPOSITION)) {
            SetScrollPos(reinterpret_cast<HWND>(lParam), SB_CTL, HIWORD(wParam), TRUE);
            return 1;
        }
        return 0;
    default:
        return 0;
    }
}

// The layer's clock stands still in these suites: no timer ever comes due,
// so a held scroll arrow never repeats however slowly a test runs.
inline Uint64 frozenClock() {
    return 1000;
}

// Dispatches every queued message (input turned into messages on the way).
inline void pumpMessages() {
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// The kinds of input a table row injects: the mouse, a key (x is its
// SDL_Scancode), the window system taking the keyboard away (SDL releases the
// held key x first) and giving it back.
enum MouseAction { press, release, moveTo, rightPress, rightRelease, keyDown, keyUp, keyboardTaken, keyboardGiven };

// One step of injected input: an action at a point in the client area of the
// dialog's window (which may lie outside it).
struct MouseStep {
    MouseAction action;
    int x, y;
};

// Pushes the SDL events of one step on the dialog's window and pumps them through.
inline void injectMouse(HWND dialog, const MouseStep &step) {
    QvWindow *win = qvWindowFromHandle(dialog);
    ASSERT_NE(win, nullptr);
    ASSERT_NE(win->native.sdlWindow, nullptr);
    SDL_Event event = {};
    if (step.action == keyDown || step.action == keyUp || step.action == keyboardTaken) {
        event.type = step.action == keyDown ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.windowID = win->native.sdlWindowId;
        event.key.state = step.action == keyDown ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.scancode = static_cast<SDL_Scancode>(step.x);
        event.key.keysym.sym = SDL_GetKeyFromScancode(event.key.keysym.scancode);
    }
    if (step.action == keyboardTaken || step.action == keyboardGiven) {
        if (step.action == keyboardTaken) {
            ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
        }
        event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = win->native.sdlWindowId;
        event.window.event = step.action == keyboardTaken ? SDL_WINDOWEVENT_FOCUS_LOST : SDL_WINDOWEVENT_FOCUS_GAINED;
    } else if (step.action == moveTo) {
        event.type = SDL_MOUSEMOTION;
        event.motion.windowID = win->native.sdlWindowId;
        event.motion.x = step.x;
        event.motion.y = step.y;
    } else if (step.action != keyDown && step.action != keyUp) {
        bool down = step.action == press || step.action == rightPress;
        event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.windowID = win->native.sdlWindowId;
        event.button.button = (step.action == press || step.action == release) ? SDL_BUTTON_LEFT : SDL_BUTTON_RIGHT;
        event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = 1;
        event.button.x = step.x;
        event.button.y = step.y;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    pumpMessages();
}

// The messages of one kind in the log, in order.
inline std::vector<LoggedMessage> loggedOfKind(UINT message) {
    std::vector<LoggedMessage> found;
    for (const LoggedMessage &m : messageLog())
        if (m.message == message) found.push_back(m);
    return found;
}

// A control's client rectangle in its dialog's client coordinates.
inline RECT rectInDialog(HWND control) {
    QvWindow *win = qvWindowFromHandle(control);
    if (!win) return RECT{0, 0, 0, 0};
    POINT offset = qvClientOffsetInTopLevel(win);
    return RECT{offset.x, offset.y, offset.x + win->clientWidth, offset.y + win->clientHeight};
}

// Every suite here starts with the video up, a still clock and an empty
// log, and leaves no window behind.
class DialogSuite : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(qvEnsureVideo());
        qv.clockMs = frozenClock;
        dialogBehaviour() = DialogBehaviour{};
        clearMessageLog();
    }
    void TearDown() override {
        qvDestroyAllWindows();
        qv.clockMs = nullptr;
        clearMessageLog();
    }
};
