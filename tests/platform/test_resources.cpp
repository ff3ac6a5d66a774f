// The resource script as the layer reads it: the three dialog templates
// control by control, the same script as windres compiles it, the parser's
// answers to scripts it must refuse, the icon, and the fonts.
#include <gtest/gtest.h>

#include "platform/core/qv_dialog_internal.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

// Every control of a CONTROL line starts visible; hidden ones take it away.
const DWORD shown = WS_CHILD | WS_VISIBLE;
const DWORD hidden = WS_CHILD;
const DWORD push = BS_PUSHBUTTON | WS_TABSTOP;
const DWORD framedText = SS_LEFT | SS_SUNKEN | WS_BORDER | WS_GROUP;

struct ExpectedDialog {
    const char *name;
    WORD language;
    DWORD style;
    int x, y, cx, cy;
    const char *caption;
    int pointSize;
    const char *face;
    size_t controls;
};

const WORD englishUs = (SUBLANG_ENGLISH_US << 10) | LANG_ENGLISH;
const WORD spanishModern = (SUBLANG_SPANISH_MODERN << 10) | LANG_SPANISH;
const DWORD dialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFONT;

const ExpectedDialog expectedDialogs[] = {
    {"ColorScrDlg", englishUs, dialogStyle, 350, 16, 135, 111, "OPTIONS - SOFT BY OSTREVAN", 9, "Arial", 16},
    {"ColorScrDlg1", spanishModern, dialogStyle | WS_SYSMENU, 200, 140, 112, 89, "OPCIONES ", 9, "Arial Black", 8},
    {"ColorScrDlg3", spanishModern, dialogStyle | WS_SYSMENU, 100, 100, 86, 174, "FORM'S COLORS", 11, "Arial", 10},
};

struct ExpectedControl {
    const char *dialog;
    int id;
    const char *className;
    const char *text;
    int icon;  // resource number in place of the text
    int x, y, cx, cy;
    DWORD style;
};

