// The virtual trackball: where a pixel lands on the ball, what each mouse
// event does to the trackball state, and that the rotation stays sound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/redraw.h"
#include "main_window_fixture.h"
#include "render/frame.h"
#include "render/scene_state.h"
#include "ui/trackball.h"

namespace {

const float vectorTolerance = 1e-5f;

struct BallCase {
    const char *name;
    int px, py, width, height;
    float expected[3];
};

const BallCase ballCases[] = {
    {"centre", 200, 200, 400, 400, {0, 0, 1}},
    {"middle of the left edge", 0, 200, 400, 400, {-1, 0, 0}},
    {"middle of the right edge", 400, 200, 400, 400, {1, 0, 0}},
    {"middle of the top edge", 200, 0, 400, 400, {0, 1, 0}},
    {"middle of the bottom edge", 200, 400, 400, 400, {0, -1, 0}},
    {"inside the disc", 300, 150, 400, 400, {0.589122f, 0.294561f, 0.752442f}},
    {"halfway up", 200, 100, 400, 400, {0, 0.577350f, 0.816497f}},
    {"top-left corner, outside the disc", 0, 0, 400, 400, {-0.707107f, 0.707107f, 0}},
    {"same ray, further out", -100, -100, 400, 400, {-0.707107f, 0.707107f, 0}},
    {"beyond the top-right", 500, -20, 400, 400, {0.806405f, 0.591364f, 0}},
    {"wide area: left edge", 0, 100, 800, 200, {-1, 0, 0}},
    {"wide area: top edge", 400, 0, 800, 200, {0, 1, 0}},
    {"wide area: each axis scaled alone", 600, 50, 800, 200, {0.598835f, 0.598835f, 0.531784f}},
    {"wide area: corner", 0, 0, 800, 200, {-0.707107f, 0.707107f, 0}},
    {"tall area: bottom edge", 50, 800, 100, 800, {0, -1, 0}},
    // A minimised window: no client extent gives no offset on that axis.
    {"0 x 0 area", 10, 10, 0, 0, {0, 0, 1}},
    {"0 x 0 area, far away", -3000, 32767, 0, 0, {0, 0, 1}},
    {"no width", 10, 200, 0, 400, {0, 0, 1}},
    {"no height", 200, 10, 400, 0, {0, 0, 1}},
};

TEST(TrackballVector, MapsPixelsOntoTheBall) {
    for (const BallCase &c : ballCases) {
        SCOPED_TRACE(c.name);
        float out[3] = {NAN, NAN, NAN};
        trackballVector(c.px, c.py, c.width, c.height, out);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(out[i], c.expected[i], vectorTolerance) << "component " << i;
    }
}

TEST(TrackballVector, EveryPointIsAFiniteUnitVector) {
    const int sizes[][2] = {{400, 400}, {800, 200}, {1, 1}, {0, 0}, {0, 300}, {300, 0}, {65535, 65535}};
    const int points[][2] = {{0, 0}, {-32768, -32768}, {32767, 32767}, {150, -7}, {1, 0}};
    for (const auto &size : sizes) {
        for (const auto &point : points) {
            SCOPED_TRACE(std::to_string(point[0]) + "," + std::to_string(point[1]) + " in " + std::to_string(size[0]) +
                         "x" + std::to_string(size[1]));
            float out[3];
            trackballVector(point[0], point[1], size[0], size[1], out);
            for (float v : out) ASSERT_TRUE(std::isfinite(v));
            EXPECT_NEAR(out[0] * out[0] + out[1] * out[1] + out[2] * out[2], 1.0f, 1e-5f);
        }
    }
}

// ---- The state machine -----------------------------------------------------

// CaptureLost: the mouse taken away with the button still down.
enum EventKind { Press, Motion, Release, CaptureLost };

struct MouseEvent {
    EventKind kind;
    int x, y;
};

struct TrackballStateRow {
    int trackballState, trackballDragging, keepSpinning;
    float spinAngle;  // checked exactly; anyTurn: any angle above 0
    bool lastEventAsksForFrame;
};

const float anyTurn = -1.0f;

struct StateCase {
    const char *name;
    std::vector<MouseEvent> events;
    TrackballStateRow expected;
};

const std::vector<StateCase> stateCases = {
    {"start of the run", {}, {0, 0, 1, 0.03f, false}},
    {"press keeps the first increment", {{Press, 100, 100}}, {1, 1, 0, 0.03f, false}},
    {"press then motion", {{Press, 100, 100}, {Motion, 140, 100}}, {1, 1, 0, anyTurn, true}},
    {"release after moving away", {{Press, 100, 100}, {Motion, 140, 100}, {Release, 140, 100}}, {1, 0, 1, 0, true}},
    {"click", {{Press, 100, 100}, {Release, 100, 100}}, {0, 0, 0, 0, true}},
    {"move and come back before release",
     {{Press, 100, 100}, {Motion, 150, 90}, {Release, 100, 100}},
     {0, 0, 0, 0, true}},
    {"release one pixel away", {{Press, 100, 100}, {Release, 101, 100}}, {1, 0, 1, 0, true}},
    {"release without a press", {{Release, 5, 5}}, {0, 0, 1, 0.03f, false}},
    {"second release after a click", {{Press, 10, 10}, {Release, 10, 10}, {Release, 10, 10}}, {0, 0, 0, 0, false}},
    {"motion with the button up", {{Motion, 50, 60}}, {0, 0, 1, 0.03f, false}},
    {"motion after release",
     {{Press, 100, 100}, {Motion, 150, 100}, {Release, 150, 100}, {Motion, 20, 20}},
     {1, 0, 1, 0, false}},
    {"stray release at the old press point after moving",
     {{Press, 100, 100}, {Motion, 150, 150}, {Release, 150, 150}, {Release, 100, 100}},
     {0, 0, 0, 0, true}},
    {"press again after a click", {{Press, 10, 10}, {Release, 10, 10}, {Press, 30, 30}}, {1, 1, 0, 0, false}},
    {"capture lost after moving away", {{Press, 100, 100}, {Motion, 140, 100}, {CaptureLost, 0, 0}}, {1, 0, 1, 0, true}},
    {"capture lost before any motion: a click", {{Press, 100, 100}, {CaptureLost, 0, 0}}, {0, 0, 0, 0, true}},
    {"capture lost back at the press point",
     {{Press, 100, 100}, {Motion, 140, 100}, {Motion, 100, 100}, {CaptureLost, 0, 0}},
     {0, 0, 0, 0, true}},
    {"motion after the capture was lost",
     {{Press, 100, 100}, {Motion, 140, 100}, {CaptureLost, 0, 0}, {Motion, 300, 20}},
     {1, 0, 1, 0, false}},
    {"capture lost after the release",
     {{Press, 100, 100}, {Motion, 140, 100}, {Release, 150, 100}, {CaptureLost, 0, 0}},
     {1, 0, 1, 0, false}},
    {"capture lost with the button up", {{CaptureLost, 0, 0}}, {0, 0, 1, 0.03f, false}},
};

// The start state on a 400 x 400 client area, the size the state and
// increment cases are worked out for.
void startOnSquareArea() {
    scene = SceneState{};
    scene.windowWidth = 400;
    scene.windowHeight = 400;
}

void apply(const MouseEvent &event) {
    switch (event.kind) {
    case Press:
        trackballPress(event.x, event.y);
        break;
    case Motion:
        trackballMotion(event.x, event.y);
        break;
    case Release:
        trackballRelease(event.x, event.y);
        break;
    case CaptureLost:
        trackballCaptureLost();
        break;
    }
}

TEST(TrackballStates, EventsLeadToTheirStates) {
    for (const StateCase &c : stateCases) {
        SCOPED_TRACE(c.name);
        startOnSquareArea();
        for (const MouseEvent &event : c.events) {
            scene.idleFunc = nullptr;
            apply(event);
        }
        EXPECT_EQ(scene.trackballState, c.expected.trackballState);
        EXPECT_EQ(scene.trackballDragging, c.expected.trackballDragging);
        EXPECT_EQ(scene.keepSpinning, c.expected.keepSpinning);
        if (c.expected.spinAngle == anyTurn) {
            EXPECT_GT(scene.spinAngle, 0.0f);
        } else {
            EXPECT_EQ(scene.spinAngle, c.expected.spinAngle);
        }
        EXPECT_EQ(scene.idleFunc != nullptr, c.expected.lastEventAsksForFrame);
    }
}

TEST(TrackballStates, PressRemembersThePointAndItsPlaceOnTheBall) {
    startOnSquareArea();
    trackballPress(0, 200);
    EXPECT_EQ(scene.pressPoint.x, 0);
    EXPECT_EQ(scene.pressPoint.y, 200);
    EXPECT_NEAR(scene.lastTrackballVec[0], -1.0f, vectorTolerance);
    EXPECT_NEAR(scene.lastTrackballVec[1], 0.0f, vectorTolerance);
    EXPECT_NEAR(scene.lastTrackballVec[2], 0.0f, vectorTolerance);
}

// ---- The increment -------------------------------------------------------------

struct IncrementCase {
    const char *name;
    int fromX, fromY, toX, toY;
    float angle;
    float axis[3];
};

// 90 degrees per unit of distance between the two points of the ball, about
// last x current.
const IncrementCase incrementCases[] = {
    {"centre to the left edge turns about -y", 200, 200, 0, 200, 127.27922f, {0, -1, 0}},
    {"centre to the top edge turns about -x", 200, 200, 200, 0, 127.27922f, {-1, 0, 0}},
    {"left edge to the top edge turns about z", 0, 200, 200, 0, 127.27922f, {0, 0, -1}},
    {"no move", 123, 77, 123, 77, 0, {0, 0, 0}},
    {"further out on the same ray", 0, 0, -100, -100, 0, {0, 0, 0}},
};

TEST(TrackballIncrement, MotionStoresAngleAndAxis) {
    for (const IncrementCase &c : incrementCases) {
        SCOPED_TRACE(c.name);
        startOnSquareArea();
        trackballPress(c.fromX, c.fromY);
        trackballMotion(c.toX, c.toY);
        EXPECT_NEAR(scene.spinAngle, c.angle, 1e-3f);
        for (int i = 0; i < 3; i++) EXPECT_NEAR(scene.spinAxis[i], c.axis[i], vectorTolerance) << "axis " << i;
        float expectedLast[3];
        trackballVector(c.toX, c.toY, 400, 400, expectedLast);
        EXPECT_EQ(0, std::memcmp(scene.lastTrackballVec, expectedLast, sizeof expectedLast));
    }
}

TEST(TrackballIncrement, AMinimisedWindowGivesNoTurnAndNoNaN) {
    const int sizes[][2] = {{0, 0}, {0, 400}, {400, 0}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
        scene = SceneState{};
        scene.windowWidth = size[0];
        scene.windowHeight = size[1];
        trackballPress(10, 10);
        trackballMotion(10, 10);
        trackballMotion(-40, 300);
        ASSERT_TRUE(std::isfinite(scene.spinAngle));
        for (float v : scene.spinAxis) ASSERT_TRUE(std::isfinite(v));
        for (float v : scene.lastTrackballVec) ASSERT_TRUE(std::isfinite(v));
    }
}

// ---- Through the window and the frames ------------------------------------------

bool allFinite(const float m[16]) {
    for (int i = 0; i < 16; i++)
        if (!std::isfinite(m[i])) return false;
    return true;
}

class TrackballWindowTest : public MainWindowTest {};

TEST_F(TrackballWindowTest, AClickWithoutMotionLeavesTheRotationBitIdentical) {
    stopAnimationClock();
    // An earlier drag and release: the increment in force is now 0.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(160, 120));
    drawScene();
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(160, 120));
    drawScene();
    float before[16];
    std::memcpy(before, scene.rotationMatrix, sizeof before);

