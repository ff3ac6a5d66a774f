// sdl_internal.h: the layer's one internal header.
//
// Holds the single state record of the Win32 subset on SDL2 (windows, classes,
// frames, device contexts, palettes, rendering contexts, the message queue,
// timers and capture, resources, icons and fonts) and the internal calls that
// the layer's files share. Only files in
// platform/ (and the layer's own tests) include it; application code sees
// windows.h alone.
//
// Ownership of the layer's files (every file in platform/):
//   include/windows.h      the Win32 subset the program sees, nothing else
//   sdl_internal.h         this header: the state record and shared calls
//   sdl_state.cpp          the record qv and the error function (qvError)
//   sdl_main.cpp           main(): start-up, then WinMain
//   sdl_startup.cpp        before WinMain: standard streams, malloc tuning,
//                          SDL's video start and hints, display refusal, clock
//   sdl_signals.cpp        SIGINT and SIGTERM, the deadline, threads' masks
//   sdl_window.cpp         classes, window records, longs, texts, showing, sizes
//   sdl_paint.cpp          invalidation, painting and device contexts
//   sdl_x11_frame.cpp      the window manager's frame (qv.frames, and each
//                          window's own), what the X server says that SDL
//                          does not pass on (qv.x11) and every direct X11 call
//   sdl_message.cpp        the queue, timers, capture and the ONE choke point
//                          where SDL events become WM_* messages
//                          (qvHandleSdlEvent)
//   sdl_keyboard.cpp       the keyboard: key messages, characters, and the
//                          default handling of keys and of WM_SYSCOMMAND
//   sdl_gdi_wgl.cpp        pixel formats, palettes, GL contexts, SwapBuffers
//                          pacing
//   sdl_gdi_text.cpp       GDI's text calls on the dialogs' fonts
//   sdl_msgbox.cpp         MessageBoxA
//   sdl_dialog.cpp         dialogs built from the program's templates
//   sdl_canvas.cpp         drawing in the classic look: edges, text, wrapping
//   sdl_button_static.cpp  the BUTTON and STATIC controls
//   sdl_scrollbar.cpp      the SCROLLBAR control, its geometry and calls
//   sdl_resources.cpp      the embedded resource script and icons
//   sdl_fonts.cpp          fonts found with fontconfig, opened with SDL_ttf
//   sdl_dialog_internal.h  what the dialog side shares, on top of the calls
//                          below
//
// Rules every file keeps:
//   - A handle is a number that is never reused while the process lives, so a
//     stale handle is simply not found (IsWindow is FALSE after DestroyWindow).
//     HWND, HDC, HPALETTE and HGLRC values come from one counter and never
//     collide with each other.
//   - Never hold a QvWindow* across a call that may send a message: the window
//     procedure may destroy the window. Look the handle up again afterwards.
//   - Errors go through qvError, which appends SDL's error text.
#pragma once

#include <windows.h>

#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/types.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <deque>
#include <future>
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

// What a top-level window knows of its own frame (sdl_x11_frame.cpp).
struct QvWindowFrame {
    // The window manager reported this window's frame; until then its size
    // is guessed from other windows of the same kind (qvFrameOf).
    bool learnt = false;
    bool requested = false;  // asked of the window manager before mapping
    QvFrame sides;
};

// What the layer knows of the window manager's frames (sdl_x11_frame.cpp).
struct QvFrameState {
    // The window manager has answered once (or there is none): the first
    // framed window waits for it, the others do not.
    bool known = false;
    // The last frame reported for a window without and with a sizing border
    // (openbox adds a grip along the bottom of a resizable window).
    bool seen[2] = {false, false};
    QvFrame seenFor[2];
};

// One window. Top-level windows (no WS_CHILD) have their own SDL window once
// realised; child windows have none and are drawn by their top-level window
// onto its surface (the dialog class paints itself and all its controls).
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

    // SDL side (top-level windows only).
    SDL_Window *sdlWindow = nullptr;
    Uint32 sdlWindowId = 0;
    bool glWindow = false;  // sdlWindow was made for OpenGL
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
    SDL_GLContext sdlContext = nullptr;
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
    Uint64 dueMs = 0;
    TIMERPROC proc = nullptr;
};

// ===========================================================================
// Resources, icons and fonts (used in sdl_dialog_internal.h)
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
    int id = 0;                    // resource number, or 0 for the stock icon
    SDL_Surface *image = nullptr;  // ARGB8888
};

// An open font with the metrics that dialog units are made from.
struct QvFont {
    TTF_Font *font = nullptr;
    std::string family;  // the family fontconfig found
    std::string file;
    int pointSize = 0;
    int averageWidth = 0;    // (width of "A..Za..z" / 26 + 1) / 2, as Windows computes it
    int height = 0;          // the font's cell height in pixels
    HFONT handle = nullptr;  // given out on first request (qvFontHandle)
};

