// Windows from creation to destruction: the messages each step sends, in
// order, compared with tables; and what is left behind.
#include "layer_test.h"

#include <cstring>
#include <set>
#include <tuple>

namespace {

const UINT markerAfterCreate = WM_USER + 100;
const UINT markerAfterUpdate = WM_USER + 101;

// CreateWindowExA of a hidden overlapped window: both creation messages
// arrive before the call returns; its size comes when it is first shown.
const ExpectedMessage createOverlapped[] = {
    {WM_NCCREATE, 0, 0, anyLParam},
    {WM_CREATE, 0, 0, anyLParam},
    {markerAfterCreate, 0, 0, 0},
};

// CreateWindowExA of a visible child 60 x 40: its size comes at once, then
// it is shown.
const ExpectedMessage createChild[] = {
    {WM_NCCREATE, 0, 0, anyLParam}, {WM_CREATE, 0, 0, anyLParam}, {WM_SIZE, SIZE_RESTORED, MAKELPARAM(60, 40), 0},
    {WM_SHOWWINDOW, TRUE, 0, 0},    {markerAfterCreate, 0, 0, 0},
};

// ShowWindow(SW_SHOWDEFAULT) then UpdateWindow of a 320 x 240 window (the
// offscreen driver has no frame): shown, given the focus as it is activated,
// sized, painted at once with the background erase inside BeginPaint.
const ExpectedMessage showAndUpdate[] = {
    {WM_SHOWWINDOW, TRUE, 0, 0}, {WM_SETFOCUS, 0, 0, 0},           {WM_SIZE, SIZE_RESTORED, MAKELPARAM(320, 240), 0},
    {WM_PAINT, 0, 0, 0},         {WM_ERASEBKGND, 0, 0, anyWParam}, {markerAfterUpdate, 0, 0, 0},
};

// WM_CLOSE through the queue to DefWindowProcA: the window is destroyed.
const ExpectedMessage closeByDefault[] = {
    {WM_CLOSE, 0, 0, 0},
    {WM_DESTROY, 0, 0, 0},
    {WM_NCDESTROY, 0, 0, 0},
};

// A WM_CREATE that answers -1 fails the creation and destroys the window.
const ExpectedMessage refusedCreation[] = {
    {WM_NCCREATE, 0, 0, anyLParam},
    {WM_CREATE, 0, 0, anyLParam},
    {WM_DESTROY, 0, 0, 0},
    {WM_NCDESTROY, 0, 0, 0},
};

CREATESTRUCTA seenCreate;
std::string seenTitle;

// Logs, keeps WM_CREATE's CREATESTRUCTA, and refuses creation when asked.
LRESULT CALLBACK creationSpyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    messageLog().push_back(LoggedMessage{hwnd, message, wParam, lParam});
    if (message == WM_CREATE) {
        seenCreate = *reinterpret_cast<CREATESTRUCTA *>(lParam);
        seenTitle = seenCreate.lpszName ? seenCreate.lpszName : "";
        if (seenCreate.lpCreateParams == reinterpret_cast<LPVOID>(-1)) return -1;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void registerSpyClass() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = creationSpyProc;
    wc.lpszClassName = "CreationSpy";
    ASSERT_NE(RegisterClassA(&wc), 0);
}

}  // namespace

using WindowLifecycle = LayerTest;

