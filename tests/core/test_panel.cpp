// The control panel: what every command does to the scene, hidden buttons
// included, and the panel as the dialog manager builds it from its template.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/redraw.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/window_helpers.h"
#include "surfaces/surfaces.h"
#include "ui/dialogs.h"

namespace {

// Sends one button click to the panel's procedure, the way a push button
// reports it; returns what the procedure returned.
INT_PTR clickPanel(int id, WORD notification = BN_CLICKED) {
    return PanelDlgProc(nullptr, WM_COMMAND, MAKEWPARAM(id, notification), 0);
}

// The scene fields the panel may write, to check that a command touched only
// the ones it should.
struct PanelFields {
    int surfaceIndex;
    int flatShadingOn;
    float cameraDistance;
    int cameraChanged;
    int lightsOn, perspectiveOn, wireframeOn, fogOn, blendOn;
    HWND hOptionsDlg;
    HWND hColorsDlg;
};

PanelFields panelFields() {
    return {scene.surfaceIndex, scene.flatShadingOn, scene.cameraDistance, scene.cameraChanged,
            scene.lightsOn,     scene.perspectiveOn, scene.wireframeOn,    scene.fogOn,
            scene.blendOn,      scene.hOptionsDlg,   scene.hColorsDlg};
}

void expectSameFields(const PanelFields &expected, const PanelFields &got, const char *what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(expected.surfaceIndex, got.surfaceIndex);
    EXPECT_EQ(expected.flatShadingOn, got.flatShadingOn);
    EXPECT_EQ(expected.cameraDistance, got.cameraDistance);
    EXPECT_EQ(expected.cameraChanged, got.cameraChanged);
    EXPECT_EQ(expected.lightsOn, got.lightsOn);
    EXPECT_EQ(expected.perspectiveOn, got.perspectiveOn);
    EXPECT_EQ(expected.wireframeOn, got.wireframeOn);
    EXPECT_EQ(expected.fogOn, got.fogOn);
    EXPECT_EQ(expected.blendOn, got.blendOn);
    EXPECT_EQ(expected.hOptionsDlg, got.hOptionsDlg);
    EXPECT_EQ(expected.hColorsDlg, got.hColorsDlg);
}

// A stand-in for a dialog that is already open; never dereferenced.
HWND fakeOpenDialog() {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5a5a0));
}

}  // namespace

// ---- Surface buttons --------------------------------------------------------

struct SurfaceCase {
    const char *button;
    int id;
    int surface;
};

const SurfaceCase surfaceCases[] = {
    {"efecto cortinado", 1020, 0}, {"rombos", 1022, 1},         {"ajedrezado", 1048, 2},   {"prom-asim1", 1033, 3},
    {"plane-wave x", 1047, 4},     {"plano-wave x-z", 1035, 5}, {"plane-wave z", 1034, 6},
};

TEST(PanelSurfaceButtons, EachSelectsItsSurfaceAndAsksForOneFrame) {
    for (const SurfaceCase &c : surfaceCases) {
        for (WORD notification : {WORD(BN_CLICKED), WORD(1), WORD(0xffff)}) {
            SCOPED_TRACE(testing::Message() << c.button << ", notification " << notification);
            scene = SceneState{};
            scene.surfaceIndex = 7;
            PanelFields expected = panelFields();
            expected.surfaceIndex = c.surface;

            EXPECT_EQ(clickPanel(c.id, notification), 0);

            expectSameFields(expected, panelFields(), c.button);
            EXPECT_EQ(scene.idleFunc, &idleRedraw);
        }
    }
}

// ---- Unknown ids and other messages ------------------------------------------

