// The colours dialog, built from its template by the panel's "COLORS"
// command: thumb drags set the colours, arrows and trough do nothing, and the
// bars start in the middle every time the dialog opens.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "app/redraw.h"
#include "render/scene_state.h"
#include "support/window_helpers.h"
#include "ui/dialogs.h"

namespace {

const int idOk = 1;
const int idPanelColors = 1038;

// The seven bars in control order, with what each one drives.
struct BarCase {
    const char *name;
    int id;
};

const BarCase bars[] = {
    {"front red", 1039},  {"front green", 1040}, {"front blue", 1041}, {"back red", 1042},
    {"back green", 1043}, {"back blue", 1044},   {"alpha", 1045},
};

// The colour value a bar drives, by its place in control order.
float component(int slot) {
    if (slot < 3) return scene.frontColor[slot];
    if (slot < 6) return scene.backColor[slot - 3];
    return scene.surfaceAlpha;
}

// All seven colour values, in control order.
std::vector<float> components() {
    std::vector<float> values;
    for (int slot = 0; slot < 7; slot++) values.push_back(component(slot));
    return values;
}

std::vector<int> storedPositions() {
    return std::vector<int>(scene.scrollPos, scene.scrollPos + 7);
}

// Presses the panel's hidden "COLORS" button; returns the dialog it opened.
HWND openColorsFromPanel() {
    PanelDlgProc(nullptr, WM_COMMAND, MAKEWPARAM(idPanelColors, BN_CLICKED), 0);
    return scene.hColorsDlg;
}

}  // namespace

class ColorsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        scene = SceneState{};
        dialog = openColorsFromPanel();
        ASSERT_NE(dialog, nullptr);
        scene.idleFunc = nullptr;
    }
    void TearDown() override {
        if (scene.hColorsDlg) DestroyWindow(scene.hColorsDlg);
        scene.hColorsDlg = nullptr;
    }
    HWND bar(int id) { return GetDlgItem(dialog, id); }
    // Sends a scroll of one bar straight to the procedure; returns its result.
    INT_PTR scroll(int id, int code, int pos) {
        return ColorsDlgProc(dialog, WM_VSCROLL, MAKEWPARAM(code, pos), (LPARAM)bar(id));
    }
    // Closes the dialog as a person would, by its "OK" button or its close box.
    void close(bool byOk) {
        if (byOk)
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(idOk, BN_CLICKED), (LPARAM)GetDlgItem(dialog, idOk));
        else
            SendMessageA(dialog, WM_CLOSE, 0, 0);
    }
    HWND dialog = nullptr;
};

// ---- Opening -------------------------------------------------------------------

TEST_F(ColorsDialog, OpensWithEveryBarInTheMiddleOfZeroTo255) {
    for (const BarCase &b : bars) {
        SCOPED_TRACE(b.name);
        ASSERT_NE(bar(b.id), nullptr);
        EXPECT_EQ(GetScrollPos(bar(b.id), SB_CTL), 128);
        int low = -1, high = -1;
        EXPECT_TRUE(GetScrollRange(bar(b.id), SB_CTL, &low, &high));
        EXPECT_EQ(low, 0);
        EXPECT_EQ(high, 255);
    }
    EXPECT_EQ(components(), std::vector<float>(7, 0.5f));
}

TEST_F(ColorsDialog, ThePanelOpensNoSecondDialogWhileOneIsOpen) {
    EXPECT_EQ(openColorsFromPanel(), dialog);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(scene.idleFunc, nullptr);
}

// ---- Thumb drags ----------------------------------------------------------------

