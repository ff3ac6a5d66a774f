// Lights, fog and materials.
//
// Seven directional lights (w = 0) shine on the sheet from fixed directions
// relative to the viewer; only lights 0 to 3 are ever switched on. Light 0
// follows the mobile light the right button drags; the other six sit in
// lightPos. Two-sided lighting lets the back of the sheet take its own
// material, and a linear fog thickens from the eye out to 25 units.
#include "render/lighting.h"

#include "render/camera.h"
#include "render/gl.h"
#include "render/scene_state.h"

const float lightPos[lightCount - 1][4] = {
    {0.0f, -14.0f, -10.0f, 0.0f},  // light 1
    {15.0f, 6.0f, 12.0f, 0.0f},    // light 2
    {-8.0f, 8.0f, -10.0f, 0.0f},   // light 3
    {22.0f, 52.0f, -85.0f, 0.0f},  // light 4
    {5.0f, -5.0f, 5.0f, 0.0f},     // light 5
    {10.0f, 50.0f, -70.0f, 0.0f},  // light 6
};

// The colours of one light.
struct LightColours {
    float ambient[4];
    float diffuse[4];
    float specular[4];
};

static const LightColours lightColours[lightCount] = {
    {{0.1f, 0.051f, 0.1f, 1.0f}, {0.2f, 0.25f, 0.2f, 1.0f}, {0.2f, 0.2f, 0.2f, 1.0f}},
    {{0.135f, 0.135f, 0.165f, 1.0f}, {0.25f, 0.25f, 0.5f, 1.0f}, {0.25f, 0.25f, 0.65f, 1.0f}},
    {{0.165f, 0.175f, 0.145f, 1.0f}, {0.6f, 0.3f, 0.3f, 1.0f}, {0.65f, 0.85f, 0.85f, 1.0f}},
    {{0.165f, 0.165f, 0.135f, 1.0f}, {0.7f, 0.47f, 0.05f, 1.0f}, {0.65f, 0.65f, 0.85f, 1.0f}},
    {{0.155f, 0.155f, 0.155f, 1.0f}, {0.4f, 0.23f, 0.13f, 1.0f}, {0.35f, 0.75f, 0.35f, 1.0f}},
    {{0.25f, 0.15f, 0.15f, 1.0f}, {0.3f, 0.5f, 0.3f, 1.0f}, {0.35f, 0.5f, 0.08f, 1.0f}},
    {{0.134f, 0.134f, 0.134f, 1.0f}, {0.4f, 0.1f, 0.15f, 1.0f}, {0.4f, 0.34f, 0.5f, 1.0f}},
};

static const float globalAmbient[4] = {0.55f, 0.5f, 0.45f, 1.0f};

// Linear fog from the eye (none) to 25 units (full). The density does nothing
// in linear mode but is set all the same.
const float fogStart = 0.0f;
const float fogEnd = 25.0f;
const float fogDensity = 0.45000002f;
static const float fogColour[4] = {0.35f, 0.35f, 0.15f, 1.0f};

// The lights are placed under this camera translation at start-up; being
// directional they do not feel it.
const float lightingCameraDistance = 5.0f;

// The surface's materials; the front and back ambients have red and green
// swapped. The diffuse colours come from the colours dialog.
static const float frontAmbient[4] = {0.41f, 0.31f, 0.2f, 1.0f};
static const float frontSpecular[4] = {0.35f, 0.5f, 0.35f, 1.0f};
static const float backAmbient[4] = {0.31f, 0.41f, 0.2f, 1.0f};
static const float backSpecular[4] = {0.5f, 0.3f, 0.3f, 1.0f};
const float surfaceShininess = 96.0f;

// The light marker's material, front faces only; its diffuse alpha is what
// blending sees.
static const float markerAmbient[4] = {0.61f, 0.61f, 0.51f, 1.0f};
static const float markerDiffuse[4] = {0.9f, 0.9f, 1.0f, 0.6f};
static const float markerSpecular[4] = {0.74f, 0.74f, 0.74f, 1.0f};
const float markerShininess = 40.0f;

// Fog parameters, set once; whether fog is on is decided per frame.
static void setFogParameters(void) {
    glFogf(GL_FOG_START, fogStart);
    glFogf(GL_FOG_END, fogEnd);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_DENSITY, fogDensity);
    glFogfv(GL_FOG_COLOR, fogColour);
}

// Global ambient light and two-sided lighting.
static void setLightModel(void) {
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
}

// Position of light n (0 to 6), w = 0: light 0 is the mobile light.
static void lightPosition(int n, float position[4]) {
    if (n == 0) {
        position[0] = scene.mobileLight[0];
        position[1] = scene.mobileLight[1];
        position[2] = scene.mobileLight[2];
        position[3] = 0.0f;
        return;
    }
    for (int i = 0; i < 4; i++) position[i] = lightPos[n - 1][i];
}

// Position and colours of light n; lights 0 to 3 are switched on.
static void setUpLight(int n) {
    GLenum light = GL_LIGHT0 + n;
    float position[4];
    lightPosition(n, position);
    glLightfv(light, GL_POSITION, position);
    glLightfv(light, GL_AMBIENT, lightColours[n].ambient);
    glLightfv(light, GL_DIFFUSE, lightColours[n].diffuse);
    glLightfv(light, GL_SPECULAR, lightColours[n].specular);
    if (n < enabledLightCount) glEnable(light);
}

// Fog, projection, light model and all seven lights, once at window creation.
void initLighting(void) {
    setFogParameters();
    setProjection();
    glEnable(GL_LIGHTING);
    glTranslatef(0.0f, 0.0f, -lightingCameraDistance);
    applySurfaceMaterial();
    setLightModel();
    for (int n = 0; n < lightCount; n++) setUpLight(n);
}

// Front and back materials of the sheet, with the diffuse colours and alpha
// read from the colours dialog's current values.
void applySurfaceMaterial(void) {
    float frontDiffuse[4] = {scene.frontColor[0], scene.frontColor[1], scene.frontColor[2], scene.surfaceAlpha};
    float backDiffuse[4] = {scene.backColor[0], scene.backColor[1], scene.backColor[2], scene.surfaceAlpha};
    glMaterialfv(GL_FRONT, GL_AMBIENT, frontAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, frontDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, frontSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, surfaceShininess);
    glMaterialfv(GL_BACK, GL_AMBIENT, backAmbient);
    glMaterialfv(GL_BACK, GL_DIFFUSE, backDiffuse);
    glMaterialfv(GL_BACK, GL_SPECULAR, backSpecular);
    glMaterialf(GL_BACK, GL_SHININESS, surfaceShininess);
}

// The light marker's front material; the back keeps the sheet's.
void applyMarkerMaterial(void) {
    glMaterialfv(GL_FRONT, GL_AMBIENT, markerAmbient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, markerDiffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, markerSpecular);
    glMaterialf(GL_FRONT, GL_SHININESS, markerShininess);
}
