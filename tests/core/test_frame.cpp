// One frame on a real GL: the state it leaves, the trackball increment and the
// camera restore, and the pixels of real frames of the start scene.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gl_recorder.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"
#include "support/start_scene.h"

// ---- a quadric that can be refused ---------------------------------------------
// These two stand in for GLU's in this test program: they count, and forward to
// the real GLU unless a test asks for creation to fail.

namespace {
int refuseQuadrics = 0;
int quadricsCreated = 0;
int quadricsDeleted = 0;
int nullQuadricsDeleted = 0;

template <typename F>
F realGlu(const char *name) {
    void *function = dlsym(RTLD_NEXT, name);
    if (!function) std::abort();
    return reinterpret_cast<F>(function);
}
}  // namespace

extern "C" GLUquadric *gluNewQuadric(void) {
    typedef GLUquadric *(*NewQuadric)(void);
    static NewQuadric real = realGlu<NewQuadric>("gluNewQuadric");
    if (refuseQuadrics) return nullptr;
    quadricsCreated++;
    return real();
}

extern "C" void gluDeleteQuadric(GLUquadric *quadric) {
    typedef void (*DeleteQuadric)(GLUquadric *);
    static DeleteQuadric real = realGlu<DeleteQuadric>("gluDeleteQuadric");
    if (!quadric) {
        nullQuadricsDeleted++;
        return;
    }
    quadricsDeleted++;
    real(quadric);
}

namespace {

const int clientWidth = defaultClientWidth;
const int clientHeight = defaultClientHeight;

// ---- matrices --------------------------------------------------------------

// Column-major a times b (b applied first), in double.
void multiply(const double a[16], const double b[16], double out[16]) {
    for (int col = 0; col < 4; col++)
        for (int row = 0; row < 4; row++) {
            double sum = 0.0;
            for (int k = 0; k < 4; k++) sum += a[k * 4 + row] * b[col * 4 + k];
            out[col * 4 + row] = sum;
        }
}

// The rotation glRotate describes: angle degrees about the axis, normalised.
void rotation(double degrees, double x, double y, double z, double out[16]) {
    double length = std::sqrt(x * x + y * y + z * z);
    x /= length, y /= length, z /= length;
    double a = degrees * 3.14159265358979323846 / 180.0, c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    const double m[16] = {x * x * t + c,
                          y * x * t + z * s,
                          x * z * t - y * s,
                          0,
                          x * y * t - z * s,
                          y * y * t + c,
                          y * z * t + x * s,
                          0,
                          x * z * t + y * s,
                          y * z * t - x * s,
                          z * z * t + c,
                          0,
                          0,
                          0,
                          0,
                          1};
    std::memcpy(out, m, sizeof m);
}

void toDouble(const float in[16], double out[16]) {
    for (int i = 0; i < 16; i++) out[i] = in[i];
}

double largestDifference(const double a[16], const double b[16]) {
    double largest = 0.0;
    for (int i = 0; i < 16; i++) largest = std::fmax(largest, std::fabs(a[i] - b[i]));
    return largest;
}

int bitIdentical(const float a[16], const float b[16]) {
    return std::memcmp(a, b, 16 * sizeof(float)) == 0;
}

int allFinite(const float m[16]) {
    for (int i = 0; i < 16; i++)
        if (!std::isfinite(m[i])) return 0;
    return 1;
}

// ---- pixels ------------------------------------------------------------------

struct Colour {
    double r, g, b;
};

// A colour given in 0..1, in 8-bit steps.
Colour bytes(double r, double g, double b) {
    return {r * 255.0, g * 255.0, b * 255.0};
}

const Colour clearColour = bytes(0.2, 0.3, 0.1);
const Colour fogClearColour = bytes(0.65, 0.45, 0.26);
const Colour boxBlue = bytes(0.0, 0.0, 0.9);

// The pixel at window coordinates (x, y), y counted from the bottom, read from
// the back buffer the frame was drawn into.
Colour pixelAt(int x, int y) {
    unsigned char rgba[4];
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {double(rgba[0]), double(rgba[1]), double(rgba[2])};
}

double colourDistance(const Colour &a, const Colour &b) {
    return std::fmax(std::fabs(a.r - b.r), std::fmax(std::fabs(a.g - b.g), std::fabs(a.b - b.b)));
}

std::string describe(const Colour &c) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.1f, %.1f, %.1f)", c.r, c.g, c.b);
    return text;
}

