// The dialog manager: dialog units, creation from the program's templates,
// placement, the default handling around the dialog procedure, EndDialog,
// GetDlgItem, painting, and a thousand dialogs opened and closed.
#include "dialog_fixture.h"

#include <cstring>

namespace {

using DialogManager = DialogSuite;

TEST(DialogUnits, TurnIntoPixelsAsMapDialogRectDoes) {
    struct Case {
        int x, y, cx, cy, baseX, baseY;
        RECT pixels;
    } cases[] = {
        {0, 0, 4, 8, 7, 14, {0, 0, 7, 14}},
        {350, 16, 135, 111, 7, 14, {613, 28, 849, 222}},  // halves round away from zero
        {8, 14, 57, 14, 7, 14, {14, 25, 114, 50}},
        {8, 5, 10, 66, 9, 17, {18, 11, 41, 151}},
        {1, 1, 1, 1, 6, 13, {2, 2, 4, 4}},      // 1.5 -> 2, 1.625 -> 2
        {-2, -3, 4, 8, 7, 14, {-4, -5, 3, 9}},  // -3.5 -> -4, -5.25 -> -5
        {100, 100, 0, 0, 9, 17, {225, 213, 225, 213}},
        {5, 5, 5, 5, 0, 0, {0, 0, 0, 0}},  // no font at all
    };
    for (const Case &c : cases) {
        RECT r = qvDialogUnitsToPixels(c.x, c.y, c.cx, c.cy, c.baseX, c.baseY);
        EXPECT_EQ(r.left, c.pixels.left) << c.x << "," << c.y;
        EXPECT_EQ(r.top, c.pixels.top) << c.x << "," << c.y;
        EXPECT_EQ(r.right, c.pixels.right) << c.x << "," << c.y;
        EXPECT_EQ(r.bottom, c.pixels.bottom) << c.x << "," << c.y;
    }
}

TEST_F(DialogManager, EachTemplateGetsItsFontsUnitsClientSizeAndFocus) {
    struct Case {
        const char *name;
        int baseX, baseY;  // the font's average width and height
        int clientWidth, clientHeight;
        size_t controls;
        int focus;  // the first tab stop, which the dialog manager gives the focus
    } cases[] = {
        {"ColorScrDlg", 7, 14, 236, 194, 16, 1020},
        {"ColorScrDlg1", 7, 14, 196, 156, 8, IDOK},
        {"ColorScrDlg3", 9, 17, 194, 370, 10, IDOK},
    };
    // The window system takes the input focus from the dialog and gives it back.
    auto windowFocus = [](HWND dialog, Uint8 kind) {
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = qvWindowFromHandle(dialog)->native.sdlWindowId;
        event.window.event = kind;
        SDL_PushEvent(&event);
        pumpMessages();
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HWND dialog = CreateDialogParamA(nullptr, c.name, nullptr, recordingDlgProc, 0);
        ASSERT_NE(dialog, nullptr);
        QvWindow *win = qvWindowFromHandle(dialog);
        QvDialog *record = qvDialogOf(win);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->baseX, c.baseX);
        EXPECT_EQ(record->baseY, c.baseY);
        RECT client;
        ASSERT_TRUE(GetClientRect(dialog, &client));
        EXPECT_EQ(client.right, c.clientWidth);
        EXPECT_EQ(client.bottom, c.clientHeight);
        EXPECT_EQ(win->children.size(), c.controls);
        char caption[64] = {};
        GetWindowTextA(dialog, caption, sizeof caption);
        EXPECT_EQ(std::string(caption), qvFindDialogTemplate(c.name)->caption);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.focus));
        windowFocus(dialog, SDL_WINDOWEVENT_FOCUS_LOST);
        EXPECT_EQ(GetFocus(), nullptr) << "another window has the input focus";
        windowFocus(dialog, SDL_WINDOWEVENT_FOCUS_GAINED);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, c.focus)) << "the dialog's focus comes back";
        DestroyWindow(dialog);
        EXPECT_EQ(GetFocus(), nullptr) << "a destroyed control has no focus";
    }
}