const ExpectedControl expectedControls[] = {
    {"ColorScrDlg", 1020, "BUTTON", "efecto cortinado", 0, 9, 52, 58, 14, shown | push},
    {"ColorScrDlg", 1021, "BUTTON", "smooth->flat", 0, 2, 75, 46, 16, hidden | push},
    {"ColorScrDlg", 1022, "BUTTON", "rombos", 0, 2, 92, 58, 13, hidden | push},
    {"ColorScrDlg", -1, "BUTTON", "options", 0, 2, 2, 73, 67, shown | BS_GROUPBOX},
    {"ColorScrDlg", -1, "STATIC", "LEFT-MOUSE- TRACK- BALL  ROTATION               RIGHT-MOUSE  MOBILE LIGHT", 0, 79, 2,
     53, 54, shown | framedText},
    {"ColorScrDlg", 1030, "BUTTON", "camara ++", 0, 18, 88, 49, 14, hidden | push},
    {"ColorScrDlg", 1031, "BUTTON", "camara -  -", 0, 2, 83, 48, 13, hidden | push},
    {"ColorScrDlg", 1032, "BUTTON", "OPTIONS", 0, 2, 75, 46, 17, hidden | push},
    {"ColorScrDlg", 1033, "BUTTON", "prom-asim1", 0, 2, 94, 29, 12, hidden | push},
    {"ColorScrDlg", 1034, "BUTTON", "plane-wave z", 0, 8, 32, 58, 15, shown | push},
    {"ColorScrDlg", 1035, "BUTTON", "plano-wave x-z", 0, 2, 90, 58, 15, hidden | push},
    {"ColorScrDlg", 1038, "BUTTON", "COLORS", 0, 14, 71, 45, 17, hidden | push},
    {"ColorScrDlg", -1, "STATIC", "", 32512, 22, 86, 20, 20, shown | SS_ICON | SS_SUNKEN | WS_BORDER},
    {"ColorScrDlg", -1, "STATIC", "MOBILE WAVES  BY   ILUMINATION NORMAL MAP", 0, 79, 67, 53, 38, shown | framedText},
    {"ColorScrDlg", 1047, "BUTTON", "plane-wave x", 0, 8, 14, 57, 14, shown | push},
    {"ColorScrDlg", 1048, "BUTTON", "ajedrezado", 0, 2, 92, 57, 13, hidden | push},

    {"ColorScrDlg1", IDOK, "BUTTON", "OK", 0, 24, 64, 62, 11, shown | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"ColorScrDlg1", 1008, "BUTTON", "WIREFRAME <-> SMOOTH", 0, 5, 8, 85, 9, shown | push},
    {"ColorScrDlg1", 1009, "BUTTON", "reset-motion", 0, 7, 20, 50, 9, shown | push},
    {"ColorScrDlg1", 1006, "BUTTON", "NIEBLITA", 0, 60, 32, 42, 9, shown | push},
    {"ColorScrDlg1", 1018, "BUTTON", "LUCES", 0, 60, 20, 33, 9, shown | push},
    {"ColorScrDlg1", 1019, "BUTTON", "PERSPECTIVE", 0, 5, 32, 50, 9, shown | push},
    {"ColorScrDlg1", -1, "BUTTON", "", 0, 0, 0, 109, 86, shown | BS_GROUPBOX},
    {"ColorScrDlg1", 1046, "BUTTON", "TRANSPARENCIA", 0, 29, 45, 62, 14, shown | push},

    {"ColorScrDlg3", IDOK, "BUTTON", "OK", 0, 6, 156, 50, 11, shown | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"ColorScrDlg3", 1039, "SCROLLBAR", "", 0, 8, 5, 10, 66, shown | SBS_VERT},
    {"ColorScrDlg3", 1040, "SCROLLBAR", "", 0, 25, 5, 10, 65, shown | SBS_VERT},
    {"ColorScrDlg3", 1041, "SCROLLBAR", "", 0, 42, 5, 10, 66, shown | SBS_VERT},
    {"ColorScrDlg3", 1042, "SCROLLBAR", "", 0, 8, 90, 10, 62, shown | SBS_VERT},
    {"ColorScrDlg3", 1043, "SCROLLBAR", "", 0, 25, 90, 10, 61, shown | SBS_VERT},
    {"ColorScrDlg3", 1044, "SCROLLBAR", "", 0, 42, 90, 10, 62, shown | SBS_VERT},
    {"ColorScrDlg3", -1, "STATIC", "R       G      B", 0, 7, 76, 47, 9, shown | SS_LEFT | WS_GROUP},
    {"ColorScrDlg3", 1045, "SCROLLBAR", "", 0, 58, 41, 16, 99, shown | SBS_VERT},
    {"ColorScrDlg3", -1, "STATIC", "transp.", 0, 56, 30, 23, 8, shown | SS_LEFT | WS_GROUP},
};

TEST(ResourceScript, DialogTemplatesCarryTheirHeaders) {
    for (const ExpectedDialog &e : expectedDialogs) {
        SCOPED_TRACE(e.name);
        const QvDialogTemplate *t = qvFindDialogTemplate(e.name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->language, e.language);
        EXPECT_EQ(t->style, e.style);
        EXPECT_EQ(t->exStyle, 0u);
        EXPECT_EQ(t->x, e.x);
        EXPECT_EQ(t->y, e.y);
        EXPECT_EQ(t->cx, e.cx);
        EXPECT_EQ(t->cy, e.cy);
        EXPECT_EQ(t->caption, e.caption);
        EXPECT_EQ(t->pointSize, e.pointSize);
        EXPECT_EQ(t->faceName, e.face);
        EXPECT_EQ(t->items.size(), e.controls);
    }
    EXPECT_EQ(qvProgramResources().dialogs.size(), 3u);
}

TEST(ResourceScript, EveryControlInTemplateOrder) {
    std::map<std::string, size_t> next;  // the next control of each dialog
    for (const ExpectedControl &e : expectedControls) {
        size_t index = next[e.dialog]++;
        SCOPED_TRACE(std::string(e.dialog) + " control " + std::to_string(index + 1));
        const QvDialogTemplate *t = qvFindDialogTemplate(e.dialog);
        ASSERT_NE(t, nullptr);
        ASSERT_LT(index, t->items.size());
        const QvDialogItemTemplate &c = t->items[index];
        EXPECT_EQ(c.id, e.id);
        EXPECT_EQ(c.className, e.className);
        EXPECT_EQ(c.text, e.text);
        EXPECT_EQ(c.textResource, e.icon);
        EXPECT_EQ(c.x, e.x);
        EXPECT_EQ(c.y, e.y);
        EXPECT_EQ(c.cx, e.cx);
        EXPECT_EQ(c.cy, e.cy);
        EXPECT_EQ(c.style, e.style) << std::hex << "expected 0x" << e.style << ", got 0x" << c.style;
        EXPECT_EQ(c.exStyle, 0u);
    }
}

