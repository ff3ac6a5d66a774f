// scrollbar.cpp: the SCROLLBAR control (vertical, SB_CTL) that dialog
// templates use, its geometry and the scroll-bar calls.
//
// Implemented:
//   SBS_VERT: arrows, trough and thumb, drawn in the classic Windows look.
//   WM_VSCROLL to the parent: SB_LINEUP / SB_LINEDOWN on the arrows and
//   SB_PAGEUP / SB_PAGEDOWN on the trough (repeated while held),
//   SB_THUMBTRACK with the live position while the thumb is dragged (the
//   thumb snaps back when the pointer strays far from the bar),
//   SB_THUMBPOSITION at the drop, then SB_ENDSCROLL. The thumb moves only
//   through SetScrollPos. SetScrollRange, SetScrollPos, GetScrollRange,
//   GetScrollPos on SB_CTL, GetScrollBarInfo (OBJID_CLIENT: the arrow and
//   thumb geometry; no part states). Arrows and thumb are as tall as the
//   system metrics SM_CYVSCROLL and SM_CYVTHUMB say, as wide as the bar. A
//   disabled bar draws its arrows greyed.
// Left out: keyboard, horizontal scroll bars, the scroll bars of ordinary
//   windows (SB_HORZ, SB_VERT), SCROLLINFO and page sizes (the thumb keeps
//   its size), SBM_* messages, EnableScrollBar, WM_CTLCOLORSCROLLBAR.
#include "qv_dialog_internal.h"

#include <strings.h>

#include <algorithm>

const char qvScrollBarClassName[] = "SCROLLBAR";

namespace {

// While an arrow or the trough is held, the scroll repeats: first after this
// long, then at this interval.
const UINT scrollFirstDelayMs = 200;
const UINT scrollRepeatMs = 50;
const UINT_PTR scrollRepeatTimer = 1;
// Dragged this many bar widths away sideways (or twice as many beyond an end),
// the thumb goes back to where the drag started.
const int thumbStrayWidths = 8;

struct QvScrollBar {
    int minPos = 0;  // a scroll-bar control's range starts empty
    int maxPos = 0;
    int pos = 0;
    QvScrollPart held = QV_SCROLL_NONE;  // the part the left button went down on
    bool heldPartUnderPointer = false;
    // Thumb drag: where the thumb's top was, the position it stood for, and
    // where the pointer grabbed it.
    int dragStartThumbTop = 0;
    int dragStartPos = 0;
    int dragStartY = 0;
    int trackThumbTop = 0;  // where the dragged thumb is drawn
    int trackPos = 0;       // the position it stands for
    int lastPointerY = 0;
    bool repeating = false;
};

QvScrollBar *scrollBarOf(QvWindow *win) {
    if (!win || !win->cls || strcasecmp(win->cls->name.c_str(), qvScrollBarClassName) != 0) return nullptr;
    return static_cast<QvScrollBar *>(win->classData);
}

QvScrollLayout layoutOf(const QvWindow *win, const QvScrollBar *bar) {
    return qvScrollBarLayout(win->clientHeight, bar->minPos, bar->maxPos, bar->pos);
}

// Tells the parent about a scroll: WM_VSCROLL (code, position) from this bar.
void notifyScroll(HWND hwnd, WORD code, int position) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !win->parent) return;
    WPARAM wParam = MAKEWPARAM(code, (WORD)position);
    SendMessageA(win->parent, WM_VSCROLL, wParam, reinterpret_cast<LPARAM>(hwnd));
}

// The scroll code of a held arrow or trough part.
WORD codeOfPart(QvScrollPart part) {
    switch (part) {
    case QV_SCROLL_LINE_UP:
        return SB_LINEUP;
    case QV_SCROLL_LINE_DOWN:
        return SB_LINEDOWN;
    case QV_SCROLL_PAGE_UP:
        return SB_PAGEUP;
    default:
        return SB_PAGEDOWN;
    }
}

// True when the pointer, dragging the thumb, has strayed so far from the bar
// that the thumb goes back to where the drag started.
bool strayedFromBar(const QvWindow *win, int x, int y) {
    int w = win->clientWidth, h = win->clientHeight;
    return x < -thumbStrayWidths * w || x >= w + thumbStrayWidths * w || y < -2 * w || y >= h + 2 * w;
}

// The thumb's top while dragged with the pointer at y, kept inside the trough.
int draggedThumbTop(const QvWindow *win, const QvScrollBar *bar, int y) {
    QvScrollLayout layout = layoutOf(win, bar);
    int top = bar->dragStartThumbTop + y - bar->dragStartY;
    int lowest = win->clientHeight - layout.arrowSize - layout.thumbSize;
    return std::max(layout.arrowSize, std::min(top, lowest));
}

