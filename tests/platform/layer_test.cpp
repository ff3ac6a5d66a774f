#include "layer_test.h"

#include <algorithm>
#include <iterator>

Uint64 LayerTest::now = 1000;

void LayerTest::SetUp() {
    ASSERT_TRUE(qvEnsureVideo());
    qvDestroyAllWindows();
    qvPumpEvents();
    qv.posted.clear();
    now = 1000;
    qv.clockMs = fakeClock;
    // Frames a test made up do not carry over to the next one.
    qv.frames = QvFrameState{};
    std::fill(std::begin(qv.keyState), std::end(qv.keyState), 0);
    std::fill(std::begin(qv.keyStateTaken), std::end(qv.keyStateTaken), 0);
    qv.altAlone = false;
    clearMessageLog();
}

void LayerTest::TearDown() {
    qvDestroyAllWindows();
    qv.clockMs = nullptr;
    clearMessageLog();
}

HWND LayerTest::makeWindow(const char *className, UINT classStyle, int w, int h, DWORD style, int x, int y) {
    registerRecordingClass(className, classStyle);
    return CreateWindowExA(0, className, "test window", style, x, y, w, h, nullptr, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

HWND LayerTest::makeChild(HWND parent, int id, int x, int y, int w, int h, DWORD style) {
    registerRecordingClass("RecordingChild", 0);
    return CreateWindowExA(0, "RecordingChild", "", WS_CHILD | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<uintptr_t>(id)), nullptr, nullptr);
}

static Uint32 sdlIdOf(HWND top) {
    QvWindow *win = qvWindowFromHandle(top);
    return win ? win->native.sdlWindowId : 0;
}

void LayerTest::pushMotion(HWND top, int x, int y) {
    SDL_Event event = {};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = sdlIdOf(top);
    event.motion.x = x;
    event.motion.y = y;
    SDL_PushEvent(&event);
}

void LayerTest::pushButton(HWND top, Uint8 button, bool down, int x, int y) {
    SDL_Event event = {};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = sdlIdOf(top);
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void LayerTest::pushWindowEvent(HWND top, Uint8 kind, int data1, int data2) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = sdlIdOf(top);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

void LayerTest::pushKey(HWND top, SDL_Scancode scancode, bool down, bool repeat) {
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = sdlIdOf(top);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    SDL_PushEvent(&event);
}

std::vector<MSG> LayerTest::drainQueue() {
    std::vector<MSG> taken;
    MSG msg;
    // Bounded: a window procedure that never validates would paint forever.
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); i++) {
        taken.push_back(msg);
        if (msg.message == WM_QUIT) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return taken;
}
