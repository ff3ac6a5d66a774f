// A spy on a few of the layer's calls, for the core suite.
//
// core_tests is linked with -Wl,--wrap=<call> for each call below, so every
// call the application makes goes through __wrap_<call> in layer_spy.cpp
// first. The spy counts the calls and passes them on to the real layer; it
// fails them, or describes another pixel format, only when a test asks.
// wglGetProcAddress hands out a spy in front of the layer's
// wglSwapIntervalEXT, which records each interval asked for.
// MessageBoxA never reaches the layer in the suite: a modal box would wait
// for a person. The spy writes one line for it on stderr instead,
//
//     MessageBoxA owner=<expected|other> type=0x10 caption=[Error] text=[...]
//
// with the text exactly as given (a line feed in it shows as a line feed), so
// a death test can match it.
//
// Lives in tests/support, but only core_tests has the --wrap options; a suite
// without them never pulls this file in.
#pragma once

#include <windows.h>

#include <vector>

struct LayerSpy {
    int swapBuffersCalls = 0;
    int realizePaletteCalls = 0;
    int selectPaletteCalls = 0;
    int messageBoxCalls = 0;

    // GetMessageA passes this many calls on, then gives -1 once. -1: never.
    int getMessageCallsBeforeFailure = -1;
    // CreateWindowExA creates nothing.
    bool createWindowFails = false;
    // ChoosePixelFormat finds no format.
    bool choosePixelFormatFails = false;
    // SetPixelFormat gives setPixelFormatResult instead of the layer's answer.
    bool overrideSetPixelFormat = false;
    BOOL setPixelFormatResult = TRUE;
    // DescribePixelFormat describes describedFormat instead of the real one.
    bool overrideDescribedFormat = false;
    PIXELFORMATDESCRIPTOR describedFormat = {};
    // CreatePalette gives no palette.
    bool createPaletteFails = false;
    // The last table handed to CreatePalette.
    int createPaletteCalls = 0;
    WORD paletteVersion = 0;
    WORD paletteCount = 0;
    std::vector<PALETTEENTRY> paletteEntries;
    // wglGetProcAddress finds no wglSwapIntervalEXT, as with a driver
    // without WGL_EXT_swap_control.
    bool swapControlMissing = false;
    // Every interval handed to wglSwapIntervalEXT, and the context current
    // at the last of them.
    std::vector<int> swapIntervals;
    HGLRC contextAtSwapInterval = nullptr;
    // The owner the error box should have, for its stderr line.
    HWND expectedBoxOwner = nullptr;
};

extern LayerSpy layerSpy;

// Back to counting and passing everything on.
void resetLayerSpy();

// A clock for the layer on which time passes only while the program waits:
// a GetMessageA that would sleep moves it on to the next timer due, each
// SwapBuffers by one frame at 60 Hz. Timers then fire at the same points of a run every time,
// however busy the machine. useRealClock goes back to the layer's own clock.
void useWaitingClock();
void useRealClock();
