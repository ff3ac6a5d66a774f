// The controls, driven as a person drives them: mouse input injected on the
// dialog's window, and the messages the dialog procedure then receives.
#include "dialog_fixture.h"

namespace {

using Controls = DialogSuite;

// ---- Buttons ---------------------------------------------------------------

// Where a step points: relative to a control's top-left corner, or to the
// dialog's client area.
enum Anchor { onControl, onDialog };

struct ButtonCase {
    const char *what;
    int target;  // control id the steps are relative to
    Anchor anchor;
    std::vector<MouseStep> steps;
    std::vector<int> commands;  // ids of the WM_COMMAND (BN_CLICKED) the panel gets
    int focus;                  // the button with the focus afterwards (the first one at the start)
};

TEST_F(Controls, PushButtonsClickWhenReleasedOverThemselves) {
    const int space = SDL_SCANCODE_SPACE;
    // Points in the panel: 20, 10 lies inside every visible push button;
    // 150, 100 is bare dialog; 60, 135 is where the hidden "COLORS" would be.
    const ButtonCase cases[] = {
        {"a click on plane-wave x, inside the group box",
         1047,
         onControl,
         {{press, 20, 10}, {release, 20, 10}},
         {1047},
         1047},
        {"a click on plane-wave z", 1034, onControl, {{press, 20, 10}, {release, 20, 10}}, {1034}, 1034},
        {"a click on efecto cortinado", 1020, onControl, {{press, 20, 10}, {release, 20, 10}}, {1020}, 1020},
        {"two clicks",
         1047,
         onControl,
         {{press, 20, 10}, {release, 20, 10}, {press, 30, 12}, {release, 30, 12}},
         {1047, 1047},
         1047},
        {"released beside the button", 1047, onControl, {{press, 20, 10}, {release, 20, -8}}, {}, 1047},
        {"released outside the dialog", 1047, onControl, {{press, 20, 10}, {release, -300, -40}}, {}, 1047},
        {"dragged off and back",
         1047,
         onControl,
         {{press, 20, 10}, {moveTo, 200, 10}, {moveTo, 21, 11}, {release, 21, 11}},
         {1047},
         1047},
        {"dragged off and released there",
         1047,
         onControl,
         {{press, 20, 10}, {moveTo, 200, 10}, {release, 200, 10}},
         {},
         1047},
        {"pressed on the dialog, released on a button",
         1047,
         onControl,
         {{press, -10, 100}, {moveTo, 20, 10}, {release, 20, 10}},
         {},
         1020},
        {"the right button", 1047, onControl, {{rightPress, 20, 10}, {rightRelease, 20, 10}}, {}, 1020},
        {"bare dialog", 0, onDialog, {{press, 150, 100}, {release, 150, 100}}, {}, 1020},
        {"where the hidden COLORS button lies", 0, onDialog, {{press, 60, 135}, {release, 60, 135}}, {}, 1020},
        {"the group box's frame", 0, onDialog, {{press, 5, 60}, {release, 5, 60}}, {}, 1020},
        {"a framed text", 0, onDialog, {{press, 180, 40}, {release, 180, 40}}, {}, 1020},
        // The keys as Wine's user32 takes them with no dialog manager in the loop.
        {"space on the button with the focus", 0, onDialog, {{keyDown, space, 0}, {keyUp, space, 0}}, {1020}, 1020},
        {"space held while the window loses the keyboard, released when it is back",
         0,
         onDialog,
         {{keyDown, space, 0}, {keyboardTaken, space, 0}, {keyboardGiven, 0, 0}, {keyUp, space, 0}},
         {},
         1020},
        {"Tab, an arrow, Return and Escape",
         0,
         onDialog,
         {{keyDown, SDL_SCANCODE_TAB, 0},
          {keyUp, SDL_SCANCODE_TAB, 0},
          {keyDown, SDL_SCANCODE_DOWN, 0},
          {keyUp, SDL_SCANCODE_DOWN, 0},
          {keyDown, SDL_SCANCODE_RETURN, 0},
          {keyUp, SDL_SCANCODE_RETURN, 0},
          {keyDown, SDL_SCANCODE_ESCAPE, 0},
          {keyUp, SDL_SCANCODE_ESCAPE, 0}},
         {},
         1020},
    };
    for (const ButtonCase &c : cases) {
        SCOPED_TRACE(c.what);
        HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
        ASSERT_NE(panel, nullptr);
        pumpMessages();
        clearMessageLog();
        RECT origin = c.anchor == onControl ? rectInDialog(GetDlgItem(panel, c.target)) : RECT{0, 0, 0, 0};
        for (const MouseStep &step : c.steps)
            injectMouse(panel, {step.action, origin.left + step.x, origin.top + step.y});
        std::vector<ExpectedMessage> expected;
        for (int id : c.commands)
            expected.push_back({WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(panel, id), 0});
        EXPECT_TRUE(matchesSequence(expected.data(), expected.size(), loggedOfKind(WM_COMMAND)));
        EXPECT_EQ(GetCapture(), nullptr) << "the capture ends with the press";
        EXPECT_EQ(GetFocus(), GetDlgItem(panel, c.focus)) << "a pressed button takes the focus";
        DestroyWindow(panel);
    }
}

TEST_F(Controls, ADisabledButtonTakesNoClick) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    HWND button = GetDlgItem(panel, 1047);
    EnableWindow(button, FALSE);
    pumpMessages();
    clearMessageLog();
    RECT r = rectInDialog(button);
    injectMouse(panel, {press, r.left + 20, r.top + 10});
    injectMouse(panel, {release, r.left + 20, r.top + 10});
    EXPECT_TRUE(loggedOfKind(WM_COMMAND).empty());
}

