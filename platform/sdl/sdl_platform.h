// sdl_platform.h: the SDL backend's part of the layer's state record, and the
// calls its files share (sdl_*.cpp).
//
// core/qv_internal.h includes it (GLFW-style) for QvBackendWindow (each
// top-level window's SDL window), QvBackendGlContext, QvBackendFont and
// QvBackendLayer (qv.backend: the video's state, frame pacing, signals, X11,
// the message box and the fonts). The core never looks inside them; it calls
// the qvb* functions of core/qv_backend.h, which the sdl_*.cpp files define.
// Only the backend's files (and the layer's own tests) use what is declared
// here.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>
#include <sys/types.h>

#include <atomic>
#include <csignal>
#include <future>
#include <memory>
#include <string>
#include <vector>

struct QvWindow;
struct QvImage;

// ===========================================================================
// Per-object state
// ===========================================================================

// A top-level window's SDL window (sdl_window.cpp).
struct QvBackendWindow {
    SDL_Window *sdlWindow = nullptr;
    Uint32 sdlWindowId = 0;
    bool glWindow = false;  // sdlWindow was made for OpenGL
};

// A rendering context (sdl_gl.cpp).
struct QvBackendGlContext {
    SDL_GLContext sdlContext = nullptr;
};

// An open font: one per file and point size (sdl_fonts.cpp).
struct QvBackendFont {
    TTF_Font *font = nullptr;
    std::string family;  // the family fontconfig found
    std::string file;
    int pointSize = 0;
    int averageWidth = 0;  // (width of "A..Za..z" / 26 + 1) / 2, as Windows computes it
    int height = 0;        // the font's cell height in pixels
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

// What the start-up's second thread got ready (qvbPrefetchFonts).
struct QvPrefetchedFonts {
    bool ttfReady = false;
    std::vector<QvResolvedFace> faces;
    std::vector<std::unique_ptr<QvBackendFont>> fonts;
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
// The backend's part of the state record (qv.backend)
// ===========================================================================

struct QvBackendLayer {
    // ---- Video (sdl_startup.cpp) -------------------------------------------
    bool videoReady = false;  // SDL's video subsystem is up

    // ---- Mouse (sdl_events.cpp) --------------------------------------------
    // The window system took SDL's capture while SDL counted a button as
    // held: its release may go to another client's window (the pump looks).
    bool buttonsMayComeUpElsewhere = false;

    // ---- Frame pacing (sdl_gl.cpp) -----------------------------------------
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

    // ---- Fonts (sdl_fonts.cpp) ---------------------------------------------
    bool ttfReady = false;
    std::vector<std::unique_ptr<QvBackendFont>> fonts;
    // Every face resolved so far, so that fontconfig is asked once per face.
    std::vector<QvResolvedFace> resolvedFaces;
    // The second thread's work until the main thread takes it over.
    std::future<QvPrefetchedFonts> prefetched;
    bool fontsClosedAtExit = false;    // the exit handler that closes them is registered
    bool fontSubstituteNoted = false;  // the fallback file standing in was named once

    // ---- X11 (sdl_x11_frame.cpp) -------------------------------------------
    struct {
        // X windows of ours that another client destroyed: errors about them
        // are expected, and their records go at the next pump.
        std::vector<unsigned long> destroyed;
        bool destructionPending = false;
        // The error handler in place before ours (Xlib's), untyped as above.
        void (*errorHandlerBefore)() = nullptr;
    } x11;
};

// ===========================================================================
// Calls the backend's files share
// ===========================================================================

// ---- Start-up and video (sdl_startup.cpp) -----------------------------------
// Brings SDL's video subsystem up once (hints first); false when it cannot.
bool qvEnsureVideo();
// The program's start-up before WinMain: malloc tuning, SDL, refusal when
// there is no display. Prints one line and exits with status 1 on failure.
void qvStartup();
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

// ---- Windows (sdl_window.cpp) ------------------------------------------------
// Our top-level window with this SDL window id; null for foreign windows.
QvWindow *qvWindowFromSdlId(Uint32 sdlWindowId);

// ---- Events (sdl_events.cpp) -------------------------------------------------
// The choke point: turns one SDL event into calls of the core's input entry
// points, which make the Win32 messages it means.
void qvHandleSdlEvent(const SDL_Event &event);

// ---- The window manager's frame and X11 (sdl_x11_frame.cpp) -----------------
// Asks the window manager, before the window is mapped, for the frame of a
// newly realised window whose client area gets what its frame leaves.
void qvRequestFrame(QvWindow *win);
// Takes the frame of a window just mapped for the first time; the first
// framed window waits for it (no answer: there is no window manager).
void qvLearnFrameOnMap(QvWindow *win);
// Shows an image of 32-bit pixels in a window's client area, converted to the
// window's own pixel format, for windows SDL gives no surface (a 30-bit X11
// display); false, with SDL's error set, when it cannot.
bool qvPutImage(SDL_Window *window, SDL_Surface *image);
// Before a top-level window is mapped: its group leader is the program's
// first top-level window (the window manager groups them as one program);
// an owned window asks for no taskbar entry.
void qvSetWindowManagerHints(QvWindow *win);
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

// ---- OpenGL (sdl_gl.cpp) ------------------------------------------------------
// Sets SDL's GL attributes (buffers, depth, profile) for a format.
void qvSetGlAttributes(const PIXELFORMATDESCRIPTOR &format);
// When SwapBuffers may present next, given the last target, the time now and
// the refresh interval (all in ms): never sooner than one interval after the
// last, and never in the past.
double qvNextPresentTime(double lastTarget, double now, double interval);

// ---- Fonts (sdl_fonts.cpp) ------------------------------------------------------
// Closes every open font and SDL_ttf (the layer's shut-down and tests).
void qvCloseBackendFonts();
