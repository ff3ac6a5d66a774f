// gl11_shader.cpp: the ES 2.0 side of the GL 1.1 subset: the table of entry
// points, the one GLSL ES 1.00 program that does GL 1.1's per-vertex
// lighting and per-fragment fog, and the draw every primitive ends in.
//
// Lighting is GL 1.1's, per vertex, for directional lights (no attenuation,
// no spot): emission + ambient x the model's ambient, then per light the
// ambient term, the diffuse term max(n.L, 0), and when n.L > 0 the specular
// term max(n.h, 0)^shininess with h = normalize(L + eye direction), the eye
// direction (0, 0, 1) or, for a local viewer, towards the eye; each colour
// clamped to [0, 1], alpha the diffuse alpha. With two-sided lighting the
// back colour is worked out too, with the back material and the normal
// reversed, and each fragment takes the colour of the side it shows
// (gl_FrontFacing, or the side of the polygon a wireframe edge came from).
// Normals are not normalised: GL_NORMALIZE is off in GL 1.1 by default and
// the frame never turns it on. Fog: linear (end - z) / (end - start) or exp
// e^(-density z) of the eye distance |z_eye|, clamped, blending the colour's
// red, green and blue towards the fog colour.
#include <cstddef>
#include <cstdio>

#include "webgl/gl11_internal.h"

static const char *const vertexSource = R"(
attribute vec4 aPosition;
attribute vec3 aNormal;
attribute vec4 aColour;
attribute float aFacing;
attribute vec2 aOffset;
uniform mat4 uModelView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform bool uLighting;
uniform bool uTwoSide;
uniform bool uLocalViewer;
uniform vec4 uModelAmbient;
uniform float uLightOn[8];
uniform vec4 uLightAmbient[8];
uniform vec4 uLightDiffuse[8];
uniform vec4 uLightSpecular[8];
uniform vec3 uLightDirection[8];
uniform vec4 uFrontAmbient, uFrontDiffuse, uFrontSpecular, uFrontEmission;
uniform float uFrontShininess;
uniform vec4 uBackAmbient, uBackDiffuse, uBackSpecular, uBackEmission;
uniform float uBackShininess;
varying vec4 vFront;
varying vec4 vBack;
varying float vFacing;
varying float vFogDistance;

vec4 shade(vec3 n, vec3 eyeDirection, vec4 ambient, vec4 diffuse, vec4 specular, vec4 emission, float shininess) {
    vec3 c = emission.rgb + ambient.rgb * uModelAmbient.rgb;
    for (int i = 0; i < 8; i++) {
        if (uLightOn[i] > 0.5) {
            vec3 l = uLightDirection[i];
            float d = dot(n, l);
            c += ambient.rgb * uLightAmbient[i].rgb;
            if (d > 0.0) {
                c += d * diffuse.rgb * uLightDiffuse[i].rgb;
                float h = max(dot(n, normalize(l + eyeDirection)), 0.0);
                float power = h > 0.0 ? pow(h, shininess) : (shininess == 0.0 ? 1.0 : 0.0);
                c += power * specular.rgb * uLightSpecular[i].rgb;
            }
        }
    }
    return vec4(clamp(c, 0.0, 1.0), clamp(diffuse.a, 0.0, 1.0));
}

void main() {
    vec4 eye = uModelView * aPosition;
    gl_Position = uProjection * eye;
    gl_Position.xy += aOffset * gl_Position.w;
    vFacing = aFacing;
    vFogDistance = abs(eye.z);
    if (uLighting) {
        vec3 n = uNormalMatrix * aNormal;
        vec3 e = uLocalViewer ? normalize(-eye.xyz) : vec3(0.0, 0.0, 1.0);
        vFront = shade(n, e, uFrontAmbient, uFrontDiffuse, uFrontSpecular, uFrontEmission, uFrontShininess);
        if (uTwoSide) {
            vBack = shade(-n, e, uBackAmbient, uBackDiffuse, uBackSpecular, uBackEmission, uBackShininess);
        } else {
            vBack = vFront;
        }
    } else {
        vFront = aColour;
        vBack = aColour;
    }
}
)";

static const char *const fragmentSource = R"(
precision highp float;
uniform bool uFog;
uniform float uFogMode;
uniform float uFogStart;
uniform float uFogEnd;
uniform float uFogDensity;
uniform vec4 uFogColour;
varying vec4 vFront;
varying vec4 vBack;
varying float vFacing;
varying float vFogDistance;

