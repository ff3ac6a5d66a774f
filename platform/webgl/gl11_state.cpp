// gl11_state.cpp: the state of the GL 1.1 subset and the calls that only set
// it: matrix stacks, lights, materials, the light model, fog, enables, shading
// and polygon modes, line width; and the calls passed straight on to ES 2.0
// (clear, blend function, viewport, flush).
//
// Matrices are kept and multiplied in float, column-major, each element of a
// product summed in the order of GL's definition, so that glGetFloatv reads
// back what a fixed-function GL gives. Rotations about a coordinate axis are
// built with exact zeros and ones. Light positions are taken as directions
// (w = 0, the only kind the frame sends) and turned into eye space by the
// modelview matrix current when they are sent.
#include <cmath>
#include <cstring>

#include "webgl/gl11_internal.h"

Gl11State gl11;

static const Gl11Matrix identity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};

// The record starts in GL's initial state (one identity matrix on each stack),
// so that a call made before gl11Start finds the stacks it works on.
static const bool startsInitial = (gl11ResetState(), true);

static void setColour(float to[4], float r, float g, float b, float a) {
    to[0] = r;
    to[1] = g;
    to[2] = b;
    to[3] = a;
}

// GL's initial material.
static void resetMaterial(Gl11Material &m) {
    setColour(m.ambient, 0.2f, 0.2f, 0.2f, 1.0f);
    setColour(m.diffuse, 0.8f, 0.8f, 0.8f, 1.0f);
    setColour(m.specular, 0.0f, 0.0f, 0.0f, 1.0f);
    setColour(m.emission, 0.0f, 0.0f, 0.0f, 1.0f);
    m.shininess = 0.0f;
}

// GL 1.1's initial state, with one matrix on each stack; the ES 2.0 side's
// capabilities, blend function and clear colour too once started.
void gl11ResetState(void) {
    if (gl11.started) {
        gl11.es.disable(GL_DEPTH_TEST);
        gl11.es.disable(GL_BLEND);
        gl11.es.blendFunc(GL_ONE, GL_ZERO);
        gl11.es.clearColor(0.0f, 0.0f, 0.0f, 0.0f);
    }
    gl11.lighting = gl11.twoSide = gl11.localViewer = gl11.fog = false;
    gl11.fogMode = GL_EXP;
    gl11.fogStart = 0.0f, gl11.fogEnd = 1.0f, gl11.fogDensity = 1.0f;
    setColour(gl11.fogColour, 0.0f, 0.0f, 0.0f, 0.0f);
    gl11.shadeModel = GL_SMOOTH;
    gl11.polygonModeFront = gl11.polygonModeBack = GL_FILL;
    gl11.lineWidth = 1.0f;
    gl11.primitive = gl11NoPrimitive;
    gl11.gathered.clear();
    gl11.normal[0] = gl11.normal[1] = 0.0f, gl11.normal[2] = 1.0f;
    setColour(gl11.colour, 1.0f, 1.0f, 1.0f, 1.0f);
    gl11.modelview.assign(1, identity);
    gl11.projection.assign(1, identity);
    gl11.matrixMode = GL_MODELVIEW;
    for (int n = 0; n < gl11MaxLights; n++) {
        Gl11Light &light = gl11.lights[n];
        float bright = n == 0 ? 1.0f : 0.0f;
        setColour(light.ambient, 0.0f, 0.0f, 0.0f, 1.0f);
        setColour(light.diffuse, bright, bright, bright, 1.0f);
        setColour(light.specular, bright, bright, bright, 1.0f);
        light.direction[0] = light.direction[1] = 0.0f;
        light.direction[2] = 1.0f;
        light.enabled = false;
    }
    resetMaterial(gl11.front);
    resetMaterial(gl11.back);
    setColour(gl11.modelAmbient, 0.2f, 0.2f, 0.2f, 1.0f);
}

Gl11Matrix &gl11Top(void) {
    return gl11.matrixMode == GL_PROJECTION ? gl11.projection.back() : gl11.modelview.back();
}

