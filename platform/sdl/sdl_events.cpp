// sdl_events.cpp: the SDL backend's input: the ONE place SDL events are
// read, and where each is handed to the core's input entry points
// (qvInputMouseMotion, qvInputMouseButton, qvInputKey, qvInputWindowEvent,
// qvInputQuit), which make the Win32 messages; and what the core asks of the
// input devices and of the events still queued.
//
// Pairs with core/message.cpp and core/keyboard.cpp (the messages),
// sdl_signals.cpp (a close request by signal becomes SDL_QUIT here) and
// sdl_x11_frame.cpp (what the X server says that SDL does not pass on).
//
// Implemented: mouse motion and buttons (touch's emulated mouse left out),
//   keys mapped to Windows' virtual keys and PC scan codes (letters and
//   digits by the layout's keysym, the rest by position, the keypad's digits
//   as navigation keys with Num Lock off), window events (shown and exposed
//   ask the window manager for the frame first), SDL_QUIT; waiting for an
//   event with a time-out; peeking at queued events (a motion that is only
//   the pointer leaving, a focus loss or gain on its way); the capture SDL
//   loses with the window system's focus (its button-up may go elsewhere).
// Left out: the mouse wheel, text input and input methods, touch, joysticks.
#include "../core/qv_internal.h"

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

// A key went down or up in an SDL window.
void inputKey(const SDL_KeyboardEvent &event) {
    const KeyCode *key = keyCodeOf(event.keysym.scancode);
    if (!key) return;
    qvInputKey(qvWindowFromSdlId(event.windowID), keyVirtualCode(event.keysym, *key), key->scan, key->extended,
               event.state == SDL_PRESSED);
}

// The core's name for an SDL window event, or false for one it does not take.
bool windowEventKind(Uint8 event, QvWindowEventKind *kind) {
    switch (event) {
    case SDL_WINDOWEVENT_SHOWN:
        *kind = QV_WINDOW_SHOWN;
        return true;
    case SDL_WINDOWEVENT_EXPOSED:
        *kind = QV_WINDOW_EXPOSED;
        return true;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
        *kind = QV_WINDOW_RESIZED;
        return true;
    case SDL_WINDOWEVENT_MINIMIZED:
        *kind = QV_WINDOW_MINIMIZED;
        return true;
    case SDL_WINDOWEVENT_HIDDEN:
        *kind = QV_WINDOW_HIDDEN;
        return true;
    case SDL_WINDOWEVENT_RESTORED:
        *kind = QV_WINDOW_RESTORED;
        return true;
    case SDL_WINDOWEVENT_MAXIMIZED:
        *kind = QV_WINDOW_MAXIMIZED;
        return true;
    case SDL_WINDOWEVENT_MOVED:
        *kind = QV_WINDOW_MOVED;
        return true;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        *kind = QV_WINDOW_FOCUS_LOST;
        return true;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        *kind = QV_WINDOW_FOCUS_GAINED;
        return true;
    case SDL_WINDOWEVENT_CLOSE:
        *kind = QV_WINDOW_CLOSE;
        return true;
    default:
        return false;
    }
}

// Something happened to an SDL window: exposure, size, state, focus, close box.
void inputWindowEvent(const SDL_WindowEvent &event) {
    QvWindow *win = qvWindowFromSdlId(event.windowID);
    QvWindowEventKind kind;
    if (!win || !windowEventKind(event.event, &kind)) return;
    // The window system takes SDL's own capture with the window: a button SDL
    // counts as held may come up over another client's window.
    if ((kind == QV_WINDOW_MINIMIZED || kind == QV_WINDOW_HIDDEN || kind == QV_WINDOW_FOCUS_LOST) &&
        SDL_GetMouseState(nullptr, nullptr))
        qv.backend.buttonsMayComeUpElsewhere = true;
    qvInputWindowEvent(win, kind, event.data1, event.data2);
}

// The core's name for an SDL mouse button, or false for one it does not take.
bool mouseButtonOf(Uint8 button, QvMouseButton *out) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        *out = QV_BUTTON_LEFT;
        return true;
    case SDL_BUTTON_RIGHT:
        *out = QV_BUTTON_RIGHT;
        return true;
    case SDL_BUTTON_MIDDLE:
        *out = QV_BUTTON_MIDDLE;
        return true;
    default:
        return false;
    }
}

}  // namespace