void beginScroll(HWND hwnd, QvWindow *win, QvScrollBar *bar, int y) {
    QvScrollLayout layout = layoutOf(win, bar);
    QvScrollPart part = qvScrollBarHitTest(layout, win->clientHeight, y);
    if (part == QV_SCROLL_NONE) return;
    bar->held = part;
    bar->heldPartUnderPointer = true;
    bar->lastPointerY = y;
    SetCapture(hwnd);
    if (part == QV_SCROLL_THUMB) {
        bar->dragStartThumbTop = layout.thumbTop;
        bar->dragStartY = y;
        bar->trackThumbTop = layout.thumbTop;
        bar->trackPos = bar->pos;
        bar->dragStartPos = bar->pos;
        qvRedrawControl(hwnd);
        return;
    }
    qvRedrawControl(hwnd);
    bar->repeating = true;
    SetTimer(hwnd, scrollRepeatTimer, scrollFirstDelayMs, nullptr);
    notifyScroll(hwnd, codeOfPart(part), 0);
}

void dragThumb(HWND hwnd, QvWindow *win, QvScrollBar *bar, int x, int y) {
    bool strayed = strayedFromBar(win, x, y);
    int top = strayed ? bar->dragStartThumbTop : draggedThumbTop(win, bar, y);
    if (top == bar->trackThumbTop && y == bar->lastPointerY) return;
    bar->lastPointerY = y;
    bar->trackThumbTop = top;
    // Snapped back, the thumb stands for the very position it started from.
    QvScrollLayout layout = layoutOf(win, bar);
    bar->trackPos =
        strayed ? bar->dragStartPos : qvScrollBarValueAt(layout, win->clientHeight, bar->minPos, bar->maxPos, top);
    qvRedrawControl(hwnd);
    notifyScroll(hwnd, SB_THUMBTRACK, bar->trackPos);
}

void endScroll(HWND hwnd, QvScrollBar *bar) {
    QvScrollPart part = bar->held;
    int dropPos = bar->trackPos;
    bar->held = QV_SCROLL_NONE;
    if (bar->repeating) KillTimer(hwnd, scrollRepeatTimer);
    bar->repeating = false;
    qvRedrawControl(hwnd);
    ReleaseCapture();
    if (part == QV_SCROLL_THUMB) notifyScroll(hwnd, SB_THUMBPOSITION, dropPos);
    notifyScroll(hwnd, SB_ENDSCROLL, 0);
}

// Repeats an arrow or page scroll while the part is held and under the pointer.
void repeatScroll(HWND hwnd, QvWindow *win, QvScrollBar *bar) {
    if (bar->held == QV_SCROLL_NONE || bar->held == QV_SCROLL_THUMB) return;
    SetTimer(hwnd, scrollRepeatTimer, scrollRepeatMs, nullptr);
    QvScrollPart under = qvScrollBarHitTest(layoutOf(win, bar), win->clientHeight, bar->lastPointerY);
    if (under == bar->held && bar->heldPartUnderPointer) notifyScroll(hwnd, codeOfPart(bar->held), 0);
}

// A small solid triangle pointing up or down, centred in a square button.
void drawArrowGlyph(const QvCanvas &c, int x, int y, int w, int h, bool up, uint32_t rgb) {
    int rows = std::max(1, (std::min(w, h) + 1) / 4);
    int left = x + (w - (2 * rows - 1)) / 2;
    int top = y + (h - rows) / 2;
    for (int r = 0; r < rows; r++) {
        int halfWidth = up ? r : rows - 1 - r;
        qvFill(c, left + rows - 1 - halfWidth, top + r, 2 * halfWidth + 1, 1, rgb);
    }
}

void drawArrowButton(const QvCanvas &c, int y, int w, int h, bool up, bool pushed, bool enabled) {
    qvFill(c, 0, y, w, h, qvColorFace);
    int shift = pushed ? 1 : 0;
    if (pushed)
        qvDrawFrame(c, 0, y, w, h, qvColorShadow, qvColorShadow);
    else
        qvDrawRaisedEdge(c, 0, y, w, h);
    if (!enabled) drawArrowGlyph(c, shift + 1, y + shift + 1, w, h, up, qvColorHighlight);
    drawArrowGlyph(c, shift, y + shift, w, h, up, enabled ? qvColorText : qvColorShadow);
}

