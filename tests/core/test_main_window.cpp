// The main window's procedure: what creation leaves behind, the animation
// clock, resizing, the palette messages, messages without a rendering context,
// and destruction.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/redraw.h"
#include "main_window_fixture.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/layer_spy.h"

namespace {

class MainWindowProcTest : public MainWindowTest {};

TEST_F(MainWindowProcTest, CreationSetsTheStartOrientation) {
    // Rx(-130) * Ry(-30), column by column.
    const float expected[16] = {
        0.8660f, 0.3830f, -0.3214f, 0.0f, 0.0f, -0.6428f, -0.7660f, 0.0f,
        -0.5f,   0.6634f, -0.5567f, 0.0f, 0.0f, 0.0f,     0.0f,     1.0f,
    };
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(scene.rotationMatrix[i], expected[i], 0.5e-4f) << "column " << i / 4 << ", row " << i % 4;
}

TEST_F(MainWindowProcTest, CreationLeavesTheCameraOnTheModelviewStack) {
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_FLOAT_EQ(modelview[14], -6.7f) << "the camera stands 6.7 units from the centre";
    EXPECT_FLOAT_EQ(modelview[0], 1.0f) << "the start rotation is not left on the stack";
}

TEST_F(MainWindowProcTest, TheWindowIsASquareAtTheTopLeftCorner) {
    int side = (int)(0.9 * GetSystemMetrics(SM_CYSCREEN));
    RECT outer;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right - outer.left, side);
    EXPECT_EQ(outer.bottom - outer.top, side);
    char title[64] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, " QUELVARO  by Ostrevan");
}

struct SwapPacingCase {
    const char *name;
    bool driverOffersIt;
    std::vector<int> intervalsAsked;
};

const SwapPacingCase swapPacingCases[] = {
    {"driver with WGL_EXT_swap_control", true, {1}},
    {"driver without it", false, {}},
};

TEST_F(MainWindowProcTest, CreationAsksForOneDisplayRefreshPerFrame) {
    EXPECT_EQ(layerSpy.swapIntervals, std::vector<int>{1});
    EXPECT_EQ(layerSpy.contextAtSwapInterval, scene.hGLRC) << "asked while the new context is current";
    for (const SwapPacingCase &c : swapPacingCases) {
        SCOPED_TRACE(c.name);
        resetLayerSpy();
        layerSpy.swapControlMissing = !c.driverOffersIt;
        askForSwapPacing();
        EXPECT_EQ(layerSpy.swapIntervals, c.intervalsAsked);
    }
}

TEST_F(MainWindowProcTest, TenTicksAddUpTheirStepsOneByOne) {
    for (int tick = 0; tick < 10; tick++) EXPECT_EQ(SendMessageA(window, WM_TIMER, animationTimerId, 0), 0);
    EXPECT_EQ(scene.wavePhase, 1.4999999999999998);
    EXPECT_NE(scene.wavePhase, 1.5);
    EXPECT_EQ(scene.idleFunc, idleRedraw);
}

TEST_F(MainWindowProcTest, ATickWithAFrameAlreadyAskedForOnlyMovesThePhase) {
    scene.idleFunc = idleRedraw;
    SceneState before;
    std::memcpy(&before, &scene, sizeof scene);
    SendMessageA(window, WM_TIMER, 7, 0);  // the identifier is not looked at
    EXPECT_EQ(scene.wavePhase, 0.15);
    scene.wavePhase = before.wavePhase;
    EXPECT_EQ(0, std::memcmp(&scene, &before, sizeof scene)) << "a tick changed more than the phase";
}

TEST_F(MainWindowProcTest, ATickNeedsNoRenderingContext) {
    scene.hGLRC = nullptr;
    SendMessageA(window, WM_TIMER, animationTimerId, 0);
    EXPECT_EQ(scene.wavePhase, 0.15);
    EXPECT_EQ(scene.idleFunc, idleRedraw);
}

struct SizeCase {
    const char *name;
    WPARAM kind;
    int width, height;
};

const SizeCase sizeCases[] = {
    {"restored", SIZE_RESTORED, 800, 600},
    {"minimised", SIZE_MINIMIZED, 0, 0},
    {"tall", SIZE_RESTORED, 300, 900},
    {"one pixel", SIZE_RESTORED, 1, 1},
};

TEST_F(MainWindowProcTest, ResizingFollowsTheClientArea) {
    for (const SizeCase &c : sizeCases) {
        SCOPED_TRACE(c.name);
        scene.idleFunc = nullptr;
        EXPECT_EQ(SendMessageA(window, WM_SIZE, c.kind, MAKELPARAM(c.width, c.height)), 0);
        EXPECT_EQ(scene.windowWidth, c.width);
        EXPECT_EQ(scene.windowHeight, c.height);
        GLint viewport[4] = {-1, -1, -1, -1};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width);
        EXPECT_EQ(viewport[3], c.height);
        EXPECT_EQ(scene.idleFunc, nullptr) << "a resize relies on the paint that follows";
    }
}