TEST_F(DialogManager, ControlsStandWhereTheTemplatePutsThemAndHiddenOnesStayHidden) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    struct Case {
        int id;
        const char *className;
        const char *text;
        bool visible;
        RECT pixels;  // in the panel's client area
    } cases[] = {
        {1047, "BUTTON", "plane-wave x", true, {14, 25, 114, 50}},
        {1034, "BUTTON", "plane-wave z", true, {14, 56, 116, 82}},
        {1020, "BUTTON", "efecto cortinado", true, {16, 91, 118, 116}},
        {1038, "BUTTON", "COLORS", false, {25, 124, 104, 154}},
        {1032, "BUTTON", "OPTIONS", false, {4, 131, 85, 161}},
        {1021, "BUTTON", "smooth->flat", false, {4, 131, 85, 159}},
        {1048, "BUTTON", "ajedrezado", false, {4, 161, 104, 184}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        HWND control = GetDlgItem(panel, c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(GetWindowLongA(control, GWL_ID), c.id);
        EXPECT_STREQ(qvWindowFromHandle(control)->cls->name.c_str(), c.className);
        char text[64] = {};
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(IsWindowVisible(control) != FALSE, c.visible);
        RECT r = rectInDialog(control);
        EXPECT_EQ(r.left, c.pixels.left);
        EXPECT_EQ(r.top, c.pixels.top);
        EXPECT_EQ(r.right, c.pixels.right);
        EXPECT_EQ(r.bottom, c.pixels.bottom);
    }
    // What a person sees: the three buttons, the group box, two framed texts, the icon.
    int visibleButtons = 0, visibleOthers = 0;
    for (HWND child : qvWindowFromHandle(panel)->children) {
        QvWindow *c = qvWindowFromHandle(child);
        if (!IsWindowVisible(child)) continue;
        bool pushButton = c->cls->name == "BUTTON" && (c->style & 0x0F) != BS_GROUPBOX;
        (pushButton ? visibleButtons : visibleOthers)++;
    }
    EXPECT_EQ(visibleButtons, 3);
    EXPECT_EQ(visibleOthers, 4);
}

TEST_F(DialogManager, TheIconStaticTakesTheSizeOfTheIconEdgesIncluded) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    HWND icon = nullptr;
    for (HWND child : qvWindowFromHandle(panel)->children)
        if ((qvWindowFromHandle(child)->style & 0x1F) == SS_ICON) icon = child;
    ASSERT_NE(icon, nullptr);
    // 22, 86 dialog units; the window is the icon's 32 pixels, and the client
    // area what the 2-pixel client edge and 1-pixel static edge leave.
    RECT window;
    GetWindowRect(icon, &window);
    POINT corner = {window.left, window.top};
    ScreenToClient(panel, &corner);
    EXPECT_EQ(corner.x, 39);
    EXPECT_EQ(corner.y, 151);
    EXPECT_EQ(window.right - window.left, 32);
    EXPECT_EQ(window.bottom - window.top, 32);
    RECT client = rectInDialog(icon);
    EXPECT_EQ(client.left, 42);
    EXPECT_EQ(client.top, 154);
    EXPECT_EQ(client.right - client.left, 26);
    EXPECT_EQ(client.bottom - client.top, 26);
    EXPECT_EQ(GetWindowLongA(icon, GWL_EXSTYLE), WS_EX_NOPARENTNOTIFY | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    EXPECT_EQ(GetWindowLongA(icon, GWL_STYLE) & WS_BORDER, 0) << "the border became the client edge";
}

TEST_F(DialogManager, InitDialogComesFirstAndBeforeTheDialogShows) {
    const LPARAM initParam = 0x5A17;
    HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg1", nullptr, recordingDlgProc, initParam);
    ASSERT_NE(dialog, nullptr);
    HWND firstTabStop = GetDlgItem(dialog, IDOK);
    const ExpectedMessage creation[] = {
        {WM_INITDIALOG, (WPARAM)firstTabStop, initParam, 0},
        {WM_SHOWWINDOW, TRUE, 0, 0},
        {WM_SIZE, SIZE_RESTORED, MAKELPARAM(196, 156), optionalRow},
    };
    EXPECT_TRUE(matchesSequence(creation, messageLog(), dialog));
    EXPECT_FALSE(dialogBehaviour().visibleAtInit);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(DialogManager, ADialogDestroyedByItsInitDialogIsNotReturned) {
    dialogBehaviour().destroyOnInit = true;
    size_t windowsBefore = qv.windows.size();
    EXPECT_EQ(CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0), nullptr);
    EXPECT_EQ(qv.windows.size(), windowsBefore);
}

TEST_F(DialogManager, MissingTemplatesGiveNoDialog) {
    size_t windowsBefore = qv.windows.size();
    LPCSTR names[] = {"ColorScrDlg2", "", nullptr, MAKEINTRESOURCEA(32512)};
    for (LPCSTR name : names) EXPECT_EQ(CreateDialogParamA(nullptr, name, nullptr, recordingDlgProc, 0), nullptr);
    HWND stale = CreateDialogParamA(nullptr, "ColorScrDlg1", nullptr, recordingDlgProc, 0);
    DestroyWindow(stale);
    EXPECT_EQ(CreateDialogParamA(nullptr, "ColorScrDlg", stale, recordingDlgProc, 0), nullptr)
        << "an owner that is no longer a window";
    EXPECT_EQ(qv.windows.size(), windowsBefore);
    EXPECT_EQ(loggedOfKind(WM_INITDIALOG).size(), 1u) << "only the one dialog made is initialised";
}

TEST_F(DialogManager, ADialogIsPlacedFromItsOwnersClientAreaOrFromTheScreen) {
    registerRecordingClass("DialogOwner", 0);
    HWND owner = CreateWindowExA(0, "DialogOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 400, 300,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    POINT ownerClient = {0, 0};
    ClientToScreen(owner, &ownerClient);
    struct Case {
        const char *name;
        HWND owner;
        POINT fromOrigin;  // where the dialog's frame goes, in pixels from the origin
    } cases[] = {
        {"ColorScrDlg", owner, {613, 28}},      // 350, 16 units of Arial 9
        {"ColorScrDlg1", nullptr, {350, 245}},  // 200, 140 units
        {"ColorScrDlg3", nullptr, {225, 213}},  // 100, 100 units of Arial 11
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        HWND dialog = CreateDialogParamA(nullptr, c.name, c.owner, recordingDlgProc, 0);
        ASSERT_NE(dialog, nullptr);
        RECT frame;
        ASSERT_TRUE(GetWindowRect(dialog, &frame));
        POINT origin = c.owner ? ownerClient : POINT{0, 0};
        EXPECT_EQ(frame.left, origin.x + c.fromOrigin.x);
        EXPECT_EQ(frame.top, origin.y + c.fromOrigin.y);
        EXPECT_EQ(GetParent(dialog), c.owner);
        DestroyWindow(dialog);
    }
}

// ---- Default handling ------------------------------------------------------

TEST_F(DialogManager, ACloseRequestBecomesTheCancelCommand) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    clearMessageLog();
    SendMessageA(panel, WM_CLOSE, 0, 0);
    pumpMessages();
    const ExpectedMessage closing[] = {
        {WM_CLOSE, 0, 0, 0}, {WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, 0},  // posted: no Cancel button here
    };
    std::vector<LoggedMessage> relevant = loggedOfKind(WM_CLOSE);
    for (const LoggedMessage &m : loggedOfKind(WM_COMMAND)) relevant.push_back(m);
    EXPECT_TRUE(matchesSequence(closing, relevant));
    EXPECT_TRUE(IsWindow(panel)) << "a dialog that ignores Cancel stays open";
    EXPECT_TRUE(IsWindowVisible(panel));

    // The window manager's close request takes the same road.
    clearMessageLog();
    SDL_Event close = {};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = qvWindowFromHandle(panel)->native.sdlWindowId;
    SDL_PushEvent(&close);
    pumpMessages();
    relevant = loggedOfKind(WM_CLOSE);
    for (const LoggedMessage &m : loggedOfKind(WM_COMMAND)) relevant.push_back(m);
    EXPECT_TRUE(matchesSequence(closing, relevant));
    EXPECT_TRUE(IsWindow(panel));
}

TEST_F(DialogManager, WhatTheProcedureHandlesIsNotHandledAgain) {
    struct Case {
        const char *what;
        bool destroyOnClose, handleClose;
        bool stillThere;
        size_t cancelCommands;
    } cases[] = {
        {"returns 0: Cancel follows", false, false, true, 1},
        {"returns 1: nothing follows", false, true, true, 0},
        {"destroys the dialog and returns 0", true, false, false, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        dialogBehaviour().destroyOnClose = c.destroyOnClose;
        dialogBehaviour().handleClose = c.handleClose;
        HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg1", nullptr, recordingDlgProc, 0);
        ASSERT_NE(dialog, nullptr);
        clearMessageLog();
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        pumpMessages();
        EXPECT_EQ(IsWindow(dialog) != FALSE, c.stillThere);
        EXPECT_EQ(loggedOfKind(WM_COMMAND).size(), c.cancelCommands);
        DestroyWindow(dialog);
    }
}

TEST_F(DialogManager, EndDialogHidesAModelessDialogAndDestroyWindowFreesIt) {
    HWND dialog = CreateDialogParamA(nullptr, "ColorScrDlg3", nullptr, recordingDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(EndDialog(dialog, 7));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(qvDialogOf(qvWindowFromHandle(dialog))->result, 7);
    EXPECT_TRUE(DestroyWindow(dialog));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_FALSE(EndDialog(dialog, 0)) << "no longer a window";

    registerRecordingClass("NotADialog", 0);
    HWND plain = CreateWindowExA(0, "NotADialog", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(EndDialog(plain, 0)) << "not a dialog";
    EXPECT_FALSE(EndDialog(nullptr, 0));
}

TEST_F(DialogManager, GetDlgItemFindsControlsHiddenOrNot) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    struct Case {
        int id;
        const char *text;  // null: no such control
    } cases[] = {
        {1020, "efecto cortinado"},
        {1021, "smooth->flat"},
        {1030, "camara ++"},
        {1031, "camara -  -"},
        {1038, "COLORS"},
        {1048, "ajedrezado"},
        {-1, "options"},  // the first control without an id
        {IDOK, nullptr},
        {IDCANCEL, nullptr},
        {0, nullptr},
        {1039, nullptr},
    };
    for (const Case &c : cases) {
        HWND control = GetDlgItem(panel, c.id);
        if (!c.text) {
            EXPECT_EQ(control, nullptr) << c.id;
            continue;
        }
        ASSERT_NE(control, nullptr) << c.id;
        char text[64] = {};
        GetWindowTextA(control, text, sizeof text);
        EXPECT_STREQ(text, c.text);
        EXPECT_EQ(GetParent(control), panel);
    }
    EXPECT_EQ(GetDlgItem(nullptr, 1020), nullptr);
    DestroyWindow(panel);
    EXPECT_EQ(GetDlgItem(panel, 1020), nullptr);
}

TEST_F(DialogManager, HiddenControlsTakeCommandsLikeVisibleOnes) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    clearMessageLog();
    HWND colors = GetDlgItem(panel, 1038);
    ASSERT_FALSE(IsWindowVisible(colors));
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(1038, BN_CLICKED), reinterpret_cast<LPARAM>(colors));
    const ExpectedMessage command[] = {{WM_COMMAND, MAKEWPARAM(1038, BN_CLICKED), (LPARAM)colors, 0}};
    EXPECT_TRUE(matchesSequence(command, messageLog(), panel));
}

// ---- Painting --------------------------------------------------------------

// The colour of one pixel of a surface, as 0xRRGGBB.
Uint32 pixelAt(SDL_Surface *surface, int x, int y) {
    Uint32 raw = 0;
    const Uint8 *p = (const Uint8 *)surface->pixels + y * surface->pitch + x * surface->format->BytesPerPixel;
    memcpy(&raw, p, surface->format->BytesPerPixel);
    Uint8 r, g, b;
    SDL_GetRGB(raw, surface->format, &r, &g, &b);
    return (Uint32)r << 16 | (Uint32)g << 8 | b;
}

// How many pixels of a rectangle are not the dialog's face colour.
int pixelsNotFace(SDL_Surface *surface, RECT r) {
    int count = 0;
    for (int y = r.top; y < r.bottom; y++)
        for (int x = r.left; x < r.right; x++)
            if (pixelAt(surface, x, y) != qvColorFace) count++;
    return count;
}

TEST_F(DialogManager, PaintingDrawsVisibleControlsAndNeverHiddenOnes) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    pumpMessages();  // the first WM_PAINT
    SDL_Surface *surface = SDL_GetWindowSurface(qvWindowFromHandle(panel)->native.sdlWindow);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(surface->w, 236);

    // "COLORS" lies below the group box, clear of every visible control down to the icon.
    RECT colors = rectInDialog(GetDlgItem(panel, 1038));
    RECT clear = {colors.left, colors.top, colors.right, 151};
    EXPECT_EQ(pixelsNotFace(surface, clear), 0) << "a hidden button was drawn";

    // A visible button: lit top edge, dark bottom edge, black text inside.
    RECT button = rectInDialog(GetDlgItem(panel, 1047));
    EXPECT_EQ(pixelAt(surface, (button.left + button.right) / 2, button.top), qvColorHighlight);
    EXPECT_EQ(pixelAt(surface, (button.left + button.right) / 2, button.bottom - 1), qvColorDarkShadow);
    EXPECT_GT(pixelsNotFace(surface, RECT{button.left + 3, button.top + 3, button.right - 3, button.bottom - 3}), 20);

    // The dialog background between the group box and the framed text.
    EXPECT_EQ(pixelAt(surface, 134, 100), qvColorFace);
}

