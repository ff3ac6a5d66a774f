// sdl_window.cpp: window classes, windows, device contexts and painting, on SDL2.
//
// Pairs with sdl_message.cpp (which turns SDL events into the size, paint and
// mouse messages handled here) and sdl_gdi_wgl.cpp (pixel formats and GL).
//
// Implemented:
//   RegisterClassA, CreateWindowExA (WM_NCCREATE and WM_CREATE with a
//   CREATESTRUCTA, WM_SIZE for children at creation, WS_VISIBLE), DestroyWindow
//   (owned windows first, then WM_DESTROY parent before children, WM_NCDESTROY
//   children before parent), DefWindowProcA (WM_NCCREATE, WM_CLOSE, WM_PAINT,
//   WM_ERASEBKGND, WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH), IsWindow,
//   IsWindowVisible, ShowWindow (WM_SHOWWINDOW, then the first WM_SIZE),
//   UpdateWindow, InvalidateRect, BeginPaint/EndPaint, GetDC/ReleaseDC/
//   WindowFromDC (one private DC for CS_OWNDC), Get/SetWindowLong(Ptr)A,
//   Get/SetWindowTextA, GetClientRect, GetWindowRect, GetParent, EnableWindow,
//   IsWindowEnabled, MoveWindow, ClientToScreen, ScreenToClient,
//   LoadCursorA (stock cursors), GetSystemMetrics (SM_CXSCREEN, SM_CYSCREEN), GetModuleHandleA.
//   Top-level windows get an SDL window; sizes passed in are outer sizes, and
//   the window manager's frame is taken off to give the client area. Each
//   window has its own frame (a resizable one's is deeper), asked of an X11
//   window manager before the window is shown, or learnt once it is mapped;
//   until then, the frame of a window of the same kind stands in.
// Left out: non-client messages (WM_NCCALCSIZE, WM_NCPAINT, WM_NCHITTEST),
//   WM_MOVE, WM_WINDOWPOS*, activation and focus messages, regions (the update
//   region is a bounding rectangle), class background brushes (nothing is
//   erased), cursor shapes (cursor handles are tokens), menus. LoadIconA is
//   in sdl_resources.cpp; a class's icon becomes its SDL windows' icon.
#include "sdl_internal.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <strings.h>

#include <algorithm>
#include <cstring>

