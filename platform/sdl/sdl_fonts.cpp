// sdl_fonts.cpp: the SDL backend's text: the fonts that dialog templates
// name, found with fontconfig, measured and drawn with SDL2_ttf
// (qvbOpenFont, qvbGlyphAdvance, qvbDrawText, qvbPrefetchFonts).
//
// Pairs with core/fonts.cpp, which keeps a record for each font opened here
// and sums the advances given here as GDI measures text, and core/canvas.cpp,
// which has the controls' texts drawn here.
//
// Implemented:
//   - Face resolution: fontconfig's best match for the face, kept when its
//     family is the one asked for; otherwise the alias table's metric twin
//     (Arial -> Liberation Sans; Arial Black, which fontconfig would hand to
//     DejaVu Sans, -> Liberation Sans at weight 900, i.e. Liberation Sans
//     Bold); otherwise whatever fontconfig found. When fontconfig has no
//     fonts at all (an empty or broken configuration), the packaged
//     Liberation (or DejaVu) file stands in, and stderr says so once: the
//     controls' labels are always drawn.
//   - Sizes in Windows points: SDL2_ttf counts 72 dots an inch, Windows 96,
//     so fonts are opened with TTF_OpenFontIndexDPI at 96 dpi.
//   - The metrics dialog units come from: the average character width by
//     Windows' formula, (width of "A..Za..z" / 26 + 1) / 2, and the cell
//     height; glyph advances in whole pixels, kerning off, as GDI measures.
//   - Text drawn blended in a colour (Latin-1 turned into UTF-8 for SDL_ttf)
//     into the core's image, clipped.
//   - Each face is asked of fontconfig once; each file and size is opened once.
//   - Start-up: the fonts the dialog templates name are resolved and opened
//     on a second thread while the program loads OpenGL, so the first dialog
//     does not wait for fontconfig to read its configuration. Until the
//     main thread takes them over, fontconfig and FreeType belong to that
//     thread; it reports nothing, and what it could not do is done again
//     (and reported) when a dialog asks.
//   - At exit the fonts are closed and fontconfig's configuration is handed
//     back (FcFini), so the process ends holding none of them.
// Left out: italic, underline, character sets, bitmap fonts, font handles
// (WM_SETFONT / HFONT): each dialog draws with the font its template names.
#include "../core/qv_dialog_internal.h"

#include <system_error>

#include <fontconfig/fontconfig.h>

#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// A face Windows programs name and the family that stands in for it here.
struct FontAlias {
    const char *windowsFace;
    const char *family;
    int weight;  // fontconfig weight to ask for
};

const FontAlias fontAliases[] = {
    {"Arial", "Liberation Sans", FC_WEIGHT_REGULAR},
    {"Arial Black", "Liberation Sans", FC_WEIGHT_BLACK},
    {"MS Sans Serif", "Liberation Sans", FC_WEIGHT_REGULAR},
    {"MS Shell Dlg", "Liberation Sans", FC_WEIGHT_REGULAR},
    {"Times New Roman", "Liberation Serif", FC_WEIGHT_REGULAR},
    {"Courier New", "Liberation Mono", FC_WEIGHT_REGULAR},
};

// Files that stand in when fontconfig has no fonts at all, by the family
// and weight they give; the first that can be read is taken when none fits.
struct FallbackFont {
    const char *family;
    int weight;
    const char *file;
};

