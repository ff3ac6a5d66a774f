// resources.cpp: the program's resources where there is no windres: the
// script parsed and the icons decoded into QvImages.
//
// The resource script res/quelvaro.rc and the icon it names are embedded in
// the program at build time (cmake/embed_files.cmake); this file reads them.
//
// Implemented:
//   - A parser for the part of the resource-script language the script uses:
//     LANGUAGE; "name ICON file"; "name DIALOG x, y, cx, cy" with STYLE,
//     EXSTYLE, CAPTION, FONT and a BEGIN/END (or { }) block of CONTROL lines
//     whose text may be a string or a resource number; style expressions of
//     names and numbers joined by '|', with NOT taking bits away; comments;
//     preprocessor lines are skipped (windres needs "#include <windows.h>",
//     here every name is resolved from a table with Windows' values).
//   - "name VERSIONINFO": read past as a whole, fixed statements and nested
//     BEGIN/END blocks, since only Windows shows what it holds.
//   - .ico decoding (1, 4, 8, 24 and 32 bits a pixel, with the AND mask).
//   - LoadIconA: the program's icons by number, and the stock application icon.
// Left out: DIALOGEX, MENU, STRINGTABLE, what a VERSIONINFO holds, shorthand control statements
// (PUSHBUTTON, LTEXT...), #define and #if, PNG-compressed icons, cursors.
#include "qv_dialog_internal.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

// ===========================================================================
// Embedded files
// ===========================================================================

const QvEmbeddedFile *qvFindEmbeddedFile(const char *name) {
    for (const QvEmbeddedFile *f = quelvaroEmbeddedFiles; f->name; f++)
        if (strcmp(f->name, name) == 0) return f;
    return nullptr;
}

// ===========================================================================
// Names the script may use
// ===========================================================================

namespace {

struct NamedValue {
    const char *name;
    long value;
};

#define QV_NAME(n) \
    { #n, (long)(n) }
const NamedValue resourceNames[] = {
    QV_NAME(WS_OVERLAPPED),
    QV_NAME(WS_POPUP),
    QV_NAME(WS_CHILD),
    QV_NAME(WS_MINIMIZE),
    QV_NAME(WS_VISIBLE),
    QV_NAME(WS_DISABLED),
    QV_NAME(WS_CLIPSIBLINGS),
    QV_NAME(WS_CLIPCHILDREN),
    QV_NAME(WS_MAXIMIZE),
    QV_NAME(WS_CAPTION),
    QV_NAME(WS_BORDER),
    QV_NAME(WS_DLGFRAME),
    QV_NAME(WS_VSCROLL),
    QV_NAME(WS_HSCROLL),
    QV_NAME(WS_SYSMENU),
    QV_NAME(WS_THICKFRAME),
    QV_NAME(WS_GROUP),
    QV_NAME(WS_TABSTOP),
    QV_NAME(WS_MINIMIZEBOX),
    QV_NAME(WS_MAXIMIZEBOX),
    QV_NAME(WS_OVERLAPPEDWINDOW),
    QV_NAME(WS_EX_DLGMODALFRAME),
    QV_NAME(WS_EX_TOPMOST),
    QV_NAME(WS_EX_CLIENTEDGE),
    QV_NAME(WS_EX_STATICEDGE),
    QV_NAME(DS_SETFONT),
    QV_NAME(DS_MODALFRAME),
    QV_NAME(DS_CENTER),
    QV_NAME(BS_PUSHBUTTON),
    QV_NAME(BS_DEFPUSHBUTTON),
    QV_NAME(BS_GROUPBOX),
    QV_NAME(SS_LEFT),
    QV_NAME(SS_CENTER),
    QV_NAME(SS_ICON),
    QV_NAME(SS_SUNKEN),
    QV_NAME(SBS_HORZ),
    QV_NAME(SBS_VERT),
    QV_NAME(IDOK),
    QV_NAME(IDCANCEL),
    QV_NAME(LANG_NEUTRAL),
    QV_NAME(LANG_ENGLISH),
    QV_NAME(LANG_SPANISH),
    QV_NAME(SUBLANG_NEUTRAL),
    QV_NAME(SUBLANG_DEFAULT),
    QV_NAME(SUBLANG_ENGLISH_US),
    QV_NAME(SUBLANG_SPANISH_MODERN),
};
#undef QV_NAME

// Memory flags of old 16-bit resources: accepted and ignored, as windres does.
const char *const memoryFlags[] = {"MOVEABLE", "FIXED", "PURE", "IMPURE", "PRELOAD", "LOADONCALL", "DISCARDABLE"};

// The style a DIALOG gets when it has no STYLE statement.
const DWORD defaultDialogStyle = WS_POPUP | WS_BORDER | WS_SYSMENU;
// A CONTROL starts from this style; NOT takes bits away.
const DWORD defaultControlStyle = WS_CHILD | WS_VISIBLE;

}  // namespace

bool qvLookupResourceName(const std::string &name, long *value) {
    for (const NamedValue &n : resourceNames) {
        if (name == n.name) {
            *value = n.value;
            return true;
        }
    }
    return false;
}

// ===========================================================================
// The script parser
// ===========================================================================

namespace {

enum class TokenKind { End, Number, Name, String, Punct };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;  // name, string contents, or the punctuation character
    long number = 0;
    int line = 1;
};

// Splits the script into tokens; skips blanks, comments and preprocessor lines.
class Lexer {
  public:
    explicit Lexer(const char *text) : p_(text) {}

