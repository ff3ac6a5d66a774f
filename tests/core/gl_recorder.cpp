// The recording stand-in: the five geometry calls, logged and forwarded to the
// libGL found next in the lookup order.
#include "gl_recorder.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "render/gl.h"

namespace {

bool recording = false;
std::vector<GlCall> recorded;

// The real entry point name, as libGL exports it; aborts when it is missing,
// since nothing could be drawn.
void *realGlFunction(const char *name) {
    void *function = dlsym(RTLD_NEXT, name);
    if (!function) {
        std::fprintf(stderr, "gl recorder: no real %s in the process\n", name);
        std::abort();
    }
    return function;
}

void record(GlCallKind kind, unsigned mode, float x, float y, float z) {
    if (recording) recorded.push_back(GlCall{kind, mode, {x, y, z}});
}

}  // namespace

void glRecordStart() {
    recorded.clear();
    recorded.reserve(16384);
    recording = true;
}

const std::vector<GlCall> &glRecordStop() {
    recording = false;
    return recorded;
}

std::string describeGlCall(const GlCall &call) {
    static const char *const names[] = {"glBegin", "glEnd", "glNormal3fv", "glVertex3f", "glVertex3fv"};
    char text[128];
    if (call.kind == GlBeginCall)
        std::snprintf(text, sizeof text, "glBegin(0x%x)", call.mode);
    else if (call.kind == GlEndCall)
        std::snprintf(text, sizeof text, "glEnd()");
    else
        std::snprintf(text, sizeof text, "%s(%.9g, %.9g, %.9g)", names[call.kind], call.v[0], call.v[1], call.v[2]);
    return text;
}

std::vector<GlPrimitive> glPrimitives(const std::vector<GlCall> &calls) {
    std::vector<GlPrimitive> primitives;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    bool inside = false;
    for (const GlCall &call : calls) {
        switch (call.kind) {
        case GlBeginCall:
            primitives.push_back(GlPrimitive{call.mode, {}});
            inside = true;
            break;
        case GlEndCall:
            inside = false;
            break;
        case GlNormalCall:
            for (int i = 0; i < 3; i++) normal[i] = call.v[i];
            break;
        case GlVertex3fCall:
        case GlVertex3fvCall:
            if (inside)
                primitives.back().vertices.push_back(
                    GlVertex{{normal[0], normal[1], normal[2]}, {call.v[0], call.v[1], call.v[2]}});
            break;
        }
    }
    return primitives;
}

extern "C" {

void glBegin(GLenum mode) {
    static auto real = reinterpret_cast<void (*)(GLenum)>(realGlFunction("glBegin"));
    record(GlBeginCall, mode, 0.0f, 0.0f, 0.0f);
    real(mode);
}

void glEnd(void) {
    static auto real = reinterpret_cast<void (*)(void)>(realGlFunction("glEnd"));
    record(GlEndCall, 0, 0.0f, 0.0f, 0.0f);
    real();
}

void glNormal3fv(const GLfloat *v) {
    static auto real = reinterpret_cast<void (*)(const GLfloat *)>(realGlFunction("glNormal3fv"));
    record(GlNormalCall, 0, v[0], v[1], v[2]);
    real(v);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    static auto real = reinterpret_cast<void (*)(GLfloat, GLfloat, GLfloat)>(realGlFunction("glVertex3f"));
    record(GlVertex3fCall, 0, x, y, z);
    real(x, y, z);
}

void glVertex3fv(const GLfloat *v) {
    static auto real = reinterpret_cast<void (*)(const GLfloat *)>(realGlFunction("glVertex3fv"));
    record(GlVertex3fvCall, 0, v[0], v[1], v[2]);
    real(v);
}

}  // extern "C"
