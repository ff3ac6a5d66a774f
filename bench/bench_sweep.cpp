// The grid sweep into a real Mesa context, against the bare submission of the
// same 40 GL_QUADS blocks of 160 glNormal3fv/glVertex3f calls with values
// worked out beforehand. Both draw with lighting on into a small viewport and
// never wait for GL inside a timed pass (no glFinish there), so the difference
// is the sweep's own work: the sines, the rule and the normalisation.
//
// The table shows each one's usual figures, one benchmark after another. The
// ratio comes from a second run that takes one pass of each in turn, many
// rounds over, so that other work on the machine falls on all of them alike,
// and compares each one's fastest pass, because on a shared machine other work
// only ever adds time. On a line of its own comes the slowest wave surface's
// fastest pass over the bare submission's:
//
//     sweep/bare ratio: X
//
//     SDL_VIDEODRIVER=offscreen build/bench/bench_sweep
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "surfaces/grid.h"
#include "surfaces/surfaces.h"
#include "surfaces/vector.h"

namespace {

const int viewSize = 64;
// The phase advances as the 80 ms timer does, so every sweep has new sines.
const double phasePerTick = 0.15;
const int repetitions = 5;
const double secondsPerRepetition = 0.05;
// Rounds of the run that gives the ratio, each one pass of every side.
const int rounds = 1000;

struct WaveCase {
    const char *name;
    SurfaceProcedure draw;
};
const WaveCase waves[] = {
    {"curtain", drawCurtainWave},     {"diamond", drawDiamondWave},       {"checker", drawCheckerWave},
    {"plane_wave_x", drawPlaneWaveX}, {"plane_wave_xz", drawPlaneWaveXZ}, {"plane_wave_z", drawPlaneWaveZ},
};

// The grid's 6,400 normals and vertices, in sending order, for the bare run.
float bareNormal[gridCells][cornersPerColumn][3];
float bareVertex[gridCells][cornersPerColumn][3];

// Fills the bare run's arrays with the grid's corners and tilted unit normals.
void prepareBareGrid() {
    float edge[gridCells + 1];
    edge[0] = gridStart;
    for (int n = 0; n < gridCells; n++) edge[n + 1] = (float)((double)edge[n] + gridStep);
    const int cornerI[4] = {0, 1, 1, 0}, cornerK[4] = {0, 0, 1, 1};
    for (int col = 0; col < gridCells; col++)
        for (int k = 0; k < cornersPerColumn; k++) {
            int cell = k / cornersPerCell, c = k % cornersPerCell;
            float *v = bareVertex[col][k], *n = bareNormal[col][k];
            v[0] = edge[col + cornerI[c]];
            v[1] = 0.0f;
            v[2] = edge[cell + cornerK[c]];
            n[0] = 0.3f * (float)((col + c) % 5 - 2);
            n[1] = 1.0f;
            n[2] = 0.0f;
            normalize3(n);
        }
}

// A view like the program's: perspective from 6 units, tilted, two lights.
void setUpView() {
    glViewport(0, 0, viewSize, viewSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 2.0, 20.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -6.0f);
    const float light0[4] = {-2.0f, 2.0f, -1.0f, 0.0f};
    const float light1[4] = {1.0f, 1.0f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light0);
    glLightfv(GL_LIGHT1, GL_POSITION, light1);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glRotatef(-60.0f, 1.0f, 0.0f, 0.0f);
}

// Submits the grid's precomputed normals and vertices, nothing else.
void submitBareGrid() {
    for (int col = 0; col < gridCells; col++) {
        glBegin(GL_QUADS);
        for (int k = 0; k < cornersPerColumn; k++) {
            glNormal3fv(bareNormal[col][k]);
            const float *v = bareVertex[col][k];
            glVertex3f(v[0], v[1], v[2]);
        }
        glEnd();
    }
}

// Times one pass of draw, in microseconds; afterwards, off the clock, GL
// finishes the picture and it is cleared, so queued work never piles up, and
// the phase advances.
double timeOnePass(SurfaceProcedure draw) {
    auto start = std::chrono::steady_clock::now();
    draw();
    auto end = std::chrono::steady_clock::now();
    scene.wavePhase += phasePerTick;
    glFinish();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return std::chrono::duration<double, std::micro>(end - start).count();
}

// Times one pass of draw per iteration.
void timePasses(benchmark::State &state, SurfaceProcedure draw) {
    scene = SceneState{};
    double fastest = 1e9;
    for (auto _ : state) {
        double us = timeOnePass(draw);
        state.SetIterationTime(us * 1e-6);
        fastest = std::min(fastest, us);
    }
    state.counters["fastest_us"] = fastest;
}

// Registers name as repeated, manually timed passes of draw.
void registerPasses(const std::string &name, SurfaceProcedure draw) {
    benchmark::RegisterBenchmark(name.c_str(), [draw](benchmark::State &state) { timePasses(state, draw); })
        ->UseManualTime()
        ->MinTime(secondsPerRepetition)
        ->Repetitions(repetitions)
        ->Unit(benchmark::kMicrosecond);
}

// The fastest pass of the bare submission (first) and of each wave surface,
// one pass of each in turn.
std::vector<double> fastestInTurn() {
    std::vector<SurfaceProcedure> sides = {submitBareGrid};
    for (const WaveCase &wave : waves) sides.push_back(wave.draw);
    std::vector<double> fastest(sides.size(), 1e9);
    scene = SceneState{};
    for (int round = 0; round < rounds; round++)
        for (size_t i = 0; i < sides.size(); i++) fastest[i] = std::min(fastest[i], timeOnePass(sides[i]));
    return fastest;
}

}  // namespace

int main(int argc, char **argv) {
    // As the program does at start-up: keep Mesa's large per-draw buffers in
    // the heap instead of mapping and faulting them in again on every draw.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);

    OffscreenGl gl(viewSize, viewSize);
    if (!gl.ok()) {
        std::fprintf(stderr, "bench_sweep: no OpenGL context\n");
        return 1;
    }
    setUpView();
    prepareBareGrid();

    registerPasses("bare", submitBareGrid);
    for (const WaveCase &wave : waves) registerPasses(std::string("sweep/") + wave.name, wave.draw);
    // The bare run once more at the end, so a drift in the machine shows.
    registerPasses("bare_again", submitBareGrid);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::vector<double> fastest = fastestInTurn();
    double bare = fastest[0];
    std::printf("fastest pass, in turn: bare %.1f us\n", bare);
    double worst = 0.0;
    for (size_t i = 0; i < std::size(waves); i++) {
        double ratio = fastest[i + 1] / bare;
        std::printf("fastest pass, in turn: sweep/%s %.1f us, %.3f of bare\n", waves[i].name, fastest[i + 1], ratio);
        worst = std::max(worst, ratio);
    }
    std::printf("sweep/bare ratio: %.3f\n", worst);
    return 0;
}
