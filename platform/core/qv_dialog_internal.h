// qv_dialog_internal.h: what the core's dialog manager, drawing, controls,
// resources and fonts share (dialog.cpp, canvas.cpp, button_static.cpp,
// scrollbar.cpp, resources.cpp, fonts.cpp, gdi_text.cpp), on top of the
// window and message core in qv_internal.h. No window system in it: controls
// draw into a QvImage, text goes through the backend (qvbDrawText).
// Only platform/ files and the layer's own tests include it.
#pragma once

#include "qv_internal.h"

#include <cstddef>
#include <string>
#include <vector>

// ===========================================================================
// Files embedded at build time (cmake/embed_files.cmake)
// ===========================================================================

// One file carried inside the program: its base name, its bytes (followed by
// one 0 that size does not count, so a text reads as a C string).
struct QvEmbeddedFile {
    const char *name;
    const unsigned char *bytes;
    size_t size;
};

// The resource script and the files it names; ends with a null name.
extern const QvEmbeddedFile quelvaroEmbeddedFiles[];

// The embedded file with this base name, or null.
const QvEmbeddedFile *qvFindEmbeddedFile(const char *name);

// ===========================================================================
// The resource script (resources.cpp)
// ===========================================================================

// Parses the subset of the resource-script language that res/quelvaro.rc
// uses. False, with "line N: what" in *error, on anything else.
bool qvParseResourceScript(const char *text, QvResourceScript *script, std::string *error);

// The program's own script, parsed once from the embedded copy.
const QvResourceScript &qvProgramResources();

// The program's dialog template with this name (a string, compared without
// regard to case, or a MAKEINTRESOURCE number), or null.
const QvDialogTemplate *qvFindDialogTemplate(LPCSTR name);

// The value of a style or language name (WS_POPUP, SS_ICON, LANG_SPANISH...);
// false for a name the script language here does not know.
bool qvLookupResourceName(const std::string &name, long *value);

// ===========================================================================
// Icons (resources.cpp)
// ===========================================================================

// Decodes a .ico file: the 32 by 32 image (or the nearest size it holds) as
// an ARGB image whose mask becomes alpha. False, with *error, when the file
// is damaged or of a kind not supported (PNG-compressed, planar).
bool qvDecodeIcon(const unsigned char *bytes, size_t size, QvImage *image, std::string *error);

// The program's icon resource with this number, loaded once; null if none.
HICON qvLoadProgramIcon(int id);

// The image of an icon handle from LoadIconA, or null for anything else.
const QvImage *qvIconImage(HICON icon);

// ===========================================================================
// Fonts (fonts.cpp; opened and drawn by the backend)
// ===========================================================================

// What a dialog that names no font (or no size) is drawn with.
const char qvDefaultDialogFace[] = "MS Sans Serif";
const int qvDefaultDialogPoints = 8;

// The font a dialog template names, opened at 96 dpi and kept for the
// process's life; faces are resolved through fontconfig and the alias table
// (Arial -> Liberation Sans...) by the backend. Null when no font can be
// opened at all.
const QvFont *qvOpenFont(const char *faceName, int pointSize);

// Starts resolving and opening fonts (face and point size; "" and 0 for the
// defaults) ahead of time (qvbPrefetchFonts); qvOpenFont takes them over.
void qvPrefetchFonts(std::vector<std::pair<std::string, int>> faces);

// The family and file a face resolves to, without opening it
// (qvbResolveFontFace). False when nothing is found.
bool qvResolveFontFace(const char *faceName, std::string *family, std::string *file, int *index);

// Width in pixels of a Latin-1 text as GDI's GetTextExtentPoint32 measures
// it: the sum of its characters' whole-pixel (hinted) advances, no kerning.
int qvTextWidth(const QvFont *font, const char *text, size_t length);
// The whole-pixel advance of one Latin-1 character.
int qvCharAdvance(const QvFont *font, unsigned char c);

// ===========================================================================
// Text as GDI measures and breaks it (gdi_text.cpp)
// ===========================================================================

// The lines of a text broken within width as DrawText with DT_WORDBREAK
// breaks it: a line keeps its blanks but the one it broke at.
std::vector<std::string> qvBreakText(const QvFont *font, const std::string &text, int width);

// The handle of an open font (WM_GETFONT), and the font of a handle (null
// for anything else).
HFONT qvFontHandle(const QvFont *font);
const QvFont *qvFontFromHandle(HFONT handle);

// ===========================================================================
// Dialogs (dialog.cpp)
// ===========================================================================

// The window class of every dialog, as on Windows.
extern const char qvDialogClassName[];  // "#32770"

// A dialog's private data (the classData of its window).
struct QvDialog {
    DLGPROC proc = nullptr;
    const QvFont *font = nullptr;  // the template's font, or the default one
    int baseX = 0;                 // dialog base units: average character
    int baseY = 0;                 //   width and character height in pixels
    INT_PTR result = 0;
    bool paintFailed = false;  // said once, not at every paint
};

// Dialog units to pixels, as Windows' MapDialogRect computes them.
RECT qvDialogUnitsToPixels(int x, int y, int cx, int cy, int baseX, int baseY);

// Registers the dialog class and the control classes, once.
void qvRegisterDialogClasses();

// The dialog record of a window, or null when it is not a dialog.
QvDialog *qvDialogOf(QvWindow *win);