TEST_F(Controls, APressEndsWhenTheCaptureIsTakenAway) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    RECT r = rectInDialog(GetDlgItem(panel, 1047));
    injectMouse(panel, {press, r.left + 20, r.top + 10});
    ASSERT_EQ(GetCapture(), GetDlgItem(panel, 1047));
    SetCapture(panel);  // someone else takes the mouse
    ReleaseCapture();
    clearMessageLog();
    injectMouse(panel, {release, r.left + 20, r.top + 10});
    EXPECT_TRUE(loggedOfKind(WM_COMMAND).empty());
}

// ---- Scroll bars -------------------------------------------------------------

// Where a step points on a scroll bar, worked out from its layout.
enum BarSpot { upArrow, downArrow, aboveThumb, belowThumb, thumb, barTop, barBottom, aboveBar, farAside };

struct BarStep {
    MouseAction action;
    BarSpot spot;
};

struct ScrollCase {
    const char *what;
    std::vector<BarStep> steps;
    std::vector<std::pair<WORD, WORD>> scrolls;  // (code, position) of each WM_VSCROLL
};

// The point of a spot on the bar, in the dialog's client area.
POINT spotOnBar(HWND bar, BarSpot spot) {
    RECT r = rectInDialog(bar);
    int w = r.right - r.left, h = r.bottom - r.top;
    int minPos, maxPos;
    GetScrollRange(bar, SB_CTL, &minPos, &maxPos);
    QvScrollLayout layout = qvScrollBarLayout(h, minPos, maxPos, GetScrollPos(bar, SB_CTL));
    int y = 0, x = w / 2;
    switch (spot) {
    case upArrow:
        y = layout.arrowSize / 2;
        break;
    case downArrow:
        y = h - layout.arrowSize / 2 - 1;
        break;
    case aboveThumb:
        y = (layout.arrowSize + layout.thumbTop) / 2;
        break;
    case belowThumb:
        y = (layout.thumbTop + layout.thumbSize + h - layout.arrowSize) / 2;
        break;
    case thumb:
        y = layout.thumbTop + layout.thumbSize / 2;
        break;
    case barTop:
        y = 0;
        break;
    case barBottom:
        y = h - 1;
        break;
    case aboveBar:
        y = -w;
        break;  // above the bar, near enough to keep the thumb
    case farAside:
        x = 20 * w, y = 0;
        break;  // far off sideways: the thumb goes back
    }
    return POINT{r.left + x, r.top + y};
}

