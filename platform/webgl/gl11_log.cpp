// gl11_log.cpp: the call log of the GL 1.1 subset. Each entry point hands its
// name and arguments to gl11LogCall, which writes them as `apitrace dump`
// writes a recorded call, so that a frame's calls here and on the Linux build
// read the same, line for line.
//
// Written as apitrace does: floats with 7 significant digits and doubles with
// 16 (C's %g), enums by name (decimal when unknown), glClear's mask as its bits
// joined by " | ", arrays of floats in braces and a single float through a
// pointer as &value. Left out: names for enums the frame's calls never take
// (they are written in decimal, apitrace would name them), and the names
// apitrace gives the bits of an invalid glClear mask (written in hex).
#include <cstdio>

#include "webgl/gl11_internal.h"

void gl11SetCallLog(bool on) {
    if (on) gl11.log.clear();
    gl11.logging = on;
}

const char *gl11CallLog(void) {
    return gl11.log.c_str();
}

// A number through printf's format.
template <typename T>
static std::string printed(const char *format, T value) {
    char text[40];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

Gl11LogArg::Gl11LogArg(const char *name, int v) : name(name), value(printed("%d", v)) {}
Gl11LogArg::Gl11LogArg(const char *name, float v) : name(name), value(printed("%.7g", (double)v)) {}
Gl11LogArg::Gl11LogArg(const char *name, double v) : name(name), value(printed("%.16g", v)) {}

void gl11LogCall(const char *name, std::initializer_list<Gl11LogArg> args) {
    std::string &log = gl11.log;
    log += name;
    log += '(';
    const char *separator = "";
    for (const Gl11LogArg &arg : args) {
        log.append(separator).append(arg.name).append(" = ").append(arg.value);
        separator = ", ";
    }
    log += ")\n";
}

// An enum's value and its name in GL's headers, which apitrace prints.
struct EnumName {
    GLenum value;
    const char *name;
};
#define NAMED(e) \
    { e, #e }

// The enums the subset's calls take, but for the lights and glBegin's modes.
// clang-format off
static const EnumName enumNames[] = {
    // Capabilities.
    NAMED(GL_LIGHTING), NAMED(GL_FOG), NAMED(GL_DEPTH_TEST), NAMED(GL_BLEND), NAMED(GL_CULL_FACE),
    NAMED(GL_NORMALIZE), NAMED(GL_COLOR_MATERIAL), NAMED(GL_TEXTURE_2D),
    // Lights, materials and the light model.
    NAMED(GL_AMBIENT), NAMED(GL_DIFFUSE), NAMED(GL_SPECULAR), NAMED(GL_POSITION), NAMED(GL_SPOT_DIRECTION),
    NAMED(GL_SPOT_EXPONENT), NAMED(GL_SPOT_CUTOFF), NAMED(GL_CONSTANT_ATTENUATION), NAMED(GL_LINEAR_ATTENUATION),
    NAMED(GL_QUADRATIC_ATTENUATION), NAMED(GL_EMISSION), NAMED(GL_SHININESS), NAMED(GL_AMBIENT_AND_DIFFUSE),
    NAMED(GL_COLOR_INDEXES), NAMED(GL_LIGHT_MODEL_LOCAL_VIEWER), NAMED(GL_LIGHT_MODEL_TWO_SIDE),
    NAMED(GL_LIGHT_MODEL_AMBIENT), NAMED(GL_FRONT), NAMED(GL_BACK), NAMED(GL_FRONT_AND_BACK),
    // Fog.
    NAMED(GL_FOG_INDEX), NAMED(GL_FOG_DENSITY), NAMED(GL_FOG_START), NAMED(GL_FOG_END), NAMED(GL_FOG_MODE),
    NAMED(GL_FOG_COLOR), NAMED(GL_LINEAR), NAMED(GL_EXP), NAMED(GL_EXP2),
    // Matrices, shading, polygon modes.
    NAMED(GL_MODELVIEW), NAMED(GL_PROJECTION), NAMED(GL_TEXTURE), NAMED(GL_MODELVIEW_MATRIX),
    NAMED(GL_PROJECTION_MATRIX), NAMED(GL_FLAT), NAMED(GL_SMOOTH), NAMED(GL_POINT), NAMED(GL_LINE), NAMED(GL_FILL),
    // Blend factors.
    NAMED(GL_ZERO), NAMED(GL_ONE), NAMED(GL_SRC_COLOR), NAMED(GL_ONE_MINUS_SRC_COLOR), NAMED(GL_SRC_ALPHA),
    NAMED(GL_ONE_MINUS_SRC_ALPHA), NAMED(GL_DST_ALPHA), NAMED(GL_ONE_MINUS_DST_ALPHA), NAMED(GL_DST_COLOR),
    NAMED(GL_ONE_MINUS_DST_COLOR), NAMED(GL_SRC_ALPHA_SATURATE)};
// clang-format on

std::string gl11LogEnum(GLenum value) {
    if (value >= GL_LIGHT0 && value < GL_LIGHT0 + gl11MaxLights) return "GL_LIGHT" + std::to_string(value - GL_LIGHT0);
    for (const EnumName &known : enumNames) {
        if (known.value == value) return known.name;
    }
    return std::to_string((int)value);
}

std::string gl11LogPrimitive(GLenum mode) {
    static const char *const names[] = {"GL_POINTS",     "GL_LINES",          "GL_LINE_LOOP",    "GL_LINE_STRIP",
                                        "GL_TRIANGLES",  "GL_TRIANGLE_STRIP", "GL_TRIANGLE_FAN", "GL_QUADS",
                                        "GL_QUAD_STRIP", "GL_POLYGON"};
    return mode <= GL_POLYGON ? names[mode] : std::to_string((int)mode);
}

std::string gl11LogMask(GLbitfield mask) {
    static const EnumName bits[] = {NAMED(GL_DEPTH_BUFFER_BIT), NAMED(GL_STENCIL_BUFFER_BIT),
                                    NAMED(GL_COLOR_BUFFER_BIT)};
    std::string text;
    for (const EnumName &bit : bits) {
        if (!(mask & bit.value)) continue;
        text += (text.empty() ? "" : " | ") + std::string(bit.name);
        mask &= ~bit.value;
    }
    if (mask || text.empty()) text += (text.empty() ? "" : " | ") + printed("0x%x", mask);
    return text;
}

std::string gl11LogFloats(const GLfloat *values, int count) {
    if (!values) return "NULL";
    if (count == 1) return "&" + printed("%.7g", (double)values[0]);
    std::string text = "{";
    for (int i = 0; i < count; i++) text += (i ? ", " : "") + printed("%.7g", (double)values[i]);
    return text + "}";
}

int gl11ParamCount(GLenum pname) {
    switch (pname) {
    case GL_MODELVIEW_MATRIX:
    case GL_PROJECTION_MATRIX:
        return 16;
    case GL_AMBIENT:
    case GL_DIFFUSE:
    case GL_SPECULAR:
    case GL_POSITION:
    case GL_EMISSION:
    case GL_AMBIENT_AND_DIFFUSE:
    case GL_LIGHT_MODEL_AMBIENT:
    case GL_FOG_COLOR:
        return 4;
    case GL_SPOT_DIRECTION:
    case GL_COLOR_INDEXES:
        return 3;
    default:
        return 1;
    }
}