const FallbackFont fallbackFonts[] = {
    {"Liberation Sans", FC_WEIGHT_REGULAR, "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"},
    {"Liberation Sans", FC_WEIGHT_BLACK, "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"},
    {"Liberation Serif", FC_WEIGHT_REGULAR, "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf"},
    {"Liberation Mono", FC_WEIGHT_REGULAR, "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf"},
    {"DejaVu Sans", FC_WEIGHT_REGULAR, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"},
};

// Windows' dialog fonts are sized for 96 dots an inch.
const int windowsDpi = 96;

// The text whose width gives the average character width.
const char averageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Asks fontconfig for the best font of a family at a weight; false when it
// has nothing at all (no fonts installed).
bool matchFont(const char *family, int weight, QvFontMatch *out) {
    if (!FcInit()) return false;
    FcPattern *pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, (const FcChar8 *)family);
    FcPatternAddInteger(pattern, FC_WEIGHT, weight);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8 *foundFamily = nullptr, *file = nullptr;
    bool ok = FcPatternGetString(match, FC_FAMILY, 0, &foundFamily) == FcResultMatch &&
              FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
    if (ok) {
        out->family = (const char *)foundFamily;
        out->file = (const char *)file;
        if (FcPatternGetInteger(match, FC_INDEX, 0, &out->index) != FcResultMatch) out->index = 0;
    }
    FcPatternDestroy(match);
    return ok;
}

const FontAlias *findAlias(const char *face) {
    for (const FontAlias &alias : fontAliases)
        if (strcasecmp(alias.windowsFace, face) == 0) return &alias;
    return nullptr;
}

// The fallback file for a face: the alias's family and weight when it is
// there, else the first file that can be read; false when none can.
bool fallbackFace(const char *faceName, QvFontMatch *out) {
    const FontAlias *alias = findAlias(faceName);
    const FallbackFont *chosen = nullptr;
    for (const FallbackFont &f : fallbackFonts) {
        if (access(f.file, R_OK) != 0) continue;
        bool fits = alias && strcasecmp(f.family, alias->family) == 0 && f.weight == alias->weight;
        if (fits || !chosen) chosen = &f;
        if (fits) break;
    }
    if (!chosen) return false;
    out->family = chosen->family;
    out->file = chosen->file;
    out->index = 0;
    out->substitute = true;
    return true;
}

// The font fontconfig and the alias table give for a face, or the fallback
// file when fontconfig has nothing at all; false when there is no font.
bool resolveFace(const char *faceName, QvFontMatch *out) {
    QvFontMatch direct, twin;
    bool found = matchFont(faceName, FC_WEIGHT_REGULAR, &direct);
    // FcFontMatch always returns some font: only the family tells whether it
    // is the face that was asked for.
    if (!found || strcasecmp(direct.family.c_str(), faceName) != 0) {
        const FontAlias *alias = findAlias(faceName);
        if (alias && matchFont(alias->family, alias->weight, &twin) &&
            strcasecmp(twin.family.c_str(), alias->family) == 0) {
            direct = twin;
            found = true;
        }
    }
    if (found) *out = direct;
    return found || fallbackFace(faceName, out);
}

// Says once on stderr that a fallback file stands in for fontconfig's fonts.
void noteSubstitute(const QvFontMatch &match) {
    if (!match.substitute || qv.backend.fontSubstituteNoted) return;
    qv.backend.fontSubstituteNoted = true;
    qvbClearError();
    qvError("fontconfig found no fonts; the dialogs use %s instead", match.file.c_str());
}

// The face among those resolved, or null.
const QvResolvedFace *findResolvedIn(const std::vector<QvResolvedFace> &known, const char *faceName) {
    for (const QvResolvedFace &r : known)
        if (strcasecmp(r.face.c_str(), faceName) == 0) return &r;
    return nullptr;
}

const QvResolvedFace *findResolved(const char *faceName) {
    return findResolvedIn(qv.backend.resolvedFaces, faceName);
}

// The resolved face, asking fontconfig only the first time.
const QvResolvedFace &resolveOnce(std::vector<QvResolvedFace> &known, const char *faceName) {
    if (const QvResolvedFace *r = findResolvedIn(known, faceName)) return *r;
    QvResolvedFace r;
    r.face = faceName;
    r.found = resolveFace(faceName, &r.match);
    known.push_back(std::move(r));
    return known.back();
}

// The open font of a file at a size among fonts, or null.
QvBackendFont *findOpen(const std::vector<std::unique_ptr<QvBackendFont>> &fonts, const std::string &file,
                        int pointSize) {
    for (const auto &font : fonts)
        if (font->file == file && font->pointSize == pointSize) return font.get();
    return nullptr;
}

