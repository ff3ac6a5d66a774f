// bare_sdl_gl: the yardstick for quelvaro's performance figures. A plain SDL2
// program with no Win32 layer that opens one OpenGL window and draws the same
// GL work as quelvaro's default frame, written out straight: the lit 40 x 40
// quad sheet with the curtain wave, the blue wire box and the marker sphere,
// with the same lights, fog, materials and projection. bench/perf.sh runs it
// next to the real program and compares CPU per frame and peak memory.
//
//   bare_sdl_gl [--size WxH] [--fog] [--wireframe] [--blend] [--clear-only]
//
// --clear-only draws nothing but a clear (a bare SDL+GL window). Frames go back
// to back, presented at most once per display refresh: vsync where the driver
// has it, otherwise the rest of a 60 Hz interval is slept out, as quelvaro
// does. The wave phase advances by 0.15 every 80 ms. The window closes on a
// window-manager close request, SIGINT or SIGTERM, with status 0.
#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "render/camera.h"  // the start orientation, nothing else

namespace {

struct Options {
    int width = 919;
    int height = 900;
    bool fog = false;
    bool wireframe = false;
    bool blend = false;
    bool clearOnly = false;
};

const Uint32 kTickMs = 80;
const double kPhaseStep = 0.15;
const Uint64 kFallbackRefreshHz = 60;

// The seven directional lights: position, ambient, diffuse, specular.
const GLfloat kLights[7][4][4] = {
    {{-2, 2, -1, 0}, {0.1f, 0.051f, 0.1f, 1}, {0.2f, 0.25f, 0.2f, 1}, {0.2f, 0.2f, 0.2f, 1}},
    {{0, -14, -10, 0}, {0.135f, 0.135f, 0.165f, 1}, {0.25f, 0.25f, 0.5f, 1}, {0.25f, 0.25f, 0.65f, 1}},
    {{15, 6, 12, 0}, {0.165f, 0.175f, 0.145f, 1}, {0.6f, 0.3f, 0.3f, 1}, {0.65f, 0.85f, 0.85f, 1}},
    {{-8, 8, -10, 0}, {0.165f, 0.165f, 0.135f, 1}, {0.7f, 0.47f, 0.05f, 1}, {0.65f, 0.65f, 0.85f, 1}},
    {{22, 52, -85, 0}, {0.155f, 0.155f, 0.155f, 1}, {0.4f, 0.23f, 0.13f, 1}, {0.35f, 0.75f, 0.35f, 1}},
    {{5, -5, 5, 0}, {0.25f, 0.15f, 0.15f, 1}, {0.3f, 0.5f, 0.3f, 1}, {0.35f, 0.5f, 0.08f, 1}},
    {{10, 50, -70, 0}, {0.134f, 0.134f, 0.134f, 1}, {0.4f, 0.1f, 0.15f, 1}, {0.4f, 0.34f, 0.5f, 1}},
};

bool parseOptions(int argc, char **argv, Options &o) {
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--fog"))
            o.fog = true;
        else if (!std::strcmp(argv[i], "--wireframe"))
            o.wireframe = true;
        else if (!std::strcmp(argv[i], "--blend"))
            o.blend = true;
        else if (!std::strcmp(argv[i], "--clear-only"))
            o.clearOnly = true;
        else if (!std::strcmp(argv[i], "--size") && i + 1 < argc &&
                 std::sscanf(argv[i + 1], "%dx%d", &o.width, &o.height) == 2 && o.width > 0 && o.height > 0)
            ++i;
        else
            return false;
    }
    return true;
}