// ===========================================================================
// The choke point
// ===========================================================================

void qvHandleSdlEvent(const SDL_Event &event) {
    QvMouseButton button;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (event.motion.which == SDL_TOUCH_MOUSEID) break;
        qvInputMouseMotion(qvWindowFromSdlId(event.motion.windowID), event.motion.x, event.motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (event.button.which == SDL_TOUCH_MOUSEID || !mouseButtonOf(event.button.button, &button)) break;
        qvInputMouseButton(qvWindowFromSdlId(event.button.windowID), button, event.type == SDL_MOUSEBUTTONDOWN,
                           event.button.clicks, event.button.x, event.button.y);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        inputKey(event.key);
        break;
    case SDL_WINDOWEVENT:
        inputWindowEvent(event.window);
        break;
    case SDL_QUIT:
        qvInputQuit();
        break;
    default:
        break;
    }
}

void qvbPumpEvents() {
    if (!qv.backend.videoReady) return;
    if (qvTakeSignalledClose()) {
        SDL_Event quit = {};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
    qvTakeReleasesElsewhere();
    SDL_Event event;
    while (SDL_PollEvent(&event)) qvHandleSdlEvent(event);
    qvDestroyWindowsGone();
}

void qvbWaitForEvent(int timeoutMs) {
    if (qv.backend.videoReady)
        SDL_WaitEventTimeout(nullptr, timeoutMs);
    else
        SDL_Delay(static_cast<Uint32>(timeoutMs));
}

// ===========================================================================
// Events still queued
// ===========================================================================

bool qvbPointerLeavingNext(QvWindow *top) {
    // SDL ends a window's motion with the point where the pointer left, held
    // to the window's edge, which is no motion inside it.
    SDL_Event next;
    return SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1 &&
           next.type == SDL_WINDOWEVENT && next.window.event == SDL_WINDOWEVENT_LEAVE &&
           next.window.windowID == top->native.sdlWindowId;
}

bool qvbFocusLossQueued(QvWindow *top) {
    // SDL releases the keys still held when its window loses the keyboard,
    // just before it says so.
    if (!qv.backend.videoReady) return false;
    SDL_Event pending[32];
    int count = SDL_PeepEvents(pending, 32, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; i++)
        if (pending[i].window.windowID == top->native.sdlWindowId &&
            pending[i].window.event == SDL_WINDOWEVENT_FOCUS_LOST)
            return true;
    return false;
}

bool qvbFocusGainQueued() {
    SDL_Event events[32];
    int count = SDL_PeepEvents(events, 32, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
    for (int i = 0; i < count; i++) {
        if (events[i].window.event == SDL_WINDOWEVENT_FOCUS_GAINED && qvWindowFromSdlId(events[i].window.windowID))
            return true;
    }
    return false;
}

// ===========================================================================
// The input devices now
// ===========================================================================

bool qvbMouseButtonsHeld() {
    return SDL_GetMouseState(nullptr, nullptr) != 0;
}

QvWindow *qvbWindowUnderPointer() {
    return qv.backend.videoReady ? qvWindowFromSdlId(SDL_GetWindowID(SDL_GetMouseFocus())) : nullptr;
}

QvWindow *qvbKeyboardFocusWindow() {
    SDL_Window *focus = SDL_GetKeyboardFocus();
    return focus ? qvWindowFromSdlId(SDL_GetWindowID(focus)) : nullptr;
}

unsigned qvbModifiers() {
    if (!qv.backend.videoReady) return 0;
    SDL_Keymod mods = SDL_GetModState();
    unsigned out = 0;
    if (mods & KMOD_SHIFT) out |= QV_MOD_SHIFT;
    if (mods & KMOD_CTRL) out |= QV_MOD_CTRL;
    if (mods & KMOD_ALT) out |= QV_MOD_ALT;
    if (mods & KMOD_CAPS) out |= QV_MOD_CAPS;
    if (mods & KMOD_NUM) out |= QV_MOD_NUM;
    return out;
}