TEST(ResourceScript, TemplatesAreFoundByNameWithoutRegardToCase) {
    struct Case {
        LPCSTR name;
        const char *found;  // null: none
    } cases[] = {
        {"ColorScrDlg", "ColorScrDlg"},
        {"COLORSCRDLG1", "ColorScrDlg1"},
        {"colorscrdlg3", "ColorScrDlg3"},
        {"ColorScrDlg2", nullptr},
        {"", nullptr},
        {nullptr, nullptr},
        {MAKEINTRESOURCEA(100), nullptr},
        {"#100", nullptr},
    };
    for (const Case &c : cases) {
        const QvDialogTemplate *t = qvFindDialogTemplate(c.name);
        if (c.found) {
            ASSERT_NE(t, nullptr) << c.name;
            EXPECT_EQ(t->name, c.found);
        } else {
            EXPECT_EQ(t, nullptr);
        }
    }
}

// ---- The same script through windres -------------------------------------

// A UTF-16 string or ordinal field of a compiled resource, as text ("#n"
// for an ordinal); advances *p past it.
std::string readNameOrOrdinal(const unsigned char **p) {
    uint16_t first = (uint16_t)((*p)[0] | (*p)[1] << 8);
    if (first == 0xFFFF) {
        uint16_t ordinal = (uint16_t)((*p)[2] | (*p)[3] << 8);
        *p += 4;
        return "#" + std::to_string(ordinal);
    }
    std::string text;
    for (;;) {
        uint16_t ch = (uint16_t)((*p)[0] | (*p)[1] << 8);
        *p += 2;
        if (ch == 0) return text;
        text += (char)ch;
    }
}

uint16_t word(const unsigned char *p) {
    return (uint16_t)(p[0] | p[1] << 8);
}
uint32_t dword(const unsigned char *p) {
    return (uint32_t)(word(p) | (uint32_t)word(p + 2) << 16);
}

// Rounds a pointer inside data up to a multiple of four from data's start.
const unsigned char *alignTo4(const unsigned char *data, const unsigned char *p) {
    return data + ((p - data + 3) & ~3);
}

// Reads a compiled DLGTEMPLATE into the parser's form (names of classes that
// the compiler stored as atoms come back as "#n").
QvDialogTemplate readCompiledDialog(const unsigned char *data) {
    QvDialogTemplate t;
    t.style = dword(data);
    t.exStyle = dword(data + 4);
    int count = word(data + 8);
    t.x = (int16_t)word(data + 10), t.y = (int16_t)word(data + 12);
    t.cx = (int16_t)word(data + 14), t.cy = (int16_t)word(data + 16);
    const unsigned char *p = data + 18;
    readNameOrOrdinal(&p);  // menu
    readNameOrOrdinal(&p);  // class
    t.caption = readNameOrOrdinal(&p);
    if (t.style & DS_SETFONT) {
        t.pointSize = word(p);
        p += 2;
        t.faceName = readNameOrOrdinal(&p);
    }
    for (int i = 0; i < count; i++) {
        p = alignTo4(data, p);
        QvDialogItemTemplate item;
        item.style = dword(p);
        item.exStyle = dword(p + 4);
        item.x = (int16_t)word(p + 8), item.y = (int16_t)word(p + 10);
        item.cx = (int16_t)word(p + 12), item.cy = (int16_t)word(p + 14);
        item.id = (int16_t)word(p + 16);
        p += 18;
        item.className = readNameOrOrdinal(&p);
        std::string text = readNameOrOrdinal(&p);
        if (text.size() > 1 && text[0] == '#')
            item.textResource = atoi(text.c_str() + 1);
        else
            item.text = text;
        p += 2 + word(p);  // creation data
        t.items.push_back(item);
    }
    return t;
}