// What one fontconfig match gave.
struct QvFontMatch {
    std::string family;
    std::string file;
    int index = 0;
    bool substitute = false;  // a fallback file, fontconfig having none
};

// A face and what it resolved to.
struct QvResolvedFace {
    std::string face;
    bool found = false;
    QvFontMatch match;
};

// What the start-up's second thread got ready (qvPrefetchFonts).
struct QvPrefetchedFonts {
    bool ttfReady = false;
    std::vector<QvResolvedFace> faces;
    std::vector<std::unique_ptr<QvFont>> fonts;
};

// What the SIGINT and SIGTERM handler shares with the rest of the layer
// (sdl_signals.cpp). Lock-free atomics: the handler may run while the main
// thread is anywhere, and they stay valid while the record is destroyed at
// exit (they are trivially destructible).
struct QvSignalState {
    std::atomic<int> interrupts{0};  // SIGINT and SIGTERM received
    // The display is open: a signal is a close request from then on; before,
    // it ends the start.
    std::atomic<bool> displayOpen{false};
    // A close request by signal the event pump has not yet turned into SDL_QUIT.
    std::atomic<bool> closeRequested{false};
    // A modal message box is up: the event pump cannot take a close request,
    // so a signal ends the process at once.
    std::atomic<bool> messageBoxUp{false};
};

// ===========================================================================
// The layer's single state record
// ===========================================================================

// Every piece of the layer's state, grouped by concern; no file of the layer
// keeps state of its own. The signal handler's flags are here too, as
// lock-free atomics (QvSignalState).
struct QvLayer {
    // ---- Video ------------------------------------------------------------
    bool videoReady = false;  // SDL's video subsystem is up
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
    // The window system took SDL's capture while SDL counted a button as
    // held: its release may go to another client's window (the pump looks).
    bool buttonsMayComeUpElsewhere = false;

    // ---- Keyboard (sdl_keyboard.cpp) --------------------------------------
    // Per virtual key: 0x80 while it is held, as the input so far says, and
    // as the key messages taken from the queue so far say (GetKeyState).
    unsigned char keyState[256] = {};
    unsigned char keyStateTaken[256] = {};
    // Alt went down and no other key since: its release is WM_SYSKEYUP.
    bool altAlone = false;

    // ---- Clock (tests replace it to drive timers without waiting) ---------
    Uint64 (*clockMs)() = nullptr;  // null: SDL_GetTicks64

    // ---- Frame pacing -----------------------------------------------------
    bool vsyncTrusted = false;  // the driver paces swaps itself
    double refreshIntervalMs = 1000.0 / 60.0;
    double lastPresentMs = -1.0e9;  // target time of the last present
    int quickSwaps = 0;             // vsync'd swaps that came back too fast

    // ---- Signals (sdl_signals.cpp) -----------------------------------------
    QvSignalState signals;

    // ---- X errors and the display's loss (sdl_x11_frame.cpp) ---------------
    struct {
        // The handler in place before qvCatchXErrors: Xlib's XErrorHandler,
        // kept untyped so that this header needs no Xlib.
        void (*handlerBefore)() = nullptr;
        int caught = 0;              // errors since qvCatchXErrors
        char firstCaught[128] = "";  // the first one's text
        bool displayLost = false;    // the display-loss clean-up has begun
    } xErrors;

    // ---- Message box (sdl_msgbox.cpp) --------------------------------------
    struct {
        pid_t owner = 0;           // the process showing the box (its child checks it)
        bool forkWatched = false;  // the box's child is tied to the program
    } messageBox;

    // ---- Resources (sdl_resources.cpp) ------------------------------------
    bool resourcesParsed = false;
    QvResourceScript resources;  // the program's script, parsed once
    std::vector<std::unique_ptr<QvIcon>> icons;
    bool iconsFreedAtExit = false;  // the exit handler that frees them is registered

    // ---- Fonts (sdl_fonts.cpp) --------------------------------------------
    bool ttfReady = false;
    std::vector<std::unique_ptr<QvFont>> fonts;
    // Every face resolved so far, so that fontconfig is asked once per face.
    std::vector<QvResolvedFace> resolvedFaces;
    // The second thread's work until the main thread takes it over.
    std::future<QvPrefetchedFonts> prefetched;
    bool fontsClosedAtExit = false;    // the exit handler that closes them is registered
    bool fontSubstituteNoted = false;  // the fallback file standing in was named once

    // ---- Dialog and control classes (sdl_dialog.cpp) ----------------------
    bool classesRegistered = false;