// A bar's thumb starts at 128 of 0..255: its drops and drags give these.
const WORD start = 128, top = 0, bottom = 255;

TEST_F(Controls, ScrollBarsReportEachPartAsWindowsDoes) {
    const ScrollCase cases[] = {
        {"the up arrow", {{press, upArrow}, {release, upArrow}}, {{SB_LINEUP, 0}, {SB_ENDSCROLL, 0}}},
        {"the down arrow", {{press, downArrow}, {release, downArrow}}, {{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}},
        {"the trough above the thumb",
         {{press, aboveThumb}, {release, aboveThumb}},
         {{SB_PAGEUP, 0}, {SB_ENDSCROLL, 0}}},
        {"the trough below the thumb",
         {{press, belowThumb}, {release, belowThumb}},
         {{SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}},
        {"an arrow held while the pointer leaves",
         {{press, upArrow}, {moveTo, farAside}, {release, farAside}},
         {{SB_LINEUP, 0}, {SB_ENDSCROLL, 0}}},
        {"the thumb dragged to the top",
         {{press, thumb}, {moveTo, barTop}, {release, barTop}},
         {{SB_THUMBTRACK, top}, {SB_THUMBPOSITION, top}, {SB_ENDSCROLL, 0}}},
        {"the thumb dragged to the bottom",
         {{press, thumb}, {moveTo, barBottom}, {release, barBottom}},
         {{SB_THUMBTRACK, bottom}, {SB_THUMBPOSITION, bottom}, {SB_ENDSCROLL, 0}}},
        {"the thumb dragged up past the bar",
         {{press, thumb}, {moveTo, aboveBar}, {release, aboveBar}},
         {{SB_THUMBTRACK, top}, {SB_THUMBPOSITION, top}, {SB_ENDSCROLL, 0}}},
        {"the thumb dragged down and back up",
         {{press, thumb}, {moveTo, barBottom}, {moveTo, barTop}, {release, barTop}},
         {{SB_THUMBTRACK, bottom}, {SB_THUMBTRACK, top}, {SB_THUMBPOSITION, top}, {SB_ENDSCROLL, 0}}},
        {"the thumb dragged far aside snaps back",
         {{press, thumb}, {moveTo, barTop}, {moveTo, farAside}, {release, farAside}},
         {{SB_THUMBTRACK, top}, {SB_THUMBTRACK, start}, {SB_THUMBPOSITION, start}, {SB_ENDSCROLL, 0}}},
        {"the thumb pressed and let go",
         {{press, thumb}, {release, thumb}},
         {{SB_THUMBPOSITION, start}, {SB_ENDSCROLL, 0}}},
        {"the right button", {{rightPress, thumb}, {rightRelease, barTop}}, {}},
    };
    dialogBehaviour().setUpColourBars = true;
    for (const ScrollCase &c : cases) {
        SCOPED_TRACE(c.what);
        HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0);
        ASSERT_NE(dialog, nullptr);
        HWND bar = GetDlgItem(dialog, 1039);
        pumpMessages();
        clearMessageLog();
        for (const BarStep &step : c.steps) {
            POINT p = spotOnBar(bar, step.spot);
            injectMouse(dialog, {step.action, (int)p.x, (int)p.y});
        }
        std::vector<ExpectedMessage> expected;
        for (const auto &s : c.scrolls) expected.push_back({WM_VSCROLL, MAKEWPARAM(s.first, s.second), (LPARAM)bar, 0});
        EXPECT_TRUE(matchesSequence(expected.data(), expected.size(), loggedOfKind(WM_VSCROLL)));
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), start) << "only SetScrollPos moves the thumb";
        EXPECT_EQ(GetCapture(), nullptr);
        DestroyWindow(dialog);
    }
}

// A clock the next test moves by hand: timers come due exactly when it says.
Uint64 handClockMs = 1000;
Uint64 handClock() {
    return handClockMs;
}

