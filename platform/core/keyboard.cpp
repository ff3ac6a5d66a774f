// keyboard.cpp: the keyboard as Windows delivers it, and the default
// handling of keys and of WM_SYSCOMMAND.
//
// Pairs with the backend, whose event pump hands every key, as a virtual key
// and scan code, to qvInputKey, and window.cpp, whose DefWindowProcA hands
// keys and WM_SYSCOMMAND to qvDefaultKeyHandling.
//
// Implemented:
//   WM_KEYDOWN/WM_KEYUP to the window with the focus (the active top-level
//   window itself when the focus is elsewhere), WM_SYSKEYDOWN/WM_SYSKEYUP
//   while Alt is held without Ctrl, for F10, and for Alt released alone. The
//   virtual key is the backend's (by position, but for letters and digits by
//   the layout, as Windows' layouts give them); lParam
//   carries a repeat count of 1, the PC scan code, the extended bit, the Alt
//   context bit, the previous state (1 for auto-repeat) and the transition.
//   A release the window system makes up when the window loses the keyboard
//   is not delivered: the key went up in another window.
//   TranslateMessage posts WM_CHAR/WM_SYSCHAR with the character the key
//   gives with Shift and Caps Lock (US layout for punctuation), Ctrl+letter
//   as control codes, and Return, Tab, Escape, Backspace as theirs.
//   GetKeyState (the held bit).
//   The default handling: Alt+F4 posts WM_SYSCOMMAND SC_CLOSE to the
//   top-level window, which sends WM_CLOSE; Alt or F10 released alone and
//   Alt+character send SC_KEYMENU, which does nothing: the window menu is the
//   window manager's. SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE through
//   ShowWindow; SC_MOVE asks the window manager for a keyboard move.
//   Minimising a window hides its owned windows (SW_PARENTCLOSING), restoring
//   it shows them again (SW_PARENTOPENING).
// Left out: dead keys and input methods (WM_DEADCHAR, WM_IME_*), characters
//   beyond ASCII, Caps Lock and Num Lock toggle states in GetKeyState, the
//   left/right key codes (VK_LSHIFT...), GetAsyncKeyState, GetKeyboardState,
//   menus and accelerators, SC_SIZE.
#include "qv_internal.h"

#include <cctype>

namespace {

// As the messages taken so far left it (GetKeyState's view), not as the
// keyboard is now.
bool held(BYTE vk) {
    return (qv.keyStateTaken[vk] & 0x80) != 0;
}

// The window a key in top goes to: the focus when it is in top, else top
// itself (Windows gives the focus to an activated window without a focused
// control).
QvWindow *keyTarget(QvWindow *top) {
    if (qv.focus && qvIsInTree(top->handle, qv.focus)) return qvWindowFromHandle(qv.focus);
    return top;
}

// The top-level window that holds hwnd.
HWND topLevelHandle(HWND hwnd) {
    QvWindow *top = qvTopLevelOf(qvWindowFromHandle(hwnd));
    return top ? top->handle : nullptr;
}

// The character a key gives on a US layout, with Shift and Caps Lock; 0 for
// none. Ctrl turns letters into control codes.
int characterOf(BYTE vk, bool shift, bool ctrl, bool capsLock) {
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return vk - 'A' + 1;
        return (shift != capsLock) ? vk : std::tolower(vk);
    }
    if (ctrl) return 0;
    static const char digitsShifted[] = ")!@#$%^&*(";
    if (vk >= '0' && vk <= '9') return shift ? digitsShifted[vk - '0'] : vk;
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
    struct Punctuation {
        BYTE vk;
        char plain, shifted;
    };
    static const Punctuation punctuation[] = {
        {VK_SPACE, ' ', ' '},    {VK_RETURN, '\r', '\r'},  {VK_TAB, '\t', '\t'},      {VK_ESCAPE, 0x1B, 0x1B},
        {VK_BACK, '\b', '\b'},   {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PLUS, '=', '+'},   {VK_OEM_4, '[', '{'},
        {VK_OEM_6, ']', '}'},    {VK_OEM_5, '\\', '|'},    {VK_OEM_1, ';', ':'},      {VK_OEM_7, '\'', '"'},
        {VK_OEM_3, '`', '~'},    {VK_OEM_COMMA, ',', '<'}, {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'},
        {VK_OEM_102, '\\', '|'}, {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},        {VK_SUBTRACT, '-', '-'},
        {VK_DIVIDE, '/', '/'},   {VK_DECIMAL, '.', '.'},
    };
    for (const Punctuation &p : punctuation)
        if (p.vk == vk) return shift ? p.shifted : p.plain;
    return 0;
}

}  // namespace

// ===========================================================================
// Internal calls
// ===========================================================================

