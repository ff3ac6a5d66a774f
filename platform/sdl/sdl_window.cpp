// sdl_window.cpp: the SDL backend's window operations: each top-level
// window's SDL window, created hidden, shown, hidden, minimised, maximised,
// restored, titled, moved and sized, and the dialogs' 2-D client images put
// on it.
//
// Pairs with core/window.cpp, which decides when a window is realised,
// shown or sized and calls the qvb* functions here, and sdl_x11_frame.cpp,
// which asks the window manager for frames and sets its hints.
//
// Implemented: windows created hidden at their frame position (the window
//   manager puts the FRAME there) with the client size, borderless without a
//   frame, resizable with WS_THICKFRAME, made for OpenGL on request (a plain
//   window is then replaced, since the X visual is chosen when a window is
//   made); the class icon; an owned window kept in front of its owner (the
//   transient-for hint; drivers without window managers refuse it);
//   the window-manager hints before every mapping; the frame asked for before
//   the first mapping and learnt on it; images shown through SDL's window
//   surface, or put in the window's own pixel format where SDL has no
//   surface for it (a 30-bit display).
// Left out: cursors, window opacity, fullscreen, several displays (the
//   screen is display 0).
#include "../core/qv_internal.h"

#include <algorithm>

namespace {

// Creates the SDL window of a top-level window at its frame position.
SDL_Window *createSdlWindow(QvWindow *win, bool withGl) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (withGl) flags |= SDL_WINDOW_OPENGL;
    if (!qvbHasFrame(win->style)) flags |= SDL_WINDOW_BORDERLESS;
    if (win->style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    // SDL cannot make a 0 x 0 window; the client size stays what it is.
    int w = std::max(1, win->clientWidth);
    int h = std::max(1, win->clientHeight);
    // Created hidden at (x, y), the window manager puts the FRAME there.
    return SDL_CreateWindow(win->text.c_str(), win->rect.left, win->rect.top, w, h, flags);
}

// An SDL surface over an image's pixels (no copy), in the format given.
SDL_Surface *surfaceOver(const QvImage &image, Uint32 format) {
    return SDL_CreateRGBSurfaceWithFormatFrom(image.pixels, image.width, image.height, 32, image.pitch, format);
}

}  // namespace

QvWindow *qvWindowFromSdlId(Uint32 sdlWindowId) {
    if (sdlWindowId == 0) return nullptr;
    for (HWND hwnd : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (win && win->native.sdlWindowId == sdlWindowId) return win;
    }
    return nullptr;
}

bool qvbHasWindow(const QvWindow *win) {
    return win->native.sdlWindow != nullptr;
}

bool qvbIsGlWindow(const QvWindow *win) {
    return win->native.sdlWindow && win->native.glWindow;
}

bool qvbCreateWindow(QvWindow *win, bool withGl) {
    if (win->native.sdlWindow && (win->native.glWindow || !withGl)) return true;
    if (!qvEnsureVideo()) return false;
    // The X visual is chosen when the window is made: from its pixel format.
    if (withGl && win->pixelFormat >= 1 && static_cast<size_t>(win->pixelFormat) <= qv.pixelFormats.size())
        qvSetGlAttributes(qv.pixelFormats[win->pixelFormat - 1]);
    SDL_Window *created = createSdlWindow(win, withGl);
    if (!created) {
        qvError("cannot create the window \"%s\"", win->text.c_str());
        return false;
    }
    SDL_Window *old = win->native.sdlWindow;
    win->native.sdlWindow = created;
    win->native.sdlWindowId = SDL_GetWindowID(created);
    win->native.glWindow = withGl;
    // A window whose client area gets what its frame leaves asks for the frame
    // now: the answer is usually in by the time the window is shown.
    qvRequestFrame(win);
    if (const QvImage *icon = win->cls->icon ? qvIconImage(win->cls->icon) : nullptr) {
        if (SDL_Surface *image = surfaceOver(*icon, SDL_PIXELFORMAT_ARGB8888)) {
            SDL_SetWindowIcon(created, image);
            SDL_FreeSurface(image);
        }
    }
    // An owned window stays in front of its owner, as on Windows: on X11 that
    // is the transient-for hint. Drivers without window managers refuse it.
    QvWindow *owner = qvWindowFromHandle(win->owner);
    if (owner && owner->native.sdlWindow && SDL_SetWindowModalFor(created, owner->native.sdlWindow) != 0)
        SDL_ClearError();
    qvSetWindowManagerHints(win);
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

void qvbDestroyWindow(QvWindow *win) {
    if (win->native.sdlWindow) SDL_DestroyWindow(win->native.sdlWindow);
    win->native = QvBackendWindow{};
}

void qvbShowWindow(QvWindow *win) {
    // The window manager forgets a window's state while it is withdrawn.
    qvSetWindowManagerHints(win);
    SDL_ShowWindow(win->native.sdlWindow);
    if (!win->mapped) {
        win->mapped = true;
        qvLearnFrameOnMap(win);
    }
}

void qvbHideWindow(QvWindow *win) {
    if (win->native.sdlWindow) SDL_HideWindow(win->native.sdlWindow);
}

void qvbMinimizeWindow(QvWindow *win) {
    SDL_MinimizeWindow(win->native.sdlWindow);
}

void qvbMaximizeWindow(QvWindow *win) {
    SDL_MaximizeWindow(win->native.sdlWindow);
}

void qvbRestoreWindow(QvWindow *win) {
    SDL_RestoreWindow(win->native.sdlWindow);
}

bool qvbIsMinimized(const QvWindow *win) {
    return win->native.sdlWindow && (SDL_GetWindowFlags(win->native.sdlWindow) & SDL_WINDOW_MINIMIZED);
}

bool qvbIsMaximized(const QvWindow *win) {
    return win->native.sdlWindow && (SDL_GetWindowFlags(win->native.sdlWindow) & SDL_WINDOW_MAXIMIZED);
}

void qvbSetWindowTitle(QvWindow *win, const char *title) {
    if (win->native.sdlWindow) SDL_SetWindowTitle(win->native.sdlWindow, title);
}

void qvbSetClientPosition(QvWindow *win, int x, int y) {
    SDL_SetWindowPosition(win->native.sdlWindow, x, y);
}

bool qvbGetClientPosition(const QvWindow *win, int *x, int *y) {
    if (!win->native.sdlWindow || !win->mapped) return false;
    SDL_GetWindowPosition(win->native.sdlWindow, x, y);
    return true;
}

void qvbSetClientSize(QvWindow *win, int width, int height) {
    SDL_SetWindowSize(win->native.sdlWindow, width, height);
}

void qvbGetClientSize(const QvWindow *win, int *width, int *height) {
    SDL_GetWindowSize(win->native.sdlWindow, width, height);
}

bool qvbPresentImage(QvWindow *win, const QvImage &image) {
    SDL_Surface *source = surfaceOver(image, SDL_PIXELFORMAT_RGB888);
    if (!source) return false;
    bool shown;
    SDL_Surface *surface = SDL_GetWindowSurface(win->native.sdlWindow);
    if (surface) {
        SDL_BlitSurface(source, nullptr, surface, nullptr);
        shown = SDL_UpdateWindowSurface(win->native.sdlWindow) == 0;
    } else {
        // A display SDL makes no surface for (30-bit): put in its own format.
        SDL_ClearError();
        shown = qvPutImage(win->native.sdlWindow, source);
    }
    SDL_FreeSurface(source);
    return shown;
}

bool qvbScreenSize(int *width, int *height) {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    *width = mode.w;
    *height = mode.h;
    return true;
}
