// The GL 1.1 subset on ES 2.0 (platform/webgl) against Mesa's fixed-function
// GL. This program links the frame's own code (render/, surfaces/) with the
// subset and no libGL, draws each case of support/frame_cases.h on an OpenGL
// ES 2.0 context (SDL's offscreen driver, Mesa's llvmpipe) and compares it
// with the same case drawn by tools/render_frame on Mesa's compatibility
// context, run as a separate process.
//
// Pictures are compared with a tolerance, measured on the cases below: the
// two pictures differ by 1/255 in a channel at up to 1.9 % of the pixels
// (Mesa's lighting arithmetic and the shader's round differently) and by
// more than 2/255 at 27 pixels at most (the wireframe's line ends; 4 in the
// start frame, where the wide box lines leave the picture and Mesa clips them
// before widening them). A pixel counts as different when a channel differs
// by more than 2/255, and a case passes when at most 0.3 % of its 99,840
// pixels (300, ten times the worst measured) do. Each feature left out fails
// its case by far: the wireframe drawn filled (3.8 % of the pixels differ),
// the underside lit with the top's material (17.5 %), no fog (21.7 %), no
// flat shading (9.4 %), no blending (17.5 %).
//
// The calls are compared too, as the pictures can only be close: the GL calls
// of the start scene's set-up and of the frames as apitrace records them from
// render_frame (inside its two debug groups) against the subset's call log,
// line by line.
// apitrace records no GLU call, only the GL calls libGLU makes, and the
// subset's gluSphere makes the same ones, so both sides are GL calls alone.
#include <windows.h>

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/frame_cases.h"
#include "support/start_scene.h"
#include "webgl/gl11_internal.h"
#include "webgl/gl_calls.h"

// The frame ends with a swap; the picture is read from the buffer drawn in.
BOOL WINAPI SwapBuffers(HDC) {
    return TRUE;
}

namespace {

const int channelTolerance = 2;
const double differingShareLimit = 0.003;

typedef void (*ReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void *);

void *loadProc(const char *name) {
    return SDL_GL_GetProcAddress(name);
}

// An OpenGL ES 2.0 context on a hidden window of the cases' size, with the
// subset started on it.
struct Es2Context {
    SDL_Window *window = nullptr;
    SDL_GLContext context = nullptr;
    bool started = false;

