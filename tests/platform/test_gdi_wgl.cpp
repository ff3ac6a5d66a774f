// Pixel formats, palettes, rendering contexts and swap pacing on the
// offscreen driver's real Mesa.
#include "layer_test.h"

#include "render/gl.h"

#include <cstring>

namespace {

PIXELFORMATDESCRIPTOR request(DWORD extraFlags, BYTE depthBits) {
    PIXELFORMATDESCRIPTOR pfd = {};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | extraFlags;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 8;
    pfd.cDepthBits = depthBits;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

}  // namespace

using PixelFormats = LayerTest;

TEST_F(PixelFormats, EveryFormatIsAnOpenGlWindowFormat) {
    HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HDC hdc = GetDC(hwnd);
    int count = DescribePixelFormat(hdc, 1, 0, nullptr);
    ASSERT_GT(count, 0) << "the offscreen driver offers OpenGL";
    for (int i = 1; i <= count; i++) {
        PIXELFORMATDESCRIPTOR pfd;
        ASSERT_EQ(DescribePixelFormat(hdc, i, sizeof pfd, &pfd), count);
        EXPECT_EQ(pfd.nSize, sizeof pfd);
        EXPECT_EQ(pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL),
                  static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL));
        EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
        EXPECT_GE(pfd.cColorBits, 16);
        EXPECT_EQ(pfd.cRedBits + pfd.cGreenBits + pfd.cBlueBits > 0, true);
        EXPECT_FALSE(pfd.dwFlags & PFD_NEED_PALETTE) << "a true-colour display needs none";
    }
    PIXELFORMATDESCRIPTOR out;
    EXPECT_EQ(DescribePixelFormat(hdc, 0, sizeof out, &out), 0);
    EXPECT_EQ(DescribePixelFormat(hdc, count + 1, sizeof out, &out), 0);
    EXPECT_EQ(DescribePixelFormat(nullptr, 1, sizeof out, &out), 0);
}

TEST_F(PixelFormats, ChooseFindsTheClosestFormat) {
    HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HDC hdc = GetDC(hwnd);
    struct Case {
        DWORD flags;
        BYTE depth;
        bool wantDouble;
        int minDepth;
    };
    const Case cases[] = {
        {PFD_DOUBLEBUFFER, 16, true, 16},  // the program's request
        {PFD_DOUBLEBUFFER, 0, true, 0},
        {0, 16, false, 16},
        {PFD_DOUBLEBUFFER, 24, true, 24},
    };
    for (const Case &c : cases) {
        PIXELFORMATDESCRIPTOR want = request(c.flags, c.depth);
        int chosen = ChoosePixelFormat(hdc, &want);
        ASSERT_GT(chosen, 0);
        PIXELFORMATDESCRIPTOR got;
        DescribePixelFormat(hdc, chosen, sizeof got, &got);
        EXPECT_EQ((got.dwFlags & PFD_DOUBLEBUFFER) != 0, c.wantDouble)
            << "flags " << c.flags << " depth " << int(c.depth);
        EXPECT_GE(got.cDepthBits, c.minDepth) << "flags " << c.flags << " depth " << int(c.depth);
        if (c.depth == 0) {
            EXPECT_EQ(got.cDepthBits, 0) << "no depth asked, none given where one exists";
        }
    }
    PIXELFORMATDESCRIPTOR colourIndex = request(PFD_DOUBLEBUFFER, 16);
    colourIndex.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(ChoosePixelFormat(hdc, &colourIndex), 0) << "no colour-index format on this display";
    EXPECT_EQ(ChoosePixelFormat(hdc, nullptr), 0);
}

TEST_F(PixelFormats, AWindowsFormatIsSetOnce) {
    HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HDC hdc = GetDC(hwnd);
    PIXELFORMATDESCRIPTOR want = request(PFD_DOUBLEBUFFER, 16);
    int format = ChoosePixelFormat(hdc, &want);
    int count = DescribePixelFormat(hdc, 1, 0, nullptr);
    // Refusing a second format needs a second one in range to refuse.
    ASSERT_GE(count, 2) << "the display offers a single pixel format";
    struct Step {
        int format;
        BOOL expected;
    };
    const Step steps[] = {
        {0, FALSE},  // not a format
        {count + 1, FALSE},
        {format, TRUE},
        {format, TRUE},                // the same again is fine
        {format == 1 ? 2 : 1, FALSE},  // another is refused
    };
    EXPECT_EQ(GetPixelFormat(hdc), 0);
    for (const Step &s : steps) {
        EXPECT_EQ(SetPixelFormat(hdc, s.format, &want), s.expected) << "format " << s.format;
    }
    EXPECT_EQ(GetPixelFormat(hdc), format);
    HDC screen = GetDC(nullptr);
    EXPECT_FALSE(SetPixelFormat(screen, format, &want)) << "the screen has no window to take it";
    ReleaseDC(nullptr, screen);
}