TEST_F(Controls, AHeldArrowRepeatsWhileThePointerStaysOnIt) {
    dialogBehaviour().setUpColourBars = true;
    qv.clockMs = handClock;
    HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND bar = GetDlgItem(dialog, 1041);
    pumpMessages();
    clearMessageLog();
    struct Step {
        const char *what;
        Uint64 advanceMs;  // the clock moves on, then due timers are delivered
        BarSpot pointer;   // where the pointer is (moved there first)
        bool release;      // the button comes up at the end of the step
    } steps[] = {
        {"pressed", 0, downArrow, false},
        {"not yet: the first repeat waits longer", 150, downArrow, false},
        {"the first repeat", 60, downArrow, false},
        {"the next, sooner", 50, downArrow, false},
        {"the pointer leaves the arrow: no repeat", 50, farAside, false},
        {"back on it: repeats again", 50, downArrow, false},
        {"released", 0, downArrow, true},
        {"nothing after the release", 500, downArrow, false},
    };
    handClockMs = 1000;
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; i++) {
        const Step &step = steps[i];
        SCOPED_TRACE(step.what);
        handClockMs += step.advanceMs;
        POINT p = spotOnBar(bar, step.pointer);
        injectMouse(dialog, {i == 0 ? press : moveTo, (int)p.x, (int)p.y});
        if (step.release) injectMouse(dialog, {release, (int)p.x, (int)p.y});
    }
    const ExpectedMessage scrolls[] = {
        {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), (LPARAM)bar, 0},  // pressed
        {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), (LPARAM)bar, 0},  // first repeat
        {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), (LPARAM)bar, 0},  // next
        {WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), (LPARAM)bar, 0},  // back on it
        {WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), (LPARAM)bar, 0},
    };
    EXPECT_TRUE(matchesSequence(scrolls, loggedOfKind(WM_VSCROLL)));
}

TEST_F(Controls, TheThumbFollowsWhenTheProgramMovesIt) {
    dialogBehaviour().setUpColourBars = true;
    dialogBehaviour().followThumb = true;
    HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND bar = GetDlgItem(dialog, 1045);  // the tall alpha bar
    POINT grab = spotOnBar(bar, thumb);
    injectMouse(dialog, {press, (int)grab.x, (int)grab.y});
    // Live positions while the thumb moves down ten pixels at a time.
    int last = start;
    for (int dy = 10; dy <= 60; dy += 10) {
        injectMouse(dialog, {moveTo, (int)grab.x, (int)grab.y + dy});
        int now = GetScrollPos(bar, SB_CTL);
        EXPECT_GT(now, last) << "after " << dy << " pixels";
        last = now;
    }
    POINT bottomSpot = spotOnBar(bar, barBottom);
    injectMouse(dialog, {moveTo, (int)grab.x, (int)bottomSpot.y});
    injectMouse(dialog, {release, (int)grab.x, (int)bottomSpot.y});
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), bottom);
    std::vector<LoggedMessage> scrolls = loggedOfKind(WM_VSCROLL);
    ASSERT_GE(scrolls.size(), 3u);
    EXPECT_EQ(scrolls[scrolls.size() - 2].wParam, MAKEWPARAM(SB_THUMBPOSITION, bottom));
}

