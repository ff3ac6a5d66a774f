// The pixel format the main window asks for, the palette spread over a
// palette format's colour fields, and the two ways the set-up can fail.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/pixel_format.h"
#include "main_window_fixture.h"
#include "render/scene_state.h"
#include "support/layer_spy.h"

namespace {

struct RequestCase {
    int doubleBuffer, depthBuffer;
    DWORD flags;
    BYTE depthBits;
};

const RequestCase requestCases[] = {
    {1, 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 16},
    {0, 1, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL, 16},
    {1, 0, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER, 0},
    {0, 0, PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL, 0},
};

TEST(PixelFormatRequest, FollowsTheBufferSwitches) {
    for (const RequestCase &c : requestCases) {
        SCOPED_TRACE("doubleBuffer " + std::to_string(c.doubleBuffer) + ", depthBuffer " +
                     std::to_string(c.depthBuffer));
        scene = SceneState{};
        scene.doubleBuffer = c.doubleBuffer;
        scene.depthBuffer = c.depthBuffer;
        PIXELFORMATDESCRIPTOR pfd;
        std::memset(&pfd, 0xAB, sizeof pfd);  // whatever was there before
        fillPixelFormatRequest(&pfd);

        // Everything the request does not name is 0.
        PIXELFORMATDESCRIPTOR expected;
        std::memset(&expected, 0, sizeof expected);
        expected.nSize = 40;
        expected.nVersion = 1;
        expected.dwFlags = c.flags;
        expected.iPixelType = PFD_TYPE_RGBA;
        expected.cColorBits = 8;
        expected.cDepthBits = c.depthBits;
        expected.iLayerType = PFD_MAIN_PLANE;
        EXPECT_EQ(pfd.nSize, expected.nSize);
        EXPECT_EQ(pfd.dwFlags, expected.dwFlags);
        EXPECT_EQ(pfd.cDepthBits, expected.cDepthBits);
        EXPECT_EQ(0, std::memcmp(&pfd, &expected, sizeof pfd)) << "some other member differs";
    }
}

// An 8-bit palette format: red in bits 0-2, green in bits 3-5, blue in 6-7.
PIXELFORMATDESCRIPTOR paletteFormat332() {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER | PFD_NEED_PALETTE;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 8;
    pfd.cRedBits = 3;
    pfd.cRedShift = 0;
    pfd.cGreenBits = 3;
    pfd.cGreenShift = 3;
    pfd.cBlueBits = 2;
    pfd.cBlueShift = 6;
    return pfd;
}

struct EntryCase {
    int index;
    BYTE red, green, blue;
};

const EntryCase entries332[] = {
    {0, 0, 0, 0},     {1, 36, 0, 0},    {7, 255, 0, 0},   {8, 0, 36, 0},      {56, 0, 255, 0},      {64, 0, 0, 85},
    {73, 36, 36, 85}, {128, 0, 0, 170}, {192, 0, 0, 255}, {146, 72, 72, 170}, {255, 255, 255, 255},
};

TEST(Palette, SpreadsThe332FieldsOverTheFullRange) {
    PIXELFORMATDESCRIPTOR pfd = paletteFormat332();
    PALETTEENTRY entries[256];
    std::memset(entries, 0xAB, sizeof entries);
    fillPaletteEntries(&pfd, entries, 256);
    for (const EntryCase &c : entries332) {
        SCOPED_TRACE("entry " + std::to_string(c.index));
        EXPECT_EQ(entries[c.index].peRed, c.red);
        EXPECT_EQ(entries[c.index].peGreen, c.green);
        EXPECT_EQ(entries[c.index].peBlue, c.blue);
        EXPECT_EQ(entries[c.index].peFlags, 0);
    }
}

TEST(Palette, AComponentWithoutBitsStaysBlack) {
    // A colour-index format names no colour fields at all.
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.iPixelType = PFD_TYPE_COLORINDEX;
    pfd.cColorBits = 4;
    PALETTEENTRY entries[16];
    fillPaletteEntries(&pfd, entries, 16);
    for (int i = 0; i < 16; i++) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(entries[i].peRed, 0);
        EXPECT_EQ(entries[i].peGreen, 0);
        EXPECT_EQ(entries[i].peBlue, 0);
    }
    // Only green has bits: red and blue stay 0, green spreads over 0..255.
    pfd.cGreenBits = 1;
    pfd.cGreenShift = 2;
    fillPaletteEntries(&pfd, entries, 16);
    EXPECT_EQ(entries[4].peGreen, 255);
    EXPECT_EQ(entries[3].peGreen, 0);
    EXPECT_EQ(entries[4].peRed, 0);
}

// ---- On the main window's device context ---------------------------------------

