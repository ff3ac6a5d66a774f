// qv_internal.h: the layer's one internal header.
//
// Holds the single state record of the Win32 subset (windows, classes,
// frames, device contexts, palettes, rendering contexts, the message queue,
// timers and capture, resources, icons and fonts) and the internal calls that
// the layer's files share. The backend's own part of the record
// (QvBackendLayer, QvBackendWindow, QvBackendFont, QvBackendGlContext) comes
// from the backend's header, included below, GLFW-style; what a backend must
// provide is core/qv_backend.h. Only files in platform/ (and the layer's own
// tests) include it; application code sees windows.h alone.
//
// Ownership of the layer's files (every file in platform/):
//   include/windows.h          the Win32 subset the program sees, nothing else
//   core/                      the Win32 side, with no SDL, X11 or fonts in it:
//     qv_internal.h            this header: the state record and shared calls
//     qv_backend.h             what a backend provides (qvb*), and the core's
//                              input entry points a backend calls
//     qv_dialog_internal.h     what the dialog side shares, on top of this
//     state.cpp                the record qv and the error function (qvError)
//     window.cpp               classes, window records, longs, texts, showing,
//                              sizes
//     frame.cpp                the window manager's frame as the core counts it
//                              (qvFrameOf, qvTakeFrame)
//     paint.cpp                invalidation, painting and device contexts
//     message.cpp              the queue, timers, capture, focus, and the input
//                              entry points where backend events become WM_*
//                              messages (qvInput*)
//     keyboard.cpp             the keyboard: key messages, characters, and the
//                              default handling of keys and of WM_SYSCOMMAND
//     gdi_wgl.cpp              pixel formats, palettes, DCs, HGLRC records
//     gdi_text.cpp             GDI's text calls on the dialogs' fonts
//     fonts.cpp                the fonts the dialogs use, measured by summed
//                              whole-pixel advances
//     msgbox.cpp               MessageBoxA (the box itself is the backend's)
//     dialog.cpp               dialogs built from the program's templates
//     image.cpp                QvImage: fills and blits of 32-bit pixels
//     canvas.cpp               drawing in the classic look: edges, text, wrapping
//     button_static.cpp        the BUTTON and STATIC controls
//     scrollbar.cpp            the SCROLLBAR control, its geometry and calls
//     resources.cpp            the embedded resource script and icons
//   sdl/                       the backend on SDL2, X11, SDL_ttf, fontconfig, GLX:
//     sdl_platform.h           its part of the state record and its shared calls
//     sdl_main.cpp             main(): start-up, then WinMain
//     sdl_startup.cpp          before WinMain: standard streams, malloc tuning,
//                              SDL's video start and hints, display refusal,
//                              clock, screen
//     sdl_signals.cpp          SIGINT and SIGTERM, the deadline, threads' masks
//     sdl_window.cpp           window operations (qvbCreateWindow...), images
//     sdl_events.cpp           the ONE place SDL events are read and fed to the
//                              core's input entry points (qvHandleSdlEvent),
//                              keys mapped to virtual keys
//     sdl_x11_frame.cpp        the window manager's frame, what the X server
//                              says that SDL does not pass on (qv.backend.x11)
//                              and every direct X11 call
//     sdl_gl.cpp               GL contexts, the formats the display offers,
//                              SwapBuffers pacing
//     sdl_msgbox.cpp           the message box (and its forked child)
//     sdl_fonts.cpp            fonts found with fontconfig, drawn with SDL_ttf
//   web/                       (to come) the browser backend: DOM, Canvas 2D,
//                              WebGL
//   null/null_platform.h       no backend: the core is also compiled against
//                              it alone, so no window-system call creeps in
//
// Rules every file keeps:
//   - A handle is a number that is never reused while the process lives, so a
//     stale handle is simply not found (IsWindow is FALSE after DestroyWindow).
//     HWND, HDC, HPALETTE and HGLRC values come from one counter and never
//     collide with each other.
//   - Never hold a QvWindow* across a call that may send a message: the window
//     procedure may destroy the window. Look the handle up again afterwards.
//   - Errors go through qvError, which appends the backend's error text.
#pragma once