    // Reads the next token into *token; false with *error on a malformed one.
    bool next(Token *token, std::string *error) {
        skipBlanks();
        token->line = line_;
        token->text.clear();
        token->number = 0;
        char c = *p_;
        if (c == '\0') {
            token->kind = TokenKind::End;
            return true;
        }
        if (c == '"') return readString(token, error);
        if (isdigit((unsigned char)c)) return readNumber(token);
        if (isalpha((unsigned char)c) || c == '_') {
            token->kind = TokenKind::Name;
            while (isalnum((unsigned char)*p_) || *p_ == '_') token->text += *p_++;
            return true;
        }
        if (strchr(",|{}()-~+", c)) {
            token->kind = TokenKind::Punct;
            token->text = std::string(1, c);
            p_++;
            return true;
        }
        *error = "line " + std::to_string(line_) + ": unexpected character '" + std::string(1, c) + "'";
        return false;
    }

  private:
    // Skips blanks, newlines, // and /* */ comments, and whole preprocessor
    // lines (a '#' first on its line, with backslash continuations).
    void skipBlanks() {
        for (;;) {
            char c = *p_;
            if (c == '\n') {
                line_++;
                atLineStart_ = true;
                p_++;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                p_++;
            } else if (c == '#' && atLineStart_) {
                while (*p_ && *p_ != '\n') {
                    if (*p_ == '\\' && p_[1] == '\n') {
                        line_++;
                        p_++;
                    }
                    p_++;
                }
            } else if (c == '/' && p_[1] == '/') {
                while (*p_ && *p_ != '\n') p_++;
            } else if (c == '/' && p_[1] == '*') {
                p_ += 2;
                while (*p_ && !(*p_ == '*' && p_[1] == '/')) {
                    if (*p_ == '\n') line_++;
                    p_++;
                }
                if (*p_) p_ += 2;
            } else {
                atLineStart_ = false;
                return;
            }
        }
    }

    // A string literal: "" stands for one quote; \n \t \\ \" are escapes.
    bool readString(Token *token, std::string *error) {
        token->kind = TokenKind::String;
        p_++;
        for (;;) {
            char c = *p_;
            if (c == '\0' || c == '\n') {
                *error = "line " + std::to_string(token->line) + ": unterminated string";
                return false;
            }
            p_++;
            if (c == '"') {
                if (*p_ != '"') return true;
                p_++;
                token->text += '"';
            } else if (c == '\\' && *p_) {
                char e = *p_++;
                token->text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            } else {
                token->text += c;
            }
        }
    }