// 8-bit rounding and blending leave at most this much.
const double pixelTolerance = 1.6;

// Where a point lands in the window, and its depth.
struct WindowPoint {
    double x, y, depth;
};

// The modelview matrix of the surface's coordinates: the camera times the
// rotation, as the frame sets it up.
void surfaceModelview(double out[16]) {
    double camera[16], rotationNow[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);
    toDouble(scene.rotationMatrix, rotationNow);
    multiply(camera, rotationNow, out);
}

WindowPoint project(const double modelview[16], double x, double y, double z) {
    double projection[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    WindowPoint p;
    gluProject(x, y, z, modelview, projection, viewport, &p.x, &p.y, &p.depth);
    return p;
}

// The sheet's centre and the marker's centre, in window coordinates.
WindowPoint sheetCentre() {
    double m[16];
    surfaceModelview(m);
    return project(m, 0, 0, 0);
}

WindowPoint markerCentre() {
    double camera[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, camera);
    return project(camera, scene.mobileLight[0], scene.mobileLight[1], 0.0);
}

Colour pixelAt(const WindowPoint &p) {
    return pixelAt(int(p.x), int(p.y));
}

// The sheet: the square |x|, |z| <= 1.6 in the plane y = 0 of the surface.
const double sheetHalfSide = 1.6;

// Whether the sheet lies between the eye and the surface point p: 1 hidden,
// 0 in plain sight, -1 too close to the sheet's rim to say.
int sheetHides(const double modelview[16], const double p[3]) {
    // The eye in the surface's coordinates: minus the transposed rotation
    // applied to the translation.
    double eye[3];
    for (int i = 0; i < 3; i++)
        eye[i] = -(modelview[i * 4 + 0] * modelview[12] + modelview[i * 4 + 1] * modelview[13] +
                   modelview[i * 4 + 2] * modelview[14]);
    if ((eye[1] > 0) == (p[1] > 0) || p[1] == 0.0) return 0;
    double s = eye[1] / (eye[1] - p[1]);
    double crossX = eye[0] + s * (p[0] - eye[0]);
    double crossZ = eye[2] + s * (p[2] - eye[2]);
    double margin = 0.06;
    double reach = std::fmax(std::fabs(crossX), std::fabs(crossZ));
    if (std::fabs(reach - sheetHalfSide) < margin) return -1;
    return reach < sheetHalfSide;
}

// Points a quarter, half and three quarters along each of the box's twelve
// edges.
struct BoxPoint {
    double p[3];
};

std::vector<BoxPoint> boxEdgePoints() {
    std::vector<BoxPoint> points;
    const double fractions[] = {-1.0, 0.0, 1.0};
    for (int along = 0; along < 3; along++)
        for (int a = -1; a <= 1; a += 2)
            for (int b = -1; b <= 1; b += 2)
                for (double f : fractions) {
                    BoxPoint point;
                    point.p[along] = f;
                    point.p[(along + 1) % 3] = 2.0 * a;
                    point.p[(along + 2) % 3] = 2.0 * b;
                    points.push_back(point);
                }
    return points;
}

// ---- the fixture: a window's worth of start-up --------------------------------

class Frame : public ::testing::Test {
  protected:
    OffscreenGl gl{clientWidth, clientHeight};
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        refuseQuadrics = 0;
        openStartScene(clientWidth, clientHeight);
    }
};

// ---- small pieces -------------------------------------------------------------

TEST(SetIdentity, WritesTheIdentityOverAnythingAndReturnsItsArgument) {
    float m[16];
    for (int i = 0; i < 16; i++) m[i] = -7.5f + i;
    float *result = setIdentity(m);
    EXPECT_EQ(result, m);
    for (int i = 0; i < 16; i++) EXPECT_EQ(m[i], (i == 0 || i == 5 || i == 10 || i == 15) ? 1.0f : 0.0f) << i;
}

// The four strips of the box, vertex by vertex.
struct Strip {
    int count;
    float v[10][3];
};
const Strip boxStrips[] = {
    {10,
     {{-2, -2, -2},
      {-2, 2, -2},
      {2, 2, -2},
      {2, -2, -2},
      {-2, -2, -2},
      {-2, -2, 2},
      {-2, 2, 2},
      {2, 2, 2},
      {2, -2, 2},
      {-2, -2, 2}}},
    {2, {{2, 2, -2}, {2, 2, 2}}},
    {2, {{2, -2, -2}, {2, -2, 2}}},
    {2, {{-2, 2, -2}, {-2, 2, 2}}},
};

