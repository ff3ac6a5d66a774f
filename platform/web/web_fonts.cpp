// web_fonts.cpp: the browser backend's fonts, measured and drawn by the
// page's Canvas 2D (web_dom.js maps the Windows faces to what the page has).
//
// Implemented: opening a face at a point size (96 dpi) with Windows' height,
//   ascent and average width, whole-pixel advances, drawing Latin-1 text
//   glyph by glyph into the core's images with a clip, resolving a face.
// Left out: prefetching (Canvas 2D opens a font at once), font files (the
//   page names families, not files), kerning (GDI applies none either).
#include "../core/qv_internal.h"

QvBackendFont *qvbOpenFont(const char *faceName, int pointSize, QvFontMetrics *metrics) {
    QvWebFont font = qvWebOpenFont(faceName ? faceName : "", pointSize > 0 ? pointSize : 8);
    if (!font.id) {
        qv.backend.lastError = "the page measures no text (no 2-D canvas)";
        return nullptr;
    }
    if (metrics) {
        metrics->height = font.height;
        metrics->averageWidth = font.averageWidth;
        metrics->ascent = font.ascent;
        metrics->family = font.css;
        metrics->file.clear();
    }
    return new QvBackendFont{font};
}

void qvbCloseFont(QvBackendFont *font) {
    if (!font) return;
    qvweb_close_font(font->font.id);
    delete font;
}

int qvbGlyphAdvance(QvBackendFont *font, unsigned char c) {
    return font ? qvweb_glyph_advance(font->font.id, c) : 0;
}

void qvbDrawText(QvBackendFont *font, const std::string &latin1, QvImage *image, int x, int y, const QvRect &clip,
                 uint32_t rgb) {
    if (!font || !image || !image->pixels) return;
    qvWebDrawText(font->font, latin1, image->pixels, image->width, image->height, image->pitch, x, y, clip.x, clip.y,
                  clip.w, clip.h, rgb);
}

void qvbPrefetchFonts(std::vector<std::pair<std::string, int>> faces) {
    (void)faces;
}

bool qvbResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index) {
    QvWebFont font = qvWebOpenFont(faceName ? faceName : "", 9);
    if (!font.id) return false;
    qvweb_close_font(font.id);
    if (family) *family = font.css;
    if (file) file->clear();
    if (index) *index = 0;
    return true;
}