    scene.idleFunc = nullptr;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
    drawScene();
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
    EXPECT_EQ(scene.idleFunc, idleRedraw) << "the click asks for one frame";
    drawScene();

    EXPECT_EQ(0, std::memcmp(before, scene.rotationMatrix, sizeof before));
    EXPECT_EQ(scene.trackballState, 0);
    EXPECT_EQ(scene.keepSpinning, 0);
}

TEST_F(TrackballWindowTest, HoldingStillKeepsTurningByTheLastIncrement) {
    stopAnimationClock();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(130, 100));
    float previous[16];
    for (int frame = 0; frame < 3; frame++) {
        std::memcpy(previous, scene.rotationMatrix, sizeof previous);
        drawScene();
        EXPECT_NE(0, std::memcmp(previous, scene.rotationMatrix, sizeof previous)) << "frame " << frame;
    }
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(130, 100));
    drawScene();
    std::memcpy(previous, scene.rotationMatrix, sizeof previous);
    drawScene();
    EXPECT_EQ(0, std::memcmp(previous, scene.rotationMatrix, sizeof previous)) << "the turning stops at release";
}

TEST_F(TrackballWindowTest, ButtonsCaptureAndReleaseTheMouse) {
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(scene.trackballDragging, 1);
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(scene.trackballDragging, 0);
}