namespace {

// Windows puts images at this address; our one module gets it as its handle.
const uintptr_t moduleHandleValue = 0x400000;
// First atom handed out by RegisterClassA, as on Windows.
const ATOM firstClassAtom = 0xC000;
// Where CW_USEDEFAULT windows go, and their size.
const int defaultWindowX = 24;
const int defaultWindowY = 24;
const int defaultWindowWidth = 640;
const int defaultWindowHeight = 480;
// How long the first shown window waits for the window manager to report its
// frame; after that, windows are assumed to have none.
const Uint32 frameWaitMs = 250;

// True when the top-level window gets a frame from the window manager.
bool hasFrame(DWORD style) {
    if (style & WS_CHILD) return false;
    if (!(style & WS_POPUP)) return true;  // overlapped windows always have a caption
    return (style & (WS_CAPTION | WS_THICKFRAME)) != 0;
}

// Which of qv.frameSeenFor a window's frame is kept in: with or without a
// sizing border.
int frameKind(DWORD style) {
    return (style & WS_THICKFRAME) ? 1 : 0;
}

// True when hwnd is win or one of its descendants.
bool isInTree(HWND root, HWND hwnd) {
    for (QvWindow *w = qvWindowFromHandle(hwnd); w; w = qvWindowFromHandle(w->parent))
        if (w->handle == root) return true;
    return false;
}

// Removes hwnd from the list it is kept in (its parent's children or the
// top-level list).
void unlinkWindow(QvWindow *win) {
    std::vector<HWND> *list = &qv.topLevels;
    if (QvWindow *parent = qvWindowFromHandle(win->parent)) list = &parent->children;
    list->erase(std::remove(list->begin(), list->end(), win->handle), list->end());
}

// Sends WM_DESTROY to hwnd and then to each of its children, parent first.
void sendDestroyMessages(HWND hwnd) {
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return;
    std::vector<HWND> children = win->children;
    for (HWND child : children) sendDestroyMessages(child);
}

// Frees hwnd and its children, children first, each after its WM_NCDESTROY.
void freeWindowTree(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return;
    std::vector<HWND> children = win->children;
    for (HWND child : children) freeWindowTree(child);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    win = qvWindowFromHandle(hwnd);
    if (!win) return;
    win->classData = nullptr;
    qvForgetWindow(hwnd);
    qvForgetWindowGdi(hwnd);
    if (win->sdlWindow) SDL_DestroyWindow(win->sdlWindow);
    unlinkWindow(win);
    qv.windows.erase(qvKey(hwnd));
}

// Marks hwnd and its children as being destroyed.
void markDestroying(QvWindow *win) {
    win->destroying = true;
    for (HWND child : win->children)
        if (QvWindow *c = qvWindowFromHandle(child)) markDestroying(c);
}

// Creates the SDL window of a top-level window at its frame position.
SDL_Window *createSdlWindow(QvWindow *win, bool withGl) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (withGl) flags |= SDL_WINDOW_OPENGL;
    if (!hasFrame(win->style)) flags |= SDL_WINDOW_BORDERLESS;
    if (win->style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    // SDL cannot make a 0 x 0 window; the client size stays what it is.
    int w = std::max(1, win->clientWidth);
    int h = std::max(1, win->clientHeight);
    // Created hidden at (x, y), the window manager puts the FRAME there.
    return SDL_CreateWindow(win->text.c_str(), win->rect.left, win->rect.top, w, h, flags);
}

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

// Asks the window manager for the frame it will put around a window that is
// not mapped yet, so that the window can be given its client size before it
// appears instead of being resized in view. The answer comes as a property
// change that SDL reads when it pumps events. False when no window manager
// offers this.
bool requestFrame(SDL_Window *window) {
    SDL_SysWMinfo info;
    if (!onX11(window, &info)) return false;
    Display *display = info.info.x11.display;
    Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    if (!windowManagerSupports(display, request)) return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = info.info.x11.window;
    event.xclient.message_type = request;
    event.xclient.format = 32;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XFlush(display);
    return true;
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
    if (qv.frameKnown || !hasFrame(win->style)) return;
    const char *driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0) pollFrame(win->sdlWindow);
    qv.frameKnown = true;  // other drivers report no frame
}

// The cached handle for a named resource: the same name gives the same handle.
template <typename H>
H tokenFor(std::unordered_map<std::string, uintptr_t> &cache, HINSTANCE instance, LPCSTR name) {
    std::string key = std::to_string(qvKey(instance)) + ":" +
                      (IS_INTRESOURCE(name) ? "#" + std::to_string(qvKey(name)) : std::string(name));
    auto found = cache.find(key);
    if (found != cache.end()) return qvHandle<H>(found->second);
    uintptr_t handle = qvNewHandle();
    cache[key] = handle;
    return qvHandle<H>(handle);
}

std::unordered_map<std::string, uintptr_t> cursorTokens;

}  // namespace

// ===========================================================================
// Handles, classes and lookup
// ===========================================================================

uintptr_t qvNewHandle() {
    qv.nextHandle += 4;
    return qv.nextHandle;
}

QvWindow *qvWindowFromHandle(HWND hwnd) {
    if (!hwnd) return nullptr;
    auto found = qv.windows.find(qvKey(hwnd));
    return found == qv.windows.end() ? nullptr : found->second.get();
}

QvWindow *qvWindowFromSdlId(Uint32 sdlWindowId) {
    if (sdlWindowId == 0) return nullptr;
    for (HWND hwnd : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (win && win->sdlWindowId == sdlWindowId) return win;
    }
    return nullptr;
}

QvClass *qvFindClass(const char *name) {
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) {
        size_t index = qvKey(name) - firstClassAtom;
        return index < qv.classes.size() ? qv.classes[index].get() : nullptr;
    }
    for (auto &cls : qv.classes)
        if (strcasecmp(cls->name.c_str(), name) == 0) return cls.get();
    return nullptr;
}

