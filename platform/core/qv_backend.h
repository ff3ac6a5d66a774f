// qv_backend.h: what a backend of the Win32 layer provides, and what the core
// offers a backend in return (GLFW's internal.h shape).
//
// The layer is two parts:
//   - the core (platform/core/): every Win32 call of include/windows.h, the
//     window records, messages, the queue and timers, capture and focus,
//     painting and DCs, dialogs and controls drawn into a QvImage, the
//     resource script and icons, GDI text layout, the keyboard's Win32 side,
//     and the WGL/GDI objects' bookkeeping. No SDL, X11, SDL_ttf, fontconfig
//     or DOM in it.
//   - one backend (platform/sdl/ on Linux, platform/web/ under emscripten):
//     the functions declared below, prefixed qvb, and nothing else the core
//     calls. A backend keeps its own state in QvBackendLayer (qv.backend) and
//     QvBackendWindow (QvWindow::native), QvBackendFont (QvFont::native) and
//     QvBackendGlContext (QvGlContext::native), defined by its own header
//     (sdl/sdl_platform.h, web/web_platform.h) that qv_internal.h includes.
//
// Conventions:
//   - Windows passed to qvb* window calls are top-level (no WS_CHILD) core
//     records. The backend must not keep a QvWindow* across a call into the
//     core: keep the HWND and look it up (qvWindowFromHandle).
//   - Coordinates are pixels. "Client" means the window's client area, whose
//     origin is its top-left corner; "screen" is the desktop (the page in a
//     browser).
//   - A backend reports its failures with qvError (core), which appends
//     qvbLastErrorText(); qvbClearError() forgets that text.
//   - A backend never sends Win32 messages itself: it calls the core's input
//     entry points (end of this file), which post and send them.
//   - The core does not call qvbStartup (main() is the backend's),
//     qvbInvisibleDisplay, qvbPreciseNowMs, qvbDelay, qvbMouseButtonsHeld,
//     qvbShowWindowMenu, qvbCloseFont or qvbGetProcAddress: they name what
//     every backend needs for itself; one may leave out those it has no use
//     for.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct QvWindow;
struct QvFont;
struct QvGlContext;

// ===========================================================================
// The core's own pixel types (no SDL_Surface, no SDL_Rect in the core)
// ===========================================================================

// An image of 32-bit pixels, 0xAARRGGBB in native byte order (SDL's
// ARGB8888), rows pitch bytes apart. Either it owns its pixels (qvImageNew,
// freed by qvImageFree) or it points at a backend's buffer (owns false).
struct QvImage {
    int width = 0;
    int height = 0;
    int pitch = 0;  // bytes from one row to the next
    uint32_t *pixels = nullptr;
    bool owns = false;
};

// A rectangle: x, y of its top-left corner, w by h pixels.
struct QvRect {
    int x = 0, y = 0, w = 0, h = 0;
};

// ===========================================================================
// Start-up, clock, errors, screen
// ===========================================================================

// The program's start-up before WinMain (main() in the backend calls it, then
// WinMain): whatever the process needs (signals, malloc tuning, the display).
// Prints one line and exits with status 1 when the program cannot run.
void qvbStartup();

// Brings the display up once (idempotent); false, with the reason in
// qvbLastErrorText(), when there is none. The core calls it before the first
// window, font, GL or screen query.
bool qvbEnsureVideo();

// True when the display shows nothing a person can see (SDL's offscreen or
// dummy driver): the core then trusts no vsync and waits for no frame.
bool qvbInvisibleDisplay();

// Milliseconds on the backend's monotonic clock (GetTickCount, timers). The
// core's qvNowMs() uses qv.clockMs instead when a test sets it.
uint64_t qvbNowMs();
// The same clock at sub-millisecond precision (frame pacing).
double qvbPreciseNowMs();
// Sleeps about ms milliseconds (GetMessage without events, Sleep).
void qvbDelay(uint32_t ms);

// The backend's own text for its last failure ("" for none), appended by
// qvError; and forgetting it.
const char *qvbLastErrorText();
void qvbClearError();

