// Projection, camera transform and viewport, read back from a real GL.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/camera.h"
#include "render/gl.h"
#include "render/scene_state.h"
#include "support/offscreen_gl.h"

namespace {

// A viewing volume as glFrustum and glOrtho take it.
struct Volume {
    double left, right, bottom, top, nearPlane, farPlane;
};

// Reads a 4x4 GL matrix.
void readMatrix(GLenum which, float m[16]) {
    glGetFloatv(which, m);
}

int allFinite(const float m[16]) {
    for (int i = 0; i < 16; i++)
        if (!std::isfinite(m[i])) return 0;
    return 1;
}

// The volume a glFrustum matrix was built from; also checks the entries that
// every frustum matrix has at zero or -1.
Volume frustumVolume(const float p[16]) {
    const int zeros[] = {1, 2, 3, 4, 6, 7, 12, 13, 15};
    for (int i : zeros) EXPECT_EQ(p[i], 0.0f) << "frustum element " << i;
    EXPECT_EQ(p[11], -1.0f);
    double n = p[14] / (p[10] - 1.0);
    double f = p[14] / (p[10] + 1.0);
    double width = 2.0 * n / p[0], height = 2.0 * n / p[5];
    double xSum = p[8] * width, ySum = p[9] * height;
    return {(xSum - width) / 2, (xSum + width) / 2, (ySum - height) / 2, (ySum + height) / 2, n, f};
}

// The volume a glOrtho matrix was built from.
Volume orthoVolume(const float p[16]) {
    const int zeros[] = {1, 2, 3, 4, 6, 7, 8, 9, 11};
    for (int i : zeros) EXPECT_EQ(p[i], 0.0f) << "ortho element " << i;
    EXPECT_EQ(p[15], 1.0f);
    double width = 2.0 / p[0], height = 2.0 / p[5], depth = -2.0 / p[10];
    double xSum = -p[12] * width, ySum = -p[13] * height, zSum = -p[14] * depth;
    return {(xSum - width) / 2,  (xSum + width) / 2, (ySum - height) / 2,
            (ySum + height) / 2, (zSum - depth) / 2, (zSum + depth) / 2};
}

void expectVolume(const Volume &got, const Volume &want, const char *name) {
    const double tolerance = 1e-5;
    EXPECT_NEAR(got.left, want.left, tolerance) << name << ": left";
    EXPECT_NEAR(got.right, want.right, tolerance) << name << ": right";
    EXPECT_NEAR(got.bottom, want.bottom, tolerance) << name << ": bottom";
    EXPECT_NEAR(got.top, want.top, tolerance) << name << ": top";
    EXPECT_NEAR(got.nearPlane, want.nearPlane, tolerance) << name << ": near";
    EXPECT_NEAR(got.farPlane, want.farPlane, 1e-4 * want.farPlane) << name << ": far";
}

// Empties GL's error flags.
void clearGlErrors() {
    while (glGetError() != GL_NO_ERROR) {}
}

class Camera : public ::testing::Test {
  protected:
    OffscreenGl gl{64, 64};
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        scene = SceneState{};
        clearGlErrors();
    }
};

// ---- projection volumes, both modes, several client shapes ------------------

struct ProjectionCase {
    const char *name;
    int perspective;
    int width, height;
    float distance;
    Volume volume;
};

const ProjectionCase projectionCases[] = {
    {"square, perspective", 1, 500, 500, 6.0f, {-1, 1, -1, 1, 2, 10}},
    {"start window 919x896, perspective", 1, 919, 896, 6.0f, {-919.0 / 896, 919.0 / 896, -1, 1, 2, 10}},
    {"wide, perspective keeps its height", 1, 960, 480, 6.0f, {-2, 2, -1, 1, 2, 10}},
    {"tall, perspective keeps its height", 1, 300, 600, 6.0f, {-0.5, 0.5, -1, 1, 2, 10}},
    {"closer camera, far plane follows", 1, 500, 500, 2.8f, {-1, 1, -1, 1, 2, 6.8}},
    {"farther camera, far plane follows", 1, 500, 500, 9.2f, {-1, 1, -1, 1, 2, 13.2}},
    {"square, orthographic", 0, 500, 500, 6.0f, {-3, 3, -3, 3, 0, 10}},
    {"wide, orthographic", 0, 960, 480, 6.0f, {-6, 6, -3, 3, 0, 10}},
    {"tall, orthographic", 0, 300, 600, 6.0f, {-1.5, 1.5, -3, 3, 0, 10}},
    {"orthographic ignores the distance", 0, 500, 500, 2.8f, {-3, 3, -3, 3, 0, 10}},
};