TEST_F(Controls, ScrollRangeAndPositionCallsKeepThePositionInRange) {
    dialogBehaviour().setUpColourBars = true;
    HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    HWND bar = GetDlgItem(dialog, 1040);
    HWND button = GetDlgItem(dialog, IDOK);
    struct Step {
        const char *what;
        int minPos, maxPos;  // SetScrollRange first, unless minPos > 1000
        int setPos;          // then SetScrollPos
        int returned;        // what SetScrollPos returned: the old position
        int pos, rangeMin, rangeMax;
    } steps[] = {
        {"inside the range", 2000, 0, 10, 128, 10, 0, 255},
        {"above the range", 2000, 0, 300, 10, 255, 0, 255},
        {"below the range", 2000, 0, -5, 255, 0, 0, 255},
        {"a narrower range pulls the position in", 50, 60, 55, 50, 55, 50, 60},
        {"a reversed range collapses", 20, 10, 99, 20, 20, 20, 20},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(s.what);
        if (s.minPos <= 1000) {
            EXPECT_TRUE(SetScrollRange(bar, SB_CTL, s.minPos, s.maxPos, TRUE));
        }
        EXPECT_EQ(SetScrollPos(bar, SB_CTL, s.setPos, TRUE), s.returned);
        EXPECT_EQ(GetScrollPos(bar, SB_CTL), s.pos);
        int lo = -1, hi = -1;
        EXPECT_TRUE(GetScrollRange(bar, SB_CTL, &lo, &hi));
        EXPECT_EQ(lo, s.rangeMin);
        EXPECT_EQ(hi, s.rangeMax);
    }
    int lo, hi;
    EXPECT_FALSE(SetScrollRange(bar, SB_CTL, -2000000000, 2000000000, FALSE)) << "wider than a LONG";
    EXPECT_EQ(SetScrollPos(button, SB_CTL, 5, FALSE), 0) << "not a scroll bar";
    EXPECT_EQ(GetScrollPos(button, SB_CTL), 0);
    EXPECT_FALSE(SetScrollRange(button, SB_CTL, 0, 5, FALSE));
    EXPECT_FALSE(GetScrollRange(button, SB_CTL, &lo, &hi));
    EXPECT_EQ(SetScrollPos(bar, SB_VERT, 5, FALSE), 0) << "a control has no window scroll bars";
    EXPECT_FALSE(GetScrollRange(bar, SB_CTL, nullptr, &hi));
    DestroyWindow(dialog);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0) << "a destroyed bar";
    EXPECT_EQ(SetScrollPos(nullptr, SB_CTL, 1, FALSE), 0);
}