void main() {
    bool front = abs(vFacing) > 0.5 ? vFacing > 0.0 : gl_FrontFacing;
    vec4 c = front ? vFront : vBack;
    if (uFog) {
        float f = uFogMode > 0.5 ? exp(-uFogDensity * vFogDistance)
                                 : (uFogEnd - vFogDistance) / (uFogEnd - uFogStart);
        c.rgb = mix(uFogColour.rgb, c.rgb, clamp(f, 0.0, 1.0));
    }
    gl_FragColor = c;
}
)";

// Vertex attribute locations, bound before linking.
enum { aPosition, aNormal, aColour, aFacing, aOffset };

// ---- The entry points ----------------------------------------------------------

template <typename F>
static bool load(Gl11ProcLoader loader, const char *name, F &to) {
    to = reinterpret_cast<F>(loader(name));
    if (!to) std::fprintf(stderr, "GL 1.1 on ES 2.0: no %s\n", name);
    return to != nullptr;
}

static bool loadApi(Gl11ProcLoader loader) {
    Es2Api &es = gl11.es;
    bool ok = true;
    ok &= load(loader, "glAttachShader", es.attachShader);
    ok &= load(loader, "glBindAttribLocation", es.bindAttribLocation);
    ok &= load(loader, "glBindBuffer", es.bindBuffer);
    ok &= load(loader, "glBlendFunc", es.blendFunc);
    ok &= load(loader, "glBufferData", es.bufferData);
    ok &= load(loader, "glClear", es.clear);
    ok &= load(loader, "glClearColor", es.clearColor);
    ok &= load(loader, "glCompileShader", es.compileShader);
    ok &= load(loader, "glCreateProgram", es.createProgram);
    ok &= load(loader, "glCreateShader", es.createShader);
    ok &= load(loader, "glDeleteShader", es.deleteShader);
    ok &= load(loader, "glDisable", es.disable);
    ok &= load(loader, "glDrawArrays", es.drawArrays);
    ok &= load(loader, "glEnable", es.enable);
    ok &= load(loader, "glEnableVertexAttribArray", es.enableVertexAttribArray);
    ok &= load(loader, "glFlush", es.flush);
    ok &= load(loader, "glGenBuffers", es.genBuffers);
    ok &= load(loader, "glGetProgramiv", es.getProgramiv);
    ok &= load(loader, "glGetProgramInfoLog", es.getProgramInfoLog);
    ok &= load(loader, "glGetShaderiv", es.getShaderiv);
    ok &= load(loader, "glGetShaderInfoLog", es.getShaderInfoLog);
    ok &= load(loader, "glGetUniformLocation", es.getUniformLocation);
    ok &= load(loader, "glLinkProgram", es.linkProgram);
    ok &= load(loader, "glShaderSource", es.shaderSource);
    ok &= load(loader, "glUniform1i", es.uniform1i);
    ok &= load(loader, "glUniform1f", es.uniform1f);
    ok &= load(loader, "glUniform1fv", es.uniform1fv);
    ok &= load(loader, "glUniform3fv", es.uniform3fv);
    ok &= load(loader, "glUniform4fv", es.uniform4fv);
    ok &= load(loader, "glUniformMatrix3fv", es.uniformMatrix3fv);
    ok &= load(loader, "glUniformMatrix4fv", es.uniformMatrix4fv);
    ok &= load(loader, "glUseProgram", es.useProgram);
    ok &= load(loader, "glVertexAttribPointer", es.vertexAttribPointer);
    ok &= load(loader, "glViewport", es.viewport);
    return ok;
}

// ---- The program ---------------------------------------------------------------

static GLuint compile(GLenum kind, const char *source) {
    GLuint shader = gl11.es.createShader(kind);
    gl11.es.shaderSource(shader, 1, &source, nullptr);
    gl11.es.compileShader(shader);
    GLint compiled = 0;
    gl11.es.getShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (!compiled) {
        char log[1024] = "";
        gl11.es.getShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "GL 1.1 on ES 2.0: shader does not compile: %s\n", log);
        gl11.es.deleteShader(shader);
        return 0;
    }
    return shader;
}

