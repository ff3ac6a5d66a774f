// The idle-driven main loop, run for real: messages through the layer, frames
// drawn by the renderer into the main window's context and counted at
// SwapBuffers. A small probe window asks for frames, records what it sees and
// ends the loop; its timer only wakes the loop up and is never measured. Time
// passes only while the loop waits or draws (useWaitingClock), so every run
// ticks at the same points.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/redraw.h"
#include "main_window_fixture.h"
#include "render/scene_state.h"
#include "support/layer_spy.h"

namespace {

const char probeClassName[] = "LoopProbe";
const UINT askForFrame = WM_USER;       // the probe calls requestRedraw
const UINT recordFrames = WM_USER + 1;  // the probe notes the frames so far; lParam more follow
const UINT_PTR probeTimerId = 1;
const UINT probeWakeUpMs = 10;
// A loop that never goes idle would keep a test waiting for ever: the probe
// gives up after this many ticks, and the test then fails on what it saw.
const int probeGivesUpAfter = 300;

enum ProbeMode {
    QuitWhenIdle,    // on a tick: end the loop once no frame is pending
    QuitAfterTicks,  // on a tick: note the frames, post a note, end after a few ticks
};

struct Probe {
    ProbeMode mode = QuitWhenIdle;
    int ticks = 0;
    int ticksBeforeQuit = 3;
    std::vector<int> framesAtNote;  // frames drawn when each note was handled
    std::vector<int> framesAtTick;
    std::vector<size_t> noteOfTick;  // index in framesAtNote of each tick's follow-up
};

Probe probe;

void onProbeTick(HWND window) {
    probe.ticks++;
    if (probe.mode == QuitWhenIdle) {
        bool framePending = scene.idleFunc != nullptr;
        if (framePending && probe.ticks < probeGivesUpAfter) return;
        KillTimer(window, probeTimerId);
        PostQuitMessage(0);
        return;
    }
    probe.framesAtTick.push_back(layerSpy.swapBuffersCalls);
    probe.noteOfTick.push_back(probe.framesAtNote.size());
    PostMessageA(window, recordFrames, 0, 0);
    if (probe.ticks < probe.ticksBeforeQuit) return;
    KillTimer(window, probeTimerId);
    PostQuitMessage(0);
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case askForFrame:
        requestRedraw();
        return 0;
    case recordFrames:
        probe.framesAtNote.push_back(layerSpy.swapBuffersCalls);
        if (lParam > 0) PostMessageA(window, recordFrames, 0, lParam - 1);
        return 0;
    case WM_TIMER:
        onProbeTick(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

ATOM registerProbeClass(HINSTANCE instance) {
    WNDCLASSA probeClass = {};
    probeClass.lpfnWndProc = probeProc;
    probeClass.hInstance = instance;
    probeClass.lpszClassName = probeClassName;
    return RegisterClassA(&probeClass);
}

class LoopTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (HasFatalFailure()) return;
        static ATOM probeClass = registerProbeClass(instance);
        ASSERT_NE(probeClass, 0);
        probeWindow = CreateWindowExA(0, probeClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                      instance, nullptr);
        ASSERT_NE(probeWindow, nullptr);
        // Only what a test does asks for frames.
        stopAnimationClock();
        settleQueue();
        probe = Probe{};
        useWaitingClock();
    }
    void TearDown() override {
        useRealClock();
        if (probeWindow != nullptr && IsWindow(probeWindow)) DestroyWindow(probeWindow);
        MainWindowTest::TearDown();
    }

    int runUntilProbeQuits(ProbeMode mode) {
        probe.mode = mode;
        SetTimer(probeWindow, probeTimerId, probeWakeUpMs, nullptr);
        return runMessageLoop();
    }

    HWND probeWindow = nullptr;
};

struct BatchCase {
    const char *name;
    int probeRequests;  // requestRedraw calls
    int clockTicks;     // WM_TIMER messages posted to the main window
    int frames;
};

const BatchCase batchCases[] = {
    {"no request", 0, 0, 0},           {"one request", 1, 0, 1},      {"three requests", 3, 0, 1},
    {"a hundred requests", 100, 0, 1}, {"five clock ticks", 0, 5, 1}, {"requests and ticks together", 4, 4, 1},
};

TEST_F(LoopTest, RequestsBeforeTheQueueEmptiesGiveOneFrame) {
    for (const BatchCase &c : batchCases) {
        SCOPED_TRACE(c.name);
        settleQueue();
        probe = Probe{};
        scene.keepSpinning = 0;
        scene.wavePhase = 0.0;
        for (int i = 0; i < c.probeRequests; i++) PostMessageA(probeWindow, askForFrame, 0, 0);
        for (int i = 0; i < c.clockTicks; i++) PostMessageA(window, WM_TIMER, animationTimerId, 0);

        EXPECT_EQ(runUntilProbeQuits(QuitWhenIdle), 0);

        EXPECT_EQ(layerSpy.swapBuffersCalls, c.frames);
        double phase = 0.0;
        for (int i = 0; i < c.clockTicks; i++) phase += wavePhaseStep;
        EXPECT_EQ(scene.wavePhase, phase) << "every tick was handled";
    }
}

TEST_F(LoopTest, PendingMessagesComeBeforeTheNextFrame) {
    scene.keepSpinning = 1;
    scene.idleFunc = idleRedraw;                    // spinning from the start
    PostMessageA(probeWindow, recordFrames, 0, 2);  // three notes, each posting the next

    runUntilProbeQuits(QuitAfterTicks);

    ASSERT_GE(probe.framesAtNote.size(), 3u);
    for (size_t i = 0; i < 3; i++) EXPECT_EQ(probe.framesAtNote[i], 0) << "note " << i << " waited for a frame";
    ASSERT_EQ(probe.framesAtTick.size(), 3u);
    for (size_t tick = 0; tick < probe.framesAtTick.size(); tick++) {
        size_t note = probe.noteOfTick[tick];
        if (note >= probe.framesAtNote.size()) continue;  // the last note comes after the quit
        EXPECT_EQ(probe.framesAtNote[note], probe.framesAtTick[tick])
            << "a frame was drawn between tick " << tick << " and the message it posted";
    }
    EXPECT_GT(layerSpy.swapBuffersCalls, 0) << "spinning draws frames whenever the queue is empty";
    EXPECT_EQ(scene.idleFunc, idleRedraw) << "spinning keeps the idle redraw installed";
}

TEST_F(LoopTest, FramesStopAfterOneWhenSpinningIsSwitchedOff) {
    scene.keepSpinning = 0;
    PostMessageA(probeWindow, askForFrame, 0, 0);
    runUntilProbeQuits(QuitWhenIdle);
    EXPECT_EQ(layerSpy.swapBuffersCalls, 1);
    EXPECT_EQ(scene.idleFunc, nullptr);
}

struct EndCase {
    const char *name;
    int quitCode;          // -1: no quit message
    WPARAM messageWParam;  // wParam of a message handled first, if posted
    bool postMessageFirst;
    int getMessageCallsBeforeFailure;  // -1: GetMessageA never fails
    int result;
};

const int ignoredFailureCode = 9;

const EndCase endCases[] = {
    {"quit with 0", 0, 0, false, -1, 0},
    {"quit with 5", 5, 0, false, -1, 5},
    {"failure after a message", -1, 7, true, 1, 7},
    {"failure with nothing handled", -1, 0, false, 0, 0},
};

TEST_F(LoopTest, TheLoopEndsOnQuitAndOnFailure) {
    for (const EndCase &c : endCases) {
        SCOPED_TRACE(c.name);
        settleQueue();
        probe = Probe{};
        if (c.postMessageFirst) PostMessageA(probeWindow, recordFrames, c.messageWParam, 0);
        // A loop that went on after a failure would find this quit instead.
        PostQuitMessage(c.quitCode >= 0 ? c.quitCode : ignoredFailureCode);
        layerSpy.getMessageCallsBeforeFailure = c.getMessageCallsBeforeFailure;

        EXPECT_EQ(runMessageLoop(), c.result);

        EXPECT_EQ(probe.framesAtNote.size(), c.postMessageFirst ? 1u : 0u);
    }
}

TEST_F(LoopTest, IdleRedrawWithoutAContextDropsTheRequest) {
    HGLRC context = scene.hGLRC;
    scene.hGLRC = nullptr;
    scene.keepSpinning = 1;
    requestRedraw();
    idleRedraw();
    EXPECT_EQ(scene.idleFunc, nullptr) << "the loop would turn round without drawing or sleeping";
    EXPECT_EQ(layerSpy.swapBuffersCalls, 0);
    scene.hGLRC = context;
}

// ---- The whole start-up -----------------------------------------------------------

// Closes the program's main window once it has drawn its first frame.
LRESULT CALLBACK closerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) return DefWindowProcA(window, message, wParam, lParam);
    static int ticks = 0;
    if (layerSpy.swapBuffersCalls > 0 || ++ticks >= probeGivesUpAfter) {
        KillTimer(window, probeTimerId);
        PostMessageA(WindowFromDC(scene.hDC), WM_CLOSE, 0, 0);
    }
    return 0;
}