TEST_F(WindowLifecycle, CreateSendsCreationMessagesBeforeReturning) {
    HWND hwnd = makeWindow("RecordingA", 0, 320, 240);
    logMarker(markerAfterCreate);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(matchesSequence(createOverlapped, messageLog()));
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(WindowLifecycle, CreateStructCarriesTheArguments) {
    registerSpyClass();
    int param = 0;
    HWND hwnd = CreateWindowExA(0, "creationspy", "Title here", WS_OVERLAPPEDWINDOW, 5, 6, 200, 100, nullptr, nullptr,
                                GetModuleHandleA(nullptr), &param);
    ASSERT_NE(hwnd, nullptr) << "class names are matched without regard to case";
    EXPECT_EQ(seenCreate.lpCreateParams, &param);
    EXPECT_EQ(seenTitle, "Title here");
    EXPECT_EQ(seenCreate.x, 5);
    EXPECT_EQ(seenCreate.y, 6);
    EXPECT_EQ(seenCreate.cx, 200);
    EXPECT_EQ(seenCreate.cy, 100);
    EXPECT_EQ(static_cast<DWORD>(seenCreate.style), static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    char text[64];
    EXPECT_EQ(GetWindowTextA(hwnd, text, sizeof text), 10);
    EXPECT_STREQ(text, "Title here");
}

TEST_F(WindowLifecycle, ChildGetsItsSizeAtCreation) {
    HWND parent = makeWindow("RecordingA", 0, 320, 240);
    clearMessageLog();
    HWND child = makeChild(parent, 42, 10, 20, 60, 40);
    logMarker(markerAfterCreate);
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(matchesSequence(createChild, messageLog()));
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(GetWindowLongA(child, GWL_ID), 42);
}

TEST_F(WindowLifecycle, RefusedCreationGivesNoWindow) {
    registerSpyClass();
    HWND hwnd = CreateWindowExA(0, "CreationSpy", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                reinterpret_cast<LPVOID>(-1));
    EXPECT_EQ(hwnd, nullptr);
    EXPECT_TRUE(matchesSequence(refusedCreation, messageLog()));
    EXPECT_TRUE(qv.topLevels.empty());
}

TEST_F(WindowLifecycle, CreationFailsForUnknownClassOrParent) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    registerRecordingClass("RecordingA", 0);
    HWND stale = makeWindow("RecordingA", 0, 50, 50);
    DestroyWindow(stale);
    EXPECT_EQ(CreateWindowExA(0, "RecordingA", "", WS_CHILD, 0, 0, 10, 10, stale, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(CreateWindowExA(0, "RecordingA", "", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
              nullptr);
}

TEST_F(WindowLifecycle, RegisteringTwiceFails) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = recordingWndProc;
    wc.lpszClassName = "Twice";
    EXPECT_NE(RegisterClassA(&wc), 0);
    wc.lpszClassName = "TWICE";
    EXPECT_EQ(RegisterClassA(&wc), 0);
    wc.lpfnWndProc = nullptr;
    wc.lpszClassName = "NoProcedure";
    EXPECT_EQ(RegisterClassA(&wc), 0);
}

TEST_F(WindowLifecycle, ShowThenUpdatePaintsAtOnce) {
    HWND hwnd = makeWindow("RecordingA", CS_HREDRAW | CS_VREDRAW, 320, 240);
    clearMessageLog();
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);
    logMarker(markerAfterUpdate);
    EXPECT_TRUE(matchesSequence(showAndUpdate, messageLog(), hwnd));
    RECT client;
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 320);
    EXPECT_EQ(client.bottom, 240);
    // Painted: a second update and the queue have nothing more to say.
    clearMessageLog();
    UpdateWindow(hwnd);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
    EXPECT_TRUE(messageLog().empty());
}

TEST_F(WindowLifecycle, DefWindowProcDestroysOnClose) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    clearMessageLog();
    PostMessageA(hwnd, WM_CLOSE, 0, 0);
    drainQueue();
    EXPECT_TRUE(matchesSequence(closeByDefault, messageLog()));
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(WindowLifecycle, DestroyGoesOwnedFirstThenParentBeforeChildren) {
    HWND parent = makeWindow("RecordingA", 0, 200, 200);
    HWND child = makeChild(parent, 1, 0, 0, 20, 20);
    HWND grandchild = makeChild(child, 2, 0, 0, 10, 10);
    HWND owned = CreateWindowExA(0, "RecordingA", "owned", WS_POPUP | WS_CAPTION, 0, 0, 50, 50, parent, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(GetParent(owned), parent);
    clearMessageLog();
    EXPECT_TRUE(DestroyWindow(parent));

    struct Step {
        HWND hwnd;
        UINT message;
    };
    const Step expected[] = {
        {owned, WM_DESTROY},      {owned, WM_NCDESTROY},      {parent, WM_DESTROY},  {child, WM_DESTROY},
        {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY},
    };
    const auto &log = messageLog();
    ASSERT_EQ(log.size(), std::size(expected));
    for (size_t i = 0; i < log.size(); i++) {
        EXPECT_EQ(log[i].hwnd, expected[i].hwnd) << i;
        EXPECT_EQ(log[i].message, expected[i].message) << i << ": got " << messageName(log[i].message);
    }
    for (HWND gone : {parent, child, grandchild, owned}) EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(DestroyWindow(parent)) << "a destroyed window cannot be destroyed again";
}

TEST_F(WindowLifecycle, OwnedWindowsHideWithTheirMinimisedOwnerAndComeBack) {
    HWND owner = makeWindow("RecordingA", 0, 200, 200);
    ShowWindow(owner, SW_SHOW);
    HWND owned = CreateWindowExA(0, "RecordingA", "owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 50, 50, owner,
                                 nullptr, nullptr, nullptr);
    // One the program keeps hidden stays so.
    HWND hidden = CreateWindowExA(0, "RecordingA", "hidden", WS_POPUP | WS_CAPTION, 0, 0, 50, 50, owner, nullptr,
                                  nullptr, nullptr);
    drainQueue();
    struct Step {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    // As Wine's user32 does it when the window manager minimises and restores the owner.
    const Step minimised[] = {{owner, WM_SYSCOMMAND, SC_MINIMIZE, 0},
                              {owned, WM_SHOWWINDOW, FALSE, SW_PARENTCLOSING},
                              {owned, WM_SHOWWINDOW, FALSE, 0},
                              {owner, WM_SIZE, SIZE_MINIMIZED, 0}};
    const Step restored[] = {{owner, WM_SYSCOMMAND, SC_RESTORE, 0},
                             {owned, WM_SHOWWINDOW, TRUE, SW_PARENTOPENING},
                             {owned, WM_SHOWWINDOW, TRUE, 0},
                             {owner, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 200)}};
    for (auto [event, steps, visible] : {std::tuple{SDL_WINDOWEVENT_MINIMIZED, minimised, false},
                                         std::tuple{SDL_WINDOWEVENT_RESTORED, restored, true}}) {
        clearMessageLog();
        pushWindowEvent(owner, event);
        drainQueue();
        std::vector<LoggedMessage> log;
        for (const LoggedMessage &m : messageLog())
            if (m.message == WM_SYSCOMMAND || m.message == WM_SHOWWINDOW || m.message == WM_SIZE) log.push_back(m);
        ASSERT_EQ(log.size(), 4u) << "after event " << int(event);
        for (size_t i = 0; i < log.size(); i++) {
            EXPECT_EQ(log[i].hwnd, steps[i].hwnd) << i;
            EXPECT_EQ(log[i].message, steps[i].message) << i << ": got " << messageName(log[i].message);
            EXPECT_EQ(log[i].wParam, steps[i].wParam) << i;
            EXPECT_EQ(log[i].lParam, steps[i].lParam) << i;
        }
        EXPECT_EQ(IsWindowVisible(owned) != FALSE, visible);
        EXPECT_FALSE(IsWindowVisible(hidden));
    }
}

TEST_F(WindowLifecycle, AThousandWindowsLeaveNothingBehindAndNoHandleReturns) {
    size_t windowsBefore = qv.windows.size();
    size_t dcsBefore = qv.dcs.size();
    std::set<HWND> seen;
    for (int i = 0; i < 1000; i++) {
        HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
        makeChild(hwnd, i, 0, 0, 8, 8);
        SetTimer(hwnd, 1, 80, nullptr);
        PostMessageA(hwnd, WM_USER, 0, 0);
        GetDC(hwnd);
        ASSERT_TRUE(seen.insert(hwnd).second) << "handle reused at " << i;
        DestroyWindow(hwnd);
        ASSERT_FALSE(IsWindow(hwnd));
    }
    EXPECT_EQ(qv.windows.size(), windowsBefore);
    EXPECT_EQ(qv.dcs.size(), dcsBefore);
    EXPECT_TRUE(qv.timers.empty());
    EXPECT_TRUE(qv.posted.empty());
}

TEST_F(WindowLifecycle, WindowLongsAndTextRoundTrip) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN);
    struct Case {
        int index;
        LONG_PTR expected;
    };
    const Case cases[] = {
        {GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN)},
        {GWL_EXSTYLE, 0},
        {GWLP_USERDATA, 0},
        {GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordingWndProc)},
    };
    for (const Case &c : cases) EXPECT_EQ(GetWindowLongPtrA(hwnd, c.index), c.expected) << "index " << c.index;
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(SetWindowLongPtrA(hwnd, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_USERDATA), 1234);
    EXPECT_TRUE(SetWindowTextA(hwnd, "renamed"));
    char small[4];
    EXPECT_EQ(GetWindowTextA(hwnd, small, sizeof small), 3) << "the text is cut to the buffer";
    EXPECT_STREQ(small, "ren");
    EXPECT_EQ(GetWindowLongA(nullptr, GWL_STYLE), 0);
}

