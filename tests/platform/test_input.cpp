// Mouse input and window events, pushed as SDL events and turned into
// messages by the layer's choke point: which window gets them and how
// wParam and lParam are packed.
#include "layer_test.h"

namespace {

// A shown 200 x 100 window, its SDL events drained.
HWND shownWindow(LayerTest *, HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    qvPumpEvents();
    qv.posted.clear();
    clearMessageLog();
    return hwnd;
}

// The mouse messages (and WM_CAPTURECHANGED) in the log, for comparison.
std::vector<LoggedMessage> mouseMessages() {
    std::vector<LoggedMessage> mouse;
    for (const LoggedMessage &m : messageLog())
        if ((m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP) || m.message == WM_CAPTURECHANGED ||
            m.message == WM_CLOSE || m.message == WM_DESTROY)
            mouse.push_back(m);
    return mouse;
}

// A left drag that leaves the client area (200 x 100) to the left and top,
// then beyond the right and bottom, and is released outside, with capture.
const ExpectedMessage capturedDrag[] = {
    {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 40), 0},
    {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, -7), 0},
    {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 130), 0},
    {WM_LBUTTONUP, 0, MAKELPARAM(-20, 300), 0},
    {WM_CAPTURECHANGED, 0, 0, 0},
};

// The same drag without capture: what happens outside belongs to others.
const ExpectedMessage uncapturedDrag[] = {
    {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 40), 0},
};

// Right button with the left held: both flags while both are down.
const ExpectedMessage twoButtons[] = {
    {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 2), 0},
    {WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(3, 4), 0},
    {WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(5, 6), 0},
    {WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(7, 8), 0},
    {WM_RBUTTONUP, 0, MAKELPARAM(9, 10), 0},
};

// SetCapture moving from one window to another, then ReleaseCapture.
const ExpectedMessage captureHandOver[] = {
    {WM_CAPTURECHANGED, 0, 0, anyLParam},  // to the first window, losing it
    {WM_CAPTURECHANGED, 0, 0, 0},          // to the second, released
};

}  // namespace

using MouseInput = LayerTest;

TEST_F(MouseInput, CapturedDragReportsPointsOutsideTheClientArea) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushButton(hwnd, SDL_BUTTON_LEFT, true, 50, 40);
    drainQueue();
    SetCapture(hwnd);
    EXPECT_EQ(GetCapture(), hwnd);
    pushMotion(hwnd, -5, -7);
    drainQueue();
    pushMotion(hwnd, 250, 130);
    drainQueue();
    pushButton(hwnd, SDL_BUTTON_LEFT, false, -20, 300);
    drainQueue();
    ReleaseCapture();
    EXPECT_TRUE(matchesSequence(capturedDrag, mouseMessages()));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseInput, WithoutCaptureOutsidePointsAreDropped) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushButton(hwnd, SDL_BUTTON_LEFT, true, 50, 40);
    pushMotion(hwnd, -5, -7);
    pushMotion(hwnd, 250, 130);
    pushButton(hwnd, SDL_BUTTON_LEFT, false, -20, 300);
    drainQueue();
    EXPECT_TRUE(matchesSequence(uncapturedDrag, mouseMessages()));
}

TEST_F(MouseInput, ButtonFlagsFollowTheButtonsHeld) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushButton(hwnd, SDL_BUTTON_LEFT, true, 1, 2);
    pushButton(hwnd, SDL_BUTTON_RIGHT, true, 3, 4);
    pushMotion(hwnd, 5, 6);
    pushButton(hwnd, SDL_BUTTON_LEFT, false, 7, 8);
    pushButton(hwnd, SDL_BUTTON_RIGHT, false, 9, 10);
    drainQueue();
    EXPECT_TRUE(matchesSequence(twoButtons, mouseMessages()));
}

TEST_F(MouseInput, CoordinatesPackAsSigned16BitHalves) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    SetCapture(hwnd);
    struct Case {
        int x, y;
        short packedX, packedY;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {199, 99, 199, 99},
        {-1, -1, -1, -1},
        {-300, 5, -300, 5},
        {40000, -40000, 32767, -32768},  // held at the 16-bit edge
    };
    for (const Case &c : cases) {
        clearMessageLog();
        pushMotion(hwnd, c.x, c.y);
        drainQueue();
        auto mouse = mouseMessages();
        ASSERT_EQ(mouse.size(), 1u) << c.x << "," << c.y;
        EXPECT_EQ(GET_X_LPARAM(mouse[0].lParam), c.packedX) << c.x << "," << c.y;
        EXPECT_EQ(GET_Y_LPARAM(mouse[0].lParam), c.packedY) << c.x << "," << c.y;
    }
}