    // A decimal or 0x hexadecimal number, with an optional L or U suffix.
    bool readNumber(Token *token) {
        token->kind = TokenKind::Number;
        char *end = nullptr;
        unsigned long value = strtoul(p_, &end, 0);
        token->text.assign(p_, (size_t)(end - p_));
        token->number = (long)(DWORD)value;
        p_ = end;
        while (*p_ == 'L' || *p_ == 'l' || *p_ == 'U' || *p_ == 'u') p_++;
        return true;
    }

    const char *p_;
    int line_ = 1;
    bool atLineStart_ = true;
};

// A recursive-descent parser over the lexer, one token of look-ahead.
class ScriptParser {
  public:
    ScriptParser(const char *text, QvResourceScript *script) : lexer_(text), script_(script) {}

    bool parse(std::string *error) {
        error_ = error;
        if (!advance()) return false;
        while (tok_.kind != TokenKind::End)
            if (!statement()) return false;
        return true;
    }

  private:
    bool advance() { return lexer_.next(&tok_, error_); }

    bool fail(const std::string &what) {
        *error_ = "line " + std::to_string(tok_.line) + ": " + what;
        return false;
    }

    // How the current token reads in an error message.
    std::string found() const {
        switch (tok_.kind) {
        case TokenKind::End:
            return "the end of the script";
        case TokenKind::String:
            return "\"" + tok_.text + "\"";
        default:
            return "'" + tok_.text + "'";
        }
    }

    bool isName(const char *name) const { return tok_.kind == TokenKind::Name && tok_.text == name; }
    bool isPunct(char c) const { return tok_.kind == TokenKind::Punct && tok_.text[0] == c; }

    bool expectPunct(char c) {
        if (!isPunct(c)) return fail(std::string("expected '") + c + "', found " + found());
        return advance();
    }

    bool expectString(std::string *out) {
        if (tok_.kind != TokenKind::String) return fail("expected a string, found " + found());
        *out = tok_.text;
        return advance();
    }

    // One value: a number, a known name, a parenthesised expression, or one
    // of these negated with '-' or complemented with '~'.
    bool primary(long *value) {
        if (isPunct('-') || isPunct('~')) {
            char op = tok_.text[0];
            if (!advance()) return false;
            long inner = 0;
            if (!primary(&inner)) return false;
            *value = op == '-' ? -inner : ~inner;
            return true;
        }
        if (isPunct('(')) {
            if (!advance() || !expression(0, value)) return false;
            return expectPunct(')');
        }
        if (tok_.kind == TokenKind::Number) {
            *value = tok_.number;
            return advance();
        }
        if (tok_.kind == TokenKind::Name) {
            if (!qvLookupResourceName(tok_.text, value)) return fail("unknown name '" + tok_.text + "'");
            return advance();
        }
        return fail("expected a number or a name, found " + found());
    }

    // Terms joined by '|' (or '+'), starting from start; "NOT x" clears x's
    // bits from what is there so far, as the resource compiler reads it.
    bool expression(long start, long *value) {
        long result = start;
        for (;;) {
            bool negate = isName("NOT");
            if (negate && !advance()) return false;
            long term = 0;
            if (!primary(&term)) return false;
            result = negate ? (result & ~term) : (result | term);
            if (!isPunct('|') && !isPunct('+')) break;
            if (!advance()) return false;
        }
        *value = result;
        return true;
    }

    // An expression followed by a comma.
    bool argument(long *value) { return expression(0, value) && expectPunct(','); }