ATOM qvRegisterClass(const WNDCLASSA *wndClass) {
    if (!wndClass || !wndClass->lpfnWndProc || !wndClass->lpszClassName || IS_INTRESOURCE(wndClass->lpszClassName)) {
        qvError("RegisterClassA: the class needs a name and a window procedure");
        return 0;
    }
    if (qvFindClass(wndClass->lpszClassName)) {
        qvError("RegisterClassA: class \"%s\" is already registered", wndClass->lpszClassName);
        return 0;
    }
    auto cls = std::make_unique<QvClass>();
    cls->name = wndClass->lpszClassName;
    cls->proc = wndClass->lpfnWndProc;
    cls->style = wndClass->style;
    cls->classExtra = std::max(0, wndClass->cbClsExtra);
    cls->windowExtra = std::max(0, wndClass->cbWndExtra);
    cls->instance = wndClass->hInstance;
    cls->icon = wndClass->hIcon;
    cls->cursor = wndClass->hCursor;
    cls->background = wndClass->hbrBackground;
    qv.classes.push_back(std::move(cls));
    return static_cast<ATOM>(firstClassAtom + qv.classes.size() - 1);
}

QvWindow *qvTopLevelOf(QvWindow *win) {
    while (win && (win->style & WS_CHILD)) {
        QvWindow *parent = qvWindowFromHandle(win->parent);
        if (!parent) break;
        win = parent;
    }
    return win;
}

POINT qvClientOffsetInTopLevel(QvWindow *win) {
    POINT offset = {0, 0};
    while (win && (win->style & WS_CHILD)) {
        offset.x += win->rect.left;
        offset.y += win->rect.top;
        win = qvWindowFromHandle(win->parent);
    }
    return offset;
}

// Screen position of a top-level window's client origin.
static POINT clientOriginOnScreen(QvWindow *top) {
    POINT origin;
    if (top->sdlWindow && top->mapped) {
        int x = 0, y = 0;
        SDL_GetWindowPosition(top->sdlWindow, &x, &y);
        origin.x = x;
        origin.y = y;
    } else {
        QvFrame frame = qvFrameOf(top);
        origin.x = top->rect.left + frame.left;
        origin.y = top->rect.top + frame.top;
    }
    return origin;
}

POINT qvClientToScreen(QvWindow *win, POINT p) {
    POINT offset = qvClientOffsetInTopLevel(win);
    POINT origin = clientOriginOnScreen(qvTopLevelOf(win));
    return POINT{p.x + offset.x + origin.x, p.y + offset.y + origin.y};
}

POINT qvScreenToClient(QvWindow *win, POINT p) {
    POINT offset = qvClientOffsetInTopLevel(win);
    POINT origin = clientOriginOnScreen(qvTopLevelOf(win));
    return POINT{p.x - offset.x - origin.x, p.y - offset.y - origin.y};
}

// Converts a window's point in place, either way (ClientToScreen, ScreenToClient).
static BOOL convertPoint(HWND hwnd, LPPOINT point, POINT (*convert)(QvWindow *, POINT)) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !point) return FALSE;
    *point = convert(win, *point);
    return TRUE;
}

QvWindow *qvChildAtPoint(QvWindow *top, POINT p) {
    // Children are kept top of the z-order first, so the first hit wins.
    for (HWND hwnd : top->children) {
        QvWindow *child = qvWindowFromHandle(hwnd);
        if (!child || !child->visible || !child->enabled || child->mouseTransparent) continue;
        if (p.x >= child->rect.left && p.x < child->rect.right && p.y >= child->rect.top && p.y < child->rect.bottom)
            return qvChildAtPoint(child, POINT{p.x - child->rect.left, p.y - child->rect.top});
    }
    return top;
}

// ===========================================================================
// SDL windows, frames and sizes
// ===========================================================================

bool qvRealizeSdlWindow(QvWindow *win, bool withGl) {
    if (!win || (win->style & WS_CHILD)) return false;
    if (win->sdlWindow && (win->glWindow || !withGl)) return true;
    if (!qvEnsureVideo()) return false;
    SDL_Window *created = createSdlWindow(win, withGl);
    if (!created) {
        qvError("cannot create the window \"%s\"", win->text.c_str());
        return false;
    }
    SDL_Window *old = win->sdlWindow;
    win->sdlWindow = created;
    win->sdlWindowId = SDL_GetWindowID(created);
    win->glWindow = withGl;
    // A window whose client area gets what its frame leaves asks for the frame
    // now: the answer is usually in by the time the window is shown.
    if (hasFrame(win->style) && !win->frameLearnt && !win->clientSizeFixed) win->frameRequested = requestFrame(created);
    if (SDL_Surface *icon = win->cls->icon ? qvIconImage(win->cls->icon) : nullptr) SDL_SetWindowIcon(created, icon);
    // An owned window stays in front of its owner, as on Windows: on X11 that
    // is the transient-for hint. Drivers without window managers refuse it.
    QvWindow *owner = qvWindowFromHandle(win->owner);
    if (owner && owner->sdlWindow && SDL_SetWindowModalFor(created, owner->sdlWindow) != 0) SDL_ClearError();
    if (old) {
        // A plain window becomes an OpenGL one: the new one takes its place.
        SDL_DestroyWindow(old);
        if (win->visible) {
            win->mapped = false;
            SDL_ShowWindow(created);
            win->mapped = true;
        }
    }
    return true;
}

