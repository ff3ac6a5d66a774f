// canvas.cpp: drawing in the classic Windows look into a dialog's image:
// fills, frames and edges, text and images, each
// clipped to the part of the image a control may touch; and what every
// control does to be drawn again.
//
// Pairs with fonts.cpp (the fonts text is measured with), image.cpp (the
// pixels), the backend's qvbDrawText (the glyphs) and the controls drawn
// with it (button_static.cpp, scrollbar.cpp).
//
// Implemented: solid fills, one-pixel frames, raised and etched edges, the
//   sunken edges of WS_EX_CLIENTEDGE and WS_EX_STATICEDGE, the dotted focus
//   rectangle, text in a colour or greyed (as a disabled control's; measured
//   and broken into lines in gdi_text.cpp), images blended within the
//   clip. Window texts are ANSI (Latin-1) and go to the backend so, without
//   their '&' mnemonics.
// Left out: GDI drawing calls (no HDC drawing: controls draw straight onto
//   the image), pens and brushes, system colours (the classic colours are
//   constants), underlined mnemonics, right-to-left text, tabs in text.
#include "qv_dialog_internal.h"

#include <algorithm>
#include <cstring>

// ===========================================================================
// Drawing
// ===========================================================================

void qvFill(const QvCanvas &canvas, int x, int y, int w, int h, uint32_t rgb) {
    if (!canvas.image || w <= 0 || h <= 0) return;
    QvRect area = {canvas.originX + x, canvas.originY + y, w, h};
    QvRect visible;
    if (!qvIntersectRect(area, canvas.clip, &visible)) return;
    qvImageFill(canvas.image, visible, rgb);
}

// A window text as it shows: '&' marks a mnemonic and is dropped ("&&"
// stands for one '&'). It stays Latin-1.
static std::string displayText(const std::string &ansi) {
    std::string shown;
    for (size_t i = 0; i < ansi.size(); i++) {
        if (ansi[i] == '&') {
            if (i + 1 < ansi.size() && ansi[i + 1] == '&') shown += '&', i++;
            continue;
        }
        shown += ansi[i];
    }
    return shown;
}

// Width of a text as it will be drawn: its mnemonic marks do not show.
int qvDisplayWidth(const QvFont *font, const std::string &text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); i++)
        if (text[i] != '&' || (i + 1 < text.size() && text[i + 1] == '&' && ++i)) shown += text[i];
    return qvTextWidth(font, shown.c_str(), shown.size());
}

// Lays an image over the canvas with its top-left corner at (x, y), within
// the canvas's clip.
void qvBlitClipped(const QvCanvas &canvas, const QvImage &image, int x, int y) {
    if (!canvas.image) return;
    qvImageBlend(canvas.image, canvas.clip, image, canvas.originX + x, canvas.originY + y);
}

void qvBlitScaled(const QvCanvas &canvas, const QvImage &image, int x, int y, int w, int h) {
    if (!canvas.image || w <= 0 || h <= 0) return;
    qvImageBlendScaled(canvas.image, canvas.clip, image, QvRect{canvas.originX + x, canvas.originY + y, w, h});
}

void qvDrawText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y, uint32_t rgb) {
    if (!canvas.image || !font || text.empty()) return;
    std::string shown = displayText(text);
    if (shown.empty()) return;
    qvbDrawText(font->native, shown, canvas.image, canvas.originX + x, canvas.originY + y, canvas.clip, rgb);
}

// Text drawn greyed, as Windows draws a disabled control's text: a lit copy
// one pixel down and right under a shaded one.
void qvDrawGreyText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y) {
    qvDrawText(canvas, font, text, x + 1, y + 1, qvColorHighlight);
    qvDrawText(canvas, font, text, x, y, qvColorShadow);
}

