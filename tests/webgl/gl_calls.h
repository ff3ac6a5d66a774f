// gl_calls: a frame case's GL calls as apitrace records them from
// tools/render_frame on Mesa, and their comparison with the GL subset's call
// log, line by line. The native suite (webgl_subset_test.cpp) and the browser
// test (through compare_calls, tests/browser/test_webgl.py) both compare with
// these. Left out: the subset's side (gl11CallLog gives it).
#pragma once

#include <string>
#include <vector>

typedef std::vector<std::string> GlCalls;

// The calls render_frame's set-up and frames make on Mesa for the case, as
// `apitrace dump` prints them: the lines inside its two debug groups. The
// trace and render_frame's picture are left in outDir. False when apitrace or
// render_frame fails.
bool traceRenderFrame(const std::string &apitrace, const std::string &renderFrame, const std::string &outDir,
                      const std::string &caseName, GlCalls &calls);

// A call log's lines (gl11CallLog's text).
GlCalls callLines(const std::string &log);

// Both sides' calls around the first that differs; empty when none does.
std::string firstCallDifference(const GlCalls &mesa, const GlCalls &subset);
