// web_dom.h: the page's services to the layer's browser backend, in C++.
//
// The calls named qvweb_* are web_dom.js's (an emscripten JS library); the
// qvWeb* helpers around them are web_dom.cpp's. None of it knows the Win32
// core: windows are numbered by the caller (the backend uses its HWND
// values), events come back as plain records, fonts by number.
//
// Implemented: the screen's size, windows as page elements (frame, caption,
//   close box, owner, z-order, showing, minimising, title, place, client
//   size, 2-D presentation), the event queue and waiting on it, waiting for
//   the next animation frame, the clock, fonts measured and drawn through
//   Canvas 2D, WebGL contexts on a window's canvas, a message box, the
//   page's end line.
// Left out: anything of Win32 (messages, styles, handles) and GL state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// ===========================================================================
// What web_dom.js provides
// ===========================================================================

extern "C" {
void qvweb_screen_size(int *width, int *height);

// frameKind: QvWebFrameKind below. The window is created hidden.
void qvweb_create_window(int id, int gl, int frameKind, int caption, int closable, const char *title, int width,
                         int height);
void qvweb_destroy_window(int id);
// The frame's sides, top, left, bottom, right, of a window, and of any
// window of a kind.
void qvweb_frame(int id, int sides[4]);
void qvweb_frame_of_kind(int frameKind, int caption, int sides[4]);
void qvweb_set_owner(int id, int owner);
void qvweb_show(int id, int show);
void qvweb_activate(int id);
void qvweb_minimize(int id, int minimized);
int qvweb_is_minimized(int id);
void qvweb_set_closable(int id, int closable);
void qvweb_set_icon(int id, const void *pixels, int width, int height, int pitch);
void qvweb_set_title(int id, const char *title);
void qvweb_set_client_position(int id, int x, int y);
int qvweb_get_client_position(int id, int *x, int *y);
void qvweb_set_client_size(int id, int width, int height);
void qvweb_get_client_size(int id, int *width, int *height);
int qvweb_present(int id, const void *pixels, int width, int height, int pitch);

int qvweb_next_event(int record[8]);
void qvweb_post(int kind, int id, int a, int b);
int qvweb_pending_events(void);
int qvweb_buttons_held(void);
int qvweb_window_under_pointer(void);
int qvweb_active_window(void);
int qvweb_modifiers(void);
int qvweb_focus_queued(int kind, int id);

int qvweb_open_font(const char *face, int pointSize, int metrics[3]);
void qvweb_font_css(int id, char *out, int size);
void qvweb_close_font(int id);
int qvweb_glyph_advance(int id, int c);
void qvweb_text_coverage(int id, const char *latin1, int length, unsigned char *coverage, int width, int height);

int qvweb_webgl_available(void);
void qvweb_count_frame(void);
void qvweb_ended(int status);
}

// ===========================================================================
// Windows and events
// ===========================================================================

// The frame around a window's client area.
enum QvWebFrameKind {
    QV_WEB_FRAME_NONE = 0,
    QV_WEB_FRAME_THIN = 1,    // WS_BORDER alone: one black line
    QV_WEB_FRAME_DIALOG = 2,  // a dialog frame, 3 pixels
    QV_WEB_FRAME_SIZING = 3,  // a sizing frame, 4 pixels
};

// What web_dom.js queues, in its own numbers.
enum QvWebEventKind {
    QV_WEB_EVENT_NONE = 0,
    QV_WEB_EVENT_MOTION = 1,  // a = x, b = y in client pixels
    QV_WEB_EVENT_BUTTON = 2,  // a = button (0 left, 1 right, 2 middle), b = down, c = clicks, d = x, e = y
    QV_WEB_EVENT_KEY = 3,     // a = virtual key, b = scan code, c = extended, d = down, e = repeat
    QV_WEB_EVENT_FOCUS_GAINED = 4,
    QV_WEB_EVENT_FOCUS_LOST = 5,
    QV_WEB_EVENT_CLOSE = 6,    // the close box
    QV_WEB_EVENT_MOVED = 7,    // a, b = the client origin on the page
    QV_WEB_EVENT_RESIZED = 8,  // a, b = the client size (a sizing drag, or the backend's own)
    // The backend's own, queued with qvweb_post when it maximises or restores:
    QV_WEB_EVENT_MAXIMIZED = 9,
    QV_WEB_EVENT_RESTORED = 10,
};

struct QvWebEvent {
    int kind = QV_WEB_EVENT_NONE;
    int window = 0;
    int a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
};

// Takes the oldest queued event; false when there is none.
bool qvWebNextEvent(QvWebEvent *event);
// Waits until an event is queued or timeoutMs pass (negative: no limit);
// returns at once when one is queued. Needs ASYNCIFY.
void qvWebWaitForEvent(int timeoutMs);
// Waits for the page's next animation frame. Needs ASYNCIFY.
void qvWebWaitForFrame();
// Sleeps about ms milliseconds, letting the page run. Needs ASYNCIFY.
void qvWebSleep(int ms);
// The page's clock in milliseconds (performance.now).
double qvWebNowMs();

// ===========================================================================
// Text
// ===========================================================================

struct QvWebFont {
    int id = 0;            // web_dom.js's number; 0 for none
    int height = 0;        // ascent + descent, whole pixels
    int averageWidth = 0;  // (width of "A..Za..z" / 26 + 1) / 2
    int ascent = 0;
    std::string css;  // the CSS font it was opened with
};

// Opens a face at a point size (96 dpi); id 0 when the page cannot measure.
QvWebFont qvWebOpenFont(const char *face, int pointSize);
// The width of a Latin-1 string: its glyphs' whole-pixel advances summed.
int qvWebTextWidth(const QvWebFont &font, const std::string &latin1);
// Draws a Latin-1 string with its cell's top-left at (x, y) of a 32-bit
// image (0xAARRGGBB, pitch bytes a row), blending colour 0xRRGGBB in by the
// glyphs' coverage; nothing outside the clip rectangle (clipX, clipY,
// clipW, clipH) nor outside the image changes.
void qvWebDrawText(const QvWebFont &font, const std::string &latin1, uint32_t *pixels, int width, int height, int pitch,
                   int x, int y, int clipX, int clipY, int clipW, int clipH, uint32_t rgb);
// The blending itself: coverage is coverageW x coverageH bytes whose top-left
// lands at (x, y). Shared with the tests.
void qvWebBlendCoverage(const unsigned char *coverage, int coverageW, int coverageH, uint32_t *pixels, int width,
                        int height, int pitch, int x, int y, int clipX, int clipY, int clipW, int clipH, uint32_t rgb);

// ===========================================================================
// WebGL
// ===========================================================================

// Creates a WebGL 1 context on window id's canvas (antialias off, depth on,
// stencil as asked, the drawing buffer kept when preserve). 0 on failure.
int qvWebCreateGlContext(int id, bool stencil, bool preserve);
// Makes it current (0: none). False on failure.
bool qvWebMakeGlCurrent(int context);
void qvWebDeleteGlContext(int context);

// ===========================================================================
// Message box
// ===========================================================================

// Shows a box in the classic look over every window, with these buttons
// left to right, and waits for it (ASYNCIFY): the index of the button
// pressed, -1 for the close box or Escape.
int qvWebMessageBox(const std::string &caption, const std::string &text, const std::vector<std::string> &labels);

// ===========================================================================
// The end
// ===========================================================================

// Shows "quelvaro ended with status N" on the page.
void qvWebEnded(int status);
