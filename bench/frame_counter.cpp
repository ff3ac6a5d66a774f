// frame_counter: an LD_PRELOAD library that bench/perf.sh puts under quelvaro
// and under bare_sdl_gl to see their frames from outside.
//
// It wraps SDL_GL_SwapWindow (and glXSwapBuffers, for a program that calls it
// directly) and keeps, in a small file mapped shared so that the script can
// read it while the program runs (QUELVARO_FRAME_FILE):
//   frames      buffer swaps so far
//   firstNs     CLOCK_REALTIME of the first swap's return: the first frame on screen
//   lastNs      CLOCK_REALTIME of the last swap's return
//   cpuNs       CLOCK_PROCESS_CPUTIME_ID at the last swap: every thread's CPU time
// all as unsigned 64-bit numbers, in that order.
//
// For the options that only hidden dialogs reach, it can also set fields of
// quelvaro's scene state once, before the first swap: QUELVARO_SCENE_SET is a
// list like "fogOn=1,wireframeOn=1,blendOn=1" and QUELVARO_SCENE_SYMBOL the
// address of the `scene` symbol in the executable (as nm prints it, in hex).
// The program's own code is not changed in any way.
#include <SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "render/scene_state.h"

namespace {

struct FrameFile {
    uint64_t frames;
    uint64_t firstNs;
    uint64_t lastNs;
    uint64_t cpuNs;
};

FrameFile *counter = nullptr;
bool started = false;
thread_local int swapDepth = 0;

struct SceneField {
    const char *name;
    size_t offset;
};

// The int flags of the scene state that a benchmark may switch.
const SceneField kSceneFields[] = {
    {"fogOn", offsetof(SceneState, fogOn)},
    {"wireframeOn", offsetof(SceneState, wireframeOn)},
    {"blendOn", offsetof(SceneState, blendOn)},
    {"lightsOn", offsetof(SceneState, lightsOn)},
    {"flatShadingOn", offsetof(SceneState, flatShadingOn)},
    {"surfaceIndex", offsetof(SceneState, surfaceIndex)},
    {"keepSpinning", offsetof(SceneState, keepSpinning)},
};

uint64_t nowNs(clockid_t clock) {
    timespec ts;
    clock_gettime(clock, &ts);
    return (uint64_t)ts.tv_sec * 1000000000u + (uint64_t)ts.tv_nsec;
}

// Maps the counter file named by QUELVARO_FRAME_FILE, or leaves counting off.
void openCounter() {
    const char *path = std::getenv("QUELVARO_FRAME_FILE");
    if (!path || !*path) return;
    int fd = open(path, O_RDWR | O_CREAT, 0644);
    if (fd < 0 || ftruncate(fd, sizeof(FrameFile)) != 0) {
        std::fprintf(stderr, "frame_counter: cannot open %s\n", path);
        if (fd >= 0) close(fd);
        return;
    }
    void *p = mmap(nullptr, sizeof(FrameFile), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    if (p != MAP_FAILED) counter = static_cast<FrameFile *>(p);
}

// The load address of the executable itself: the first object listed.
int firstObject(dl_phdr_info *info, size_t, void *data) {
    *static_cast<uintptr_t *>(data) = info->dlpi_addr;
    return 1;
}

// Applies QUELVARO_SCENE_SET to the program's scene state.
void setSceneFields() {
    const char *list = std::getenv("QUELVARO_SCENE_SET");
    const char *symbol = std::getenv("QUELVARO_SCENE_SYMBOL");
    if (!list || !*list) return;
    if (!symbol || !*symbol) {
        std::fprintf(stderr, "frame_counter: QUELVARO_SCENE_SET needs QUELVARO_SCENE_SYMBOL\n");
        return;
    }
    uintptr_t base = 0;
    dl_iterate_phdr(firstObject, &base);
    char *scene = reinterpret_cast<char *>(base + std::strtoull(symbol, nullptr, 16));
    char copy[256];
    std::snprintf(copy, sizeof copy, "%s", list);
    for (char *item = std::strtok(copy, ","); item; item = std::strtok(nullptr, ",")) {
        char *eq = std::strchr(item, '=');
        if (!eq) continue;
        *eq = '\0';
        bool known = false;
        for (const SceneField &f : kSceneFields) {
            if (std::strcmp(f.name, item) == 0) {
                int value = std::atoi(eq + 1);
                std::memcpy(scene + f.offset, &value, sizeof value);
                known = true;
            }
        }
        if (!known) std::fprintf(stderr, "frame_counter: unknown scene field %s\n", item);
    }
}

void beforeSwap() {
    if (started) return;
    started = true;
    openCounter();
    setSceneFields();
}

void afterSwap() {
    if (!counter) return;
    uint64_t now = nowNs(CLOCK_REALTIME);
    if (counter->frames == 0) counter->firstNs = now;
    counter->lastNs = now;
    counter->cpuNs = nowNs(CLOCK_PROCESS_CPUTIME_ID);
    std::atomic_thread_fence(std::memory_order_release);
    counter->frames = counter->frames + 1;
}

template <typename Fn>
Fn realFunction(const char *name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void SDL_GL_SwapWindow(SDL_Window *window) {
    static auto real = realFunction<void (*)(SDL_Window *)>("SDL_GL_SwapWindow");
    bool outer = swapDepth++ == 0;
    if (outer) beforeSwap();
    if (real) real(window);
    if (outer) afterSwap();
    --swapDepth;
}

extern "C" void glXSwapBuffers(void *display, unsigned long drawable) {
    static auto real = realFunction<void (*)(void *, unsigned long)>("glXSwapBuffers");
    bool outer = swapDepth++ == 0;
    if (outer) beforeSwap();
    if (real) real(display, drawable);
    if (outer) afterSwap();
    --swapDepth;
}