TEST_F(Frame, BoxIsTwelveEdgesInFourLineStripsInBlue) {
    glRecordStart();
    drawFrameBox();
    std::vector<GlPrimitive> strips = glPrimitives(glRecordStop());
    ASSERT_EQ(strips.size(), 4u);
    for (int s = 0; s < 4; s++) {
        EXPECT_EQ(strips[s].mode, unsigned(GL_LINE_STRIP)) << "strip " << s + 1;
        ASSERT_EQ(strips[s].vertices.size(), unsigned(boxStrips[s].count)) << "strip " << s + 1;
        for (int v = 0; v < boxStrips[s].count; v++)
            for (int i = 0; i < 3; i++)
                EXPECT_EQ(strips[s].vertices[v].position[i], boxStrips[s].v[v][i])
                    << "strip " << s + 1 << " vertex " << v + 1;
    }
    float colour[4], width = 0.0f;
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(colour[0], 0.0f);
    EXPECT_EQ(colour[1], 0.0f);
    EXPECT_EQ(colour[2], 0.9f);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(width, 2.5f);
}

// ---- the state a frame leaves ---------------------------------------------------

struct SettingsCase {
    const char *name;
    void (*apply)();
};

const SettingsCase settingsCases[] = {
    {"start settings", [] {}},
    {"wireframe", [] { scene.wireframeOn = 1; }},
    {"lights off", [] { scene.lightsOn = 0; }},
    {"fog", [] { scene.fogOn = 1; }},
    {"blending", [] { scene.blendOn = 1; }},
    {"flat shading", [] { scene.flatShadingOn = 1; }},
    {"spinning", [] { scene.trackballState = 1; }},
    {"camera changed while spinning",
     [] {
         scene.trackballState = 1;
         scene.cameraChanged = 1;
     }},
    {"folded square", [] { scene.surfaceIndex = 3; }},
    {"empty surface", [] { scene.surfaceIndex = 7; }},
    {"everything on",
     [] {
         scene.wireframeOn = scene.fogOn = scene.blendOn = scene.flatShadingOn = 1;
         scene.lightsOn = 0;
         scene.trackballState = 1;
     }},
};

TEST_F(Frame, LeavesTheStateTheNextFrameReliesOn) {
    for (const SettingsCase &c : settingsCases) {
        openStartScene(clientWidth, clientHeight);
        c.apply();
        float camera[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, camera);
        drawScene();
        drawScene();

        const char *name = c.name;
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING)) << name;
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST)) << name;
        GLint polygonMode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        EXPECT_EQ(polygonMode[0], GL_FILL) << name;
        EXPECT_EQ(polygonMode[1], GL_FILL) << name;
        float colour[4], width = 0.0f;
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_TRUE(colour[0] == 0.0f && colour[1] == 0.0f && colour[2] == 0.9f && colour[3] == 1.0f)
            << name << ": colour " << colour[0] << " " << colour[1] << " " << colour[2] << " " << colour[3];
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 2.5f) << name;
        for (int n = 0; n < 7; n++)
            EXPECT_EQ(glIsEnabled(GL_LIGHT0 + n), n < 4 ? GL_TRUE : GL_FALSE) << name << ": light " << n;
        EXPECT_EQ(glIsEnabled(GL_FOG), scene.fogOn ? GL_TRUE : GL_FALSE) << name;
        EXPECT_EQ(glIsEnabled(GL_BLEND), scene.blendOn ? GL_TRUE : GL_FALSE) << name;
        GLint shade = 0, mode = 0;
        glGetIntegerv(GL_SHADE_MODEL, &shade);
        EXPECT_EQ(shade, scene.flatShadingOn ? GL_FLAT : GL_SMOOTH) << name;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW) << name;
        float after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(bitIdentical(after, camera)) << name << ": the camera transform moved";
        GLint depth = -1;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1) << name << ": unbalanced push and pop";
        float diffuse[4];
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
        EXPECT_EQ(diffuse[3], scene.surfaceAlpha) << name << ": the marker's material stayed";
        EXPECT_EQ(scene.cameraChanged, 0) << name;
        EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, scene.rotationMatrix)) << name;
        EXPECT_EQ(glGetError(), GL_NO_ERROR) << name;
    }
}

