// A real main window for the application-shell tests: the program's own
// class and creation, on the layer and a real Mesa context (SDL's offscreen
// driver), with the scene and the layer spy back at their start values.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include "support/window_helpers.h"

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Stops the 80 ms clock, so that only what a test does asks for frames.
    void stopAnimationClock();
    // Handles every message already queued, then forgets the frames they
    // asked for and the calls the spy has counted.
    void settleQueue();

    HINSTANCE instance = nullptr;
    HWND window = nullptr;
};