    // ---- X11 (sdl_x11_frame.cpp) --------------------------------------------
    struct {
        // X windows of ours that another client destroyed: errors about them
        // are expected, and their records go at the next pump.
        std::vector<unsigned long> destroyed;
        bool destructionPending = false;
        // The error handler in place before ours (Xlib's), untyped as above.
        void (*errorHandlerBefore)() = nullptr;
    } x11;

    // ---- Last error, for tests and diagnostics ----------------------------
    std::string lastError;
};

extern QvLayer qv;

// ===========================================================================
// Shared internal calls
// ===========================================================================

// ---- Errors (sdl_state.cpp) -------------------------------------------------
// Reports a layer failure on stderr ("quelvaro: <what>: <SDL error>") and
// keeps it in qv.lastError. A line that has no SDL reason clears SDL's error
// first.
void qvError(const char *format, ...) __attribute__((format(printf, 1, 2)));
// Writes one line on stderr as it is (no prefix, no SDL reason) and keeps it
// in qv.lastError.
void qvErrorLine(const std::string &line);

// ---- Start-up and video (sdl_startup.cpp) -----------------------------------
// Brings SDL's video subsystem up once (hints first); false when it cannot.
bool qvEnsureVideo();
// The program's start-up before WinMain: malloc tuning, SDL, refusal when
// there is no display. Prints one line and exits with status 1 on failure.
void qvStartup();
// Milliseconds on the layer's clock.
Uint64 qvNowMs();
// True when the video driver SDL picked shows nothing a person can see
// (offscreen, dummy).
bool qvInvisibleVideoDriver();

// ---- Signals (sdl_signals.cpp) ---------------------------------------------
// Puts the program's SIGINT and SIGTERM handling in place (before the display
// is opened: until qvSignalsDisplayOpen, a signal ends the start).
void qvInstallSignalHandlers();
// From now on a signal is a close request.
void qvSignalsDisplayOpen();
// True, once, when a close request came by signal and there is a window to
// close; the event pump then makes it SDL_QUIT.
bool qvTakeSignalledClose();
// Gives SIGINT, SIGTERM and SIGALRM their default actions again (a process
// forked to show a message box must not run the program's handlers).
void qvRestoreDefaultSignals();
// While one lives, the calling thread blocks SIGINT, SIGTERM and SIGALRM, and
// so does every thread it starts: the layer starts its threads inside one, so
// that the handler runs on the main thread.
struct QvSignalsBlocked {
    QvSignalsBlocked();
    ~QvSignalsBlocked();
    QvSignalsBlocked(const QvSignalsBlocked &) = delete;
    QvSignalsBlocked &operator=(const QvSignalsBlocked &) = delete;
    sigset_t before;
};

// ---- Handles and lookup (sdl_window.cpp) ----------------------------------
uintptr_t qvNewHandle();
QvWindow *qvWindowFromHandle(HWND hwnd);          // null when not a live window
QvWindow *qvWindowFromSdlId(Uint32 sdlWindowId);  // null for foreign windows
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
// Makes sure a top-level window has its SDL window (hidden until shown).
// withGl asks for an OpenGL window: an existing plain one is replaced.
bool qvRealizeSdlWindow(QvWindow *win, bool withGl);
// Sends WM_SIZE when the client size differs from the last one sent (or
// none was sent); invalidates with CS_HREDRAW/CS_VREDRAW.
void qvClientSizeChanged(QvWindow *win, int width, int height, bool minimized);
// Destroys every window (tests call this between cases).
void qvDestroyAllWindows();

// ---- Painting (sdl_paint.cpp) ---------------------------------------------
// Adds a rectangle (client coordinates of win; null = all of it) to the
// update region of win's top-level window.
void qvInvalidate(QvWindow *win, const RECT *rect, bool erase);

