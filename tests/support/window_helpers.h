// Small helpers for tests that drive real windows of the layer: a window's
// text, a button click as a dialog reports it, and one pass of the main loop.
#pragma once

#include <windows.h>

#include <string>

// The text of a window, as GetWindowTextA gives it.
std::string windowText(HWND window);

// Clicks a push button of a real dialog: the dialog's procedure gets the
// command with the button's handle, as the dialog manager hands it on.
void clickButton(HWND dialog, int id);

// Dispatches queued messages until the queue is empty, as the main loop
// would. A WM_QUIT found on the way is dropped.
void dispatchPendingMessages();