    bool statement() {
        if (isName("LANGUAGE")) return language(&language_);
        if (tok_.kind != TokenKind::Name && tok_.kind != TokenKind::Number && tok_.kind != TokenKind::String)
            return fail("expected a resource name, found " + found());
        Token name = tok_;
        if (!advance()) return false;
        if (isName("ICON")) return icon(name);
        if (isName("DIALOG")) return dialog(name);
        if (isName("VERSIONINFO")) return skipVersionInfo();
        return fail("expected ICON, DIALOG or VERSIONINFO after '" + name.text + "', found " + found());
    }

    // VERSIONINFO, its fixed statements, then one block whose BLOCK and VALUE
    // lines nest in BEGIN/END (or { }); nothing in it is kept. The fixed
    // statements' names are Windows' and not looked up here.
    bool skipVersionInfo() {
        if (!advance()) return false;
        while (!isName("BEGIN") && !isPunct('{')) {
            if (tok_.kind == TokenKind::End) return fail("expected BEGIN, found " + found());
            if (!advance()) return false;
        }
        int depth = 0;
        do {
            if (tok_.kind == TokenKind::End) return fail("expected END, found " + found());
            if (isName("BEGIN") || isPunct('{')) depth++;
            if (isName("END") || isPunct('}')) depth--;
            if (!advance()) return false;
        } while (depth > 0);
        return true;
    }

    // LANGUAGE primary, sub: the language of the resources that follow.
    bool language(WORD *out) {
        long primaryLang = 0, subLang = 0;
        if (!advance() || !argument(&primaryLang) || !expression(0, &subLang)) return false;
        *out = (WORD)(((subLang & 0x3f) << 10) | (primaryLang & 0x3ff));
        return true;
    }

    // name ICON "file"
    bool icon(const Token &name) {
        if (name.kind != TokenKind::Number) return fail("an icon here is named by a number");
        QvIconResource res;
        res.id = (int)name.number;
        res.language = language_;
        if (!advance() || !expectString(&res.file)) return false;
        script_->icons.push_back(res);
        return true;
    }

    // name DIALOG [memory flags] x, y, cx, cy, then its statements and block.
    bool dialog(const Token &name) {
        QvDialogTemplate dlg;
        dlg.name = name.text;
        dlg.language = language_;
        dlg.style = defaultDialogStyle;
        if (!advance()) return false;
        while (tok_.kind == TokenKind::Name && isMemoryFlag(tok_.text))
            if (!advance()) return false;
        long x, y, cx, cy;
        if (!argument(&x) || !argument(&y) || !argument(&cx) || !expression(0, &cy)) return false;
        dlg.x = (int)x, dlg.y = (int)y, dlg.cx = (int)cx, dlg.cy = (int)cy;
        while (!isName("BEGIN") && !isPunct('{'))
            if (!dialogOption(&dlg)) return false;
        if (!advance()) return false;
        while (!isName("END") && !isPunct('}')) {
            if (!isName("CONTROL")) return fail("expected CONTROL or END, found " + found());
            QvDialogItemTemplate item;
            if (!control(&item)) return false;
            dlg.items.push_back(item);
        }
        if (!advance()) return false;
        script_->dialogs.push_back(dlg);
        return true;
    }

    static bool isMemoryFlag(const std::string &word) {
        for (const char *flag : memoryFlags)
            if (word == flag) return true;
        return false;
    }

    // STYLE, EXSTYLE, CAPTION, FONT or LANGUAGE before a dialog's block.
    // CAPTION adds WS_CAPTION and FONT adds DS_SETFONT, as the compiler does.
    bool dialogOption(QvDialogTemplate *dlg) {
        long value = 0;
        if (isName("STYLE")) {
            if (!advance() || !expression(0, &value)) return false;
            dlg->style = (DWORD)value;
        } else if (isName("EXSTYLE")) {
            if (!advance() || !expression(0, &value)) return false;
            dlg->exStyle = (DWORD)value;
        } else if (isName("CAPTION")) {
            if (!advance() || !expectString(&dlg->caption)) return false;
            dlg->style |= WS_CAPTION;
        } else if (isName("FONT")) {
            if (!advance() || !argument(&value) || !expectString(&dlg->faceName)) return false;
            dlg->pointSize = (int)value;
            dlg->style |= DS_SETFONT;
        } else if (isName("LANGUAGE")) {
            return language(&dlg->language);
        } else {
            return fail("expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN, found " + found());
        }
        return true;
    }

