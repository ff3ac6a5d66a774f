// web_startup.cpp: the browser backend's start-up, clock, errors, screen
// and message box.
//
// Implemented: qvbStartup (the page needs nothing before WinMain), the
//   display (the page: always there and seen), the clock (performance.now),
//   sleeping under ASYNCIFY, the backend's error text, the screen (the page's
//   size at start-up),
//   MessageBoxA as a box of the page's own in the classic look, waited for
//   under ASYNCIFY.
// Left out: signals (a page has none), the message box's icon, other
//   windows' messages while the box is up (their input waits in the queue).
#include "../core/qv_internal.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

void qvbStartup() {
    qv.backend.lastYieldMs = qvWebNowMs();
}

bool qvbEnsureVideo() {
    return true;
}

bool qvbInvisibleDisplay() {
    return false;
}

uint64_t qvbNowMs() {
    return static_cast<uint64_t>(std::floor(qvWebNowMs()));
}

double qvbPreciseNowMs() {
    return qvWebNowMs();
}

void qvbDelay(uint32_t ms) {
    qvWebSleep(static_cast<int>(std::min<uint32_t>(ms, 0x7FFFFFFF)));
    qvWebYielded();
}

const char *qvbLastErrorText() {
    return qv.backend.lastError.c_str();
}

void qvbClearError() {
    qv.backend.lastError.clear();
}

bool qvbScreenSize(int *width, int *height) {
    int w = 0, h = 0;
    qvweb_screen_size(&w, &h);
    if (w <= 0 || h <= 0) return false;
    *width = w;
    *height = h;
    return true;
}

// ---- Message box -------------------------------------------------------------

int qvbMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
    (void)owner;
    QvMessageBoxButtons buttons = qvMessageBoxButtons(type);
    if (buttons.count < 1) return 0;
    // A drag in progress ends before the box comes up, as on Windows.
    ReleaseCapture();
    std::vector<std::string> labels(buttons.labels, buttons.labels + buttons.count);
    int pressed = qvWebMessageBox(caption ? caption : "", text ? text : "", labels);
    qvWebYielded();
    if (pressed >= 0 && pressed < buttons.count) return buttons.ids[pressed];
    // The close box is Cancel where there is one, else the first button.
    for (int i = 0; i < buttons.count; i++)
        if (buttons.ids[i] == IDCANCEL) return IDCANCEL;
    return buttons.ids[0];
}