TEST_F(MouseInput, MovesQueuedBackToBackMergeIntoTheLast) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushMotion(hwnd, 1, 1);
    pushMotion(hwnd, 2, 2);
    pushMotion(hwnd, 3, 3);
    pushButton(hwnd, SDL_BUTTON_LEFT, true, 3, 3);
    pushMotion(hwnd, 4, 4);
    drainQueue();
    const ExpectedMessage merged[] = {
        {WM_MOUSEMOVE, 0, MAKELPARAM(3, 3), 0},
        {WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3), 0},
        {WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(4, 4), 0},
    };
    EXPECT_TRUE(matchesSequence(merged, mouseMessages()));
}

TEST_F(MouseInput, ClicksGoToTheDeepestVisibleEnabledChild) {
    HWND top = makeWindow("RecordingA", 0, 200, 100);
    HWND child = makeChild(top, 1, 10, 10, 100, 50);
    HWND inner = makeChild(child, 2, 20, 5, 30, 20);
    HWND hidden = makeChild(top, 3, 150, 0, 50, 50, 0);
    HWND disabled = makeChild(top, 4, 150, 60, 50, 40, WS_VISIBLE | WS_DISABLED);
    shownWindow(this, top);
    struct Case {
        int x, y;
        HWND expected;
        int clientX, clientY;
    };
    const Case cases[] = {
        {5, 5, top, 5, 5},        // outside every child
        {15, 12, child, 5, 2},    // the child, in its own coordinates
        {35, 20, inner, 5, 5},    // the child's child
        {160, 10, top, 160, 10},  // a hidden child takes nothing
        {160, 70, top, 160, 70},  // nor a disabled one
    };
    (void)hidden;
    (void)disabled;
    for (const Case &c : cases) {
        clearMessageLog();
        pushButton(top, SDL_BUTTON_LEFT, true, c.x, c.y);
        pushButton(top, SDL_BUTTON_LEFT, false, c.x, c.y);
        drainQueue();
        auto mouse = mouseMessages();
        ASSERT_EQ(mouse.size(), 2u) << c.x << "," << c.y;
        EXPECT_EQ(mouse[0].hwnd, c.expected) << c.x << "," << c.y;
        EXPECT_EQ(mouse[0].lParam, MAKELPARAM(c.clientX, c.clientY)) << c.x << "," << c.y;
    }
}

TEST_F(MouseInput, CaptureByAChildGivesItsOwnCoordinates) {
    HWND top = makeWindow("RecordingA", 0, 200, 100);
    HWND child = makeChild(top, 1, 40, 30, 20, 20);
    shownWindow(this, top);
    SetCapture(child);
    pushMotion(top, 10, 10);
    drainQueue();
    auto mouse = mouseMessages();
    ASSERT_EQ(mouse.size(), 1u);
    EXPECT_EQ(mouse[0].hwnd, child);
    EXPECT_EQ(mouse[0].lParam, MAKELPARAM(-30, -20));
}