// Opens a resolved font at 96 dpi and measures what dialog units are made
// from; null, with SDL's error, when the file cannot be opened.
std::unique_ptr<QvBackendFont> openResolved(const QvFontMatch &match, int pointSize) {
    TTF_Font *ttf = TTF_OpenFontIndexDPI(match.file.c_str(), pointSize, match.index, windowsDpi, windowsDpi);
    if (!ttf) return nullptr;
    TTF_SetFontKerning(ttf, 0);
    auto font = std::make_unique<QvBackendFont>();
    font->font = ttf;
    font->family = match.family;
    font->file = match.file;
    font->pointSize = pointSize;
    int sampleWidth = 0;
    for (const char *c = averageWidthSample; *c; c++) sampleWidth += qvbGlyphAdvance(font.get(), (unsigned char)*c);
    font->averageWidth = (sampleWidth / 26 + 1) / 2;
    font->height = TTF_FontHeight(ttf);
    return font;
}

// Runs on the second thread: resolves and opens each face at its size.
QvPrefetchedFonts prefetch(const std::vector<std::pair<std::string, int>> &requests) {
    QvPrefetchedFonts out;
    for (const auto &request : requests) {
        const QvResolvedFace &resolved = resolveOnce(out.faces, request.first.c_str());
        if (!resolved.found || findOpen(out.fonts, resolved.match.file, request.second)) continue;
        if (!out.ttfReady && TTF_Init() != 0) break;
        out.ttfReady = true;
        if (auto font = openResolved(resolved.match, request.second)) out.fonts.push_back(std::move(font));
    }
    return out;
}

// Takes over what the second thread got ready, waiting for it if it is still
// at work. Everything below that touches fontconfig or FreeType calls it first.
void collectPrefetched() {
    if (!qv.backend.prefetched.valid()) return;
    QvPrefetchedFonts ready = qv.backend.prefetched.get();
    for (auto &font : ready.fonts) {
        if (findOpen(qv.backend.fonts, font->file, font->pointSize))
            TTF_CloseFont(font->font);  // opened here meanwhile
        else
            qv.backend.fonts.push_back(std::move(font));
    }
    // SDL_ttf counts its starts: one is enough to stop at the end.
    if (ready.ttfReady && qv.backend.ttfReady) TTF_Quit();
    if (ready.ttfReady) qv.backend.ttfReady = true;
    for (QvResolvedFace &face : ready.faces)
        if (!findResolved(face.face.c_str())) qv.backend.resolvedFaces.push_back(std::move(face));
}

// Closes the fonts, then hands back fontconfig's configuration and caches.
void closeFontsAndFontconfig() {
    qvCloseBackendFonts();
    FcFini();
}

// The fonts and fontconfig's configuration live as long as the process and
// are handed back by an exit handler: it runs before the layer's state is
// destroyed and while FreeType is still up, where a font dropped with the
// state would look lost to a leak checker.
void closeFontsAtExit() {
    if (!qv.backend.fontsClosedAtExit) qv.backend.fontsClosedAtExit = std::atexit(closeFontsAndFontconfig) == 0;
}

// Window texts are ANSI (Latin-1 here); SDL_ttf wants UTF-8.
std::string utf8Of(const std::string &latin1) {
    std::string utf8;
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            utf8 += (char)c;
        } else {
            utf8 += (char)(0xC0 | (c >> 6));
            utf8 += (char)(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

}  // namespace

void qvbPrefetchFonts(std::vector<std::pair<std::string, int>> faces) {
    collectPrefetched();
    closeFontsAtExit();
    // The thread leaves SIGINT and SIGTERM to the main thread.
    QvSignalsBlocked signalsBlocked;
    try {
        qv.backend.prefetched = std::async(std::launch::async, prefetch, std::move(faces));
    } catch (const std::system_error &) {
        // No second thread: the fonts are opened when first asked for.
    }
}

bool qvbResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index) {
    closeFontsAtExit();
    collectPrefetched();
    const QvResolvedFace &resolved = resolveOnce(qv.backend.resolvedFaces, faceName);
    if (!resolved.found) return false;
    noteSubstitute(resolved.match);
    *family = resolved.match.family;
    *file = resolved.match.file;
    *index = resolved.match.index;
    return true;
}

