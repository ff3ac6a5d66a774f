// sdl_x11_frame.cpp: the window manager's frame around top-level windows, and
// every direct X11 call the layer makes.
//
// Pairs with sdl_window.cpp, which asks here for the frame of a window it
// creates or shows, core/frame.cpp, which the frames learnt here are reported
// to (qvTakeFrame), and core/dialog.cpp, which has the window manager told
// what a dialog's frame offers (qvbSetDialogFrame).
//
// Implemented:
//   Each framed window has its own frame (a resizable one's is deeper), asked
//   of an X11 window manager before the window is shown
//   (_NET_REQUEST_FRAME_EXTENTS), or learnt once it is mapped; until then, the
//   frame last seen on a window of the same kind stands in (core/frame.cpp
//   counts it). The first framed
//   window waits a moment for the window manager's answer; when none comes
//   there is no window manager and windows have no frame. Dialogs get Motif
//   hints (move, and close only with a system menu) and the dialog window type.
//   Images are put on a window in its own pixel format where SDL knows no
//   surface for it (a 30-bit display). X errors while OpenGL is set up are
//   caught and reported instead of ending the program (a broken driver then
//   offers no pixel format); a lost connection to the display destroys every
//   window as a close would, says so in one line and ends the program with
//   status 1. A window another client destroys is destroyed as DestroyWindow
//   destroys it, and the errors about it are taken as that destruction. A
//   press SDL would drop, counting its button as still held after a button-up
//   that went to another window, is passed on from the X server's own event;
//   a button SDL still counts as held once the window system has taken the
//   capture (the window minimised mid-drag) is asked of the X server, and
//   when it was released over another client's window, SDL hears the release
//   on the window the pointer is in.
//   Every top-level window names the program's first as its group leader;
//   owned windows can be withdrawn while iconified, and a window can be
//   handed to the window manager for a keyboard move (_NET_WM_MOVERESIZE).
// Left out: frames on drivers other than X11 (SDL reports none), window
//   manager hints beyond these, frame changes after a window is first framed
//   (a theme change), the Windows frame metrics (SM_CXFRAME...).
#include "../core/qv_internal.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// How long the first shown window waits for the window manager to report its
// frame; after that, windows are assumed to have none.
const Uint32 frameWaitMs = 250;

// True when the window is on X11, where a window manager may frame it.
bool onX11(SDL_Window *window, SDL_SysWMinfo *info) {
    SDL_VERSION(&info->version);
    return window && SDL_GetWindowWMInfo(window, info) && info->subsystem == SDL_SYSWM_X11;
}

// True when the X11 window manager lists the atom among what it supports.
bool windowManagerSupports(Display *display, Atom wanted) {
    Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type, &format,
                           &count, &remaining, &data) != Success)
        return false;
    bool found = false;
    if (data && type == XA_ATOM && format == 32) {
        const Atom *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count && !found; i++) found = atoms[i] == wanted;
    }
    if (data) XFree(data);
    return found;
}

// Sets a property of the window that holds one atom, both named.
void setAtomProperty(Display *display, Window window, const char *property, const char *value) {
    Atom atom = XInternAtom(display, value, False);
    XChangeProperty(display, window, XInternAtom(display, property, False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&atom), 1);
}

// Sends the window manager a request about the window: a client message of
// the named type to the root window, as the EWMH asks. False when the window
// is not on X11 or the window manager does not offer that request.
bool askWindowManager(SDL_Window *window, const char *request, const long (&data)[5]) {
    SDL_SysWMinfo info;
    if (!onX11(window, &info)) return false;
    Display *display = info.info.x11.display;
    Atom type = XInternAtom(display, request, False);
    if (!windowManagerSupports(display, type)) return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = info.info.x11.window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    for (int i = 0; i < 5; i++) event.xclient.data.l[i] = data[i];
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    return true;
}

// Asks the window manager for the frame it will put around a window that is
// not mapped yet, so that the window can be given its client size before it
// appears instead of being resized in view. The answer comes as a property
// change that SDL reads when it pumps events. False when no window manager
// offers this.
bool requestFrame(SDL_Window *window) {
    return askWindowManager(window, "_NET_REQUEST_FRAME_EXTENTS", {0, 0, 0, 0, 0});
}

