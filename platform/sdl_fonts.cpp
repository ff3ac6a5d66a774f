// sdl_fonts.cpp: the fonts that dialog templates name, found with fontconfig
// and drawn with SDL2_ttf.
//
// Implemented:
//   - Face resolution: fontconfig's best match for the face, kept when its
//     family is the one asked for; otherwise the alias table's metric twin
//     (Arial -> Liberation Sans; Arial Black, which fontconfig would hand to
//     DejaVu Sans, -> Liberation Sans at weight 900, i.e. Liberation Sans
//     Bold); otherwise whatever fontconfig found.
//   - Sizes in Windows points: SDL2_ttf counts 72 dots an inch, Windows 96,
//     so fonts are opened with TTF_OpenFontIndexDPI at 96 dpi.
//   - The metrics dialog units come from: the average character width by
//     Windows' formula, (width of "A..Za..z" / 26 + 1) / 2, and the cell
//     height; text measured without kerning, as GDI measures it.
// Left out: italic, underline, character sets, bitmap fonts, font handles
// (WM_SETFONT / HFONT): each dialog draws with the font its template names.
#include "sdl_dialog_internal.h"

#include <fontconfig/fontconfig.h>

#include <cstring>
#include <strings.h>

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

// Windows' dialog fonts are sized for 96 dots an inch.
const int windowsDpi = 96;

// The text whose width gives the average character width.
const char averageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// What one fontconfig match gave.
struct FontMatch {
    std::string family;
    std::string file;
    int index = 0;
};

// Asks fontconfig for the best font of a family at a weight; false when it
// has nothing at all (no fonts installed).
bool matchFont(const char *family, int weight, FontMatch *out) {
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

}  // namespace

bool qvResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index) {
    FontMatch direct, twin;
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
    if (!found) return false;
    *family = direct.family;
    *file = direct.file;
    *index = direct.index;
    return true;
}

int qvTextWidth(const QvFont *font, const char *text, size_t length) {
    if (!font || length == 0) return 0;
    std::string piece(text, length);
    int width = 0, height = 0;
    if (TTF_SizeUTF8(font->font, piece.c_str(), &width, &height) != 0) return 0;
    return width;
}

const QvFont *qvOpenFont(const char *faceName, int pointSize) {
    if (!faceName || !*faceName) faceName = "MS Sans Serif";
    if (pointSize <= 0) pointSize = 8;
    std::string family, file;
    int index = 0;
    if (!qvResolveFontFace(faceName, &family, &file, &index)) {
        SDL_ClearError();
        qvError("no font found for \"%s\"", faceName);
        return nullptr;
    }
    for (const auto &font : qvDlg.fonts)
        if (font->file == file && font->pointSize == pointSize) return font.get();
    if (!qvDlg.ttfReady) {
        if (TTF_Init() != 0) {
            qvError("cannot start SDL_ttf");
            return nullptr;
        }
        qvDlg.ttfReady = true;
    }
    TTF_Font *ttf = TTF_OpenFontIndexDPI(file.c_str(), pointSize, index, windowsDpi, windowsDpi);
    if (!ttf) {
        qvError("cannot open %s", file.c_str());
        return nullptr;
    }
    TTF_SetFontKerning(ttf, 0);
    auto font = std::make_unique<QvFont>();
    font->font = ttf;
    font->family = family;
    font->file = file;
    font->pointSize = pointSize;
    int sampleWidth = qvTextWidth(font.get(), averageWidthSample, strlen(averageWidthSample));
    font->averageWidth = (sampleWidth / 26 + 1) / 2;
    font->height = TTF_FontHeight(ttf);
    qvDlg.fonts.push_back(std::move(font));
    return qvDlg.fonts.back().get();
}

void qvCloseFonts() {
    for (auto &font : qvDlg.fonts) TTF_CloseFont(font->font);
    qvDlg.fonts.clear();
    if (qvDlg.ttfReady) TTF_Quit();
    qvDlg.ttfReady = false;
}