QvFrame qvFrameOf(const QvWindow *win) {
    if (!hasFrame(win->style)) return QvFrame{};
    if (win->frameLearnt) return win->frame;
    int kind = frameKind(win->style);
    if (qv.frameSeen[kind]) return qv.frameSeenFor[kind];
    return qv.frameSeen[1 - kind] ? qv.frameSeenFor[1 - kind] : QvFrame{};
}

void qvLearnFrame(QvWindow *win) {
    if (!win || !win->sdlWindow || !hasFrame(win->style)) return;
    QvFrame frame;
    if (SDL_GetWindowBordersSize(win->sdlWindow, &frame.top, &frame.left, &frame.bottom, &frame.right) != 0) return;
    if ((frame.top | frame.left | frame.bottom | frame.right) == 0) return;
    qvTakeFrame(win, frame);
}

void qvTakeFrame(QvWindow *win, QvFrame frame) {
    qv.frameKnown = true;
    qv.frameSeen[frameKind(win->style)] = true;
    qv.frameSeenFor[frameKind(win->style)] = frame;
    bool first = !win->frameLearnt;
    win->frameLearnt = true;
    win->frame = frame;
    if (win->minimized) return;
    if (first && !win->clientSizeFixed) {
        // The outer size asked for holds the frame: the client area is the rest.
        int clientWidth = std::max(0, win->rect.right - win->rect.left - frame.left - frame.right);
        int clientHeight = std::max(0, win->rect.bottom - win->rect.top - frame.top - frame.bottom);
        if (clientWidth != win->clientWidth || clientHeight != win->clientHeight) {
            if (win->sdlWindow) SDL_SetWindowSize(win->sdlWindow, std::max(1, clientWidth), std::max(1, clientHeight));
            qvClientSizeChanged(win, clientWidth, clientHeight, false);
            return;
        }
    }
    // The client area keeps its size: the frame goes around it.
    win->rect.right = win->rect.left + win->clientWidth + frame.left + frame.right;
    win->rect.bottom = win->rect.top + win->clientHeight + frame.top + frame.bottom;
}

void qvClientSizeChanged(QvWindow *win, int width, int height, bool minimized) {
    width = std::max(0, width);
    height = std::max(0, height);
    bool widthChanged = width != win->clientWidth;
    bool heightChanged = height != win->clientHeight;
    if (win->sizeSent && !widthChanged && !heightChanged && minimized == win->minimized) return;
    int oldWidth = win->clientWidth;
    int oldHeight = win->clientHeight;
    win->clientWidth = width;
    win->clientHeight = height;
    win->minimized = minimized;
    win->sizeSent = true;
    if (!minimized) {
        if (win->style & WS_CHILD) {
            win->rect.right = win->rect.left + width;
            win->rect.bottom = win->rect.top + height;
        } else {
            QvFrame frame = qvFrameOf(win);
            win->rect.right = win->rect.left + width + frame.left + frame.right;
            win->rect.bottom = win->rect.top + height + frame.top + frame.bottom;
        }
        UINT classStyle = win->cls->style;
        if ((widthChanged && (classStyle & CS_HREDRAW)) || (heightChanged && (classStyle & CS_VREDRAW)) ||
            oldWidth == 0 || oldHeight == 0) {
            qvInvalidate(win, nullptr, true);
        } else {
            // Only what the growth uncovered needs painting.
            if (width > oldWidth) {
                RECT strip = {oldWidth, 0, width, height};
                qvInvalidate(win, &strip, true);
            }
            if (height > oldHeight) {
                RECT strip = {0, oldHeight, width, height};
                qvInvalidate(win, &strip, true);
            }
        }
    }
    WPARAM kind = minimized ? SIZE_MINIMIZED : SIZE_RESTORED;
    SendMessageA(win->handle, WM_SIZE, kind, MAKELPARAM(width, height));
}