// The dialogs of a compiled .res file, by name, with their languages.
std::map<std::string, QvDialogTemplate> readCompiledDialogs(const std::vector<unsigned char> &res) {
    const unsigned char rtDialog = 5;
    std::map<std::string, QvDialogTemplate> dialogs;
    size_t offset = 0;
    while (offset + 8 <= res.size()) {
        const unsigned char *entry = res.data() + offset;
        uint32_t dataSize = dword(entry), headerSize = dword(entry + 4);
        const unsigned char *p = entry + 8;
        std::string type = readNameOrOrdinal(&p);
        std::string name = readNameOrOrdinal(&p);
        p = alignTo4(entry, p);
        WORD language = word(p + 6);
        if (type == "#" + std::to_string(rtDialog)) {
            QvDialogTemplate t = readCompiledDialog(entry + headerSize);
            t.name = name;
            t.language = language;
            dialogs[name] = t;
        }
        offset += (headerSize + dataSize + 3) & ~3u;
    }
    return dialogs;
}

// Writes an embedded file into a directory.
void writeEmbedded(const std::string &dir, const char *name) {
    const QvEmbeddedFile *file = qvFindEmbeddedFile(name);
    ASSERT_NE(file, nullptr) << name;
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char *>(file->bytes), (std::streamsize)file->size);
}

std::string upper(std::string s) {
    for (char &c : s) c = (char)toupper((unsigned char)c);
    return s;
}

// The class atoms a compiler may use in place of a class name.
std::string classByAtom(const std::string &name) {
    if (name == "#128") return "BUTTON";
    if (name == "#130") return "STATIC";
    if (name == "#132") return "SCROLLBAR";
    return upper(name);
}