void applySurfaceMaterial() {
    const GLfloat frontAmbient[] = {0.41f, 0.31f, 0.2f, 1}, frontDiffuse[] = {0.5f, 0.5f, 0.5f, 0.5f};
    const GLfloat frontSpecular[] = {0.35f, 0.5f, 0.35f, 1};
    const GLfloat backAmbient[] = {0.31f, 0.41f, 0.2f, 1}, backDiffuse[] = {0.5f, 0.5f, 0.5f, 0.5f};
    const GLfloat backSpecular[] = {0.5f, 0.3f, 0.3f, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, frontAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, frontDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, frontSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, 96);
    glMaterialfv(GL_BACK, GL_AMBIENT, backAmbient);
    glMaterialfv(GL_BACK, GL_DIFFUSE, backDiffuse);
    glMaterialfv(GL_BACK, GL_SPECULAR, backSpecular);
    glMaterialf(GL_BACK, GL_SHININESS, 96);
}

void applyMarkerMaterial() {
    const GLfloat ambient[] = {0.61f, 0.61f, 0.51f, 1}, diffuse[] = {0.9f, 0.9f, 1.0f, 0.6f};
    const GLfloat specular[] = {0.74f, 0.74f, 0.74f, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 40);
}

void setProjection(const Options &o) {
    float aspect = (float)o.width / (float)o.height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-aspect, aspect, -1, 1, 2, 6.0f + 4);
    glMatrixMode(GL_MODELVIEW);
}

// Lights, fog and materials once, then the camera and the start orientation.
void initScene(const Options &o, GLfloat rotation[16]) {
    const GLfloat fogColour[] = {0.35f, 0.35f, 0.15f, 1}, ambient[] = {0.55f, 0.5f, 0.45f, 1};
    glFogf(GL_FOG_START, 0);
    glFogf(GL_FOG_END, 25);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, 0.45000002f);
    glFogfv(GL_FOG_COLOR, fogColour);
    setProjection(o);
    glEnable(GL_LIGHTING);
    glTranslatef(0, 0, -5);
    applySurfaceMaterial();
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    for (int i = 0; i < 7; ++i) {
        glLightfv(GL_LIGHT0 + i, GL_POSITION, kLights[i][0]);
        glLightfv(GL_LIGHT0 + i, GL_AMBIENT, kLights[i][1]);
        glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, kLights[i][2]);
        glLightfv(GL_LIGHT0 + i, GL_SPECULAR, kLights[i][3]);
        if (i < 4) glEnable(GL_LIGHT0 + i);
    }
    glLoadIdentity();
    glTranslatef(0, 0, -6.7f);
    glViewport(0, 0, o.width, o.height);

    glPushMatrix();
    glLoadIdentity();
    glRotatef(startTiltXDegrees, 1, 0, 0);
    glRotatef(startTurnYDegrees, 0, 1, 0);
    glGetFloatv(GL_MODELVIEW_MATRIX, rotation);
    glPopMatrix();
}

// The curtain wave: 40 columns of 40 quads, normals (sin(10x + p) + z/2, 1, 0).
void drawCurtainSheet(double phase) {
    const float start = -1.6f, step = 0.08f, limit = 1.6f;
    float u = start;
    for (;;) {
        glBegin(GL_QUADS);
        float v = start;
        for (;;) {
            double xs[4] = {u, (double)u + step, (double)u + step, u};
            double zs[4] = {v, v, (double)v + step, (double)v + step};
            GLfloat n[4][3];
            for (int c = 0; c < 4; ++c) {
                float nx = (float)(std::sin(10 * xs[c] + phase) + 0.5 * zs[c]);
                double len = std::sqrt((double)nx * nx + 1.0);
                n[c][0] = (float)(nx / len);
                n[c][1] = (float)(1 / len);
                n[c][2] = 0;
            }
            for (int c = 0; c < 4; ++c) {
                glNormal3fv(n[c]);
                glVertex3f((float)xs[c], 0, (float)zs[c]);
            }
            double t = (double)v + step;
            v = (float)t;
            if (t > limit) break;
        }
        glEnd();
        double t = (double)u + step;
        u = (float)t;
        if (t > limit) break;
    }
}

