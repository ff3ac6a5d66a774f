// gdi_wgl.cpp: device contexts, pixel formats, palettes and OpenGL
// contexts (the GDI and WGL subset): the records, with the backend's GL
// underneath (qvbCreateGlContext, qvbMakeCurrent, qvbSwapBuffers).
//
// Pairs with window.cpp: a window's backend window becomes an OpenGL one when
// its pixel format is set (qvRealizeWindow), since an X visual is chosen when
// a window is made.
//
// Implemented: ChoosePixelFormat, DescribePixelFormat, SetPixelFormat,
//   GetPixelFormat over a list built once from what the display's OpenGL
//   offers (the backend keeps the candidates it can make a window of; no
//   OpenGL at all gives an empty list, and ChoosePixelFormat returns 0);
//   CreatePalette,
//   SelectPalette, RealizePalette, UnrealizeObject, DeleteObject as real
//   objects with the stock default palette; wglCreateContext (compatibility
//   profile, so the fixed-function pipeline runs; the current context is left
//   as it was), wglMakeCurrent, wglDeleteContext, wglGetCurrentContext;
//   wglGetProcAddress for WGL_EXT_swap_control (wglSwapIntervalEXT and
//   wglGetSwapIntervalEXT, the interval kept per window); SwapBuffers
//   presenting at most once per that many display refreshes (the backend's
//   pacing); one refresh until the program asks for another interval, at
//   once when it asks for 0.
// Left out: GDI drawing (brushes, pens, text, bitmaps), the system palette and
//   WM_PALETTECHANGED broadcasts (no palette display offers OpenGL here),
//   layer planes, wglShareLists, the GL functions (the program links them)
//   and every other wgl extension.
#include "qv_internal.h"

#include <algorithm>
#include <cstring>