    Es2Context() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 2);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        window =
            SDL_CreateWindow("webgl", 0, 0, frameCaseWidth, frameCaseHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (window) context = SDL_GL_CreateContext(window);
        if (!context) {
            std::fprintf(stderr, "no ES 2.0 context: %s\n", SDL_GetError());
            return;
        }
        SDL_GL_MakeCurrent(window, context);
        started = gl11Start(loadProc);
    }
    ~Es2Context() {
        if (context) SDL_GL_DeleteContext(context);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

// RGB pixels, top row first.
typedef std::vector<unsigned char> Picture;

// What render_frame drew and printed for a case.
struct Reference {
    Picture picture;
    float rotation[16];
    float modelview[16];
};

bool runReference(const std::string &caseName, Reference &out) {
    std::string png = std::string(QUELVARO_WEBGL_OUT) + "/" + caseName + ".png";
    std::string command = std::string(QUELVARO_RENDER_FRAME) + " " + png + " " + caseName;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    char line[64];
    int n = 0;
    while (n < 32 && std::fgets(line, sizeof line, pipe)) {
        (n < 16 ? out.rotation[n] : out.modelview[n - 16]) = std::strtof(line, nullptr);
        n++;
    }
    if (pclose(pipe) != 0 || n != 32) return false;
    SDL_Surface *loaded = IMG_Load(png.c_str());
    if (!loaded) return false;
    SDL_Surface *rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(loaded);
    if (!rgb) return false;
    out.picture.clear();
    for (int row = 0; row < rgb->h; row++) {
        const unsigned char *from = static_cast<unsigned char *>(rgb->pixels) + row * rgb->pitch;
        out.picture.insert(out.picture.end(), from, from + rgb->w * 3);
    }
    SDL_FreeSurface(rgb);
    return true;
}

// Reads the picture drawn, top row first.
Picture readPicture(void) {
    std::vector<unsigned char> rgba(frameCaseWidth * frameCaseHeight * 4);
    auto readPixels = reinterpret_cast<ReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
    readPixels(0, 0, frameCaseWidth, frameCaseHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    Picture picture;
    for (int row = frameCaseHeight - 1; row >= 0; row--) {
        for (int x = 0; x < frameCaseWidth; x++) {
            const unsigned char *p = &rgba[(row * frameCaseWidth + x) * 4];
            picture.insert(picture.end(), p, p + 3);
        }
    }
    return picture;
}

// Draws the case with the subset and reads the picture back, the calls of
// the set-up and the frames logged when asked. Each case starts from GL's
// initial state, as render_frame's does.
Picture drawWithSubset(const char *caseName, bool logCalls = false) {
    gl11ResetState();
    gl11SetCallLog(logCalls);
    openStartScene(frameCaseWidth, frameCaseHeight);
    applyFrameCase(caseName);
    for (int frame = 0; frame < frameCaseFrames; frame++) drawScene();
    gl11SetCallLog(false);
    return readPicture();
}

// Keeps the subset's picture next to Mesa's, to look at when a case fails.
void savePicture(const Picture &picture, const std::string &caseName) {
    SDL_Surface *surface =
        SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char *>(picture.data()), frameCaseWidth, frameCaseHeight,
                                           24, frameCaseWidth * 3, SDL_PIXELFORMAT_RGB24);
    if (!surface) return;
    IMG_SavePNG(surface, (std::string(QUELVARO_WEBGL_OUT) + "/" + caseName + "-es2.png").c_str());
    SDL_FreeSurface(surface);
}

// The share of pixels with a channel more than the tolerance apart.
double differingShare(const Picture &a, const Picture &b, int tolerance = channelTolerance) {
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t p = 0; p < a.size(); p += 3) {
        for (int c = 0; c < 3; c++) {
            if (std::abs(a[p + c] - b[p + c]) > tolerance) {
                differing++;
                break;
            }
        }
    }
    return (double)differing / (double)(a.size() / 3);
}

// Before any context: the matrix calls work on GL's initial state (this suite
// is defined first, so it runs before any case starts the subset).
TEST(WebGlSubsetUnstarted, MatrixCallsBeforeStart) {
    float m[16] = {};
    glTranslatef(1.0f, 2.0f, 3.0f);
    glPushMatrix();
    glPopMatrix();
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(m[12] + m[13] + m[14] + m[0], 7.0f);
    glLoadIdentity();
}

class WebGlSubset : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { es2 = new Es2Context; }
    static void TearDownTestSuite() { delete es2; }
    void SetUp() override {
        if (!es2->context) GTEST_SKIP() << "no OpenGL ES 2.0 context";
        ASSERT_TRUE(es2->started);
    }
    static Es2Context *es2;
};
Es2Context *WebGlSubset::es2 = nullptr;

// The start frame and every option, the sheet seen from below with its back
// material, and spins that turn the scene (the sphere and box move).
TEST_F(WebGlSubset, PicturesMatchMesa) {
    for (const char *name : {"start", "fog", "wireframe", "flat", "blend", "below", "spin-wide"}) {
        SCOPED_TRACE(name);
        Reference mesa;
        ASSERT_TRUE(runReference(name, mesa));
        Picture subset = drawWithSubset(name);
        savePicture(subset, name);
        double share = differingShare(subset, mesa.picture);
        std::printf("%-10s %.4f of the pixels differ by more than %d/255\n", name, share, channelTolerance);
        EXPECT_LE(share, differingShareLimit);
    }
}