TEST(ResourceScript, ReadsTheScriptAsWindresCompilesIt) {
    const char *windres = "i686-w64-mingw32-windres";
    if (std::system((std::string("command -v ") + windres + " >/dev/null 2>&1").c_str()) != 0)
        GTEST_SKIP() << windres << " is not installed";
    char dirTemplate[] = "/tmp/quelvaro-rc-XXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    std::string dir = dirTemplate;
    writeEmbedded(dir, "quelvaro.rc");
    writeEmbedded(dir, "quelvaro.ico");
    std::string command = "cd " + dir + " && " + windres + " -O res -i quelvaro.rc -o quelvaro.res";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream in(dir + "/quelvaro.res", std::ios::binary);
    std::vector<unsigned char> res((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::system(("rm -rf " + dir).c_str());
    std::map<std::string, QvDialogTemplate> compiled = readCompiledDialogs(res);

    ASSERT_EQ(compiled.size(), qvProgramResources().dialogs.size());
    for (const QvDialogTemplate &ours : qvProgramResources().dialogs) {
        SCOPED_TRACE(ours.name);
        ASSERT_EQ(compiled.count(upper(ours.name)), 1u);
        const QvDialogTemplate &theirs = compiled[upper(ours.name)];
        EXPECT_EQ(ours.language, theirs.language);
        EXPECT_EQ(ours.style, theirs.style);
        EXPECT_EQ(ours.exStyle, theirs.exStyle);
        EXPECT_EQ(ours.x, theirs.x);
        EXPECT_EQ(ours.y, theirs.y);
        EXPECT_EQ(ours.cx, theirs.cx);
        EXPECT_EQ(ours.cy, theirs.cy);
        EXPECT_EQ(ours.caption, theirs.caption);
        EXPECT_EQ(ours.pointSize, theirs.pointSize);
        EXPECT_EQ(ours.faceName, theirs.faceName);
        ASSERT_EQ(ours.items.size(), theirs.items.size());
        for (size_t i = 0; i < ours.items.size(); i++) {
            SCOPED_TRACE("control " + std::to_string(i + 1));
            const QvDialogItemTemplate &a = ours.items[i], &b = theirs.items[i];
            EXPECT_EQ(a.style, b.style) << std::hex << "ours 0x" << a.style << ", windres 0x" << b.style;
            EXPECT_EQ(a.exStyle, b.exStyle);
            EXPECT_EQ(a.id, b.id);
            EXPECT_EQ(upper(a.className), classByAtom(b.className));
            EXPECT_EQ(a.text, b.text);
            EXPECT_EQ(a.textResource, b.textResource);
            EXPECT_EQ(a.x, b.x);
            EXPECT_EQ(a.y, b.y);
            EXPECT_EQ(a.cx, b.cx);
            EXPECT_EQ(a.cy, b.cy);
        }
    }
}

// ---- The parser on scripts of its own ---------------------------------------

TEST(ResourceParser, ReadsTheLanguageAsTheCompilerDoes) {
    struct Case {
        const char *what;
        const char *script;
        DWORD dialogStyle;
        DWORD controlStyle;
        std::string text;
    } cases[] = {
        {"NOT takes a bit away from the control's start",
         "#define X 1\nD DIALOG 1,2,3,4\nBEGIN\n"
         "CONTROL \"a\", 5, BUTTON, WS_TABSTOP | NOT WS_VISIBLE, 1, 2, 3, 4\nEND\n",
         WS_POPUP | WS_BORDER | WS_SYSMENU, WS_CHILD | WS_TABSTOP, "a"},
        {"NOT applies in order: a later name puts the bit back",
         "D DIALOG 1,2,3,4 { "
         "CONTROL \"a\", 5, \"BUTTON\", NOT WS_VISIBLE | WS_VISIBLE, 1, 2, 3, 4 }",
         WS_POPUP | WS_BORDER | WS_SYSMENU, WS_CHILD | WS_VISIBLE, "a"},
        {"STYLE replaces the default; CAPTION and FONT add theirs",
         "D DIALOG 1,2,3,4\nSTYLE WS_POPUP\nCAPTION \"c\"\nFONT 8, \"f\"\nBEGIN\n"
         "CONTROL \"\", 5, SCROLLBAR, 0x1L, 1, 2, 3, 4\nEND",
         WS_POPUP | WS_CAPTION | DS_SETFONT, WS_CHILD | WS_VISIBLE | SBS_VERT, ""},
        {"doubled quotes, escapes and comments",
         "// a comment\n/* another\nover lines */ D DIALOG "
         "MOVEABLE PURE 1,2,3,4 BEGIN CONTROL \"say \"\"hi\"\"\\tnow\", -1, STATIC, (SS_LEFT), 1,2,3,4 END",
         WS_POPUP | WS_BORDER | WS_SYSMENU, WS_CHILD | WS_VISIBLE, "say \"hi\"\tnow"},
        {"a version block, nested either way, is read past",
         "1 VERSIONINFO\nFILEVERSION 1, 0, 0, 0\nFILEOS VOS_NT_WINDOWS32\nBEGIN\n"
         "  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040904B0\" { VALUE \"ProductName\", \"END\" }\n  END\n"
         "  BLOCK \"VarFileInfo\" { VALUE \"Translation\", 0x409, 1200 }\nEND\n"
         "D DIALOG 1,2,3,4 BEGIN CONTROL \"a\", 5, STATIC, SS_LEFT, 1,2,3,4 END",
         WS_POPUP | WS_BORDER | WS_SYSMENU, WS_CHILD | WS_VISIBLE, "a"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        QvResourceScript script;
        std::string error;
        ASSERT_TRUE(qvParseResourceScript(c.script, &script, &error)) << error;
        ASSERT_EQ(script.dialogs.size(), 1u);
        ASSERT_EQ(script.dialogs[0].items.size(), 1u);
        EXPECT_EQ(script.dialogs[0].style, c.dialogStyle);
        EXPECT_EQ(script.dialogs[0].items[0].style, c.controlStyle);
        EXPECT_EQ(script.dialogs[0].items[0].text, c.text);
    }
}

TEST(ResourceParser, RefusesWhatItDoesNotKnowAndSaysWhere) {
    struct Case {
        const char *script;
        const char *error;
    } cases[] = {
        {"D DIALOG 1,2,3,4\nSTYLE WS_FANCY\nBEGIN\nEND", "line 2: unknown name 'WS_FANCY'"},
        {"D DIALOG 1,2,3,4\nCAPTION \"open", "line 2: unterminated string"},
        {"D DIALOG 1,2,3\nBEGIN\nEND", "line 2: expected ',', found 'BEGIN'"},
        {"D DIALOGEX 1,2,3,4\nBEGIN\nEND", "line 1: expected ICON, DIALOG or VERSIONINFO after 'D', found 'DIALOGEX'"},
        {"1 VERSIONINFO\nFILEVERSION 1,0,0,0\n", "line 3: expected BEGIN, found the end of the script"},
        {"1 VERSIONINFO\nBEGIN\nBLOCK \"a\"\nBEGIN\nEND", "line 5: expected END, found the end of the script"},
        {"1 VERSIONINFO\nBEGIN\nBLOCK \"a\" { }\nEND\nEND",
         "line 5: expected ICON, DIALOG or VERSIONINFO after 'END', found the end of the script"},
        {"1 VERSIONINFO\nBEGIN\nVALUE \"a\", @\nEND", "line 3: unexpected character '@'"},
        {"D DIALOG 1,2,3,4\nBEGIN\nPUSHBUTTON \"a\", 1, 2, 3, 4, 5\nEND",
         "line 3: expected CONTROL or END, found 'PUSHBUTTON'"},
        {"D DIALOG 1,2,3,4\nBEGIN\nCONTROL \"a\", 1, \"BUTTON\", 0, 1, 2, 3, 4",
         "line 3: expected CONTROL or END, found the end of the script"},
        {"D DIALOG 1,2,3,4\nBEGIN\nCONTROL \"a\" 1", "line 3: expected ',', found '1'"},
        {"Icon ICON \"x.ico\"", "line 1: an icon here is named by a number"},
        {"1 ICON x.ico", "line 1: expected a string, found 'x'"},
        {"LANGUAGE 9", "line 1: expected ',', found the end of the script"},
        {", D", "line 1: expected a resource name, found ','"},
        {"D DIALOG 1,2,3,(4\nBEGIN END", "line 2: expected ')', found 'BEGIN'"},
        {"D DIALOG 1,2,3,4 @", "line 1: unexpected character '@'"},
    };
    for (const Case &c : cases) {
        QvResourceScript script;
        std::string error;
        EXPECT_FALSE(qvParseResourceScript(c.script, &script, &error)) << c.script;
        EXPECT_EQ(error, c.error) << c.script;
    }
}

TEST(ResourceParser, AnEmptyScriptHoldsNothing) {
    const char *scripts[] = {"", "   \n\n", "#include <windows.h>\n", "// nothing\n/* at all */"};
    for (const char *text : scripts) {
        QvResourceScript script;
        std::string error;
        EXPECT_TRUE(qvParseResourceScript(text, &script, &error)) << error;
        EXPECT_TRUE(script.dialogs.empty());
        EXPECT_TRUE(script.icons.empty());
    }
}

// ---- The icon ----------------------------------------------------------------

// The alpha of one pixel of an ARGB surface.
Uint8 alphaAt(const QvImage *s, int x, int y) {
    Uint32 pixel = ((Uint32 *)((Uint8 *)s->pixels + y * s->pitch))[x];
    return (Uint8)(pixel >> 24);
}

Uint32 rgbAt(const QvImage *s, int x, int y) {
    return ((Uint32 *)((Uint8 *)s->pixels + y * s->pitch))[x] & 0xFFFFFF;
}

TEST(Icon, TheProgramsIconIs32By32WithATransparentSurround) {
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32512));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(GetModuleHandleA(nullptr), "#32512"), icon) << "loaded once, shared";
    const QvImage *image = qvIconImage(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(alphaAt(image, 0, 0), 0) << "the corner is outside the box";
    EXPECT_EQ(alphaAt(image, 16, 20), 255) << "the sheet is opaque";
    // At most 16 colours.
    std::set<Uint32> colours;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 32; x++)
            if (alphaAt(image, x, y)) colours.insert(rgbAt(image, x, y));
    EXPECT_LE(colours.size(), 16u);
    EXPECT_GE(colours.size(), 4u);
}