TEST_F(WindowLifecycle, OwnDcIsKeptAndCommonDcsGoOnRelease) {
    HWND own = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HWND common = makeWindow("RecordingA", 0, 64, 64);
    HDC first = GetDC(own);
    EXPECT_EQ(GetDC(own), first);
    EXPECT_EQ(ReleaseDC(own, first), 1);
    EXPECT_EQ(WindowFromDC(first), own) << "a private DC outlives ReleaseDC";
    HDC shared = GetDC(common);
    EXPECT_EQ(WindowFromDC(shared), common);
    EXPECT_EQ(ReleaseDC(common, shared), 1);
    EXPECT_EQ(WindowFromDC(shared), nullptr);
    EXPECT_EQ(ReleaseDC(common, shared), 0);
    DestroyWindow(own);
    EXPECT_EQ(WindowFromDC(first), nullptr) << "the private DC goes with its window";
}

TEST_F(WindowLifecycle, FailedBeginPaintLeavesNothingForEndPaintToRelease) {
    HWND common = makeWindow("RecordingA", 0, 64, 64);
    HWND dead = makeWindow("RecordingA", 0, 64, 64);
    DestroyWindow(dead);
    HDC shared = GetDC(common);
    struct Case {
        const char *what;
        HWND hwnd;
    };
    const Case cases[] = {{"a destroyed window", dead}, {"no window", nullptr}};
    for (const Case &c : cases) {
        // What the stack held before: a live DC that EndPaint must not take.
        PAINTSTRUCT ps;
        std::memset(&ps, 0xAB, sizeof ps);
        ps.hdc = shared;
        EXPECT_EQ(BeginPaint(c.hwnd, &ps), nullptr) << c.what;
        EXPECT_EQ(ps.hdc, nullptr) << c.what;
        EXPECT_EQ(ps.rcPaint.right, 0) << c.what;
        EndPaint(c.hwnd, &ps);
        EXPECT_EQ(WindowFromDC(shared), common) << c.what << ": the DC outlives the failed paint";
    }
    ReleaseDC(common, shared);
}