// ---- The window manager's frame (sdl_x11_frame.cpp) -----------------------
// True when a top-level window of this style gets a frame from the window
// manager.
bool qvHasFrame(DWORD style);
// Asks the window manager, before the window is mapped, for the frame of a
// newly realised window whose client area gets what its frame leaves.
void qvRequestFrame(QvWindow *win);
// Takes the frame asked for by qvRequestFrame, waiting a moment for it, so
// that the window is sized inside its frame before it appears.
void qvLearnRequestedFrame(QvWindow *win);
// Takes the frame of a window just mapped for the first time; the first
// framed window waits for it (no answer: there is no window manager).
void qvLearnFrameOnMap(QvWindow *win);
// Asks SDL for the frame the window manager put around a mapped window and
// takes it (qvTakeFrame) when there is one.
void qvLearnFrame(QvWindow *win);
// Takes a framed window's frame. The first time, a window created with an
// outer size gives the frame its share of it; after that the client area
// keeps its size and the frame goes around it.
void qvTakeFrame(QvWindow *win, QvFrame frame);
// The frame of a top-level window: its own once reported, else the last one
// seen on a window of the same kind; none for children and bare popups.
QvFrame qvFrameOf(const QvWindow *win);
// Tells the window manager what a dialog's frame offers: moving, and closing
// only when closable; no minimise, maximise or resize.
void qvSetDialogFrameFunctions(SDL_Window *window, bool closable);
// Shows an image of 32-bit pixels in a window's client area, converted to the
// window's own pixel format, for windows SDL gives no surface (a 30-bit X11
// display); false, with SDL's error set, when it cannot.
bool qvPutImage(SDL_Window *window, SDL_Surface *image);
// Before a top-level window is mapped: its group leader is the program's
// first top-level window (the window manager groups them as one program);
// an owned window asks for no taskbar entry.
void qvSetWindowManagerHints(QvWindow *win);
// Withdraws a window from the window manager, also when it has iconified it
// (SDL hides only mapped windows).
void qvWithdrawWindow(SDL_Window *window);
// Asks the window manager to move the window from the keyboard, as the
// window menu's Move does; false when it offers no such thing.
bool qvAskWindowManagerToMove(SDL_Window *window);
// Starts catching X errors, which a broken OpenGL driver answers GLX requests
// with (Xlib's default handler would end the program on the spot).
void qvCatchXErrors();
// Waits until every request sent on window's display has been answered, so
// that their errors are caught; true when none has come so far.
bool qvNoXErrorSoFar(SDL_Window *window);
// Stops catching X errors; false, reported through qvError as met during
// what is named, when one came.
bool qvStopCatchingXErrors(const char *during);
// From now on, an X error or a lost connection to the display ends the
// process at once with status 1 (_exit), running no exit handler.
void qvEndAtOnceOnXErrors();
// From now on, a lost connection to the X display (the server ended) is one
// line on stderr, every window destroyed as on a close, and status 1.
void qvWatchDisplayLoss();
// From now on, hears what the X server says of our windows that SDL does not
// pass on: their destruction by another client (xdotool windowclose), and
// presses SDL drops because it still counts their button as held.
void qvWatchXEvents();
// A button SDL counts as held that the X server has let go of (released
// over another client's window, after the window system took the capture)
// comes up in SDL too, as a release on the window the pointer is in.
void qvTakeReleasesElsewhere();
// Destroys, as DestroyWindow does, the windows another client destroyed
// since the last call (the pump calls it).
void qvDestroyWindowsGone();

// ---- Messages (sdl_message.cpp) -------------------------------------------
// The choke point: turns one SDL event into the Win32 messages it means.
void qvHandleSdlEvent(const SDL_Event &event);
// Drains SDL's event queue through qvHandleSdlEvent.
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

// ---- Keyboard (sdl_keyboard.cpp) -------------------------------------------
// The choke point's keyboard part: a key went down or up in an SDL window.
void qvInputKey(const SDL_KeyboardEvent &event);
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

// ---- GDI and WGL (sdl_gdi_wgl.cpp) -----------------------------------------
QvDc *qvDcFromHandle(HDC hdc);
// A fresh DC record for hwnd (own marks a CS_OWNDC window's private DC).
HDC qvCreateDc(HWND hwnd, bool own);
void qvFreeDc(HDC hdc);
// Builds the pixel-format list on first use.
void qvBuildPixelFormats();
// Sets SDL's GL attributes (buffers, depth, profile) for a format.
void qvSetGlAttributes(int format);
// When SwapBuffers may present next, given the last target, the time now and
// the refresh interval (all in ms): never sooner than one interval after the
// last, and never in the past.
double qvNextPresentTime(double lastTarget, double now, double interval);
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
// Dialogs, controls, resources and fonts (sdl_dialog.cpp, sdl_canvas.cpp,
// sdl_button_static.cpp, sdl_scrollbar.cpp, sdl_resources.cpp, sdl_fonts.cpp;
// their own header: sdl_dialog_internal.h)
// ===========================================================================

// LoadIconA lives in sdl_resources.cpp: it loads the program's icons from the
// embedded resource script (and gives the stock application icon for a null
// instance). The image of an icon handle, e.g. for SDL_SetWindowIcon of a
// window whose class has an icon; null for anything that is not an icon.
SDL_Surface *qvIconImage(HICON icon);
// Starts opening the fonts the program's dialog templates name on a second
// thread, so that the first dialog does not wait for them (main() calls it).
void qvPrefetchDialogFonts();
