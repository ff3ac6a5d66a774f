// The wrapped calls of layer_spy.h: count, pass on, or fail when asked.
#include "support/layer_spy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/core/qv_internal.h"

LayerSpy layerSpy;

void resetLayerSpy() {
    layerSpy = LayerSpy{};
}

namespace {

const Uint64 frameMs = 16;  // a frame at 60 Hz
bool waitingClockOn = false;
Uint64 waitingClockMs = 0;

Uint64 readWaitingClock() {
    return waitingClockMs;
}

// When GetMessageA would sleep (nothing passing its filters is there now),
// moves the waiting clock on to the earliest timer.
void waitForNextTimer(HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!waitingClockOn || qv.timers.empty()) return;
    MSG ready;
    if (PeekMessageA(&ready, hwnd, filterMin, filterMax, PM_NOREMOVE)) return;
    Uint64 next = qv.timers.front().dueMs;
    for (const QvTimer &timer : qv.timers) next = std::min(next, timer.dueMs);
    waitingClockMs = std::max(waitingClockMs, next);
}

}  // namespace

void useWaitingClock() {
    waitingClockMs = qvNowMs();
    waitingClockOn = true;
    qv.clockMs = readWaitingClock;
}

void useRealClock() {
    waitingClockOn = false;
    qv.clockMs = nullptr;
}

extern "C" {
BOOL WINAPI __real_SwapBuffers(HDC hdc);
HWND WINAPI __real_CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                   int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL WINAPI __real_GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax);
int WINAPI __real_ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd);
BOOL WINAPI __real_SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *pfd);
int WINAPI __real_DescribePixelFormat(HDC hdc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR pfd);
HPALETTE WINAPI __real_CreatePalette(const LOGPALETTE *palette);
HPALETTE WINAPI __real_SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
UINT WINAPI __real_RealizePalette(HDC hdc);
PROC WINAPI __real_wglGetProcAddress(LPCSTR name);

typedef BOOL(WINAPI *SwapIntervalProc)(int interval);
static SwapIntervalProc layerSwapInterval = nullptr;

static BOOL WINAPI spySwapInterval(int interval) {
    layerSpy.swapIntervals.push_back(interval);
    layerSpy.contextAtSwapInterval = wglGetCurrentContext();
    return layerSwapInterval(interval);
}

PROC WINAPI __wrap_wglGetProcAddress(LPCSTR name) {
    PROC entry = __real_wglGetProcAddress(name);
    if (entry == nullptr || std::strcmp(name, "wglSwapIntervalEXT") != 0) return entry;
    if (layerSpy.swapControlMissing) return nullptr;
    layerSwapInterval = reinterpret_cast<SwapIntervalProc>(reinterpret_cast<void (*)(void)>(entry));
    return reinterpret_cast<PROC>(reinterpret_cast<void (*)(void)>(spySwapInterval));
}

BOOL WINAPI __wrap_SwapBuffers(HDC hdc) {
    layerSpy.swapBuffersCalls++;
    if (waitingClockOn) waitingClockMs += frameMs;
    return __real_SwapBuffers(hdc);
}

HWND WINAPI __wrap_CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                                   int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (layerSpy.createWindowFails) return nullptr;
    return __real_CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent, menu, instance,
                                  param);
}

BOOL WINAPI __wrap_GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (layerSpy.getMessageCallsBeforeFailure == 0) {
        layerSpy.getMessageCallsBeforeFailure = -1;
        return -1;
    }
    if (layerSpy.getMessageCallsBeforeFailure > 0) layerSpy.getMessageCallsBeforeFailure--;
    waitForNextTimer(hwnd, filterMin, filterMax);
    return __real_GetMessageA(msg, hwnd, filterMin, filterMax);
}

int WINAPI __wrap_ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR *pfd) {
    if (layerSpy.choosePixelFormatFails) return 0;
    return __real_ChoosePixelFormat(hdc, pfd);
}

BOOL WINAPI __wrap_SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *pfd) {
    if (layerSpy.overrideSetPixelFormat) return layerSpy.setPixelFormatResult;
    return __real_SetPixelFormat(hdc, format, pfd);
}

int WINAPI __wrap_DescribePixelFormat(HDC hdc, int format, UINT bytes, LPPIXELFORMATDESCRIPTOR pfd) {
    if (!layerSpy.overrideDescribedFormat) return __real_DescribePixelFormat(hdc, format, bytes, pfd);
    if (pfd != nullptr && bytes >= sizeof *pfd) *pfd = layerSpy.describedFormat;
    return 1;
}

HPALETTE WINAPI __wrap_CreatePalette(const LOGPALETTE *palette) {
    layerSpy.createPaletteCalls++;
    layerSpy.paletteVersion = palette->palVersion;
    layerSpy.paletteCount = palette->palNumEntries;
    layerSpy.paletteEntries.assign(palette->palPalEntry, palette->palPalEntry + palette->palNumEntries);
    if (layerSpy.createPaletteFails) return nullptr;
    return __real_CreatePalette(palette);
}

HPALETTE WINAPI __wrap_SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) {
    layerSpy.selectPaletteCalls++;
    return __real_SelectPalette(hdc, palette, forceBackground);
}

UINT WINAPI __wrap_RealizePalette(HDC hdc) {
    layerSpy.realizePaletteCalls++;
    return __real_RealizePalette(hdc);
}

int WINAPI __wrap_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    layerSpy.messageBoxCalls++;
    std::fprintf(stderr, "MessageBoxA owner=%s type=0x%x caption=[%s] text=[%s]\n",
                 owner == layerSpy.expectedBoxOwner ? "expected" : "other", type, caption != nullptr ? caption : "",
                 text != nullptr ? text : "");
    std::fflush(stderr);
    return IDOK;
}
}