int qvbGlyphAdvance(QvBackendFont *font, unsigned char c) {
    int minX = 0, maxX = 0, minY = 0, maxY = 0, advance = 0;
    if (!font || TTF_GlyphMetrics32(font->font, c, &minX, &maxX, &minY, &maxY, &advance) != 0) return 0;
    return advance;
}

void qvbDrawText(QvBackendFont *font, const std::string &latin1, QvImage *image, int x, int y, const QvRect &clip,
                 uint32_t rgb) {
    if (!font || latin1.empty() || !image->pixels) return;
    SDL_Color colour = {(Uint8)(rgb >> 16), (Uint8)(rgb >> 8), (Uint8)rgb, 255};
    SDL_Surface *rendered = TTF_RenderUTF8_Blended(font->font, utf8Of(latin1).c_str(), colour);
    if (!rendered) return;
    // The image as an SDL surface, its clip the one given.
    SDL_Surface *target = SDL_CreateRGBSurfaceWithFormatFrom(image->pixels, image->width, image->height, 32,
                                                             image->pitch, SDL_PIXELFORMAT_RGB888);
    if (target) {
        SDL_Rect area = {clip.x, clip.y, clip.w, clip.h};
        SDL_SetClipRect(target, &area);
        SDL_Rect place = {x, y, rendered->w, rendered->h};
        SDL_BlitSurface(rendered, nullptr, target, &place);
        SDL_FreeSurface(target);
    }
    SDL_FreeSurface(rendered);
}

static QvBackendFont *openFont(const QvFontMatch &match, int pointSize);

QvBackendFont *qvbOpenFont(const char *faceName, int pointSize, QvFontMetrics *metrics) {
    closeFontsAtExit();
    collectPrefetched();
    const QvResolvedFace &resolved = resolveOnce(qv.backend.resolvedFaces, faceName);
    if (!resolved.found) {
        SDL_ClearError();
        qvError("no font found for \"%s\"", faceName);
        return nullptr;
    }
    noteSubstitute(resolved.match);
    QvBackendFont *open = findOpen(qv.backend.fonts, resolved.match.file, pointSize);
    if (!open) open = openFont(resolved.match, pointSize);
    if (!open) return nullptr;
    metrics->height = open->height;
    metrics->averageWidth = open->averageWidth;
    metrics->ascent = TTF_FontAscent(open->font);
    metrics->family = open->family;
    metrics->file = open->file;
    return open;
}

// Opens a resolved font (SDL_ttf started first) and keeps it; null, said on
// stderr, when it cannot.
static QvBackendFont *openFont(const QvFontMatch &match, int pointSize) {
    if (!qv.backend.ttfReady) {
        if (TTF_Init() != 0) {
            qvError("cannot start SDL_ttf");
            return nullptr;
        }
        qv.backend.ttfReady = true;
    }
    std::unique_ptr<QvBackendFont> font = openResolved(match, pointSize);
    if (!font) {
        qvError("cannot open %s", match.file.c_str());
        return nullptr;
    }
    qv.backend.fonts.push_back(std::move(font));
    return qv.backend.fonts.back().get();
}

void qvbCloseFont(QvBackendFont *font) {
    auto &fonts = qv.backend.fonts;
    for (auto it = fonts.begin(); it != fonts.end(); ++it) {
        if (it->get() != font) continue;
        TTF_CloseFont(font->font);
        fonts.erase(it);
        return;
    }
}

void qvCloseBackendFonts() {
    collectPrefetched();
    for (auto &font : qv.backend.fonts) TTF_CloseFont(font->font);
    qv.backend.fonts.clear();
    if (qv.backend.ttfReady) TTF_Quit();
    qv.backend.ttfReady = false;
}
