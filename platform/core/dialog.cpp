// dialog.cpp: modeless dialogs built from the program's templates.
//
// Pairs with resources.cpp (the templates), fonts.cpp (the template's
// font, which sets the size of a dialog unit), button_static.cpp and
// scrollbar.cpp (the controls), canvas.cpp (the drawing into an image the
// backend shows, qvbPresentImage) and the backend's qvbSetDialogFrame (what
// the window manager is told of a dialog's frame).
//
// Implemented:
//   CreateDialogParamA: the template found by name (or number) in the
//   program's script whatever the instance; dialog units turned into pixels
//   from the template font's average character width and height, as
//   MapDialogRect does; the window created hidden, its client area the
//   template's rectangle counted from the owner's client area (or from the
//   screen without an owner), the window manager's frame around it; the
//   styles Windows adds (WS_CLIPSIBLINGS, DS_3DLOOK, WS_EX_WINDOWEDGE,
//   WS_EX_CONTROLPARENT); every control created in template order, with
//   WS_EX_NOPARENTNOTIFY, and a WS_BORDER turned into the 3-D
//   WS_EX_CLIENTEDGE of Windows' dialogs; WM_INITDIALOG (first tab stop, the
//   init parameter) to the dialog procedure before the dialog shows, the
//   focus to the first tab stop when it returns nonzero, then shown when the
//   template says WS_VISIBLE. The dialog manager's default handling around
//   the procedure: what the procedure returns 0 for falls to it; WM_CLOSE
//   becomes the IDCANCEL command (posted, as Windows does); WM_PAINT draws the
//   dialog and all its visible controls with their edges; WM_GETFONT gives
//   the template's font. EndDialog (records the result and hides the dialog,
//   as for a modeless dialog on Windows: DestroyWindow frees it), GetDlgItem,
//   GetDlgCtrlID, MapDialogRect. Without WS_SYSMENU the window manager is
//   told the window has no close box (X11 Motif hints); a close request that
//   still comes becomes IDCANCEL.
// Left out: modal dialogs (DialogBoxParamA), DLGTEMPLATE in memory, the
//   dialog manager's keyboard interface (IsDialogMessageA, Tab, Enter, Esc,
//   the default button following the focus), DWLP_MSGRESULT, WM_SETFONT,
//   DS_CENTER and DS_ABSALIGN, WM_PARENTNOTIFY.
#include "qv_dialog_internal.h"

#include <algorithm>
#include <cstring>

const char qvDialogClassName[] = "#32770";

namespace {

// The base units to fall back to when no font can be opened at all (those
// of Windows' system font).
const int fallbackBaseX = 6;
const int fallbackBaseY = 13;

// Dialog units: a quarter of the average character width across, an eighth
// of the character height down.
const int dialogUnitsPerBaseX = 4;
const int dialogUnitsPerBaseY = 8;

// a * b / c rounded half away from zero, as Windows' MulDiv.
int mulDiv(int a, int b, int c) {
    long long product = (long long)a * b;
    long long half = c / 2;
    return (int)(product >= 0 ? (product + half) / c : (product - half) / c);
}

LRESULT CALLBACK dialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// ---- Painting -------------------------------------------------------------

// Draws the visible children of a window, bottom of the z-order first (the
// first control of a template is on top), each clipped to its rectangle.
void paintChildren(QvWindow *parent, const QvCanvas &canvas) {
    std::vector<HWND> children = parent->children;
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        QvWindow *child = qvWindowFromHandle(*it);
        if (!child || !child->visible) continue;
        // The edges are drawn around the client area, which the control draws.
        int edge = qvChildEdge(child);
        QvCanvas outer = qvClippedTo(canvas, child->rect.left, child->rect.top, child->rect.right - child->rect.left,
                                     child->rect.bottom - child->rect.top);
        outer.originX = canvas.originX + child->rect.left;
        outer.originY = canvas.originY + child->rect.top;
        qvDrawChildEdges(outer, child->exStyle, child->rect.right - child->rect.left,
                         child->rect.bottom - child->rect.top);
        QvCanvas inner = outer;
        inner.originX += edge;
        inner.originY += edge;
        qvPaintControl(child, inner);
        paintChildren(child, inner);
    }
}

// Paints the whole dialog into an image of its client area and has the
// backend show it. A dialog that cannot be shown says so once.
void paintDialog(HWND hwnd) {
    PAINTSTRUCT paint;
    BeginPaint(hwnd, &paint);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (win && qvbHasWindow(win) && win->visible && !win->minimized) {
        int w = 0, h = 0;
        qvbGetClientSize(win, &w, &h);
        QvImage image = qvImageNew(w, h);
        bool shown = false;
        if (image.pixels) {
            QvCanvas canvas;
            canvas.image = &image;
            canvas.clip = QvRect{0, 0, image.width, image.height};
            qvFill(canvas, 0, 0, image.width, image.height, qvColorFace);
            paintChildren(win, canvas);
            shown = qvbPresentImage(win, image);
        }
        qvImageFree(&image);
        QvDialog *dialog = qvDialogOf(win);
        if (!shown && dialog && !dialog->paintFailed) {
            dialog->paintFailed = true;
            qvError("cannot draw the dialog \"%s\"", win->text.c_str());
        }
    }
    EndPaint(hwnd, &paint);
}

