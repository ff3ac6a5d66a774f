// The options dialog: its switches, how wireframe and lights force each other
// on, the motion reset on the GL matrix stack, and closing the dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "app/redraw.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/window_helpers.h"
#include "ui/dialogs.h"

namespace {

// Control ids of the options template.
const int idOk = 1;
const int idFog = 1006;
const int idWireframe = 1008;
const int idResetMotion = 1009;
const int idLights = 1018;
const int idPerspective = 1019;
const int idTransparency = 1046;

// Sends one button click straight to the options procedure.
INT_PTR clickOptions(int id, HWND dialog = nullptr) {
    return OptionsDlgProc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// A stand-in for the open dialog's handle in scene.hOptionsDlg; the procedure
// is called with a null window, so this one is never touched.
HWND fakeOpenDialog() {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x0b7105));
}

// The five switches of the dialog, in one record for tables.
struct Switches {
    int wireframeOn, lightsOn, fogOn, perspectiveOn, blendOn;
};

Switches switches() {
    return {scene.wireframeOn, scene.lightsOn, scene.fogOn, scene.perspectiveOn, scene.blendOn};
}

void expectSwitches(const Switches &expected) {
    Switches got = switches();
    EXPECT_EQ(got.wireframeOn, expected.wireframeOn) << "wireframeOn";
    EXPECT_EQ(got.lightsOn, expected.lightsOn) << "lightsOn";
    EXPECT_EQ(got.fogOn, expected.fogOn) << "fogOn";
    EXPECT_EQ(got.perspectiveOn, expected.perspectiveOn) << "perspectiveOn";
    EXPECT_EQ(got.blendOn, expected.blendOn) << "blendOn";
}

// The motion fields a switch must not touch.
struct Motion {
    float rotation[16];
    float light[3];
    int trackballState;
};

Motion motion() {
    Motion m;
    std::memcpy(m.rotation, scene.rotationMatrix, sizeof m.rotation);
    std::memcpy(m.light, scene.mobileLight, sizeof m.light);
    m.trackballState = scene.trackballState;
    return m;
}

void expectSameMotion(const Motion &a, const Motion &b) {
    EXPECT_EQ(0, std::memcmp(a.rotation, b.rotation, sizeof a.rotation)) << "rotationMatrix";
    EXPECT_EQ(0, std::memcmp(a.light, b.light, sizeof a.light)) << "mobileLight";
    EXPECT_EQ(a.trackballState, b.trackballState) << "trackballState";
}

// A rotation somewhere away from the start, as left by trackball use.
void someTurnedRotation(float m[16]) {
    const float turned[16] = {0.36f, 0.48f, -0.8f, 0.0f, -0.8f, 0.6f, 0.0f, 0.0f,
                              0.48f, 0.64f, 0.6f,  0.0f, 0.0f,  0.0f, 0.0f, 1.0f};
    std::memcpy(m, turned, sizeof turned);
}

void readMatrix(GLenum which, float m[16]) {
    glGetFloatv(which, m);
}

}  // namespace

// The switches and the reset need a GL context: the perspective switch
// rebuilds the projection and the reset turns the rotation on the GL stack.
class OptionsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        freshScene();
    }
    // Start values, a turned scene, and the camera transform as every frame
    // finds it: modelview mode current, a translation along -z loaded.
    void freshScene() {
        scene = SceneState{};
        scene.windowWidth = 200;
        scene.windowHeight = 100;
        scene.hOptionsDlg = fakeOpenDialog();
        someTurnedRotation(scene.rotationMatrix);
        glViewport(0, 0, 10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -6.7f);
    }
    OffscreenGl gl{200, 100};
};

// ---- Switches -----------------------------------------------------------------

