#include "support/offscreen_gl.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "render/gl.h"

OffscreenGl::OffscreenGl(int w, int h) : width(w), height(h) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "offscreen GL: %s\n", SDL_GetError());
        return;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_Window *win = SDL_CreateWindow("test", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!win) {
        std::fprintf(stderr, "offscreen GL window: %s\n", SDL_GetError());
        return;
    }
    window = win;
    context = SDL_GL_CreateContext(win);
    if (!context) {
        std::fprintf(stderr, "offscreen GL context: %s\n", SDL_GetError());
        return;
    }
    SDL_GL_MakeCurrent(win, static_cast<SDL_GLContext>(context));
    glViewport(0, 0, w, h);
}

OffscreenGl::~OffscreenGl() {
    if (context) {
        SDL_GL_MakeCurrent(static_cast<SDL_Window *>(window), nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    }
    if (window) SDL_DestroyWindow(static_cast<SDL_Window *>(window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void OffscreenGl::swap() {
    SDL_GL_SwapWindow(static_cast<SDL_Window *>(window));
}

void OffscreenGl::pixel(int x, int y, unsigned char rgba[4]) const {
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