// Whether the mouse is taken away before the button-up or the program's own
// release at button-up gives it back, the drag ends once: a loss as a release
// at the last point seen (here the press point: a click), a button-up at its
// own point. Afterwards the bare pointer turns nothing.
TEST_F(TrackballWindowTest, TheDragEndsWhenTheMouseIsTakenAway) {
    struct Case {
        const char *name;
        bool lostBeforeRelease;
        int trackballState, keepSpinning;
    };
    const Case cases[] = {
        {"taken away, then the button-up", true, 0, 0},
        {"the button-up, then taken away", false, 1, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        stopAnimationClock();
        scene.trackballState = 0;
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 150));
        SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 100));
        if (c.lostBeforeRelease)
            ReleaseCapture();
        else
            SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(120, 100));
        EXPECT_EQ(scene.trackballDragging, 0);
        drawScene();
        float still[16];
        std::memcpy(still, scene.rotationMatrix, sizeof still);
        SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(300, 20));
        drawScene();
        EXPECT_EQ(0, std::memcmp(still, scene.rotationMatrix, sizeof still)) << "the bare pointer turns the scene";
        if (c.lostBeforeRelease)
            SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(120, 100));
        else
            SendMessageA(window, WM_CAPTURECHANGED, 0, 0);
        EXPECT_EQ(scene.trackballState, c.trackballState);
        EXPECT_EQ(scene.keepSpinning, c.keepSpinning);
    }
}

TEST_F(TrackballWindowTest, CapturedMotionBeyondTheEdgesLandsOnTheEquator) {
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 400));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 200));
    // Left of and above the client area: negative 16-bit halves.
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-100, -100));
    EXPECT_NEAR(scene.lastTrackballVec[0], -0.707107f, vectorTolerance);
    EXPECT_NEAR(scene.lastTrackballVec[1], 0.707107f, vectorTolerance);
    EXPECT_NEAR(scene.lastTrackballVec[2], 0.0f, vectorTolerance);
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(-100, -100));
}

TEST_F(TrackballWindowTest, AMinimisedWindowCannotSpoilTheRotation) {
    stopAnimationClock();
    SendMessageA(window, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 70));
    drawScene();
    drawScene();
    EXPECT_TRUE(allFinite(scene.rotationMatrix));
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 300));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 70));
    drawScene();
    EXPECT_TRUE(allFinite(scene.rotationMatrix));
    EXPECT_GT(scene.spinAngle, 0.0f);
}

}  // namespace