// The screen's size in pixels (SM_CXSCREEN, SM_CYSCREEN); false when unknown.
bool qvbScreenSize(int *width, int *height);

// ===========================================================================
// Events
// ===========================================================================

// Takes every event the window system has for us and feeds it to the core's
// input entry points below (the core calls it from PeekMessage, GetMessage,
// and wherever it waits). Also where a backend turns its own out-of-band
// news (a signal, a window destroyed behind our back) into input.
void qvbPumpEvents();

// Waits until an event may be there, or timeoutMs milliseconds pass (the
// next timer). It may return early; the core pumps and checks again.
void qvbWaitForEvent(int timeoutMs);

// Peeks at what is still queued in the backend (events not yet pumped), for
// the core's decisions that depend on what comes next; a backend that cannot
// tell answers false.
// - The pointer's next event is leaving this window (a motion at its edge
//   that is only the pointer leaving is dropped).
bool qvbPointerLeavingNext(QvWindow *top);
// - A focus-lost event for this window is queued (a key release made up by
//   the window system on focus loss is ignored).
bool qvbFocusLossQueued(QvWindow *top);
// - A focus-gained event for one of our windows is queued.
bool qvbFocusGainQueued();

// The state of the input devices now.
// - A mouse button is held (as the backend counts it).
bool qvbMouseButtonsHeld();
// - Our top-level window the pointer is in, or null.
QvWindow *qvbWindowUnderPointer();
// - Our top-level window with the keyboard focus, or null.
QvWindow *qvbKeyboardFocusWindow();
// - The modifier keys: QV_MOD_* bits.
enum QvModifier : unsigned {
    QV_MOD_SHIFT = 1u << 0,
    QV_MOD_CTRL = 1u << 1,
    QV_MOD_ALT = 1u << 2,
    QV_MOD_CAPS = 1u << 3,
    QV_MOD_NUM = 1u << 4,
};
unsigned qvbModifiers();

// ===========================================================================
// Windows (top-level only; children are the core's, drawn into their
// top-level window's image)
// ===========================================================================

// Creates the window system's window of win, hidden, of win->rect's client
// size (the core has set win->clientWidth/Height and win->text), with a
// frame when qvbHasFrame(win->style), resizable with WS_THICKFRAME, made for
// OpenGL when withGl (in the format qv.pixelFormats[win->pixelFormat - 1]
// when win->pixelFormat is set). When win already has one that is plain and withGl is
// asked, the new one replaces it (shown again if win->visible). Also sets
// the class icon (qvIconImage), the owner relation (stays above its owner,
// no taskbar entry) and asks for the frame. False, through qvError, on
// failure. True at once when win already has a fitting window.
bool qvbCreateWindow(QvWindow *win, bool withGl);
// True when win has its window-system window (realised).
bool qvbHasWindow(const QvWindow *win);
// True when win's window was made for OpenGL.
bool qvbIsGlWindow(const QvWindow *win);
// Destroys win's window-system window, if any (the record stays the core's).
void qvbDestroyWindow(QvWindow *win);

// Shows (maps) win's window (the core has set win->visible). The first time
// (win->mapped false) the backend sets win->mapped and learns the frame the
// window manager gives it, reporting it with qvTakeFrame before returning.
// May run the core (qvTakeFrame sends WM_SIZE): look win up again.
void qvbShowWindow(QvWindow *win);
// Hides win's window (ShowWindow SW_HIDE).
void qvbHideWindow(QvWindow *win);
// Takes win's window off the screen and out of the window manager's hands,
// also when the window manager has iconified it (an owned window hidden with
// its minimised owner).
void qvbWithdrawWindow(QvWindow *win);
void qvbMinimizeWindow(QvWindow *win);
void qvbMaximizeWindow(QvWindow *win);
void qvbRestoreWindow(QvWindow *win);
// What the window system says now.
bool qvbIsMinimized(const QvWindow *win);
bool qvbIsMaximized(const QvWindow *win);

