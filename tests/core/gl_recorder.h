// A recording stand-in for the immediate-mode GL calls that carry geometry:
// glBegin, glEnd, glNormal3fv, glVertex3f and glVertex3fv.
//
// gl_recorder.cpp defines these five functions in the test executable, so the
// application's calls (and GLU's, which also end up here) bind to them. Each
// call is appended to the log while recording is on, and is always forwarded
// to the real libGL, so a test that records still draws for real.
//
//     glRecordStart();
//     drawCurtainWave();
//     const std::vector<GlCall> &calls = glRecordStop();
//
// Lives in tests/core only: never link it into a benchmark.
#pragma once

#include <string>
#include <vector>

enum GlCallKind { GlBeginCall, GlEndCall, GlNormalCall, GlVertex3fCall, GlVertex3fvCall };

struct GlCall {
    GlCallKind kind;
    unsigned mode;  // the primitive, for glBegin; 0 otherwise
    float v[3];     // the normal or vertex; zeros for glBegin and glEnd
};

// Clears the log and starts recording.
void glRecordStart();
// Stops recording and returns the log (valid until the next glRecordStart).
const std::vector<GlCall> &glRecordStop();

// "glNormal3fv(0.5, 1, 0)" and the like, for failure messages.
std::string describeGlCall(const GlCall &call);

// One glBegin/glEnd block of a log: each vertex with the normal that was
// current when it was sent (the last one sent before it, in or out of the
// block; (0, 0, 1), GL's start value, when none was).
struct GlVertex {
    float normal[3];
    float position[3];
};
struct GlPrimitive {
    unsigned mode;
    std::vector<GlVertex> vertices;
};

// Splits a log into its blocks, in order; an unterminated block is kept.
std::vector<GlPrimitive> glPrimitives(const std::vector<GlCall> &calls);