// The font a control draws with: its dialog's, or the default dialog font.
const QvFont *qvControlFont(QvWindow *control);

// ===========================================================================
// Drawing in the classic look (canvas.cpp)
// ===========================================================================

// The colours of the classic Windows look, as 0xRRGGBB.
const uint32_t qvColorFace = 0xD4D0C8;        // button face, dialog background
const uint32_t qvColorHighlight = 0xFFFFFF;   // lit edges
const uint32_t qvColorShadow = 0x808080;      // shaded edges, disabled text
const uint32_t qvColorDarkShadow = 0x404040;  // outer shaded edge
const uint32_t qvColorLight = 0xD4D0C8;       // inner lit edges (the face colour in the classic look)
const uint32_t qvColorText = 0x000000;
const uint32_t qvColorFrame = 0x000000;  // default-button frame

// Where drawing lands: an image, the image position of the client origin
// of the window being drawn, and the part of the image it may touch.
struct QvCanvas {
    QvImage *image = nullptr;
    int originX = 0;
    int originY = 0;
    QvRect clip;
};

// Fills a rectangle given in the canvas window's client coordinates.
void qvFill(const QvCanvas &canvas, int x, int y, int w, int h, uint32_t rgb);

// Draws one line of text with its top-left corner at (x, y).
void qvDrawText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y, uint32_t rgb);
// Text drawn greyed, as Windows draws a disabled control's text.
void qvDrawGreyText(const QvCanvas &canvas, const QvFont *font, const std::string &text, int x, int y);
// Width of a window text as it will be drawn.
int qvDisplayWidth(const QvFont *font, const std::string &text);
// Copies an image onto the canvas with its top-left corner at (x, y), within
// the canvas's clip.
void qvBlitClipped(const QvCanvas &canvas, const QvImage &image, int x, int y);
// The same, the image stretched or shrunk to w x h.
void qvBlitScaled(const QvCanvas &canvas, const QvImage &image, int x, int y, int w, int h);
// A one-pixel frame: top and left in one colour, bottom and right in another.
void qvDrawFrame(const QvCanvas &c, int x, int y, int w, int h, uint32_t topLeft, uint32_t bottomRight);
// A raised button edge, two pixels deep.
void qvDrawRaisedEdge(const QvCanvas &c, int x, int y, int w, int h);
// An etched line frame, as group boxes wear.
void qvDrawEtchedFrame(const QvCanvas &c, int x, int y, int w, int h);
// Shrinks a rectangle by n pixels on every side.
void qvInset(int *x, int *y, int *w, int *h, int n);
// The 3-D edges WS_EX_STATICEDGE and WS_EX_CLIENTEDGE give a child window of
// w x h pixels, drawn on a canvas whose origin is the window's top-left corner.
void qvDrawChildEdges(const QvCanvas &c, DWORD exStyle, int w, int h);
// Windows' dotted focus rectangle.
void qvDrawFocusRect(const QvCanvas &c, int x, int y, int w, int h);
// A canvas clipped further to a rectangle of the window's client area.
QvCanvas qvClippedTo(const QvCanvas &c, int x, int y, int w, int h);

// True when the point packed in lParam lies in the window's client area.
bool qvPointInClient(const QvWindow *win, LPARAM lParam);
// Has a control drawn again (its dialog repaints it).
void qvRedrawControl(HWND hwnd);
// What DefWindowProcA does with a change of text or state, then the control
// is drawn again to show it.
LRESULT qvDefaultThenRedraw(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ===========================================================================
// Controls (button_static.cpp, scrollbar.cpp)
// ===========================================================================

extern const char qvButtonClassName[];     // "BUTTON"
extern const char qvStaticClassName[];     // "STATIC"
extern const char qvScrollBarClassName[];  // "SCROLLBAR"

// The controls' window procedures, and how each draws itself.
LRESULT CALLBACK qvButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK qvStaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK qvScrollBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void qvPaintButton(QvWindow *win, const QvCanvas &c);
void qvPaintStatic(QvWindow *win, const QvCanvas &c);
void qvPaintScrollBar(QvWindow *win, const QvCanvas &c);

// Draws a visible control (not its children) onto the canvas.
void qvPaintControl(QvWindow *control, const QvCanvas &canvas);

// Registers BUTTON, STATIC and SCROLLBAR (called by qvRegisterDialogClasses).
void qvRegisterControlClasses();

// The parts of a vertical scroll bar, top to bottom, for hit-testing.
enum QvScrollPart {
    QV_SCROLL_NONE,
    QV_SCROLL_LINE_UP,
    QV_SCROLL_PAGE_UP,
    QV_SCROLL_THUMB,
    QV_SCROLL_PAGE_DOWN,
    QV_SCROLL_LINE_DOWN
};

// The layout of a vertical scroll bar of a given size and state, in pixels
// from its top: arrow buttons of arrowSize at both ends, the trough between,
// the thumb (thumbSize 0: none shown) at thumbTop.
struct QvScrollLayout {
    int arrowSize = 0;
    int thumbTop = 0;
    int thumbSize = 0;
};
QvScrollLayout qvScrollBarLayout(int height, int minPos, int maxPos, int pos);
QvScrollPart qvScrollBarHitTest(const QvScrollLayout &layout, int height, int y);
// The position a thumb whose top is at thumbTop stands for.
int qvScrollBarValueAt(const QvScrollLayout &layout, int height, int minPos, int maxPos, int thumbTop);
