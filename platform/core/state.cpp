// state.cpp: the layer's one state record, its error reporting and clock.
//
// Implemented: the record `qv` (qv_internal.h describes what it holds), the
//   layer's clock (a test's, else the backend's), and
//   the one way the layer speaks on standard error: qvError writes
//   "quelvaro: <what>", with the backend's reason after it when it has one, and
//   qvErrorLine a line as given (a message box's words with nowhere to show
//   them); both keep the line in qv.lastError. The signal handlers write
//   their fixed lines themselves (sdl/sdl_signals.cpp): nothing here is safe in a
//   handler.
// Left out: a log file; the program keeps none.
#include "qv_internal.h"

#include <cstdarg>
#include <cstdio>

QvLayer qv;

void qvError(const char *format, ...) {
    char what[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(what, sizeof what, format, args);
    va_end(args);
    std::string line = std::string("quelvaro: ") + what;
    const char *reason = qvbLastErrorText();
    if (reason && *reason) line += std::string(": ") + reason;
    qvbClearError();
    qvErrorLine(line);
}

uint64_t qvNowMs() {
    return qv.clockMs ? qv.clockMs() : qvbNowMs();
}

void qvErrorLine(const std::string &line) {
    qv.lastError = line;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}