TEST_F(ColorsDialog, ADraggedThumbSetsItsOwnComponentToPositionOver256) {
    const struct {
        int pos;
        float value;
    } positions[] = {{0, 0.0f}, {255, 0.99609375f}, {1, 0.00390625f}, {200, 0.78125f}, {128, 0.5f}};
    for (int code : {SB_THUMBTRACK, SB_THUMBPOSITION}) {
        for (int slot = 0; slot < 7; slot++) {
            for (const auto &p : positions) {
                SCOPED_TRACE(testing::Message()
                             << bars[slot].name << " to " << p.pos << (code == SB_THUMBTRACK ? " (track)" : " (drop)"));
                scene.idleFunc = nullptr;
                for (int &stored : scene.scrollPos) stored = 128;
                std::vector<float> expected(7, 0.5f);
                expected[slot] = p.value;

                EXPECT_EQ(scroll(bars[slot].id, code, p.pos), 1);

                EXPECT_EQ(components(), expected);
                EXPECT_EQ(scene.scrollPos[slot], p.pos);
                EXPECT_EQ(GetScrollPos(bar(bars[slot].id), SB_CTL), p.pos);
                EXPECT_EQ(scene.idleFunc, &idleRedraw);
                // Put the thumb back for the next case.
                SetScrollPos(bar(bars[slot].id), SB_CTL, 128, FALSE);
            }
        }
    }
}

TEST_F(ColorsDialog, TheAlphaBarSetsOneAlphaForBothSides) {
    scroll(1045, SB_THUMBTRACK, 64);
    EXPECT_EQ(scene.surfaceAlpha, 0.25f);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(scene.frontColor[i], 0.5f);
        EXPECT_EQ(scene.backColor[i], 0.5f);
    }
}

TEST_F(ColorsDialog, ThumbTrackMessagesSentToTheDialogMoveTheColourLive) {
    const int trail[] = {120, 90, 40, 3, 0};
    for (int pos : trail) {
        SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, pos), (LPARAM)bar(1039));
        EXPECT_EQ(scene.frontColor[0], pos / 256.0f) << "at " << pos;
        EXPECT_EQ(GetScrollPos(bar(1039), SB_CTL), pos);
    }
    SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), (LPARAM)bar(1039));
    SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), (LPARAM)bar(1039));
    EXPECT_EQ(scene.frontColor[0], 0.0f);
    EXPECT_EQ(GetScrollPos(bar(1039), SB_CTL), 0);
}

// ---- What does not move a bar --------------------------------------------------

TEST_F(ColorsDialog, ArrowsTroughAndEndOfScrollChangeNothing) {
    const struct {
        const char *name;
        int code;
    } codes[] = {
        {"arrow up", SB_LINEUP},
        {"arrow down", SB_LINEDOWN},
        {"trough above", SB_PAGEUP},
        {"trough below", SB_PAGEDOWN},
        {"top", SB_TOP},
        {"bottom", SB_BOTTOM},
        {"end of scroll", SB_ENDSCROLL},
        {"unknown code 9", 9},
        {"unknown code 0xffff", 0xffff},
    };
    scene.scrollPos[2] = 17;
    scene.frontColor[2] = 0.25f;
    for (const auto &c : codes) {
        for (const BarCase &b : bars) {
            for (int pos : {0, 255}) {
                SCOPED_TRACE(testing::Message() << c.name << " on " << b.name << ", position word " << pos);
                std::vector<int> positionsBefore = storedPositions();
                std::vector<float> colorsBefore = components();
                EXPECT_EQ(scroll(b.id, c.code, pos), 0);
                EXPECT_EQ(storedPositions(), positionsBefore);
                EXPECT_EQ(components(), colorsBefore);
                EXPECT_EQ(GetScrollPos(bar(b.id), SB_CTL), 128);
                EXPECT_EQ(scene.idleFunc, nullptr);
            }
        }
    }
}