// The matrices the frame works out on the stack and reads back, equal to
// Mesa's in every bit: the start orientation and spins about a slanted axis,
// about a coordinate axis given unnormalised, and by a wide angle.
TEST_F(WebGlSubset, MatricesEqualMesaBitForBit) {
    for (const char *name : {"start", "spin", "spin-x", "spin-wide"}) {
        SCOPED_TRACE(name);
        Reference mesa;
        ASSERT_TRUE(runReference(name, mesa));
        drawWithSubset(name);
        float modelview[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (int i = 0; i < 16; i++) {
            EXPECT_EQ(scene.rotationMatrix[i], mesa.rotation[i]) << "rotation element " << i;
            EXPECT_EQ(modelview[i], mesa.modelview[i]) << "modelview element " << i;
        }
    }
}

// The GL calls of the set-up and the frames, in order and with their
// arguments, equal to what apitrace records of them on Mesa: the start frame,
// each option, the sheet from below and spins (whose matrices are read back
// and sent again).
TEST_F(WebGlSubset, CallsMatchApitrace) {
    if (!*QUELVARO_APITRACE) GTEST_SKIP() << "no apitrace";
    for (const char *name : {"start", "fog", "wireframe", "flat", "blend", "below", "spin", "spin-wide"}) {
        SCOPED_TRACE(name);
        GlCalls mesa;
        ASSERT_TRUE(traceRenderFrame(QUELVARO_APITRACE, QUELVARO_RENDER_FRAME, QUELVARO_WEBGL_OUT, name, mesa));
        drawWithSubset(name, true);
        std::printf("%-10s %zu calls\n", name, mesa.size());
        std::string difference = firstCallDifference(mesa, callLines(gl11CallLog()));
        EXPECT_TRUE(difference.empty()) << difference;
    }
}

// The system's libGLU, loaded beside the subset: this program exports the
// subset's glBegin, glNormal3f, glVertex3f and glEnd, so libGLU's sphere is
// drawn through them too. Both spheres, large, lit and flat-shaded (each
// facet takes its provoking vertex's normal), must give the same pixels.
TEST_F(WebGlSubset, SphereIsGlus) {
    void *glu = dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!glu) GTEST_SKIP() << "no libGLU: " << dlerror();
    auto newQuadric = reinterpret_cast<GLUquadric *(*)(void)>(dlsym(glu, "gluNewQuadric"));
    auto sphere = reinterpret_cast<void (*)(GLUquadric *, GLdouble, GLint, GLint)>(dlsym(glu, "gluSphere"));
    auto deleteQuadric = reinterpret_cast<void (*)(GLUquadric *)>(dlsym(glu, "gluDeleteQuadric"));
    ASSERT_TRUE(newQuadric && sphere && deleteQuadric);
    struct Size {
        int slices, stacks;
    };
    for (Size size : {Size{10, 10}, Size{7, 5}, Size{32, 16}, Size{3, 2}}) {
        SCOPED_TRACE(size.slices);
        Picture pictures[2];
        for (int which = 0; which < 2; which++) {
            gl11ResetState();
            openStartScene(frameCaseWidth, frameCaseHeight);
            glShadeModel(GL_FLAT);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glEnable(GL_DEPTH_TEST);
            glEnable(GL_LIGHTING);
            glPushMatrix();
            glRotatef(50.0f, 0.3f, 1.0f, 0.2f);
            GLUquadric *quadric = which ? newQuadric() : gluNewQuadric();
            which ? sphere(quadric, 2.5, size.slices, size.stacks) : gluSphere(quadric, 2.5, size.slices, size.stacks);
            which ? deleteQuadric(quadric) : gluDeleteQuadric(quadric);
            glPopMatrix();
            pictures[which] = readPicture();
        }
        EXPECT_EQ(differingShare(pictures[0], pictures[1], 0), 0.0);
    }
    dlclose(glu);
}

}  // namespace