// ---- the trackball increment --------------------------------------------------

struct SpinCase {
    float angle;
    float axis[3];
};

const SpinCase spinCases[] = {
    {0.03f, {0.4f, 1.0f, 0.4f}},                                   // the start spin
    {5.0f, {1.0f, 0.0f, 0.0f}},                                    // about the viewer's x axis
    {-12.5f, {0.3f, -0.2f, 0.9f}},   {90.0f, {0.0f, 0.0f, 2.0f}},  // an axis longer than one
    {1.5f, {0.001f, -0.002f, 0.0f}},                               // a short axis, still a direction
};

TEST_F(Frame, IncrementTurnsAboutAnAxisFixedToTheViewer) {
    for (const SpinCase &c : spinCases) {
        scene.trackballState = 1;
        scene.spinAngle = c.angle;
        for (int i = 0; i < 3; i++) scene.spinAxis[i] = c.axis[i];
        double before[16], increment[16], expected[16], wrongOrder[16], after[16];
        toDouble(scene.rotationMatrix, before);
        rotation(c.angle, c.axis[0], c.axis[1], c.axis[2], increment);
        multiply(increment, before, expected);
        multiply(before, increment, wrongOrder);

        drawScene();

        toDouble(scene.rotationMatrix, after);
        EXPECT_LT(largestDifference(after, expected), 2e-6) << "angle " << c.angle;
        if (std::fabs(c.angle) > 1.0f) {  // the case tells the two orders apart
            EXPECT_GT(largestDifference(after, wrongOrder), 1e-3) << "angle " << c.angle;
        }
        EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, scene.rotationMatrix)) << "angle " << c.angle;
    }
}

TEST_F(Frame, IncrementRepeatsOncePerFrame) {
    scene.trackballState = 1;
    scene.spinAngle = 3.0f;
    double start[16], turned[16], after[16];
    toDouble(scene.rotationMatrix, start);
    const int frames = 30;  // 90 degrees about the start axis
    for (int i = 0; i < frames; i++) drawScene();
    double quarterTurn[16];
    rotation(90.0, 0.4, 1.0, 0.4, quarterTurn);
    multiply(quarterTurn, start, turned);
    toDouble(scene.rotationMatrix, after);
    EXPECT_LT(largestDifference(after, turned), 1e-5);
}

// Frames that must leave the rotation exactly as it was.
struct StillCase {
    const char *name;
    int trackballState;
    float angle;
    float axis[3];
};

const StillCase stillCases[] = {
    {"trackball idle", 0, 0.03f, {0.4f, 1.0f, 0.4f}},
    {"trackball state other than 1", 2, 5.0f, {0.4f, 1.0f, 0.4f}},
    {"negative trackball state", -1, 5.0f, {0.4f, 1.0f, 0.4f}},
    {"zero angle", 1, 0.0f, {0.4f, 1.0f, 0.4f}},
    {"zero axis, as the trackball reports for a still pointer", 1, 0.03f, {0.0f, 0.0f, 0.0f}},
    {"zero axis, large angle", 1, 45.0f, {0.0f, 0.0f, 0.0f}},
    {"negative zero axis", 1, 10.0f, {-0.0f, 0.0f, -0.0f}},
    {"axis too short to normalise", 1, 10.0f, {1e-30f, 0.0f, 0.0f}},
    {"axis not a number", 1, 10.0f, {NAN, 1.0f, 0.0f}},
    {"infinite axis", 1, 10.0f, {INFINITY, 1.0f, 0.0f}},
    {"angle not a number", 1, NAN, {0.4f, 1.0f, 0.4f}},
};

TEST_F(Frame, RotationStaysBitIdenticalWithoutAUsableIncrement) {
    for (const StillCase &c : stillCases) {
        scene.trackballState = c.trackballState;
        scene.spinAngle = c.angle;
        for (int i = 0; i < 3; i++) scene.spinAxis[i] = c.axis[i];
        float before[16];
        std::memcpy(before, scene.rotationMatrix, sizeof before);
        std::memset(scene.savedRotationMatrix, 0, sizeof scene.savedRotationMatrix);

        drawScene();

        EXPECT_TRUE(bitIdentical(scene.rotationMatrix, before)) << c.name;
        EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, before)) << c.name << ": saved copy not refreshed";
        EXPECT_TRUE(allFinite(scene.rotationMatrix)) << c.name;
    }
}

