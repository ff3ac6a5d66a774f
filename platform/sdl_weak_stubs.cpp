// sdl_weak_stubs.cpp: TEMPORARY scaffolding while the layer is being written.
//
// Weak definitions of every call in windows.h, returning the failure value, so
// that the application and its tests link before each call has its real
// implementation. A real definition anywhere in the layer overrides the weak
// one. This file is deleted once every call is implemented.
#include <windows.h>

extern "C" {
__attribute__((weak)) ATOM WINAPI RegisterClassA(const WNDCLASSA *wndClass) { return 0; }
__attribute__((weak)) HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) { return 0; }
__attribute__((weak)) LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return 0; }
__attribute__((weak)) BOOL WINAPI DestroyWindow(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI IsWindow(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI IsWindowVisible(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI ShowWindow(HWND hwnd, int cmdShow) { return 0; }
__attribute__((weak)) BOOL WINAPI UpdateWindow(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase) { return 0; }
__attribute__((weak)) BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) { return 0; }
__attribute__((weak)) BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) { return 0; }
__attribute__((weak)) HWND WINAPI GetParent(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) { return 0; }
__attribute__((weak)) LONG WINAPI GetWindowLongA(HWND hwnd, int index) { return 0; }
__attribute__((weak)) HDC WINAPI GetDC(HWND hwnd) { return 0; }
__attribute__((weak)) HWND WINAPI WindowFromDC(HDC hdc) { return 0; }
__attribute__((weak)) HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) { return 0; }
__attribute__((weak)) BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *paint) { return 0; }
__attribute__((weak)) HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) { return 0; }
__attribute__((weak)) HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) { return 0; }
__attribute__((weak)) HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) { return 0; }
__attribute__((weak)) BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return 0; }
__attribute__((weak)) LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) { return 0; }
__attribute__((weak)) BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) { return 0; }
__attribute__((weak)) BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) { return 0; }
__attribute__((weak)) BOOL WINAPI TranslateMessage(const MSG *msg) { return 0; }
__attribute__((weak)) LRESULT WINAPI DispatchMessageA(const MSG *msg) { return 0; }
__attribute__((weak)) UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerFunc) { return 0; }
__attribute__((weak)) BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) { return 0; }
__attribute__((weak)) HWND WINAPI SetCapture(HWND hwnd) { return 0; }
__attribute__((weak)) BOOL WINAPI ReleaseCapture(void) { return 0; }
__attribute__((weak)) HWND WINAPI GetCapture(void) { return 0; }
__attribute__((weak)) HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogFunc, LPARAM initParam) { return 0; }
__attribute__((weak)) BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) { return 0; }
__attribute__((weak)) HWND WINAPI GetDlgItem(HWND dialog, int id) { return 0; }
__attribute__((weak)) BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) { return 0; }
__attribute__((weak)) BOOL WINAPI GetScrollRange(HWND hwnd, int bar, int *minPos, int *maxPos) { return 0; }
__attribute__((weak)) BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR *pfd) { return 0; }
__attribute__((weak)) HPALETTE WINAPI CreatePalette(const LOGPALETTE *palette) { return 0; }
__attribute__((weak)) HPALETTE WINAPI SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground) { return 0; }
__attribute__((weak)) UINT WINAPI RealizePalette(HDC hdc) { return 0; }
__attribute__((weak)) BOOL WINAPI UnrealizeObject(HGDIOBJ object) { return 0; }
__attribute__((weak)) BOOL WINAPI DeleteObject(HGDIOBJ object) { return 0; }
__attribute__((weak)) BOOL WINAPI SwapBuffers(HDC hdc) { return 0; }
__attribute__((weak)) HGLRC WINAPI wglCreateContext(HDC hdc) { return 0; }
__attribute__((weak)) BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC context) { return 0; }
__attribute__((weak)) BOOL WINAPI wglDeleteContext(HGLRC context) { return 0; }
__attribute__((weak)) HGLRC WINAPI wglGetCurrentContext(void) { return 0; }
}
