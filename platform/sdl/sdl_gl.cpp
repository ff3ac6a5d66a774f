// sdl_gl.cpp: the SDL backend's OpenGL: the formats the display's GL offers,
// contexts on SDL's GL windows, and SwapBuffers paced to the display.
//
// Pairs with core/gdi_wgl.cpp, which keeps the pixel-format list, the HGLRC
// records and each window's swap interval, and calls the qvb* functions here;
// and sdl_window.cpp, which makes a window's SDL window an OpenGL one (the X
// visual is chosen when a window is made).
//
// Implemented: the colour layout of the desktop (3-3-2 through a palette on
//   a palette display); each candidate format tried on a hidden window, all
//   inside one X-error bracket (no OpenGL at all, or a driver that answers
//   with X errors, offers nothing); compatibility-profile contexts (the
//   fixed-function pipeline), created without taking the current context
//   from the program; presenting at most once per that many display refreshes
//   (the driver's vsync where it really paces, else the backend waits out the
//   interval itself, 60 Hz when the display reports no rate; a driver that
//   claims vsync and returns at once loses that trust).
// Left out: layer planes, context sharing, other profiles.
#include "../core/qv_internal.h"

#include <cerrno>
#include <ctime>

namespace {

// The refresh rate assumed when the display reports none.
const double fallbackRefreshHz = 60.0;
// A vsync'd swap that returns sooner than this share of the interval, this
// many times in a row, shows that the driver does not really wait.
const double quickSwapShare = 0.5;
const int quickSwapLimit = 8;

// Number of bits set in a channel mask and where they start.
void maskBits(Uint32 mask, BYTE *bits, BYTE *shift) {
    *bits = 0;
    *shift = 0;
    if (!mask) return;
    int first = 0;
    while (!(mask & (1u << first))) first++;
    int count = 0;
    while (first + count < 32 && (mask & (1u << (first + count)))) count++;
    *bits = static_cast<BYTE>(count);
    *shift = static_cast<BYTE>(first);
}

// True when the display can make a hidden GL window with this format.
bool displayOffers(const PIXELFORMATDESCRIPTOR &pfd) {
    qvSetGlAttributes(pfd);
    SDL_Window *probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS);
    if (!probe) return false;
    bool answered = qvNoXErrorSoFar(probe);
    SDL_DestroyWindow(probe);
    return answered;
}

// Sleeps until the fine clock reaches targetMs.
void sleepUntil(double targetMs) {
    double wait = targetMs - qvbPreciseNowMs();
    if (wait <= 0) return;
    timespec delay;
    delay.tv_sec = static_cast<time_t>(wait / 1000.0);
    delay.tv_nsec = static_cast<long>((wait - delay.tv_sec * 1000.0) * 1.0e6);
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {}
}

}  // namespace

void qvSetGlAttributes(const PIXELFORMATDESCRIPTOR &pfd) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, pfd.cRedBits);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, pfd.cGreenBits);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, pfd.cBlueBits);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, pfd.cAlphaBits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, pfd.cDepthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, pfd.cStencilBits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (pfd.dwFlags & PFD_DOUBLEBUFFER) ? 1 : 0);
    // The program draws with the fixed-function pipeline.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

double qvNextPresentTime(double lastTarget, double now, double interval) {
    if (!(interval > 0)) return now;
    double next = lastTarget + interval;
    // Late (or the clock went back): present now and count the cadence from here.
    if (!(next >= now) || next > now + interval) return now;
    return next;
}

// ===========================================================================
// Formats
// ===========================================================================

PIXELFORMATDESCRIPTOR qvbDisplayColourLayout() {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.iLayerType = PFD_MAIN_PLANE;
    SDL_DisplayMode mode;
    Uint32 format = SDL_PIXELFORMAT_RGB888;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.format != SDL_PIXELFORMAT_UNKNOWN) format = mode.format;
    if (SDL_ISPIXELFORMAT_INDEXED(format)) {
        // A palette display: GL renders 3-3-2 RGB through a palette.
        format = SDL_PIXELFORMAT_RGB332;
        pfd.dwFlags |= PFD_NEED_PALETTE;
    }
    int bpp = 0;
    Uint32 red = 0, green = 0, blue = 0, alpha = 0;
    SDL_PixelFormatEnumToMasks(format, &bpp, &red, &green, &blue, &alpha);
    pfd.cColorBits = static_cast<BYTE>(SDL_BYTESPERPIXEL(format) * 8);
    maskBits(red, &pfd.cRedBits, &pfd.cRedShift);
    maskBits(green, &pfd.cGreenBits, &pfd.cGreenShift);
    maskBits(blue, &pfd.cBlueBits, &pfd.cBlueShift);
    return pfd;
}

