// sdl_controls.cpp: the standard controls that dialog templates use, drawn in
// the classic Windows look onto their dialog's SDL window surface.
//
// Implemented:
//   BUTTON   BS_PUSHBUTTON and BS_DEFPUSHBUTTON: raised, pushed in while the
//            mouse holds it, WM_COMMAND (id, BN_CLICKED) to the parent when
//            the button is released over it; BS_GROUPBOX: an etched frame with
//            its text, transparent to the mouse.
//   STATIC   SS_LEFT (word-wrapped text), SS_ICON (the icon named "#number",
//            the control sized to it), SS_SUNKEN, WS_BORDER; transparent to
//            the mouse, as statics without SS_NOTIFY are.
//   SCROLLBAR SBS_VERT: arrows, trough and thumb. WM_VSCROLL to the parent:
//            SB_LINEUP / SB_LINEDOWN on the arrows and SB_PAGEUP / SB_PAGEDOWN
//            on the trough (repeated while held), SB_THUMBTRACK with the live
//            position while the thumb is dragged (the thumb snaps back when
//            the pointer strays far from the bar), SB_THUMBPOSITION at the
//            drop, then SB_ENDSCROLL. The thumb moves only through
//            SetScrollPos. SetScrollRange, SetScrollPos, GetScrollRange,
//            GetScrollPos on SB_CTL.
//   Controls without WS_VISIBLE exist and take messages but are never drawn;
//   disabled controls draw their text greyed.
// Left out: keyboard and focus (no focus rectangle, no Space or arrow keys),
//   check boxes, radio buttons, owner-draw, horizontal scroll bars, the scroll
//   bars of ordinary windows (SB_HORZ, SB_VERT), SCROLLINFO and page sizes,
//   BM_* / STM_* / SBM_* messages, WM_CTLCOLOR*, '&' mnemonics (the '&' is
//   dropped and nothing is underlined).
#include "sdl_dialog_internal.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

// ===========================================================================
// Drawing
// ===========================================================================