void qvInvalidate(QvWindow *win, const RECT *rect, bool erase) {
    if (!win || !IsWindowVisible(win->handle)) return;
    QvWindow *top = qvTopLevelOf(win);
    if (top->minimized) return;
    POINT offset = qvClientOffsetInTopLevel(win);
    RECT area = rect ? *rect : RECT{0, 0, win->clientWidth, win->clientHeight};
    // Into the top-level's client area, clipped to it.
    area.left = std::max<LONG>(area.left + offset.x, 0);
    area.top = std::max<LONG>(area.top + offset.y, 0);
    area.right = std::min<LONG>(area.right + offset.x, top->clientWidth);
    area.bottom = std::min<LONG>(area.bottom + offset.y, top->clientHeight);
    if (area.left >= area.right || area.top >= area.bottom) return;
    if (top->needsPaint) {
        top->updateRect.left = std::min(top->updateRect.left, area.left);
        top->updateRect.top = std::min(top->updateRect.top, area.top);
        top->updateRect.right = std::max(top->updateRect.right, area.right);
        top->updateRect.bottom = std::max(top->updateRect.bottom, area.bottom);
    } else {
        top->updateRect = area;
    }
    top->needsPaint = true;
    top->needsErase = top->needsErase || erase;
}

void qvDestroyAllWindows() {
    std::vector<HWND> tops = qv.topLevels;
    for (HWND hwnd : tops) DestroyWindow(hwnd);
    qv.posted.clear();
    qv.timers.clear();
    qv.quitPosted = false;
    qv.quitCode = 0;
    qv.capture = nullptr;
    qv.buttons = 0;
}

// ===========================================================================
// Creation and destruction
// ===========================================================================

