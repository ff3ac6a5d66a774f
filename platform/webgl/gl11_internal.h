// gl11_internal.h: the one internal header of the GL 1.1 subset on OpenGL ES
// 2.0 / WebGL 1.
//
// The browser has no fixed-function OpenGL, so the calls the frame makes
// (render/, surfaces/) are defined here, with their real names and
// signatures, and drawn through the ES 2.0 API. That API is reached only
// through the table of function pointers below, filled once at start
// (natively from SDL_GL_GetProcAddress on an ES 2.0 context, in the browser
// from emscripten's emscripten_gl* functions), so that these files can define
// glEnable, glClear and the rest without clashing with the library they draw
// through. A program using them links no libGL and no libGLU.
//
// What is there is what the frame calls, no more: the matrix stacks, eight
// directional lights with two-sided lighting and separate front and back
// materials, linear and exp fog, flat and smooth shading, immediate mode
// (GL_QUADS, GL_TRIANGLES, GL_LINES, line strips and loops, GL_QUAD_STRIP,
// GL_TRIANGLE_STRIP and GL_TRIANGLE_FAN), glPolygonMode(GL_LINE), wide lines,
// blending, depth test, and the GLU calls the frame makes. Left out: textures,
// display lists, positional and spot lights, colour material, culling,
// stipples, selection and feedback, vertex arrays, glGet of anything but the
// matrices. A call outside the subset is not defined, so it fails at link time.
//
// Files:
//   gl11_state.cpp      the state record: matrix stacks, lights, materials,
//                       fog, enables and the plain calls passed straight on
//   gl11_immediate.cpp  glBegin/glEnd: vertices gathered, cut into triangles
//                       or lines, polygon mode, provoking vertex, wide lines
//   gl11_shader.cpp     the one GLSL ES 1.00 program (lighting, fog) and
//                       the table of ES 2.0 entry points
//   glu.cpp             the quadric and GLU's sphere
//   gl11_log.cpp        the call log: each GL call written as apitrace dumps it
//   gl11_emscripten.cpp the browser's loader (built for the web only)
#pragma once

#include <GL/gl.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// The ES 2.0 calls drawn through; every pointer is set by gl11Start.
struct Es2Api {
    void (*attachShader)(GLuint, GLuint);
    void (*bindAttribLocation)(GLuint, GLuint, const GLchar *);
    void (*bindBuffer)(GLenum, GLuint);
    void (*blendFunc)(GLenum, GLenum);
    void (*bufferData)(GLenum, GLsizeiptr, const void *, GLenum);
    void (*clear)(GLbitfield);
    void (*clearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*compileShader)(GLuint);
    GLuint (*createProgram)(void);
    GLuint (*createShader)(GLenum);
    void (*deleteShader)(GLuint);
    void (*disable)(GLenum);
    void (*drawArrays)(GLenum, GLint, GLsizei);
    void (*enable)(GLenum);
    void (*enableVertexAttribArray)(GLuint);
    void (*flush)(void);
    void (*genBuffers)(GLsizei, GLuint *);
    void (*getProgramiv)(GLuint, GLenum, GLint *);
    void (*getProgramInfoLog)(GLuint, GLsizei, GLsizei *, GLchar *);
    void (*getShaderiv)(GLuint, GLenum, GLint *);
    void (*getShaderInfoLog)(GLuint, GLsizei, GLsizei *, GLchar *);
    GLint (*getUniformLocation)(GLuint, const GLchar *);
    void (*linkProgram)(GLuint);
    void (*shaderSource)(GLuint, GLsizei, const GLchar *const *, const GLint *);
    void (*uniform1i)(GLint, GLint);
    void (*uniform1f)(GLint, GLfloat);
    void (*uniform1fv)(GLint, GLsizei, const GLfloat *);
    void (*uniform3fv)(GLint, GLsizei, const GLfloat *);
    void (*uniform4fv)(GLint, GLsizei, const GLfloat *);
    void (*uniformMatrix3fv)(GLint, GLsizei, GLboolean, const GLfloat *);
    void (*uniformMatrix4fv)(GLint, GLsizei, GLboolean, const GLfloat *);
    void (*useProgram)(GLuint);
    void (*vertexAttribPointer)(GLuint, GLint, GLenum, GLboolean, GLsizei, const void *);
    void (*viewport)(GLint, GLint, GLsizei, GLsizei);
};

// Looks an ES 2.0 entry point up by name; null when there is none.
typedef void *(*Gl11ProcLoader)(const char *name);

// Fills the table, compiles the program and sets GL 1.1's initial state.
// Needs a current ES 2.0 context. False (with a line on stderr) when an entry
// point is missing or the program does not build; no call draws anything then.
bool gl11Start(Gl11ProcLoader loader);

// In the browser: the loader that finds emscripten's WebGL calls (and
// glReadPixels besides the table's), for gl11Start.
void *gl11EmscriptenProc(const char *name);

const int gl11MaxLights = 8;
// No primitive is being gathered (not one of GL's primitive modes).
const GLenum gl11NoPrimitive = 0xFFFF;
const int gl11StackDepth = 32;

struct Gl11Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float emission[4];
    float shininess;
};

