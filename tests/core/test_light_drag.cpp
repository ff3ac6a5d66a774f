// Dragging light 0 with the right button: six pixels move it one unit in the
// plane of the screen, and z never changes.
#include <gtest/gtest.h>

#include <vector>

#include "app/redraw.h"
#include "main_window_fixture.h"
#include "render/scene_state.h"
#include "ui/light_drag.h"

namespace {

enum DragEventKind { Press, Motion, Release };

struct DragEvent {
    DragEventKind kind;
    int x, y;
};

struct DragCase {
    const char *name;
    std::vector<DragEvent> events;
    float light[3];  // mobileLight afterwards; it starts at (-2, 2, -1)
    int dragging;
    bool lastEventAsksForFrame;
};

const std::vector<DragCase> dragCases = {
    {"6 pixels right and 6 up", {{Press, 100, 100}, {Motion, 106, 94}}, {-1, 3, -1}, 1, true},
    {"the same in six steps",
     {{Press, 100, 100},
      {Motion, 101, 99},
      {Motion, 102, 98},
      {Motion, 103, 97},
      {Motion, 104, 96},
      {Motion, 105, 95},
      {Motion, 106, 94}},
     {-1, 3, -1},
     1,
     true},
    {"left and down", {{Press, 50, 50}, {Motion, 38, 62}}, {-4, 0, -1}, 1, true},
    {"press alone", {{Press, 50, 50}}, {-2, 2, -1}, 1, false},
    {"press and release without motion", {{Press, 50, 50}, {Release, 0, 0}}, {-2, 2, -1}, 0, false},
    {"motion with the button up", {{Motion, 80, 80}}, {-2, 2, -1}, 0, false},
    {"motion after release", {{Press, 0, 0}, {Release, 0, 0}, {Motion, 60, 0}}, {-2, 2, -1}, 0, false},
    {"beyond the left and top edges", {{Press, 10, 10}, {Motion, -50, -20}}, {-12, 7, -1}, 1, true},
    {"beyond the right and bottom edges", {{Press, 10, 10}, {Motion, 610, 1210}}, {98, -198, -1}, 1, true},
    {"a second press starts from its own point",
     {{Press, 0, 0}, {Press, 60, 0}, {Motion, 66, 0}},
     {-1, 2, -1},
     1,
     true},
    {"no move", {{Press, 20, 20}, {Motion, 20, 20}}, {-2, 2, -1}, 1, true},
};

void apply(const DragEvent &event) {
    switch (event.kind) {
    case Press:
        lightDragPress(event.x, event.y);
        break;
    case Motion:
        lightDragMotion(event.x, event.y);
        break;
    case Release:
        lightDragRelease();
        break;
    }
}

TEST(LightDrag, PointerOffsetsMoveTheLight) {
    for (const DragCase &c : dragCases) {
        SCOPED_TRACE(c.name);
        scene = SceneState{};
        for (const DragEvent &event : c.events) {
            scene.idleFunc = nullptr;
            apply(event);
        }
        for (int i = 0; i < 3; i++) EXPECT_NEAR(scene.mobileLight[i], c.light[i], 1e-5f) << "component " << i;
        EXPECT_EQ(scene.mobileLight[2], -1.0f) << "z is never dragged";
        EXPECT_EQ(scene.lightDragging, c.dragging);
        EXPECT_EQ(scene.idleFunc != nullptr, c.lastEventAsksForFrame);
    }
}

TEST(LightDrag, SixPixelsInOneMotionMoveExactlyOneUnit) {
    scene = SceneState{};
    lightDragPress(100, 100);
    lightDragMotion(106, 94);
    EXPECT_EQ(scene.mobileLight[0], -1.0f);
    EXPECT_EQ(scene.mobileLight[1], 3.0f);
    EXPECT_EQ(scene.lightDragLast.x, 106);
    EXPECT_EQ(scene.lightDragLast.y, 94);
}

class LightDragWindowTest : public MainWindowTest {};

TEST_F(LightDragWindowTest, CapturedMotionOutsideTheClientAreaMovesByTheFullOffset) {
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(scene.lightDragging, 1);
    SendMessageA(window, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(-50, -20));
    EXPECT_NEAR(scene.mobileLight[0], -12.0f, 1e-5f);
    EXPECT_NEAR(scene.mobileLight[1], 7.0f, 1e-5f);
    EXPECT_EQ(scene.mobileLight[2], -1.0f);
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(-50, -20));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(scene.lightDragging, 0);
}

TEST_F(LightDragWindowTest, PressAndReleaseWithoutMotionChangeNothing) {
    settleQueue();
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 200));
    SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(300, 200));
    EXPECT_EQ(scene.mobileLight[0], -2.0f);
    EXPECT_EQ(scene.mobileLight[1], 2.0f);
    EXPECT_EQ(scene.mobileLight[2], -1.0f);
    EXPECT_EQ(scene.idleFunc, nullptr) << "no frame is asked for";
}

TEST_F(LightDragWindowTest, ThePressTakesUnsignedHalves) {
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(-1, -2));
    EXPECT_EQ(scene.lightDragLast.x, 65535);
    EXPECT_EQ(scene.lightDragLast.y, 65534);
    SendMessageA(window, WM_RBUTTONUP, 0, 0);
}

TEST_F(LightDragWindowTest, BothButtonsFeedTrackballAndLightFromOneMotion) {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(window, WM_RBUTTONDOWN, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(100, 100));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(112, 100));
    EXPECT_NEAR(scene.mobileLight[0], 0.0f, 1e-5f);
    EXPECT_GT(scene.spinAngle, 0.0f);
    SendMessageA(window, WM_RBUTTONUP, MK_LBUTTON, MAKELPARAM(112, 100));
    EXPECT_EQ(GetCapture(), window) << "the left drag goes on and keeps the mouse";
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(112, 100));
    EXPECT_EQ(GetCapture(), nullptr);
}

// The mouse taken away mid-drag ends it; the program's own release of the
// left button, with the right one still held, does not, nor does it give the
// mouse back.
TEST_F(LightDragWindowTest, OnlyALostMouseEndsTheDragEarly) {
    struct Case {
        const char *name;
        bool leftButtonToo;  // else the mouse is taken away
        int dragging;
    };
    const Case cases[] = {{"the mouse taken away", false, 0}, {"the left button released", true, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.leftButtonToo) SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
        if (c.leftButtonToo)
            SendMessageA(window, WM_LBUTTONUP, MK_RBUTTON, MAKELPARAM(100, 100));
        else
            ReleaseCapture();
        EXPECT_EQ(scene.lightDragging, c.dragging);
        EXPECT_EQ(GetCapture(), c.dragging ? window : nullptr) << "the mouse is kept while a button is down";
        float before = scene.mobileLight[0];
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(160, 100));
        EXPECT_EQ(scene.mobileLight[0] != before, c.dragging == 1);
        SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(160, 100));
    }
}

}  // namespace
