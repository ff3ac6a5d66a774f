// The program's start: the main window's class and the main window itself,
// which WinMain (winmain.cpp) makes before it opens the panel and runs the loop.
#pragma once

#include <windows.h>

// Registers the main window's class "OpenGL".
ATOM registerMainClass(HINSTANCE instance);
// Sizes the main window from the screen height and creates it at the top-left
// corner, hidden; its creation sets up all rendering before this returns.
HWND createMainWindow(HINSTANCE instance);