#include <windows.h>

#include "qv_backend.h"

// The backend's own part of the state record.
#if defined(QV_NULL_BACKEND)
#include "../null/null_platform.h"
#elif defined(__EMSCRIPTEN__)
#include "../web/web_platform.h"
#else
#include "../sdl/sdl_platform.h"
#endif

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// ===========================================================================
// Window classes
// ===========================================================================

// A registered window class. Registered classes live until the process ends.
struct QvClass {
    std::string name;  // compared without regard to case
    WNDPROC proc = nullptr;
    UINT style = 0;       // CS_* bits
    int windowExtra = 0;  // bytes reachable by Get/SetWindowLongPtrA(0..)
    HICON icon = nullptr;
};

// ===========================================================================
// Windows
// ===========================================================================

// Creation options for qvCreateWindow beyond what CreateWindowExA takes.
enum QvCreateFlags : unsigned {
    QV_CREATE_DEFAULT = 0,
    // x, y, width and height are the CLIENT rectangle of a top-level window:
    // the window manager's frame goes around it (dialogs, whose templates
    // give the client rectangle). Without it they are the outer rectangle,
    // frame included.
    QV_CREATE_CLIENT_RECT = 1u << 0,
};

// The window manager's frame around a top-level window's client area, in
// pixels on each side.
struct QvFrame {
    int top = 0, left = 0, bottom = 0, right = 0;
};

// What a top-level window knows of its own frame (frame.cpp).
struct QvWindowFrame {
    // The window manager reported this window's frame; until then its size
    // is guessed from other windows of the same kind (qvFrameOf).
    bool learnt = false;
    bool requested = false;  // asked of the window manager before mapping
    QvFrame sides;
};

// What the layer knows of the window manager's frames (frame.cpp).
struct QvFrameState {
    // The window manager has answered once (or there is none): the first
    // framed window waits for it, the others do not.
    bool known = false;
    // The last frame reported for a window without and with a sizing border
    // (openbox adds a grip along the bottom of a resizable window).
    bool seen[2] = {false, false};
    QvFrame seenFor[2];
};

// One window. Top-level windows (no WS_CHILD) have their own window in the
// window system once realised (qvbCreateWindow); child windows have none and
// are drawn by their top-level window into its image (the dialog class paints
// itself and all its controls).
struct QvWindow {
    HWND handle = nullptr;
    QvClass *cls = nullptr;  // never null; classes are never freed
    WNDPROC proc = nullptr;  // starts as the class's procedure
    DWORD style = 0;         // WS_* (and the class's own control bits)
    DWORD exStyle = 0;
    LONG_PTR id = 0;                   // GWL_ID: the control id of a child window
    LONG_PTR userData = 0;             // GWLP_USERDATA
    std::vector<unsigned char> extra;  // cbWndExtra bytes
    std::string text;
    HWND parent = nullptr;  // children only
    HWND owner = nullptr;   // top-level windows only (may be null)
    HINSTANCE instance = nullptr;

    // Geometry. For a child: its rectangle in the parent's client coordinates
    // (its client area is that less its edges, qvChildEdge). For a top-level
    // window: the outer rectangle (frame included) in screen coordinates.
    RECT rect = {0, 0, 0, 0};
    int clientWidth = 0;  // last size reported by WM_SIZE (0 x 0 minimised)
    int clientHeight = 0;
    bool sizeSent = false;         // a WM_SIZE has been sent at least once
    bool maximizedSent = false;    // the last WM_SIZE said SIZE_MAXIMIZED
    bool clientSizeFixed = false;  // QV_CREATE_CLIENT_RECT: frame grows around it

