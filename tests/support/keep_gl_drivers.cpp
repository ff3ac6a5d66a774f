// Keeps the GL driver libraries mapped until the process ends.
//
// SDL and libglvnd unload Mesa's driver when the last context goes away. Its
// start-up allocations (strings it keeps for its whole life) are then reported
// by LeakSanitizer from an "unknown module" that no suppression can name. With
// the libraries pinned, those frames keep their library names and the
// commented suppressions in tests/sanitizer.supp apply; leaks in our own code
// are still reported.
#include <dlfcn.h>

namespace {

const char *const pinnedLibraries[] = {
    "libEGL.so.1",        "libEGL_mesa.so.0", "libGLX.so.0",   "libGLX_mesa.so.0",
    "libGLdispatch.so.0", "libglapi.so.0",    "swrast_dri.so", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
};

struct DriverPin {
    DriverPin() {
        for (const char *name : pinnedLibraries) dlopen(name, RTLD_LAZY | RTLD_GLOBAL | RTLD_NODELETE);
    }
};

const DriverPin pin;

}  // namespace
