// A real OpenGL (Mesa) compatibility context on SDL's offscreen video driver,
// for tests and benchmarks that must see what GL does without any X server.
#pragma once

#include <vector>

struct OffscreenGl {
    // Opens a hidden width x height window with a double-buffered RGBA
    // context and a 16-bit depth buffer, and makes it current.
    OffscreenGl(int width, int height);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl &) = delete;
    OffscreenGl &operator=(const OffscreenGl &) = delete;

    bool ok() const { return context != nullptr; }
    // Presents the back buffer (what SwapBuffers would do).
    void swap();
    // Reads the RGBA pixel at client (x, y), y counted from the top, from the
    // buffer that was last drawn into.
    void pixel(int x, int y, unsigned char rgba[4]) const;

    int width;
    int height;
    void *window = nullptr;
    void *context = nullptr;
};
