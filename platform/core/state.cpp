// sdl_state.cpp: the layer's one state record and its error reporting.
//
// Implemented: the record `qv` (sdl_internal.h describes what it holds), and
//   the one way the layer speaks on standard error: qvError writes
//   "quelvaro: <what>", with SDL's reason after it when SDL has one, and
//   qvErrorLine a line as given (a message box's words with nowhere to show
//   them); both keep the line in qv.lastError. The signal handlers write
//   their fixed lines themselves (sdl_signals.cpp): nothing here is safe in a
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
    const char *sdlError = SDL_GetError();
    if (sdlError && *sdlError) line += std::string(": ") + sdlError;
    SDL_ClearError();
    qvErrorLine(line);
}

void qvErrorLine(const std::string &line) {
    qv.lastError = line;
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}