class GlContexts : public LayerTest {
  protected:
    // The own DC of a 64 x 64 window, carrying the program's pixel format.
    HDC formattedDc() {
        HDC hdc = GetDC(makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64));
        PIXELFORMATDESCRIPTOR want = request(PFD_DOUBLEBUFFER, 16);
        EXPECT_TRUE(SetPixelFormat(hdc, ChoosePixelFormat(hdc, &want), &want));
        return hdc;
    }
};

TEST_F(GlContexts, ContextRunsTheFixedFunctionPipeline) {
    HDC hdc = formattedDc();
    HGLRC before = wglGetCurrentContext();
    HGLRC context = wglCreateContext(hdc);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), before) << "creating a context does not make it current";
    ASSERT_TRUE(wglMakeCurrent(hdc, context));
    EXPECT_EQ(wglGetCurrentContext(), context);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(90, 0, 0, 1);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_NEAR(m[1], 1.0f, 1e-6) << "glRotatef works: a fixed-function context";
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(SwapBuffers(hdc));
    EXPECT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_FALSE(wglDeleteContext(context)) << "deleted once";
    EXPECT_FALSE(wglMakeCurrent(hdc, context));
}

TEST_F(GlContexts, NoContextWithoutPixelFormat) {
    HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HDC hdc = GetDC(hwnd);
    EXPECT_EQ(wglCreateContext(hdc), nullptr);
    EXPECT_EQ(wglCreateContext(nullptr), nullptr);
    EXPECT_FALSE(SwapBuffers(hdc));
}

TEST_F(GlContexts, DeletingTheCurrentContextLeavesNoneCurrent) {
    HDC hdc = formattedDc();
    HGLRC context = wglCreateContext(hdc);
    ASSERT_TRUE(wglMakeCurrent(hdc, context));
    EXPECT_TRUE(wglDeleteContext(context));
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

typedef BOOL(WINAPI *SwapIntervalProc)(int interval);
typedef int(WINAPI *GetSwapIntervalProc)(void);

template <typename F>
F entryPoint(const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)(void)>(wglGetProcAddress(name)));
}

TEST_F(GlContexts, SwapControlComesWithTheCurrentContext) {
    HDC hdc = formattedDc();
    HGLRC context = wglCreateContext(hdc);
    EXPECT_EQ(wglGetProcAddress("wglSwapIntervalEXT"), nullptr) << "no context is current yet";
    ASSERT_TRUE(wglMakeCurrent(hdc, context));
    struct Lookup {
        const char *name;
        bool found;
    };
    const Lookup lookups[] = {
        {"wglSwapIntervalEXT", true},
        {"wglGetSwapIntervalEXT", true},
        {"wglswapintervalext", false},
        {"wglChoosePixelFormatARB", false},
        {"", false},
        {nullptr, false},
    };
    for (const Lookup &l : lookups)
        EXPECT_EQ(wglGetProcAddress(l.name) != nullptr, l.found) << (l.name ? l.name : "(null)");

    auto setInterval = entryPoint<SwapIntervalProc>("wglSwapIntervalEXT");
    auto getInterval = entryPoint<GetSwapIntervalProc>("wglGetSwapIntervalEXT");
    ASSERT_NE(setInterval, nullptr);
    ASSERT_NE(getInterval, nullptr);
    EXPECT_EQ(getInterval(), 1) << "one refresh per swap until the program asks for another interval";
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 1);
    struct Step {
        int asked;
        BOOL result;
        int interval;
    };
    const Step steps[] = {
        {2, TRUE, 2},
        {-1, FALSE, 2},  // refused, the last one stays
        {1, TRUE, 1},
        {0, TRUE, 0},
    };
    for (const Step &s : steps) {
        EXPECT_EQ(setInterval(s.asked), s.result) << "asked " << s.asked;
        EXPECT_EQ(getInterval(), s.interval) << "asked " << s.asked;
        EXPECT_EQ(SDL_GL_GetSwapInterval(), s.interval) << "asked " << s.asked << ": the driver is asked too";
    }
    ASSERT_TRUE(wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(setInterval(2)) << "no context is current";
    ASSERT_TRUE(wglMakeCurrent(hdc, context));
    EXPECT_EQ(getInterval(), 0) << "the window keeps its interval";
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
    wglDeleteContext(context);
}

