// sdl_startup.cpp: the layer's state record, its error reporting, and what
// the C runtime of a Windows program does before WinMain.
//
// Implemented: SDL's video start (the hints the layer relies on, set before
//   any window or renderer exists), the refusal to run without a display
//   (SDL quietly falls back to its invisible offscreen driver when there is no
//   DISPLAY: unless that driver was asked for, the program says so in one line
//   and exits with status 1), the layer's error function, its clock, the
//   glibc malloc tuning that keeps Mesa's per-frame buffers from going back to
//   the system after every frame, and the handling of SIGINT and SIGTERM:
//   SDL turns the first into a close request (SDL_QUIT), and from the signal
//   itself the program gets a few seconds to end before it is ended, a second
//   signal ends it at once, and one that comes while a message box is up ends
//   it with status 1. That holds wherever the main thread is: in a box, or
//   in an X call that waits on a stalled server.
// Left out: STARTUPINFO (the show command is always SW_SHOWDEFAULT), the
//   command line's quoting rules (the arguments are joined by blanks).
#include "sdl_internal.h"

#include <malloc.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

QvLayer qv;

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

const char noDisplayLine[] = "quelvaro: no display to show the window on (DISPLAY is not set)";

// After the first close request by signal, the program has this long to end.
const unsigned quitDeadlineSeconds = 3;

// SDL's own SIGINT and SIGTERM handlers, called after ours.
struct sigaction sdlInterruptAction;
struct sigaction sdlTerminateAction;
volatile sig_atomic_t interruptsSeen = 0;

// Writes a fixed line to stderr from a signal handler.
void writeSignalLine(const char *line, size_t length) {
    ssize_t ignored = write(STDERR_FILENO, line, length);
    (void)ignored;
}

// SIGALRM: a close request by signal has not ended the program in time.
void onQuitDeadline(int) {
    static const char line[] = "quelvaro: the program did not close after the interrupt; ending it\n";
    writeSignalLine(line, sizeof line - 1);
    _exit(1);
}

void onInterrupt(int signalNumber);

// The record that puts onInterrupt in charge of a signal.
struct sigaction interruptAction() {
    struct sigaction ours = {};
    ours.sa_handler = onInterrupt;
    sigemptyset(&ours.sa_mask);
    ours.sa_flags = SA_RESTART;
    return ours;
}

// SIGINT or SIGTERM. Only async-signal-safe calls: the main thread may be
// anywhere, in malloc or inside Xlib.
void onInterrupt(int signalNumber) {
    int savedErrno = errno;
    interruptsSeen = interruptsSeen + 1;
    if (qv.messageBoxUp) {
        static const char line[] = "quelvaro: interrupted while a message box was up; ending\n";
        writeSignalLine(line, sizeof line - 1);
        _exit(1);
    }
    if (interruptsSeen > 1) {
        static const char line[] = "quelvaro: interrupted again; ending at once\n";
        writeSignalLine(line, sizeof line - 1);
        _exit(1);
    }
    alarm(quitDeadlineSeconds);
    // SDL's handler queues the close request (SDL_QUIT) and puts itself back
    // with signal(); ours goes back in front of it.
    struct sigaction *sdlAction = signalNumber == SIGINT ? &sdlInterruptAction : &sdlTerminateAction;
    if (!(sdlAction->sa_flags & SA_SIGINFO) && sdlAction->sa_handler != SIG_DFL) sdlAction->sa_handler(signalNumber);
    struct sigaction ours = interruptAction();
    sigaction(signalNumber, &ours, nullptr);
    errno = savedErrno;
}

// Puts onInterrupt in front of SDL's handler for one signal and keeps SDL's.
// A signal the program was started with ignored stays ignored.
void installInterruptHandler(int signalNumber, struct sigaction *sdlAction) {
    sigaction(signalNumber, nullptr, sdlAction);
    if (!(sdlAction->sa_flags & SA_SIGINFO) && sdlAction->sa_handler == SIG_IGN) return;
    struct sigaction ours = interruptAction();
    sigaction(signalNumber, &ours, nullptr);
}

// Arms the deadline and the second-signal rule from the signals themselves.
void installSignalHandlers() {
    struct sigaction deadline = {};
    deadline.sa_handler = onQuitDeadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
    installInterruptHandler(SIGINT, &sdlInterruptAction);
    installInterruptHandler(SIGTERM, &sdlTerminateAction);
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
    qv.videoReady = true;
    return true;
}

}  // namespace

void qvError(const char *format, ...) {
    char what[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(what, sizeof what, format, args);
    va_end(args);
    std::string line = std::string("quelvaro: ") + what;
    const char *sdlError = SDL_GetError();
    if (sdlError && *sdlError) line += std::string(": ") + sdlError;
    SDL_ClearError();
    qv.lastError = line;
    std::fprintf(stderr, "%s\n", line.c_str());
}

bool qvEnsureVideo() {
    if (qv.videoReady) return true;
    if (!startVideo()) {
        qvError("cannot start SDL's video");
        return false;
    }
    return true;
}

Uint64 qvNowMs() {
    return qv.clockMs ? qv.clockMs() : SDL_GetTicks64();
}

bool qvInvisibleVideoDriver() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

void qvStartup() {
    mallopt(M_MMAP_THRESHOLD, mmapThresholdBytes);
    mallopt(M_TRIM_THRESHOLD, trimThresholdBytes);

    const char *asked = std::getenv("SDL_VIDEODRIVER");
    const char *x11 = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    // Nothing to connect to: say so before SDL's drivers print their own
    // complaints while they look for one.
    if (!(asked && *asked) && !(x11 && *x11) && !(wayland && *wayland)) {
        std::fprintf(stderr, "%s\n", noDisplayLine);
        std::exit(1);
    }
    // An X display named and no Wayland one: X alone, so that a display that
    // cannot be opened gives one line, not every other driver's complaints.
    if (!(asked && *asked) && x11 && *x11 && !(wayland && *wayland)) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (!startVideo()) {
        // A driver asked for by name is what failed, whatever DISPLAY says.
        if (asked && *asked)
            std::fprintf(stderr, "quelvaro: cannot start the video driver \"%s\" (SDL_VIDEODRIVER): %s\n", asked,
                         SDL_GetError());
        else
            std::fprintf(stderr, "quelvaro: cannot open the display \"%s\": %s\n",
                         x11 && *x11           ? x11
                         : wayland && *wayland ? wayland
                                               : "",
                         SDL_GetError());
        std::exit(1);
    }
    const char *driver = SDL_GetCurrentVideoDriver();
    if (qvInvisibleVideoDriver() && !(asked && strcasecmp(asked, driver) == 0)) {
        // SDL fell back to its offscreen driver: the display named is not there.
        std::fprintf(stderr, "quelvaro: cannot open the display \"%s\"\n", x11 && *x11 ? x11 : wayland ? wayland : "");
        std::exit(1);
    }
    // From here on, SIGINT and SIGTERM (SDL_QUIT) close the windows, and the
    // program is ended if it does not go by itself.
    installSignalHandlers();
    qvWatchDisplayLoss();
    qvWatchXEvents();
}