// ---- Default handling -----------------------------------------------------

// What the dialog manager does with a message the procedure left alone.
LRESULT defaultDialogHandling(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CLOSE: {
        // A close request is the Cancel command: dialogs decide for themselves.
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT fills the background itself
    case WM_PAINT:
        paintDialog(hwnd);
        return 0;
    case WM_GETFONT: {
        QvDialog *dialog = qvDialogOf(qvWindowFromHandle(hwnd));
        return reinterpret_cast<LRESULT>(dialog ? qvFontHandle(dialog->font) : nullptr);
    }
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

// The window procedure of the dialog class: the dialog procedure first, the
// dialog manager for what it returns 0 for. The creation messages come before
// the dialog procedure is known, as on Windows.
LRESULT CALLBACK dialogWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvDialog *dialog = static_cast<QvDialog *>(win->classData);
    INT_PTR result = 0;
    if (dialog && dialog->proc) result = dialog->proc(hwnd, msg, wParam, lParam);
    // The procedure may have destroyed the dialog: look it up again.
    win = qvWindowFromHandle(hwnd);
    if (msg == WM_NCDESTROY) {
        if (win) {
            delete static_cast<QvDialog *>(win->classData);
            win->classData = nullptr;
        }
        return 0;
    }
    if (result || !win) return result;
    return defaultDialogHandling(hwnd, msg, wParam, lParam);
}

// ---- Creation -------------------------------------------------------------

// The face and point size a template's dialog is drawn with.
std::pair<std::string, int> templateFont(const QvDialogTemplate &tmpl) {
    bool named = (tmpl.style & DS_SETFONT) && !tmpl.faceName.empty();
    return named ? std::make_pair(tmpl.faceName, tmpl.pointSize)
                 : std::make_pair(std::string(qvDefaultDialogFace), qvDefaultDialogPoints);
}

// Opens the template's font and sets the dialog base units from it.
void setUpDialogFont(QvDialog *dialog, const QvDialogTemplate &tmpl) {
    std::pair<std::string, int> font = templateFont(tmpl);
    dialog->font = qvOpenFont(font.first.c_str(), font.second);
    dialog->baseX = dialog->font ? dialog->font->averageWidth : fallbackBaseX;
    dialog->baseY = dialog->font ? dialog->font->height : fallbackBaseY;
}

// Creates the template's controls in order; false when one cannot be made.
bool createControls(HWND hwnd, const QvDialogTemplate &tmpl, const QvDialog &dialog, HINSTANCE instance) {
    for (const QvDialogItemTemplate &item : tmpl.items) {
        RECT r = qvDialogUnitsToPixels(item.x, item.y, item.cx, item.cy, dialog.baseX, dialog.baseY);
        // A resource number in place of a text is passed on as "#number".
        std::string text = item.textResource ? "#" + std::to_string(item.textResource) : item.text;
        // Control ids are 16 bits in a template: -1 becomes 0xFFFF.
        HMENU id = qvHandle<HMENU>((WORD)item.id);
        // Windows' dialogs are 3-D: a control's black border becomes a sunken edge.
        DWORD style = item.style | WS_CHILD;
        DWORD exStyle = item.exStyle | WS_EX_NOPARENTNOTIFY | ((style & WS_BORDER) ? WS_EX_CLIENTEDGE : 0);
        style &= ~WS_BORDER;
        HWND control =
            qvCreateWindow(exStyle, item.className.c_str(), text.c_str(), style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, hwnd, id, instance, nullptr, QV_CREATE_DEFAULT);
        if (!control) {
            qvError("dialog \"%s\": cannot create its %s control %d", tmpl.name.c_str(), item.className.c_str(),
                    item.id);
            return false;
        }
    }
    return true;
}

// The first control that takes the focus: visible, enabled, a tab stop.
HWND firstTabStop(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    for (HWND child : win->children) {
        QvWindow *c = qvWindowFromHandle(child);
        if (c && c->visible && c->enabled && (c->style & WS_TABSTOP)) return child;
    }
    return nullptr;
}

}  // namespace

// ===========================================================================
// Internal calls
// ===========================================================================

RECT qvDialogUnitsToPixels(int x, int y, int cx, int cy, int baseX, int baseY) {
    RECT r;
    r.left = mulDiv(x, baseX, dialogUnitsPerBaseX);
    r.top = mulDiv(y, baseY, dialogUnitsPerBaseY);
    r.right = r.left + mulDiv(cx, baseX, dialogUnitsPerBaseX);
    r.bottom = r.top + mulDiv(cy, baseY, dialogUnitsPerBaseY);
    return r;
}

