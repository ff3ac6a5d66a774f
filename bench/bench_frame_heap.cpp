// bench_frame_heap: what a frame costs the heap. Mesa allocates and frees
// large buffers on every draw with fog or wireframe; when glibc hands them
// back to the system after each frame, the next frame faults every page in
// again. Reports, for the start scene and with fog, wireframe and blending,
// the CPU time of a frame and the page faults it takes.
//
// The program tunes glibc at start-up (sdl_startup.cpp); this benchmark does
// not, so that both sides can be compared from the outside, with the program's
// thresholds (32 MiB, the largest mmap threshold glibc accepts on 64-bit
// systems, and 256 MiB) given as tunables:
//   bench_frame_heap                  (glibc as it comes)
//   GLIBC_TUNABLES=glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456 bench_frame_heap
//                                     (as the program runs)
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/start_scene.h"

namespace {

const int clientWidth = 919;
const int clientHeight = 896;

// Minor page faults of the process so far.
long pageFaults() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Frames of the scene with the options given by the arguments (fog,
// wireframe, blending), each presented and finished.
void BM_FrameHeap(benchmark::State &state) {
    OffscreenGl gl(clientWidth, clientHeight);
    if (!gl.ok()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    openStartScene(clientWidth, clientHeight);
    scene.fogOn = static_cast<int>(state.range(0));
    scene.wireframeOn = static_cast<int>(state.range(1));
    scene.blendOn = static_cast<int>(state.range(2));
    for (int i = 0; i < 3; i++) {  // first-touch costs stay out of the figure
        drawScene();
        gl.swap();
        glFinish();
    }
    long faultsBefore = pageFaults();
    for (auto _ : state) {
        drawScene();
        gl.swap();
        glFinish();
    }
    double frames = static_cast<double>(state.iterations());
    state.counters["faults_per_frame"] = static_cast<double>(pageFaults() - faultsBefore) / frames;
}
BENCHMARK(BM_FrameHeap)
    ->ArgNames({"fog", "wire", "blend"})
    ->Args({0, 0, 0})
    ->Args({1, 0, 0})
    ->Args({0, 1, 0})
    ->Args({1, 1, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace

BENCHMARK_MAIN();
