// web_startup.cpp: the browser backend's start-up, clock, errors, screen
// and message box.
//
// Implemented: qvbStartup (the page needs nothing before WinMain), the
//   display (the page: always there and seen), the clock (performance.now),
//   sleeping under ASYNCIFY, the backend's error text, the screen (the page's
//   size at start-up), MessageBoxA through the page's own alert and confirm.
// Left out: signals (a page has none), the message box's icon and a third
//   button (Yes/No/Cancel asks OK/Cancel: Cancel is the last button).
#include "../core/qv_internal.h"

#include <emscripten.h>

#include <cmath>

void qvbStartup() {
    qv.backend.lastYieldMs = qvWebNowMs();
}

bool qvbEnsureVideo() { return true; }

bool qvbInvisibleDisplay() { return false; }

uint64_t qvbNowMs() { return static_cast<uint64_t>(std::floor(qvWebNowMs())); }

double qvbPreciseNowMs() { return qvWebNowMs(); }

void qvbDelay(uint32_t ms) {
    qvWebSleep(static_cast<int>(std::min<uint32_t>(ms, 0x7FFFFFFF)));
    qvWebYielded();
}

const char *qvbLastErrorText() { return qv.backend.lastError.c_str(); }

void qvbClearError() { qv.backend.lastError.clear(); }

bool qvbScreenSize(int *width, int *height) {
    int w = 0, h = 0;
    qvweb_screen_size(&w, &h);
    if (w <= 0 || h <= 0) return false;
    *width = w;
    *height = h;
    return true;
}

// ---- Message box -------------------------------------------------------------

// The page's own boxes: 1 for OK (confirm's OK), 0 for Cancel.
EM_JS(int, qvweb_ask, (const char *caption, const char *text, int withCancel), {
    var words = UTF8ToString(caption) + '\n\n' + UTF8ToString(text);
    if (!withCancel) {
        alert(words);
        return 1;
    }
    return confirm(words) ? 1 : 0;
});

int qvbMessageBox(HWND owner, const char *text, const char *caption, UINT type) {
    (void)owner;
    QvMessageBoxButtons buttons = qvMessageBoxButtons(type);
    if (buttons.count < 1) return 0;
    // A drag in progress ends before the box comes up, as on Windows.
    ReleaseCapture();
    bool ok = qvweb_ask(caption ? caption : "", text ? text : "", buttons.count > 1) != 0;
    return ok ? buttons.ids[0] : buttons.ids[buttons.count - 1];
}