TEST_F(MouseInput, CaptureChangesAreAnnounced) {
    HWND a = makeWindow("RecordingA", 0, 100, 100);
    HWND b = makeWindow("RecordingA", 0, 100, 100);
    EXPECT_EQ(SetCapture(a), nullptr);
    EXPECT_EQ(SetCapture(b), a);
    EXPECT_EQ(SetCapture(b), b) << "taking it again changes nothing";
    ReleaseCapture();
    EXPECT_TRUE(matchesSequence(captureHandOver, mouseMessages()));
    EXPECT_EQ(mouseMessages()[0].hwnd, a);
    EXPECT_EQ(mouseMessages()[0].lParam, reinterpret_cast<LPARAM>(b));
    EXPECT_EQ(mouseMessages()[1].hwnd, b);
    // A destroyed capture window leaves no capture behind.
    SetCapture(a);
    DestroyWindow(a);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseInput, TheWindowSystemTakingTheMouseEndsTheCapture) {
    struct Case {
        const char *name;
        Uint8 event;
        bool toCaptureWindow;  // else to another top-level window
        bool captureEnds;
    };
    const Case cases[] = {
        {"minimised", SDL_WINDOWEVENT_MINIMIZED, true, true},
        {"hidden", SDL_WINDOWEVENT_HIDDEN, true, true},
        {"lost the focus", SDL_WINDOWEVENT_FOCUS_LOST, true, true},
        {"another window minimised", SDL_WINDOWEVENT_MINIMIZED, false, false},
        {"another window lost the focus", SDL_WINDOWEVENT_FOCUS_LOST, false, false},
        {"moved", SDL_WINDOWEVENT_MOVED, true, false},
    };
    HWND a = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    HWND b = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    const ExpectedMessage ended[] = {{WM_CAPTURECHANGED, 0, 0, 0}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        pushButton(a, SDL_BUTTON_LEFT, true, 50, 40);
        drainQueue();
        SetCapture(a);
        clearMessageLog();
        pushWindowEvent(c.toCaptureWindow ? a : b, c.event, 3, 4);
        drainQueue();
        EXPECT_EQ(GetCapture(), c.captureEnds ? nullptr : a);
        // Its button-up may go to another window: the button no longer counts as held.
        EXPECT_EQ(qvMouseKeyFlags() & MK_LBUTTON, c.captureEnds ? 0u : WPARAM{MK_LBUTTON});
        if (c.captureEnds)
            EXPECT_TRUE(matchesSequence(ended, mouseMessages()));
        else
            EXPECT_TRUE(mouseMessages().empty());
        ReleaseCapture();
        pushButton(a, SDL_BUTTON_LEFT, false, 50, 40);
        drainQueue();
    }
}

using KeyboardInput = LayerTest;

// What a key table row does: a key at a position goes down (or repeats) or up.
struct KeyStep {
    SDL_Scancode key;
    bool down;
    bool repeat = false;
};