static bool buildProgram(void) {
    Es2Api &es = gl11.es;
    GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
    if (!vertex || !fragment) return false;
    GLuint program = es.createProgram();
    es.attachShader(program, vertex);
    es.attachShader(program, fragment);
    es.bindAttribLocation(program, aPosition, "aPosition");
    es.bindAttribLocation(program, aNormal, "aNormal");
    es.bindAttribLocation(program, aColour, "aColour");
    es.bindAttribLocation(program, aFacing, "aFacing");
    es.bindAttribLocation(program, aOffset, "aOffset");
    es.linkProgram(program);
    es.deleteShader(vertex);
    es.deleteShader(fragment);
    GLint linked = 0;
    es.getProgramiv(program, GL_LINK_STATUS, &linked);
    if (!linked) {
        char log[1024] = "";
        es.getProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "GL 1.1 on ES 2.0: program does not link: %s\n", log);
        return false;
    }
    gl11.program = program;
    auto at = [program](const char *name) { return gl11.es.getUniformLocation(program, name); };
    gl11.uModelView = at("uModelView"), gl11.uProjection = at("uProjection"), gl11.uNormalMatrix = at("uNormalMatrix");
    gl11.uLighting = at("uLighting"), gl11.uTwoSide = at("uTwoSide"), gl11.uLocalViewer = at("uLocalViewer");
    gl11.uModelAmbient = at("uModelAmbient");
    gl11.uLightOn = at("uLightOn"), gl11.uLightAmbient = at("uLightAmbient");
    gl11.uLightDiffuse = at("uLightDiffuse"), gl11.uLightSpecular = at("uLightSpecular");
    gl11.uLightDirection = at("uLightDirection");
    gl11.uFrontAmbient = at("uFrontAmbient"), gl11.uFrontDiffuse = at("uFrontDiffuse");
    gl11.uFrontSpecular = at("uFrontSpecular"), gl11.uFrontEmission = at("uFrontEmission");
    gl11.uFrontShininess = at("uFrontShininess");
    gl11.uBackAmbient = at("uBackAmbient"), gl11.uBackDiffuse = at("uBackDiffuse");
    gl11.uBackSpecular = at("uBackSpecular"), gl11.uBackEmission = at("uBackEmission");
    gl11.uBackShininess = at("uBackShininess");
    gl11.uFog = at("uFog"), gl11.uFogMode = at("uFogMode"), gl11.uFogStart = at("uFogStart");
    gl11.uFogEnd = at("uFogEnd"), gl11.uFogDensity = at("uFogDensity"), gl11.uFogColour = at("uFogColour");
    return true;
}

bool gl11Start(Gl11ProcLoader loader) {
    gl11 = Gl11State{};
    gl11ResetState();
    if (!loadApi(loader) || !buildProgram()) return false;
    Es2Api &es = gl11.es;
    es.genBuffers(1, &gl11.vertexBuffer);
    es.bindBuffer(GL_ARRAY_BUFFER, gl11.vertexBuffer);
    const GLsizei stride = sizeof(Gl11Vertex);
    es.vertexAttribPointer(aPosition, 4, GL_FLOAT, GL_FALSE, stride, (void *)offsetof(Gl11Vertex, position));
    es.vertexAttribPointer(aNormal, 3, GL_FLOAT, GL_FALSE, stride, (void *)offsetof(Gl11Vertex, normal));
    es.vertexAttribPointer(aColour, 4, GL_FLOAT, GL_FALSE, stride, (void *)offsetof(Gl11Vertex, colour));
    es.vertexAttribPointer(aFacing, 1, GL_FLOAT, GL_FALSE, stride, (void *)offsetof(Gl11Vertex, facing));
    es.vertexAttribPointer(aOffset, 2, GL_FLOAT, GL_FALSE, stride, (void *)offsetof(Gl11Vertex, offset));
    for (GLuint a = aPosition; a <= aOffset; a++) es.enableVertexAttribArray(a);
    es.useProgram(gl11.program);
    gl11.started = true;
    return true;
}

// ---- Drawing -------------------------------------------------------------------

