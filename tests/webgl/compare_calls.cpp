// compare_calls: compares a call log of the GL subset written elsewhere (the
// browser's, which tests/browser/test_webgl.py saves from the render_frame
// page) with apitrace's record of the same frame case from tools/render_frame
// on Mesa, as the native suite compares its own log (gl_calls.h).
//
//   compare_calls OUT_DIR CASE CALL_LOG
//
// Exit status 0 when every call matches, 1 when one differs (both sides
// around it are printed) or a file or the trace fails, 77 without apitrace.
// Left out: drawing; the log comes ready.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "webgl/gl_calls.h"

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: compare_calls OUT_DIR CASE CALL_LOG\n");
        return 2;
    }
    if (!*QUELVARO_APITRACE) {
        std::printf("no apitrace\n");
        return 77;
    }
    std::ifstream file(argv[3]);
    if (!file) {
        std::printf("cannot read %s\n", argv[3]);
        return 1;
    }
    std::stringstream log;
    log << file.rdbuf();
    GlCalls mesa;
    if (!traceRenderFrame(QUELVARO_APITRACE, QUELVARO_RENDER_FRAME, argv[1], argv[2], mesa)) {
        std::printf("apitrace could not trace render_frame's case %s\n", argv[2]);
        return 1;
    }
    std::string difference = firstCallDifference(mesa, callLines(log.str()));
    std::printf("%zu calls%s%s", mesa.size(), difference.empty() ? "\n" : ", ", difference.c_str());
    return difference.empty() ? 0 : 1;
}
