// Redraw requests and the idle-driven main loop: frames are drawn only when
// the message queue is empty, never inside a message handler.
#pragma once

#include <windows.h>

void requestRedraw(void);
void idleRedraw(void);

// Runs the main loop until GetMessageA returns anything but 1; gives the
// message record's wParam as the exit status.
int runMessageLoop(void);