    // CONTROL text, id, class, style, x, y, cx, cy [, exstyle]
    bool control(QvDialogItemTemplate *item) {
        if (!advance()) return false;
        if (tok_.kind == TokenKind::String) {
            item->text = tok_.text;
        } else if (tok_.kind == TokenKind::Number) {
            item->textResource = (int)tok_.number;
        } else {
            return fail("expected the control's text or resource number, found " + found());
        }
        if (!advance() || !expectPunct(',')) return false;
        long id, style, x, y, cx, cy;
        if (!argument(&id)) return false;
        if (tok_.kind != TokenKind::String && tok_.kind != TokenKind::Name)
            return fail("expected the control's class, found " + found());
        item->className = tok_.text;
        if (!advance() || !expectPunct(',')) return false;
        if (!expression((long)defaultControlStyle, &style) || !expectPunct(',')) return false;
        if (!argument(&x) || !argument(&y) || !argument(&cx) || !expression(0, &cy)) return false;
        if (isPunct(',')) {
            long exStyle = 0;
            if (!advance() || !expression(0, &exStyle)) return false;
            item->exStyle = (DWORD)exStyle;
        }
        item->id = (int)id;
        item->style = (DWORD)style;
        item->x = (int)x, item->y = (int)y, item->cx = (int)cx, item->cy = (int)cy;
        return true;
    }

    Lexer lexer_;
    QvResourceScript *script_;
    std::string *error_ = nullptr;
    Token tok_;
    WORD language_ = 0;
};

}  // namespace

bool qvParseResourceScript(const char *text, QvResourceScript *script, std::string *error) {
    *script = QvResourceScript{};
    std::string ignored;
    ScriptParser parser(text, script);
    return parser.parse(error ? error : &ignored);
}

const QvResourceScript &qvProgramResources() {
    if (!qv.resourcesParsed) {
        qv.resourcesParsed = true;
        const QvEmbeddedFile *rc = qvFindEmbeddedFile("quelvaro.rc");
        std::string error;
        qvbClearError();  // what goes wrong here is not the backend's
        if (!rc) {
            qvError("the resource script is not embedded in the program");
        } else if (!qvParseResourceScript((const char *)rc->bytes, &qv.resources, &error)) {
            qvError("quelvaro.rc: %s", error.c_str());
            qv.resources = QvResourceScript{};
        }
    }
    return qv.resources;
}

// Compares two names without regard to case, as resource names are compared.
static bool sameName(const std::string &a, const char *b) {
    return strcasecmp(a.c_str(), b) == 0;
}

// The number a resource name stands for: MAKEINTRESOURCE(n) or "#n"; -1 for
// a name that is a plain string.
static int resourceNumber(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return (int)LOWORD((ULONG_PTR)name);
    if (name[0] == '#' && isdigit((unsigned char)name[1])) return atoi(name + 1);
    return -1;
}

const QvDialogTemplate *qvFindDialogTemplate(LPCSTR name) {
    if (!name) return nullptr;
    int number = resourceNumber(name);
    for (const QvDialogTemplate &dlg : qvProgramResources().dialogs) {
        if (number >= 0 ? dlg.name == std::to_string(number) : sameName(dlg.name, name)) return &dlg;
    }
    return nullptr;
}

// ===========================================================================
// Icons
// ===========================================================================