TEST_F(OptionsDialog, SwitchesFlipTheirFlagAndWireframeAndLightsForceEachOtherOn) {
    // Start: wireframe 0, lights 1, fog 0, perspective 1, blend 0.
    const struct {
        const char *name;
        std::vector<int> presses;
        Switches expected;
    } cases[] = {
        {"WIREFRAME: lit wireframe", {idWireframe}, {1, 1, 0, 1, 0}},
        {"WIREFRAME twice: lit solid", {idWireframe, idWireframe}, {0, 1, 0, 1, 0}},
        {"LUCES: unlit wireframe", {idLights}, {1, 0, 0, 1, 0}},
        {"LUCES twice: lit wireframe", {idLights, idLights}, {1, 1, 0, 1, 0}},
        {"LUCES, WIREFRAME: lights back on, solid", {idLights, idWireframe}, {0, 1, 0, 1, 0}},
        {"WIREFRAME, LUCES: wireframe stays, lights off", {idWireframe, idLights}, {1, 0, 0, 1, 0}},
        {"WIREFRAME twice, LUCES: wireframe forced back on", {idWireframe, idWireframe, idLights}, {1, 0, 0, 1, 0}},
        {"NIEBLITA", {idFog}, {0, 1, 1, 1, 0}},
        {"NIEBLITA twice", {idFog, idFog}, {0, 1, 0, 1, 0}},
        {"PERSPECTIVE: orthographic", {idPerspective}, {0, 1, 0, 0, 0}},
        {"PERSPECTIVE twice", {idPerspective, idPerspective}, {0, 1, 0, 1, 0}},
        {"TRANSPARENCIA", {idTransparency}, {0, 1, 0, 1, 1}},
        {"TRANSPARENCIA twice", {idTransparency, idTransparency}, {0, 1, 0, 1, 0}},
        {"all five", {idWireframe, idFog, idPerspective, idTransparency, idLights}, {1, 0, 1, 0, 1}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        freshScene();
        Motion before = motion();
        for (int id : c.presses) EXPECT_EQ(clickOptions(id), 0);
        expectSwitches(c.expected);
        expectSameMotion(before, motion());
        EXPECT_EQ(scene.idleFunc, &idleRedraw);
        EXPECT_EQ(scene.hOptionsDlg, fakeOpenDialog());
    }
}

TEST_F(OptionsDialog, PerspectiveSwitchRebuildsProjectionCameraAndViewportAtOnce) {
    const struct {
        int presses;
        bool perspective;
    } cases[] = {{1, false}, {2, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.presses << " presses");
        freshScene();
        for (int i = 0; i < c.presses; i++) clickOptions(idPerspective);

        float projection[16], modelview[16];
        readMatrix(GL_PROJECTION_MATRIX, projection);
        readMatrix(GL_MODELVIEW_MATRIX, modelview);
        // A perspective volume divides by -z (w row 0 0 -1 0); an orthographic
        // one keeps w = 1.
        EXPECT_EQ(projection[11], c.perspective ? -1.0f : 0.0f);
        EXPECT_EQ(projection[15], c.perspective ? 0.0f : 1.0f);
        // Orthographic: 6 units tall whatever the distance; perspective: the
        // eye stands cameraDistance + 0.7 from the centre.
        EXPECT_NEAR(modelview[14], c.perspective ? -6.7f : -5.0f, 1e-5);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[2], 200);
        EXPECT_EQ(viewport[3], 100);
    }
}

TEST_F(OptionsDialog, UnknownIdsChangeNothing) {
    const int unknownIds[] = {0, 2, 1007, 1010, 1017, 1020, 1032, 1045, 1047, 0xffff};
    for (int id : unknownIds) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        freshScene();
        Motion before = motion();
        EXPECT_EQ(clickOptions(id), 0);
        expectSwitches({0, 1, 0, 1, 0});
        expectSameMotion(before, motion());
        EXPECT_EQ(scene.idleFunc, nullptr);
        EXPECT_EQ(scene.hOptionsDlg, fakeOpenDialog());
    }
}

// ---- Motion reset ---------------------------------------------------------------