TEST_F(GlContexts, PacedSwapsWaitOutTheirRefreshes) {
    HDC hdc = formattedDc();
    HGLRC context = wglCreateContext(hdc);
    ASSERT_TRUE(wglMakeCurrent(hdc, context));
    auto setInterval = entryPoint<SwapIntervalProc>("wglSwapIntervalEXT");
    ASSERT_NE(setInterval, nullptr);
    // The offscreen driver's vsync does not wait, so the layer sleeps; after
    // the first swap each one comes at least its refreshes after the last.
    struct Case {
        int refreshesPerSwap;
        int swaps;
    };
    const Case cases[] = {{1, 6}, {2, 4}, {3, 3}};
    for (const Case &c : cases) {
        ASSERT_TRUE(setInterval(c.refreshesPerSwap));
        Uint64 start = SDL_GetPerformanceCounter();
        for (int i = 0; i < c.swaps; i++) ASSERT_TRUE(SwapBuffers(hdc));
        double elapsedMs = static_cast<double>(SDL_GetPerformanceCounter() - start) * 1000.0 /
                           static_cast<double>(SDL_GetPerformanceFrequency());
        EXPECT_GE(elapsedMs, (c.swaps - 1) * c.refreshesPerSwap * qv.backend.refreshIntervalMs)
            << c.swaps << " swaps at " << c.refreshesPerSwap << " refreshes each";
    }
    wglDeleteContext(context);
}

using Palettes = LayerTest;

TEST_F(Palettes, PalettesAreRealObjects) {
    HWND hwnd = makeWindow("RecordingOwnDc", CS_OWNDC, 64, 64);
    HDC hdc = GetDC(hwnd);
    std::vector<unsigned char> storage(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
    LOGPALETTE *table = reinterpret_cast<LOGPALETTE *>(storage.data());
    table->palVersion = 0x300;
    table->palNumEntries = 256;
    for (int i = 0; i < 256; i++) table->palPalEntry[i] = PALETTEENTRY{BYTE(i), 0, 0, 0};
    HPALETTE palette = CreatePalette(table);
    ASSERT_NE(palette, nullptr);

    HPALETTE stock = SelectPalette(hdc, palette, FALSE);
    EXPECT_NE(stock, nullptr) << "a DC starts with the default palette";
    EXPECT_NE(stock, palette);
    EXPECT_EQ(RealizePalette(hdc), 0u) << "a true-colour display maps nothing";
    EXPECT_TRUE(UnrealizeObject(palette));
    EXPECT_FALSE(DeleteObject(palette)) << "still selected";
    EXPECT_EQ(SelectPalette(hdc, stock, FALSE), palette);
    EXPECT_TRUE(DeleteObject(palette));
    EXPECT_FALSE(UnrealizeObject(palette)) << "gone";
    EXPECT_EQ(SelectPalette(hdc, palette, FALSE), nullptr);
    EXPECT_TRUE(DeleteObject(stock)) << "stock objects stay";
    EXPECT_TRUE(UnrealizeObject(stock));
    EXPECT_EQ(RealizePalette(nullptr), static_cast<UINT>(GDI_ERROR));
}

TEST_F(Palettes, MalformedPalettesAreRefused) {
    LOGPALETTE table = {};
    table.palNumEntries = 1;
    struct Case {
        WORD version;
        WORD entries;
    };
    const Case cases[] = {{0x200, 1}, {0x300, 0}};
    for (const Case &c : cases) {
        table.palVersion = c.version;
        table.palNumEntries = c.entries;
        EXPECT_EQ(CreatePalette(&table), nullptr) << std::hex << c.version << " " << c.entries;
    }
    EXPECT_EQ(CreatePalette(nullptr), nullptr);
}

TEST(SwapPacing, PresentsAtMostOncePerInterval) {
    const double interval = 1000.0 / 60.0;
    struct Case {
        double lastTarget, now;
        double expected;
    };
    const Case cases[] = {
        {1000.0, 1001.0, 1000.0 + interval},  // drawn fast: wait for the next slot
        {1000.0, 1000.0 + interval, 1000.0 + interval},
        {1000.0, 1020.0, 1020.0},  // late: at once, cadence restarts
        {1000.0, 5000.0, 5000.0},
        {-1.0e9, 0.0, 0.0},        // the first frame
        {5000.0, 1000.0, 1000.0},  // the clock went back: never wait long
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(qvNextPresentTime(c.lastTarget, c.now, interval), c.expected) << c.lastTarget << " " << c.now;
    EXPECT_DOUBLE_EQ(qvNextPresentTime(1000.0, 1001.0, 0.0), 1001.0) << "no interval, no wait";
}