void gl11Multiply(Gl11Matrix &a, const Gl11Matrix &b) {
    Gl11Matrix p;
    for (int col = 0; col < 4; col++) {
        for (int row = 0; row < 4; row++) {
            const float *bc = b.m + col * 4;
            p.m[col * 4 + row] = a.m[row] * bc[0] + a.m[4 + row] * bc[1] + a.m[8 + row] * bc[2] + a.m[12 + row] * bc[3];
        }
    }
    a = p;
}

// ---- Matrices ----------------------------------------------------------------

void glMatrixMode(GLenum mode) {
    if (gl11.logging) gl11LogCall("glMatrixMode", {{"mode", gl11LogEnum(mode)}});
    if (mode == GL_MODELVIEW || mode == GL_PROJECTION) gl11.matrixMode = mode;
}

void glLoadIdentity(void) {
    if (gl11.logging) gl11LogCall("glLoadIdentity", {});
    gl11Top() = identity;
}

// A full stack keeps its top, as GL does on GL_STACK_OVERFLOW; the last
// matrix is never popped.
void glPushMatrix(void) {
    if (gl11.logging) gl11LogCall("glPushMatrix", {});
    std::vector<Gl11Matrix> &stack = gl11.matrixMode == GL_PROJECTION ? gl11.projection : gl11.modelview;
    if ((int)stack.size() < gl11StackDepth) stack.push_back(stack.back());
}

void glPopMatrix(void) {
    if (gl11.logging) gl11LogCall("glPopMatrix", {});
    std::vector<Gl11Matrix> &stack = gl11.matrixMode == GL_PROJECTION ? gl11.projection : gl11.modelview;
    if (stack.size() > 1) stack.pop_back();
}

void glMultMatrixf(const GLfloat *m) {
    if (gl11.logging) gl11LogCall("glMultMatrixf", {{"m", gl11LogFloats(m, 16)}});
    Gl11Matrix b;
    std::memcpy(b.m, m, sizeof b.m);
    gl11Multiply(gl11Top(), b);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    if (gl11.logging) gl11LogCall("glTranslatef", {{"x", x}, {"y", y}, {"z", z}});
    Gl11Matrix t = identity;
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    gl11Multiply(gl11Top(), t);
}

// The rotation by angle degrees about (x, y, z), normalised; the angle is
// turned into radians in double and rounded to float, its sine and cosine
// taken in float (as Mesa gives them, measured).
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (gl11.logging) gl11LogCall("glRotatef", {{"angle", angle}, {"x", x}, {"y", y}, {"z", z}});
    float radians = (float)(angle * M_PI / 180.0);
    float s = std::sin(radians);
    float c = std::cos(radians);
    Gl11Matrix r = identity;
    if (x != 0.0f && y == 0.0f && z == 0.0f) {
        if (x < 0.0f) s = -s;
        r.m[5] = c, r.m[6] = s, r.m[9] = -s, r.m[10] = c;
    } else if (x == 0.0f && y != 0.0f && z == 0.0f) {
        if (y < 0.0f) s = -s;
        r.m[0] = c, r.m[2] = -s, r.m[8] = s, r.m[10] = c;
    } else if (x == 0.0f && y == 0.0f && z != 0.0f) {
        if (z < 0.0f) s = -s;
        r.m[0] = c, r.m[1] = s, r.m[4] = -s, r.m[5] = c;
    } else {
        float length = std::sqrt(x * x + y * y + z * z);
        if (!(length > 0.0f)) return;
        x /= length, y /= length, z /= length;
        float k = 1.0f - c;
        float xx = x * x, yy = y * y, zz = z * z, xy = x * y, yz = y * z, zx = z * x;
        float xs = x * s, ys = y * s, zs = z * s;
        r.m[0] = xx * k + c, r.m[4] = xy * k - zs, r.m[8] = zx * k + ys;
        r.m[1] = xy * k + zs, r.m[5] = yy * k + c, r.m[9] = yz * k - xs;
        r.m[2] = zx * k - ys, r.m[6] = yz * k + xs, r.m[10] = zz * k + c;
    }
    gl11Multiply(gl11Top(), r);
}