void qvInputKey(QvWindow *top, BYTE vk, WORD scan, bool extended, bool down) {
    bool wasDown = (qv.keyState[vk] & 0x80) != 0;
    qv.keyState[vk] = down ? 0x80 : 0;
    bool alone = qv.altAlone;
    qv.altAlone = down && vk == VK_MENU && (!wasDown || alone);
    // A release the window system made up as its window lost the keyboard:
    // the key went up in the window that has the keyboard now.
    if (!top || (!down && qvbFocusLossQueued(top))) return;
    QvWindow *target = keyTarget(top);
    if (!target) return;
    bool alt = (qv.keyState[VK_MENU] & 0x80) != 0;
    bool ctrl = (qv.keyState[VK_CONTROL] & 0x80) != 0;
    bool system = (alt && !ctrl) || vk == VK_F10 || (!down && vk == VK_MENU && alone && !ctrl);
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    DWORD flags = scan | (extended ? KF_EXTENDED : 0);
    if (alt) flags |= KF_ALTDOWN;
    if (wasDown) flags |= KF_REPEAT;
    if (!down) flags |= KF_UP;
    // A repeat count of 1 below the flags; unsigned, as 64-bit Windows gives it.
    qvPostMessage(target->handle, message, vk, static_cast<LPARAM>(static_cast<DWORD>(1 | (flags << 16))));
}

void qvKeyMessageTaken(const MSG &msg) {
    if (msg.message < WM_KEYDOWN || msg.message > WM_SYSKEYUP || msg.wParam > 0xFF) return;
    qv.keyStateTaken[msg.wParam] = (HIWORD(msg.lParam) & KF_UP) ? 0 : 0x80;
}

LRESULT qvDefaultKeyHandling(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QvWindow *win = qvWindowFromHandle(hwnd);
    if (!win) return 0;
    WORD keyFlags = HIWORD(lParam);
    switch (msg) {
    case WM_SYSKEYDOWN:
        // Alt+F4: the top-level window is asked to close, once the key is handled.
        if (wParam == VK_F4 && (keyFlags & KF_ALTDOWN) && !(keyFlags & KF_REPEAT))
            PostMessageA(topLevelHandle(hwnd), WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // Alt alone, or F10: the window menu, the window manager's here.
        if (msg == WM_SYSKEYUP && (wParam == VK_MENU || wParam == VK_F10))
            SendMessageA(topLevelHandle(hwnd), WM_SYSCOMMAND, SC_KEYMENU, 0);
        return 0;
    case WM_SYSCHAR:
        if (keyFlags & KF_ALTDOWN) SendMessageA(topLevelHandle(hwnd), WM_SYSCOMMAND, SC_KEYMENU, wParam);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_MOVE:
            if (win->visible) qvbMoveFromKeyboard(win);
            break;
        default:
            // SC_KEYMENU: the window menu belongs to the window manager.
            break;
        }
        return 0;
    default:
        return 0;
    }
}

void qvShowOwnedWindows(HWND owner, bool show) {
    std::vector<HWND> owned;
    for (HWND top : qv.topLevels) {
        QvWindow *win = qvWindowFromHandle(top);
        if (win && win->owner == owner && (show ? win->hiddenWithOwner : win->visible)) owned.push_back(top);
    }
    for (HWND hwnd : owned) {
        SendMessageA(hwnd, WM_SHOWWINDOW, show, show ? SW_PARENTOPENING : SW_PARENTCLOSING);
        QvWindow *win = qvWindowFromHandle(hwnd);
        if (!win) continue;
        win->hiddenWithOwner = !show;
        ShowWindow(hwnd, show ? SW_SHOWNA : SW_HIDE);
        // The window manager may have iconified it with its owner already.
        if (!show && (win = qvWindowFromHandle(hwnd))) qvbWithdrawWindow(win);
    }
}

// ===========================================================================
// The Win32 calls
// ===========================================================================

extern "C" {

BOOL WINAPI TranslateMessage(const MSG *msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    if (msg->wParam > 0xFF) return FALSE;
    BYTE vk = static_cast<BYTE>(msg->wParam);
    bool capsLock = (qvbModifiers() & QV_MOD_CAPS) != 0;
    bool ctrl = held(VK_CONTROL);
    // Ctrl+Alt is AltGr: nothing on a US layout.
    if (ctrl && held(VK_MENU)) return FALSE;
    int character = characterOf(vk, held(VK_SHIFT), ctrl, capsLock);
    if (character == 0) return FALSE;
    UINT message = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
    qvPostAheadOfInput(MSG{msg->hwnd, message, static_cast<WPARAM>(character), msg->lParam, msg->time, msg->pt});
    return TRUE;
}

SHORT WINAPI GetKeyState(int virtKey) {
    if (virtKey < 0 || virtKey > 0xFF) return 0;
    return held(static_cast<BYTE>(virtKey)) ? static_cast<SHORT>(-128) : 0;  // 0xFF80, as Windows gives
}

}  // extern "C"
