// sdl_keyboard.cpp: the keyboard as Windows delivers it, and the default
// handling of keys and of WM_SYSCOMMAND.
//
// Pairs with sdl_message.cpp, whose choke point hands every SDL key event to
// qvInputKey, and sdl_window.cpp, whose DefWindowProcA hands keys and
// WM_SYSCOMMAND to qvDefaultKeyHandling.
//
// Implemented:
//   WM_KEYDOWN/WM_KEYUP to the window with the focus (the active top-level
//   window itself when the focus is elsewhere), WM_SYSKEYDOWN/WM_SYSKEYUP
//   while Alt is held without Ctrl, for F10, and for Alt released alone. The
//   virtual key comes from the key's position, but for letters and digits
//   from the layout (SDL's keysym), as Windows' layouts give them; lParam
//   carries a repeat count of 1, the PC scan code, the extended bit, the Alt
//   context bit, the previous state (1 for auto-repeat) and the transition.
//   A release that SDL makes up when the window loses the keyboard is not
//   delivered: the key went up in another window.
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

// A key's virtual-key code, PC scan code and extended bit.
struct KeyCode {
    SDL_Scancode scancode;
    BYTE vk;
    BYTE scan;
    bool extended;
};

// Keys by position. Letters and digits are looked up by the layout's keysym
// first (keyVirtualCode).
const KeyCode keyCodes[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false},
    {SDL_SCANCODE_F2, VK_F2, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false},
    {SDL_SCANCODE_F4, VK_F4, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false},
    {SDL_SCANCODE_F6, VK_F6, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false},
    {SDL_SCANCODE_F8, VK_F8, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false},
    {SDL_SCANCODE_F10, VK_F10, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false},
    {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    // The keypad's digits with Num Lock on; off, they are keyNavigation's.
    {SDL_SCANCODE_KP_1, VK_NUMPAD1, 0x4F, false},
    {SDL_SCANCODE_KP_2, VK_NUMPAD2, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD3, 0x51, false},
    {SDL_SCANCODE_KP_4, VK_NUMPAD4, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD5, 0x4C, false},
    {SDL_SCANCODE_KP_6, VK_NUMPAD6, 0x4D, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD7, 0x47, false},
    {SDL_SCANCODE_KP_8, VK_NUMPAD8, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD9, 0x49, false},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
};

// The keypad's digits with Num Lock off: Home, arrows, End... (not extended).
const BYTE keypadNavigation[] = {VK_END,   VK_DOWN, VK_NEXT, VK_LEFT,  VK_CLEAR,
                                 VK_RIGHT, VK_HOME, VK_UP,   VK_PRIOR, VK_INSERT};

// The key's code, or null for a key Windows has no code for.
const KeyCode *keyCodeOf(SDL_Scancode scancode) {
    for (const KeyCode &key : keyCodes)
        if (key.scancode == scancode) return &key;
    return nullptr;
}

// The virtual key of a key event: letters and digits as the layout names
// them, the rest by position.
BYTE keyVirtualCode(const SDL_Keysym &keysym, const KeyCode &key) {
    SDL_Keycode sym = keysym.sym;
    if (sym >= 'a' && sym <= 'z') return static_cast<BYTE>(sym - 'a' + 'A');
    if (sym >= '0' && sym <= '9' && key.vk >= '0' && key.vk <= '9') return static_cast<BYTE>(sym);
    if (key.scancode >= SDL_SCANCODE_KP_1 && key.scancode <= SDL_SCANCODE_KP_PERIOD && !(keysym.mod & KMOD_NUM)) {
        if (key.scancode == SDL_SCANCODE_KP_PERIOD) return VK_DELETE;
        return keypadNavigation[key.scancode - SDL_SCANCODE_KP_1];
    }
    return key.vk;
}

// As the messages taken so far left it (GetKeyState's view), not as the
// keyboard is now.
bool held(BYTE vk) {
    return (qv.keyStateTaken[vk] & 0x80) != 0;
}

// True when SDL made up this release: it releases the keys still held when
// its window loses the keyboard, just before it says so. The key went up in
// the window that has the keyboard now.
bool releasedOnFocusLoss(Uint32 sdlWindowId) {
    if (!qv.videoReady) return false;
    SDL_Event pending[32];
    int count = SDL_PeepEvents(pending, 32, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; i++)
        if (pending[i].window.windowID == sdlWindowId && pending[i].window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            return true;
    return false;
}

// The window a key goes to: the focus when it is in the SDL window's
// top-level window, else that window itself (Windows gives the focus to an
// activated window without a focused control).
QvWindow *keyTarget(Uint32 sdlWindowId) {
    QvWindow *top = qvWindowFromSdlId(sdlWindowId);
    if (!top) return nullptr;
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

void qvInputKey(const SDL_KeyboardEvent &event) {
    const KeyCode *key = keyCodeOf(event.keysym.scancode);
    if (!key) return;
    BYTE vk = keyVirtualCode(event.keysym, *key);
    bool down = event.state == SDL_PRESSED;
    bool wasDown = (qv.keyState[vk] & 0x80) != 0;
    qv.keyState[vk] = down ? 0x80 : 0;
    bool alone = qv.altAlone;
    qv.altAlone = down && vk == VK_MENU && (!wasDown || alone);
    if (!down && releasedOnFocusLoss(event.windowID)) return;
    QvWindow *target = keyTarget(event.windowID);
    if (!target) return;
    bool alt = (qv.keyState[VK_MENU] & 0x80) != 0;
    bool ctrl = (qv.keyState[VK_CONTROL] & 0x80) != 0;
    bool system = (alt && !ctrl) || vk == VK_F10 || (!down && vk == VK_MENU && alone && !ctrl);
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    DWORD flags = key->scan | (key->extended ? KF_EXTENDED : 0);
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
            if (win->sdlWindow && win->visible) qvAskWindowManagerToMove(win->sdlWindow);
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
        if (!show && (win = qvWindowFromHandle(hwnd)) && win->sdlWindow) qvWithdrawWindow(win->sdlWindow);
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
    bool capsLock = qv.videoReady && (SDL_GetModState() & KMOD_CAPS);
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