void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (gl11.logging) {
        gl11LogCall("glFrustum", {{"left", l}, {"right", r}, {"bottom", b}, {"top", t}, {"zNear", n}, {"zFar", f}});
    }
    if (n <= 0.0 || f <= 0.0 || l == r || b == t || n == f) return;  // GL_INVALID_VALUE
    Gl11Matrix p = {};
    p.m[0] = (float)(2.0 * n / (r - l));
    p.m[5] = (float)(2.0 * n / (t - b));
    p.m[8] = (float)((r + l) / (r - l));
    p.m[9] = (float)((t + b) / (t - b));
    p.m[10] = (float)(-(f + n) / (f - n));
    p.m[11] = -1.0f;
    p.m[14] = (float)(-2.0 * f * n / (f - n));
    gl11Multiply(gl11Top(), p);
}

void glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (gl11.logging) {
        gl11LogCall("glOrtho", {{"left", l}, {"right", r}, {"bottom", b}, {"top", t}, {"zNear", n}, {"zFar", f}});
    }
    if (l == r || b == t || n == f) return;  // GL_INVALID_VALUE
    Gl11Matrix p = identity;
    p.m[0] = (float)(2.0 / (r - l));
    p.m[5] = (float)(2.0 / (t - b));
    p.m[10] = (float)(-2.0 / (f - n));
    p.m[12] = (float)(-(r + l) / (r - l));
    p.m[13] = (float)(-(t + b) / (t - b));
    p.m[14] = (float)(-(f + n) / (f - n));
    gl11Multiply(gl11Top(), p);
}

// Only the two matrices can be read back; anything else leaves params alone.
// The log has what was read, as a trace records the values returned.
void glGetFloatv(GLenum pname, GLfloat *params) {
    if (pname == GL_MODELVIEW_MATRIX) std::memcpy(params, gl11.modelview.back().m, 16 * sizeof(float));
    if (pname == GL_PROJECTION_MATRIX) std::memcpy(params, gl11.projection.back().m, 16 * sizeof(float));
    if (gl11.logging) {
        gl11LogCall("glGetFloatv",
                    {{"pname", gl11LogEnum(pname)}, {"params", gl11LogFloats(params, gl11ParamCount(pname))}});
    }
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    if (gl11.logging) gl11LogCall("glViewport", {{"x", x}, {"y", y}, {"width", width}, {"height", height}});
    if (width < 0 || height < 0) return;  // GL_INVALID_VALUE
    gl11.viewport[0] = x, gl11.viewport[1] = y, gl11.viewport[2] = width, gl11.viewport[3] = height;
    if (gl11.started) gl11.es.viewport(x, y, width, height);
}

// ---- Enables -----------------------------------------------------------------

// The capabilities the ES 2.0 pipeline has itself are passed on; the others
// are the program's own.
static void setCapability(GLenum cap, bool on) {
    if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + gl11MaxLights) {
        gl11.lights[cap - GL_LIGHT0].enabled = on;
    } else if (cap == GL_LIGHTING) {
        gl11.lighting = on;
    } else if (cap == GL_FOG) {
        gl11.fog = on;
    } else if ((cap == GL_DEPTH_TEST || cap == GL_BLEND) && gl11.started) {
        if (on) {
            gl11.es.enable(cap);
        } else {
            gl11.es.disable(cap);
        }
    }
}

void glEnable(GLenum cap) {
    if (gl11.logging) gl11LogCall("glEnable", {{"cap", gl11LogEnum(cap)}});
    setCapability(cap, true);
}

void glDisable(GLenum cap) {
    if (gl11.logging) gl11LogCall("glDisable", {{"cap", gl11LogEnum(cap)}});
    setCapability(cap, false);
}

// ---- Lights and materials ----------------------------------------------------