// The inverse transpose of the modelview matrix's upper 3 x 3, column-major;
// a singular matrix gives zero normals.
static void normalMatrix(float out[9]) {
    const float *m = gl11.modelview.back().m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const float cofactor[9] = {e * i - f * h, f * g - d * i, d * h - e * g, c * h - b * i, a * i - c * g,
                               b * g - a * h, b * f - c * e, c * d - a * f, a * e - b * d};
    float det = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
    float scale = det != 0.0f ? 1.0f / det : 0.0f;
    // cofactor holds, row by row, the cofactors of rows a b c, d e f, g h i:
    // the inverse transpose is the cofactor matrix over the determinant.
    const int row[9] = {0, 3, 6, 1, 4, 7, 2, 5, 8};
    for (int k = 0; k < 9; k++) out[k] = cofactor[row[k]] * scale;
}

static void setMaterialUniforms(const Gl11Material &m, GLint ambient, GLint diffuse, GLint specular, GLint emission,
                                GLint shininess) {
    gl11.es.uniform4fv(ambient, 1, m.ambient);
    gl11.es.uniform4fv(diffuse, 1, m.diffuse);
    gl11.es.uniform4fv(specular, 1, m.specular);
    gl11.es.uniform4fv(emission, 1, m.emission);
    gl11.es.uniform1f(shininess, m.shininess);
}

static void setUniforms(void) {
    Es2Api &es = gl11.es;
    es.uniformMatrix4fv(gl11.uModelView, 1, GL_FALSE, gl11.modelview.back().m);
    es.uniformMatrix4fv(gl11.uProjection, 1, GL_FALSE, gl11.projection.back().m);
    es.uniform1i(gl11.uLighting, gl11.lighting);
    es.uniform1i(gl11.uFog, gl11.fog);
    if (gl11.fog) {
        es.uniform1f(gl11.uFogMode, gl11.fogMode == GL_EXP ? 1.0f : 0.0f);
        es.uniform1f(gl11.uFogStart, gl11.fogStart);
        es.uniform1f(gl11.uFogEnd, gl11.fogEnd);
        es.uniform1f(gl11.uFogDensity, gl11.fogDensity);
        es.uniform4fv(gl11.uFogColour, 1, gl11.fogColour);
    }
    if (!gl11.lighting) return;
    float normals[9];
    normalMatrix(normals);
    es.uniformMatrix3fv(gl11.uNormalMatrix, 1, GL_FALSE, normals);
    es.uniform1i(gl11.uTwoSide, gl11.twoSide);
    es.uniform1i(gl11.uLocalViewer, gl11.localViewer);
    es.uniform4fv(gl11.uModelAmbient, 1, gl11.modelAmbient);
    float on[gl11MaxLights], ambient[gl11MaxLights * 4], diffuse[gl11MaxLights * 4], specular[gl11MaxLights * 4];
    float direction[gl11MaxLights * 3];
    for (int n = 0; n < gl11MaxLights; n++) {
        const Gl11Light &light = gl11.lights[n];
        on[n] = light.enabled ? 1.0f : 0.0f;
        for (int i = 0; i < 4; i++) {
            ambient[n * 4 + i] = light.ambient[i];
            diffuse[n * 4 + i] = light.diffuse[i];
            specular[n * 4 + i] = light.specular[i];
        }
        for (int i = 0; i < 3; i++) direction[n * 3 + i] = light.direction[i];
    }
    es.uniform1fv(gl11.uLightOn, gl11MaxLights, on);
    es.uniform4fv(gl11.uLightAmbient, gl11MaxLights, ambient);
    es.uniform4fv(gl11.uLightDiffuse, gl11MaxLights, diffuse);
    es.uniform4fv(gl11.uLightSpecular, gl11MaxLights, specular);
    es.uniform3fv(gl11.uLightDirection, gl11MaxLights, direction);
    setMaterialUniforms(gl11.front, gl11.uFrontAmbient, gl11.uFrontDiffuse, gl11.uFrontSpecular, gl11.uFrontEmission,
                        gl11.uFrontShininess);
    setMaterialUniforms(gl11.back, gl11.uBackAmbient, gl11.uBackDiffuse, gl11.uBackSpecular, gl11.uBackEmission,
                        gl11.uBackShininess);
}

void gl11Draw(const std::vector<Gl11Vertex> &vertices) {
    if (!gl11.started) return;
    setUniforms();
    gl11.es.bufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(vertices.size() * sizeof(Gl11Vertex)), vertices.data(),
                       GL_STREAM_DRAW);
    gl11.es.drawArrays(GL_TRIANGLES, 0, (GLsizei)vertices.size());
}
