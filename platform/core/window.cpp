// window.cpp: window classes and windows: creation and destruction, window
// longs and texts, showing, moving and rectangles; each top-level window's
// window-system window is the backend's (qvbCreateWindow, qvbShowWindow...).
//
// Pairs with message.cpp (whose input entry points turn the backend's events
// into the size and mouse messages handled here), paint.cpp (painting and
// DCs), frame.cpp (the window manager's frame) and gdi_wgl.cpp (pixel formats
// and GL).
//
// Implemented:
//   RegisterClassA, CreateWindowExA (WM_NCCREATE and WM_CREATE with a
//   CREATESTRUCTA, WM_SIZE for children at creation, WS_VISIBLE), DestroyWindow
//   (owned windows first, then WM_DESTROY parent before children, WM_NCDESTROY
//   children before parent), DefWindowProcA (WM_NCCREATE, WM_CLOSE, WM_PAINT,
//   WM_ERASEBKGND, WM_SETTEXT, WM_GETTEXT, WM_GETTEXTLENGTH; keys and
//   WM_SYSCOMMAND in keyboard.cpp), IsWindow,
//   IsWindowVisible, ShowWindow (WM_SHOWWINDOW, then the first WM_SIZE;
//   minimising hides the owned windows, restoring shows them again),
//   Get/SetWindowLong(Ptr)A, Get/SetWindowTextA, GetClientRect, GetWindowRect,
//   GetParent, EnableWindow, IsWindowEnabled, MoveWindow, ClientToScreen,
//   ScreenToClient, LoadCursorA (stock cursors), GetSystemMetrics
//   (SM_CXSCREEN, SM_CYSCREEN, and the scroll-bar, border and edge sizes at
//   96 dpi), GetModuleHandleA, GetWindow, GetClassNameA, OffsetRect.
//   Top-level windows get a backend window; sizes passed in are outer sizes,
//   and the window manager's frame (frame.cpp) is taken off to give the
//   client area. A child's WS_EX_CLIENTEDGE (2 pixels) and WS_EX_STATICEDGE
//   (1 pixel) lie outside its client area, as on Windows. Positions and
//   sizes given to CreateWindowExA and MoveWindow are held to 16 signed bits
//   (sizes from 0), so that no edge computed from them overflows.
// Left out: non-client messages (WM_NCCALCSIZE, WM_NCPAINT, WM_NCHITTEST),
//   edges changed after creation, WM_MOVE, WM_WINDOWPOS*, activation messages
//   (focus is in message.cpp), class extra bytes,
//   class background brushes, cursor shapes (cursor handles are tokens),
//   menus. LoadIconA is in resources.cpp; a class's icon becomes its backend
//   windows' icon.
#include "qv_internal.h"

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
// The largest client width or height a window reports: Windows keeps window
// coordinates within 16 signed bits, and WM_SIZE carries 16 bits a side. It
// also keeps the sums of a window's position, size and frame within an int
// whatever size the window system reports.
const int maxClientExtent = 0x7FFF;
// Positions are held to the same 16 signed bits where a rectangle is made
// from what the program asks for, so that no edge (x + width) overflows.
const int minCoordinate = -0x8000;
const int maxCoordinate = 0x7FFF;

// System metrics that do not depend on the display: Windows' values at 96
// dpi. Scroll-bar arrows and thumbs take their size from these.
struct SystemMetric {
    int index;
    int value;
};
const SystemMetric fixedMetrics[] = {
    {SM_CXVSCROLL, 17}, {SM_CYVSCROLL, 17}, {SM_CYVTHUMB, 17}, {SM_CXBORDER, 1},
    {SM_CYBORDER, 1},   {SM_CXEDGE, 2},     {SM_CYEDGE, 2},
};

// Holds a position and size the program asks for to what Windows keeps:
// coordinates within 16 signed bits, sizes from 0 to maxClientExtent.
void clampPlacement(int *x, int *y, int *width, int *height) {
    *x = std::clamp(*x, minCoordinate, maxCoordinate);
    *y = std::clamp(*y, minCoordinate, maxCoordinate);
    *width = std::clamp(*width, 0, maxClientExtent);
    *height = std::clamp(*height, 0, maxClientExtent);
}