TEST_F(KeyboardInput, KeysArriveAsWindowsDeliversThem) {
    // Every row as wine64 delivered it to a window of the same class (its
    // menu loop's messages after SC_KEYMENU left out).
    const SDL_Scancode a = SDL_SCANCODE_A, alt = SDL_SCANCODE_LALT, ctrl = SDL_SCANCODE_LCTRL;
    const SDL_Scancode keyboardTaken = SDL_SCANCODE_UNKNOWN;  // the window system takes the keyboard
    struct Case {
        const char *what;
        std::vector<KeyStep> steps;
        std::vector<ExpectedMessage> expected;
    };
    const Case cases[] = {
        {"a letter",
         {{a, true}, {a, false}},
         {{WM_KEYDOWN, 'A', 0x001E0001, 0}, {WM_CHAR, 'a', 0x001E0001, 0}, {WM_KEYUP, 'A', (LPARAM)0xC01E0001, 0}}},
        {"a letter held: the repeats have the previous state",
         {{SDL_SCANCODE_B, true}, {SDL_SCANCODE_B, true, true}, {SDL_SCANCODE_B, false}},
         {{WM_KEYDOWN, 'B', 0x00300001, 0},
          {WM_CHAR, 'b', 0x00300001, 0},
          {WM_KEYDOWN, 'B', 0x40300001, 0},
          {WM_CHAR, 'b', 0x40300001, 0},
          {WM_KEYUP, 'B', (LPARAM)0xC0300001, 0}}},
        {"Shift+A",
         {{SDL_SCANCODE_LSHIFT, true}, {a, true}, {SDL_SCANCODE_LSHIFT, false}, {a, false}},
         {{WM_KEYDOWN, VK_SHIFT, 0x002A0001, 0},
          {WM_KEYDOWN, 'A', 0x001E0001, 0},
          {WM_CHAR, 'A', 0x001E0001, 0},
          {WM_KEYUP, VK_SHIFT, (LPARAM)0xC02A0001, 0},
          {WM_KEYUP, 'A', (LPARAM)0xC01E0001, 0}}},
        {"Ctrl+A gives a control character",
         {{ctrl, true}, {a, true}, {a, false}, {ctrl, false}},
         {{WM_KEYDOWN, VK_CONTROL, 0x001D0001, 0},
          {WM_KEYDOWN, 'A', 0x001E0001, 0},
          {WM_CHAR, 1, 0x001E0001, 0},
          {WM_KEYUP, 'A', (LPARAM)0xC01E0001, 0},
          {WM_KEYUP, VK_CONTROL, (LPARAM)0xC01D0001, 0}}},
        {"an arrow is extended",
         {{SDL_SCANCODE_LEFT, true}, {SDL_SCANCODE_LEFT, false}},
         {{WM_KEYDOWN, VK_LEFT, 0x014B0001, 0}, {WM_KEYUP, VK_LEFT, (LPARAM)0xC14B0001, 0}}},
        {"the keypad's Enter",
         {{SDL_SCANCODE_KP_ENTER, true}, {SDL_SCANCODE_KP_ENTER, false}},
         {{WM_KEYDOWN, VK_RETURN, 0x011C0001, 0},
          {WM_CHAR, '\r', 0x011C0001, 0},
          {WM_KEYUP, VK_RETURN, (LPARAM)0xC11C0001, 0}}},
        {"Alt+F5: system keys, and Alt's release after it a plain one",
         {{alt, true}, {SDL_SCANCODE_F5, true}, {SDL_SCANCODE_F5, false}, {alt, false}},
         {{WM_SYSKEYDOWN, VK_MENU, 0x20380001, 0},
          {WM_SYSKEYDOWN, VK_F5, 0x203F0001, 0},
          {WM_SYSKEYUP, VK_F5, (LPARAM)0xE03F0001, 0},
          {WM_KEYUP, VK_MENU, (LPARAM)0xC0380001, 0}}},
        {"Alt alone asks for the window menu",
         {{alt, true}, {alt, false}},
         {{WM_SYSKEYDOWN, VK_MENU, 0x20380001, 0},
          {WM_SYSKEYUP, VK_MENU, (LPARAM)0xC0380001, 0},
          {WM_SYSCOMMAND, SC_KEYMENU, 0, 0}}},
        {"F10 alone too",
         {{SDL_SCANCODE_F10, true}, {SDL_SCANCODE_F10, false}},
         {{WM_SYSKEYDOWN, VK_F10, 0x00440001, 0},
          {WM_SYSKEYUP, VK_F10, (LPARAM)0xC0440001, 0},
          {WM_SYSCOMMAND, SC_KEYMENU, 0, 0}}},
        {"Alt+X: a system character, the window menu asked with it",
         {{alt, true}, {SDL_SCANCODE_X, true}, {SDL_SCANCODE_X, false}, {alt, false}},
         {{WM_SYSKEYDOWN, VK_MENU, 0x20380001, 0},
          {WM_SYSKEYDOWN, 'X', 0x202D0001, 0},
          {WM_SYSCHAR, 'x', 0x202D0001, 0},
          {WM_SYSCOMMAND, SC_KEYMENU, 'x', 0},
          {WM_SYSKEYUP, 'X', (LPARAM)0xE02D0001, 0},
          {WM_KEYUP, VK_MENU, (LPARAM)0xC0380001, 0}}},
        {"Ctrl+Alt+A: plain keys with the Alt bit, no character",
         {{ctrl, true}, {alt, true}, {a, true}, {a, false}, {alt, false}, {ctrl, false}},
         {{WM_KEYDOWN, VK_CONTROL, 0x001D0001, 0},
          {WM_KEYDOWN, VK_MENU, 0x20380001, 0},
          {WM_KEYDOWN, 'A', 0x201E0001, 0},
          {WM_KEYUP, 'A', (LPARAM)0xE01E0001, 0},
          {WM_KEYUP, VK_MENU, (LPARAM)0xC0380001, 0},
          {WM_KEYUP, VK_CONTROL, (LPARAM)0xC01D0001, 0}}},
        {"a key SDL releases as the window loses the keyboard went up elsewhere",
         {{a, true}, {a, false}, {keyboardTaken, false}},
         {{WM_KEYDOWN, 'A', 0x001E0001, 0}, {WM_CHAR, 'a', 0x001E0001, 0}}},
        {"Alt+F4 closes the window",
         {{alt, true}, {SDL_SCANCODE_F4, true}, {SDL_SCANCODE_F4, false}, {alt, false}},
         {{WM_SYSKEYDOWN, VK_MENU, 0x20380001, 0},
          {WM_SYSKEYDOWN, VK_F4, 0x203E0001, 0},
          {WM_SYSCOMMAND, SC_CLOSE, 0, 0},
          {WM_CLOSE, 0, 0, 0},
          {WM_DESTROY, 0, 0, 0},
          {WM_NCDESTROY, 0, 0, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
        for (const KeyStep &step : c.steps) {
            if (step.key == keyboardTaken)
                pushWindowEvent(hwnd, SDL_WINDOWEVENT_FOCUS_LOST);
            else
                pushKey(hwnd, step.key, step.down, step.repeat);
        }
        drainQueue();
        std::vector<LoggedMessage> keys;
        for (const LoggedMessage &m : messageLog())
            if ((m.message >= WM_KEYDOWN && m.message <= WM_SYSCHAR) || m.message == WM_SYSCOMMAND ||
                m.message == WM_CLOSE || m.message == WM_DESTROY || m.message == WM_NCDESTROY)
                keys.push_back(m);
        EXPECT_TRUE(matchesSequence(c.expected.data(), c.expected.size(), keys));
        DestroyWindow(hwnd);
    }
}

using WindowEvents = LayerTest;

TEST_F(WindowEvents, ResizeSendsSizeAndRepaintsWithRedrawStyles) {
    struct Case {
        UINT classStyle;
        int width, height;
        bool wholeRepainted;
        RECT paint;                                 // the update rectangle when only a strip is new
        int reportedWidth = 0, reportedHeight = 0;  // when not the size given
    };
    const Case cases[] = {
        {CS_HREDRAW | CS_VREDRAW, 150, 80, true, {0, 0, 150, 80}},  // smaller: all of it
        {CS_HREDRAW | CS_VREDRAW, 250, 100, true, {0, 0, 250, 100}},
        {0, 250, 100, false, {200, 0, 250, 100}},  // only the strip uncovered
        {0, 150, 80, false, {0, 0, 0, 0}},         // smaller, no styles: nothing
        // An absurd size from the window system is held to 16 bits.
        {CS_HREDRAW | CS_VREDRAW, 2147483000, 2147483000, true, {0, 0, 32767, 32767}, 32767, 32767},
    };
    for (const Case &c : cases) {
        std::string className = "Resize" + std::to_string(c.classStyle);
        HWND hwnd = shownWindow(this, makeWindow(className.c_str(), c.classStyle, 200, 100));
        pushWindowEvent(hwnd, SDL_WINDOWEVENT_SIZE_CHANGED, c.width, c.height);
        MSG msg;
        bool painted = PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE);
        ASSERT_EQ(messageLog().size(), 1u) << className;
        EXPECT_EQ(messageLog()[0].message, static_cast<UINT>(WM_SIZE));
        int reportedWidth = c.reportedWidth ? c.reportedWidth : c.width;
        int reportedHeight = c.reportedHeight ? c.reportedHeight : c.height;
        EXPECT_EQ(messageLog()[0].lParam, MAKELPARAM(reportedWidth, reportedHeight)) << className << " " << c.width;
        bool expectPaint = c.paint.right > 0;
        EXPECT_EQ(painted, expectPaint) << className << " " << c.width;
        if (painted) {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EXPECT_EQ(ps.rcPaint.left, c.paint.left) << className << " " << c.width;
            EXPECT_EQ(ps.rcPaint.top, c.paint.top);
            EXPECT_EQ(ps.rcPaint.right, c.paint.right);
            EXPECT_EQ(ps.rcPaint.bottom, c.paint.bottom);
            EndPaint(hwnd, &ps);
        }
        // The same size again says nothing.
        clearMessageLog();
        pushWindowEvent(hwnd, SDL_WINDOWEVENT_SIZE_CHANGED, c.width, c.height);
        qvPumpEvents();
        EXPECT_TRUE(messageLog().empty());
        DestroyWindow(hwnd);
    }
}

TEST_F(WindowEvents, MinimisedWindowReportsZeroSizeAndIsNotPainted) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingRedraw", CS_HREDRAW | CS_VREDRAW, 200, 100));
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_MINIMIZED);
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_EXPOSED);
    drainQueue();
    // The window system's minimise reaches the window as Wine delivers it,
    // the focus gone with it first.
    const ExpectedMessage minimised[] = {
        {WM_KILLFOCUS, 0, 0, 0}, {WM_SYSCOMMAND, SC_MINIMIZE, 0, 0}, {WM_SIZE, SIZE_MINIMIZED, 0, 0}};
    EXPECT_TRUE(matchesSequence(minimised, messageLog()));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 0);
    EXPECT_EQ(client.bottom, 0);
    // Restored: the size comes back and the window is painted.
    clearMessageLog();
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED);
    drainQueue();
    const ExpectedMessage restored[] = {
        {WM_SYSCOMMAND, SC_RESTORE, 0, 0},
        {WM_SIZE, SIZE_RESTORED, 0, anyLParam},
        {WM_PAINT, 0, 0, 0},
        {WM_ERASEBKGND, 0, 0, anyWParam},
    };
    EXPECT_TRUE(matchesSequence(restored, messageLog()));
}

