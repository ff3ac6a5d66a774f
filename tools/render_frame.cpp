// render_frame: draws one frame of the start scene without any display and
// saves it as a PNG.
//
// Usage: render_frame OUTPUT.png
//        render_frame OUTPUT.png CASE
//
// It sets up a hidden OpenGL window of the default client size (919 x 896) on SDL's offscreen driver and
// does what the main window's creation and first resize do (lights, camera,
// start orientation, viewport), then draws one frame from the initial scene
// state and reads back the buffer it was drawn into.
//
// With a CASE (tests/support/frame_cases.h) it draws that case's scene at
// the cases' small size, as many frames as the cases take, and prints the
// rotation matrix and the modelview matrix GL holds after them, 32 numbers in
// C's exact hexadecimal notation: the reference the GL subset on ES 2.0 is
// compared with (tests/webgl).
//
// The start scene's set-up and the frames are each drawn inside a debug group
// ("start scene", "frames"), so that in a trace of this program (apitrace) the
// calls they make stand apart from the context's set-up and the read-back.
#define GL_GLEXT_PROTOTYPES 1
#include <SDL.h>
#include <SDL_image.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/frame_cases.h"
#include "support/offscreen_gl.h"
#include "support/start_scene.h"

static int frameWidth = defaultClientWidth;
static int frameHeight = defaultClientHeight;

// Reads the back buffer, top row first, and writes it as a PNG.
static int savePicture(const char *path) {
    std::vector<unsigned char> pixels(frameWidth * frameHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    SDL_Surface *picture = SDL_CreateRGBSurfaceWithFormat(0, frameWidth, frameHeight, 32, SDL_PIXELFORMAT_ABGR8888);
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
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [CASE]\n", argv[0]);
        return 2;
    }
    const char *caseName = argc == 3 ? argv[2] : nullptr;
    if (caseName) frameWidth = frameCaseWidth, frameHeight = frameCaseHeight;
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    OffscreenGl gl(frameWidth, frameHeight);
    if (!gl.ok()) {
        std::fprintf(stderr, "render_frame: no OpenGL\n");
        return 1;
    }
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, -1, "start scene");
    openStartScene(frameWidth, frameHeight);
    glPopDebugGroup();
    if (caseName && !applyFrameCase(caseName)) {
        std::fprintf(stderr, "render_frame: no case %s\n", caseName);
        return 2;
    }
    glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 0, -1, "frames");
    for (int frame = 0; frame < (caseName ? frameCaseFrames : 1); frame++) drawScene();
    glPopDebugGroup();
    if (caseName) {
        float modelview[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
        for (float v : scene.rotationMatrix) std::printf("%a\n", v);
        for (float v : modelview) std::printf("%a\n", v);
    }

    int saved = savePicture(argv[1]);
    if (!saved) std::fprintf(stderr, "render_frame: cannot write %s: %s\n", argv[1], SDL_GetError());
    return saved ? 0 : 1;
}