TEST_F(DialogManager, APressedButtonIsRedrawnPushedIn) {
    HWND panel = CreateDialogParamA(nullptr, "ColorScrDlg", nullptr, recordingDlgProc, 0);
    ASSERT_NE(panel, nullptr);
    pumpMessages();
    RECT button = rectInDialog(GetDlgItem(panel, 1047));
    int cx = (button.left + button.right) / 2, cy = (button.top + button.bottom) / 2;
    SDL_Surface *surface = SDL_GetWindowSurface(qvWindowFromHandle(panel)->native.sdlWindow);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(pixelAt(surface, cx, button.top), qvColorHighlight);
    injectMouse(panel, {press, cx, cy});
    surface = SDL_GetWindowSurface(qvWindowFromHandle(panel)->native.sdlWindow);
    EXPECT_EQ(pixelAt(surface, cx, button.top), qvColorFrame) << "pushed: a black frame";
    injectMouse(panel, {release, cx, cy});
    surface = SDL_GetWindowSurface(qvWindowFromHandle(panel)->native.sdlWindow);
    EXPECT_EQ(pixelAt(surface, cx, button.top), qvColorHighlight) << "raised again";
}

// ---- Lifetime --------------------------------------------------------------

TEST_F(DialogManager, AThousandDialogsOpenedAndClosedLeaveNoWindowBehind) {
    dialogBehaviour().destroyOnOk = true;
    dialogBehaviour().destroyOnClose = true;
    size_t windowsBefore = qv.windows.size(), topLevelsBefore = qv.topLevels.size();
    const char *names[] = {"ColorScrDlg1", "ColorScrDlg3"};
    for (int i = 0; i < 1000; i++) {
        HWND dialog = CreateDialogParamA(nullptr, names[i % 2], nullptr, recordingDlgProc, 0);
        ASSERT_NE(dialog, nullptr) << "round " << i;
        if (i % 3 == 0) {
            // "OK" pressed with the mouse: the dialog goes while its button is still handling the click.
            RECT ok = rectInDialog(GetDlgItem(dialog, IDOK));
            MouseStep click[] = {{press, ok.left + 5, ok.top + 5}, {release, ok.left + 5, ok.top + 5}};
            for (const MouseStep &step : click) injectMouse(dialog, step);
        } else if (i % 3 == 1) {
            PostMessageA(dialog, WM_CLOSE, 0, 0);  // the close box
            pumpMessages();
        } else {
            DestroyWindow(dialog);
        }
        ASSERT_FALSE(IsWindow(dialog)) << "round " << i;
        clearMessageLog();
    }
    EXPECT_EQ(qv.windows.size(), windowsBefore);
    EXPECT_EQ(qv.topLevels.size(), topLevelsBefore);
    EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