namespace {

// Little-endian readers over a byte range that is known to be long enough.
uint16_t read16(const unsigned char *p) {
    return (uint16_t)(p[0] | p[1] << 8);
}
uint32_t read32(const unsigned char *p) {
    return (uint32_t)(p[0] | p[1] << 8 | p[2] << 16 | (uint32_t)p[3] << 24);
}

const size_t iconDirSize = 6;
const size_t iconEntrySize = 16;
const size_t bitmapHeaderSize = 40;
const int preferredIconSize = 32;

// Picks the directory entry nearest to 32 by 32, the deepest colour among equals.
size_t bestIconEntry(const unsigned char *bytes, size_t count) {
    size_t best = 0;
    int bestDistance = 1 << 30, bestDepth = -1;
    for (size_t i = 0; i < count; i++) {
        const unsigned char *e = bytes + iconDirSize + i * iconEntrySize;
        int width = e[0] ? e[0] : 256;
        int depth = read16(e + 6);
        int distance = abs(width - preferredIconSize);
        if (distance < bestDistance || (distance == bestDistance && depth > bestDepth)) {
            best = i;
            bestDistance = distance;
            bestDepth = depth;
        }
    }
    return best;
}

// Bytes in one bitmap row of the given width and depth: rows are padded to 4 bytes.
size_t rowBytes(int width, int bitsPerPixel) {
    return (((size_t)width * bitsPerPixel + 31) / 32) * 4;
}

}  // namespace

