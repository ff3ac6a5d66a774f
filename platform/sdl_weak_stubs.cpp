// sdl_weak_stubs.cpp: TEMPORARY scaffolding while the layer is being written.
//
// Weak definitions of every call in windows.h, returning the failure value, so
// that the application and its tests link before each call has its real
// implementation. A real definition anywhere in the layer overrides the weak
// one. This file is deleted once every call is implemented.
#include <windows.h>

extern "C" {
__attribute__((weak)) HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) { return 0; }
__attribute__((weak)) HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogFunc, LPARAM initParam) { return 0; }
__attribute__((weak)) BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) { return 0; }
__attribute__((weak)) HWND WINAPI GetDlgItem(HWND dialog, int id) { return 0; }
__attribute__((weak)) int WINAPI SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) { return 0; }
__attribute__((weak)) int WINAPI GetScrollPos(HWND hwnd, int bar) { return 0; }
__attribute__((weak)) BOOL WINAPI SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw) { return 0; }
__attribute__((weak)) BOOL WINAPI GetScrollRange(HWND hwnd, int bar, int *minPos, int *maxPos) { return 0; }
}