    bool visible = false;  // WS_VISIBLE mirrors this
    bool enabled = true;   // WS_DISABLED mirrors its negation
    bool minimized = false;
    bool maximized = false;
    // An owned window hidden because its owner was minimised: shown again
    // when the owner is restored.
    bool hiddenWithOwner = false;
    bool destroying = false;  // inside DestroyWindow
    // Clicks fall through to what lies below (group boxes, static texts).
    bool mouseTransparent = false;

    // Painting (top-level windows only: a child's invalidation is carried by
    // its top-level window, translated into the top-level's client area).
    bool needsPaint = false;
    bool needsErase = false;
    RECT updateRect = {0, 0, 0, 0};  // bounding box of what needs painting

    // The backend's side (top-level windows only).
    QvBackendWindow native;
    // Display refreshes per SwapBuffers (0: unpaced), 1 until wglSwapIntervalEXT
    // says otherwise, as WGL_EXT_swap_control defines it and Wine reports it.
    int swapInterval = 1;
    bool mapped = false;  // shown at least once
    QvWindowFrame frame;
    int pixelFormat = 0;  // 1-based index into qv.pixelFormats, 0 none
    HDC ownDc = nullptr;  // the private DC of a CS_OWNDC window

    std::vector<HWND> children;  // creation order = top of the z-order first
    // Top-level windows: the focus inside them while the window system has
    // given the input focus to another window.
    HWND focusAside = nullptr;

    // The class's private data (dialog state, scroll-bar range and position,
    // a software renderer...). Set and freed by the class's own procedure:
    // allocate on WM_NCCREATE or WM_CREATE, free on WM_NCDESTROY. The layer
    // only clears the pointer after WM_NCDESTROY.
    void *classData = nullptr;
};

// ===========================================================================
// GDI and WGL objects
// ===========================================================================

struct QvDc {
    HDC handle = nullptr;
    HWND window = nullptr;       // null for the screen DC
    bool own = false;            // the private DC of a CS_OWNDC window
    HPALETTE palette = nullptr;  // selected palette (the stock one at first)
    HFONT font = nullptr;        // selected font (null: the default dialog font)
};

struct QvPalette {
    HPALETTE handle = nullptr;
    std::vector<PALETTEENTRY> entries;
    bool stock = false;  // the default palette: never deleted
};

struct QvGlContext {
    HGLRC handle = nullptr;
    QvBackendGlContext native;
    HWND window = nullptr;    // window it was created for
    HDC currentDc = nullptr;  // DC it is current on, or null
};

// ===========================================================================
// Messages and timers
// ===========================================================================

struct QvTimer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapseMs = 0;
    uint64_t dueMs = 0;
    TIMERPROC proc = nullptr;
};

// ===========================================================================
// Resources, icons and fonts (used in qv_dialog_internal.h)
// ===========================================================================

// One control of a dialog template, as the script writes it.
struct QvDialogItemTemplate {
    std::string className;  // "BUTTON", "STATIC", "SCROLLBAR"
    std::string text;       // empty when the text names a resource
    int textResource = 0;   // the resource number written instead of a text (an icon), or 0
    int id = 0;             // as written: -1 for "no id of its own"
    DWORD style = 0;        // WS_CHILD | WS_VISIBLE unless taken away, plus what is written
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

// One DIALOG resource.
struct QvDialogTemplate {
    std::string name;   // as written; looked up without regard to case
    WORD language = 0;  // MAKELANGID of the LANGUAGE statement in force
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::string caption;
    int pointSize = 0;  // 0 when the template names no font
    std::string faceName;
    std::vector<QvDialogItemTemplate> items;
};

// One ICON resource: its number and the file that holds the image.
struct QvIconResource {
    int id = 0;
    WORD language = 0;
    std::string file;
};

struct QvResourceScript {
    std::vector<QvDialogTemplate> dialogs;
    std::vector<QvIconResource> icons;
};

// An icon from LoadIconA: shared, never destroyed (like Windows' LoadIcon).
struct QvIcon {
    HICON handle = nullptr;
    int id = 0;     // resource number, or 0 for the stock icon
    QvImage image;  // ARGB
};

// An open font with the metrics that dialog units are made from.
struct QvFont {
    QvBackendFont *native = nullptr;  // the backend's, shared by every record of it
    std::string family;               // the family the face resolved to
    std::string file;
    int pointSize = 0;
    int averageWidth = 0;    // (width of "A..Za..z" / 26 + 1) / 2, as Windows computes it
    int height = 0;          // the font's cell height in pixels
    int ascent = 0;          // pixels above the baseline
    HFONT handle = nullptr;  // given out on first request (qvFontHandle)
};

// ===========================================================================
// The layer's single state record
// ===========================================================================

// Every piece of the layer's state, grouped by concern; no file of the layer
// keeps state of its own. The backend's part is qv.backend (its own header
// says what it holds, the signal handler's flags included).
struct QvLayer {
    // ---- The window manager's frames (frame.cpp) -------------------------
    QvFrameState frames;

