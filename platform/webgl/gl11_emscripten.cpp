// gl11_emscripten.cpp: the ES 2.0 entry points of the GL 1.1 subset in the
// browser, found by name among emscripten's WebGL functions. Built only for
// the web (natively the table is filled from SDL_GL_GetProcAddress).
//
// emscripten offers every WebGL call twice, as glX and as emscripten_glX, so
// that a program may define glX itself: the subset does (glEnable, glClear
// and the rest are its own), so it draws through the emscripten_gl names.
// Implemented: the calls in Es2Api, and glReadPixels for pages that read
// their picture back. Left out: every other ES 2.0 call (the loader returns
// null for it, and gl11Start says which one is missing).
//
// Usage, with a WebGL 1 context made current by emscripten_webgl_*:
//     gl11Start(gl11EmscriptenProc);
#include <cstring>

#include "webgl/gl11_internal.h"

extern "C" {
void emscripten_glAttachShader(GLuint, GLuint);
void emscripten_glBindAttribLocation(GLuint, GLuint, const GLchar *);
void emscripten_glBindBuffer(GLenum, GLuint);
void emscripten_glBlendFunc(GLenum, GLenum);
void emscripten_glBufferData(GLenum, GLsizeiptr, const void *, GLenum);
void emscripten_glClear(GLbitfield);
void emscripten_glClearColor(GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glCompileShader(GLuint);
GLuint emscripten_glCreateProgram(void);
GLuint emscripten_glCreateShader(GLenum);
void emscripten_glDeleteShader(GLuint);
void emscripten_glDisable(GLenum);
void emscripten_glDrawArrays(GLenum, GLint, GLsizei);
void emscripten_glEnable(GLenum);
void emscripten_glEnableVertexAttribArray(GLuint);
void emscripten_glFlush(void);
void emscripten_glGenBuffers(GLsizei, GLuint *);
void emscripten_glGetProgramiv(GLuint, GLenum, GLint *);
void emscripten_glGetProgramInfoLog(GLuint, GLsizei, GLsizei *, GLchar *);
void emscripten_glGetShaderiv(GLuint, GLenum, GLint *);
void emscripten_glGetShaderInfoLog(GLuint, GLsizei, GLsizei *, GLchar *);
GLint emscripten_glGetUniformLocation(GLuint, const GLchar *);
void emscripten_glLinkProgram(GLuint);
void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void *);
void emscripten_glShaderSource(GLuint, GLsizei, const GLchar *const *, const GLint *);
void emscripten_glUniform1i(GLint, GLint);
void emscripten_glUniform1f(GLint, GLfloat);
void emscripten_glUniform1fv(GLint, GLsizei, const GLfloat *);
void emscripten_glUniform3fv(GLint, GLsizei, const GLfloat *);
void emscripten_glUniform4fv(GLint, GLsizei, const GLfloat *);
void emscripten_glUniformMatrix3fv(GLint, GLsizei, GLboolean, const GLfloat *);
void emscripten_glUniformMatrix4fv(GLint, GLsizei, GLboolean, const GLfloat *);
void emscripten_glUseProgram(GLuint);
void emscripten_glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void *);
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
}

namespace {

struct NamedProc {
    const char *name;
    void *proc;
};

// clang-format off
#define GL11_PROC(name) {#name, reinterpret_cast<void *>(&emscripten_##name)}
// clang-format on

const NamedProc procs[] = {
    GL11_PROC(glAttachShader),
    GL11_PROC(glBindAttribLocation),
    GL11_PROC(glBindBuffer),
    GL11_PROC(glBlendFunc),
    GL11_PROC(glBufferData),
    GL11_PROC(glClear),
    GL11_PROC(glClearColor),
    GL11_PROC(glCompileShader),
    GL11_PROC(glCreateProgram),
    GL11_PROC(glCreateShader),
    GL11_PROC(glDeleteShader),
    GL11_PROC(glDisable),
    GL11_PROC(glDrawArrays),
    GL11_PROC(glEnable),
    GL11_PROC(glEnableVertexAttribArray),
    GL11_PROC(glFlush),
    GL11_PROC(glGenBuffers),
    GL11_PROC(glGetProgramiv),
    GL11_PROC(glGetProgramInfoLog),
    GL11_PROC(glGetShaderiv),
    GL11_PROC(glGetShaderInfoLog),
    GL11_PROC(glGetUniformLocation),
    GL11_PROC(glLinkProgram),
    GL11_PROC(glReadPixels),
    GL11_PROC(glShaderSource),
    GL11_PROC(glUniform1i),
    GL11_PROC(glUniform1f),
    GL11_PROC(glUniform1fv),
    GL11_PROC(glUniform3fv),
    GL11_PROC(glUniform4fv),
    GL11_PROC(glUniformMatrix3fv),
    GL11_PROC(glUniformMatrix4fv),
    GL11_PROC(glUseProgram),
    GL11_PROC(glVertexAttribPointer),
    GL11_PROC(glViewport),
};

#undef GL11_PROC

}  // namespace

void *gl11EmscriptenProc(const char *name) {
    for (const NamedProc &p : procs) {
        if (std::strcmp(p.name, name) == 0) return p.proc;
    }
    return nullptr;
}
