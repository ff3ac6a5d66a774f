// sdl_signals.cpp: SIGINT and SIGTERM, as a session's end and Ctrl+C send
// them.
//
// Implemented: the program's own handling of both signals, in place before
//   the display is opened. Until the display is open a signal ends the start
//   at once (status 1): the X library may be reading an authority file or a
//   stalled server for ever. From then on the first signal is a close request
//   (SDL_QUIT, taken by the event pump once there is a window to close), and
//   from the signal itself the program gets a few seconds to end before it is
//   ended; a second signal ends it at once, and one that comes while a message
//   box is up ends it with status 1. That holds wherever the main thread is:
//   in a box, or in an X call that waits on a stalled server. SDL's own
//   handlers are never installed (SDL leaves a signal alone that already has
//   one), so SDL_NO_SIGNAL_HANDLERS changes nothing. Threads the layer starts
//   block both signals, so the handler runs on the main thread. A signal the
//   program was started with ignored stays ignored.
// Left out: the other signals keep their default actions.
#include "../core/qv_internal.h"

#include <pthread.h>
#include <unistd.h>

#include <cerrno>

namespace {

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handler needs lock-free atomics");

// After the first close request by signal, the program has this long to end.
const unsigned quitDeadlineSeconds = 3;

// Writes a fixed line to stderr from a signal handler.
template <size_t N>
void writeSignalLine(const char (&line)[N]) {
    ssize_t ignored = write(STDERR_FILENO, line, N - 1);
    (void)ignored;
}

// SIGALRM: a close request by signal has not ended the program in time.
void onQuitDeadline(int) {
    writeSignalLine("quelvaro: the program did not close after the interrupt; ending it\n");
    _exit(1);
}

// SIGINT or SIGTERM. Only async-signal-safe calls: the main thread may be
// anywhere, in malloc or inside Xlib.
void onInterrupt(int) {
    int savedErrno = errno;
    QvSignalState &state = qv.backend.signals;
    int seen = state.interrupts.fetch_add(1) + 1;
    if (state.messageBoxUp) {
        writeSignalLine("quelvaro: interrupted while a message box was up; ending\n");
        _exit(1);
    }
    if (!state.displayOpen) {
        writeSignalLine("quelvaro: interrupted while opening the display; ending\n");
        _exit(1);
    }
    if (seen > 1) {
        writeSignalLine("quelvaro: interrupted again; ending at once\n");
        _exit(1);
    }
    state.closeRequested = true;
    alarm(quitDeadlineSeconds);
    errno = savedErrno;
}

// Sets the action of one signal, unless the program was started with it
// ignored.
void setUnlessIgnored(int signalNumber, void (*handler)(int)) {
    struct sigaction before = {};
    sigaction(signalNumber, nullptr, &before);
    if (!(before.sa_flags & SA_SIGINFO) && before.sa_handler == SIG_IGN) return;
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

// The signals the handlers above take.
sigset_t handledSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGALRM);
    return set;
}

}  // namespace

void qvInstallSignalHandlers() {
    struct sigaction deadline = {};
    deadline.sa_handler = onQuitDeadline;
    sigemptyset(&deadline.sa_mask);
    sigaction(SIGALRM, &deadline, nullptr);
    setUnlessIgnored(SIGINT, onInterrupt);
    setUnlessIgnored(SIGTERM, onInterrupt);
}

void qvSignalsDisplayOpen() {
    qv.backend.signals.displayOpen = true;
}

bool qvTakeSignalledClose() {
    if (qv.topLevels.empty() || !qv.backend.signals.closeRequested) return false;
    qv.backend.signals.closeRequested = false;
    return true;
}

void qvRestoreDefaultSignals() {
    setUnlessIgnored(SIGALRM, SIG_DFL);
    setUnlessIgnored(SIGINT, SIG_DFL);
    setUnlessIgnored(SIGTERM, SIG_DFL);
}

QvSignalsBlocked::QvSignalsBlocked() {
    sigset_t blocked = handledSignals();
    pthread_sigmask(SIG_BLOCK, &blocked, &before);
}

QvSignalsBlocked::~QvSignalsBlocked() {
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}
