// button_static.cpp: the BUTTON and STATIC controls that dialog templates
// use, drawn in the classic Windows look into their dialog's image; and the
// table that registers and paints every control.
//
// Implemented:
//   BUTTON   BS_PUSHBUTTON and BS_DEFPUSHBUTTON: raised, pushed in while the
//            mouse holds it, WM_COMMAND (id, BN_CLICKED) to the parent when
//            the button is released over it; a press gives it the focus,
//            which it shows with the dotted focus rectangle; the space bar
//            pushes it in while held and clicks it on release (BM_SETSTATE,
//            the capture taken meanwhile); BM_GETSTATE; BS_GROUPBOX: an
//            etched frame with its text, transparent to the mouse.
//   STATIC   SS_LEFT (text broken into lines as DrawText breaks it),
//            SS_CENTER, SS_ICON (the icon named "#number", the control sized
//            to it, edges included, and the icon drawn in what the edges
//            leave), SS_SUNKEN (WS_EX_STATICEDGE, as Windows gives it);
//            transparent to the mouse, as statics without SS_NOTIFY are.
//   Controls without WS_VISIBLE exist and take messages but are never drawn;
//   disabled controls draw their text greyed.
// Left out: keys other than space (the dialog manager's), check boxes, radio buttons, owner-draw,
//   BM_* messages but BM_SETSTATE/BM_GETSTATE, STM_* messages, WM_CTLCOLOR*, '&' mnemonics (the '&' is dropped
//   and nothing is underlined).
#include "qv_dialog_internal.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>

const char qvButtonClassName[] = "BUTTON";
const char qvStaticClassName[] = "STATIC";

// ===========================================================================
// BUTTON
// ===========================================================================

namespace {

// The button kind sits in the low four bits of the style.
const DWORD buttonTypeMask = 0x0F;

struct QvButton {
    bool tracking = false;   // the left button went down on it; it holds the capture
    bool spaceHeld = false;  // the space bar went down on it; it holds the capture
    bool pushed = false;     // drawn pushed in: tracking and the pointer is over it, or space held
};

DWORD buttonType(const QvWindow *win) {
    return win->style & buttonTypeMask;
}

// Ends a press without a click (capture lost, window disabled).
void cancelPress(HWND hwnd, QvButton *button) {
    if (button->spaceHeld) {
        button->spaceHeld = false;
        SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);
        return;
    }
    if (!button->tracking) return;
    button->tracking = false;
    button->pushed = false;
    qvRedrawControl(hwnd);
}

// Tells the parent that the button was clicked. Last of all: the parent may
// destroy the button (and its dialog) while handling it.
void sendClick(HWND hwnd) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win || !win->parent) return;
    WPARAM command = MAKEWPARAM((WORD)win->id, BN_CLICKED);
    SendMessageA(win->parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(hwnd));
}

// A text centred in a rectangle on one line.
void drawCentredText(const QvCanvas &c, const QvFont *font, const std::string &text, int x, int y, int w, int h,
                     bool enabled) {
    if (!font) return;
    int tx = x + (w - qvDisplayWidth(font, text)) / 2;
    int ty = y + (h - font->height) / 2;
    QvCanvas inner = qvClippedTo(c, x, y, w, h);
    if (enabled)
        qvDrawText(inner, font, text, tx, ty, qvColorText);
    else
        qvDrawGreyText(inner, font, text, tx, ty);
}

void paintPushButton(QvWindow *win, const QvCanvas &c) {
    const QvButton *button = static_cast<const QvButton *>(win->classData);
    bool pushed = button && button->pushed;
    int x = 0, y = 0, w = win->clientWidth, h = win->clientHeight;
    qvFill(c, x, y, w, h, qvColorFace);
    // A default button, and a button being pushed, wear a black frame.
    if (buttonType(win) == BS_DEFPUSHBUTTON || pushed) {
        qvDrawFrame(c, x, y, w, h, qvColorFrame, qvColorFrame);
        qvInset(&x, &y, &w, &h, 1);
    }
    if (pushed)
        qvDrawFrame(c, x, y, w, h, qvColorShadow, qvColorShadow);
    else
        qvDrawRaisedEdge(c, x, y, w, h);
    qvInset(&x, &y, &w, &h, 2);
    int shift = pushed ? 1 : 0;  // the text sinks with the button
    drawCentredText(c, qvControlFont(win), win->text, x + shift, y + shift, w, h, win->enabled);
    // The button with the focus: dots just inside its edges.
    if (GetFocus() == win->handle) qvDrawFocusRect(c, x, y, w, h);
}

