// gdi_text.cpp: text as GDI breaks it, and GDI's text calls, for the
// fonts of the program's dialogs (fonts.cpp measures them with the backend's
// glyph advances: a width is the sum of whole-pixel advances, as
// GetTextExtentPoint32 gives).
//
// Implemented:
//   - Word breaking as DrawText with DT_WORDBREAK does it: as many characters
//     as fit go on a line; when the next one is a blank, the line ends before
//     it, that blank goes and the blanks after it begin the next line;
//     otherwise the line ends after its last blank or hyphen, and a line with
//     neither is cut where it is full. Blanks count in a line's width. Line
//     feeds always break.
//   - Font handles (HFONT) for the dialog fonts, WM_GETFONT's answer; a DC
//     remembers the font selected into it (SelectObject).
//   - GetTextExtentPoint32A, GetTextMetricsA (height, ascent, descent,
//     average and widest character), DrawTextA with DT_CALCRECT (with or
//     without DT_WORDBREAK, DT_SINGLELINE).
// Left out: drawing through DrawTextA (the controls draw their own text),
//   DT_CENTER and the other alignments in DT_CALCRECT, tabs (DT_EXPANDTABS),
//   ellipses, '&' prefixes in DrawTextA (measured as written), CreateFontA,
//   fonts that no dialog template names, and every GDI object but fonts in
//   SelectObject.
#include "qv_dialog_internal.h"

#include <algorithm>
#include <cstring>

namespace {

bool isBlank(char c) {
    return c == ' ';
}

bool isLineFeed(char c) {
    return c == '\n' || c == '\r';
}

// Where the line that starts at start ends (exclusive), and where the next
// one starts, for a text broken within width.
void nextBreak(const QvFont *font, const std::string &text, size_t start, int width, size_t *end, size_t *next) {
    size_t i = start;
    int used = 0;
    while (i < text.size() && !isLineFeed(text[i])) {
        int advance = qvCharAdvance(font, (unsigned char)text[i]);
        if (used + advance > width) break;
        used += advance;
        i++;
    }
    if (i == text.size() || isLineFeed(text[i])) {
        *end = i;
        // "\r\n" is one line feed.
        *next = i == text.size() ? i : (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? i + 2 : i + 1;
        return;
    }
    if (isBlank(text[i])) {
        // The line ends before the blank that does not fit, which goes; the
        // blanks after it begin the next line.
        *end = i;
        *next = i + 1;
        return;
    }
    // Back to just after the last blank or hyphen of the line.
    size_t cut = i;
    while (cut > start && !isBlank(text[cut - 1]) && text[cut - 1] != '-') cut--;
    if (cut == start) cut = std::max(i, start + 1);  // one word wider than the line: cut it where it is full
    *end = *next = cut;
}

}  // namespace

// ===========================================================================
// Internal calls
// ===========================================================================

std::vector<std::string> qvBreakText(const QvFont *font, const std::string &text, int width) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start, next = start;
        nextBreak(font, text, start, width, &end, &next);
        lines.push_back(text.substr(start, end - start));
        start = next;
    }
    return lines;
}

HFONT qvFontHandle(const QvFont *font) {
    if (!font) return nullptr;
    for (size_t i = 0; i < qv.fonts.size(); i++)
        if (qv.fonts[i].get() == font) {
            if (!qv.fonts[i]->handle) qv.fonts[i]->handle = qvHandle<HFONT>(qvNewHandle());
            return qv.fonts[i]->handle;
        }
    return nullptr;
}

const QvFont *qvFontFromHandle(HFONT handle) {
    if (!handle) return nullptr;
    for (const auto &font : qv.fonts)
        if (font->handle == handle) return font.get();
    return nullptr;
}

// ===========================================================================
// Win32 calls
// ===========================================================================

namespace {

// The font selected into a DC: the one SelectObject put there, else the
// default dialog font.
const QvFont *fontOfDc(HDC hdc) {
    QvDc *dc = qvDcFromHandle(hdc);
    if (!dc) return nullptr;
    if (const QvFont *font = qvFontFromHandle(dc->font)) return font;
    return qvOpenFont(nullptr, 0);
}

}  // namespace

extern "C" {

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
    QvDc *dc = qvDcFromHandle(hdc);
    HFONT font = static_cast<HFONT>(object);
    if (!dc || !qvFontFromHandle(font)) return nullptr;
    HFONT old = dc->font;
    dc->font = font;
    // A DC starts with the system font, which has no handle here: give the
    // default dialog font's, so that selecting it back restores the start.
    return old ? old : qvFontHandle(qvOpenFont(nullptr, 0));
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) {
    const QvFont *font = fontOfDc(hdc);
    if (!font || !size || count < 0 || (count > 0 && !text)) return FALSE;
    size->cx = qvTextWidth(font, text, (size_t)count);
    size->cy = font->height;
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
    const QvFont *font = fontOfDc(hdc);
    if (!font || !metrics) return FALSE;
    memset(metrics, 0, sizeof *metrics);
    metrics->tmHeight = font->height;
    metrics->tmAscent = font->ascent;
    metrics->tmDescent = font->height - metrics->tmAscent;
    metrics->tmAveCharWidth = font->averageWidth;
    int widest = 0;
    for (int c = 0x20; c < 0x100; c++) widest = std::max(widest, qvCharAdvance(font, (unsigned char)c));
    metrics->tmMaxCharWidth = widest;
    metrics->tmFirstChar = 0x20;
    metrics->tmLastChar = (char)0xFF;
    metrics->tmDefaultChar = '?';
    metrics->tmBreakChar = ' ';
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format) {
    const QvFont *font = fontOfDc(hdc);
    if (!font || !text || !rect || !(format & DT_CALCRECT)) return 0;
    std::string s = count < 0 ? std::string(text) : std::string(text, (size_t)count);
    std::vector<std::string> lines;
    if (format & DT_SINGLELINE)
        lines.push_back(s);
    else if (format & DT_WORDBREAK)
        lines = qvBreakText(font, s, rect->right - rect->left);
    else
        lines = qvBreakText(font, s, 0x7FFFFFFF);
    // A line's blanks count in its width, as they did in breaking it.
    int widest = 0;
    for (const std::string &line : lines) widest = std::max(widest, qvTextWidth(font, line.c_str(), line.size()));
    int height = (int)std::max<size_t>(lines.size(), 1) * font->height;
    rect->right = rect->left + widest;
    rect->bottom = rect->top + height;
    return height;
}

}  // extern "C"