TEST(Icon, LoadIconAFindsOnlyWhatExists) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    struct Case {
        HINSTANCE instance;
        LPCSTR name;
        bool found;
    } cases[] = {
        {program, MAKEINTRESOURCEA(32512), true},
        {nullptr, IDI_APPLICATION, true},  // the stock icon
        {program, MAKEINTRESOURCEA(1), false},
        {nullptr, MAKEINTRESOURCEA(32515), false},
        {program, "QUELVARO", false},
        {program, nullptr, false},
    };
    for (const Case &c : cases) {
        HICON icon = LoadIconA(c.instance, c.name);
        EXPECT_EQ(icon != nullptr, c.found) << (IS_INTRESOURCE(c.name) ? (int)(uintptr_t)c.name : -1);
        EXPECT_EQ(qvIconImage(icon) != nullptr, c.found);
    }
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), LoadIconA(program, IDI_APPLICATION))
        << "the stock icon is not the program's";
    EXPECT_EQ(qvIconImage(qvHandle<HICON>(0x12345)), nullptr);
}

// A well-formed 1 by 1, 4-bit icon to damage.
std::vector<unsigned char> smallIcon() {
    std::vector<unsigned char> ico = {0, 0, 1,  0, 1,  0,         // directory: one image
                                      1, 1, 16, 0, 1,  0, 4, 0,   // 1 x 1, 16 colours, 4 bits
                                      0, 0, 0,  0, 22, 0, 0, 0};  // size (below), offset 22
    std::vector<unsigned char> image = {40, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 4, 0};
    image.resize(40, 0);
    for (int i = 0; i < 16; i++) image.insert(image.end(), {(unsigned char)(i * 16), 0, 0, 0});
    image.insert(image.end(), {0x50, 0, 0, 0});  // the pixel: colour 5
    image.insert(image.end(), {0, 0, 0, 0});     // the mask: opaque
    ico[14] = (unsigned char)image.size();
    ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

// Icons are laid over the dialog face by the layer's own image code; they
// must land on the pixels SDL's blitter gave them, whole and stretched.
TEST(Icon, IconsLandOnTheSamePixelsAsSdlBlitsGaveThem) {
    const QvImage *icon = qvIconImage(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(32512)));
    ASSERT_NE(icon, nullptr);
    struct Case {
        const char *what;
        int x, y, w, h;  // w, h 0: the icon's own size
    } cases[] = {{"whole", 3, 2, 0, 0}, {"shrunk into a sunken edge", 1, 1, 30, 30}, {"stretched", 0, 4, 37, 45}};
    for (const Case &c : cases) {
        QvImage ours = qvImageNew(48, 52);
        qvImageFill(&ours, QvRect{0, 0, 48, 52}, qvColorFace);
        SDL_Surface *theirs = SDL_CreateRGBSurfaceWithFormat(0, 48, 52, 32, SDL_PIXELFORMAT_RGB888);
        SDL_FillRect(theirs, nullptr, qvColorFace);
        SDL_Surface *image = SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels, icon->width, icon->height, 32,
                                                                icon->pitch, SDL_PIXELFORMAT_ARGB8888);
        SDL_Rect target = {c.x, c.y, c.w ? c.w : icon->width, c.h ? c.h : icon->height};
        if (c.w) {
            SDL_BlitScaled(image, nullptr, theirs, &target);
            qvImageBlendScaled(&ours, QvRect{0, 0, 48, 52}, *icon, QvRect{c.x, c.y, c.w, c.h});
        } else {
            SDL_BlitSurface(image, nullptr, theirs, &target);
            qvImageBlend(&ours, QvRect{0, 0, 48, 52}, *icon, c.x, c.y);
        }
        int differing = 0;
        for (int y = 0; y < 52; y++)
            for (int x = 0; x < 48; x++)
                differing += (((Uint32 *)((Uint8 *)theirs->pixels + y * theirs->pitch))[x] & 0xFFFFFF) !=
                             (ours.pixels[y * 48 + x] & 0xFFFFFF);
        EXPECT_EQ(differing, 0) << c.what;
        SDL_FreeSurface(image);
        SDL_FreeSurface(theirs);
        qvImageFree(&ours);
    }
}