TEST_F(MainWindowProcTest, SizesAreUnsignedHalves) {
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(40000, 50000));
    EXPECT_EQ(scene.windowWidth, 40000);
    EXPECT_EQ(scene.windowHeight, 50000);
}

TEST_F(MainWindowProcTest, PaintAsksForAFrameAndDrawsNothing) {
    settleQueue();
    InvalidateRect(window, nullptr, FALSE);
    EXPECT_EQ(SendMessageA(window, WM_PAINT, 0, 0), 0);
    EXPECT_EQ(scene.idleFunc, idleRedraw);
    EXPECT_EQ(layerSpy.swapBuffersCalls, 0);
}

// Without a rendering context these go to the default handling untouched.
const UINT contextMessages[] = {WM_SIZE,      WM_PAINT,       WM_MOUSEMOVE, WM_LBUTTONDOWN,
                                WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};

TEST_F(MainWindowProcTest, WithoutAContextMouseSizeAndPaintChangeNothing) {
    HGLRC context = scene.hGLRC;
    scene.hGLRC = nullptr;
    settleQueue();
    for (UINT message : contextMessages) {
        SCOPED_TRACE("message 0x" + std::to_string(message));
        SceneState before;
        std::memcpy(&before, &scene, sizeof scene);
        SendMessageA(window, message, MK_LBUTTON | MK_RBUTTON, MAKELPARAM(123, 45));
        EXPECT_EQ(0, std::memcmp(&scene, &before, sizeof scene));
        EXPECT_EQ(GetCapture(), nullptr);
    }
    scene.hGLRC = context;
}

// ---- Palette messages ----------------------------------------------------------

struct PaletteMessageCase {
    const char *name;
    UINT message;
    bool withPalette;
    bool fromThisWindow;
    bool realizes;  // realized again, and a frame asked for
};

const PaletteMessageCase paletteMessageCases[] = {
    {"query with a palette", WM_QUERYNEWPALETTE, true, false, true},
    {"query without a palette", WM_QUERYNEWPALETTE, false, false, false},
    {"changed by another window", WM_PALETTECHANGED, true, false, true},
    {"changed by this window", WM_PALETTECHANGED, true, true, false},
    {"changed, without a palette", WM_PALETTECHANGED, false, false, false},
};

HPALETTE makeGreyPalette() {
    struct {
        LOGPALETTE header;
        PALETTEENTRY more[1];
    } table = {};
    table.header.palVersion = 0x300;
    table.header.palNumEntries = 2;
    table.header.palPalEntry[0] = {0, 0, 0, 0};
    table.more[0] = {128, 128, 128, 0};
    return CreatePalette(&table.header);
}

TEST_F(MainWindowProcTest, PaletteMessagesRealizeOnlyAPaletteOfOurOwn) {
    HPALETTE palette = makeGreyPalette();
    ASSERT_NE(palette, nullptr);
    HWND otherWindow = (HWND)(UINT_PTR)0x1234;
    for (const PaletteMessageCase &c : paletteMessageCases) {
        SCOPED_TRACE(c.name);
        settleQueue();
        scene.hPalette = c.withPalette ? palette : nullptr;
        WPARAM changer = (WPARAM)(c.fromThisWindow ? window : otherWindow);
        LRESULT expectedDefault = DefWindowProcA(window, c.message, changer, 0);

        LRESULT result = SendMessageA(window, c.message, changer, 0);

        EXPECT_EQ(layerSpy.realizePaletteCalls, c.realizes ? 1 : 0);
        EXPECT_EQ(layerSpy.selectPaletteCalls, c.realizes ? 1 : 0);
        EXPECT_EQ(scene.idleFunc != nullptr, c.realizes);
        if (c.realizes) {
            EXPECT_EQ(result, c.message == WM_QUERYNEWPALETTE ? 1 : 0);
        } else {
            EXPECT_EQ(result, expectedDefault);
        }
    }
    scene.hPalette = nullptr;
    DeleteObject(palette);
}

// ---- Destruction ---------------------------------------------------------------

TEST_F(MainWindowProcTest, ClosingReleasesTheContextsAndPostsQuit) {
    settleQueue();
    scene.idleFunc = idleRedraw;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window)) << "the default handling of WM_CLOSE destroys the window";
    EXPECT_EQ(scene.idleFunc, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    MSG message = {};
    bool quit = false;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message != WM_QUIT) continue;
        quit = true;
        EXPECT_EQ(message.wParam, 0u);
    }
    EXPECT_TRUE(quit) << "no quit message was posted";
}

}  // namespace