// Pumps SDL until the window manager has reported the window's frame, or the
// wait is over; true when it did.
bool pollFrame(SDL_Window *window) {
    Uint64 start = SDL_GetTicks64();
    int top = 0, left = 0, bottom = 0, right = 0;
    while (SDL_GetTicks64() - start < frameWaitMs) {
        SDL_PumpEvents();
        if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 && (top | left | bottom | right) != 0)
            return true;
        SDL_Delay(1);
    }
    return false;
}

// Waits for the frame of the first framed window to be mapped without having
// been asked for it beforehand; when none comes, there is no window manager.
void waitForFrame(QvWindow *win) {
    if (qv.frames.known || !qvbHasFrame(win->style)) return;
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) pollFrame(win->native.sdlWindow);
    qv.frames.known = true;  // other drivers report no frame
}

}  // namespace

// ===========================================================================
// Frames
// ===========================================================================

bool qvbHasFrame(DWORD style) {
    if (style & WS_CHILD) return false;
    if (!(style & WS_POPUP)) return true;  // overlapped windows always have a caption
    return (style & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

void qvRequestFrame(QvWindow *win) {
    if (qvbHasFrame(win->style) && !win->frame.learnt && !win->clientSizeFixed)
        win->frame.requested = requestFrame(win->native.sdlWindow);
}

void qvbLearnRequestedFrame(QvWindow *win) {
    if (win->frame.requested && !win->frame.learnt && pollFrame(win->native.sdlWindow)) qvbLearnFrame(win);
}

void qvLearnFrameOnMap(QvWindow *win) {
    waitForFrame(win);
    qvbLearnFrame(win);
}

void qvbLearnFrame(QvWindow *win) {
    if (!win || !win->native.sdlWindow || !qvbHasFrame(win->style)) return;
    QvFrame frame;
    if (SDL_GetWindowBordersSize(win->native.sdlWindow, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0)
        return;
    if ((frame.top | frame.left | frame.bottom | frame.right) == 0) return;
    qvTakeFrame(win, frame);
}

// ===========================================================================
// Dialog frames
// ===========================================================================

// Tells an X11 window manager which functions the window offers: moving
// always, closing only with a system menu. Dialogs have no minimise,
// maximise or resize. Other video drivers have no window manager to tell.
void qvbSetDialogFrame(QvWindow *win, bool closable) {
    SDL_SysWMinfo info;
    if (!win || !onX11(win->native.sdlWindow, &info)) return;
    // The Motif hints record: flags, functions, decorations, input mode, status.
    const unsigned long hintsFunctions = 1, functionMove = 4, functionClose = 32;
    long hints[5] = {(long)hintsFunctions, (long)(functionMove | (closable ? functionClose : 0)), 0, 0, 0};
    Display *display = info.info.x11.display;
    Atom atom = XInternAtom(display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(display, info.info.x11.window, atom, atom, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(hints), 5);
    // A dialog, not an application window: window managers give it no
    // minimise button of its own.
    setAtomProperty(display, info.info.x11.window, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG");
    XFlush(display);
}

// ===========================================================================
// Window-manager hints, withdrawal and moving
// ===========================================================================

void qvSetWindowManagerHints(QvWindow *win) {
    SDL_SysWMinfo info;
    if (!onX11(win->native.sdlWindow, &info)) return;
    // The group leader: the first top-level window with an X window (this
    // one, for the first). SDL names a made-up window there.
    Window leader = info.info.x11.window;
    for (HWND hwnd : qv.topLevels) {
        QvWindow *top = qvWindowFromHandle(hwnd);
        SDL_SysWMinfo topInfo;
        if (top && top != win && onX11(top->native.sdlWindow, &topInfo)) {
            leader = topInfo.info.x11.window;
            break;
        }
        if (top == win) break;
    }
    Display *display = info.info.x11.display;
    XWMHints *hints = XGetWMHints(display, info.info.x11.window);
    XWMHints fresh = {};
    XWMHints *set = hints ? hints : &fresh;
    set->flags |= WindowGroupHint;
    set->window_group = leader;
    XSetWMHints(display, info.info.x11.window, set);
    if (hints) XFree(hints);
    // Windows gives an owned window no taskbar button. Set while the window
    // is withdrawn, before every mapping: the window manager drops it on
    // withdrawal.
    if (qvWindowFromHandle(win->owner))
        setAtomProperty(display, info.info.x11.window, "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR");
    XFlush(display);
}

void qvbWithdrawWindow(QvWindow *win) {
    SDL_SysWMinfo info;
    if (!win->native.sdlWindow || !onX11(win->native.sdlWindow, &info)) return;
    Display *display = info.info.x11.display;
    // Unmaps it, and tells the window manager to forget an iconified one.
    XWithdrawWindow(display, info.info.x11.window, DefaultScreen(display));
    XFlush(display);
}

bool qvbMoveFromKeyboard(QvWindow *win) {
    if (!win->native.sdlWindow) return false;
    // The pointer's place, and the keyboard move of the EWMH.
    const long moveByKeyboard = 10, sourceApplication = 1;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    return askWindowManager(win->native.sdlWindow, "_NET_WM_MOVERESIZE", {x, y, moveByKeyboard, 0, sourceApplication});
}

bool qvbShowWindowMenu(QvWindow *) {
    // The window manager opens its window menu on its own keys.
    return false;
}

// ===========================================================================
// Images in the window's own pixel format
// ===========================================================================

namespace {

// Where one colour channel lies in a true-colour pixel, from its mask.
struct PixelChannel {
    int shift = 0;
    unsigned long most = 0;  // the channel's largest value
};

PixelChannel channelOf(unsigned long mask) {
    PixelChannel channel;
    if (mask == 0) return channel;
    while (!(mask & 1)) {
        mask >>= 1;
        channel.shift++;
    }
    channel.most = mask;
    return channel;
}

// An 8-bit channel value scaled to the channel's own width, rounded.
unsigned long channelValue(const PixelChannel &channel, Uint8 value) {
    return ((value * channel.most + 127) / 255) << channel.shift;
}

// Sets SDL's error to why and gives false.
bool failWith(const char *why) {
    SDL_SetError("%s", why);
    return false;
}

}  // namespace

bool qvPutImage(SDL_Window *window, SDL_Surface *image) {
    SDL_SysWMinfo info;
    if (!image || image->format->BytesPerPixel != 4) return failWith("the image is not of 32-bit pixels");
    if (!onX11(window, &info)) return failWith("no way to draw in the window's pixel format");
    Display *display = info.info.x11.display;
    Window xwindow = info.info.x11.window;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, xwindow, &attributes)) return failWith("the window is gone");
    Visual *visual = attributes.visual;
    if (visual->c_class != TrueColor && visual->c_class != DirectColor)
        return failWith("the window's visual is not a true-colour one");
    XImage *converted = XCreateImage(display, visual, attributes.depth, ZPixmap, 0, nullptr, image->w, image->h, 32, 0);
    if (!converted) return failWith("no image of the window's depth");
    converted->data = static_cast<char *>(std::malloc(size_t(converted->bytes_per_line) * image->h));
    if (!converted->data) {
        XDestroyImage(converted);
        return failWith("out of memory");
    }
    const PixelChannel red = channelOf(visual->red_mask), green = channelOf(visual->green_mask),
                       blue = channelOf(visual->blue_mask);
    for (int y = 0; y < image->h; y++) {
        const Uint32 *row =
            reinterpret_cast<const Uint32 *>(static_cast<const Uint8 *>(image->pixels) + y * image->pitch);
        for (int x = 0; x < image->w; x++) {
            Uint8 r, g, b;
            SDL_GetRGB(row[x], image->format, &r, &g, &b);
            XPutPixel(converted, x, y, channelValue(red, r) | channelValue(green, g) | channelValue(blue, b));
        }
    }
    GC gc = XCreateGC(display, xwindow, 0, nullptr);
    XPutImage(display, xwindow, gc, converted, 0, 0, 0, 0, image->w, image->h);
    XFreeGC(display, gc);
    XDestroyImage(converted);  // and its pixels
    XFlush(display);
    return true;
}

// ===========================================================================
// X errors and the loss of the display
// ===========================================================================

namespace {

// Keeps the first error's text instead of ending the program.
int catchXError(Display *display, XErrorEvent *error) {
    if (qv.backend.xErrors.caught++ == 0)
        XGetErrorText(display, error->error_code, qv.backend.xErrors.firstCaught,
                      sizeof qv.backend.xErrors.firstCaught);
    return 0;
}

// Xlib's answer to a lost connection: this function, then exit(1) if it
// returns, with no window told. So it never returns: the windows are
// destroyed as a close destroys them (their procedures free what they hold),
// with nothing more sent to the display, and the program ends with status 1.
int onDisplayLost(Display *display) {
    if (qv.backend.xErrors.displayLost) _exit(1);  // the clean-up itself reached the display
    qv.backend.xErrors.displayLost = true;
    SDL_ClearError();
    qvError("lost the connection to the display \"%s\"", DisplayString(display));
    for (auto &entry : qv.windows) entry.second->native.sdlWindow = nullptr;
    for (auto &entry : qv.glContexts) entry.second->native.sdlContext = nullptr;
    qv.backend.videoReady = false;
    qvDestroyAllWindows();
    std::exit(1);
}

// An X error or the display's loss in a process that must end at once.
int endOnXError(Display *, XErrorEvent *) {
    _exit(1);
}
int endOnDisplayLoss(Display *) {
    _exit(1);
}

}  // namespace

void qvCatchXErrors() {
    qv.backend.xErrors.caught = 0;
    qv.backend.xErrors.handlerBefore = reinterpret_cast<void (*)()>(XSetErrorHandler(catchXError));
}

bool qvNoXErrorSoFar(SDL_Window *window) {
    SDL_SysWMinfo info;
    if (onX11(window, &info)) XSync(info.info.x11.display, False);
    return qv.backend.xErrors.caught == 0;
}

bool qvStopCatchingXErrors(const char *during) {
    XSetErrorHandler(reinterpret_cast<XErrorHandler>(qv.backend.xErrors.handlerBefore));
    if (qv.backend.xErrors.caught == 0) return true;
    SDL_ClearError();
    qvError("%s: the display answered with an X error (%s)", during, qv.backend.xErrors.firstCaught);
    return false;
}

void qvWatchDisplayLoss() {
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) XSetIOErrorHandler(onDisplayLost);
}

void qvEndAtOnceOnXErrors() {
    XSetErrorHandler(endOnXError);
    XSetIOErrorHandler(endOnDisplayLoss);
}

// ===========================================================================
// What the X server says of our windows that SDL does not pass on
// ===========================================================================

namespace {

// The X window of an SDL window, or 0.
unsigned long xWindowOf(SDL_Window *window) {
    SDL_SysWMinfo info;
    return onX11(window, &info) ? info.info.x11.window : 0;
}

// The top-level window whose SDL window is this X window, or null.
QvWindow *windowOfXWindow(unsigned long xwindow) {
    for (HWND hwnd : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (win && win->native.sdlWindow && xWindowOf(win->native.sdlWindow) == xwindow) return win;
    }
    return nullptr;
}

bool knownDestroyed(unsigned long xwindow) {
    return std::find(qv.backend.x11.destroyed.begin(), qv.backend.x11.destroyed.end(), xwindow) !=
           qv.backend.x11.destroyed.end();
}

// Another client destroyed one of our windows: its record goes at the next
// pump (qvDestroyWindowsGone), and errors about it are expected from now on.
void noteDestroyed(unsigned long xwindow) {
    if (knownDestroyed(xwindow) || !windowOfXWindow(xwindow)) return;
    qv.backend.x11.destroyed.push_back(xwindow);
    qv.backend.x11.destructionPending = true;
}

// X errors: those about a window of ours that no longer exists (SDL or the
// OpenGL driver still drawing in it before its destruction is handled) are
// that destruction; those about another client's window that is gone are
// ignored; any other goes to the handler that was there before (Xlib's: a
// line and the end of the program).
int onXError(Display *display, XErrorEvent *error) {
    unsigned long xwindow = error->resourceid;
    bool noSuchWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (knownDestroyed(xwindow)) return 0;
    if (noSuchWindow && windowOfXWindow(xwindow)) {
        noteDestroyed(xwindow);
        return 0;
    }
    // Another client's window (the window manager's frame of one of ours, as
    // it is taken down) that went between SDL's question about it and the
    // answer: a race, not a fault of ours, and nothing Windows would report.
    if (noSuchWindow) return 0;
    auto before = reinterpret_cast<XErrorHandler>(qv.backend.x11.errorHandlerBefore);
    return before ? before(display, error) : 0;
}

// A button went down on one of our windows. SDL drops a press of a button it
// still counts as held, which it does when the button-up went to another
// window (the window was minimised mid-drag): that press is passed on here.
void pressSdlWouldDrop(const XButtonEvent &press) {
    if (press.button < Button1 || press.button > Button3) return;  // X and SDL number them alike
    if (!(SDL_GetMouseState(nullptr, nullptr) & SDL_BUTTON(press.button))) return;
    QvWindow *win = windowOfXWindow(press.window);
    if (!win) return;
    SDL_Event event = {};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = win->native.sdlWindowId;
    event.button.button = static_cast<Uint8>(press.button);
    event.button.state = SDL_PRESSED;
    event.button.clicks = 1;
    event.button.x = press.x;
    event.button.y = press.y;
    SDL_PushEvent(&event);
}

// Sees each X event before SDL handles it; the copies are never queued.
int SDLCALL watchXEvent(void *, SDL_Event *event) {
    if (event->type != SDL_SYSWMEVENT) return 1;
    const SDL_SysWMmsg *message = event->syswm.msg;
    if (!message || message->subsystem != SDL_SYSWM_X11) return 0;
    const XEvent &xevent = message->msg.x11.event;
    if (xevent.type == DestroyNotify) noteDestroyed(xevent.xdestroywindow.window);
    if (xevent.type == ButtonPress) pressSdlWouldDrop(xevent.xbutton);
    return 0;
}

}  // namespace

void qvWatchXEvents() {
    const char *driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "x11") != 0) return;
    XErrorHandler before = XSetErrorHandler(onXError);
    if (before != onXError) qv.backend.x11.errorHandlerBefore = reinterpret_cast<void (*)()>(before);
    SDL_SetEventFilter(watchXEvent, nullptr);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

namespace {

// Notes, in *found, a ButtonRelease of the button at *found queued by Xlib;
// takes no event from the queue.
Bool noteQueuedRelease(Display *, XEvent *event, XPointer found) {
    int *button = reinterpret_cast<int *>(found);
    if (event->type == ButtonRelease && static_cast<int>(event->xbutton.button) == *button) *button = 0;
    return False;
}

}  // namespace

void qvTakeReleasesElsewhere() {
    if (!qv.backend.buttonsMayComeUpElsewhere) return;
    Uint32 held = SDL_GetMouseState(nullptr, nullptr);
    if (!held) {
        qv.backend.buttonsMayComeUpElsewhere = false;
        return;
    }
    // SDL reports a release on the window the pointer is in, whichever of
    // ours it reads it from.
    SDL_Window *window = SDL_GetMouseFocus();
    for (auto it = qv.topLevels.begin(); !window && it != qv.topLevels.end(); ++it) {
        QvWindow *top = qvWindowFromHandle(*it);
        if (top && top->native.sdlWindow) window = top->native.sdlWindow;
    }
    SDL_SysWMinfo info;
    if (!onX11(window, &info)) return;
    Display *display = info.info.x11.display;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, info.info.x11.window, &root, &child, &rootX, &rootY, &x, &y, &mask)) return;
    for (int button = Button1; button <= Button3; button++) {  // X and SDL number them alike
        if (!(held & SDL_BUTTON(button)) || (mask & (Button1Mask << (button - Button1)))) continue;
        // A release the server gave us before its answer is queued by now.
        int unseen = button;
        XEvent ignored;
        XCheckIfEvent(display, &ignored, noteQueuedRelease, reinterpret_cast<XPointer>(&unseen));
        if (!unseen) continue;
        XEvent release = {};
        release.xbutton.type = ButtonRelease;
        release.xbutton.display = display;
        release.xbutton.window = info.info.x11.window;
        release.xbutton.root = root;
        release.xbutton.time = CurrentTime;
        release.xbutton.x = x;
        release.xbutton.y = y;
        release.xbutton.x_root = rootX;
        release.xbutton.y_root = rootY;
        release.xbutton.state = mask;
        release.xbutton.button = static_cast<unsigned int>(button);
        release.xbutton.same_screen = True;
        XPutBackEvent(display, &release);
    }
}

void qvDestroyWindowsGone() {
    if (!qv.backend.x11.destructionPending) return;
    qv.backend.x11.destructionPending = false;
    std::vector<HWND> gone;
    for (HWND hwnd : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (win && win->native.sdlWindow && knownDestroyed(xWindowOf(win->native.sdlWindow))) gone.push_back(hwnd);
    }
    for (HWND hwnd : gone) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (!win) continue;
        // Already off the screen: nothing is hidden. SDL waits for the X
        // server's word that a window it hides is unmapped, which never comes
        // for a window that no longer exists: it finds it at the head of the
        // queue.
        SDL_SysWMinfo info;
        if (onX11(win->native.sdlWindow, &info)) {
            XEvent unmapped = {};
            unmapped.xunmap.type = UnmapNotify;
            unmapped.xunmap.display = info.info.x11.display;
            unmapped.xunmap.event = info.info.x11.window;
            unmapped.xunmap.window = info.info.x11.window;
            XPutBackEvent(info.info.x11.display, &unmapped);
        }
        qvInputWindowGone(win);
    }
}