class PaletteWindowTest : public MainWindowTest {};

TEST_F(PaletteWindowTest, ATrueColourDisplayNeedsNoPalette) {
    EXPECT_EQ(scene.hPalette, nullptr);
    EXPECT_EQ(layerSpy.createPaletteCalls, 0);
    EXPECT_NE(GetPixelFormat(scene.hDC), 0) << "the window has its pixel format";
}

struct PaletteSetupCase {
    const char *name;
    DWORD flags;
    BYTE pixelType;
    bool paletteFails;
    int tables;    // tables handed to CreatePalette
    bool palette;  // hPalette set, selected and realized
};

const PaletteSetupCase paletteSetupCases[] = {
    {"RGBA format that needs a palette", PFD_NEED_PALETTE, PFD_TYPE_RGBA, false, 1, true},
    {"colour-index format", 0, PFD_TYPE_COLORINDEX, false, 1, true},
    {"true-colour format", 0, PFD_TYPE_RGBA, false, 0, false},
    {"CreatePalette fails", PFD_NEED_PALETTE, PFD_TYPE_RGBA, true, 1, false},
};

TEST_F(PaletteWindowTest, BuildsSelectsAndRealizesWhenTheFormatAsks) {
    for (const PaletteSetupCase &c : paletteSetupCases) {
        SCOPED_TRACE(c.name);
        scene.hPalette = nullptr;
        resetLayerSpy();
        layerSpy.overrideDescribedFormat = true;
        layerSpy.describedFormat = paletteFormat332();
        layerSpy.describedFormat.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | c.flags;
        layerSpy.describedFormat.iPixelType = c.pixelType;
        layerSpy.createPaletteFails = c.paletteFails;

        setupPalette(scene.hDC);

        EXPECT_EQ(layerSpy.createPaletteCalls, c.tables);
        EXPECT_EQ(scene.hPalette != nullptr, c.palette);
        EXPECT_EQ(layerSpy.selectPaletteCalls, c.palette ? 1 : 0);
        EXPECT_EQ(layerSpy.realizePaletteCalls, c.palette ? 1 : 0);
        if (c.tables == 0) continue;
        EXPECT_EQ(layerSpy.paletteVersion, 0x300);
        ASSERT_EQ(layerSpy.paletteCount, 256);
        EXPECT_EQ(layerSpy.paletteEntries[73].peRed, 36);
        EXPECT_EQ(layerSpy.paletteEntries[73].peGreen, 36);
        EXPECT_EQ(layerSpy.paletteEntries[73].peBlue, 85);
        EXPECT_EQ(layerSpy.paletteEntries[255].peBlue, 255);
    }
}

// ---- Failures: an error box, then exit status 1 ----------------------------------

class PixelFormatFailureTest : public MainWindowTest {
  protected:
    void SetUp() override {
        // The failing set-up ends the process: run it in a fresh copy of the
        // suite rather than a fork of one holding a GL context.
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        MainWindowTest::SetUp();
    }
};

TEST_F(PixelFormatFailureTest, NoFormatToChoose) {
    EXPECT_EXIT(
        {
            layerSpy.expectedBoxOwner = window;
            layerSpy.choosePixelFormatFails = true;
            setupPixelFormat(scene.hDC);
        },
        ::testing::ExitedWithCode(1),
        "MessageBoxA owner=expected type=0x10 caption=\\[Error\\] text=\\[ChoosePixelFormat failed\n\\]");
}

TEST_F(PixelFormatFailureTest, FormatCannotBeSet) {
    EXPECT_EXIT(
        {
            layerSpy.expectedBoxOwner = window;
            layerSpy.overrideSetPixelFormat = true;
            layerSpy.setPixelFormatResult = FALSE;
            setupPixelFormat(scene.hDC);
        },
        ::testing::ExitedWithCode(1),
        "MessageBoxA owner=expected type=0x10 caption=\\[Error\\] text=\\[SetPixelFormat failed\\]");
}

TEST_F(PixelFormatFailureTest, OnlyExactlyOneCountsAsSet) {
    EXPECT_EXIT(
        {
            layerSpy.overrideSetPixelFormat = true;
            layerSpy.setPixelFormatResult = 2;
            setupPixelFormat(scene.hDC);
        },
        ::testing::ExitedWithCode(1), "text=\\[SetPixelFormat failed\\]");
}

TEST_F(PixelFormatFailureTest, ASetFormatReturnsWithoutABox) {
    layerSpy.overrideSetPixelFormat = true;
    layerSpy.setPixelFormatResult = TRUE;
    setupPixelFormat(scene.hDC);
    EXPECT_EQ(layerSpy.messageBoxCalls, 0);
}

}  // namespace