// ---- the camera buttons' restore ----------------------------------------------

TEST_F(Frame, CameraChangeThrowsAwayThatFramesIncrementOnce) {
    scene.trackballState = 1;
    scene.spinAngle = 10.0f;
    drawScene();
    float lastFrame[16];
    std::memcpy(lastFrame, scene.rotationMatrix, sizeof lastFrame);

    scene.cameraChanged = 1;
    drawScene();
    EXPECT_TRUE(bitIdentical(scene.rotationMatrix, lastFrame)) << "the increment was kept";
    EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, lastFrame));
    EXPECT_EQ(scene.cameraChanged, 0);

    // The next frame spins again.
    drawScene();
    double expected[16], increment[16], last[16], now[16];
    toDouble(lastFrame, last);
    rotation(10.0, 0.4, 1.0, 0.4, increment);
    multiply(increment, last, expected);
    toDouble(scene.rotationMatrix, now);
    EXPECT_LT(largestDifference(now, expected), 2e-6);
}

// The orientation kept is the one the last frame ended with, not whatever sits
// in rotationMatrix when the button is pressed.
TEST_F(Frame, CameraChangeRestoresTheLastFramesOrientation) {
    drawScene();
    float lastFrame[16];
    std::memcpy(lastFrame, scene.rotationMatrix, sizeof lastFrame);
    scene.rotationMatrix[0] = 0.25f;
    scene.rotationMatrix[13] = 3.0f;
    scene.cameraChanged = 1;
    drawScene();
    EXPECT_TRUE(bitIdentical(scene.rotationMatrix, lastFrame));
}

// Two presses between frames toggle the flag back: no restore happens.
TEST_F(Frame, TwoCameraPressesBetweenFramesKeepTheIncrement) {
    scene.trackballState = 1;
    scene.spinAngle = 10.0f;
    drawScene();
    float lastFrame[16];
    std::memcpy(lastFrame, scene.rotationMatrix, sizeof lastFrame);
    scene.cameraChanged = !scene.cameraChanged;
    scene.cameraChanged = !scene.cameraChanged;
    drawScene();
    EXPECT_FALSE(bitIdentical(scene.rotationMatrix, lastFrame));
}

// ---- pixels of real frames ----------------------------------------------------

struct CornerCase {
    const char *name;
    int fog;
    Colour expected;
};
const CornerCase cornerCases[] = {
    {"plain", 0, clearColour},
    {"fog", 1, fogClearColour},
};

TEST_F(Frame, CornersShowTheClearColour) {
    const int corners[4][2] = {
        {1, 1}, {clientWidth - 2, 1}, {1, clientHeight - 2}, {clientWidth - 2, clientHeight - 2}};
    for (const CornerCase &c : cornerCases) {
        scene.fogOn = c.fog;
        drawScene();
        for (const auto &corner : corners) {
            Colour got = pixelAt(corner[0], corner[1]);
            EXPECT_LT(colourDistance(got, c.expected), pixelTolerance)
                << c.name << ": corner (" << corner[0] << ", " << corner[1] << ") is " << describe(got);
        }
    }
}

// Every point of the box's edges that lies in the window and is not behind the
// sheet shows the box's blue; the hidden ones do not.
void checkBoxEdges(const char *name) {
    double surface[16];
    surfaceModelview(surface);
    WindowPoint marker = markerCentre();
    int blueSeen = 0, hiddenSeen = 0;
    for (const BoxPoint &point : boxEdgePoints()) {
        WindowPoint w = project(surface, point.p[0], point.p[1], point.p[2]);
        const double border = 4.0;
        if (w.x < border || w.y < border || w.x > clientWidth - border || w.y > clientHeight - border) continue;
        if (w.depth <= 0.0 || w.depth >= 1.0) continue;
        if (std::hypot(w.x - marker.x, w.y - marker.y) < 15.0) continue;
        int hidden = sheetHides(surface, point.p);
        if (hidden < 0) continue;
        Colour got = pixelAt(w);
        double distance = colourDistance(got, boxBlue);
        std::string where = std::string(name) + ": box point (" + std::to_string(point.p[0]) + ", " +
                            std::to_string(point.p[1]) + ", " + std::to_string(point.p[2]) + ") is " + describe(got);
        if (!hidden) {
            EXPECT_LT(distance, pixelTolerance) << where;
            blueSeen++;
        } else {
            EXPECT_GT(distance, 20.0) << where << ", but it lies behind the sheet";
            hiddenSeen++;
        }
    }
    EXPECT_GE(blueSeen, 12) << name << ": too few edge points in sight to judge";
    EXPECT_GE(hiddenSeen, 1) << name << ": no edge point behind the sheet to judge";
}

