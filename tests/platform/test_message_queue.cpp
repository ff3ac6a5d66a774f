// The queue: what PeekMessageA and GetMessageA give, in which order, and
// what stays behind; timers on a clock the test moves.
#include "layer_test.h"

using MessageQueue = LayerTest;

TEST_F(MessageQueue, PeekWithoutRemovingLeavesTheMessage) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    PostMessageA(hwnd, WM_USER + 1, 11, 12);
    PostMessageA(hwnd, WM_USER + 2, 21, 22);
    struct Step {
        UINT flags;
        UINT expected;  // 0: nothing there
    };
    const Step steps[] = {
        {PM_NOREMOVE, WM_USER + 1}, {PM_NOREMOVE, WM_USER + 1}, {PM_REMOVE, WM_USER + 1},
        {PM_NOREMOVE, WM_USER + 2}, {PM_REMOVE, WM_USER + 2},   {PM_NOREMOVE, 0},
    };
    for (size_t i = 0; i < std::size(steps); i++) {
        MSG msg = {};
        BOOL got = PeekMessageA(&msg, nullptr, 0, 0, steps[i].flags);
        EXPECT_EQ(got != FALSE, steps[i].expected != 0) << "step " << i;
        if (got && steps[i].expected) {
            EXPECT_EQ(msg.message, steps[i].expected) << "step " << i;
            EXPECT_EQ(msg.hwnd, hwnd) << "step " << i;
        }
    }
}

TEST_F(MessageQueue, PaintAndTimerComeOnlyWhenNothingElseIsPending) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);  // needs painting from here
    SetTimer(hwnd, 7, 80, nullptr);
    now += 80;
    PostMessageA(hwnd, WM_USER, 0, 0);
    PostQuitMessage(3);
    const UINT expectedOrder[] = {WM_USER, WM_QUIT, WM_PAINT, WM_TIMER};
    std::vector<MSG> taken = drainQueue();
    // drainQueue stops at WM_QUIT: take the rest after it.
    std::vector<MSG> rest = drainQueue();
    taken.insert(taken.end(), rest.begin(), rest.end());
    ASSERT_EQ(taken.size(), std::size(expectedOrder));
    for (size_t i = 0; i < taken.size(); i++)
        EXPECT_EQ(taken[i].message, expectedOrder[i]) << i << ": got " << messageName(taken[i].message);
    EXPECT_EQ(taken[1].wParam, 3u) << "the quit code";
    EXPECT_EQ(taken[3].wParam, 7u) << "the timer id";
}

TEST_F(MessageQueue, PaintStaysUntilValidated) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    ShowWindow(hwnd, SW_SHOW);
    MSG msg;
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << i;
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT)) << "removing WM_PAINT does not validate";
    }
    DispatchMessageA(&msg);  // DefWindowProcA paints, which validates
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    // Hidden and minimised windows are not painted.
    InvalidateRect(hwnd, nullptr, TRUE);
    ShowWindow(hwnd, SW_HIDE);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, TimerTicksOncePerPeriodAsTheClockMoves) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    ASSERT_EQ(SetTimer(hwnd, 1, 80, nullptr), 1u);
    struct Step {
        Uint64 advance;
        int ticks;  // WM_TIMERs found after the advance
    };
    const Step steps[] = {
        {79, 0},            // not yet due
        {1, 1},             // due at 80
        {40, 0},            // the next is a whole period after the last one taken
        {40, 1}, {400, 1},  // however late, one WM_TIMER
        {0, 0},
    };
    for (size_t i = 0; i < std::size(steps); i++) {
        now += steps[i].advance;
        int ticks = 0;
        for (const MSG &msg : drainQueue())
            if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == 1) ticks++;
        EXPECT_EQ(ticks, steps[i].ticks) << "step " << i;
    }
    EXPECT_TRUE(KillTimer(hwnd, 1));
    EXPECT_FALSE(KillTimer(hwnd, 1));
    now += 1000;
    EXPECT_TRUE(drainQueue().empty());
}

TEST_F(MessageQueue, TimerPeekedWithoutRemovingStaysDue) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    SetTimer(hwnd, 2, 50, nullptr);
    now += 50;
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, TimersWithoutWindowAndWithProcedure) {
    static int calls = 0;
    static UINT_PTR calledWith = 0;
    struct Local {
        static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
            calls++;
            calledWith = id;
        }
    };
    calls = 0;
    UINT_PTR first = SetTimer(nullptr, 0, 30, Local::onTimer);
    UINT_PTR second = SetTimer(nullptr, 0, 30, nullptr);
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second) << "thread timers get ids of their own";
    now += 30;
    drainQueue();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(calledWith, first);
    EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x7777), 1, 10, nullptr), 0u) << "no timer for a non-window";
}