TEST(WinMainTest, RunsUntilTheMainWindowIsClosedAndReturns0) {
    scene = SceneState{};
    resetLayerSpy();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA closerClass = {};
    closerClass.lpfnWndProc = closerProc;
    closerClass.hInstance = instance;
    closerClass.lpszClassName = "Closer";
    RegisterClassA(&closerClass);
    HWND closer =
        CreateWindowExA(0, "Closer", "", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(closer, nullptr);
    useWaitingClock();
    SetTimer(closer, probeTimerId, probeWakeUpMs, nullptr);
    static char commandLine[] = "";

    EXPECT_EQ(WinMain(instance, nullptr, commandLine, SW_SHOWDEFAULT), 0);
    useRealClock();

    EXPECT_GT(layerSpy.swapBuffersCalls, 0) << "the first frame comes without any input";
    EXPECT_EQ(scene.idleFunc, nullptr);
    DestroyWindow(closer);
    dispatchPendingMessages();
    scene = SceneState{};
}

TEST(WinMainTest, WithoutAMainWindowItGivesUpAtOnce) {
    scene = SceneState{};
    resetLayerSpy();
    layerSpy.createWindowFails = true;
    // A WinMain that went on into the loop would end here instead of waiting
    // for ever.
    const int loopEnded = 9;
    PostQuitMessage(loopEnded);
    static char commandLine[] = "";

    EXPECT_EQ(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT), 1);

    resetLayerSpy();
    dispatchPendingMessages();
    scene = SceneState{};
}

}  // namespace