TEST_F(WindowLifecycle, ScreenMetricsComeFromTheDisplay) {
    SDL_DisplayMode mode;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), mode.w);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), mode.h);
    EXPECT_EQ(GetSystemMetrics(12345), 0);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

// Positions and sizes past what Windows keeps (16 signed bits) are held
// there where the rectangle is made: no edge overflows, none lies left of
// its window's origin.
TEST_F(WindowLifecycle, ExtremePlacementsAreHeldTo16Bits) {
    struct Case {
        const char *what;
        bool child, moved;
        int x, y, width, height;
        RECT expected;  // GetWindowRect; a child's parent stands at (0, 0)
    };
    const int most = 0x7FFFFFFF, least = -most - 1;
    const Case cases[] = {
        {"created far out", false, false, most - 10, least + 10, most, most, {32767, -32768, 65534, -1}},
        {"moved far out", false, true, least, most, least, most, {-32768, 32767, -32768, 65534}},
        {"a child created far out", true, false, most, most, most - 1, 5, {32767, 32767, 65534, 32772}},
        {"a child moved far out", true, true, least, 3, most, least, {-32768, 3, -1, 3}},
    };
    HWND parent = makeWindow("RecordingA", 0, 100, 100, WS_POPUP);
    for (const Case &c : cases) {
        HWND hwnd = c.child ? makeChild(parent, 1, 0, 0, 10, 10) : makeWindow("RecordingA", 0, 10, 10, WS_POPUP);
        if (c.moved)
            MoveWindow(hwnd, c.x, c.y, c.width, c.height, TRUE);
        else if (c.child)
            hwnd = makeChild(parent, 2, c.x, c.y, c.width, c.height);
        else
            hwnd = makeWindow("RecordingA", 0, c.width, c.height, WS_POPUP, c.x, c.y);
        RECT r = {};
        ASSERT_TRUE(GetWindowRect(hwnd, &r)) << c.what;
        EXPECT_EQ(r.left, c.expected.left) << c.what;
        EXPECT_EQ(r.top, c.expected.top) << c.what;
        EXPECT_EQ(r.right, c.expected.right) << c.what;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.what;
    }
}