TEST_F(OptionsDialog, ResetMotionTiltsMinusSixtyAboutXAndBringsTheLightBack) {
    const float nan = std::nanf("");
    enum RotationStart { turned, zeros, spoilt };
    const struct {
        const char *name;
        int trackballState, trackballDragging, keepSpinning;
        RotationStart rotation;
        float light[3];
    } cases[] = {
        {"spinning after a drag", 1, 0, 1, turned, {-2.0f, 2.0f, -1.0f}},
        {"still, keepSpinning 0", 0, 0, 0, turned, {3.5f, -4.0f, 7.0f}},
        {"while dragging", 1, 1, 0, turned, {0.0f, 0.0f, 0.0f}},
        {"rotation all zeros", 0, 0, 1, zeros, {-2.0f, 2.0f, 0.0f}},
        {"rotation spoilt by NaN", 1, 0, 1, spoilt, {nan, 1.0f, 2.0f}},
    };
    // glRotatef(-60, 1, 0, 0), column-major: cos at 5 and 10, sin at 6, -sin at 9.
    const double angle = -60.0 * M_PI / 180.0;
    const double expected[16] = {
        1, 0, 0, 0, 0, std::cos(angle), std::sin(angle), 0, 0, -std::sin(angle), std::cos(angle), 0, 0, 0, 0, 1};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        freshScene();
        scene.trackballState = c.trackballState;
        scene.trackballDragging = c.trackballDragging;
        scene.keepSpinning = c.keepSpinning;
        scene.spinAngle = 2.5f;
        scene.spinAxis[0] = 0.0f;
        scene.spinAxis[1] = 0.6f;
        scene.spinAxis[2] = 0.8f;
        if (c.rotation != turned)
            for (float &v : scene.rotationMatrix) v = c.rotation == zeros ? 0.0f : nan;
        std::memcpy(scene.mobileLight, c.light, sizeof c.light);
        float cameraBefore[16];
        readMatrix(GL_MODELVIEW_MATRIX, cameraBefore);
        GLint depthBefore = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthBefore);

        EXPECT_EQ(clickOptions(idResetMotion), 0);

        for (int i = 0; i < 16; i++) EXPECT_NEAR(scene.rotationMatrix[i], expected[i], 1e-6) << "element " << i;
        EXPECT_EQ(scene.mobileLight[0], -2.0f);
        EXPECT_EQ(scene.mobileLight[1], 2.0f);
        EXPECT_EQ(scene.mobileLight[2], 0.0f);
        EXPECT_EQ(scene.trackballState, 0);
        // What the reset leaves alone.
        EXPECT_EQ(scene.trackballDragging, c.trackballDragging);
        EXPECT_EQ(scene.keepSpinning, c.keepSpinning);
        EXPECT_EQ(scene.spinAngle, 2.5f);
        EXPECT_EQ(scene.spinAxis[1], 0.6f);
        EXPECT_EQ(scene.spinAxis[2], 0.8f);
        expectSwitches({0, 1, 0, 1, 0});
        EXPECT_EQ(scene.idleFunc, &idleRedraw);
        // The camera transform and the stack depth are as they were.
        float cameraAfter[16];
        readMatrix(GL_MODELVIEW_MATRIX, cameraAfter);
        EXPECT_EQ(0, std::memcmp(cameraBefore, cameraAfter, sizeof cameraBefore));
        GLint depthAfter = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthAfter);
        EXPECT_EQ(depthAfter, depthBefore);
    }
}

TEST_F(OptionsDialog, ResetMotionTwiceGivesTheSameTiltNotMinusOneTwenty) {
    clickOptions(idResetMotion);
    float first[16];
    std::memcpy(first, scene.rotationMatrix, sizeof first);
    clickOptions(idResetMotion);
    EXPECT_EQ(0, std::memcmp(first, scene.rotationMatrix, sizeof first));
}

// ---- Closing ----------------------------------------------------------------------