TEST(PanelCommands, UnknownIdsChangeNothingAndAskForNoFrame) {
    // Ids of the other dialogs' controls, neighbours of the panel's own ids,
    // the group box's -1 and the extremes of the low word.
    const int unknownIds[] = {0,    1,    2,    1006, 1008, 1009, 1019,   1023, 1029,
                              1036, 1037, 1039, 1045, 1046, 1049, 0xffff, -1};
    for (int id : unknownIds) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        scene = SceneState{};
        scene.surfaceIndex = 3;
        PanelFields before = panelFields();
        EXPECT_EQ(clickPanel(id), 0);
        expectSameFields(before, panelFields(), "unknown id");
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

TEST(PanelCommands, OnlyTheLowWordOfWParamNamesTheControl) {
    // The full wParam is pointer-sized; bits above the low word never pick a
    // command, and a low word of a known id always does.
    scene = SceneState{};
    PanelDlgProc(nullptr, WM_COMMAND, (WPARAM)0x00010000u | 1047u, 0);
    EXPECT_EQ(scene.surfaceIndex, 4);
    scene = SceneState{};
    PanelDlgProc(nullptr, WM_COMMAND, (WPARAM)1047u << 16, 0);
    EXPECT_EQ(scene.surfaceIndex, 0);
    EXPECT_EQ(scene.idleFunc, nullptr);
}

TEST(PanelMessages, InitDialogReturnsOneAndEverythingElseZeroWithoutEffect) {
    struct MessageCase {
        UINT message;
        INT_PTR result;
    };
    const MessageCase cases[] = {
        {WM_INITDIALOG, 1}, {WM_CLOSE, 0}, {WM_DESTROY, 0},   {WM_PAINT, 0},
        {WM_VSCROLL, 0},    {WM_TIMER, 0}, {WM_MOUSEMOVE, 0}, {WM_USER + 1047, 0},
    };
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "message 0x" << std::hex << c.message);
        scene = SceneState{};
        PanelFields before = panelFields();
        EXPECT_EQ(PanelDlgProc(nullptr, c.message, MAKEWPARAM(1047, 0), 0), c.result);
        expectSameFields(before, panelFields(), "other message");
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

// ---- Flat shading -----------------------------------------------------------

TEST(PanelFlatShading, SmoothToFlatFlipsTheFlagEachPress) {
    const struct {
        int start;
        int presses;
        int expected;
    } cases[] = {{0, 1, 1}, {1, 1, 0}, {0, 2, 0}, {0, 3, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.start << ", " << c.presses << " presses");
        scene = SceneState{};
        scene.flatShadingOn = c.start;
        PanelFields expected = panelFields();
        expected.flatShadingOn = c.expected;
        for (int i = 0; i < c.presses; i++) clickPanel(1021);
        expectSameFields(expected, panelFields(), "smooth->flat");
        EXPECT_EQ(scene.idleFunc, &idleRedraw);
    }
}

// ---- Camera buttons (need a GL context: they rebuild the camera at once) ------

class PanelCamera : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        freshScene();
    }
    // Start values, with a viewport and modelview matrix the buttons must
    // leave alone (the viewport) or rebuild (the modelview).
    void freshScene() {
        scene = SceneState{};
        scene.windowWidth = 160;
        scene.windowHeight = 120;
        glViewport(3, 5, 70, 50);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(9.0f, 9.0f, -100.0f);
    }
    OffscreenGl gl{160, 120};
};

// 32-bit float sums, as the program makes them.
float floatSum(float start, const std::vector<float> &steps) {
    volatile float sum = start;
    for (float step : steps) sum = sum + step;
    return sum;
}

TEST_F(PanelCamera, PressesMoveTheEyeInFloatStepsAndToggleCameraChanged) {
    const float up = 0.4f, down = -0.4f;
    const struct {
        const char *name;
        std::vector<int> ids;
        float expectedDistance;
        int toggles;
    } cases[] = {
        {"camara ++ once", {1030}, floatSum(6.0f, {up}), 1},
        {"camara ++ twice", {1030, 1030}, floatSum(6.0f, {up, up}), 2},
        {"camara -  - once", {1031}, floatSum(6.0f, {down}), 1},
        {"camara ++ then camara -  -", {1030, 1031}, floatSum(6.0f, {up, down}), 2},
        {"camara -  - 15 times, past zero", std::vector<int>(15, 1031), floatSum(6.0f, std::vector<float>(15, down)),
         15},
    };
    for (const auto &c : cases) {
        for (int startChanged : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.name << ", cameraChanged from " << startChanged);
            freshScene();
            scene.cameraChanged = startChanged;
            for (int id : c.ids) EXPECT_EQ(clickPanel(id), 0);

            EXPECT_EQ(scene.cameraDistance, c.expectedDistance);
            EXPECT_EQ(scene.cameraChanged, (startChanged + c.toggles) % 2);
            EXPECT_EQ(scene.idleFunc, &idleRedraw);

            // The camera translation was rebuilt from the new distance.
            float modelview[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
            EXPECT_EQ(modelview[12], 0.0f);
            EXPECT_EQ(modelview[13], 0.0f);
            EXPECT_NEAR(modelview[14], -(scene.cameraDistance + 0.7f), 1e-5);
            // The viewport was not touched.
            GLint viewport[4];
            glGetIntegerv(GL_VIEWPORT, viewport);
            EXPECT_EQ(viewport[0], 3);
            EXPECT_EQ(viewport[1], 5);
            EXPECT_EQ(viewport[2], 70);
            EXPECT_EQ(viewport[3], 50);
        }
    }
}