TEST_F(Frame, BoxEdgesAreBlueWhereTheSheetDoesNotHideThem) {
    drawScene();
    checkBoxEdges("start scene");
}

// With lights on and alpha 0 the sheet is invisible, yet it writes depth and
// still hides the parts of the box behind it.
TEST_F(Frame, InvisibleSheetStillHidesTheBoxBehindIt) {
    scene.blendOn = 1;
    scene.surfaceAlpha = 0.0f;
    drawScene();
    EXPECT_LT(colourDistance(pixelAt(sheetCentre()), clearColour), pixelTolerance);
    checkBoxEdges("invisible sheet");
}

TEST_F(Frame, WithLightsOffTheSheetTakesTheBoxBlueFromTheSecondFrame) {
    scene.lightsOn = 0;
    drawScene();
    Colour first = pixelAt(sheetCentre());
    EXPECT_GT(colourDistance(first, boxBlue), 20.0) << "first frame: " << describe(first);
    EXPECT_GT(colourDistance(first, clearColour), 20.0) << "first frame: " << describe(first);
    for (int frame = 2; frame <= 3; frame++) {
        drawScene();
        Colour got = pixelAt(sheetCentre());
        EXPECT_LT(colourDistance(got, boxBlue), pixelTolerance) << "frame " << frame << ": " << describe(got);
    }
}

// The marker is lit in every frame, with lights 0 to 3 where they were last
// placed: turning the lights off does not change it.
TEST_F(Frame, MarkerIsLitWhateverTheLightsSwitchSays) {
    drawScene();
    Colour lit = pixelAt(markerCentre());
    EXPECT_GT(colourDistance(lit, clearColour), 20.0) << "no marker: " << describe(lit);
    EXPECT_GT(colourDistance(lit, boxBlue), 20.0) << "marker unlit: " << describe(lit);
    scene.lightsOn = 0;
    drawScene();
    drawScene();
    Colour dark = pixelAt(markerCentre());
    EXPECT_LT(colourDistance(dark, lit), pixelTolerance) << describe(dark) << " against " << describe(lit);
}

// Moving the light moves the marker in the plane of the centre; its z never
// places it.
struct MarkerCase {
    float light[3];
};
const MarkerCase markerCases[] = {{{-2.0f, 2.0f, -1.0f}}, {{2.5f, 2.2f, 6.0f}}, {{-2.6f, -0.5f, -9.0f}}};

TEST_F(Frame, MarkerSitsAtTheLightsXAndY) {
    for (const MarkerCase &c : markerCases) {
        for (int i = 0; i < 3; i++) scene.mobileLight[i] = c.light[i];
        drawScene();
        Colour got = pixelAt(markerCentre());
        EXPECT_GT(colourDistance(got, clearColour), 20.0)
            << "light (" << c.light[0] << ", " << c.light[1] << ", " << c.light[2] << "): " << describe(got);
        WindowPoint beside = markerCentre();
        beside.x += 25.0;
        EXPECT_LT(colourDistance(pixelAt(beside), clearColour), 20.0)
            << "light (" << c.light[0] << ", " << c.light[1] << "): something beside the marker";
    }
}

// Counts, in a square around the sheet's centre, the pixels that show the
// background through the sheet.
int backgroundPixelsAroundSheetCentre() {
    WindowPoint centre = sheetCentre();
    const int half = 20;
    int count = 0;
    for (int dy = -half; dy <= half; dy++)
        for (int dx = -half; dx <= half; dx++)
            if (colourDistance(pixelAt(int(centre.x) + dx, int(centre.y) + dy), clearColour) < pixelTolerance) count++;
    return count;
}

TEST_F(Frame, WireframeDrawsTheSheetAsLinesWithGaps) {
    drawScene();
    EXPECT_EQ(backgroundPixelsAroundSheetCentre(), 0) << "filled sheet has holes";
    scene.wireframeOn = 1;
    drawScene();
    int gaps = backgroundPixelsAroundSheetCentre();
    const int squareArea = 41 * 41;
    EXPECT_GT(gaps, squareArea / 5) << "no gaps between the grid lines";
    EXPECT_LT(gaps, squareArea * 9 / 10) << "no grid lines";
}

