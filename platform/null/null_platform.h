// null_platform.h: the backend state of no backend at all, for building the
// core alone (QV_NULL_BACKEND): the build compiles every core file against it
// with no SDL, X11, SDL_ttf or fontconfig header in reach, so that a window
// system call creeping into the core fails the build.
//
// Implemented: empty per-window, per-font, per-context and per-layer records.
// Left out: the qvb* functions themselves; nothing is linked against this.
#pragma once

struct QvBackendWindow {};
struct QvBackendGlContext {};
struct QvBackendFont {};
struct QvBackendLayer {};