void qvbSetWindowTitle(QvWindow *win, const char *title);
// Moves the client origin to (x, y) on the screen (mapped windows only).
void qvbSetClientPosition(QvWindow *win, int x, int y);
// The client origin on the screen; false when the window is not mapped.
bool qvbGetClientPosition(const QvWindow *win, int *x, int *y);
// Sets and reads the client size in pixels (at least 1 x 1 is asked).
void qvbSetClientSize(QvWindow *win, int width, int height);
void qvbGetClientSize(const QvWindow *win, int *width, int *height);

// Shows a 2-D image (the top-level window's client area drawn by the core:
// dialogs and their controls) in win's client area. False, with the reason,
// when it cannot.
bool qvbPresentImage(QvWindow *win, const QvImage &image);

// ---- The window manager's frame --------------------------------------------
// True when a top-level window of this style gets a frame: the window
// manager's on X11, the one the page draws itself in a browser.
bool qvbHasFrame(DWORD style);
// The frame is reported with the core's qvTakeFrame(win, frame). The core
// calls this before showing a window: take a frame already asked for, waiting
// a moment, so the window is sized inside its frame before it appears.
void qvbLearnRequestedFrame(QvWindow *win);
// Asks for the frame of a mapped window now and reports it (qvTakeFrame);
// the core calls it when the window is shown or exposed.
void qvbLearnFrame(QvWindow *win);
// A dialog's frame offers moving, and closing only when closable.
void qvbSetDialogFrame(QvWindow *win, bool closable);
// Asks the window manager to move the window from the keyboard (the window
// menu's Move); false when it offers no such thing.
bool qvbMoveFromKeyboard(QvWindow *win);
// Alt, F10 or Alt+Space alone: the window manager's window menu; false when
// there is none.
bool qvbShowWindowMenu(QvWindow *win);

// ===========================================================================
// Text: fonts opened by face and size, glyphs measured and drawn
// ===========================================================================

// What qvbOpenFont fills in.
struct QvFontMetrics {
    int height = 0;        // the cell height in pixels
    int averageWidth = 0;  // Windows' average: (width of "A..Za..z" / 26 + 1) / 2
    int ascent = 0;        // pixels above the baseline
    std::string family;    // what the face resolved to (for diagnostics)
    std::string file;      // where it came from, if a file
};

// Opens faceName at pointSize (96 dpi), through the backend's aliases (Arial
// is Liberation Sans...) and fall-backs; null only when no font at all can be
// opened. The core keeps every font for the process's life (qvOpenFont).
struct QvBackendFont;
QvBackendFont *qvbOpenFont(const char *faceName, int pointSize, QvFontMetrics *metrics);
// Closes one font (the layer's shut-down and tests).
void qvbCloseFont(QvBackendFont *font);
// The whole-pixel (hinted) advance of one Latin-1 character; GDI measures
// texts by summing these, without kerning.
int qvbGlyphAdvance(QvBackendFont *font, unsigned char c);
// Draws a Latin-1 string (no '&' left in it) with its cell's top-left corner
// at (x, y) of the image, in colour 0xRRGGBB, blended onto what is there,
// touching nothing outside clip.
void qvbDrawText(QvBackendFont *font, const std::string &latin1, QvImage *image, int x, int y, const QvRect &clip,
                 uint32_t rgb);
// Starts opening these fonts (face and point size; "" and 0 for the default
// dialog font) ahead of time, e.g. on a second thread; qvbOpenFont takes
// them over. A backend may do nothing.
void qvbPrefetchFonts(std::vector<std::pair<std::string, int>> faces);
// Where a face resolves without opening it (tests, diagnostics); false when
// nothing is found.
bool qvbResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index);

// ===========================================================================
// OpenGL
// ===========================================================================