TEST_F(Camera, ProjectionVolumeFollowsModeShapeAndDistance) {
    for (const ProjectionCase &c : projectionCases) {
        scene.perspectiveOn = c.perspective;
        scene.windowWidth = c.width;
        scene.windowHeight = c.height;
        scene.cameraDistance = c.distance;
        setProjection();

        float p[16];
        readMatrix(GL_PROJECTION_MATRIX, p);
        Volume got = c.perspective ? frustumVolume(p) : orthoVolume(p);
        expectVolume(got, c.volume, c.name);
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW) << c.name;
        EXPECT_EQ(glGetError(), GL_NO_ERROR) << c.name;
    }
}

TEST_F(Camera, SetProjectionLeavesTheModelviewMatrixAlone) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(33.0f, 0.2f, 1.0f, 0.0f);
    float before[16], after[16];
    readMatrix(GL_MODELVIEW_MATRIX, before);
    scene.windowWidth = 300;
    scene.windowHeight = 200;
    for (int perspective : {1, 0}) {
        scene.perspectiveOn = perspective;
        setProjection();
        readMatrix(GL_MODELVIEW_MATRIX, after);
        for (int i = 0; i < 16; i++) EXPECT_EQ(after[i], before[i]) << "element " << i;
    }
}

// ---- the camera transform ----------------------------------------------------

struct CameraCase {
    const char *name;
    int perspective;
    float distance;
    float z;  // the camera translation along z
};

const CameraCase cameraCases[] = {
    {"perspective at the start distance", 1, 6.0f, -6.7f},
    {"perspective one step closer", 1, 5.6f, -6.3f},
    {"perspective far out", 1, 12.0f, -12.7f},
    {"orthographic at the start distance", 0, 6.0f, -5.0f},
    {"orthographic ignores the distance", 0, 2.8f, -5.0f},
};

TEST_F(Camera, ResetModelViewPlacesTheCameraOnTheLineOfSight) {
    scene.windowWidth = 400;
    scene.windowHeight = 300;
    for (const CameraCase &c : cameraCases) {
        scene.perspectiveOn = c.perspective;
        scene.cameraDistance = c.distance;
        glMatrixMode(GL_PROJECTION);  // resetModelView must come back to the modelview
        glLoadIdentity();
        glRotatef(10.0f, 1.0f, 0.0f, 0.0f);
        resetModelView();

        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW) << c.name;
        float m[16];
        readMatrix(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 14; i++) {
            float identity = (i % 5 == 0) ? 1.0f : 0.0f;
            EXPECT_EQ(m[i], identity) << c.name << ": element " << i;
        }
        EXPECT_FLOAT_EQ(m[14], c.z) << c.name;
        EXPECT_EQ(m[15], 1.0f) << c.name;
        // The projection was rebuilt as well.
        float p[16];
        readMatrix(GL_PROJECTION_MATRIX, p);
        EXPECT_EQ(p[1], 0.0f) << c.name << ": the old projection is still there";
    }
}

// ---- the viewport ------------------------------------------------------------

struct ViewportCase {
    int width, height;
};

const ViewportCase viewportCases[] = {{960, 940}, {1, 1}, {1600, 200}, {200, 1600}, {0, 0}};

TEST_F(Camera, ResizeViewportCoversTheClientAreaAndKeepsTheCamera) {
    scene.cameraDistance = 4.4f;
    resetModelView();
    float camera[16];
    readMatrix(GL_MODELVIEW_MATRIX, camera);
    for (const ViewportCase &c : viewportCases) {
        scene.windowWidth = c.width;
        scene.windowHeight = c.height;
        resizeViewport();

        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0], 0);
        EXPECT_EQ(viewport[1], 0);
        EXPECT_EQ(viewport[2], c.width) << c.width << "x" << c.height;
        EXPECT_EQ(viewport[3], c.height) << c.width << "x" << c.height;
        float m[16];
        readMatrix(GL_MODELVIEW_MATRIX, m);
        for (int i = 0; i < 16; i++) EXPECT_EQ(m[i], camera[i]) << "camera element " << i;
        EXPECT_EQ(glGetError(), GL_NO_ERROR) << c.width << "x" << c.height;
    }
}

// ---- the camera buttons: the distance in steps of 0.4 --------------------------

const float cameraStep = 0.4f;