bool qvDecodeIcon(const unsigned char *bytes, size_t size, QvImage *decoded, std::string *error) {
    auto bad = [error](const char *what) {
        if (error) *error = what;
        return false;
    };
    if (size < iconDirSize || read16(bytes) != 0 || read16(bytes + 2) != 1) return bad("not an icon file");
    size_t count = read16(bytes + 4);
    if (count == 0 || size < iconDirSize + count * iconEntrySize) return bad("icon directory cut short");
    const unsigned char *entry = bytes + iconDirSize + bestIconEntry(bytes, count) * iconEntrySize;
    size_t imageSize = read32(entry + 8), offset = read32(entry + 12);
    if (offset > size || imageSize > size - offset || imageSize < bitmapHeaderSize)
        return bad("icon image outside the file");
    const unsigned char *image = bytes + offset;
    if (memcmp(image, "\x89PNG", 4) == 0) return bad("PNG-compressed icons are not supported");

    size_t headerSize = read32(image);
    int width = (int32_t)read32(image + 4);
    int height = (int32_t)read32(image + 8) / 2;  // the colour image and the mask, stacked
    int planes = read16(image + 12), depth = read16(image + 14);
    uint32_t compression = read32(image + 16), coloursUsed = read32(image + 32);
    if (headerSize < bitmapHeaderSize || headerSize > imageSize) return bad("bad bitmap header");
    if (width <= 0 || width > 256 || height <= 0 || height > 256) return bad("bad icon size");
    if (planes != 1 || compression != 0) return bad("unsupported bitmap format");
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24 && depth != 32) return bad("unsupported colour depth");

    size_t paletteCount = depth <= 8 ? (coloursUsed ? coloursUsed : (size_t)1 << depth) : 0;
    if (paletteCount > 256) return bad("bad palette size");
    size_t colourStride = rowBytes(width, depth), maskStride = rowBytes(width, 1);
    size_t needed = headerSize + paletteCount * 4 + (colourStride + maskStride) * height;
    if (needed > imageSize) return bad("icon bits cut short");
    const unsigned char *palette = image + headerSize;
    const unsigned char *colours = palette + paletteCount * 4;
    const unsigned char *mask = colours + colourStride * height;

    QvImage surface = qvImageNew(width, height);
    if (!surface.pixels) return bad("out of memory");
    for (int y = 0; y < height; y++) {
        // Bitmaps run bottom-up.
        const unsigned char *row = colours + colourStride * (height - 1 - y);
        const unsigned char *maskRow = mask + maskStride * (height - 1 - y);
        uint32_t *out = (uint32_t *)((unsigned char *)surface.pixels + y * surface.pitch);
        for (int x = 0; x < width; x++) {
            unsigned r, g, b, a = 255;
            if (depth <= 8) {
                int shift = 8 - depth - (x * depth) % 8;
                unsigned index = (row[x * depth / 8] >> shift) & ((1u << depth) - 1);
                if (index >= paletteCount) index = 0;
                b = palette[index * 4], g = palette[index * 4 + 1], r = palette[index * 4 + 2];
            } else {
                const unsigned char *px = row + x * (depth / 8);
                b = px[0], g = px[1], r = px[2];
                if (depth == 32) a = px[3];
            }
            bool transparent = (maskRow[x / 8] >> (7 - x % 8)) & 1;
            if (transparent) a = 0;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    *decoded = surface;
    return true;
}

// The icons live as long as the process; their images are freed by an exit
// handler, before the layer's state is destroyed, where an image dropped with
// the state would look lost to a leak checker.
static void freeIconImages() {
    for (const auto &icon : qv.icons) qvImageFree(&icon->image);
    qv.icons.clear();
}

// Registers a decoded image as an icon and returns its handle.
static HICON addIcon(int id, const QvImage &image) {
    if (!qv.iconsFreedAtExit) qv.iconsFreedAtExit = std::atexit(freeIconImages) == 0;
    auto icon = std::make_unique<QvIcon>();
    icon->handle = qvHandle<HICON>(qvNewHandle());
    icon->id = id;
    icon->image = image;
    HICON handle = icon->handle;
    qv.icons.push_back(std::move(icon));
    return handle;
}

HICON qvLoadProgramIcon(int id) {
    for (const auto &icon : qv.icons)
        if (icon->id == id && id != 0) return icon->handle;
    for (const QvIconResource &res : qvProgramResources().icons) {
        if (res.id != id) continue;
        const QvEmbeddedFile *file = qvFindEmbeddedFile(res.file.c_str());
        qvbClearError();  // what goes wrong here is not the backend's
        if (!file) {
            qvError("icon %d: \"%s\" is not embedded in the program", id, res.file.c_str());
            return nullptr;
        }
        std::string error;
        QvImage image;
        if (!qvDecodeIcon(file->bytes, file->size, &image, &error)) {
            qvError("icon %d (%s): %s", id, res.file.c_str(), error.c_str());
            return nullptr;
        }
        return addIcon(id, image);
    }
    return nullptr;
}

const QvImage *qvIconImage(HICON icon) {
    for (const auto &i : qv.icons)
        if (i->handle == icon) return &i->image;
    return nullptr;
}

// The stock application icon: a small white window with a blue title bar and
// a black frame, as the system draws it.
static HICON stockApplicationIcon() {
    for (const auto &icon : qv.icons)
        if (icon->id == 0) return icon->handle;
    const int size = 32, left = 2, top = 4, right = 29, bottom = 27, titleBottom = 9;
    QvImage image = qvImageNew(size, size);
    if (!image.pixels) return nullptr;
    for (int y = 0; y < size; y++) {
        uint32_t *row = (uint32_t *)((unsigned char *)image.pixels + y * image.pitch);
        for (int x = 0; x < size; x++) {
            bool inside = x >= left && x <= right && y >= top && y <= bottom;
            bool frame = inside && (x == left || x == right || y == top || y == bottom);
            if (!inside)
                row[x] = 0x00000000;
            else if (frame)
                row[x] = 0xFF000000;
            else if (y <= titleBottom)
                row[x] = 0xFF000080;
            else
                row[x] = 0xFFFFFFFF;
        }
    }
    return addIcon(0, image);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (!name) return nullptr;
    int number = resourceNumber(name);
    if (number < 0) return nullptr;  // the program has no icons named by a string
    if (instance) return qvLoadProgramIcon(number);
    return number == LOWORD((ULONG_PTR)IDI_APPLICATION) ? stockApplicationIcon() : nullptr;
}
