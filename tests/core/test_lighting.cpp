// Lights, light model, fog and materials, read back from a real GL.
#include <gtest/gtest.h>

#include <string>

#include "render/camera.h"
#include "render/frame.h"
#include "render/gl.h"
#include "render/lighting.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"

namespace {

struct Rgba {
    float v[4];
};

// Compares four floats read back from GL with the expected ones, exactly:
// GL keeps these values as they were given.
void expectFour(const float got[4], const Rgba &want, const std::string &what) {
    for (int i = 0; i < 4; i++) EXPECT_EQ(got[i], want.v[i]) << what << " [" << i << "]";
}

class Lighting : public ::testing::Test {
  protected:
    OffscreenGl gl{64, 64};
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        scene = SceneState{};
        scene.windowWidth = 64;
        scene.windowHeight = 64;
    }
};

// ---- the seven lights -------------------------------------------------------

struct LightCase {
    GLenum light;
    Rgba position, ambient, diffuse, specular;
    int enabled;
};

// Light positions read back are in eye coordinates; at start-up the lights are
// placed under a bare translation, which leaves directions (w = 0) as given.
const LightCase lightCases[] = {
    {GL_LIGHT0, {{-2, 2, -1, 0}}, {{0.1f, 0.051f, 0.1f, 1}}, {{0.2f, 0.25f, 0.2f, 1}}, {{0.2f, 0.2f, 0.2f, 1}}, 1},
    {GL_LIGHT1,
     {{0, -14, -10, 0}},
     {{0.135f, 0.135f, 0.165f, 1}},
     {{0.25f, 0.25f, 0.5f, 1}},
     {{0.25f, 0.25f, 0.65f, 1}},
     1},
    {GL_LIGHT2,
     {{15, 6, 12, 0}},
     {{0.165f, 0.175f, 0.145f, 1}},
     {{0.6f, 0.3f, 0.3f, 1}},
     {{0.65f, 0.85f, 0.85f, 1}},
     1},
    {GL_LIGHT3,
     {{-8, 8, -10, 0}},
     {{0.165f, 0.165f, 0.135f, 1}},
     {{0.7f, 0.47f, 0.05f, 1}},
     {{0.65f, 0.65f, 0.85f, 1}},
     1},
    {GL_LIGHT4,
     {{22, 52, -85, 0}},
     {{0.155f, 0.155f, 0.155f, 1}},
     {{0.4f, 0.23f, 0.13f, 1}},
     {{0.35f, 0.75f, 0.35f, 1}},
     0},
    {GL_LIGHT5, {{5, -5, 5, 0}}, {{0.25f, 0.15f, 0.15f, 1}}, {{0.3f, 0.5f, 0.3f, 1}}, {{0.35f, 0.5f, 0.08f, 1}}, 0},
    {GL_LIGHT6,
     {{10, 50, -70, 0}},
     {{0.134f, 0.134f, 0.134f, 1}},
     {{0.4f, 0.1f, 0.15f, 1}},
     {{0.4f, 0.34f, 0.5f, 1}},
     0},
};

TEST_F(Lighting, InitLightingSetsUpSevenLightsAndSwitchesOnTheFirstFour) {
    initLighting();
    for (const LightCase &c : lightCases) {
        std::string name = "light " + std::to_string(c.light - GL_LIGHT0);
        float v[4];
        glGetLightfv(c.light, GL_POSITION, v);
        expectFour(v, c.position, name + " position");
        glGetLightfv(c.light, GL_AMBIENT, v);
        expectFour(v, c.ambient, name + " ambient");
        glGetLightfv(c.light, GL_DIFFUSE, v);
        expectFour(v, c.diffuse, name + " diffuse");
        glGetLightfv(c.light, GL_SPECULAR, v);
        expectFour(v, c.specular, name + " specular");
        EXPECT_EQ(glIsEnabled(c.light), c.enabled ? GL_TRUE : GL_FALSE) << name;
    }
    EXPECT_EQ(glIsEnabled(GL_LIGHTING), GL_TRUE);
}

TEST_F(Lighting, LightZeroStartsWhereTheMobileLightIs) {
    scene.mobileLight[0] = 1.5f;
    scene.mobileLight[1] = -0.25f;
    scene.mobileLight[2] = 3.0f;
    initLighting();
    float v[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, v);
    expectFour(v, {{1.5f, -0.25f, 3.0f, 0.0f}}, "light 0 position");
}

TEST_F(Lighting, InitLightingSetsTheLightModelAndFogButLeavesFogOff) {
    initLighting();
    float v[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v);
    expectFour(v, {{0.55f, 0.5f, 0.45f, 1.0f}}, "global ambient");
    GLint twoSided = 0;
    glGetIntegerv(GL_LIGHT_MODEL_TWO_SIDE, &twoSided);
    EXPECT_EQ(twoSided, GL_TRUE);

    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_LINEAR);
    float f = -1.0f;
    glGetFloatv(GL_FOG_START, &f);
    EXPECT_EQ(f, 0.0f);
    glGetFloatv(GL_FOG_END, &f);
    EXPECT_EQ(f, 25.0f);
    glGetFloatv(GL_FOG_DENSITY, &f);
    EXPECT_EQ(f, 0.45000002f);
    glGetFloatv(GL_FOG_COLOR, v);
    expectFour(v, {{0.35f, 0.35f, 0.15f, 1.0f}}, "fog colour");
    EXPECT_EQ(glIsEnabled(GL_FOG), GL_FALSE);
}