struct Gl11Light {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float direction[3];  // eye space, from the position as it was sent
    bool enabled;
};

// One vertex as glVertex takes it, with the normal and colour current then.
// facing is +1 or -1 for the edges of a polygon drawn as lines (the polygon's
// side, which decides the material), 0 where the rasteriser decides. offset
// moves a wide line's corner off the line, in normalised device units.
struct Gl11Vertex {
    float position[4];
    float normal[3];
    float colour[4];
    float facing;
    float offset[2];
};

struct Gl11Matrix {
    float m[16];  // column-major, as GL keeps it
};

// The whole state of the subset.
struct Gl11State {
    bool started = false;
    Es2Api es;

    // The program and where its inputs are.
    GLuint program = 0;
    GLuint vertexBuffer = 0;
    GLint uModelView, uProjection, uNormalMatrix;
    GLint uLighting, uTwoSide, uLocalViewer, uModelAmbient;
    GLint uLightOn, uLightAmbient, uLightDiffuse, uLightSpecular, uLightDirection;
    GLint uFrontAmbient, uFrontDiffuse, uFrontSpecular, uFrontEmission, uFrontShininess;
    GLint uBackAmbient, uBackDiffuse, uBackSpecular, uBackEmission, uBackShininess;
    GLint uFog, uFogMode, uFogStart, uFogEnd, uFogDensity, uFogColour;

    // Matrices: the stacks, the top last.
    GLenum matrixMode = GL_MODELVIEW;
    std::vector<Gl11Matrix> modelview, projection;

    // Lighting.
    bool lighting = false;
    Gl11Light lights[gl11MaxLights];
    Gl11Material front, back;
    float modelAmbient[4];
    bool twoSide = false;
    bool localViewer = false;

    // Fog.
    bool fog = false;
    GLenum fogMode = GL_EXP;
    float fogStart = 0.0f, fogEnd = 1.0f, fogDensity = 1.0f;
    float fogColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};

    // Rasterising.
    GLenum shadeModel = GL_SMOOTH;
    GLenum polygonModeFront = GL_FILL, polygonModeBack = GL_FILL;
    float lineWidth = 1.0f;
    int viewport[4] = {0, 0, 0, 0};

    // Immediate mode: the primitive being gathered (GL_NONE outside
    // glBegin/glEnd), its vertices and the current normal and colour.
    GLenum primitive = gl11NoPrimitive;
    std::vector<Gl11Vertex> gathered;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

    // The call log: on, and the lines written so far.
    bool logging = false;
    std::string log;
};

extern Gl11State gl11;

// Puts GL 1.1's initial state back, as a new context has it (gl11Start
// does it; tests do it between cases).
void gl11ResetState(void);

// The top of the current stack.
Gl11Matrix &gl11Top(void);
// a = a * b, each product summed in float in GL's order.
void gl11Multiply(Gl11Matrix &a, const Gl11Matrix &b);

// Draws a list of triangles, three vertices each, with the state's matrices,
// lighting and fog.
void gl11Draw(const std::vector<Gl11Vertex> &vertices);

// ---- The call log ------------------------------------------------------------
//
// While it is on, every GL 1.1 call the subset defines appends one line to the
// log, the call as `apitrace dump --call-nos=no` prints it (argument names,
// enum names, floats to 7 significant digits, doubles to 16, arrays in braces,
// a one-element array as &value), so that the calls a frame makes here can be
// compared with a trace of the same frame on a real GL. GLU calls are not
// logged, as apitrace records none: the GL calls they make are. Off, each call
// costs one test of gl11.logging. Plain C++ only, and the two calls below
// have C names, so that a page can switch the browser build's log on and read
// it (Module._gl11SetCallLog, UTF8ToString(Module._gl11CallLog())).

// Clears the log and switches it on, or off (the log is kept).
extern "C" void gl11SetCallLog(bool on);
// The lines logged since it was switched on, each ending in a newline.
extern "C" const char *gl11CallLog(void);

// One argument of a logged call, its value already written as apitrace does.
// There is no constructor for a GLenum: it is named through gl11LogEnum.
struct Gl11LogArg {
    const char *name;
    std::string value;
    Gl11LogArg(const char *name, int v);
    Gl11LogArg(const char *name, float v);
    Gl11LogArg(const char *name, double v);
    Gl11LogArg(const char *name, std::string v) : name(name), value(std::move(v)) {}
};

// Appends "name(arg = value, ...)" to the log.
void gl11LogCall(const char *name, std::initializer_list<Gl11LogArg> args);
// An enum by its GL name, decimal when the subset knows no name for it.
std::string gl11LogEnum(GLenum value);
// A glBegin mode: GL_POINTS to GL_POLYGON.
std::string gl11LogPrimitive(GLenum mode);
// glClear's mask: the buffer bits joined by " | ".
std::string gl11LogMask(GLbitfield mask);
// count floats in braces, the one of a single-element array as &value.
std::string gl11LogFloats(const GLfloat *values, int count);
// How many values the parameter pname of glLightfv, glMaterialfv, glFogfv,
// glLightModelfv or glGetFloatv takes.
int gl11ParamCount(GLenum pname);
