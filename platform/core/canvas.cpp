// sdl_canvas.cpp: drawing in the classic Windows look onto a window surface:
// fills, frames and edges, text and images, each
// clipped to the part of the surface a control may touch; and what every
// control does to be drawn again.
//
// Pairs with sdl_fonts.cpp (the fonts text is drawn and measured with) and
// the controls drawn with it (sdl_button_static.cpp, sdl_scrollbar.cpp).
//
// Implemented: solid fills, one-pixel frames, raised and etched edges, the
//   sunken edges of WS_EX_CLIENTEDGE and WS_EX_STATICEDGE, the dotted focus
//   rectangle, text in a colour or greyed (as a disabled control's; measured
//   and broken into lines in sdl_gdi_text.cpp), images blitted within the
//   clip. Window texts are ANSI (Latin-1) and
//   turned into UTF-8 for SDL_ttf; '&' mnemonics are dropped.
// Left out: GDI drawing calls (no HDC drawing: controls draw straight onto
//   the surface), pens and brushes, system colours (the classic colours are
//   constants), underlined mnemonics, right-to-left text, tabs in text.
#include "qv_dialog_internal.h"

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

// Width of a text as it will be drawn: its mnemonic marks do not show.
int qvDisplayWidth(const QvFont *font, const std::string &text) {
    std::string shown;
    for (size_t i = 0; i < text.size(); i++)
        if (text[i] != '&' || (i + 1 < text.size() && text[i + 1] == '&' && ++i)) shown += text[i];
    return qvTextWidth(font, shown.c_str(), shown.size());
}

// Copies an image onto the canvas with its top-left corner at (x, y), within
// the canvas's clip; the surface's own clip is left as it was.
void qvBlitClipped(const QvCanvas &canvas, SDL_Surface *image, int x, int y) {
    SDL_Rect target = {canvas.originX + x, canvas.originY + y, image->w, image->h};
    SDL_Rect oldClip;
    SDL_GetClipRect(canvas.surface, &oldClip);
    SDL_SetClipRect(canvas.surface, &canvas.clip);
    SDL_BlitSurface(image, nullptr, canvas.surface, &target);
    SDL_SetClipRect(canvas.surface, &oldClip);
}

void qvBlitScaled(const QvCanvas &canvas, SDL_Surface *image, int x, int y, int w, int h) {
    if (w <= 0 || h <= 0) return;
    SDL_Rect target = {canvas.originX + x, canvas.originY + y, w, h};
    SDL_Rect oldClip;
    SDL_GetClipRect(canvas.surface, &oldClip);
    SDL_SetClipRect(canvas.surface, &canvas.clip);
    SDL_BlitScaled(image, nullptr, canvas.surface, &target);
    SDL_SetClipRect(canvas.surface, &oldClip);
}

void qvDrawText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y, Uint32 rgb) {
    if (!canvas.surface || !font || text.empty()) return;
    std::string shown = displayText(text);
    if (shown.empty()) return;
    SDL_Color colour = {(Uint8)(rgb >> 16), (Uint8)(rgb >> 8), (Uint8)rgb, 255};
    SDL_Surface *rendered = TTF_RenderUTF8_Blended(font->font, shown.c_str(), colour);
    if (!rendered) return;
    qvBlitClipped(canvas, rendered, x, y);
    SDL_FreeSurface(rendered);
}

// Text drawn greyed, as Windows draws a disabled control's text: a lit copy
// one pixel down and right under a shaded one.
void qvDrawGreyText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y) {
    qvDrawText(canvas, font, text, x + 1, y + 1, qvColorHighlight);
    qvDrawText(canvas, font, text, x, y, qvColorShadow);
}

// A one-pixel frame: top and left in one colour, bottom and right in another.
void qvDrawFrame(const QvCanvas &c, int x, int y, int w, int h, Uint32 topLeft, Uint32 bottomRight) {
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
    SDL_Rect area = {c.originX + x, c.originY + y, std::max(0, w), std::max(0, h)};
    if (!SDL_IntersectRect(&area, &c.clip, &inner.clip)) inner.clip = SDL_Rect{0, 0, 0, 0};
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