void qvbKeepOfferedPixelFormats(std::vector<PIXELFORMATDESCRIPTOR> *formats) {
    // A broken driver answers with X errors: the display then offers nothing.
    qvCatchXErrors();
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        qvStopCatchingXErrors("loading OpenGL");
        qvError("this display offers no OpenGL");
        formats->clear();
        return;
    }
    std::vector<PIXELFORMATDESCRIPTOR> offered;
    for (const PIXELFORMATDESCRIPTOR &pfd : *formats)
        if (displayOffers(pfd)) offered.push_back(pfd);
    formats->clear();
    if (!qvStopCatchingXErrors("looking for OpenGL pixel formats")) return;
    *formats = offered;
    SDL_ClearError();
}

// ===========================================================================
// Contexts
// ===========================================================================

bool qvbCreateGlContext(QvGlContext *context, QvWindow *win, const PIXELFORMATDESCRIPTOR &format) {
    // SDL makes a new context current; WGL does not, so the old one comes back.
    SDL_Window *previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
    qvSetGlAttributes(format);
    qvCatchXErrors();
    SDL_GLContext created = SDL_GL_CreateContext(win->native.sdlWindow);
    qvNoXErrorSoFar(win->native.sdlWindow);
    if (!qvStopCatchingXErrors("wglCreateContext")) {
        if (created) SDL_GL_DeleteContext(created);
        created = nullptr;
    } else if (!created) {
        qvError("wglCreateContext failed");
    }
    SDL_GL_MakeCurrent(previousContext ? previousWindow : nullptr, previousContext);
    context->native.sdlContext = created;
    return created != nullptr;
}

void qvbDeleteGlContext(QvGlContext *context) {
    SDL_GL_DeleteContext(context->native.sdlContext);
    context->native.sdlContext = nullptr;
}

bool qvbMakeCurrent(QvWindow *win, QvGlContext *context) {
    if (!win || !context) {
        if (qv.backend.videoReady) SDL_GL_MakeCurrent(nullptr, nullptr);
        return true;
    }
    if (SDL_GL_MakeCurrent(win->native.sdlWindow, context->native.sdlContext) != 0) return false;
    qvbSetSwapInterval(win, win->swapInterval);
    return true;
}

void *qvbGetProcAddress(const char *name) {
    return SDL_GL_GetProcAddress(name);
}

// ===========================================================================
// Pacing
// ===========================================================================

void qvbSetSwapInterval(QvWindow *win, int refreshesPerSwap) {
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(win->native.sdlWindow);
    double hz = fallbackRefreshHz;
    if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) == 0 && mode.refresh_rate > 0)
        hz = mode.refresh_rate;
    qv.backend.refreshIntervalMs = 1000.0 / hz;
    // The offscreen driver accepts vsync and ignores it; Xvfb refuses it.
    if (refreshesPerSwap == 0) {
        SDL_GL_SetSwapInterval(0);
        qv.backend.vsyncTrusted = false;
    } else {
        qv.backend.vsyncTrusted = SDL_GL_SetSwapInterval(refreshesPerSwap) == 0 && !qvInvisibleVideoDriver();
    }
    qv.backend.quickSwaps = 0;
}

void qvbSwapBuffers(QvWindow *win) {
    QvBackendLayer &b = qv.backend;
    if (win->swapInterval == 0) {
        SDL_GL_SwapWindow(win->native.sdlWindow);
        b.lastPresentMs = qvbPreciseNowMs();
        return;
    }
    double interval = b.refreshIntervalMs * win->swapInterval;
    if (b.vsyncTrusted) {
        double before = b.lastPresentMs;
        SDL_GL_SwapWindow(win->native.sdlWindow);
        double now = qvbPreciseNowMs();
        // A driver that claims vsync but returns at once loses our trust.
        b.quickSwaps = (now - before < interval * quickSwapShare) ? b.quickSwaps + 1 : 0;
        if (b.quickSwaps >= quickSwapLimit) b.vsyncTrusted = false;
        b.lastPresentMs = now;
        return;
    }
    double target = qvNextPresentTime(b.lastPresentMs, qvbPreciseNowMs(), interval);
    sleepUntil(target);
    SDL_GL_SwapWindow(win->native.sdlWindow);
    b.lastPresentMs = target;
}