// The colour layout of the display, as a PIXELFORMATDESCRIPTOR's colour bits
// and shifts (the core builds the pixel-format list from it).
PIXELFORMATDESCRIPTOR qvbDisplayColourLayout();
// Keeps, in order, only the candidate formats (colour layout as above, with
// double buffering or not, depth and stencil bits) the display's GL can make
// a window of; clears them all, reporting why through qvError, when there is
// no usable GL. Called once, after qvbEnsureVideo.
void qvbKeepOfferedPixelFormats(std::vector<PIXELFORMATDESCRIPTOR> *formats);
// Creates a GL context for win (a GL window, qvbCreateWindow withGl) of the
// given format, without making it current (the current one stays current).
// Stores the backend's context in context->native. False, through qvError,
// on failure.
bool qvbCreateGlContext(QvGlContext *context, QvWindow *win, const PIXELFORMATDESCRIPTOR &format);
void qvbDeleteGlContext(QvGlContext *context);
// Makes context current on win (null, null: none current). False on failure.
// Sets the swap interval of win (win->swapInterval refreshes per swap).
bool qvbMakeCurrent(QvWindow *win, QvGlContext *context);
// Presents win's back buffer, paced to win->swapInterval display refreshes
// (0: unpaced).
void qvbSwapBuffers(QvWindow *win);
// The swap interval of the current context changed (wglSwapIntervalEXT).
void qvbSetSwapInterval(QvWindow *win, int refreshesPerSwap);
// A GL entry point by name, or null.
void *qvbGetProcAddress(const char *name);

// ===========================================================================
// Message box
// ===========================================================================

// MessageBoxA: shows text and caption modally, over owner's top-level window
// when it is on screen, with the buttons type asks for (qvMessageBoxButtons)
// and its icon kind (MB_ICONERROR...); returns the id of the button pressed
// (IDCANCEL for the close box where there is a Cancel button, else the first
// button's), or 0 when it cannot be shown: the core then writes the words on
// stderr. Ends a drag in progress (ReleaseCapture) before the box comes up.
int qvbMessageBox(HWND owner, const char *text, const char *caption, UINT type);

// The buttons a MB_ type shows, left to right (core, msgbox.cpp).
struct QvMessageBoxButtons {
    int count;
    int ids[3];
    const char *labels[3];
};
QvMessageBoxButtons qvMessageBoxButtons(UINT type);

// ===========================================================================
// The core's input entry points (implemented by the core, called by the
// backend from qvbPumpEvents; each may send messages, so look records up
// again afterwards)
// ===========================================================================

// In every call, top is the top-level window the event happened in, or null
// for a window that is not ours (a button's state is still counted).

// The pointer moved to (x, y) in top's client coordinates. (A motion that is
// only the pointer leaving, qvbPointerLeavingNext, is dropped by the core.)
void qvInputMouseMotion(QvWindow *top, int x, int y);
// A mouse button went down or up at (x, y) in top's client coordinates;
// clicks counts a double click as 2.
enum QvMouseButton { QV_BUTTON_LEFT, QV_BUTTON_RIGHT, QV_BUTTON_MIDDLE };
void qvInputMouseButton(QvWindow *top, QvMouseButton button, bool down, int clicks, int x, int y);
// A key went down or up in top: its virtual key (VK_*), its scan code and
// extended bit as Windows numbers them. The core makes WM_(SYS)KEYDOWN/UP
// with the lParam bits (repeat when it was already down) and keeps
// GetKeyState. A release the window system made up on focus loss
// (qvbFocusLossQueued) is counted but not delivered.
void qvInputKey(QvWindow *top, BYTE vk, WORD scan, bool extended, bool down);
// What happened to a top-level window (a, b: the new client size for
// RESIZED, the client origin on the screen for MOVED, else 0).
enum QvWindowEventKind {
    QV_WINDOW_SHOWN,
    QV_WINDOW_EXPOSED,  // needs painting again
    QV_WINDOW_RESIZED,  // client size now width x height
    QV_WINDOW_MINIMIZED,
    QV_WINDOW_HIDDEN,
    QV_WINDOW_RESTORED,
    QV_WINDOW_MAXIMIZED,
    QV_WINDOW_MOVED,  // client origin now at (x, y) on the screen
    QV_WINDOW_FOCUS_GAINED,
    QV_WINDOW_FOCUS_LOST,
    QV_WINDOW_CLOSE,  // the user asked to close it
};
void qvInputWindowEvent(QvWindow *top, QvWindowEventKind kind, int a, int b);
// A request to end the program (a session end, a signal): WM_CLOSE to every
// top-level window.
void qvInputQuit();
// A window another client destroyed (X11): destroyed as by DestroyWindow.
void qvInputWindowGone(QvWindow *top);
