// fonts.cpp: the fonts the dialogs use, as the core knows them: one record
// per font the backend opened, with the metrics dialog units are made from,
// and texts measured as GDI measures them.
//
// Pairs with the backend's text (qvbOpenFont, qvbGlyphAdvance), gdi_text.cpp
// (GDI's text calls, line breaking) and dialog.cpp (dialog units).
//
// Implemented: the default dialog face and size for a template that names
//   none; each backend font gets one record (and so one HFONT) however many
//   faces resolve to it; widths as the sum of whole-pixel advances, without
//   kerning (GetTextExtentPoint32); fonts prepared ahead of the first dialog.
// Left out: italic, underline, character sets, CreateFont: each dialog draws
//   with the font its template names.
#include "qv_dialog_internal.h"

#include <utility>

const QvFont *qvOpenFont(const char *faceName, int pointSize) {
    if (!faceName || !*faceName) faceName = qvDefaultDialogFace;
    if (pointSize <= 0) pointSize = qvDefaultDialogPoints;
    QvFontMetrics metrics;
    QvBackendFont *native = qvbOpenFont(faceName, pointSize, &metrics);
    if (!native) return nullptr;
    for (const auto &font : qv.fonts)
        if (font->native == native) return font.get();
    auto font = std::make_unique<QvFont>();
    font->native = native;
    font->family = metrics.family;
    font->file = metrics.file;
    font->pointSize = pointSize;
    font->averageWidth = metrics.averageWidth;
    font->height = metrics.height;
    font->ascent = metrics.ascent;
    qv.fonts.push_back(std::move(font));
    return qv.fonts.back().get();
}

void qvPrefetchFonts(std::vector<std::pair<std::string, int>> faces) {
    for (auto &face : faces) {
        if (face.first.empty()) face.first = qvDefaultDialogFace;
        if (face.second <= 0) face.second = qvDefaultDialogPoints;
    }
    qvbPrefetchFonts(std::move(faces));
}

bool qvResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index) {
    return qvbResolveFontFace(faceName, family, file, index);
}

int qvCharAdvance(const QvFont *font, unsigned char c) {
    return font ? qvbGlyphAdvance(font->native, c) : 0;
}

int qvTextWidth(const QvFont *font, const char *text, size_t length) {
    int width = 0;
    for (size_t i = 0; i < length; i++) width += qvCharAdvance(font, (unsigned char)text[i]);
    return width;
}