HWND qvCreateWindow(DWORD exStyle, const char *className, const char *title, DWORD style, int x, int y, int width,
                    int height, HWND parentOrOwner, HMENU menu, HINSTANCE instance, LPVOID param,
                    unsigned createFlags) {
    QvClass *cls = qvFindClass(className);
    if (!cls) {
        qvError("CreateWindowExA: no window class \"%s\"", IS_INTRESOURCE(className) ? "(atom)"
                                                           : className               ? className
                                                                                     : "(null)");
        return nullptr;
    }
    bool child = (style & WS_CHILD) != 0;
    QvWindow *parent = qvWindowFromHandle(parentOrOwner);
    if (parentOrOwner && !parent) {
        qvError("CreateWindowExA: the parent or owner window is not a window");
        return nullptr;
    }
    if (child && !parent) {
        qvError("CreateWindowExA: a child window needs a parent");
        return nullptr;
    }
    if (!child && !qvEnsureVideo()) return nullptr;

    if (x == CW_USEDEFAULT) {
        x = child ? 0 : defaultWindowX;
        y = child ? 0 : defaultWindowY;
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : defaultWindowWidth;
        height = child ? 0 : defaultWindowHeight;
    }
    width = std::max(0, width);
    height = std::max(0, height);

    auto record = std::make_unique<QvWindow>();
    QvWindow *win = record.get();
    win->handle = qvHandle<HWND>(qvNewHandle());
    win->cls = cls;
    win->proc = cls->proc;
    win->style = style & ~WS_VISIBLE;
    win->exStyle = exStyle;
    win->id = child ? static_cast<LONG_PTR>(qvKey(menu)) : 0;
    win->extra.assign(cls->windowExtra, 0);
    win->text = title ? title : "";
    win->instance = instance;
    win->enabled = (style & WS_DISABLED) == 0;
    if (child) {
        win->parent = parent->handle;
        win->rect = RECT{x, y, x + width, y + height};
        win->clientWidth = width;
        win->clientHeight = height;
    } else {
        win->owner = parent ? qvTopLevelOf(parent)->handle : nullptr;
        QvFrame frame = qvFrameOf(win);
        if (createFlags & QV_CREATE_CLIENT_SIZE) {
            win->clientSizeFixed = true;
            win->clientWidth = width;
            win->clientHeight = height;
            win->rect = RECT{x, y, x + width + frame.left + frame.right, y + height + frame.top + frame.bottom};
        } else {
            win->rect = RECT{x, y, x + width, y + height};
            win->clientWidth = std::max(0, width - frame.left - frame.right);
            win->clientHeight = std::max(0, height - frame.top - frame.bottom);
        }
    }
    HWND hwnd = win->handle;
    qv.windows[qvKey(hwnd)] = std::move(record);
    if (child)
        parent->children.push_back(hwnd);
    else
        qv.topLevels.push_back(hwnd);

    CREATESTRUCTA create = {};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parentOrOwner;
    create.cy = height;
    create.cx = width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = title;
    create.lpszClass = className;
    create.dwExStyle = exStyle;

    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        if (qvWindowFromHandle(hwnd)) freeWindowTree(hwnd);
        return nullptr;
    }
    if (!qvWindowFromHandle(hwnd)) return nullptr;
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    // Children learn their size at once; top-level windows when first shown.
    if (child) qvClientSizeChanged(win, win->clientWidth, win->clientHeight, false);
    if ((style & WS_VISIBLE) && qvWindowFromHandle(hwnd)) ShowWindow(hwnd, SW_SHOW);
    return qvWindowFromHandle(hwnd) ? hwnd : nullptr;
}

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass) {
    return qvRegisterClass(wndClass);
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return qvCreateWindow(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance, param,
                          QV_CREATE_DEFAULT);
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || win->destroying) return FALSE;
    // Owned windows go first, as on Windows.
    std::vector<HWND> owned;
    for (HWND top : qv.topLevels) {
        QvWindow *candidate = qvWindowFromHandle(top);
        if (candidate && candidate->owner == hwnd) owned.push_back(top);
    }
    for (HWND top : owned) DestroyWindow(top);
    win = qvWindowFromHandle(hwnd);
    if (!win || win->destroying) return FALSE;

    if (win->visible && win->sdlWindow) SDL_HideWindow(win->sdlWindow);
    if (!(win->style & WS_CHILD)) {
        win->visible = false;
    } else if (QvWindow *parent = qvWindowFromHandle(win->parent)) {
        // The parent shows what lay under the child.
        RECT under = win->rect;
        qvInvalidate(parent, &under, true);
    }
    if (qv.capture && isInTree(hwnd, qv.capture)) ReleaseCapture();
    win = qvWindowFromHandle(hwnd);
    if (!win) return TRUE;
    markDestroying(win);
    sendDestroyMessages(hwnd);
    freeWindowTree(hwnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) {
    return qvWindowFromHandle(hwnd) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    for (; win; win = (win->style & WS_CHILD) ? qvWindowFromHandle(win->parent) : nullptr)
        if (!win->visible) return FALSE;
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    switch (msg) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETTEXT:
        win->text = lParam ? reinterpret_cast<const char *>(lParam) : "";
        if (win->sdlWindow) SDL_SetWindowTitle(win->sdlWindow, win->text.c_str());
        return TRUE;
    case WM_GETTEXT: {
        char *buffer = reinterpret_cast<char *>(lParam);
        if (!buffer || wParam == 0) return 0;
        size_t count = std::min<size_t>(win->text.size(), wParam - 1);
        std::memcpy(buffer, win->text.data(), count);
        buffer[count] = '\0';
        return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(win->text.size());
    default:
        return 0;
    }
}

BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    BOOL wasVisible = win->visible ? TRUE : FALSE;
    bool show = cmdShow != SW_HIDE;

    if (win->style & WS_CHILD) {
        if (show == win->visible) return wasVisible;
        SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        if (!show) qvInvalidate(win, nullptr, true);  // before it stops counting
        win->visible = show;
        if (show) qvInvalidate(win, nullptr, true);
        return wasVisible;
    }

    if (!show) {
        if (!win->visible) return wasVisible;
        SendMessageA(hwnd, WM_SHOWWINDOW, FALSE, 0);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        win->visible = false;
        win->needsPaint = false;
        if (win->sdlWindow) SDL_HideWindow(win->sdlWindow);
        return wasVisible;
    }

    if (!win->visible) {
        SendMessageA(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        if (!qvRealizeSdlWindow(win, false)) return wasVisible;
        if (win->frameRequested && !win->frameLearnt && pollFrame(win->sdlWindow)) {
            // Sized inside its frame before it appears.
            qvLearnFrame(win);
            if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        }
        win->visible = true;
        SDL_ShowWindow(win->sdlWindow);
        if (!win->mapped) {
            win->mapped = true;
            waitForFrame(win);
            qvLearnFrame(win);
            if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        }
    }
    switch (cmdShow) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        SDL_MinimizeWindow(win->sdlWindow);
        qvClientSizeChanged(win, 0, 0, true);
        return wasVisible;
    case SW_MAXIMIZE:
        SDL_MaximizeWindow(win->sdlWindow);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(win->sdlWindow);
        break;
    default:
        break;
    }
    if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
    if (!win->sizeSent) qvClientSizeChanged(win, win->clientWidth, win->clientHeight, false);
    if ((win = qvWindowFromHandle(hwnd)) && !wasVisible) qvInvalidate(win, nullptr, true);
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    QvWindow *top = qvTopLevelOf(win);
    if (top->needsPaint && top->visible && !top->minimized) SendMessageA(top->handle, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase) {
    if (!hwnd) {
        // No window: every top-level window is repainted.
        std::vector<HWND> tops = qv.topLevels;
        for (HWND top : tops) qvInvalidate(qvWindowFromHandle(top), nullptr, erase != FALSE);
        return TRUE;
    }
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    qvInvalidate(win, rect, erase != FALSE);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !paint) return nullptr;
    std::memset(paint, 0, sizeof *paint);
    HDC hdc = GetDC(hwnd);
    paint->hdc = hdc;
    QvWindow *top = qvTopLevelOf(win);
    if (top != win) {
        // A child paints all of itself; the top-level's region stays.
        paint->rcPaint = RECT{0, 0, win->clientWidth, win->clientHeight};
        return hdc;
    }
    bool erase = win->needsErase;
    paint->rcPaint = win->needsPaint ? win->updateRect : RECT{0, 0, 0, 0};
    // Validate first: painting that invalidates again is kept.
    win->needsPaint = false;
    win->needsErase = false;
    win->updateRect = RECT{0, 0, 0, 0};
    if (erase) paint->fErase = SendMessageA(hwnd, WM_ERASEBKGND, qvKey(hdc), 0) == 0;
    return hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *paint) {
    if (!paint) return FALSE;
    ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    if (!hwnd) return qvCreateDc(nullptr, false);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    if (win->cls->style & CS_OWNDC) {
        if (!win->ownDc) win->ownDc = qvCreateDc(hwnd, true);
        return win->ownDc;
    }
    return qvCreateDc(hwnd, false);
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    (void)hwnd;
    QvDc *dc = qvDcFromHandle(hdc);
    if (!dc) return 0;
    if (!dc->own) qvFreeDc(hdc);  // a private DC stays with its window
    return 1;
}

HWND WINAPI WindowFromDC(HDC hdc) {
    QvDc *dc = qvDcFromHandle(hdc);
    return dc ? dc->window : nullptr;
}

// ===========================================================================
// Window data and geometry
// ===========================================================================

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    switch (index) {
    case GWL_STYLE:
        return static_cast<LONG>(win->style | (win->visible ? WS_VISIBLE : 0) | (win->enabled ? 0 : WS_DISABLED));
    case GWL_EXSTYLE:
        return static_cast<LONG>(win->exStyle);
    case GWLP_ID:
        return win->id;
    case GWLP_USERDATA:
        return win->userData;
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(win->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(win->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>((win->style & WS_CHILD) ? win->parent : win->owner);
    default:
        if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= win->extra.size()) {
            LONG_PTR value;
            std::memcpy(&value, win->extra.data() + index, sizeof value);
            return value;
        }
        return 0;
    }
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (win && index >= 0) {
        if (static_cast<size_t>(index) + sizeof(LONG) > win->extra.size()) return 0;
        LONG value;
        std::memcpy(&value, win->extra.data() + index, sizeof value);
        return value;
    }
    return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    LONG_PTR old = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWL_STYLE:
        // Visibility and enabling change through ShowWindow and EnableWindow.
        win->style = static_cast<DWORD>(value) & ~(WS_VISIBLE | WS_DISABLED);
        break;
    case GWL_EXSTYLE:
        win->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_ID:
        win->id = value;
        break;
    case GWLP_USERDATA:
        win->userData = value;
        break;
    case GWLP_WNDPROC:
        if (value) win->proc = reinterpret_cast<WNDPROC>(value);
        break;
    default:
        if (index >= 0 && static_cast<size_t>(index) + sizeof(LONG_PTR) <= win->extra.size())
            std::memcpy(win->extra.data() + index, &value, sizeof value);
        else
            return 0;
    }
    return old;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR text, int maxCount) {
    if (!text || maxCount <= 0) return 0;
    text[0] = '\0';
    if (!qvWindowFromHandle(hwnd)) return 0;
    return static_cast<int>(
        SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!qvWindowFromHandle(hwnd)) return FALSE;
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !rect) return FALSE;
    *rect = RECT{0, 0, win->clientWidth, win->clientHeight};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !rect) return FALSE;
    if (win->style & WS_CHILD) {
        POINT origin = qvClientToScreen(win, POINT{0, 0});
        *rect = RECT{origin.x, origin.y, origin.x + win->clientWidth, origin.y + win->clientHeight};
        return TRUE;
    }
    QvFrame frame = qvFrameOf(win);
    POINT origin = clientOriginOnScreen(win);
    int width = win->clientWidth + frame.left + frame.right;
    int height = win->clientHeight + frame.top + frame.bottom;
    if (win->minimized) {
        width = win->rect.right - win->rect.left;
        height = win->rect.bottom - win->rect.top;
    }
    *rect =
        RECT{origin.x - frame.left, origin.y - frame.top, origin.x - frame.left + width, origin.y - frame.top + height};
    return TRUE;
}