// Where a group box's text starts, and the room left around it.
const int groupTextLeft = 8;
const int groupTextPadding = 1;

void paintGroupBox(QvWindow *win, const QvCanvas &c) {
    const QvFont *font = qvControlFont(win);
    int w = win->clientWidth, h = win->clientHeight;
    int fontHeight = font ? font->height : 0;
    // The frame's top line runs through the middle of the text.
    int top = fontHeight / 2;
    qvDrawEtchedFrame(c, 0, top, w, h - top);
    if (win->text.empty() || !font) return;
    int textWidth = qvDisplayWidth(font, win->text);
    qvFill(c, groupTextLeft - groupTextPadding, 0, textWidth + 2 * groupTextPadding, fontHeight, qvColorFace);
    QvCanvas inner = qvClippedTo(c, 0, 0, w, h);
    if (win->enabled)
        qvDrawText(inner, font, win->text, groupTextLeft, 0, qvColorText);
    else
        qvDrawGreyText(inner, font, win->text, groupTextLeft, 0);
}

}  // namespace

// The button's procedure. The click goes to the parent last of all, after the
// capture is released and the button is drawn raised: the parent may destroy
// the button (and its dialog) while handling it.
LRESULT CALLBACK qvButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvButton *button = static_cast<QvButton *>(win->classData);
    switch (msg) {
    case WM_CREATE:
        win->classData = new QvButton;
        // Group boxes let clicks through to the controls they frame.
        win->mouseTransparent = buttonType(win) == BS_GROUPBOX;
        return 0;
    case WM_NCDESTROY:
        delete button;
        win->classData = nullptr;
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (!button || buttonType(win) == BS_GROUPBOX) return 0;
        button->tracking = true;
        button->pushed = true;
        SetCapture(hwnd);
        // A pressed button takes the focus (the one that had it draws itself without).
        SetFocus(hwnd);
        qvRedrawControl(hwnd);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        qvRedrawControl(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        if (button && button->tracking && button->pushed != qvPointInClient(win, lParam)) {
            button->pushed = !button->pushed;
            qvRedrawControl(hwnd);
        }
        return 0;
    case WM_LBUTTONUP: {
        if (!button || !button->tracking) return 0;
        bool clicked = qvPointInClient(win, lParam);
        button->tracking = false;
        button->pushed = false;
        qvRedrawControl(hwnd);
        ReleaseCapture();
        if (clicked) sendClick(hwnd);
        return 0;
    }
    // The space bar pushes a push button in while it is held (the button
    // takes the capture, as for the mouse) and clicks it when released,
    // though nothing calls the dialog manager.
    case WM_KEYDOWN:
        if (wParam != VK_SPACE || !button || buttonType(win) == BS_GROUPBOX) break;
        if (button->tracking || button->spaceHeld) return 0;
        SendMessageA(hwnd, BM_SETSTATE, TRUE, 0);
        if ((win = qvWindowFromHandle(hwnd)) && (button = static_cast<QvButton *>(win->classData))) {
            button->spaceHeld = true;
            SetCapture(hwnd);
        }
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE || !button || !button->spaceHeld) break;
        button->spaceHeld = false;
        SendMessageA(hwnd, BM_SETSTATE, FALSE, 0);
        ReleaseCapture();
        sendClick(hwnd);
        return 0;
    case BM_SETSTATE:
        if (button && button->pushed != (wParam != 0)) {
            button->pushed = wParam != 0;
            qvRedrawControl(hwnd);
        }
        return 0;
    case BM_GETSTATE:
        return (button && button->pushed ? BST_PUSHED : 0) | (GetFocus() == hwnd ? BST_FOCUS : 0);
    case WM_CAPTURECHANGED:
        if (button) cancelPress(hwnd, button);
        return 0;
    case WM_ENABLE:
        if (button && !wParam) cancelPress(hwnd, button);
        qvRedrawControl(hwnd);
        return 0;
    case WM_SETTEXT:
        return qvDefaultThenRedraw(hwnd, msg, wParam, lParam);
    default:
        break;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void qvPaintButton(QvWindow *win, const QvCanvas &c) {
    if (buttonType(win) == BS_GROUPBOX)
        paintGroupBox(win, c);
    else
        paintPushButton(win, c);
}

// ===========================================================================
// STATIC
// ===========================================================================

namespace {

// The kind of static sits in the low five bits of the style.
const DWORD staticTypeMask = 0x1F;

struct QvStatic {
    HICON icon = nullptr;  // SS_ICON: the icon shown
};

// Loads the icon an SS_ICON static names with its text ("#32512" or a
// number) and sizes the control to it, edges included, keeping its top-left
// corner; the edges take their share of the icon's room, as on Windows.
void setUpIconStatic(HWND hwnd, QvWindow *win, QvStatic *data) {
    const char *name = win->text.c_str();
    if (*name == '#') name++;
    int id = atoi(name);
    data->icon = id > 0 ? qvLoadProgramIcon(id) : nullptr;
    const QvImage *image = qvIconImage(data->icon);
    if (!image) return;
    MoveWindow(hwnd, win->rect.left, win->rect.top, image->width, image->height, FALSE);
}

}  // namespace

LRESULT CALLBACK qvStaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    QvStatic *data = static_cast<QvStatic *>(win->classData);
    switch (msg) {
    case WM_NCCREATE:
        // A sunken static wears the static edge, outside its client area.
        if (win->style & SS_SUNKEN) win->exStyle |= WS_EX_STATICEDGE;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    case WM_CREATE:
        data = new QvStatic;
        win->classData = data;
        win->mouseTransparent = true;
        if ((win->style & staticTypeMask) == SS_ICON) setUpIconStatic(hwnd, win, data);
        return 0;
    case WM_NCDESTROY:
        delete data;
        win->classData = nullptr;
        return 0;
    case WM_SETTEXT:
    case WM_ENABLE:
        return qvDefaultThenRedraw(hwnd, msg, wParam, lParam);
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

void qvPaintStatic(QvWindow *win, const QvCanvas &c) {
    int x = 0, y = 0, w = win->clientWidth, h = win->clientHeight;
    qvFill(c, x, y, w, h, qvColorFace);
    QvCanvas inner = qvClippedTo(c, x, y, w, h);
    const QvStatic *data = static_cast<const QvStatic *>(win->classData);
    DWORD type = win->style & staticTypeMask;
    if (type == SS_ICON) {
        // The icon shrinks into what the edges leave of its room.
        const QvImage *image = data ? qvIconImage(data->icon) : nullptr;
        if (image && c.image) qvBlitScaled(inner, *image, x, y, w, h);
        return;
    }
    const QvFont *font = qvControlFont(win);
    if (!font) return;
    int lineY = y;
    for (const std::string &line : qvBreakText(font, win->text, w)) {
        int lineX = x;
        if (type == SS_CENTER) lineX = x + (w - qvDisplayWidth(font, line)) / 2;
        if (win->enabled)
            qvDrawText(inner, font, line, lineX, lineY, qvColorText);
        else
            qvDrawGreyText(inner, font, line, lineX, lineY);
        lineY += font->height;
        if (lineY >= y + h) break;
    }
}

// ===========================================================================
// Every control: painting and registration
// ===========================================================================

void qvPaintControl(QvWindow *control, const QvCanvas &canvas) {
    if (!control || !control->cls) return;
    QvCanvas c = qvClippedTo(canvas, 0, 0, control->clientWidth, control->clientHeight);
    if (control->cls->proc == qvButtonProc)
        qvPaintButton(control, c);
    else if (control->cls->proc == qvStaticProc)
        qvPaintStatic(control, c);
    else if (control->cls->proc == qvScrollBarProc)
        qvPaintScrollBar(control, c);
}

void qvRegisterControlClasses() {
    struct {
        const char *name;
        WNDPROC proc;
    } classes[] = {
        {qvButtonClassName, qvButtonProc}, {qvStaticClassName, qvStaticProc}, {qvScrollBarClassName, qvScrollBarProc}};
    for (const auto &entry : classes) {
        if (qvFindClass(entry.name)) continue;
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = entry.proc;
        wc.lpszClassName = entry.name;
        qvRegisterClass(&wc);
    }
}