TEST(Icon, DamagedFilesAreRefusedWithoutCrashing) {
    std::vector<unsigned char> good = smallIcon();
    std::string error;
    QvImage ok;
    ASSERT_TRUE(qvDecodeIcon(good.data(), good.size(), &ok, &error)) << error;
    EXPECT_EQ(rgbAt(&ok, 0, 0), 0x000050u) << "colour 5 of the palette";
    qvImageFree(&ok);

    struct Damage {
        const char *what;
        size_t at;  // byte to change, or the size to cut to
        int value;  // new byte value; -1 cuts the file at `at`
        const char *error;
    } cases[] = {
        {"cut in the directory", 10, -1, "icon directory cut short"},
        {"not an icon (a cursor)", 2, 2, "not an icon file"},
        {"no images", 4, 0, "icon directory cut short"},
        {"image beyond the file", 18, 200, "icon image outside the file"},
        {"cut in the pixels", 22 + 40 + 64 + 2, -1, "icon image outside the file"},
        {"zero width", 22 + 4, 0, "bad icon size"},
        {"compressed", 22 + 16, 1, "unsupported bitmap format"},
        {"two planes", 22 + 12, 2, "unsupported bitmap format"},
        {"3 bits a pixel", 22 + 14, 3, "unsupported colour depth"},
        {"huge palette", 22 + 33, 2, "bad palette size"},
        {"bitmap wider than its bits", 22 + 4, 200, "icon bits cut short"},
        {"PNG inside", 22, 0x89, "PNG-compressed icons are not supported"},
    };
    for (const Damage &d : cases) {
        std::vector<unsigned char> bad = good;
        if (d.value < 0) {
            bad.resize(d.at);
        } else {
            bad[d.at] = (unsigned char)d.value;
            if (d.value == 0x89) memcpy(&bad[22], "\x89PNG", 4);
        }
        error.clear();
        QvImage refused;
        EXPECT_FALSE(qvDecodeIcon(bad.data(), bad.size(), &refused, &error)) << d.what;
        EXPECT_EQ(error, d.error) << d.what;
    }
}