namespace {

// Windows' default palette: the 20 static colours.
const PALETTEENTRY defaultPaletteColours[20] = {
    {0, 0, 0, 0},       {128, 0, 0, 0},     {0, 128, 0, 0},     {128, 128, 0, 0},   {0, 0, 128, 0},
    {128, 0, 128, 0},   {0, 128, 128, 0},   {192, 192, 192, 0}, {192, 220, 192, 0}, {166, 202, 240, 0},
    {255, 251, 240, 0}, {160, 160, 164, 0}, {128, 128, 128, 0}, {255, 0, 0, 0},     {0, 255, 0, 0},
    {255, 255, 0, 0},   {0, 0, 255, 0},     {255, 0, 255, 0},   {0, 255, 255, 0},   {255, 255, 255, 0},
};
// The version LOGPALETTE must carry.
const WORD logPaletteVersion = 0x300;

// Candidate buffer layouts, best first: double buffering, then depth and stencil.
struct BufferLayout {
    bool doubleBuffer;
    int depthBits;
    int stencilBits;
};
const BufferLayout candidateLayouts[] = {
    {true, 24, 8}, {true, 16, 0}, {true, 0, 0}, {false, 24, 8}, {false, 16, 0}, {false, 0, 0},
};

// How far a format is from a request; lower is better.
int formatDistance(const PIXELFORMATDESCRIPTOR &want, const PIXELFORMATDESCRIPTOR &have) {
    int distance = 0;
    if (!(want.dwFlags & PFD_DOUBLEBUFFER_DONTCARE) &&
        ((want.dwFlags & PFD_DOUBLEBUFFER) != 0) != ((have.dwFlags & PFD_DOUBLEBUFFER) != 0))
        distance += 10000;
    if (!(want.dwFlags & PFD_DEPTH_DONTCARE)) {
        if (want.cDepthBits > 0 && have.cDepthBits == 0) distance += 5000;
        if (have.cDepthBits < want.cDepthBits)
            distance += 100 * (want.cDepthBits - have.cDepthBits);
        else
            distance += have.cDepthBits - want.cDepthBits;
    }
    if (have.cStencilBits < want.cStencilBits)
        distance += 1000;
    else
        distance += have.cStencilBits - want.cStencilBits;
    if (have.cColorBits < want.cColorBits) distance += 10 * (want.cColorBits - have.cColorBits);
    return distance;
}

// The window behind a DC, or null.
QvWindow *windowOfDc(HDC hdc) {
    QvDc *dc = qvDcFromHandle(hdc);
    return dc ? qvWindowFromHandle(dc->window) : nullptr;
}

QvPalette *paletteFromHandle(HPALETTE handle) {
    auto found = qv.palettes.find(qvKey(handle));
    return found == qv.palettes.end() ? nullptr : found->second.get();
}

QvGlContext *contextFromHandle(HGLRC handle) {
    auto found = qv.glContexts.find(qvKey(handle));
    return found == qv.glContexts.end() ? nullptr : found->second.get();
}

// The stock palette every DC starts with.
HPALETTE stockPalette() {
    if (!qv.stockPalette) {
        auto palette = std::make_unique<QvPalette>();
        palette->handle = qvHandle<HPALETTE>(qvNewHandle());
        palette->entries.assign(std::begin(defaultPaletteColours), std::end(defaultPaletteColours));
        palette->stock = true;
        qv.stockPalette = palette->handle;
        qv.palettes[qvKey(palette->handle)] = std::move(palette);
    }
    return qv.stockPalette;
}

// The window the current context draws into, or null.
QvWindow *currentWindow() {
    QvGlContext *context = contextFromHandle(qv.currentContext);
    return context ? windowOfDc(context->currentDc) : nullptr;
}

// WGL_EXT_swap_control, reached through wglGetProcAddress only (as on Windows).
BOOL WINAPI swapIntervalEXT(int refreshesPerSwap) {
    QvWindow *win = currentWindow();
    if (!win || !qvbHasWindow(win) || refreshesPerSwap < 0) return FALSE;
    win->swapInterval = refreshesPerSwap;
    qvbSetSwapInterval(win, refreshesPerSwap);
    return TRUE;
}

int WINAPI getSwapIntervalEXT(void) {
    QvWindow *win = currentWindow();
    return win ? win->swapInterval : 0;
}

struct ExtensionEntry {
    const char *name;
    PROC entry;
};
// GCC accepts a cast through void (*)(void) between function types.
template <typename F>
PROC asProc(F function) {
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)(void)>(function));
}
const ExtensionEntry extensionEntries[] = {
    {"wglSwapIntervalEXT", asProc(swapIntervalEXT)},
    {"wglGetSwapIntervalEXT", asProc(getSwapIntervalEXT)},
};

}  // namespace

// ===========================================================================
// Internal calls
// ===========================================================================

QvDc *qvDcFromHandle(HDC hdc) {
    auto found = qv.dcs.find(qvKey(hdc));
    return found == qv.dcs.end() ? nullptr : found->second.get();
}

HDC qvCreateDc(HWND hwnd, bool own) {
    auto dc = std::make_unique<QvDc>();
    dc->handle = qvHandle<HDC>(qvNewHandle());
    dc->window = hwnd;
    dc->own = own;
    dc->palette = stockPalette();
    HDC handle = dc->handle;
    qv.dcs[qvKey(handle)] = std::move(dc);
    return handle;
}

void qvFreeDc(HDC hdc) {
    qv.dcs.erase(qvKey(hdc));
}

void qvForgetWindowGdi(HWND hwnd) {
    for (auto it = qv.dcs.begin(); it != qv.dcs.end();)
        it = it->second->window == hwnd ? qv.dcs.erase(it) : std::next(it);
    for (auto &entry : qv.glContexts) {
        QvGlContext *context = entry.second.get();
        if (context->currentDc && !qvDcFromHandle(context->currentDc)) {
            // Its window is going: nothing stays current on it.
            qvbMakeCurrent(nullptr, nullptr);
            context->currentDc = nullptr;
            if (qv.currentContext == context->handle) qv.currentContext = nullptr;
        }
    }
}