// A one-pixel frame: top and left in one colour, bottom and right in another.
void qvDrawFrame(const QvCanvas &c, int x, int y, int w, int h, uint32_t topLeft, uint32_t bottomRight) {
    if (w <= 0 || h <= 0) return;
    qvFill(c, x, y, w - 1, 1, topLeft);
    qvFill(c, x, y, 1, h - 1, topLeft);
    qvFill(c, x, y + h - 1, w, 1, bottomRight);
    qvFill(c, x + w - 1, y, 1, h, bottomRight);
}

// A raised button edge: lit outside top-left, dark outside bottom-right,
// with an inner ring of face and shadow.
void qvDrawRaisedEdge(const QvCanvas &c, int x, int y, int w, int h) {
    qvDrawFrame(c, x, y, w, h, qvColorHighlight, qvColorDarkShadow);
    qvDrawFrame(c, x + 1, y + 1, w - 2, h - 2, qvColorFace, qvColorShadow);
}

// An etched line frame (group boxes): a shaded frame with a lit one just
// inside and below it.
void qvDrawEtchedFrame(const QvCanvas &c, int x, int y, int w, int h) {
    qvDrawFrame(c, x, y, w - 1, h - 1, qvColorShadow, qvColorShadow);
    qvDrawFrame(c, x + 1, y + 1, w - 1, h - 1, qvColorHighlight, qvColorHighlight);
    // The lit frame's top-left corner must not show inside the shaded one.
    qvFill(c, x + 1, y + 1, w - 3, 1, qvColorHighlight);
}

// Shrinks a rectangle by n pixels on every side.
void qvInset(int *x, int *y, int *w, int *h, int n) {
    *x += n, *y += n, *w -= 2 * n, *h -= 2 * n;
}

// The 3-D edges of a child window of w x h pixels, outermost first: the
// static edge (WS_EX_STATICEDGE) one sunken ring, the client edge
// (WS_EX_CLIENTEDGE) a sunken ring with a darker one inside.
void qvDrawChildEdges(const QvCanvas &c, DWORD exStyle, int w, int h) {
    int x = 0, y = 0;
    if (exStyle & WS_EX_STATICEDGE) {
        qvDrawFrame(c, x, y, w, h, qvColorShadow, qvColorHighlight);
        qvInset(&x, &y, &w, &h, 1);
    }
    if (exStyle & WS_EX_CLIENTEDGE) {
        qvDrawFrame(c, x, y, w, h, qvColorShadow, qvColorHighlight);
        qvDrawFrame(c, x + 1, y + 1, w - 2, h - 2, qvColorDarkShadow, qvColorLight);
    }
}

// Windows' focus rectangle: every other pixel of a one-pixel frame, the dots
// lined up across the whole window (on pixels whose coordinates add up to an
// even number).
void qvDrawFocusRect(const QvCanvas &c, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    auto dot = [&c](int px, int py) {
        if (((c.originX + px + c.originY + py) & 1) == 0) qvFill(c, px, py, 1, 1, qvColorText);
    };
    for (int i = 0; i < w; i++) {
        dot(x + i, y);
        dot(x + i, y + h - 1);
    }
    for (int j = 1; j + 1 < h; j++) {
        dot(x, y + j);
        dot(x + w - 1, y + j);
    }
}

// A canvas clipped further to a rectangle of the window's client area.
QvCanvas qvClippedTo(const QvCanvas &c, int x, int y, int w, int h) {
    QvCanvas inner = c;
    QvRect area = {c.originX + x, c.originY + y, std::max(0, w), std::max(0, h)};
    if (!qvIntersectRect(area, c.clip, &inner.clip)) inner.clip = QvRect{};
    return inner;
}

// ===========================================================================
// Shared by the controls
// ===========================================================================

bool qvPointInClient(const QvWindow *win, LPARAM lParam) {
    int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    return x >= 0 && y >= 0 && x < win->clientWidth && y < win->clientHeight;
}

void qvRedrawControl(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
}

// What DefWindowProcA does with a change of text or state, then the control
// is drawn again to show it.
LRESULT qvDefaultThenRedraw(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT done = DefWindowProcA(hwnd, msg, wParam, lParam);
    qvRedrawControl(hwnd);
    return done;
}
