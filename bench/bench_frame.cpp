// bench_frame: one full frame of the start scene (drawScene with the default
// scene state) at the default 919 x 896 client area, drawn offscreen on a real Mesa
// context and presented, reported as frames per second.
#include <benchmark/benchmark.h>

#include "render/frame.h"
#include "render/gl.h"
#include "support/offscreen_gl.h"
#include "support/start_scene.h"

namespace {

const int clientWidth = defaultClientWidth;
const int clientHeight = defaultClientHeight;

// A frame as the idle loop draws it, then presented and waited for, so that
// each iteration pays for all of its own rendering.
void BM_FullFrame(benchmark::State &state) {
    OffscreenGl gl(clientWidth, clientHeight);
    if (!gl.ok()) {
        state.SkipWithError("no offscreen OpenGL context");
        return;
    }
    openStartScene(clientWidth, clientHeight);
    drawScene();  // first-touch costs stay out of the figure
    gl.swap();
    for (auto _ : state) {
        drawScene();
        gl.swap();
        glFinish();
    }
    state.counters["frames_per_second"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FullFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