TEST_F(MessageQueue, QuitEndsGetMessage) {
    PostQuitMessage(5);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
    EXPECT_EQ(msg.wParam, 5u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "taken once";
}

TEST_F(MessageQueue, GetMessageFailsOnBadArguments) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    DestroyWindow(hwnd);
    MSG msg;
    EXPECT_EQ(GetMessageA(&msg, hwnd, 0, 0), -1) << "a destroyed window as filter";
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, GetMessageSleepsUntilATimerItMayTake) {
    HWND a = makeWindow("RecordingA", 0, 100, 100);
    HWND b = makeWindow("RecordingA", 0, 100, 100);
    // The real clock this time, read through a counter: GetMessageA must sleep
    // until the timer, and a loop that spins instead reads the clock thousands
    // of times while it waits.
    static int clockReads;
    struct Local {
        static Uint64 countingClock() {
            clockReads++;
            return SDL_GetTicks64();
        }
    };
    const int mostReadsWhenSleeping = 100;
    struct Case {
        const char *what;
        HWND filter;
        HWND expectedWindow;
        UINT_PTR expectedId;
    };
    const Case cases[] = {
        {"no filter: the first timer due", nullptr, b, 8},
        {"a filter that leaves out a timer falling due meanwhile", a, a, 9},
    };
    for (const Case &c : cases) {
        qv.clockMs = Local::countingClock;
        SetTimer(b, 8, 10, nullptr);
        SetTimer(a, 9, 40, nullptr);
        clockReads = 0;
        MSG msg;
        ASSERT_EQ(GetMessageA(&msg, c.filter, 0, 0), 1) << c.what;
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER)) << c.what;
        EXPECT_EQ(msg.hwnd, c.expectedWindow) << c.what;
        EXPECT_EQ(msg.wParam, c.expectedId) << c.what;
        EXPECT_LT(clockReads, mostReadsWhenSleeping) << c.what;
        KillTimer(a, 9);
        KillTimer(b, 8);
    }
}

TEST_F(MessageQueue, AWindowTimerIsNamedByTheIdGiven) {
    // As on Windows: SetTimer on a window returns nonzero for any id, 0
    // included, and the id given (not the value returned) names the timer.
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    const UINT_PTR ids[] = {0, 1, 42};
    for (UINT_PTR id : ids) {
        EXPECT_NE(SetTimer(hwnd, id, 10, nullptr), 0u) << "id " << id;
        now += 10;
        int ticks = 0;
        for (const MSG &msg : drainQueue())
            if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == id) ticks++;
        EXPECT_EQ(ticks, 1) << "id " << id;
        EXPECT_TRUE(KillTimer(hwnd, id)) << "id " << id;
    }
}

TEST_F(MessageQueue, FiltersByWindowAndRange) {
    HWND a = makeWindow("RecordingA", 0, 100, 100);
    HWND b = makeWindow("RecordingA", 0, 100, 100);
    HWND childOfA = makeChild(a, 1, 0, 0, 10, 10);
    PostMessageA(b, WM_USER + 1, 0, 0);
    PostMessageA(childOfA, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    PostMessageA(a, WM_USER + 4, 0, 0);
    struct Case {
        HWND filter;
        UINT first, last;
        UINT expected;  // first message found, 0 for none
    };
    const Case cases[] = {
        {nullptr, 0, 0, WM_USER + 1},
        {a, 0, 0, WM_USER + 2},  // a window's filter takes its children's messages
        {childOfA, 0, 0, WM_USER + 2},
        {reinterpret_cast<HWND>(-1), 0, 0, WM_USER + 3},  // only thread messages
        {nullptr, WM_USER + 3, WM_USER + 9, WM_USER + 3},
        {b, WM_USER + 2, WM_USER + 9, 0},
    };
    for (const Case &c : cases) {
        MSG msg = {};
        BOOL got = PeekMessageA(&msg, c.filter, c.first, c.last, PM_NOREMOVE);
        EXPECT_EQ(got ? msg.message : 0u, c.expected) << "filter " << c.filter << " " << c.first << ".." << c.last;
    }
}

TEST_F(MessageQueue, SendAndPostToNoWindow) {
    HWND hwnd = makeWindow("RecordingA", 0, 100, 100);
    DestroyWindow(hwnd);
    EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(hwnd, WM_USER, 0, 0));
    EXPECT_TRUE(PostMessageA(nullptr, WM_USER, 0, 0)) << "a thread message";
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = WM_USER;
    EXPECT_EQ(DispatchMessageA(&msg), 0);
    EXPECT_FALSE(TranslateMessage(&msg));
}