struct BlendCase {
    float alpha;
};
const BlendCase blendCases[] = {{0.0f}, {0.25f}, {0.5f}, {0.8f}, {1.0f}};

TEST_F(Frame, BlendingMixesTheSheetWithTheBackgroundBySurfaceAlpha) {
    drawScene();
    Colour opaque = pixelAt(sheetCentre());
    ASSERT_GT(colourDistance(opaque, clearColour), 20.0) << "the sheet is not at its centre";
    scene.blendOn = 1;
    for (const BlendCase &c : blendCases) {
        scene.surfaceAlpha = c.alpha;
        drawScene();
        Colour got = pixelAt(sheetCentre());
        double a = c.alpha;
        Colour want = {a * opaque.r + (1 - a) * clearColour.r, a * opaque.g + (1 - a) * clearColour.g,
                       a * opaque.b + (1 - a) * clearColour.b};
        EXPECT_LT(colourDistance(got, want), 2.5)
            << "alpha " << c.alpha << ": " << describe(got) << ", expected " << describe(want);
    }
}

// A new colour shows at the next frame, on its own face only: exactly one of
// the two colours changes what the viewer sees at the sheet's centre.
TEST_F(Frame, FrontAndBackColoursShowOnTheirOwnFaces) {
    drawScene();
    Colour grey = pixelAt(sheetCentre());
    scene.frontColor[0] = 1.0f;
    scene.frontColor[1] = scene.frontColor[2] = 0.0f;
    drawScene();
    Colour frontRed = pixelAt(sheetCentre());
    scene.frontColor[0] = scene.frontColor[1] = scene.frontColor[2] = 0.5f;
    scene.backColor[0] = 1.0f;
    scene.backColor[1] = scene.backColor[2] = 0.0f;
    drawScene();
    Colour backRed = pixelAt(sheetCentre());

    int frontChanged = colourDistance(frontRed, grey) > 10.0;
    int backChanged = colourDistance(backRed, grey) > 10.0;
    EXPECT_NE(frontChanged, backChanged) << "grey " << describe(grey) << ", front red " << describe(frontRed)
                                         << ", back red " << describe(backRed);
    const Colour &red = frontChanged ? frontRed : backRed;
    EXPECT_GT(red.r, grey.r);
    EXPECT_LT(red.g, grey.g);
}

// ---- what the frame owns ------------------------------------------------------

TEST_F(Frame, EachFrameCreatesAndDeletesOneQuadric) {
    int createdBefore = quadricsCreated, deletedBefore = quadricsDeleted;
    const int frames = 50;
    for (int i = 0; i < frames; i++) drawScene();
    EXPECT_EQ(quadricsCreated - createdBefore, frames);
    EXPECT_EQ(quadricsDeleted - deletedBefore, frames);
}

TEST_F(Frame, WithoutAQuadricOnlyTheMarkerIsMissing) {
    refuseQuadrics = 1;
    int nullBefore = nullQuadricsDeleted;
    scene.trackballState = 1;
    drawScene();
    EXPECT_EQ(nullQuadricsDeleted, nullBefore) << "a missing quadric was handed to GLU";
    Colour marker = pixelAt(markerCentre());
    EXPECT_LT(colourDistance(marker, clearColour), pixelTolerance) << "marker drawn: " << describe(marker);
    EXPECT_GT(colourDistance(pixelAt(sheetCentre()), clearColour), 20.0) << "sheet missing";
    checkBoxEdges("no quadric");
    EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, scene.rotationMatrix));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    refuseQuadrics = 0;
}

struct SurfaceIndexCase {
    int index;
};
const SurfaceIndexCase outOfTableCases[] = {{8}, {-1}, {1000}};

TEST_F(Frame, SurfaceIndexOutsideTheTableDrawsNoSheet) {
    for (const SurfaceIndexCase &c : outOfTableCases) {
        scene.surfaceIndex = c.index;
        drawScene();
        EXPECT_LT(colourDistance(pixelAt(sheetCentre()), clearColour), pixelTolerance) << "index " << c.index;
        EXPECT_TRUE(bitIdentical(scene.savedRotationMatrix, scene.rotationMatrix)) << "index " << c.index;
    }
}

}  // namespace
