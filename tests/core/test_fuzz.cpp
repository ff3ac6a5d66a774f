// Messages a hostile user or a confused window system could bring, to the
// main window, the panel and both dialogs, with a frame drawn after each
// batch: afterwards no NaN or infinity may be left in the scene or in the GL
// matrices. First every command id, scroll code and extreme size and point in
// turn, then seeded random batches. On a failure the test names the seed and
// the shortest batch it could cut the failing one down to.
// QUELVARO_FUZZ_SEED=N replays one seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/winmain.h"
#include "main_window_fixture.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/message_log.h"
#include "support/window_helpers.h"
#include "ui/dialogs.h"

namespace {

enum Target { MainWindow, Panel, Options, Colours, targetCount };
const char *const targetNames[] = {"main", "panel", "options", "colours"};

struct FuzzMessage {
    Target target;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int scrollBar;  // a scroll bar's id: lParam becomes its handle
};
typedef std::vector<FuzzMessage> Batch;

const int highestCommandId = 1100;
const int firstScrollBar = 1039, lastScrollBar = 1045;
const int panelOptionsId = 1032, panelColoursId = 1038;
const UINT mouseMessages[] = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
const UINT otherMessages[] = {WM_TIMER, WM_PAINT, WM_QUERYNEWPALETTE, WM_PALETTECHANGED, WM_CAPTURECHANGED};
// Edges of what the 16-bit halves of lParam can say, and of a client area.
const int extremes[] = {0, 1, -1, 2, 399, 400, 32767, -32768, 65535, 12345};
const int randomBatches = 60, randomBatchSize = 40;
const unsigned defaultSeed = 20261208;

// Every scene value a frame or a message computes.
std::string firstNonFinite() {
    struct Values {
        const char *name;
        const float *values;
        int count;
    };
    float modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    float phase = (float)scene.wavePhase;
    const Values all[] = {
        {"rotationMatrix", scene.rotationMatrix, 16},
        {"savedRotationMatrix", scene.savedRotationMatrix, 16},
        {"spinAngle", &scene.spinAngle, 1},
        {"spinAxis", scene.spinAxis, 3},
        {"lastTrackballVec", scene.lastTrackballVec, 3},
        {"mobileLight", scene.mobileLight, 3},
        {"cameraDistance", &scene.cameraDistance, 1},
        {"frontColor", scene.frontColor, 3},
        {"backColor", scene.backColor, 3},
        {"surfaceAlpha", &scene.surfaceAlpha, 1},
        {"wavePhase", &phase, 1},
        {"GL modelview", modelview, 16},
        {"GL projection", projection, 16},
    };
    for (const Values &v : all)
        for (int i = 0; i < v.count; i++)
            if (!std::isfinite(v.values[i])) return std::string(v.name) + "[" + std::to_string(i) + "]";
    return "";
}

std::string describe(const FuzzMessage &m) {
    char line[160];
    std::snprintf(line, sizeof line, "%s %s wParam 0x%lx lParam 0x%lx%s", targetNames[m.target],
                  messageName(m.message).c_str(), (unsigned long)m.wParam, (unsigned long)m.lParam,
                  m.scrollBar ? " (a scroll bar)" : "");
    return line;
}

// Every command id to each dialog, every scroll code to every scroll bar,
// and the main window at extreme sizes and points.
std::vector<Batch> knownBatches() {
    std::vector<Batch> batches;
    for (int t = Panel; t <= Colours; t++)
        for (int first = 0; first <= highestCommandId; first += 100) {
            Batch batch;
            for (int id = first; id < first + 100 && id <= highestCommandId; id++)
                batch.push_back({(Target)t, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, 0});
            batches.push_back(batch);
        }
    Batch scrolls;
    for (int bar = firstScrollBar; bar <= lastScrollBar; bar++)
        for (int code = SB_LINEUP; code <= SB_ENDSCROLL; code++)
            for (int pos : extremes) scrolls.push_back({Colours, WM_VSCROLL, MAKEWPARAM(code, pos), 0, bar});
    batches.push_back(scrolls);
    for (int w : extremes)
        for (int h : {0, 1, 65535}) {
            Batch batch = {{MainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(w, h), 0}};
            for (UINT m : mouseMessages)
                for (int p : extremes) batch.push_back({MainWindow, m, 0, MAKELPARAM(p, -p), 0});
            batches.push_back(batch);
        }
    return batches;
}

FuzzMessage randomMessage(std::mt19937 &random) {
    auto pick = [&random](int n) { return (int)(random() % (unsigned)n); };
    auto coordinate = [&](void) { return pick(2) ? extremes[pick(10)] : pick(1000) - 100; };
    Target target = (Target)pick(targetCount);
    switch (pick(4)) {
    case 0:
        return {MainWindow, mouseMessages[pick(5)], (WPARAM)pick(4), MAKELPARAM(coordinate(), coordinate()), 0};
    case 1:
        return {MainWindow, WM_SIZE, (WPARAM)pick(3), MAKELPARAM(coordinate(), coordinate()), 0};
    case 2:
        if (target == Colours && pick(2))
            return {Colours, WM_VSCROLL, MAKEWPARAM(pick(9), coordinate()), 0, firstScrollBar + pick(7)};
        if (target != MainWindow) return {target, WM_COMMAND, (WPARAM)pick(highestCommandId), 0, 0};
        return {MainWindow, WM_TIMER, animationTimerId, 0, 0};
    default:
        return {target, otherMessages[pick(5)], (WPARAM)pick(3), 0, 0};
    }
}

class MessageFuzzTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        openWindows();
    }
    void TearDown() override {
        closeWindows();
        MainWindowTest::TearDown();
    }

    // The panel, and both dialogs as the panel opens them.
    void openWindows() {
        if (!IsWindow(panel)) panel = CreateDialogParamA(instance, "ColorScrDlg", window, PanelDlgProc, 0);
        if (scene.hOptionsDlg == 0) clickButton(panel, panelOptionsId);
        if (scene.hColorsDlg == 0) clickButton(panel, panelColoursId);
    }
    void closeWindows() {
        for (HWND w : {scene.hOptionsDlg, scene.hColorsDlg, panel})
            if (w && IsWindow(w)) DestroyWindow(w);
        dispatchPendingMessages();
    }
    // The start again: a new main window, panel and dialogs, a new scene.
    void startAgain() {
        closeWindows();
        DestroyWindow(window);
        dispatchPendingMessages();
        scene = SceneState{};
        window = createMainWindow(instance);
        openWindows();
    }

    HWND handleOf(Target target) {
        const HWND handles[] = {window, panel, scene.hOptionsDlg, scene.hColorsDlg};
        return handles[target];
    }

    // Sends a batch, then draws a frame; gives what went non-finite, if anything.
    std::string run(const Batch &batch) {
        openWindows();
        for (const FuzzMessage &m : batch) {
            HWND target = handleOf(m.target);
            LPARAM lParam = m.scrollBar ? (LPARAM)GetDlgItem(target, m.scrollBar) : m.lParam;
            SendMessageA(target, m.message, m.wParam, lParam);
            dispatchPendingMessages();
        }
        drawScene();
        return firstNonFinite();
    }

    // Cuts the failing last batch down, one message at a time, to those the
    // failure needs, replaying the batches before it from the start each time.
    Batch shortestFailing(const std::vector<Batch> &before, Batch failing) {
        for (size_t i = 0; i < failing.size();) {
            Batch shorter;
            for (size_t j = 0; j < failing.size(); j++)
                if (j != i) shorter.push_back(failing[j]);
            startAgain();
            for (const Batch &b : before) run(b);
            if (!run(shorter).empty())
                failing = shorter;
            else
                i++;
        }
        return failing;
    }

    // Runs the batches in turn; on a failure, reports the seed and the
    // shortest failing batch.
    void runAll(const std::vector<Batch> &batches, unsigned seed) {
        for (size_t b = 0; b < batches.size(); b++) {
            std::string bad = run(batches[b]);
            if (bad.empty()) continue;
            std::vector<Batch> before(batches.begin(), batches.begin() + b);
            std::ostringstream report;
            report << "seed " << seed << ", batch " << b << ": " << bad << " is not finite; shortest failing batch:";
            for (const FuzzMessage &m : shortestFailing(before, batches[b])) report << "\n  " << describe(m);
            FAIL() << report.str();
        }
    }

    HWND panel = nullptr;
};

TEST_F(MessageFuzzTest, KnownHostileMessagesLeaveEverythingFinite) {
    runAll(knownBatches(), 0);
}

TEST_F(MessageFuzzTest, RandomMessagesLeaveEverythingFinite) {
    const char *asked = std::getenv("QUELVARO_FUZZ_SEED");
    unsigned seed = asked ? (unsigned)std::strtoul(asked, nullptr, 10) : defaultSeed;
    std::mt19937 random(seed);
    std::vector<Batch> batches(randomBatches);
    for (Batch &batch : batches)
        for (int i = 0; i < randomBatchSize; i++) batch.push_back(randomMessage(random));
    runAll(batches, seed);
}

}  // namespace
