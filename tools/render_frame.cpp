// render_frame: draws one frame of the start scene without any display and
// saves it as a PNG.
//
// Usage: render_frame OUTPUT.png
//
// It sets up a hidden 960 x 940 OpenGL window on SDL's offscreen driver and
// does what the main window's creation and first resize do (lights, camera,
// start orientation, viewport), then draws one frame from the initial scene
// state and reads back the buffer it was drawn into.
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/scene_state.h"
#include "render/gl.h"
#include "render/camera.h"
#include "render/frame.h"
#include "render/lighting.h"

const int frameWidth = 960;
const int frameHeight = 940;

// The orientation the window starts with: Rx(-130) times Ry(-30).
static void setStartOrientation(void) {
    setIdentity(scene.rotationMatrix);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(-130.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(-30.0f, 0.0f, 1.0f, 0.0f);
    glMultMatrixf(scene.rotationMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, scene.rotationMatrix);
    glPopMatrix();
}

// Reads the back buffer, top row first, and writes it as a PNG.
static int savePicture(const char *path) {
    std::vector<unsigned char> pixels(frameWidth * frameHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    SDL_Surface *picture = SDL_CreateRGBSurfaceWithFormat(0, frameWidth, frameHeight, 32,
                                                          SDL_PIXELFORMAT_ABGR8888);
    if (!picture) return 0;
    const int rowBytes = frameWidth * 4;
    for (int row = 0; row < frameHeight; row++) {
        const unsigned char *from = pixels.data() + (frameHeight - 1 - row) * rowBytes;
        unsigned char *to = static_cast<unsigned char *>(picture->pixels) + row * picture->pitch;
        for (int i = 0; i < rowBytes; i++) to[i] = (i % 4 == 3) ? 255 : from[i];
    }
    int saved = IMG_SavePNG(picture, path) == 0;
    SDL_FreeSurface(picture);
    return saved;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "render_frame: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_Window *window = SDL_CreateWindow("render_frame", 0, 0, frameWidth, frameHeight,
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "render_frame: no OpenGL: %s\n", SDL_GetError());
        return 1;
    }

    scene.windowWidth = frameWidth;
    scene.windowHeight = frameHeight;
    initLighting();
    resetModelView();
    setStartOrientation();
    resizeViewport();
    drawScene();

    int saved = savePicture(argv[1]);
    if (!saved) std::fprintf(stderr, "render_frame: cannot write %s: %s\n", argv[1], SDL_GetError());
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return saved ? 0 : 1;
}