// Walks the camera in from the start distance, one button press at a time,
// far past the point where the far plane would reach the near plane: every
// projection stays a proper frustum, the far plane follows the distance while
// it can, and the camera keeps following the distance.
TEST_F(Camera, DistanceStepsKeepAProperFrustum) {
    scene.windowWidth = 960;
    scene.windowHeight = 940;
    for (int press = 0; press <= 30; press++) {
        resetModelView();
        float p[16], m[16];
        readMatrix(GL_PROJECTION_MATRIX, p);
        readMatrix(GL_MODELVIEW_MATRIX, m);
        float d = scene.cameraDistance;
        ASSERT_TRUE(allFinite(p)) << "distance " << d;
        ASSERT_EQ(glGetError(), GL_NO_ERROR) << "distance " << d;
        Volume v = frustumVolume(p);
        EXPECT_NEAR(v.nearPlane, 2.0, 1e-5) << "distance " << d;
        EXPECT_GT(v.farPlane, v.nearPlane + 0.1) << "distance " << d;
        EXPECT_NEAR(v.top, 1.0, 1e-5) << "distance " << d;
        if (d + 4.0f > 2.2f) {
            EXPECT_NEAR(v.farPlane, d + 4.0, 1e-4 * (d + 4.0)) << "distance " << d;
        }
        EXPECT_FLOAT_EQ(m[14], -(d + 0.7f)) << "distance " << d;
        scene.cameraDistance -= cameraStep;
    }
    EXPECT_LT(scene.cameraDistance, -5.0f);
}

// Distances at and past the point where the far distance (distance + 4) no
// longer lies beyond the near distance 2.
struct CloseCase {
    float distance;
};
const CloseCase closeCases[] = {{-2.0f}, {-2.4f}, {-4.0f}, {-6.0f}, {-100.0f}};
// The near plane, 2, and one press of the camera button beyond it.
const double closestFarPlane = 2.4;

TEST_F(Camera, TooCloseACameraStillGetsAFrustumBehindTheNearPlane) {
    scene.windowWidth = 500;
    scene.windowHeight = 500;
    for (const CloseCase &c : closeCases) {
        scene.cameraDistance = c.distance;
        resetModelView();
        float p[16], m[16];
        readMatrix(GL_PROJECTION_MATRIX, p);
        readMatrix(GL_MODELVIEW_MATRIX, m);
        EXPECT_EQ(glGetError(), GL_NO_ERROR) << "distance " << c.distance;
        ASSERT_TRUE(allFinite(p)) << "distance " << c.distance;
        Volume v = frustumVolume(p);
        expectVolume(v, {-1, 1, -1, 1, 2, closestFarPlane},
                     ("too close, distance " + std::to_string(c.distance)).c_str());
        // The distance itself still moves the camera.
        EXPECT_FLOAT_EQ(m[14], -(c.distance + 0.7f)) << "distance " << c.distance;
    }
}

// ---- an empty client area (a minimised window) ---------------------------------

struct EmptyAreaCase {
    int perspective;
    int width, height;
};
const EmptyAreaCase emptyAreaCases[] = {
    {1, 960, 0}, {1, 0, 940}, {1, 0, 0}, {0, 960, 0}, {0, 0, 940}, {0, 0, 0},
};

TEST_F(Camera, EmptyClientAreaGivesAFiniteProjectionWithItsHeight) {
    for (const EmptyAreaCase &c : emptyAreaCases) {
        scene.perspectiveOn = c.perspective;
        scene.windowWidth = c.width;
        scene.windowHeight = c.height;
        resizeViewport();
        resetModelView();

        float p[16];
        readMatrix(GL_PROJECTION_MATRIX, p);
        const char *name = c.perspective ? "perspective" : "orthographic";
        ASSERT_TRUE(allFinite(p)) << name << " " << c.width << "x" << c.height;
        EXPECT_EQ(glGetError(), GL_NO_ERROR) << name << " " << c.width << "x" << c.height;
        Volume v = c.perspective ? frustumVolume(p) : orthoVolume(p);
        double halfHeight = c.perspective ? 1.0 : 3.0;
        EXPECT_NEAR(v.top, halfHeight, 1e-5) << name << " " << c.width << "x" << c.height;
        EXPECT_NEAR(v.bottom, -halfHeight, 1e-5) << name << " " << c.width << "x" << c.height;
        EXPECT_GT(v.right, 0.0) << name << " " << c.width << "x" << c.height;
        EXPECT_NEAR(v.left, -v.right, 1e-5) << name << " " << c.width << "x" << c.height;
    }
}

}  // namespace