// The trough: a fine checkerboard of lit and face pixels; where it is held
// down, of dark and face pixels.
void drawTrough(const QvCanvas &c, int y, int w, int h, bool held) {
    uint32_t checker = held ? qvColorDarkShadow : qvColorHighlight;
    for (int row = 0; row < h; row++) {
        for (int col = 0; col < w; col++) {
            bool lit = ((row + y + col) & 1) == 0;
            qvFill(c, col, y + row, 1, 1, lit ? checker : qvColorFace);
        }
    }
}

// The scroll-bar control behind hwnd for an SB_CTL call, or null.
QvScrollBar *scrollBarFor(HWND hwnd, int barKind) {
    if (barKind != SB_CTL) return nullptr;
    return scrollBarOf(qvWindowFromHandle(hwnd));
}

}  // namespace

LRESULT CALLBACK qvScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvScrollBar *bar = static_cast<QvScrollBar *>(win->classData);
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_CREATE:
        win->classData = new QvScrollBar;
        return 0;
    case WM_NCDESTROY:
        delete bar;
        win->classData = nullptr;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (bar && bar->held == QV_SCROLL_NONE) beginScroll(hwnd, win, bar, y);
        return 0;
    case WM_MOUSEMOVE:
        if (!bar || bar->held == QV_SCROLL_NONE) return 0;
        if (bar->held == QV_SCROLL_THUMB) {
            dragThumb(hwnd, win, bar, x, y);
        } else {
            bool over = qvPointInClient(win, lParam);
            bar->lastPointerY = y;
            if (over != bar->heldPartUnderPointer) {
                bar->heldPartUnderPointer = over;
                qvRedrawControl(hwnd);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (bar && bar->held != QV_SCROLL_NONE) endScroll(hwnd, bar);
        return 0;
    case WM_TIMER:
        if (bar && wParam == scrollRepeatTimer) repeatScroll(hwnd, win, bar);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away mid-scroll: the scroll ends without a drop.
        if (bar && bar->held != QV_SCROLL_NONE) {
            bar->held = QV_SCROLL_NONE;
            if (bar->repeating) KillTimer(hwnd, scrollRepeatTimer);
            bar->repeating = false;
            qvRedrawControl(hwnd);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void qvPaintScrollBar(QvWindow *win, const QvCanvas &c) {
    const QvScrollBar *bar = static_cast<const QvScrollBar *>(win->classData);
    if (!bar) return;
    int w = win->clientWidth, h = win->clientHeight;
    QvScrollLayout layout = layoutOf(win, bar);
    bool dragging = bar->held == QV_SCROLL_THUMB;
    int thumbTop = dragging ? bar->trackThumbTop : layout.thumbTop;
    bool pressedHere = bar->heldPartUnderPointer;

    int troughTop = layout.arrowSize, troughBottom = h - layout.arrowSize;
    if (layout.thumbSize > 0) {
        drawTrough(c, troughTop, w, thumbTop - troughTop, bar->held == QV_SCROLL_PAGE_UP && pressedHere);
        int below = thumbTop + layout.thumbSize;
        drawTrough(c, below, w, troughBottom - below, bar->held == QV_SCROLL_PAGE_DOWN && pressedHere);
        qvFill(c, 0, thumbTop, w, layout.thumbSize, qvColorFace);
        qvDrawRaisedEdge(c, 0, thumbTop, w, layout.thumbSize);
    } else {
        drawTrough(c, troughTop, w, troughBottom - troughTop, false);
    }
    bool upPushed = bar->held == QV_SCROLL_LINE_UP && pressedHere;
    bool downPushed = bar->held == QV_SCROLL_LINE_DOWN && pressedHere;
    drawArrowButton(c, 0, w, layout.arrowSize, true, upPushed, win->enabled);
    drawArrowButton(c, h - layout.arrowSize, w, layout.arrowSize, false, downPushed, win->enabled);
}

// ===========================================================================
// Scroll-bar geometry
// ===========================================================================

QvScrollLayout qvScrollBarLayout(int height, int minPos, int maxPos, int pos) {
    QvScrollLayout layout;
    height = std::max(0, height);
    // Arrow buttons and thumb as tall as the system says, whatever the bar's
    // width; the arrows squeezed when the bar is too short for two.
    layout.arrowSize = std::min(GetSystemMetrics(SM_CYVSCROLL), height / 2);
    int trough = height - 2 * layout.arrowSize;
    // The thumb shows only when it fits and there is a range to move in.
    int thumb = GetSystemMetrics(SM_CYVTHUMB);
    layout.thumbSize = (thumb <= trough && minPos < maxPos) ? thumb : 0;
    layout.thumbTop = layout.arrowSize;
    if (layout.thumbSize > 0) {
        int room = trough - layout.thumbSize;
        long long along = (long long)room * ((long long)std::max(minPos, std::min(pos, maxPos)) - minPos);
        long long span = (long long)maxPos - minPos;
        layout.thumbTop += (int)((along + span / 2) / span);
    }
    return layout;
}

QvScrollPart qvScrollBarHitTest(const QvScrollLayout &layout, int height, int y) {
    if (y < 0 || y >= height) return QV_SCROLL_NONE;
    if (y < layout.arrowSize) return QV_SCROLL_LINE_UP;
    if (y >= height - layout.arrowSize) return QV_SCROLL_LINE_DOWN;
    if (layout.thumbSize == 0) return QV_SCROLL_NONE;
    if (y < layout.thumbTop) return QV_SCROLL_PAGE_UP;
    if (y < layout.thumbTop + layout.thumbSize) return QV_SCROLL_THUMB;
    return QV_SCROLL_PAGE_DOWN;
}

// The thumb and the position each round to their nearest, in opposite
// directions, so a position does not always come back from its own thumb.
// When there are more positions than pixels, several positions share one
// thumb place and the place reads back as the one nearest to it: on a bar
// 140 high over 0..255 (17-pixel arrows and thumb leave 89 pixels of room),
// position 128 puts the thumb's top at y = 62 (44.7 pixels down the room),
// and y = 62 stands for 45 * 255 / 89 = 128.9, so it reads back 129. The other way round, from a
// thumb place to a position and back, is exact while positions outnumber
// pixels: a thumb dropped where it was dragged stays there.
int qvScrollBarValueAt(const QvScrollLayout &layout, int height, int minPos, int maxPos, int thumbTop) {
    int room = height - 2 * layout.arrowSize - layout.thumbSize;
    if (layout.thumbSize == 0 || room <= 0 || maxPos <= minPos) return minPos;
    int along = std::max(0, std::min(thumbTop - layout.arrowSize, room));
    long long span = (long long)maxPos - minPos;
    return minPos + (int)(((long long)along * span + room / 2) / room);
}

// ===========================================================================
// Scroll-bar calls
// ===========================================================================

extern "C" {

int WINAPI SetScrollPos(HWND hwnd, int barKind, int pos, BOOL redrawNow) {
    QvScrollBar *bar = scrollBarFor(hwnd, barKind);
    if (!bar) return 0;
    int old = bar->pos;
    bar->pos = std::max(bar->minPos, std::min(pos, bar->maxPos));
    if (redrawNow) qvRedrawControl(hwnd);
    return old;
}

int WINAPI GetScrollPos(HWND hwnd, int barKind) {
    QvScrollBar *bar = scrollBarFor(hwnd, barKind);
    return bar ? bar->pos : 0;
}

BOOL WINAPI SetScrollRange(HWND hwnd, int barKind, int minPos, int maxPos, BOOL redrawNow) {
    QvScrollBar *bar = scrollBarFor(hwnd, barKind);
    // Windows refuses a range wider than a LONG can hold.
    if (!bar || (long long)maxPos - minPos > 0x7FFFFFFF) return FALSE;
    bar->minPos = minPos;
    bar->maxPos = std::max(minPos, maxPos);
    bar->pos = std::max(bar->minPos, std::min(bar->pos, bar->maxPos));
    if (redrawNow) qvRedrawControl(hwnd);
    return TRUE;
}

BOOL WINAPI GetScrollBarInfo(HWND hwnd, LONG object, PSCROLLBARINFO info) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    QvScrollBar *bar = scrollBarOf(win);
    if (!bar || object != OBJID_CLIENT || !info || info->cbSize != sizeof *info) return FALSE;
    QvScrollLayout layout = layoutOf(win, bar);
    GetWindowRect(hwnd, &info->rcScrollBar);
    info->dxyLineButton = layout.arrowSize;
    info->xyThumbTop = layout.thumbSize ? layout.thumbTop : 0;
    info->xyThumbBottom = layout.thumbSize ? layout.thumbTop + layout.thumbSize : 0;
    info->reserved = 0;
    for (DWORD &state : info->rgstate) state = 0;
    return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int barKind, int *minPos, int *maxPos) {
    QvScrollBar *bar = scrollBarFor(hwnd, barKind);
    if (!bar || !minPos || !maxPos) return FALSE;
    *minPos = bar->minPos;
    *maxPos = bar->maxPos;
    return TRUE;
}

}  // extern "C"