void drawBox() {
    static const GLfloat strip1[10][3] = {{-2, -2, -2}, {-2, 2, -2}, {2, 2, -2}, {2, -2, -2}, {-2, -2, -2},
                                          {-2, -2, 2},  {-2, 2, 2},  {2, 2, 2},  {2, -2, 2},  {-2, -2, 2}};
    static const GLfloat edges[3][2][3] = {
        {{2, 2, -2}, {2, 2, 2}}, {{2, -2, -2}, {2, -2, 2}}, {{-2, 2, -2}, {-2, 2, 2}}};
    glColor3f(0, 0, 0.9f);
    glLineWidth(2.5f);
    glBegin(GL_LINE_STRIP);
    for (auto &p : strip1) glVertex3fv(p);
    glEnd();
    for (auto &e : edges) {
        glBegin(GL_LINE_STRIP);
        glVertex3fv(e[0]);
        glVertex3fv(e[1]);
        glEnd();
    }
}

void drawFrame(const Options &o, const GLfloat rotation[16], double phase) {
    GLUquadric *quadric = gluNewQuadric();
    applySurfaceMaterial();
    glShadeModel(GL_SMOOTH);
    if (o.fog) {
        glClearColor(0.65f, 0.45f, 0.26f, 1);
        glEnable(GL_FOG);
    } else {
        glClearColor(0.2f, 0.3f, 0.1f, 1);
        glDisable(GL_FOG);
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (o.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    for (int i = 0; i < 7; ++i) {
        glLightfv(GL_LIGHT0 + i, GL_POSITION, kLights[i][0]);
        if (i < 4) glEnable(GL_LIGHT0 + i);
    }
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    if (o.blend) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glPushMatrix();
    glMultMatrixf(rotation);
    drawCurtainSheet(phase);
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glMultMatrixf(rotation);
    drawBox();
    glPopMatrix();
    glEnable(GL_LIGHTING);
    applyMarkerMaterial();
    glPushMatrix();
    glTranslatef(kLights[0][0][0], kLights[0][0][1], 0);
    gluSphere(quadric, 0.1, 10, 10);
    glPopMatrix();
    applySurfaceMaterial();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    gluDeleteQuadric(quadric);
    glFlush();
}

// Presents the frame, then sleeps out what is left of the refresh interval
// when the driver gives no vsync.
void present(SDL_Window *window, bool vsync, Uint64 &nextDue) {
    SDL_GL_SwapWindow(window);
    if (vsync) return;
    Uint64 frequency = SDL_GetPerformanceFrequency();
    Uint64 interval = frequency / kFallbackRefreshHz;
    Uint64 now = SDL_GetPerformanceCounter();
    if (nextDue > now) {
        SDL_Delay((Uint32)((nextDue - now) * 1000 / frequency));
        now = SDL_GetPerformanceCounter();
    }
    nextDue = (nextDue + interval > now) ? nextDue + interval : now + interval;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    if (!parseOptions(argc, argv, o)) {
        std::fprintf(stderr, "usage: bare_sdl_gl [--size WxH] [--fog] [--wireframe] [--blend] [--clear-only]\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0) {
        std::fprintf(stderr, "bare_sdl_gl: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window *window = SDL_CreateWindow("bare SDL GL", 0, 0, o.width, o.height, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "bare_sdl_gl: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    bool vsync = SDL_GL_SetSwapInterval(1) == 0 && std::strcmp(SDL_GetCurrentVideoDriver(), "offscreen") != 0;

    GLfloat rotation[16];
    initScene(o, rotation);
    double phase = 0;
    Uint32 nextTick = SDL_GetTicks() + kTickMs;
    Uint64 nextDue = 0;
    for (bool running = true; running;) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT) running = false;
        while (SDL_TICKS_PASSED(SDL_GetTicks(), nextTick)) {
            phase += kPhaseStep;
            nextTick += kTickMs;
        }
        if (o.clearOnly) {
            glClearColor(0.2f, 0.3f, 0.1f, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        } else {
            drawFrame(o, rotation, phase);
        }
        present(window, vsync, nextDue);
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