    // ---- Objects ----------------------------------------------------------
    uintptr_t nextHandle = 0x10000;  // shared by every kind of handle
    std::vector<std::unique_ptr<QvClass>> classes;
    std::unordered_map<uintptr_t, std::unique_ptr<QvWindow>> windows;
    std::vector<HWND> topLevels;  // creation order
    std::unordered_map<uintptr_t, std::unique_ptr<QvDc>> dcs;
    std::unordered_map<uintptr_t, std::unique_ptr<QvPalette>> palettes;
    std::unordered_map<uintptr_t, std::unique_ptr<QvGlContext>> glContexts;
    HPALETTE stockPalette = nullptr;
    HGLRC currentContext = nullptr;
    // LoadCursorA's tokens: the same stock cursor gives the same handle.
    std::unordered_map<std::string, uintptr_t> cursorTokens;

    // ---- Pixel formats (built once from what the display's GL offers) -----
    bool formatsBuilt = false;
    std::vector<PIXELFORMATDESCRIPTOR> pixelFormats;

    // ---- Message queue ----------------------------------------------------
    std::deque<MSG> posted;  // posted and input messages, in order
    bool quitPosted = false;
    int quitCode = 0;
    std::vector<QvTimer> timers;
    UINT_PTR nextThreadTimerId = 1;

    // ---- Mouse ------------------------------------------------------------
    HWND capture = nullptr;
    HWND focus = nullptr;            // the window with the keyboard focus (GetFocus)
    unsigned buttons = 0;            // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON held
    POINT lastScreenPoint = {0, 0};  // where the last mouse event happened

    // ---- Keyboard (keyboard.cpp) ------------------------------------------
    // Per virtual key: 0x80 while it is held, as the input so far says, and
    // as the key messages taken from the queue so far say (GetKeyState).
    unsigned char keyState[256] = {};
    unsigned char keyStateTaken[256] = {};
    // Alt went down and no other key since: its release is WM_SYSKEYUP.
    bool altAlone = false;

    // ---- Clock (tests replace it to drive timers without waiting) ---------
    uint64_t (*clockMs)() = nullptr;  // null: the backend's (qvbNowMs)

    // ---- Resources (resources.cpp) ----------------------------------------
    bool resourcesParsed = false;
    QvResourceScript resources;  // the program's script, parsed once
    std::vector<std::unique_ptr<QvIcon>> icons;
    bool iconsFreedAtExit = false;  // the exit handler that frees them is registered

    // ---- Fonts (fonts.cpp) ------------------------------------------------
    // One record per backend font, kept for the process's life.
    std::vector<std::unique_ptr<QvFont>> fonts;
    bool fontsClosedAtExit = false;  // the exit handler that closes them is registered

    // ---- Dialog and control classes (dialog.cpp) --------------------------
    bool classesRegistered = false;

