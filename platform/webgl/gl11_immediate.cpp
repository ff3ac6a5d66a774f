// gl11_immediate.cpp: glBegin/glEnd. The vertices of a primitive are gathered
// with the normal and colour current at each glVertex, and glEnd cuts them
// into what ES 2.0 draws: triangles, and lines turned into triangles.
//
//  - Polygons (GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN, GL_QUADS,
//    GL_QUAD_STRIP) are filled as triangles, a quad a b c d as a b c and a c d
//    (the split that matches Mesa's smooth shading across a quad).
//    When the polygon mode of either side is not GL_FILL, each polygon's side
//    is found here (its signed area in window coordinates, counter-clockwise
//    in front) and, for GL_LINE, its edges are drawn as lines that carry that
//    side, so the rasteriser's own facing of the line's triangles does not
//    choose the material. GL_POINT draws nothing.
//  - Lines (GL_LINES, GL_LINE_STRIP, GL_LINE_LOOP, and polygon edges) are
//    parallelograms of the line width rounded to whole pixels, as GL 1.1
//    defines non-antialiased wide lines: widened across the minor axis, along
//    y for a line that runs more across than up. ES 2.0 and WebGL draw no
//    lines wider than 1.
//  - Flat shading: every vertex of a primitive takes the normal and colour of
//    its provoking vertex, GL 1.1's last vertex of the triangle, quad or line
//    segment, so lighting gives one colour per primitive.
// Left out: GL_POINTS, GL_POLYGON, edge flags, texture coordinates.
#include <cmath>

#include "webgl/gl11_internal.h"

// A polygon of 3 or 4 gathered vertices, in order, and its provoking vertex.
struct Polygon {
    int index[4];
    int count;
    int provoking;
};

void glBegin(GLenum mode) {
    if (gl11.logging) gl11LogCall("glBegin", {{"mode", gl11LogPrimitive(mode)}});
    if (gl11.primitive != gl11NoPrimitive || mode > GL_POLYGON) return;  // GL_INVALID_OPERATION / _ENUM
    gl11.primitive = mode;
    gl11.gathered.clear();
}

// Gathers a vertex with the current normal and colour.
static void addVertex(GLfloat x, GLfloat y, GLfloat z) {
    if (gl11.primitive == gl11NoPrimitive) return;
    Gl11Vertex v = {{x, y, z, 1.0f},
                    {gl11.normal[0], gl11.normal[1], gl11.normal[2]},
                    {gl11.colour[0], gl11.colour[1], gl11.colour[2], gl11.colour[3]},
                    0.0f,
                    {0.0f, 0.0f}};
    gl11.gathered.push_back(v);
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (gl11.logging) gl11LogCall("glVertex3f", {{"x", x}, {"y", y}, {"z", z}});
    addVertex(x, y, z);
}

void glVertex3fv(const GLfloat *v) {
    if (gl11.logging) gl11LogCall("glVertex3fv", {{"v", gl11LogFloats(v, 3)}});
    addVertex(v[0], v[1], v[2]);
}

// Clip coordinates of a vertex: projection times modelview times position.
static void toClip(const Gl11Vertex &v, float clip[4]) {
    const float *mv = gl11.modelview.back().m, *p = gl11.projection.back().m;
    float eye[4];
    for (int i = 0; i < 4; i++) {
        eye[i] =
            mv[i] * v.position[0] + mv[4 + i] * v.position[1] + mv[8 + i] * v.position[2] + mv[12 + i] * v.position[3];
    }
    for (int i = 0; i < 4; i++) clip[i] = p[i] * eye[0] + p[4 + i] * eye[1] + p[8 + i] * eye[2] + p[12 + i] * eye[3];
}

// A copy of v for drawing, with the provoking vertex's normal and colour
// under flat shading.
static Gl11Vertex shaded(const Gl11Vertex &v, const Gl11Vertex &provoking) {
    if (gl11.shadeModel != GL_FLAT) return v;
    Gl11Vertex out = v;
    for (int i = 0; i < 3; i++) out.normal[i] = provoking.normal[i];
    for (int i = 0; i < 4; i++) out.colour[i] = provoking.colour[i];
    return out;
}

// The parallelogram of the segment a to b, two triangles, appended to out.
// A segment with an end at or behind the eye is left out.
static void addLine(const Gl11Vertex &a, const Gl11Vertex &b, const Gl11Vertex &provoking, float facing,
                    std::vector<Gl11Vertex> &out) {
    float ca[4], cb[4];
    toClip(a, ca);
    toClip(b, cb);
    if (!(ca[3] > 0.0f && cb[3] > 0.0f)) return;
    float halfWidth = (float)gl11.viewport[2] * 0.5f, halfHeight = (float)gl11.viewport[3] * 0.5f;
    if (halfWidth <= 0.0f || halfHeight <= 0.0f) return;
    float dx = (cb[0] / cb[3] - ca[0] / ca[3]) * halfWidth;
    float dy = (cb[1] / cb[3] - ca[1] / ca[3]) * halfHeight;
    // A non-antialiased line is a whole number of pixels wide, the width
    // rounded to the nearest (2.5 gives 3), and at least 1.
    float width = std::fmax(1.0f, std::floor(gl11.lineWidth + 0.5f));
    float offset[2] = {0.0f, 0.0f};
    if (std::fabs(dx) >= std::fabs(dy)) {
        offset[1] = width * 0.5f / halfHeight;
    } else {
        offset[0] = width * 0.5f / halfWidth;
    }
    Gl11Vertex corner[4] = {shaded(a, provoking), shaded(a, provoking), shaded(b, provoking), shaded(b, provoking)};
    const float side[4] = {-1.0f, 1.0f, 1.0f, -1.0f};
    for (int i = 0; i < 4; i++) {
        corner[i].facing = facing;
        corner[i].offset[0] = side[i] * offset[0];
        corner[i].offset[1] = side[i] * offset[1];
    }
    const int order[6] = {0, 1, 2, 0, 2, 3};
    for (int i : order) out.push_back(corner[i]);
}