// ---- Fonts ---------------------------------------------------------------------

TEST(Fonts, TemplateFacesResolveToTheirMetricTwins) {
    struct Case {
        const char *face;
        int points;
        const char *family;
        bool bold;
        int averageWidth;  // 0: not checked
    } cases[] = {
        {"Arial", 9, "Liberation Sans", false, 7},         {"Arial", 11, "Liberation Sans", false, 9},
        {"arial", 9, "Liberation Sans", false, 7},         {"Arial Black", 9, "Liberation Sans", true, 0},
        {"MS Sans Serif", 8, "Liberation Sans", false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.face) + " " + std::to_string(c.points));
        const QvFont *font = qvOpenFont(c.face, c.points);
        ASSERT_NE(font, nullptr);
        EXPECT_EQ(font->family, c.family);
        EXPECT_EQ(font->file.find("Bold") != std::string::npos, c.bold) << font->file;
        if (c.averageWidth) {
            EXPECT_EQ(font->averageWidth, c.averageWidth);
        }
        EXPECT_GT(font->height, c.points) << "a cell is taller than the point size at 96 dpi";
        EXPECT_EQ(qvOpenFont(c.face, c.points), font) << "opened once";
    }
    const QvFont *regular = qvOpenFont("Arial", 9);
    const QvFont *black = qvOpenFont("Arial Black", 9);
    ASSERT_TRUE(regular && black);
    const char sample[] = "WIREFRAME <-> SMOOTH";
    EXPECT_GT(qvTextWidth(black, sample, strlen(sample)), qvTextWidth(regular, sample, strlen(sample)))
        << "the black face is wider";
}

TEST(Fonts, FontsPreparedAheadAreTheOnesDialogsGet) {
    qvPrefetchFonts({{"Arial", 9}, {"", 0}, {"No Such Face At All", 10}});
    const QvFont *arial = qvOpenFont("Arial", 9);
    ASSERT_NE(arial, nullptr);
    EXPECT_EQ(arial->family, "Liberation Sans");
    EXPECT_EQ(arial->averageWidth, 7);
    EXPECT_EQ(qvOpenFont("arial", 9), arial);
    const QvFont *unnamed = qvOpenFont("", 0);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->pointSize, 8);
    ASSERT_NE(qvOpenFont("No Such Face At All", 10), nullptr);
    // Prepared again, nothing is opened twice.
    size_t open = qv.fonts.size();
    qvPrefetchFonts({{"Arial", 9}, {"", 0}});
    EXPECT_EQ(qvOpenFont("Arial", 9), arial);
    EXPECT_EQ(qv.fonts.size(), open);
}

TEST(Fonts, AnUnknownFaceStillGetsAFont) {
    const QvFont *font = qvOpenFont("No Such Face At All", 9);
    ASSERT_NE(font, nullptr);
    EXPECT_GT(font->averageWidth, 0);
    const QvFont *unnamed = qvOpenFont("", 0);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->pointSize, 8) << "no face or size: the dialog default";
    EXPECT_EQ(qvTextWidth(font, "", 0), 0);
    EXPECT_EQ(qvTextWidth(nullptr, "abc", 3), 0);
}

}  // namespace