TEST_F(PanelCamera, TwoPressesOfCameraFartherGiveSixPointEight) {
    clickPanel(1030);
    clickPanel(1030);
    EXPECT_FLOAT_EQ(scene.cameraDistance, 6.8f);
    EXPECT_EQ(scene.cameraChanged, 0);
}

// ---- Opening the dialogs ----------------------------------------------------

TEST(PanelDialogButtons, AnOpenDialogIsLeftAloneAndNoFrameIsAsked) {
    const struct {
        const char *button;
        int id;
        HWND SceneState::*handle;
    } cases[] = {
        {"OPTIONS", 1032, &SceneState::hOptionsDlg},
        {"COLORS", 1038, &SceneState::hColorsDlg},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.button);
        scene = SceneState{};
        scene.*c.handle = fakeOpenDialog();
        PanelFields before = panelFields();
        for (int press = 0; press < 3; press++) EXPECT_EQ(clickPanel(c.id), 0);
        expectSameFields(before, panelFields(), c.button);
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

// ---- The panel as built from its template -----------------------------------------

namespace {

LONG styleOf(HWND window) {
    return GetWindowLongA(window, GWL_STYLE);
}

// True when the rectangle inner lies wholly inside outer.
bool inside(const RECT &inner, const RECT &outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

RECT rectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

}  // namespace

class PanelTemplate : public ::testing::Test {
  protected:
    void SetUp() override {
        scene = SceneState{};
        panel = CreateDialogParamA(GetModuleHandleA(nullptr), panelTemplate, nullptr, PanelDlgProc, 0);
        ASSERT_NE(panel, nullptr);
    }
    void TearDown() override {
        if (IsWindow(panel)) DestroyWindow(panel);
    }
    HWND panel = nullptr;
};

TEST_F(PanelTemplate, HasACaptionButNoCloseBox) {
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(windowText(panel), "OPTIONS - SOFT BY OSTREVAN");
    EXPECT_EQ(styleOf(panel) & WS_CAPTION, (LONG)WS_CAPTION);
    EXPECT_EQ(styleOf(panel) & WS_SYSMENU, 0);
}

TEST_F(PanelTemplate, ShowsOnlyThreeOfItsTwelveButtons) {
    const struct {
        int id;
        const char *text;
        bool visible;
    } buttons[] = {
        {1020, "efecto cortinado", true}, {1021, "smooth->flat", false}, {1022, "rombos", false},
        {1030, "camara ++", false},       {1031, "camara -  -", false},  {1032, "OPTIONS", false},
        {1033, "prom-asim1", false},      {1034, "plane-wave z", true},  {1035, "plano-wave x-z", false},
        {1038, "COLORS", false},          {1047, "plane-wave x", true},  {1048, "ajedrezado", false},
    };
    for (const auto &b : buttons) {
        SCOPED_TRACE(b.text);
        HWND button = GetDlgItem(panel, b.id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(windowText(button), b.text);
        EXPECT_EQ(bool(IsWindowVisible(button)), b.visible);
        EXPECT_EQ(GetWindowLongA(button, GWL_ID), b.id);
        EXPECT_EQ(styleOf(button) & 0xf, (LONG)BS_PUSHBUTTON);
        EXPECT_EQ(styleOf(button) & WS_TABSTOP, (LONG)WS_TABSTOP);
    }
}

TEST_F(PanelTemplate, ShowsTheGroupBoxTwoFramedTextsAndTheIconAroundTheButtons) {
    // The four controls without an id of their own, in template order. Each
    // is found as the first child with id -1, then taken away to reach the next.
    // The template's WS_BORDER becomes the 3-D client edge of Windows' dialogs.
    const LONG frame = SS_SUNKEN | WS_BORDER;
    const LONG edges = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE;
    const struct {
        const char *what;
        const char *text;  // null: not compared (the icon)
        LONG styleMask;
        LONG style;
        LONG exStyle;  // of the edges
    } idless[] = {
        {"group box", "options", 0xf, BS_GROUPBOX, 0},
        {"mouse help", "LEFT-MOUSE- TRACK- BALL  ROTATION               RIGHT-MOUSE  MOBILE LIGHT", 0x1f | frame,
         SS_LEFT | SS_SUNKEN, edges},
        {"icon", nullptr, 0x1f | frame, SS_ICON | SS_SUNKEN, edges},
        {"title", "MOBILE WAVES  BY   ILUMINATION NORMAL MAP", 0x1f | frame, SS_LEFT | SS_SUNKEN, edges},
    };
    RECT rects[4] = {};
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(idless[i].what);
        HWND control = GetDlgItem(panel, -1);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsWindowVisible(control));
        if (idless[i].text) {
            EXPECT_EQ(windowText(control), idless[i].text);
        }
        EXPECT_EQ(styleOf(control) & idless[i].styleMask, idless[i].style);
        EXPECT_EQ(GetWindowLongA(control, GWL_EXSTYLE) & edges, idless[i].exStyle);
        rects[i] = rectOf(control);
        DestroyWindow(control);
    }
    EXPECT_EQ(GetDlgItem(panel, -1), nullptr);

    // The group box holds the three visible buttons; the framed texts stand to
    // its right and the icon below it.
    const RECT &group = rects[0], &help = rects[1], &icon = rects[2], &title = rects[3];
    for (int id : {1047, 1034, 1020}) EXPECT_TRUE(inside(rectOf(GetDlgItem(panel, id)), group)) << id;
    EXPECT_GE(help.left, group.right);
    EXPECT_GE(title.left, group.right);
    EXPECT_GE(title.top, help.bottom);
    EXPECT_GE(icon.top, group.bottom);
    EXPECT_LE(icon.right, group.right);
}

TEST_F(PanelTemplate, StaysOpenWhenAskedToClose) {
    SendMessageA(panel, WM_CLOSE, 0, 0);
    dispatchPendingMessages();
    EXPECT_TRUE(IsWindow(panel));
    EXPECT_TRUE(IsWindowVisible(panel));
    EXPECT_EQ(scene.idleFunc, nullptr);
    EXPECT_EQ(scene.surfaceIndex, 0);
}

TEST_F(PanelTemplate, AVisibleButtonsCommandSentToThePanelWindowReachesItsProcedure) {
    const struct {
        int id;
        int surface;
    } cases[] = {{1047, planeWaveXSurface}, {1034, planeWaveZSurface}, {1020, curtainWaveSurface}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        scene.surfaceIndex = emptySurface;
        scene.idleFunc = nullptr;
        clickButton(panel, c.id);
        EXPECT_EQ(scene.surfaceIndex, c.surface);
        EXPECT_EQ(scene.idleFunc, &idleRedraw);
    }
}

TEST_F(PanelTemplate, TheHiddenOptionsButtonOpensOneDialogHoweverOftenPressed) {
    clickButton(panel, 1032);
    HWND options = scene.hOptionsDlg;
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(IsWindowVisible(options));
    EXPECT_EQ(windowText(options), "OPCIONES ");
    // While the first one lives, a second dialog would get another handle.
    for (int press = 0; press < 3; press++) clickButton(panel, 1032);
    EXPECT_EQ(scene.hOptionsDlg, options);
    EXPECT_EQ(scene.idleFunc, nullptr);
    DestroyWindow(options);
    scene.hOptionsDlg = nullptr;
}