TEST_F(OptionsDialog, OkAndTheCloseBoxBothLeaveTheHandleAtZeroWithoutAFrame) {
    const struct {
        const char *name;
        UINT message;
        WPARAM wParam;
    } cases[] = {
        {"OK", WM_COMMAND, MAKEWPARAM(idOk, BN_CLICKED)},
        {"OK, other notification", WM_COMMAND, MAKEWPARAM(idOk, 1)},
        {"close box", WM_CLOSE, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        freshScene();
        Motion before = motion();
        EXPECT_EQ(OptionsDlgProc(nullptr, c.message, c.wParam, 0), 0);
        EXPECT_EQ(scene.hOptionsDlg, nullptr);
        EXPECT_EQ(scene.idleFunc, nullptr);
        expectSwitches({0, 1, 0, 1, 0});
        expectSameMotion(before, motion());
    }
}

TEST_F(OptionsDialog, OtherMessagesReturnZeroAndInitDialogOne) {
    const struct {
        UINT message;
        INT_PTR result;
    } cases[] = {{WM_INITDIALOG, 1}, {WM_DESTROY, 0}, {WM_VSCROLL, 0}, {WM_PAINT, 0}, {WM_USER, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.message);
        freshScene();
        EXPECT_EQ(OptionsDlgProc(nullptr, c.message, MAKEWPARAM(idOk, 0), 0), c.result);
        EXPECT_EQ(scene.hOptionsDlg, fakeOpenDialog());
        expectSwitches({0, 1, 0, 1, 0});
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

// ---- The dialog as built from its template, opened by the panel -----------------------

namespace {

// Presses the panel's hidden "OPTIONS" button; returns the open dialog.
HWND openOptionsFromPanel() {
    PanelDlgProc(nullptr, WM_COMMAND, MAKEWPARAM(1032, BN_CLICKED), 0);
    return scene.hOptionsDlg;
}

}  // namespace

class OptionsFromPanel : public OptionsDialog {
  protected:
    void SetUp() override {
        OptionsDialog::SetUp();
        scene.hOptionsDlg = nullptr;
    }
    void TearDown() override {
        if (scene.hOptionsDlg) DestroyWindow(scene.hOptionsDlg);
        scene.hOptionsDlg = nullptr;
    }
};

TEST_F(OptionsFromPanel, EachButtonOfTheTemplateDoesWhatItsTextSays) {
    const struct {
        int id;
        const char *text;
        Switches expected;
    } buttons[] = {
        {idWireframe, "WIREFRAME <-> SMOOTH", {1, 1, 0, 1, 0}},
        {idLights, "LUCES", {1, 0, 0, 1, 0}},
        {idFog, "NIEBLITA", {0, 1, 1, 1, 0}},
        {idPerspective, "PERSPECTIVE", {0, 1, 0, 0, 0}},
        {idTransparency, "TRANSPARENCIA", {0, 1, 0, 1, 1}},
    };
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.text);
        freshScene();
        scene.hOptionsDlg = nullptr;
        HWND dialog = openOptionsFromPanel();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(windowText(GetDlgItem(dialog, b.id)), b.text);
        clickButton(dialog, b.id);
        expectSwitches(b.expected);
        EXPECT_EQ(scene.hOptionsDlg, dialog);
        DestroyWindow(dialog);
    }
}

TEST_F(OptionsFromPanel, ResetMotionWorksOnTheProgramsContextWhileTheDialogIsOpen) {
    HWND dialog = openOptionsFromPanel();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(windowText(GetDlgItem(dialog, idResetMotion)), "reset-motion");
    scene.trackballState = 1;
    clickButton(dialog, idResetMotion);
    EXPECT_NEAR(scene.rotationMatrix[5], 0.5f, 1e-6);
    EXPECT_NEAR(scene.rotationMatrix[6], -std::sqrt(3.0f) / 2, 1e-6);
    EXPECT_NEAR(scene.rotationMatrix[9], std::sqrt(3.0f) / 2, 1e-6);
    EXPECT_EQ(scene.mobileLight[2], 0.0f);
    EXPECT_EQ(scene.trackballState, 0);
}

TEST_F(OptionsFromPanel, OkAndTheCloseBoxDestroyItAndTheNextPressOpensAFreshOne) {
    const struct {
        const char *name;
        bool byOk;
    } ways[] = {{"OK", true}, {"close box", false}};
    for (const auto &w : ways) {
        SCOPED_TRACE(w.name);
        HWND dialog = openOptionsFromPanel();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(windowText(dialog), "OPCIONES ");
        EXPECT_EQ(windowText(GetDlgItem(dialog, idOk)), "OK");
        if (w.byOk)
            clickButton(dialog, idOk);
        else
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        // The dialog manager posts a cancel command after a close request,
        // which may find the dialog already gone.
        dispatchPendingMessages();
        EXPECT_EQ(scene.hOptionsDlg, nullptr);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(scene.idleFunc, nullptr);

        HWND fresh = openOptionsFromPanel();
        ASSERT_NE(fresh, nullptr);
        EXPECT_TRUE(IsWindowVisible(fresh));
        DestroyWindow(fresh);
        scene.hOptionsDlg = nullptr;
    }
}

TEST_F(OptionsFromPanel, AThousandOpensAndClosesLeaveNoWindowBehind) {
    std::vector<HWND> opened;
    for (int round = 0; round < 1000; round++) {
        HWND dialog = openOptionsFromPanel();
        ASSERT_NE(dialog, nullptr) << "round " << round;
        opened.push_back(dialog);
        if (round % 2 == 0)
            clickButton(dialog, idOk);
        else
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        ASSERT_EQ(scene.hOptionsDlg, nullptr) << "round " << round;
    }
    int alive = 0;
    for (HWND dialog : opened) alive += IsWindow(dialog) ? 1 : 0;
    EXPECT_EQ(alive, 0);
}