// Removes win from the list it is kept in (its parent's children or the
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
    qvbDestroyWindow(win);
    unlinkWindow(win);
    qv.windows.erase(qvKey(hwnd));
}

// Marks hwnd and its children as being destroyed.
void markDestroying(QvWindow *win) {
    win->destroying = true;
    for (HWND child : win->children)
        if (QvWindow *c = qvWindowFromHandle(child)) markDestroying(c);
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
    cls->windowExtra = std::max(0, wndClass->cbWndExtra);
    cls->icon = wndClass->hIcon;
    qv.classes.push_back(std::move(cls));
    return static_cast<ATOM>(firstClassAtom + qv.classes.size() - 1);
}

bool qvIsInTree(HWND root, HWND hwnd) {
    for (QvWindow *w = qvWindowFromHandle(hwnd); w; w = qvWindowFromHandle(w->parent))
        if (w->handle == root) return true;
    return false;
}

QvWindow *qvTopLevelOf(QvWindow *win) {
    while (win && (win->style & WS_CHILD)) {
        QvWindow *parent = qvWindowFromHandle(win->parent);
        if (!parent) break;
        win = parent;
    }
    return win;
}

int qvChildEdge(const QvWindow *win) {
    if (!win || !(win->style & WS_CHILD)) return 0;
    return ((win->exStyle & WS_EX_CLIENTEDGE) ? 2 : 0) + ((win->exStyle & WS_EX_STATICEDGE) ? 1 : 0);
}

POINT qvClientOffsetInTopLevel(QvWindow *win) {
    POINT offset = {0, 0};
    while (win && (win->style & WS_CHILD)) {
        offset.x += win->rect.left + qvChildEdge(win);
        offset.y += win->rect.top + qvChildEdge(win);
        win = qvWindowFromHandle(win->parent);
    }
    return offset;
}

// Screen position of a top-level window's client origin.
static POINT clientOriginOnScreen(QvWindow *top) {
    POINT origin;
    int x = 0, y = 0;
    if (qvbHasWindow(top) && qvbGetClientPosition(top, &x, &y)) {
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
            return qvChildAtPoint(
                child, POINT{p.x - child->rect.left - qvChildEdge(child), p.y - child->rect.top - qvChildEdge(child)});
    }
    return top;
}

// ===========================================================================
// Backend windows and sizes
// ===========================================================================

bool qvRealizeWindow(QvWindow *win, bool withGl) {
    if (!win || (win->style & WS_CHILD)) return false;
    if (qvbHasWindow(win) && (qvbIsGlWindow(win) || !withGl)) return true;
    if (!qvbEnsureVideo()) return false;
    return qvbCreateWindow(win, withGl);
}