TEST_F(ColorsDialog, AScrollFromAWindowThatIsNoColourBarChangesNothing) {
    // Its id would index outside the seven stored positions.
    const struct {
        const char *name;
        HWND window;
    } senders[] = {
        {"the OK button", GetDlgItem(dialog, idOk)},
        {"no window", nullptr},
        {"the dialog itself", dialog},
    };
    for (const auto &s : senders) {
        SCOPED_TRACE(s.name);
        std::vector<int> positionsBefore = storedPositions();
        EXPECT_EQ(ColorsDlgProc(dialog, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 7), (LPARAM)s.window), 0);
        EXPECT_EQ(storedPositions(), positionsBefore);
        EXPECT_EQ(components(), std::vector<float>(7, 0.5f));
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

// ---- Closing and reopening --------------------------------------------------------

TEST_F(ColorsDialog, OkAndTheCloseBoxDestroyTheDialogAndClearTheHandle) {
    for (bool byOk : {true, false}) {
        SCOPED_TRACE(byOk ? "OK" : "close box");
        if (!scene.hColorsDlg) dialog = openColorsFromPanel();
        ASSERT_NE(dialog, nullptr);
        scene.idleFunc = nullptr;
        close(byOk);
        EXPECT_EQ(scene.hColorsDlg, nullptr);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}

TEST_F(ColorsDialog, ReopeningShowsEveryBarAt128WhileTheColoursKeepTheirValues) {
    scroll(1039, SB_THUMBTRACK, 0);       // front red to the top
    scroll(1044, SB_THUMBPOSITION, 255);  // back blue to the bottom
    scroll(1045, SB_THUMBTRACK, 32);      // alpha
    std::vector<int> positionsKept = storedPositions();
    std::vector<float> colorsKept = components();
    close(true);

    dialog = openColorsFromPanel();
    ASSERT_NE(dialog, nullptr);
    for (const BarCase &b : bars) EXPECT_EQ(GetScrollPos(bar(b.id), SB_CTL), 128) << b.name;
    EXPECT_EQ(storedPositions(), positionsKept);
    EXPECT_EQ(components(), colorsKept);

    // The first drag recomputes all seven from the stored positions, so only
    // the dragged bar's value changes.
    scroll(1043, SB_THUMBTRACK, 64);
    std::vector<float> expected = colorsKept;
    expected[4] = 0.25f;
    EXPECT_EQ(components(), expected);
    EXPECT_EQ(GetScrollPos(bar(1043), SB_CTL), 64);
    EXPECT_EQ(GetScrollPos(bar(1039), SB_CTL), 128);
}

TEST(ColorsDialogOpenedOften, AThousandOpensAndClosesLeaveNoWindowBehind) {
    scene = SceneState{};
    std::vector<HWND> opened;
    for (int round = 0; round < 1000; round++) {
        HWND dialog = openColorsFromPanel();
        ASSERT_NE(dialog, nullptr) << "round " << round;
        opened.push_back(dialog);
        if (round % 2 == 0)
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(idOk, BN_CLICKED), 0);
        else
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        // What the dialog manager posted on the way goes out as the loop would.
        dispatchPendingMessages();
        ASSERT_EQ(scene.hColorsDlg, nullptr) << "round " << round;
    }
    int alive = 0;
    for (HWND dialog : opened) alive += IsWindow(dialog) ? 1 : 0;
    EXPECT_EQ(alive, 0);
}

// ---- Without a dialog window --------------------------------------------------------

TEST(ColorsDialogProcedure, OkAndCloseClearTheHandleAndOtherMessagesReturnZero) {
    const struct {
        const char *name;
        UINT message;
        WPARAM wParam;
        bool closes;
    } cases[] = {
        {"OK", WM_COMMAND, MAKEWPARAM(idOk, BN_CLICKED), true},
        {"close box", WM_CLOSE, 0, true},
        {"another command", WM_COMMAND, MAKEWPARAM(1039, BN_CLICKED), false},
        {"cancel", WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), false},
        {"paint", WM_PAINT, 0, false},
        {"destroy", WM_DESTROY, 0, false},
    };
    HWND stillOpen = reinterpret_cast<HWND>(static_cast<uintptr_t>(0xc0105));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        scene = SceneState{};
        scene.hColorsDlg = stillOpen;
        EXPECT_EQ(ColorsDlgProc(nullptr, c.message, c.wParam, 0), 0);
        EXPECT_EQ(scene.hColorsDlg, c.closes ? nullptr : stillOpen);
        EXPECT_EQ(components(), std::vector<float>(7, 0.5f));
        EXPECT_EQ(scene.idleFunc, nullptr);
    }
}