HWND WINAPI GetParent(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    if (win->style & WS_CHILD) return win->parent;
    return (win->style & WS_POPUP) ? win->owner : nullptr;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    BOOL wasDisabled = win->enabled ? FALSE : TRUE;
    bool now = enable != FALSE;
    if (now == win->enabled) return wasDisabled;
    win->enabled = now;
    if (!now && qv.capture == hwnd) ReleaseCapture();
    SendMessageA(hwnd, WM_ENABLE, now, 0);
    if ((win = qvWindowFromHandle(hwnd))) qvInvalidate(win, nullptr, true);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    return win && win->enabled ? TRUE : FALSE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    width = std::max(0, width);
    height = std::max(0, height);
    if (win->style & WS_CHILD) {
        QvWindow *parent = qvWindowFromHandle(win->parent);
        RECT old = win->rect;
        win->rect = RECT{x, y, x + width, y + height};
        if (repaint && parent) {
            qvInvalidate(parent, &old, true);
            qvInvalidate(parent, &win->rect, true);
        }
        qvClientSizeChanged(win, width, height, false);
        return TRUE;
    }
    QvFrame frame = qvFrameOf(win);
    win->clientSizeFixed = false;
    win->rect = RECT{x, y, x + width, y + height};
    int clientWidth = std::max(0, width - frame.left - frame.right);
    int clientHeight = std::max(0, height - frame.top - frame.bottom);
    if (win->sdlWindow) {
        // SDL places the client area; the frame goes where it was asked for.
        if (win->mapped) SDL_SetWindowPosition(win->sdlWindow, x + frame.left, y + frame.top);
        SDL_SetWindowSize(win->sdlWindow, std::max(1, clientWidth), std::max(1, clientHeight));
    }
    if (win->visible || win->sizeSent)
        qvClientSizeChanged(win, clientWidth, clientHeight, false);
    else {
        win->clientWidth = clientWidth;
        win->clientHeight = clientHeight;
    }
    if (repaint && (win = qvWindowFromHandle(hwnd))) qvInvalidate(win, nullptr, true);
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
    return convertPoint(hwnd, point, qvClientToScreen);
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
    return convertPoint(hwnd, point, qvScreenToClient);
}

// ===========================================================================
// Resources, metrics, module
// ===========================================================================

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (!name) return nullptr;
    // Only the stock cursors exist: no cursor resources are carried.
    if (instance || !IS_INTRESOURCE(name)) return nullptr;
    return tokenFor<HCURSOR>(cursorTokens, nullptr, name);
}

int WINAPI GetSystemMetrics(int index) {
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    if (!qvEnsureVideo()) return 0;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        qvError("GetSystemMetrics: no display mode");
        return 0;
    }
    return index == SM_CXSCREEN ? mode.w : mode.h;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    // The program is the only module.
    return moduleName ? nullptr : qvHandle<HMODULE>(moduleHandleValue);
}

}  // extern "C"