void qvFill(const QvCanvas &canvas, int x, int y, int w, int h, Uint32 rgb) {
    if (!canvas.surface || w <= 0 || h <= 0) return;
    SDL_Rect area = {canvas.originX + x, canvas.originY + y, w, h};
    SDL_Rect visible;
    if (!SDL_IntersectRect(&area, &canvas.clip, &visible)) return;
    Uint32 pixel = SDL_MapRGB(canvas.surface->format, (rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
    SDL_FillRect(canvas.surface, &visible, pixel);
}

// Window texts are ANSI (Latin-1 here); SDL_ttf wants UTF-8. '&' marks a
// mnemonic and is dropped ("&&" stands for one '&').
static std::string displayText(const std::string &ansi) {
    std::string utf8;
    for (size_t i = 0; i < ansi.size(); i++) {
        unsigned char c = (unsigned char)ansi[i];
        if (c == '&') {
            if (i + 1 < ansi.size() && ansi[i + 1] == '&') utf8 += '&', i++;
            continue;
        }
        if (c < 0x80) {
            utf8 += (char)c;
        } else {
            utf8 += (char)(0xC0 | (c >> 6));
            utf8 += (char)(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

// Width of a text as it will be drawn.
static int displayWidth(const QvFont *font, const std::string &text) {
    std::string shown = displayText(text);
    return qvTextWidth(font, shown.c_str(), shown.size());
}

// Copies an image onto the canvas with its top-left corner at (x, y), within
// the canvas's clip; the surface's own clip is left as it was.
static void blitClipped(const QvCanvas &canvas, SDL_Surface *image, int x, int y) {
    SDL_Rect target = {canvas.originX + x, canvas.originY + y, image->w, image->h};
    SDL_Rect oldClip;
    SDL_GetClipRect(canvas.surface, &oldClip);
    SDL_SetClipRect(canvas.surface, &canvas.clip);
    SDL_BlitSurface(image, nullptr, canvas.surface, &target);
    SDL_SetClipRect(canvas.surface, &oldClip);
}

void qvDrawText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y, Uint32 rgb) {
    if (!canvas.surface || !font || text.empty()) return;
    std::string shown = displayText(text);
    if (shown.empty()) return;
    SDL_Color colour = {(Uint8)(rgb >> 16), (Uint8)(rgb >> 8), (Uint8)rgb, 255};
    SDL_Surface *rendered = TTF_RenderUTF8_Blended(font->font, shown.c_str(), colour);
    if (!rendered) return;
    blitClipped(canvas, rendered, x, y);
    SDL_FreeSurface(rendered);
}

// Text drawn greyed, as Windows draws a disabled control's text: a lit copy
// one pixel down and right under a shaded one.
static void drawGreyText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y) {
    qvDrawText(canvas, font, text, x + 1, y + 1, qvColorHighlight);
    qvDrawText(canvas, font, text, x, y, qvColorShadow);
}

// A one-pixel frame: top and left in one colour, bottom and right in another.
static void drawFrame(const QvCanvas &c, int x, int y, int w, int h, Uint32 topLeft, Uint32 bottomRight) {
    if (w <= 0 || h <= 0) return;
    qvFill(c, x, y, w - 1, 1, topLeft);
    qvFill(c, x, y, 1, h - 1, topLeft);
    qvFill(c, x, y + h - 1, w, 1, bottomRight);
    qvFill(c, x + w - 1, y, 1, h, bottomRight);
}

// A raised button edge: lit outside top-left, dark outside bottom-right,
// with an inner ring of face and shadow.
static void drawRaisedEdge(const QvCanvas &c, int x, int y, int w, int h) {
    drawFrame(c, x, y, w, h, qvColorHighlight, qvColorDarkShadow);
    drawFrame(c, x + 1, y + 1, w - 2, h - 2, qvColorFace, qvColorShadow);
}

// An etched line frame (group boxes): a shaded frame with a lit one just
// inside and below it.
static void drawEtchedFrame(const QvCanvas &c, int x, int y, int w, int h) {
    drawFrame(c, x, y, w - 1, h - 1, qvColorShadow, qvColorShadow);
    drawFrame(c, x + 1, y + 1, w - 1, h - 1, qvColorHighlight, qvColorHighlight);
    // The lit frame's top-left corner must not show inside the shaded one.
    qvFill(c, x + 1, y + 1, w - 3, 1, qvColorHighlight);
}

// Shrinks a rectangle by n pixels on every side.
static void inset(int *x, int *y, int *w, int *h, int n) {
    *x += n, *y += n, *w -= 2 * n, *h -= 2 * n;
}

// Draws the frames a WS_BORDER and SS_SUNKEN ask for, outermost first, and
// shrinks the rectangle to what is left inside them.
static void drawControlFrames(const QvCanvas &c, DWORD style, int *x, int *y, int *w, int *h) {
    if (style & WS_BORDER) {
        drawFrame(c, *x, *y, *w, *h, qvColorFrame, qvColorFrame);
        inset(x, y, w, h, 1);
    }
    if (style & SS_SUNKEN) {
        drawFrame(c, *x, *y, *w, *h, qvColorShadow, qvColorHighlight);
        inset(x, y, w, h, 1);
    }
}

// A canvas clipped further to a rectangle of the window's client area.
static QvCanvas clippedTo(const QvCanvas &c, int x, int y, int w, int h) {
    QvCanvas inner = c;
    SDL_Rect area = {c.originX + x, c.originY + y, std::max(0, w), std::max(0, h)};
    if (!SDL_IntersectRect(&area, &c.clip, &inner.clip)) inner.clip = SDL_Rect{0, 0, 0, 0};
    return inner;
}

// ===========================================================================
// Text layout
// ===========================================================================

std::vector<std::string> qvWrapText(const QvFont *font, const std::string &text, int width) {
    std::vector<std::string> lines;
    std::string line;    // the line being built
    std::string blanks;  // blanks after its last word, kept unless the line breaks there
    bool lineHasWord = false;
    size_t i = 0;
    auto breakLine = [&]() {
        lines.push_back(line);
        line.clear();
        blanks.clear();
        lineHasWord = false;
    };
    while (i < text.size()) {
        char c = text[i];
        if (c == '\n' || c == '\r') {
            breakLine();
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            continue;
        }
        if (c == ' ' || c == '\t') {
            blanks += ' ';
            i++;
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\n' && text[end] != '\r')
            end++;
        std::string word = text.substr(i, end - i);
        std::string candidate = lineHasWord ? line + blanks + word : word;
        if (lineHasWord && displayWidth(font, candidate) > width) {
            // The word goes to the next line; the blanks before it vanish.
            breakLine();
            candidate = word;
        } else if (!lineHasWord && !lines.empty()) {
            candidate = word;  // blanks at the start of a wrapped line vanish too
        } else if (!lineHasWord) {
            candidate = blanks + word;  // the text's own leading blanks stay
        }
        line = candidate;
        blanks.clear();
        lineHasWord = true;
        i = end;
    }
    if (lineHasWord || !line.empty()) lines.push_back(line);
    return lines;
}

// ===========================================================================
// BUTTON
// ===========================================================================

namespace {

const char buttonClassName[] = "BUTTON";
const char staticClassName[] = "STATIC";
const char scrollBarClassName[] = "SCROLLBAR";

// The button kind sits in the low four bits of the style.
const DWORD buttonTypeMask = 0x0F;

struct QvButton {
    bool tracking = false;  // the left button went down on it; it holds the capture
    bool pushed = false;    // drawn pushed in: tracking and the pointer is over it
};

DWORD buttonType(const QvWindow *win) {
    return win->style & buttonTypeMask;
}

bool pointInClient(const QvWindow *win, LPARAM lParam) {
    int x = (SHORT)LOWORD(lParam), y = (SHORT)HIWORD(lParam);
    return x >= 0 && y >= 0 && x < win->clientWidth && y < win->clientHeight;
}

void redraw(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
}

// What DefWindowProcA does with a change of text or state, then the control
// is drawn again to show it.
LRESULT defaultThenRedraw(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT done = DefWindowProcA(hwnd, msg, wParam, lParam);
    redraw(hwnd);
    return done;
}

// Ends a press without a click (capture lost, window disabled).
void cancelPress(HWND hwnd, QvButton *button) {
    if (!button->tracking) return;
    button->tracking = false;
    button->pushed = false;
    redraw(hwnd);
}

// The button's procedure. The click goes to the parent last of all, after the
// capture is released and the button is drawn raised: the parent may destroy
// the button (and its dialog) while handling it.
LRESULT CALLBACK buttonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvButton *button = static_cast<QvButton *>(win->classData);
    switch (msg) {
    case WM_CREATE:
        win->classData = new QvButton;
        // Group boxes let clicks through to the controls they frame.
        win->mouseTransparent = buttonType(win) == BS_GROUPBOX;
        return 0;
    case WM_NCDESTROY:
        delete button;
        win->classData = nullptr;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!button || buttonType(win) == BS_GROUPBOX) return 0;
        button->tracking = true;
        button->pushed = true;
        SetCapture(hwnd);
        redraw(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (button && button->tracking && button->pushed != pointInClient(win, lParam)) {
            button->pushed = !button->pushed;
            redraw(hwnd);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!button || !button->tracking) return 0;
        bool clicked = pointInClient(win, lParam);
        button->tracking = false;
        button->pushed = false;
        redraw(hwnd);
        ReleaseCapture();
        win = qvWindowFromHandle(hwnd);
        if (clicked && win && win->parent) {
            WPARAM command = MAKEWPARAM((WORD)win->id, BN_CLICKED);
            SendMessageA(win->parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd));
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (button) cancelPress(hwnd, button);
        return 0;
    case WM_ENABLE:
        if (button && !wParam) cancelPress(hwnd, button);
        redraw(hwnd);
        return 0;
    case WM_SETTEXT:
        return defaultThenRedraw(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// A text centred in a rectangle on one line.
void drawCentredText(const QvCanvas &c, const QvFont *font, const std::string &text, int x, int y, int w, int h,
                     bool enabled) {
    if (!font) return;
    int tx = x + (w - displayWidth(font, text)) / 2;
    int ty = y + (h - font->height) / 2;
    QvCanvas inner = clippedTo(c, x, y, w, h);
    if (enabled)
        qvDrawText(inner, font, text, tx, ty, qvColorText);
    else
        drawGreyText(inner, font, text, tx, ty);
}

void paintPushButton(QvWindow *win, const QvCanvas &c) {
    const QvButton *button = static_cast<const QvButton *>(win->classData);
    bool pushed = button && button->pushed;
    int x = 0, y = 0, w = win->clientWidth, h = win->clientHeight;
    qvFill(c, x, y, w, h, qvColorFace);
    // A default button, and a button being pushed, wear a black frame.
    if (buttonType(win) == BS_DEFPUSHBUTTON || pushed) {
        drawFrame(c, x, y, w, h, qvColorFrame, qvColorFrame);
        inset(&x, &y, &w, &h, 1);
    }
    if (pushed)
        drawFrame(c, x, y, w, h, qvColorShadow, qvColorShadow);
    else
        drawRaisedEdge(c, x, y, w, h);
    inset(&x, &y, &w, &h, 2);
    int shift = pushed ? 1 : 0;  // the text sinks with the button
    drawCentredText(c, qvControlFont(win), win->text, x + shift, y + shift, w, h, win->enabled);
}

// Where a group box's text starts, and the room left around it.
const int groupTextLeft = 8;
const int groupTextPadding = 1;

void paintGroupBox(QvWindow *win, const QvCanvas &c) {
    const QvFont *font = qvControlFont(win);
    int w = win->clientWidth, h = win->clientHeight;
    int fontHeight = font ? font->height : 0;
    // The frame's top line runs through the middle of the text.
    int top = fontHeight / 2;
    drawEtchedFrame(c, 0, top, w, h - top);
    if (win->text.empty() || !font) return;
    int textWidth = displayWidth(font, win->text);
    qvFill(c, groupTextLeft - groupTextPadding, 0, textWidth + 2 * groupTextPadding, fontHeight, qvColorFace);
    QvCanvas inner = clippedTo(c, 0, 0, w, h);
    if (win->enabled)
        qvDrawText(inner, font, win->text, groupTextLeft, 0, qvColorText);
    else
        drawGreyText(inner, font, win->text, groupTextLeft, 0);
}

void paintButton(QvWindow *win, const QvCanvas &c) {
    if (buttonType(win) == BS_GROUPBOX)
        paintGroupBox(win, c);
    else
        paintPushButton(win, c);
}

// ===========================================================================
// STATIC
// ===========================================================================

// The kind of static sits in the low five bits of the style.
const DWORD staticTypeMask = 0x1F;

struct QvStatic {
    HICON icon = nullptr;  // SS_ICON: the icon shown
};

// The pixels WS_BORDER and SS_SUNKEN take on each side.
int staticFrameWidth(DWORD style) {
    return ((style & WS_BORDER) ? 1 : 0) + ((style & SS_SUNKEN) ? 1 : 0);
}

// Loads the icon an SS_ICON static names with its text ("#32512" or a
// number) and sizes the control to it, keeping its top-left corner.
void setUpIconStatic(HWND hwnd, QvWindow *win, QvStatic *data) {
    const char *name = win->text.c_str();
    if (*name == '#') name++;
    int id = atoi(name);
    data->icon = id > 0 ? qvLoadProgramIcon(id) : nullptr;
    SDL_Surface *image = qvIconImage(data->icon);
    if (!image) return;
    int frame = 2 * staticFrameWidth(win->style);
    MoveWindow(hwnd, win->rect.left, win->rect.top, image->w + frame, image->h + frame, FALSE);
}

LRESULT CALLBACK staticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvStatic *data = static_cast<QvStatic *>(win->classData);
    switch (msg) {
    case WM_CREATE:
        data = new QvStatic;
        win->classData = data;
        win->mouseTransparent = true;
        if ((win->style & staticTypeMask) == SS_ICON) setUpIconStatic(hwnd, win, data);
        return 0;
    case WM_NCDESTROY:
        delete data;
        win->classData = nullptr;
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
        return defaultThenRedraw(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void paintStatic(QvWindow *win, const QvCanvas &c) {
    int x = 0, y = 0, w = win->clientWidth, h = win->clientHeight;
    qvFill(c, x, y, w, h, qvColorFace);
    drawControlFrames(c, win->style, &x, &y, &w, &h);
    QvCanvas inner = clippedTo(c, x, y, w, h);
    const QvStatic *data = static_cast<const QvStatic *>(win->classData);
    DWORD type = win->style & staticTypeMask;
    if (type == SS_ICON) {
        SDL_Surface *image = data ? qvIconImage(data->icon) : nullptr;
        if (image && c.surface) blitClipped(inner, image, x, y);
        return;
    }
    const QvFont *font = qvControlFont(win);
    if (!font) return;
    int lineY = y;
    for (const std::string &line : qvWrapText(font, win->text, w)) {
        int lineX = x;
        if (type == SS_CENTER) lineX = x + (w - displayWidth(font, line)) / 2;
        if (win->enabled)
            qvDrawText(inner, font, line, lineX, lineY, qvColorText);
        else
            drawGreyText(inner, font, line, lineX, lineY);
        lineY += font->height;
        if (lineY >= y + h) break;
    }
}

// ===========================================================================
// SCROLLBAR
// ===========================================================================

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
    if (!win || !win->cls || strcasecmp(win->cls->name.c_str(), scrollBarClassName) != 0) return nullptr;
    return static_cast<QvScrollBar *>(win->classData);
}

QvScrollLayout layoutOf(const QvWindow *win, const QvScrollBar *bar) {
    return qvScrollBarLayout(win->clientWidth, win->clientHeight, bar->minPos, bar->maxPos, bar->pos);
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
        redraw(hwnd);
        return;
    }
    redraw(hwnd);
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
    redraw(hwnd);
    notifyScroll(hwnd, SB_THUMBTRACK, bar->trackPos);
}

void endScroll(HWND hwnd, QvScrollBar *bar) {
    QvScrollPart part = bar->held;
    int dropPos = bar->trackPos;
    bar->held = QV_SCROLL_NONE;
    if (bar->repeating) KillTimer(hwnd, scrollRepeatTimer);
    bar->repeating = false;
    redraw(hwnd);
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

LRESULT CALLBACK scrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvScrollBar *bar = static_cast<QvScrollBar *>(win->classData);
    int x = (SHORT)LOWORD(lParam), y = (SHORT)HIWORD(lParam);
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
            bool over = pointInClient(win, lParam);
            bar->lastPointerY = y;
            if (over != bar->heldPartUnderPointer) {
                bar->heldPartUnderPointer = over;
                redraw(hwnd);
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
            redraw(hwnd);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// A small solid triangle pointing up or down, centred in a square button.
void drawArrowGlyph(const QvCanvas &c, int x, int y, int w, int h, bool up, Uint32 rgb) {
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
        drawFrame(c, 0, y, w, h, qvColorShadow, qvColorShadow);
    else
        drawRaisedEdge(c, 0, y, w, h);
    if (!enabled) drawArrowGlyph(c, shift + 1, y + shift + 1, w, h, up, qvColorHighlight);
    drawArrowGlyph(c, shift, y + shift, w, h, up, enabled ? qvColorText : qvColorShadow);
}

// The trough: a fine checkerboard of lit and face pixels; where it is held
// down, of dark and face pixels.
void drawTrough(const QvCanvas &c, int y, int w, int h, bool held) {
    Uint32 checker = held ? qvColorDarkShadow : qvColorHighlight;
    for (int row = 0; row < h; row++) {
        for (int col = 0; col < w; col++) {
            bool lit = ((row + y + col) & 1) == 0;
            qvFill(c, col, y + row, 1, 1, lit ? checker : qvColorFace);
        }
    }
}

void paintScrollBar(QvWindow *win, const QvCanvas &c) {
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
        drawRaisedEdge(c, 0, thumbTop, w, layout.thumbSize);
    } else {
        drawTrough(c, troughTop, w, troughBottom - troughTop, false);
    }
    bool upPushed = bar->held == QV_SCROLL_LINE_UP && pressedHere;
    bool downPushed = bar->held == QV_SCROLL_LINE_DOWN && pressedHere;
    drawArrowButton(c, 0, w, layout.arrowSize, true, upPushed, win->enabled);
    drawArrowButton(c, h - layout.arrowSize, w, layout.arrowSize, false, downPushed, win->enabled);
}

// The scroll-bar control behind hwnd for an SB_CTL call, or null.
QvScrollBar *scrollBarFor(HWND hwnd, int barKind) {
    if (barKind != SB_CTL) return nullptr;
    return scrollBarOf(qvWindowFromHandle(hwnd));
}

}  // namespace

// ===========================================================================
// Scroll-bar geometry
// ===========================================================================

QvScrollLayout qvScrollBarLayout(int width, int height, int minPos, int maxPos, int pos) {
    QvScrollLayout layout;
    width = std::max(0, width);
    height = std::max(0, height);
    // Square arrow buttons, squeezed when the bar is too short for two.
    layout.arrowSize = std::min(width, height / 2);
    int trough = height - 2 * layout.arrowSize;
    // A square thumb, shown only when it fits and there is a range to move in.
    layout.thumbSize = (width <= trough && minPos < maxPos) ? width : 0;
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

int qvScrollBarValueAt(const QvScrollLayout &layout, int height, int minPos, int maxPos, int thumbTop) {
    int room = height - 2 * layout.arrowSize - layout.thumbSize;
    if (room <= 0 || maxPos <= minPos) return minPos;
    int along = std::max(0, std::min(thumbTop - layout.arrowSize, room));
    long long span = (long long)maxPos - minPos;
    return minPos + (int)(((long long)along * span + room / 2) / room);
}

// ===========================================================================
// Painting and registration
// ===========================================================================

void qvPaintControl(QvWindow *control, const QvCanvas &canvas) {
    if (!control || !control->cls) return;
    QvCanvas c = clippedTo(canvas, 0, 0, control->clientWidth, control->clientHeight);
    if (control->cls->proc == buttonProc)
        paintButton(control, c);
    else if (control->cls->proc == staticProc)
        paintStatic(control, c);
    else if (control->cls->proc == scrollBarProc)
        paintScrollBar(control, c);
}

void qvRegisterControlClasses() {
    struct {
        const char *name;
        WNDPROC proc;
    } classes[] = {{buttonClassName, buttonProc}, {staticClassName, staticProc}, {scrollBarClassName, scrollBarProc}};
    for (const auto &entry : classes) {
        if (qvFindClass(entry.name)) continue;
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = entry.proc;
        wc.lpszClassName = entry.name;
        qvRegisterClass(&wc);
    }
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
    if (redrawNow) redraw(hwnd);
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
    if (redrawNow) redraw(hwnd);
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