TEST(ScrollBarGeometry, ArrowsThumbAndTroughShareTheBar) {
    // Arrows and thumb are 17 pixels tall (SM_CYVSCROLL, SM_CYVTHUMB at 96
    // dpi) whatever the bar's width; Windows puts the thumbs of the colours
    // dialog's bars where these rows do.
    struct Case {
        int height, minPos, maxPos, pos;
        int arrowSize, thumbTop, thumbSize;
    } cases[] = {
        {140, 0, 255, 0, 17, 17, 17},    {140, 0, 255, 255, 17, 106, 17},
        {140, 0, 255, 128, 17, 62, 17},  // 89 pixels of travel * 128 / 255, rounded
        {138, 0, 255, 128, 17, 61, 17},  {132, 0, 255, 128, 17, 58, 17},
        {210, 0, 255, 128, 17, 97, 17},  {210, 0, 255, 255, 17, 176, 17},
        {140, 0, 255, 999, 17, 106, 17},                             // positions beyond the range stand at its end
        {140, 10, 20, 5, 17, 17, 17},    {140, 0, 0, 0, 17, 17, 0},  // an empty range shows no thumb
        {50, 0, 255, 0, 17, 17, 0},                                  // no room for the thumb
        {30, 0, 255, 0, 15, 15, 0},                                  // arrows squeezed to half the bar each
        {0, 0, 255, 0, 0, 0, 0},                                     // a bar of no size
        {-5, 0, 255, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        QvScrollLayout l = qvScrollBarLayout(c.height, c.minPos, c.maxPos, c.pos);
        EXPECT_EQ(l.arrowSize, c.arrowSize) << c.height << " pos " << c.pos;
        EXPECT_EQ(l.thumbTop, c.thumbTop) << c.height << " pos " << c.pos;
        EXPECT_EQ(l.thumbSize, c.thumbSize) << c.height << " pos " << c.pos;
    }
}

TEST(ScrollBarGeometry, HitTestsAndThumbValues) {
    QvScrollLayout l = qvScrollBarLayout(140, 0, 255, 128);  // thumb at 62..78
    struct Hit {
        int y;
        QvScrollPart part;
    } hits[] = {
        {-1, QV_SCROLL_NONE},       {0, QV_SCROLL_LINE_UP},     {16, QV_SCROLL_LINE_UP},    {17, QV_SCROLL_PAGE_UP},
        {61, QV_SCROLL_PAGE_UP},    {62, QV_SCROLL_THUMB},      {78, QV_SCROLL_THUMB},      {79, QV_SCROLL_PAGE_DOWN},
        {122, QV_SCROLL_PAGE_DOWN}, {123, QV_SCROLL_LINE_DOWN}, {139, QV_SCROLL_LINE_DOWN}, {140, QV_SCROLL_NONE},
    };
    for (const Hit &h : hits) EXPECT_EQ(qvScrollBarHitTest(l, 140, h.y), h.part) << "y " << h.y;

    struct Value {
        int thumbTop, value;
    } values[] = {{17, 0}, {0, 0}, {106, 255}, {500, 255}, {62, 129}, {61, 126}, {18, 3}};
    for (const Value &v : values)
        EXPECT_EQ(qvScrollBarValueAt(l, 140, 0, 255, v.thumbTop), v.value) << "thumb at " << v.thumbTop;
    QvScrollLayout noThumb = qvScrollBarLayout(40, 0, 255, 0);
    EXPECT_EQ(qvScrollBarValueAt(noThumb, 40, 7, 255, 30), 7) << "no travel: the minimum";
    EXPECT_EQ(qvScrollBarHitTest(noThumb, 40, 25), QV_SCROLL_LINE_DOWN);
    EXPECT_EQ(qvScrollBarHitTest(noThumb, 40, 20), QV_SCROLL_NONE) << "the trough with no thumb";
}

// ---- Static text -----------------------------------------------------------

TEST(StaticText, MeasuresAsGetTextExtentPoint32Does) {
    const QvFont *font = qvOpenFont("Arial", 9);
    ASSERT_NE(font, nullptr);
    // Widths Windows' GDI gives for Arial 9 (Liberation Sans) at 96 dpi: each
    // character's whole-pixel advance, summed.
    struct Case {
        const char *text;
        int width;
    } cases[] = {
        {"MOBILE WAVES", 91},
        {"LEFT-MOUSE- TRACK- BALL  ROTATION               RIGHT-MOUSE  MOBILE LIGHT", 448},
        {"OPTIONS - SOFT BY OSTREVAN", 182},
        {"efecto cortinado", 87},
        {"smooth->flat", 67},
        {"", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(qvTextWidth(font, c.text, strlen(c.text)), c.width) << c.text;
}

TEST(StaticText, BreaksAsDrawTextBreaksWords) {
    const QvFont *font = qvOpenFont("Arial", 9);
    ASSERT_NE(font, nullptr);
    auto width = [font](const char *text) { return qvTextWidth(font, text, strlen(text)); };
    struct Case {
        const char *text;
        int width;
        std::vector<std::string> lines;
    } cases[] = {
        {"one two", width("one two"), {"one two"}},
        {"one two", width("one two") - 1, {"one ", "two"}},  // the blank stays with its line
        {"first\nsecond", 1000, {"first", "second"}},
        {"a-b c", width("a-b") - 1, {"a-", "b c"}},  // a hyphen ends a line too
        // The blank that does not fit goes, the blanks after it begin the next line.
        {"ab  cd", width("ab ") - 1, {"ab", " cd"}},
        {"longwordlongword", width("longword"), {"longword", "longword"}},  // no blank or hyphen: cut where full
        {"ab", 0, {"a", "b"}},
        {"", 1000, {}},
        // The panel's framed texts in the 87 pixels inside their edges, line
        // for line as Windows' DrawText breaks them.
        {"LEFT-MOUSE- TRACK- BALL  ROTATION               RIGHT-MOUSE  MOBILE LIGHT",
         87,
         {"LEFT-MOUSE- ", "TRACK- BALL  ", "ROTATION        ", "      RIGHT-", "MOUSE  ", "MOBILE LIGHT"}},
        {"MOBILE WAVES  BY   ILUMINATION NORMAL MAP", 87, {"MOBILE ", "WAVES  BY   ", "ILUMINATION ", "NORMAL MAP"}},
    };
    for (const Case &c : cases) {
        std::vector<std::string> lines = qvBreakText(font, c.text, c.width);
        EXPECT_EQ(lines, c.lines) << "\"" << c.text << "\" in " << c.width;
    }
}

}  // namespace