// +1 when the polygon is counter-clockwise in window coordinates (its front),
// -1 when clockwise, 0 when it cannot be told (an end at or behind the eye).
static float polygonSide(const Polygon &poly) {
    float x[4], y[4];
    for (int i = 0; i < poly.count; i++) {
        float c[4];
        toClip(gl11.gathered[poly.index[i]], c);
        if (!(c[3] > 0.0f)) return 0.0f;
        x[i] = c[0] / c[3] * (float)gl11.viewport[2];
        y[i] = c[1] / c[3] * (float)gl11.viewport[3];
    }
    float area = 0.0f;
    for (int i = 0; i < poly.count; i++) {
        int j = (i + 1) % poly.count;
        area += x[i] * y[j] - x[j] * y[i];
    }
    return area > 0.0f ? 1.0f : area < 0.0f ? -1.0f : 0.0f;
}

// Fills the polygon, or draws its edges, as its side's polygon mode says.
static void addPolygon(const Polygon &poly, std::vector<Gl11Vertex> &out) {
    const std::vector<Gl11Vertex> &v = gl11.gathered;
    const Gl11Vertex &provoking = v[poly.provoking];
    GLenum mode = gl11.polygonModeFront;
    float facing = 0.0f;
    if (gl11.polygonModeFront != GL_FILL || gl11.polygonModeBack != GL_FILL) {
        facing = polygonSide(poly);
        if (facing == 0.0f) return;
        mode = facing > 0.0f ? gl11.polygonModeFront : gl11.polygonModeBack;
    }
    if (mode == GL_LINE) {
        for (int i = 0; i < poly.count; i++) {
            addLine(v[poly.index[i]], v[poly.index[(i + 1) % poly.count]], provoking, facing, out);
        }
    } else if (mode == GL_FILL) {
        static const int quadTriangles[6] = {0, 1, 2, 0, 2, 3};
        static const int triangle[3] = {0, 1, 2};
        const int *order = poly.count == 4 ? quadTriangles : triangle;
        const int corners = poly.count == 4 ? 6 : 3;
        for (int i = 0; i < corners; i++) {
            out.push_back(shaded(v[poly.index[order[i]]], provoking));
        }
    }
}

// The primitive's polygons, in GL's order and with GL's provoking vertices.
static std::vector<Polygon> polygonsOf(GLenum mode, int n) {
    std::vector<Polygon> polys;
    if (mode == GL_TRIANGLES) {
        for (int i = 0; i + 2 < n; i += 3) polys.push_back({{i, i + 1, i + 2, 0}, 3, i + 2});
    } else if (mode == GL_TRIANGLE_STRIP) {
        for (int i = 0; i + 2 < n; i++) {
            if (i % 2 == 0) {
                polys.push_back({{i, i + 1, i + 2, 0}, 3, i + 2});
            } else {
                polys.push_back({{i + 1, i, i + 2, 0}, 3, i + 2});
            }
        }
    } else if (mode == GL_TRIANGLE_FAN) {
        for (int i = 1; i + 1 < n; i++) polys.push_back({{0, i, i + 1, 0}, 3, i + 1});
    } else if (mode == GL_QUADS) {
        for (int i = 0; i + 3 < n; i += 4) polys.push_back({{i, i + 1, i + 2, i + 3}, 4, i + 3});
    } else if (mode == GL_QUAD_STRIP) {
        for (int i = 0; i + 3 < n; i += 2) polys.push_back({{i, i + 1, i + 3, i + 2}, 4, i + 3});
    }
    return polys;
}

// The segments of a line primitive, as pairs of indices, the second of each
// pair its provoking vertex.
static std::vector<int> segmentsOf(GLenum mode, int n) {
    std::vector<int> ends;
    if (mode == GL_LINES) {
        for (int i = 0; i + 1 < n; i += 2) ends.insert(ends.end(), {i, i + 1});
    } else if (mode == GL_LINE_STRIP || mode == GL_LINE_LOOP) {
        for (int i = 0; i + 1 < n; i++) ends.insert(ends.end(), {i, i + 1});
        if (mode == GL_LINE_LOOP && n > 1) ends.insert(ends.end(), {n - 1, 0});
    }
    return ends;
}

void glEnd(void) {
    if (gl11.logging) gl11LogCall("glEnd", {});
    GLenum mode = gl11.primitive;
    if (mode == gl11NoPrimitive) return;
    gl11.primitive = gl11NoPrimitive;
    const int n = (int)gl11.gathered.size();
    std::vector<Gl11Vertex> triangles;
    if (mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP) {
        std::vector<int> ends = segmentsOf(mode, n);
        for (size_t i = 0; i < ends.size(); i += 2) {
            const Gl11Vertex &b = gl11.gathered[ends[i + 1]];
            addLine(gl11.gathered[ends[i]], b, b, 1.0f, triangles);
        }
    } else {
        for (const Polygon &poly : polygonsOf(mode, n)) addPolygon(poly, triangles);
    }
    if (!triangles.empty()) gl11Draw(triangles);
    gl11.gathered.clear();
}
