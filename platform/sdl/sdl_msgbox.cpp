// sdl_msgbox.cpp: the SDL backend's message box (qvbMessageBox), under
// core/msgbox.cpp's MessageBoxA.
//
// Implemented: a real modal box with the caption, the text, the icon kind
//   (error, warning, information) and the buttons of MB_OK, MB_OKCANCEL,
//   MB_YESNO, MB_YESNOCANCEL, MB_RETRYCANCEL and MB_ABORTRETRYIGNORE, returning
//   the IDOK... value of the button pressed (the close box counts as Cancel
//   where there is one). With no display to show it on (no video, the
//   offscreen driver, or SDL failing to show it), it answers 0 and the core
//   writes the caption and the text on standard error. SIGINT or
//   SIGTERM while the box is up ends the program with status 1 (see
//   sdl_signals.cpp): nothing can take a close request until it is closed.
// Left out: MB_DEFBUTTON*, MB_SYSTEMMODAL/MB_TASKMODAL (the box is modal for
//   the whole program anyway), MB_HELP, owner disabling.
#include "../core/qv_internal.h"

#include <pthread.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <string>

namespace {

// In a process forked while a box is up (SDL's X11 box runs in a child,
// which ends with _exit): the child goes when the program goes, so a signal
// that ends the program takes its box away too. The child shows the box and
// nothing else: signals have their default actions (Ctrl+C ends it quietly,
// the program says why), and an X error or the loss of the display (the box
// killed, the server gone) ends it at once, running none of the program's
// exit handlers (they wait for threads the child does not have). The program
// then finds the box failed.
void tieBoxChildToProgram() {
    if (!qv.backend.signals.messageBoxUp) return;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != qv.backend.messageBox.owner) _exit(1);  // the program ended before the prctl
    qvRestoreDefaultSignals();
    qvEndAtOnceOnXErrors();
}

// Marks the box as up for the signal handler and for a child SDL forks.
void setMessageBoxUp(bool up) {
    if (!qv.backend.messageBox.forkWatched)
        qv.backend.messageBox.forkWatched = pthread_atfork(nullptr, nullptr, tieBoxChildToProgram) == 0;
    qv.backend.messageBox.owner = getpid();
    qv.backend.signals.messageBoxUp = up;
}

// SDL's icon flag for the MB_ICON* bits.
Uint32 iconFlagFor(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

// True when SDL's driver has a screen a person can see.
bool haveVisibleDisplay() {
    return qv.backend.videoReady && SDL_GetCurrentVideoDriver() && !qvInvisibleVideoDriver();
}

// The SDL window to stand the box over: the owner's, when it is on screen.
SDL_Window *parentWindowFor(HWND owner) {
    QvWindow *win = qvTopLevelOf(qvWindowFromHandle(owner));
    return win && win->visible && win->mapped ? win->native.sdlWindow : nullptr;
}

}  // namespace

int qvbMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
    QvMessageBoxButtons buttons = qvMessageBoxButtons(type);
    if (haveVisibleDisplay()) {
        SDL_MessageBoxButtonData data[3] = {};
        for (int i = 0; i < buttons.count; i++) {
            data[i].buttonid = buttons.ids[i];
            data[i].text = buttons.labels[i];
            if (i == 0) data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
            if (buttons.ids[i] == IDCANCEL || buttons.count == 1)
                data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        }
        SDL_MessageBoxData box = {};
        box.flags = iconFlagFor(type);
        box.window = parentWindowFor(owner);
        box.title = caption;
        box.message = text;
        box.numbuttons = buttons.count;
        box.buttons = data;
        // While the box is up, a drag in progress is over.
        if (qv.capture) ReleaseCapture();
        int pressed = -1;
        setMessageBoxUp(true);
        int shown = SDL_ShowMessageBox(&box, &pressed);
        setMessageBoxUp(false);
        if (shown == 0) {
            if (pressed >= 0) return pressed;
            for (int i = 0; i < buttons.count; i++)
                if (buttons.ids[i] == IDCANCEL) return IDCANCEL;
            return buttons.ids[0];
        }
        qvError("cannot show the message box");
    }
    return 0;
}