void glLightfv(GLenum light, GLenum pname, const GLfloat *params) {
    if (gl11.logging) {
        gl11LogCall("glLightfv", {{"light", gl11LogEnum(light)},
                                  {"pname", gl11LogEnum(pname)},
                                  {"params", gl11LogFloats(params, gl11ParamCount(pname))}});
    }
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + gl11MaxLights) return;
    Gl11Light &l = gl11.lights[light - GL_LIGHT0];
    if (pname == GL_AMBIENT) std::memcpy(l.ambient, params, sizeof l.ambient);
    if (pname == GL_DIFFUSE) std::memcpy(l.diffuse, params, sizeof l.diffuse);
    if (pname == GL_SPECULAR) std::memcpy(l.specular, params, sizeof l.specular);
    if (pname == GL_POSITION) {
        // A direction: only the upper 3 x 3 of the modelview matrix acts on it.
        const float *m = gl11.modelview.back().m;
        float v[3];
        for (int i = 0; i < 3; i++) v[i] = m[i] * params[0] + m[4 + i] * params[1] + m[8 + i] * params[2];
        float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        if (length > 0.0f) {
            for (int i = 0; i < 3; i++) l.direction[i] = v[i] / length;
        }
    }
}

// Switches two-sided lighting or the local viewer.
static void setLightModel(GLenum pname, bool on) {
    if (pname == GL_LIGHT_MODEL_TWO_SIDE) gl11.twoSide = on;
    if (pname == GL_LIGHT_MODEL_LOCAL_VIEWER) gl11.localViewer = on;
}

void glLightModeli(GLenum pname, GLint param) {
    if (gl11.logging) gl11LogCall("glLightModeli", {{"pname", gl11LogEnum(pname)}, {"param", param}});
    setLightModel(pname, param != 0);
}

void glLightModelfv(GLenum pname, const GLfloat *params) {
    if (gl11.logging) {
        gl11LogCall("glLightModelfv",
                    {{"pname", gl11LogEnum(pname)}, {"params", gl11LogFloats(params, gl11ParamCount(pname))}});
    }
    if (pname == GL_LIGHT_MODEL_AMBIENT) {
        std::memcpy(gl11.modelAmbient, params, sizeof gl11.modelAmbient);
    } else {
        setLightModel(pname, params[0] != 0.0f);
    }
}

static void setMaterial(Gl11Material &m, GLenum pname, const GLfloat *params) {
    if (pname == GL_AMBIENT || pname == GL_AMBIENT_AND_DIFFUSE) std::memcpy(m.ambient, params, sizeof m.ambient);
    if (pname == GL_DIFFUSE || pname == GL_AMBIENT_AND_DIFFUSE) std::memcpy(m.diffuse, params, sizeof m.diffuse);
    if (pname == GL_SPECULAR) std::memcpy(m.specular, params, sizeof m.specular);
    if (pname == GL_EMISSION) std::memcpy(m.emission, params, sizeof m.emission);
    // Outside [0, 128] is GL_INVALID_VALUE: the exponent stays.
    if (pname == GL_SHININESS && params[0] >= 0.0f && params[0] <= 128.0f) m.shininess = params[0];
}

// Sets a parameter of the front material, the back one or both.
static void setMaterials(GLenum face, GLenum pname, const GLfloat *params) {
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) setMaterial(gl11.front, pname, params);
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) setMaterial(gl11.back, pname, params);
}

void glMaterialfv(GLenum face, GLenum pname, const GLfloat *params) {
    if (gl11.logging) {
        gl11LogCall("glMaterialfv", {{"face", gl11LogEnum(face)},
                                     {"pname", gl11LogEnum(pname)},
                                     {"params", gl11LogFloats(params, gl11ParamCount(pname))}});
    }
    setMaterials(face, pname, params);
}

void glMaterialf(GLenum face, GLenum pname, GLfloat param) {
    if (gl11.logging) {
        gl11LogCall("glMaterialf", {{"face", gl11LogEnum(face)}, {"pname", gl11LogEnum(pname)}, {"param", param}});
    }
    if (pname == GL_SHININESS) setMaterials(face, pname, &param);
}

// ---- Fog -----------------------------------------------------------------------

// The fog's single-valued parameters; the mode only as GL_LINEAR or GL_EXP.
static void setFogScalar(GLenum pname, float value) {
    if (pname == GL_FOG_START) gl11.fogStart = value;
    if (pname == GL_FOG_END) gl11.fogEnd = value;
    if (pname == GL_FOG_DENSITY && value >= 0.0f) gl11.fogDensity = value;
    if (pname == GL_FOG_MODE && (value == (float)GL_LINEAR || value == (float)GL_EXP)) gl11.fogMode = (GLenum)value;
}

