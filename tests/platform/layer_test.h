// What the layer's tests share: a fixture that starts from no windows and an
// empty queue, drives timers with a clock the test sets, and helpers to push
// SDL input through the layer's one choke point.
#pragma once

#include "platform/core/qv_internal.h"
#include "support/message_log.h"

#include <gtest/gtest.h>

class LayerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The layer's clock, in ms; timers fall due as the test moves it.
    static Uint64 now;
    static Uint64 fakeClock() { return now; }

    // A hidden top-level window of a recording class, outer size w x h at (x, y).
    HWND makeWindow(const char *className, UINT classStyle, int w, int h, DWORD style = WS_OVERLAPPEDWINDOW, int x = 0,
                    int y = 0);
    // A visible child window of a recording class, id given.
    HWND makeChild(HWND parent, int id, int x, int y, int w, int h, DWORD style = WS_VISIBLE);

    // Pushes SDL events for the window's SDL window (it must be shown).
    void pushMotion(HWND top, int x, int y);
    void pushButton(HWND top, Uint8 button, bool down, int x, int y);
    void pushWindowEvent(HWND top, Uint8 event, int data1 = 0, int data2 = 0);
    // A key at a position, with the US layout's keysym; repeat as SDL's auto-repeat.
    void pushKey(HWND top, SDL_Scancode scancode, bool down, bool repeat = false);

    // Removes, translates and dispatches every message that is there now, as
    // the program's loop does; returns the messages taken, in order (WM_PAINT
    // is dispatched, which validates).
    std::vector<MSG> drainQueue();
};