// initLighting builds the projection and leaves a translation by -5 on the
// modelview matrix it found, in modelview mode.
TEST_F(Lighting, InitLightingLeavesTheProjectionAndAShiftedModelview) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    initLighting();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    float m[16], p[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; i++) {
        float want = (i == 14) ? -5.0f : (i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(m[i], want) << "modelview element " << i;
    }
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_EQ(p[11], -1.0f) << "no perspective projection";
    EXPECT_FLOAT_EQ(p[0], 2.0f) << "frustum of a square client area, near 2";
}

// ---- materials ---------------------------------------------------------------

struct MaterialCase {
    const char *name;
    GLenum face;
    Rgba ambient, diffuse, specular;
    float shininess;
};

// The start colours: grey 0.5 with alpha 0.5 on both faces.
const MaterialCase surfaceMaterialCases[] = {
    {"front", GL_FRONT, {{0.41f, 0.31f, 0.2f, 1}}, {{0.5f, 0.5f, 0.5f, 0.5f}}, {{0.35f, 0.5f, 0.35f, 1}}, 96},
    {"back", GL_BACK, {{0.31f, 0.41f, 0.2f, 1}}, {{0.5f, 0.5f, 0.5f, 0.5f}}, {{0.5f, 0.3f, 0.3f, 1}}, 96},
};

void expectMaterial(const MaterialCase &c) {
    float v[4];
    glGetMaterialfv(c.face, GL_AMBIENT, v);
    expectFour(v, c.ambient, std::string(c.name) + " ambient");
    glGetMaterialfv(c.face, GL_DIFFUSE, v);
    expectFour(v, c.diffuse, std::string(c.name) + " diffuse");
    glGetMaterialfv(c.face, GL_SPECULAR, v);
    expectFour(v, c.specular, std::string(c.name) + " specular");
    glGetMaterialfv(c.face, GL_SHININESS, v);
    EXPECT_EQ(v[0], c.shininess) << c.name << " shininess";
}

TEST_F(Lighting, InitLightingPutsTheSurfaceMaterialOnBothFaces) {
    initLighting();
    for (const MaterialCase &c : surfaceMaterialCases) expectMaterial(c);
}

TEST_F(Lighting, MarkerMaterialReplacesOnlyTheFront) {
    initLighting();
    applyMarkerMaterial();
    expectMaterial({"marker front",
                    GL_FRONT,
                    {{0.61f, 0.61f, 0.51f, 1}},
                    {{0.9f, 0.9f, 1.0f, 0.6f}},
                    {{0.74f, 0.74f, 0.74f, 1}},
                    40});
    expectMaterial(surfaceMaterialCases[1]);
    // And the surface material puts the front back.
    applySurfaceMaterial();
    expectMaterial(surfaceMaterialCases[0]);
}

// The colours dialog's values, as the next frame finds them.
struct ColourCase {
    const char *name;
    float front[3], back[3], alpha;
};

const ColourCase colourCases[] = {
    {"start colours", {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, 0.5f},
    {"red front, blue back", {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, 0.5f},
    {"opaque", {0.2f, 0.7f, 0.9f}, {0.9f, 0.1f, 0.3f}, 1.0f},
    {"invisible", {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0.0f},
    {"dialog steps", {128 / 255.0f, 3 / 255.0f, 250 / 255.0f}, {17 / 255.0f, 0.0f, 1.0f}, 77 / 255.0f},
};

TEST_F(Lighting, DiffuseColoursFollowTheColoursDialogAtTheNextFrame) {
    initLighting();
    resetModelView();
    for (const ColourCase &c : colourCases) {
        for (int i = 0; i < 3; i++) {
            scene.frontColor[i] = c.front[i];
            scene.backColor[i] = c.back[i];
        }
        scene.surfaceAlpha = c.alpha;
        drawScene();

        float v[4];
        glGetMaterialfv(GL_FRONT, GL_DIFFUSE, v);
        expectFour(v, {{c.front[0], c.front[1], c.front[2], c.alpha}}, std::string(c.name) + ": front diffuse");
        glGetMaterialfv(GL_BACK, GL_DIFFUSE, v);
        expectFour(v, {{c.back[0], c.back[1], c.back[2], c.alpha}}, std::string(c.name) + ": back diffuse");
        // The rest of the surface material is back in place after the marker.
        glGetMaterialfv(GL_FRONT, GL_AMBIENT, v);
        expectFour(v, surfaceMaterialCases[0].ambient, std::string(c.name) + ": front ambient");
        glGetMaterialfv(GL_FRONT, GL_SHININESS, v);
        EXPECT_EQ(v[0], 96.0f) << c.name;
    }
}

}  // namespace