TEST_F(WindowEvents, MaximiseAndRestoreByTheWindowSystemComeAsSystemCommands) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_MAXIMIZED);
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_RESTORED);
    drainQueue();
    // As Wine delivers them (here the window system leaves the size as it is).
    const ExpectedMessage expected[] = {{WM_SYSCOMMAND, SC_MAXIMIZE, 0, 0},
                                        {WM_SIZE, SIZE_MAXIMIZED, 0, anyLParam},
                                        {WM_SYSCOMMAND, SC_RESTORE, 0, 0},
                                        {WM_SIZE, SIZE_RESTORED, 0, anyLParam}};
    std::vector<LoggedMessage> log;
    for (const LoggedMessage &m : messageLog())
        if (m.message == WM_SYSCOMMAND || m.message == WM_SIZE) log.push_back(m);
    EXPECT_TRUE(matchesSequence(expected, log));
}

// The client and outer sizes of a top-level window, as "w x h, w x h".
std::string sizesOf(HWND hwnd) {
    RECT client, outer;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    return std::to_string(client.right) + " x " + std::to_string(client.bottom) + ", " +
           std::to_string(outer.right - outer.left) + " x " + std::to_string(outer.bottom - outer.top);
}

TEST_F(WindowEvents, EachWindowKeepsItsOwnFrameThroughMinimiseAndRestore) {
    // openbox puts a grip along the bottom of a resizable window: its frame
    // is deeper than that of a window of fixed size.
    const QvFrame sizing = {20, 1, 5, 1};
    const QvFrame fixed = {20, 1, 1, 1};
    HWND main = shownWindow(this, makeWindow("RecordingA", 0, 300, 200, WS_OVERLAPPEDWINDOW));
    HWND panel = shownWindow(this, makeWindow("RecordingA", 0, 120, 90, WS_POPUP | WS_CAPTION));
    // Mapped, each window gives its frame a share of the outer size asked for.
    qvTakeFrame(qvWindowFromHandle(main), sizing);
    qvTakeFrame(qvWindowFromHandle(panel), fixed);
    EXPECT_EQ(sizesOf(main), "298 x 175, 300 x 200");
    EXPECT_EQ(sizesOf(panel), "118 x 69, 120 x 90");
    for (int cycle = 1; cycle <= 3; cycle++) {
        pushWindowEvent(main, SDL_WINDOWEVENT_MINIMIZED);
        pushWindowEvent(main, SDL_WINDOWEVENT_RESTORED);
        drainQueue();
        // Shown again, it is reported with the same frame.
        qvTakeFrame(qvWindowFromHandle(main), sizing);
        EXPECT_EQ(sizesOf(main), "298 x 175, 300 x 200") << "after minimise and restore " << cycle;
    }
    // A frame that changes later goes around the client area as it is.
    qvTakeFrame(qvWindowFromHandle(main), QvFrame{20, 0, 0, 0});
    EXPECT_EQ(sizesOf(main), "298 x 175, 298 x 195");
}

TEST_F(WindowEvents, ExposureAsksForPaint) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_EXPOSED);
    drainQueue();
    const ExpectedMessage exposed[] = {{WM_PAINT, 0, 0, 0}, {WM_ERASEBKGND, 0, 0, anyWParam}};
    EXPECT_TRUE(matchesSequence(exposed, messageLog()));
}

TEST_F(WindowEvents, CloseBoxPostsCloseAndTheDefaultDestroys) {
    HWND hwnd = shownWindow(this, makeWindow("RecordingA", 0, 200, 100));
    pushWindowEvent(hwnd, SDL_WINDOWEVENT_CLOSE);
    drainQueue();
    const ExpectedMessage closed[] = {
        {WM_CLOSE, 0, 0, 0}, {WM_KILLFOCUS, 0, 0, 0}, {WM_DESTROY, 0, 0, 0}, {WM_NCDESTROY, 0, 0, 0}};
    EXPECT_TRUE(matchesSequence(closed, messageLog()));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowEvents, InterruptAsksEveryTopLevelWindowToClose) {
    HWND a = makeWindow("RecordingA", 0, 100, 100);
    HWND b = makeWindow("RecordingA", 0, 100, 100);
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    drainQueue();
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(IsWindow(b));
}