void qvClientSizeChanged(QvWindow *win, int width, int height, bool minimized) {
    width = std::clamp(width, 0, maxClientExtent);
    height = std::clamp(height, 0, maxClientExtent);
    bool widthChanged = width != win->clientWidth;
    bool heightChanged = height != win->clientHeight;
    if (win->sizeSent && !widthChanged && !heightChanged && minimized == win->minimized &&
        win->maximized == win->maximizedSent)
        return;
    int oldWidth = win->clientWidth;
    int oldHeight = win->clientHeight;
    win->clientWidth = width;
    win->clientHeight = height;
    win->minimized = minimized;
    win->sizeSent = true;
    if (!minimized) {
        if (win->style & WS_CHILD) {
            win->rect.right = win->rect.left + width + 2 * qvChildEdge(win);
            win->rect.bottom = win->rect.top + height + 2 * qvChildEdge(win);
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
    win->maximizedSent = win->maximized;
    WPARAM kind = minimized ? SIZE_MINIMIZED : win->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    SendMessageA(win->handle, WM_SIZE, kind, MAKELPARAM(width, height));
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
    if (!child && !qvbEnsureVideo()) return nullptr;

    if (x == CW_USEDEFAULT) {
        x = child ? 0 : defaultWindowX;
        y = child ? 0 : defaultWindowY;
    }
    if (width == CW_USEDEFAULT) {
        width = child ? 0 : defaultWindowWidth;
        height = child ? 0 : defaultWindowHeight;
    }
    clampPlacement(&x, &y, &width, &height);

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
        win->clientWidth = std::max(0, width - 2 * qvChildEdge(win));
        win->clientHeight = std::max(0, height - 2 * qvChildEdge(win));
    } else {
        win->owner = parent ? qvTopLevelOf(parent)->handle : nullptr;
        QvFrame frame = qvFrameOf(win);
        if (createFlags & QV_CREATE_CLIENT_RECT) {
            win->clientSizeFixed = true;
            win->clientWidth = width;
            win->clientHeight = height;
            win->rect = RECT{x - frame.left, y - frame.top, x + width + frame.right, y + height + frame.bottom};
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
    // Children learn their size at once (edges taken off as their creation
    // left them); top-level windows when first shown.
    if (child) {
        int edge = qvChildEdge(win);
        int clientWidth = win->rect.right - win->rect.left - 2 * edge;
        int clientHeight = win->rect.bottom - win->rect.top - 2 * edge;
        qvClientSizeChanged(win, clientWidth, clientHeight, false);
    }
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
    // Owned windows go first, as on Windows: the last made (the topmost, as
    // the layer keeps no other order) first.
    std::vector<HWND> owned;
    for (auto it = qv.topLevels.rbegin(); it != qv.topLevels.rend(); ++it) {
        QvWindow *candidate = qvWindowFromHandle(*it);
        if (candidate && candidate->owner == hwnd) owned.push_back(*it);
    }
    for (HWND top : owned) DestroyWindow(top);
    // The focus leaves before WM_DESTROY.
    if (qv.focus && qvIsInTree(hwnd, qv.focus)) SetFocus(nullptr);
    win = qvWindowFromHandle(hwnd);
    if (!win || win->destroying) return FALSE;

    if (win->visible && qvbHasWindow(win)) qvbHideWindow(win);
    if (!(win->style & WS_CHILD)) {
        win->visible = false;
    } else if (QvWindow *parent = qvWindowFromHandle(win->parent)) {
        // The parent shows what lay under the child.
        RECT under = win->rect;
        qvInvalidate(parent, &under, true);
    }
    if (qv.capture && qvIsInTree(hwnd, qv.capture)) ReleaseCapture();
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
        if (qvbHasWindow(win)) qvbSetWindowTitle(win, win->text.c_str());
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
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND:
        return qvDefaultKeyHandling(hwnd, msg, wParam, lParam);
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
        if (qvbHasWindow(win)) qvbHideWindow(win);
        // Windows activates the owner of a hidden window that had the focus.
        if (qv.focus && qvIsInTree(hwnd, qv.focus)) {
            QvWindow *owner = qvWindowFromHandle(win->owner);
            SetFocus(owner && owner->visible && owner->enabled ? owner->handle : nullptr);
        }
        return wasVisible;
    }

    if (!win->visible) {
        SendMessageA(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        // Shown and activated: it takes the focus unless something inside has it.
        bool activates = cmdShow != SW_SHOWNA && cmdShow != SW_SHOWNOACTIVATE && cmdShow != SW_SHOWMINNOACTIVE &&
                         cmdShow != SW_MINIMIZE && cmdShow != SW_SHOWMINIMIZED;
        if (activates && win->enabled && !(qv.focus && qvIsInTree(hwnd, qv.focus))) {
            SetFocus(hwnd);
            if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        }
        if (!qvRealizeWindow(win, false)) return wasVisible;
        // Sized inside its frame before it appears.
        qvbLearnRequestedFrame(win);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        win->visible = true;
        qvbShowWindow(win);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
    }
    switch (cmdShow) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        // Owned windows go with their owner, before it reports its new size.
        if (!win->minimized) qvShowOwnedWindows(hwnd, false);
        if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        // A minimised window has no focus; it comes back on restore.
        if (qv.focus && qvIsInTree(hwnd, qv.focus)) {
            win->focusAside = qv.focus;
            SetFocus(nullptr);
            if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
        }
        qvbMinimizeWindow(win);
        qvClientSizeChanged(win, 0, 0, true);
        return wasVisible;
    case SW_MAXIMIZE:
    case SW_RESTORE:
        if (cmdShow == SW_MAXIMIZE)
            qvbMaximizeWindow(win);
        else
            qvbRestoreWindow(win);
        win->maximized = cmdShow == SW_MAXIMIZE;
        qvShowOwnedWindows(hwnd, true);
        // The window system may take a moment; its event finishes the change.
        if ((win = qvWindowFromHandle(hwnd)) && win->minimized && !qvbIsMinimized(win)) {
            int width = 0, height = 0;
            qvbGetClientSize(win, &width, &height);
            qvClientSizeChanged(win, width, height, false);
        }
        break;
    default:
        break;
    }
    if (!(win = qvWindowFromHandle(hwnd))) return wasVisible;
    if (!win->sizeSent) qvClientSizeChanged(win, win->clientWidth, win->clientHeight, false);
    if ((win = qvWindowFromHandle(hwnd)) && !wasVisible) qvInvalidate(win, nullptr, true);
    return wasVisible;
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
        int edge = qvChildEdge(win);
        POINT origin = qvClientToScreen(win, POINT{-edge, -edge});
        *rect =
            RECT{origin.x, origin.y, origin.x + win->clientWidth + 2 * edge, origin.y + win->clientHeight + 2 * edge};
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
    clampPlacement(&x, &y, &width, &height);
    if (win->style & WS_CHILD) {
        QvWindow *parent = qvWindowFromHandle(win->parent);
        RECT old = win->rect;
        win->rect = RECT{x, y, x + width, y + height};
        if (repaint && parent) {
            qvInvalidate(parent, &old, true);
            qvInvalidate(parent, &win->rect, true);
        }
        qvClientSizeChanged(win, width - 2 * qvChildEdge(win), height - 2 * qvChildEdge(win), false);
        return TRUE;
    }
    QvFrame frame = qvFrameOf(win);
    win->clientSizeFixed = false;
    win->rect = RECT{x, y, x + width, y + height};
    int clientWidth = std::max(0, width - frame.left - frame.right);
    int clientHeight = std::max(0, height - frame.top - frame.bottom);
    if (qvbHasWindow(win)) {
        // The backend places the client area; the frame goes where it was asked for.
        if (win->mapped) qvbSetClientPosition(win, x + frame.left, y + frame.top);
        qvbSetClientSize(win, std::max(1, clientWidth), std::max(1, clientHeight));
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
    return tokenFor<HCURSOR>(qv.cursorTokens, nullptr, name);
}

int WINAPI GetSystemMetrics(int index) {
    for (const SystemMetric &metric : fixedMetrics)
        if (metric.index == index) return metric.value;
    if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
    if (!qvbEnsureVideo()) return 0;
    int width = 0, height = 0;
    if (!qvbScreenSize(&width, &height)) {
        qvError("GetSystemMetrics: no display mode");
        return 0;
    }
    return index == SM_CXSCREEN ? width : height;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    // The program is the only module.
    return moduleName ? nullptr : qvHandle<HMODULE>(moduleHandleValue);
}

HWND WINAPI GetWindow(HWND hwnd, UINT relation) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    if (relation == GW_CHILD) return win->children.empty() ? nullptr : win->children.front();
    if (relation == GW_OWNER) return (win->style & WS_CHILD) ? nullptr : win->owner;
    // Siblings: the children of one parent, or the top-level windows.
    QvWindow *parent = qvWindowFromHandle(win->parent);
    const std::vector<HWND> &siblings = (win->style & WS_CHILD) && parent ? parent->children : qv.topLevels;
    auto at = std::find(siblings.begin(), siblings.end(), hwnd);
    if (at == siblings.end()) return nullptr;
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings.front();
    case GW_HWNDLAST:
        return siblings.back();
    case GW_HWNDNEXT:
        return at + 1 == siblings.end() ? nullptr : *(at + 1);
    case GW_HWNDPREV:
        return at == siblings.begin() ? nullptr : *(at - 1);
    default:
        return nullptr;
    }
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR className, int maxCount) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !className || maxCount <= 0) return 0;
    size_t length = std::min(win->cls->name.size(), (size_t)maxCount - 1);
    memcpy(className, win->cls->name.data(), length);
    className[length] = 0;
    return (int)length;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
    if (!rect) return FALSE;
    rect->left += dx;
    rect->right += dx;
    rect->top += dy;
    rect->bottom += dy;
    return TRUE;
}

}  // extern "C"
