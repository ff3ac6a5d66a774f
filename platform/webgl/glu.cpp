// glu.cpp: the GLU calls the frame makes, on the GL 1.1 subset: a quadric
// with GLU's defaults (filled, smooth normals pointing outwards, no texture
// coordinates) and gluSphere. Other draw styles, orientations, texturing and
// the other quadric shapes are left out; gluQuadric* setters are not defined.
//
// The sphere is GLU's own tessellation, vertex for vertex and bit for bit for
// two stacks or more (checked against the system's libGLU, its calls recorded,
// at sizes from 2 x 2 to 32 x 16 and the frame's 10 x 10): a sphere
// about the z axis, polar angle phi_j = pi j / stacks from +z, azimuth
// theta_i = 2 pi i / slices with the last one 0 again, both rounded to float.
// The sines and cosines are taken in double of those floats and rounded to
// float, the vertex ones after multiplying by the radius. A point is
// (sin theta sin phi, cos theta sin phi, cos phi) times the radius, its normal
// the same without it. The top cap is a triangle fan about (0, 0, r) going
// round by decreasing theta, the bottom cap one about (0, 0, -r) by
// increasing theta, and between them a quad strip per stack, from stack 1
// down to stacks - 1, each pair the lower point first.
#include <GL/glu.h>

#include <cmath>
#include <new>
#include <vector>

#include "webgl/gl11_internal.h"

struct GLUquadric {
    int unused;
};

GLUquadric *gluNewQuadric(void) {
    return new (std::nothrow) GLUquadric{0};
}

void gluDeleteQuadric(GLUquadric *quadric) {
    delete quadric;
}

// One point of the sphere: its normal, then its vertex.
struct SpherePoints {
    std::vector<float> sinTheta, cosTheta;  // per slice
    std::vector<float> sinPhi, cosPhi;      // per stack, for normals
    std::vector<float> rSinPhi, rCosPhi;    // per stack, times the radius

    void send(int i, int j) const {
        glNormal3f(sinTheta[i] * sinPhi[j], cosTheta[i] * sinPhi[j], cosPhi[j]);
        glVertex3f(sinTheta[i] * rSinPhi[j], cosTheta[i] * rSinPhi[j], rCosPhi[j]);
    }
};

void gluSphere(GLUquadric *quadric, GLdouble radius, GLint slices, GLint stacks) {
    // GLU's limits: fewer than 2 slices or 1 stack, or a negative radius, is
    // GLU_INVALID_VALUE and draws nothing.
    if (!quadric || slices < 2 || stacks < 1 || radius < 0.0) return;
    SpherePoints p;
    for (int i = 0; i <= slices; i++) {
        float theta = i == slices ? 0.0f : (float)(2.0 * M_PI * i / slices);
        p.sinTheta.push_back((float)std::sin((double)theta));
        p.cosTheta.push_back((float)std::cos((double)theta));
    }
    for (int j = 0; j <= stacks; j++) {
        float phi = (float)(M_PI * j / stacks);
        p.sinPhi.push_back((float)std::sin((double)phi));
        p.cosPhi.push_back((float)std::cos((double)phi));
        p.rSinPhi.push_back((float)(radius * std::sin((double)phi)));
        p.rCosPhi.push_back((float)(radius * std::cos((double)phi)));
    }
    // The top cap.
    glNormal3f(p.sinTheta[0] * p.sinPhi[0], p.cosTheta[0] * p.sinPhi[0], p.cosPhi[0]);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0.0f, 0.0f, (float)radius);
    for (int i = slices; i >= 0; i--) p.send(i, 1);
    glEnd();
    // The bottom cap. Its centre's normal is GLU's: the pole's, worked out
    // with the azimuth of slice number stacks, or with a sine and cosine of 0
    // when there are fewer slices than that (a difference of 1e-7 at most).
    float sinTheta = stacks <= slices ? p.sinTheta[stacks] : 0.0f;
    float cosTheta = stacks <= slices ? p.cosTheta[stacks] : 0.0f;
    glNormal3f(sinTheta * p.sinPhi[stacks], cosTheta * p.sinPhi[stacks], p.cosPhi[stacks]);
    glBegin(GL_TRIANGLE_FAN);
    glVertex3f(0.0f, 0.0f, (float)-radius);
    for (int i = 0; i <= slices; i++) p.send(i, stacks - 1);
    glEnd();
    // The bands between.
    for (int j = 1; j < stacks - 1; j++) {
        glBegin(GL_QUAD_STRIP);
        for (int i = 0; i <= slices; i++) {
            p.send(i, j + 1);
            p.send(i, j);
        }
        glEnd();
    }
}
