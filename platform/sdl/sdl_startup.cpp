// sdl_startup.cpp: what the C runtime of a Windows program does before
// WinMain, SDL's video start, the backend's clock and its error text
// (qvbStartup, qvbEnsureVideo, qvbNowMs, qvbLastErrorText...).
//
// Implemented: SDL's video start (the hints the layer relies on, set before
//   any window or renderer exists), the refusal to run without a display
//   (SDL quietly falls back to its invisible offscreen driver when there is no
//   DISPLAY: unless that driver was asked for, the program says so in one line
//   and exits with status 1), the layer's clock, the
//   glibc malloc tuning that keeps Mesa's per-frame buffers from going back to
//   the system after every frame, standard streams the program was started
//   without (opened on /dev/null before anything else opens a descriptor),
//   and the program's signal handling put in place before the display is
//   opened (sdl_signals.cpp).
// Left out: STARTUPINFO (the show command is always SW_SHOWDEFAULT), the
//   command line's quoting rules (the arguments are joined by blanks).
#include "../core/qv_internal.h"

#include <fcntl.h>
#include <malloc.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

// glibc serves blocks of at least the mmap threshold with their own mmap and
// unmaps them on free; Mesa allocates and frees large buffers on every draw
// with fog or wireframe, and a buffer unmapped after each frame is faulted in
// afresh in the next (about 10 us a page here). glibc's dynamic threshold
// usually learns to keep such buffers after the first frame: measured with
// bench_frame_heap and the running program (919 x 896 under Xvfb and the
// offscreen driver), frames take no page faults with or without this tuning,
// and peak memory is the same. Fixing the thresholds keeps it so where the
// heuristic gives up (it stops adapting above 32 MB) and when the heap top
// would be trimmed between frames.
// 32 MiB is the largest threshold glibc accepts on 64-bit systems.
const int mmapThresholdBytes = 32 * 1024 * 1024;
const int trimThresholdBytes = 256 * 1024 * 1024;

// Standard streams the program was started without (a launcher's 2>&-) get
// /dev/null: otherwise the next descriptor opened (the X connection) takes
// the number, and any library's message is written into the X protocol.
void openClosedStandardStreams() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; fd++) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened < 0 || opened == fd) continue;
        dup2(opened, fd);
        close(opened);
    }
}

// The hints the layer depends on; they must be set before SDL starts. Those
// its behaviour rests on outweigh the same settings in the environment
// (SDL_FRAMEBUFFER_ACCELERATION=1 would leave the main window black); the
// compositor's is a matter of taste and left to the user.
void setLayerHints() {
    // Software renderers (the dialogs) must not make a hidden GL context
    // current and take the program's.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    // Windows delivers the click that activates a window; SDL drops it.
    SDL_SetHintWithPriority(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1", SDL_HINT_OVERRIDE);
    // Motion and release keep coming, unclamped, while a button is held.
    SDL_SetHintWithPriority(SDL_HINT_MOUSE_AUTO_CAPTURE, "1", SDL_HINT_OVERRIDE);
    // Closing the last window is the program's business (WM_CLOSE), not a quit.
    SDL_SetHintWithPriority(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0", SDL_HINT_OVERRIDE);
    // Leave the desktop's compositor alone.
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
}

// Starts SDL's video; on failure returns false with SDL's error set.
bool startVideo() {
    setLayerHints();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    qv.backend.videoReady = true;
    // Also where video starts on first use (the layer's tests and probes).
    qvWatchXEvents();
    return true;
}

}  // namespace

bool qvEnsureVideo() {
    if (qv.backend.videoReady) return true;
    if (!startVideo()) {
        qvError("cannot start SDL's video");
        return false;
    }
    return true;
}

void qvbStartup() {
    qvStartup();
}

bool qvbEnsureVideo() {
    return qvEnsureVideo();
}

bool qvbInvisibleDisplay() {
    return qvInvisibleVideoDriver();
}

uint64_t qvbNowMs() {
    return SDL_GetTicks64();
}

double qvbPreciseNowMs() {
    return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 /
           static_cast<double>(SDL_GetPerformanceFrequency());
}

void qvbDelay(uint32_t ms) {
    SDL_Delay(ms);
}

const char *qvbLastErrorText() {
    return SDL_GetError();
}

void qvbClearError() {
    SDL_ClearError();
}

bool qvInvisibleVideoDriver() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

void qvStartup() {
    openClosedStandardStreams();
    qvInstallSignalHandlers();
    mallopt(M_MMAP_THRESHOLD, mmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, trimThresholdBytes);

    const char *asked = std::getenv("SDL_VIDEODRIVER");
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    // Nothing to connect to: say so before SDL's drivers print their own
    // complaints while they look for one.
    if (!(asked && *asked) && !(x11 && *x11) && !(wayland && *wayland)) {
        SDL_ClearError();
        qvError("no display to show the window on (DISPLAY is not set)");
        std::exit(1);
    }
    // An X display named and no Wayland one: X alone, so that a display that
    // cannot be opened gives one line, not every other driver's complaints.
    if (!(asked && *asked) && x11 && *x11 && !(wayland && *wayland)) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (!startVideo()) {
        // A driver asked for by name is what failed, whatever DISPLAY says.
        if (asked && *asked)
            qvError("cannot start the video driver \"%s\" (SDL_VIDEODRIVER)", asked);
        else
            qvError("cannot open the display \"%s\"", x11 && *x11 ? x11 : wayland && *wayland ? wayland : "");
        std::exit(1);
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (qvInvisibleVideoDriver() && !(asked && strcasecmp(asked, driver) == 0)) {
        // SDL fell back to its offscreen driver: the display named is not there.
        SDL_ClearError();
        qvError("cannot open the display \"%s\"", x11 && *x11 ? x11 : wayland ? wayland : "");
        std::exit(1);
    }
    // From here on, SIGINT and SIGTERM close the windows, and the program is
    // ended if it does not go by itself.
    qvSignalsDisplayOpen();
    qvWatchDisplayLoss();
}
