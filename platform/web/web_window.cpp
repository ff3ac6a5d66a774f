// web_window.cpp: the browser backend's top-level windows, each an element
// of the page with the frame the layer draws itself (web_dom.js).
//
// Implemented: creating a window's element (a WebGL canvas for OpenGL, a
//   2-D one for the others), replacing a plain one by a WebGL one, the owner
//   (owned windows stay above it), showing, hiding, minimising (the element
//   is hidden: the page has no taskbar), maximising to the page and back,
//   the title, the client area's place and size, presenting the core's
//   image, and the frame: its sides are known before the window is shown,
//   so it is reported at once.
//   The caption shows the class icon where Windows does (a window menu, no
//   dialog frame).
//   A window with a sizing frame is sized by dragging its edges.
// Left out: the minimise and maximise boxes, moving from the keyboard, the
//   window menu.
#include "../core/qv_internal.h"

#include <algorithm>

namespace {

// Whether a top-level window of this style has a caption: overlapped
// windows always do; popups only with WS_CAPTION.
bool hasCaption(DWORD style) {
    if (style & WS_CHILD) return false;
    return !(style & WS_POPUP) || (style & WS_CAPTION) == WS_CAPTION;
}

// The frame's kind, as Windows draws it: a sizing frame with WS_THICKFRAME,
// a dialog frame with a caption, WS_DLGFRAME or a modal frame, one line for
// WS_BORDER alone.
QvWebFrameKind frameKindOf(DWORD style, DWORD exStyle) {
    if (style & WS_CHILD) return QV_WEB_FRAME_NONE;
    if (style & WS_THICKFRAME) return QV_WEB_FRAME_SIZING;
    if (hasCaption(style) || (style & WS_DLGFRAME) || (style & DS_MODALFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        return QV_WEB_FRAME_DIALOG;
    if (style & WS_BORDER) return QV_WEB_FRAME_THIN;
    return QV_WEB_FRAME_NONE;
}

// The frame a window of this style gets on the page.
QvFrame pageFrameOf(const QvWindow *win) {
    int sides[4] = {0, 0, 0, 0};
    qvweb_frame_of_kind(frameKindOf(win->style, win->exStyle), hasCaption(win->style), sides);
    QvFrame frame;
    frame.top = sides[0];
    frame.left = sides[1];
    frame.bottom = sides[2];
    frame.right = sides[3];
    return frame;
}

int idOf(const QvWindow *win) {
    return win->native.domId;
}

// Puts win's element where the core's outer rectangle says, inside the
// frame it has on the page.
void placeFromRect(QvWindow *win) {
    QvFrame frame = pageFrameOf(win);
    qvweb_set_client_position(idOf(win), win->rect.left + frame.left, win->rect.top + frame.top);
}

// Reports win's frame to the core, which may send WM_SIZE: win may be gone
// afterwards, so it is looked up again (null when gone).
QvWindow *reportFrame(QvWindow *win) {
    HWND hwnd = win->handle;
    qvTakeFrame(win, pageFrameOf(win));
    return qvWindowFromHandle(hwnd);
}

// Makes the element of win; its client origin goes where its outer
// rectangle says, inside the frame it will have.
void createElement(QvWindow *win, bool withGl) {
    int id = qvWebId(win->handle);
    qvweb_create_window(id, withGl, frameKindOf(win->style, win->exStyle), hasCaption(win->style),
                        (win->style & WS_SYSMENU) != 0, win->text.c_str(), std::max(1, win->clientWidth),
                        std::max(1, win->clientHeight));
    win->native.domId = id;
    win->native.glWindow = withGl;
    placeFromRect(win);
    if (win->owner) qvweb_set_owner(id, qvWebId(win->owner));
    // A captioned window with a window menu shows its class icon, as
    // Windows does; dialog frames show none.
    bool dialogFrame = (win->style & DS_MODALFRAME) || (win->exStyle & WS_EX_DLGMODALFRAME);
    const QvImage *icon = win->cls && win->cls->icon ? qvIconImage(win->cls->icon) : nullptr;
    if (icon && icon->pixels && hasCaption(win->style) && (win->style & WS_SYSMENU) && !dialogFrame)
        qvweb_set_icon(id, icon->pixels, icon->width, icon->height, icon->pitch);
}

}  // namespace

bool qvbCreateWindow(QvWindow *win, bool withGl) {
    if (!win || (win->style & WS_CHILD)) return false;
    if (qvbHasWindow(win) && (win->native.glWindow || !withGl)) return true;
    if (qvbHasWindow(win)) {
        // A plain window becomes an OpenGL one: a new element takes its place
        // where the old one was.
        int x = 0, y = 0;
        qvweb_get_client_position(idOf(win), &x, &y);
        qvbDestroyWindow(win);
        createElement(win, withGl);
        qvweb_set_client_position(idOf(win), x, y);
        if (win->visible) qvweb_show(idOf(win), 1);
        return true;
    }
    createElement(win, withGl);
    return true;
}

bool qvbHasWindow(const QvWindow *win) {
    return win && win->native.domId != 0;
}

bool qvbIsGlWindow(const QvWindow *win) {
    return qvbHasWindow(win) && win->native.glWindow;
}

void qvbDestroyWindow(QvWindow *win) {
    if (!qvbHasWindow(win)) return;
    qvweb_destroy_window(idOf(win));
    win->native = QvBackendWindow{};
}

void qvbShowWindow(QvWindow *win) {
    if (!qvbHasWindow(win)) return;
    // The first time, the rectangle the core settled with the frame says
    // where it goes (the frame was guessed when the element was made).
    if (!win->mapped) placeFromRect(win);
    qvweb_show(idOf(win), 1);
    // Shown as a window manager shows it: in front, with the keyboard focus.
    if (win->enabled) qvweb_activate(idOf(win));
    if (win->mapped) return;
    win->mapped = true;
    // Last: it may send WM_SIZE, and the window may be gone after it.
    if (qvbHasFrame(win->style)) reportFrame(win);
}

void qvbHideWindow(QvWindow *win) {
    if (qvbHasWindow(win)) qvweb_show(idOf(win), 0);
}

void qvbWithdrawWindow(QvWindow *win) {
    qvbHideWindow(win);
}

void qvbMinimizeWindow(QvWindow *win) {
    if (qvbHasWindow(win)) qvweb_minimize(idOf(win), 1);
}

void qvbMaximizeWindow(QvWindow *win) {
    if (!qvbHasWindow(win) || win->native.maximized) return;
    QvBackendWindow &native = win->native;
    qvweb_get_client_position(native.domId, &native.restoredX, &native.restoredY);
    qvweb_get_client_size(native.domId, &native.restoredWidth, &native.restoredHeight);
    // The frame fills the page; the client area is what it leaves.
    int screenW = 0, screenH = 0;
    if (!qvbScreenSize(&screenW, &screenH)) return;
    QvFrame frame = pageFrameOf(win);
    int width = std::max(1, screenW - frame.left - frame.right);
    int height = std::max(1, screenH - frame.top - frame.bottom);
    native.maximized = true;
    qvweb_minimize(native.domId, 0);
    qvweb_set_client_position(native.domId, frame.left, frame.top);
    qvweb_set_client_size(native.domId, width, height);
    qvweb_post(QV_WEB_EVENT_MOVED, native.domId, frame.left, frame.top);
    qvweb_post(QV_WEB_EVENT_RESIZED, native.domId, width, height);
    qvweb_post(QV_WEB_EVENT_MAXIMIZED, native.domId, 0, 0);
}

void qvbRestoreWindow(QvWindow *win) {
    if (!qvbHasWindow(win)) return;
    QvBackendWindow &native = win->native;
    bool wasMinimized = qvweb_is_minimized(native.domId);
    qvweb_minimize(native.domId, 0);
    if (wasMinimized && win->visible) qvweb_show(native.domId, 1);
    if (!native.maximized || wasMinimized) return;
    native.maximized = false;
    qvweb_set_client_position(native.domId, native.restoredX, native.restoredY);
    qvweb_set_client_size(native.domId, native.restoredWidth, native.restoredHeight);
    qvweb_post(QV_WEB_EVENT_MOVED, native.domId, native.restoredX, native.restoredY);
    qvweb_post(QV_WEB_EVENT_RESIZED, native.domId, native.restoredWidth, native.restoredHeight);
    qvweb_post(QV_WEB_EVENT_RESTORED, native.domId, 0, 0);
}

bool qvbIsMinimized(const QvWindow *win) {
    return qvbHasWindow(win) && qvweb_is_minimized(idOf(win));
}

bool qvbIsMaximized(const QvWindow *win) {
    return qvbHasWindow(win) && win->native.maximized;
}

void qvbSetWindowTitle(QvWindow *win, const char *title) {
    if (qvbHasWindow(win)) qvweb_set_title(idOf(win), title ? title : "");
}

void qvbSetClientPosition(QvWindow *win, int x, int y) {
    if (qvbHasWindow(win)) qvweb_set_client_position(idOf(win), x, y);
}

// The page knows where an element is, shown or not.
bool qvbGetClientPosition(const QvWindow *win, int *x, int *y) {
    if (!qvbHasWindow(win)) return false;
    qvweb_get_client_position(idOf(win), x, y);
    return true;
}

void qvbSetClientSize(QvWindow *win, int width, int height) {
    if (qvbHasWindow(win)) qvweb_set_client_size(idOf(win), std::max(1, width), std::max(1, height));
}

void qvbGetClientSize(const QvWindow *win, int *width, int *height) {
    *width = *height = 0;
    if (qvbHasWindow(win)) qvweb_get_client_size(idOf(win), width, height);
}

bool qvbPresentImage(QvWindow *win, const QvImage &image) {
    if (!qvbHasWindow(win) || win->native.glWindow) {
        qv.backend.lastError = "the window has no 2-D canvas";
        return false;
    }
    if (!image.pixels || image.width <= 0 || image.height <= 0) return true;
    if (!qvweb_present(idOf(win), image.pixels, image.width, image.height, image.pitch)) {
        qv.backend.lastError = "the page gives the window's canvas no 2-D context";
        return false;
    }
    return true;
}

// ---- The frame -----------------------------------------------------------------

bool qvbHasFrame(DWORD style) {
    return frameKindOf(style, 0) != QV_WEB_FRAME_NONE;
}

// The page's frames are known before a window shows: reported at once, so
// the window is sized inside its frame before it appears.
void qvbLearnRequestedFrame(QvWindow *win) {
    if (!win || !qvbHasFrame(win->style) || win->frame.learnt) return;
    win = reportFrame(win);
    if (win && qvbHasWindow(win)) placeFromRect(win);
}

void qvbLearnFrame(QvWindow *win) {
    if (win && qvbHasFrame(win->style)) reportFrame(win);
}

void qvbSetDialogFrame(QvWindow *win, bool closable) {
    if (qvbHasWindow(win)) qvweb_set_closable(idOf(win), closable);
}

bool qvbMoveFromKeyboard(QvWindow *win) {
    (void)win;
    return false;
}

bool qvbShowWindowMenu(QvWindow *win) {
    (void)win;
    return false;
}