void qvRegisterDialogClasses() {
    if (qv.classesRegistered) return;
    if (!qvFindClass(qvDialogClassName)) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = dialogWindowProc;
        wc.lpszClassName = qvDialogClassName;
        qvRegisterClass(&wc);
    }
    qvRegisterControlClasses();
    qv.classesRegistered = true;
}

QvDialog *qvDialogOf(QvWindow *win) {
    if (!win || !win->cls || win->cls->proc != dialogWindowProc) return nullptr;
    return static_cast<QvDialog *>(win->classData);
}

void qvPrefetchDialogFonts() {
    std::vector<std::pair<std::string, int>> fonts;
    for (const QvDialogTemplate &tmpl : qvProgramResources().dialogs) fonts.push_back(templateFont(tmpl));
    qvPrefetchFonts(std::move(fonts));
}

const QvFont *qvControlFont(QvWindow *control) {
    if (!control) return nullptr;
    QvDialog *dialog = qvDialogOf(qvWindowFromHandle(control->parent));
    if (dialog && dialog->font) return dialog->font;
    return qvOpenFont(qvDefaultDialogFace, qvDefaultDialogPoints);
}

// ===========================================================================
// Win32 calls
// ===========================================================================

extern "C" {

HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogFunc,
                               LPARAM initParam) {
    const QvDialogTemplate *tmpl = qvFindDialogTemplate(templateName);
    if (!tmpl) {
        qvbClearError();
        qvError("CreateDialogParamA: no dialog template \"%s\"", !templateName                  ? "(null)"
                                                                 : IS_INTRESOURCE(templateName) ? "(number)"
                                                                                                : templateName);
        return nullptr;
    }
    if (owner && !IsWindow(owner)) return nullptr;
    qvRegisterDialogClasses();

    auto dialog = std::make_unique<QvDialog>();
    setUpDialogFont(dialog.get(), *tmpl);
    RECT frame = qvDialogUnitsToPixels(tmpl->x, tmpl->y, tmpl->cx, tmpl->cy, dialog->baseX, dialog->baseY);
    // The position counts from the owner's client area, or from the screen.
    POINT origin = {frame.left, frame.top};
    if (owner) ClientToScreen(owner, &origin);
    DWORD exStyle = tmpl->exStyle | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT |
                    ((tmpl->style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
    DWORD style = (tmpl->style | WS_CLIPSIBLINGS | DS_3DLOOK) & ~WS_VISIBLE;
    HWND hwnd = qvCreateWindow(exStyle, qvDialogClassName, tmpl->caption.c_str(), style, origin.x, origin.y,
                               frame.right - frame.left, frame.bottom - frame.top, owner, nullptr, instance, nullptr,
                               QV_CREATE_CLIENT_RECT);
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return nullptr;
    win->classData = dialog.release();
    QvDialog *record = static_cast<QvDialog *>(win->classData);
    if (qvRealizeWindow(win, false)) qvbSetDialogFrame(win, (tmpl->style & WS_SYSMENU) != 0);

    if (!createControls(hwnd, *tmpl, *record, instance)) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    // The dialog's own size comes before its procedure hears anything, as on Windows.
    if ((win = qvWindowFromHandle(hwnd))) qvClientSizeChanged(win, win->clientWidth, win->clientHeight, false);
    if (!IsWindow(hwnd)) return nullptr;
    // The dialog procedure takes over from here: WM_INITDIALOG is its first message.
    record->proc = dialogFunc;
    HWND first = firstTabStop(hwnd);
    // Nonzero: the dialog manager sets the focus; zero: the procedure did.
    if (SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && IsWindow(first))
        SetFocus(first);
    if (!IsWindow(hwnd)) return nullptr;
    if ((tmpl->style & WS_VISIBLE) && !IsWindowVisible(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    QvDialog *record = qvDialogOf(qvWindowFromHandle(dialog));
    if (!record) return FALSE;
    record->result = result;
    ShowWindow(dialog, SW_HIDE);
    return TRUE;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    return win && (win->style & WS_CHILD) ? (int)win->id : 0;
}

BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
    QvDialog *record = qvDialogOf(qvWindowFromHandle(dialog));
    if (!record || !rect) return FALSE;
    // Each coordinate on its own, as Windows maps them.
    rect->left = mulDiv(rect->left, record->baseX, dialogUnitsPerBaseX);
    rect->right = mulDiv(rect->right, record->baseX, dialogUnitsPerBaseX);
    rect->top = mulDiv(rect->top, record->baseY, dialogUnitsPerBaseY);
    rect->bottom = mulDiv(rect->bottom, record->baseY, dialogUnitsPerBaseY);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    QvWindow *win = qvWindowFromHandle(dialog);
    if (!win) return nullptr;
    for (HWND child : win->children) {
        QvWindow *c = qvWindowFromHandle(child);
        if (c && (WORD)c->id == (WORD)id) return child;
    }
    return nullptr;
}

}  // extern "C"