    // ---- The backend's own state ------------------------------------------
    QvBackendLayer backend;

    // ---- Last error, for tests and diagnostics ----------------------------
    std::string lastError;
};

extern QvLayer qv;

// ===========================================================================
// Shared internal calls
// ===========================================================================

// ---- Errors and the clock (state.cpp) -------------------------------------
// Reports a layer failure on stderr ("quelvaro: <what>: <backend's reason>")
// and keeps it in qv.lastError. A line that has no backend reason clears the
// backend's error first (qvbClearError).
void qvError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Writes one line on stderr as it is (no prefix, no reason) and keeps it in
// qv.lastError.
void qvErrorLine(const std::string &line);
// Milliseconds on the layer's clock: the test's (qv.clockMs) or the backend's.
uint64_t qvNowMs();

// ---- Handles and lookup (window.cpp) ---------------------------------------
uintptr_t qvNewHandle();
QvWindow *qvWindowFromHandle(HWND hwnd);  // null when not a live window
QvClass *qvFindClass(const char *name);
// Registers a class for the layer's own controls (same as RegisterClassA).
ATOM qvRegisterClass(const WNDCLASSA *wndClass);
// CreateWindowExA with the layer's extra creation flags.
HWND qvCreateWindow(DWORD exStyle, const char *className, const char *title, DWORD style, int x, int y, int width,
                    int height, HWND parentOrOwner, HMENU menu, HINSTANCE instance, LPVOID param, unsigned createFlags);
// True when hwnd is root or one of its descendants (a stale handle is in no tree).
bool qvIsInTree(HWND root, HWND hwnd);
// The top-level window that holds hwnd (hwnd itself when it is top-level).
QvWindow *qvTopLevelOf(QvWindow *win);
// Offset of win's client origin inside its top-level window's client area.
POINT qvClientOffsetInTopLevel(QvWindow *win);
// The width of a child window's 3-D edges on each side, outside its client
// area: 2 for WS_EX_CLIENTEDGE, 1 for WS_EX_STATICEDGE; 0 for top-level windows.
int qvChildEdge(const QvWindow *win);
// Client coordinates of win to screen coordinates, and back.
POINT qvClientToScreen(QvWindow *win, POINT p);
POINT qvScreenToClient(QvWindow *win, POINT p);
// Deepest visible, enabled, non-transparent child of top under the point
// given in top's client coordinates; top itself when no child is there.
QvWindow *qvChildAtPoint(QvWindow *top, POINT clientPoint);
// Makes sure a top-level window has its window in the window system (hidden
// until shown). withGl asks for an OpenGL window: an existing plain one is
// replaced.
bool qvRealizeWindow(QvWindow *win, bool withGl);
// Sends WM_SIZE when the client size differs from the last one sent (or
// none was sent); invalidates with CS_HREDRAW/CS_VREDRAW.
void qvClientSizeChanged(QvWindow *win, int width, int height, bool minimized);
// Destroys every window (tests call this between cases).
void qvDestroyAllWindows();

// ---- Painting (paint.cpp) ---------------------------------------------------
// Adds a rectangle (client coordinates of win; null = all of it) to the
// update region of win's top-level window.
void qvInvalidate(QvWindow *win, const RECT *rect, bool erase);

// ---- Images (image.cpp) -----------------------------------------------------
// A new image of width x height (at least 1 x 1) that owns its pixels, all 0;
// an empty one (no pixels) when memory runs out.
QvImage qvImageNew(int width, int height);
// Frees what an image owns and empties it.
void qvImageFree(QvImage *image);
// The common part of two rectangles; false when they have none (or either
// is empty).
bool qvIntersectRect(const QvRect &a, const QvRect &b, QvRect *out);
// Fills a rectangle of the image, within its bounds, with an opaque 0xRRGGBB.
void qvImageFill(QvImage *image, const QvRect &area, uint32_t rgb);
// Lays source over the image with its top-left corner at (x, y), blending by
// its alpha, touching nothing outside clip.
void qvImageBlend(QvImage *image, const QvRect &clip, const QvImage &source, int x, int y);
// The same, source stretched or shrunk to fill target (nearest neighbour).
void qvImageBlendScaled(QvImage *image, const QvRect &clip, const QvImage &source, const QvRect &target);

// ---- The window manager's frame (frame.cpp) ---------------------------------
// Takes a framed window's frame (backends report it here). The first time, a
// window created with an outer size gives the frame its share of it; after
// that the client area keeps its size and the frame goes around it.
void qvTakeFrame(QvWindow *win, QvFrame frame);
// The frame of a top-level window: its own once reported, else the last one
// seen on a window of the same kind; none for children and bare popups.
QvFrame qvFrameOf(const QvWindow *win);

// ---- Messages (message.cpp) ---------------------------------------------------
// Takes the backend's pending events (qvbPumpEvents); the input entry points
// (qv_backend.h) turn them into messages.
void qvPumpEvents();
// Appends a message to the queue (no coalescing).
void qvPostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues a posted message ahead of the keys and mouse input still queued:
// Windows takes posted messages first (PostMessageA, TranslateMessage).
void qvPostAheadOfInput(const MSG &msg);
// Drops queued messages and timers of a window being destroyed; releases
// the capture if it held it.
void qvForgetWindow(HWND hwnd);
// Packs client coordinates as Windows does: signed 16-bit halves.
LPARAM qvPackPoint(int x, int y);
// MK_* flags for the current buttons and modifier keys.
WPARAM qvMouseKeyFlags();

// ---- Keyboard (keyboard.cpp) -----------------------------------------------
// A key message was taken from the queue: GetKeyState and TranslateMessage
// see the keys as they were when it was made.
void qvKeyMessageTaken(const MSG &msg);
// DefWindowProcA for keys and WM_SYSCOMMAND: Alt+F4 closes, Alt and F10
// alone and Alt+character ask for the window menu (the window manager's on
// Linux), minimise, maximise, restore and move go through the window system.
LRESULT qvDefaultKeyHandling(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Hides the visible owned windows of a window being minimised
// (WM_SHOWWINDOW, SW_PARENTCLOSING), or shows again those it hid
// (SW_PARENTOPENING).
void qvShowOwnedWindows(HWND owner, bool show);

// ---- GDI and WGL (gdi_wgl.cpp) ---------------------------------------------
QvDc *qvDcFromHandle(HDC hdc);
// A fresh DC record for hwnd (own marks a CS_OWNDC window's private DC).
HDC qvCreateDc(HWND hwnd, bool own);
void qvFreeDc(HDC hdc);
// Builds the pixel-format list on first use.
void qvBuildPixelFormats();
// Forgets rendering contexts and DCs bound to a window that is going away.
void qvForgetWindowGdi(HWND hwnd);

// Handle conversions.
template <typename H>
inline H qvHandle(uintptr_t value) {
    return reinterpret_cast<H>(value);
}
template <typename H>
inline uintptr_t qvKey(H handle) {
    return reinterpret_cast<uintptr_t>(handle);
}

// ===========================================================================
// Dialogs, controls, resources and fonts (dialog.cpp, canvas.cpp,
// button_static.cpp, scrollbar.cpp, resources.cpp, fonts.cpp; their own
// header: qv_dialog_internal.h)
// ===========================================================================

// LoadIconA lives in resources.cpp: it loads the program's icons from the
// embedded resource script (and gives the stock application icon for a null
// instance). The image of an icon handle, e.g. for the window-system icon of
// a window whose class has an icon; null for anything that is not an icon.
const QvImage *qvIconImage(HICON icon);
// Starts opening the fonts the program's dialog templates name on a second
// thread, so that the first dialog does not wait for them (main() calls it).
void qvPrefetchDialogFonts();