// GL_FOG_MODE's value is an enum, and apitrace names it.
void glFogf(GLenum pname, GLfloat param) {
    if (gl11.logging) {
        gl11LogCall("glFogf", {{"pname", gl11LogEnum(pname)},
                               pname == GL_FOG_MODE ? Gl11LogArg("param", gl11LogEnum((GLenum)(int)param))
                                                    : Gl11LogArg("param", param)});
    }
    setFogScalar(pname, param);
}

void glFogi(GLenum pname, GLint param) {
    if (gl11.logging) {
        gl11LogCall("glFogi", {{"pname", gl11LogEnum(pname)},
                               pname == GL_FOG_MODE ? Gl11LogArg("param", gl11LogEnum((GLenum)param))
                                                    : Gl11LogArg("param", param)});
    }
    setFogScalar(pname, (float)param);
}

void glFogfv(GLenum pname, const GLfloat *params) {
    if (gl11.logging) {
        gl11LogCall("glFogfv",
                    {{"pname", gl11LogEnum(pname)}, {"params", gl11LogFloats(params, gl11ParamCount(pname))}});
    }
    if (pname == GL_FOG_COLOR) {
        std::memcpy(gl11.fogColour, params, sizeof gl11.fogColour);
    } else {
        setFogScalar(pname, params[0]);
    }
}

// ---- Rasterising ---------------------------------------------------------------

void glShadeModel(GLenum mode) {
    if (gl11.logging) gl11LogCall("glShadeModel", {{"mode", gl11LogEnum(mode)}});
    if (mode == GL_FLAT || mode == GL_SMOOTH) gl11.shadeModel = mode;
}

void glPolygonMode(GLenum face, GLenum mode) {
    if (gl11.logging) gl11LogCall("glPolygonMode", {{"face", gl11LogEnum(face)}, {"mode", gl11LogEnum(mode)}});
    if (mode != GL_FILL && mode != GL_LINE && mode != GL_POINT) return;
    if (face == GL_FRONT || face == GL_FRONT_AND_BACK) gl11.polygonModeFront = mode;
    if (face == GL_BACK || face == GL_FRONT_AND_BACK) gl11.polygonModeBack = mode;
}

void glLineWidth(GLfloat width) {
    if (gl11.logging) gl11LogCall("glLineWidth", {{"width", width}});
    if (width > 0.0f) gl11.lineWidth = width;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) {
    if (gl11.logging) gl11LogCall("glColor3f", {{"red", r}, {"green", g}, {"blue", b}});
    setColour(gl11.colour, r, g, b, 1.0f);
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (gl11.logging) gl11LogCall("glNormal3f", {{"nx", x}, {"ny", y}, {"nz", z}});
    gl11.normal[0] = x, gl11.normal[1] = y, gl11.normal[2] = z;
}

void glNormal3fv(const GLfloat *v) {
    if (gl11.logging) gl11LogCall("glNormal3fv", {{"v", gl11LogFloats(v, 3)}});
    gl11.normal[0] = v[0], gl11.normal[1] = v[1], gl11.normal[2] = v[2];
}

// ---- Passed on -------------------------------------------------------------------

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    if (gl11.logging) gl11LogCall("glClearColor", {{"red", r}, {"green", g}, {"blue", b}, {"alpha", a}});
    if (gl11.started) gl11.es.clearColor(r, g, b, a);
}

void glClear(GLbitfield mask) {
    if (gl11.logging) gl11LogCall("glClear", {{"mask", gl11LogMask(mask)}});
    if (gl11.started) gl11.es.clear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT));
}

void glBlendFunc(GLenum sfactor, GLenum dfactor) {
    if (gl11.logging)
        gl11LogCall("glBlendFunc", {{"sfactor", gl11LogEnum(sfactor)}, {"dfactor", gl11LogEnum(dfactor)}});
    if (gl11.started) gl11.es.blendFunc(sfactor, dfactor);
}

void glFlush(void) {
    if (gl11.logging) gl11LogCall("glFlush", {});
    if (gl11.started) gl11.es.flush();
}