void qvBuildPixelFormats() {
    if (qv.formatsBuilt) return;
    qv.formatsBuilt = true;
    qv.pixelFormats.clear();
    if (!qvbEnsureVideo()) return;
    // Every candidate has the display's colour layout; the backend keeps
    // those its GL can make a window of.
    PIXELFORMATDESCRIPTOR colour = qvbDisplayColourLayout();
    for (const BufferLayout &layout : candidateLayouts) {
        PIXELFORMATDESCRIPTOR pfd = colour;
        if (layout.doubleBuffer)
            pfd.dwFlags |= PFD_DOUBLEBUFFER;
        else
            pfd.dwFlags |= PFD_SUPPORT_GDI;
        pfd.cDepthBits = static_cast<BYTE>(layout.depthBits);
        pfd.cStencilBits = static_cast<BYTE>(layout.stencilBits);
        qv.pixelFormats.push_back(pfd);
    }
    qvbKeepOfferedPixelFormats(&qv.pixelFormats);
}

// ===========================================================================
// The Win32 calls
// ===========================================================================

extern "C" {

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd) {
    if (!qvDcFromHandle(hdc) || !pfd) return 0;
    qvBuildPixelFormats();
    int best = 0;
    int bestDistance = 0;
    for (size_t i = 0; i < qv.pixelFormats.size(); i++) {
        const PIXELFORMATDESCRIPTOR &have = qv.pixelFormats[i];
        DWORD required = pfd->dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL);
        if ((have.dwFlags & required) != required || have.iPixelType != pfd->iPixelType) continue;
        int distance = formatDistance(*pfd, have);
        if (!best || distance < bestDistance) {
            best = static_cast<int>(i) + 1;
            bestDistance = distance;
        }
    }
    return best;
}

int WINAPI DescribePixelFormat(HDC hdc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR pfd) {
    if (!qvDcFromHandle(hdc)) return 0;
    qvBuildPixelFormats();
    int count = static_cast<int>(qv.pixelFormats.size());
    if (!pfd) return count;
    if (format < 1 || format > count) return 0;
    std::memcpy(pfd, &qv.pixelFormats[format - 1], std::min<size_t>(bytes, sizeof *pfd));
    return count;
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    (void)pfd;  // as on Windows, the index alone decides
    QvWindow *win = windowOfDc(hdc);
    if (!win) return FALSE;
    qvBuildPixelFormats();
    if (format < 1 || static_cast<size_t>(format) > qv.pixelFormats.size()) return FALSE;
    // A window's format is set once.
    if (win->pixelFormat) return win->pixelFormat == format ? TRUE : FALSE;
    if (win->style & WS_CHILD) {
        qvError("SetPixelFormat: OpenGL child windows are not supported");
        return FALSE;
    }
    win->pixelFormat = format;
    if (!qvRealizeWindow(win, true)) {
        win->pixelFormat = 0;
        return FALSE;
    }
    return TRUE;
}

int WINAPI GetPixelFormat(HDC hdc) {
    QvWindow *win = windowOfDc(hdc);
    return win ? win->pixelFormat : 0;
}

HPALETTE WINAPI CreatePalette(const LOGPALETTE *logPalette) {
    if (!logPalette || logPalette->palVersion != logPaletteVersion || logPalette->palNumEntries == 0) return nullptr;
    auto palette = std::make_unique<QvPalette>();
    palette->handle = qvHandle<HPALETTE>(qvNewHandle());
    palette->entries.assign(logPalette->palPalEntry, logPalette->palPalEntry + logPalette->palNumEntries);
    HPALETTE handle = palette->handle;
    qv.palettes[qvKey(handle)] = std::move(palette);
    return handle;
}

HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
    (void)forceBackground;  // there is no system palette to yield
    QvDc *dc = qvDcFromHandle(hdc);
    if (!dc || !paletteFromHandle(palette)) return nullptr;
    HPALETTE previous = dc->palette;
    dc->palette = palette;
    return previous;
}

UINT WINAPI RealizePalette(HDC hdc) {
    QvDc *dc = qvDcFromHandle(hdc);
    if (!dc) return GDI_ERROR;
    // Entries mapped into the system palette: only a palette display has one.
    qvBuildPixelFormats();
    bool paletteDisplay = !qv.pixelFormats.empty() && (qv.pixelFormats[0].dwFlags & PFD_NEED_PALETTE);
    QvPalette *palette = paletteFromHandle(dc->palette);
    if (!paletteDisplay || !palette) return 0;
    return static_cast<UINT>(palette->entries.size());
}

BOOL WINAPI UnrealizeObject(HGDIOBJ object) {
    return paletteFromHandle(static_cast<HPALETTE>(object)) ? TRUE : FALSE;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    HPALETTE handle = static_cast<HPALETTE>(object);
    QvPalette *palette = paletteFromHandle(handle);
    if (!palette) return FALSE;
    if (palette->stock) return TRUE;  // stock objects are never deleted
    for (auto &entry : qv.dcs)
        if (entry.second->palette == handle) return FALSE;  // still selected
    qv.palettes.erase(qvKey(handle));
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc) {
    QvWindow *win = windowOfDc(hdc);
    if (!win || !win->pixelFormat || !qvbIsGlWindow(win)) {
        qvError("wglCreateContext: the DC has no pixel format");
        return nullptr;
    }
    // The backend leaves the current context as it was, as WGL does.
    auto context = std::make_unique<QvGlContext>();
    if (!qvbCreateGlContext(context.get(), win, qv.pixelFormats[win->pixelFormat - 1])) return nullptr;
    context->handle = qvHandle<HGLRC>(qvNewHandle());
    context->window = win->handle;
    HGLRC handle = context->handle;
    qv.glContexts[qvKey(handle)] = std::move(context);
    return handle;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC handle) {
    QvGlContext *current = contextFromHandle(qv.currentContext);
    if (!handle) {
        if (current) current->currentDc = nullptr;
        qv.currentContext = nullptr;
        qvbMakeCurrent(nullptr, nullptr);
        return TRUE;
    }
    QvGlContext *context = contextFromHandle(handle);
    QvWindow *win = windowOfDc(hdc);
    QvWindow *home = context ? qvWindowFromHandle(context->window) : nullptr;
    if (!context || !win || !qvbIsGlWindow(win)) return FALSE;
    // A context draws only into windows of its own pixel format.
    if (home && home->pixelFormat != win->pixelFormat) return FALSE;
    // Made current, the swaps are paced to the window's interval.
    if (!qvbMakeCurrent(win, context)) {
        qvError("wglMakeCurrent failed");
        return FALSE;
    }
    if (current) current->currentDc = nullptr;
    context->currentDc = hdc;
    qv.currentContext = handle;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC handle) {
    QvGlContext *context = contextFromHandle(handle);
    if (!context) return FALSE;
    if (qv.currentContext == handle) wglMakeCurrent(nullptr, nullptr);
    qvbDeleteGlContext(context);
    qv.glContexts.erase(qvKey(handle));
    return TRUE;
}

HGLRC WINAPI wglGetCurrentContext(void) {
    return qv.currentContext;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
    // Extension entry points belong to a context: none without one.
    if (!name || !qv.currentContext) return nullptr;
    for (const ExtensionEntry &extension : extensionEntries)
        if (std::strcmp(extension.name, name) == 0) return extension.entry;
    return nullptr;
}

BOOL WINAPI SwapBuffers(HDC hdc) {
    QvWindow *win = windowOfDc(hdc);
    if (!win || !qvbIsGlWindow(win)) return FALSE;
    qvbSwapBuffers(win);
    return TRUE;
}

}  // extern "C"
