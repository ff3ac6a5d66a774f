// paint.cpp: painting and device contexts of the layer's windows.
//
// Pairs with window.cpp (the windows) and gdi_wgl.cpp (what a DC is
// used for: palettes, pixel formats, GL contexts).
//
// Implemented:
//   InvalidateRect (a null window repaints every top-level window),
//   UpdateWindow, BeginPaint/EndPaint (WM_ERASEBKGND inside BeginPaint when
//   the invalidation asked for it; a child paints all of itself), GetDC,
//   ReleaseDC, WindowFromDC (one private DC for CS_OWNDC). A child's
//   invalidation is carried by its top-level window, translated into the
//   top-level's client area.
// Left out: regions (the update region is a bounding rectangle),
//   ValidateRect, GetUpdateRect, RedrawWindow, GetWindowDC, class background
//   brushes (nothing is erased), WM_NCPAINT.
#include "qv_internal.h"

#include <algorithm>
#include <cstring>

void qvInvalidate(QvWindow *win, const RECT *rect, bool erase) {
    if (!win || !IsWindowVisible(win->handle)) return;
    QvWindow *top = qvTopLevelOf(win);
    if (top->minimized) return;
    POINT offset = qvClientOffsetInTopLevel(win);
    RECT area = rect ? *rect : RECT{0, 0, win->clientWidth, win->clientHeight};
    // Into the top-level's client area, clipped to it.
    area.left = std::max<LONG>(area.left + offset.x, 0);
    area.top = std::max<LONG>(area.top + offset.y, 0);
    area.right = std::min<LONG>(area.right + offset.x, top->clientWidth);
    area.bottom = std::min<LONG>(area.bottom + offset.y, top->clientHeight);
    if (area.left >= area.right || area.top >= area.bottom) return;
    if (top->needsPaint) {
        top->updateRect.left = std::min(top->updateRect.left, area.left);
        top->updateRect.top = std::min(top->updateRect.top, area.top);
        top->updateRect.right = std::max(top->updateRect.right, area.right);
        top->updateRect.bottom = std::max(top->updateRect.bottom, area.bottom);
    } else {
        top->updateRect = area;
    }
    top->needsPaint = true;
    top->needsErase = top->needsErase || erase;
}

extern "C" {

BOOL WINAPI UpdateWindow(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    QvWindow *top = qvTopLevelOf(win);
    if (top->needsPaint && top->visible && !top->minimized) SendMessageA(top->handle, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT *rect, BOOL erase) {
    if (!hwnd) {
        // No window: every top-level window is repainted.
        std::vector<HWND> tops = qv.topLevels;
        for (HWND top : tops) qvInvalidate(qvWindowFromHandle(top), nullptr, erase != FALSE);
        return TRUE;
    }
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return FALSE;
    qvInvalidate(win, rect, erase != FALSE);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
    if (!paint) return nullptr;
    // Filled on every path, as Windows does: a failed BeginPaint leaves it
    // zeroed, so the EndPaint that follows releases nothing.
    std::memset(paint, 0, sizeof *paint);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    HDC hdc = GetDC(hwnd);
    paint->hdc = hdc;
    QvWindow *top = qvTopLevelOf(win);
    if (top != win) {
        // A child paints all of itself; the top-level's region stays.
        paint->rcPaint = RECT{0, 0, win->clientWidth, win->clientHeight};
        return hdc;
    }
    bool erase = win->needsErase;
    paint->rcPaint = win->needsPaint ? win->updateRect : RECT{0, 0, 0, 0};
    // Validate first: painting that invalidates again is kept.
    win->needsPaint = false;
    win->needsErase = false;
    win->updateRect = RECT{0, 0, 0, 0};
    if (erase) paint->fErase = SendMessageA(hwnd, WM_ERASEBKGND, qvKey(hdc), 0) == 0;
    return hdc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT *paint) {
    if (!paint) return FALSE;
    ReleaseDC(hwnd, paint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) {
    if (!hwnd) return qvCreateDc(nullptr, false);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    if (win->cls->style & CS_OWNDC) {
        if (!win->ownDc) win->ownDc = qvCreateDc(hwnd, true);
        return win->ownDc;
    }
    return qvCreateDc(hwnd, false);
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    (void)hwnd;
    QvDc *dc = qvDcFromHandle(hdc);
    if (!dc) return 0;
    if (!dc->own) qvFreeDc(hdc);  // a private DC stays with its window
    return 1;
}

HWND WINAPI WindowFromDC(HDC hdc) {
    QvDc *dc = qvDcFromHandle(hdc);
    return dc ? dc->window : nullptr;
}

}  // extern "C"
