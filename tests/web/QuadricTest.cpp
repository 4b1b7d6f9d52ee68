// The browser build's GLU quadrics (web/gl/Quadric.cpp) against the system's
// GLU: both draw into the recording GL calls below (this executable exports
// them, so the GLU library, opened with dlopen, calls them too), and every
// call with every float argument must be the same, bit for bit.
#include <GL/gl.h>
#include <GL/glu.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<std::string> recorded;  // "kind mode x y z", the floats exact

void add(char kind, GLenum mode, float x = 0, float y = 0, float z = 0) {
    char call[128];
    std::snprintf(call, sizeof call, "%c %u %a %a %a", kind, mode, double(x), double(y), double(z));
    recorded.push_back(call);
}

}  // namespace

extern "C" {
void glBegin(GLenum mode) { add('B', mode); }
void glEnd() { add('E', 0); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { add('V', 0, x, y, z); }
void glTexCoord2f(GLfloat s, GLfloat t) { add('T', 0, s, t); }
void glNormal3f(GLfloat x, GLfloat y, GLfloat z) { add('N', 0, x, y, z); }
void glMultMatrixd(const GLdouble*) {}  // gluPerspective's; not drawn here
}

namespace {

// Every shape the show draws: the turntable's textured rim and a plain tube;
// a textured ring with a hole; the dance floor's wipe, a disc at sweeps
// 360 - 120 w for w from before the wipe (past a full turn) to its end (none).
struct Shape {
    bool cylinder, textured;
    double r0, r1, height, start, sweep;  // radii: a cylinder's base and top, a disc's inner and outer
    int slices, rings;
};

TEST(WebQuadric, EveryShapeIsDrawnAsTheSystemsGluDrawsIt) {
    std::vector<Shape> shapes = {{true, true, 1.09f, 1.0, 0.1f, 0, 0, 64, 64},
                                 {true, true, 0.5, 1.0, 0.1f, 0, 0, 64, 64},
                                 {false, true, 0.5, 2.0, 0, 30.0, -200.0, 24, 3}};
    for (const float w : {-1.0f, 0.0f, 0.01f, 0.5f, 1.37f, 2.0f, 2.999f, 3.0f})
        shapes.push_back({false, false, 0.0, 2.0, 0, 0.0, 360.0f - w * 120.0f, 32, 32});
    void* glu = dlopen("libGLU.so.1", RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(glu) << dlerror();
    // GLU's own functions, of the same types as ours.
#define GLU_FUNCTION(name) const auto name##Glu = reinterpret_cast<decltype(&name)>(dlsym(glu, #name))
    GLU_FUNCTION(gluNewQuadric);
    GLU_FUNCTION(gluDeleteQuadric);
    GLU_FUNCTION(gluQuadricTexture);
    GLU_FUNCTION(gluCylinder);
    GLU_FUNCTION(gluPartialDisk);
#undef GLU_FUNCTION
    ASSERT_TRUE(gluNewQuadricGlu && gluDeleteQuadricGlu && gluQuadricTextureGlu && gluCylinderGlu && gluPartialDiskGlu);
    for (const Shape& s : shapes) {
        GLUquadric* theirs = gluNewQuadricGlu();
        GLUquadric* ours = gluNewQuadric();
        gluQuadricTextureGlu(theirs, s.textured), gluQuadricTexture(ours, s.textured);
        std::vector<std::string> calls[2];
        for (int which = 0; which < 2; ++which) {
            recorded.clear();
            if (s.cylinder) {
                which ? gluCylinder(ours, s.r0, s.r1, s.height, s.slices, s.rings)
                      : gluCylinderGlu(theirs, s.r0, s.r1, s.height, s.slices, s.rings);
            } else {
                which ? gluPartialDisk(ours, s.r0, s.r1, s.slices, s.rings, s.start, s.sweep)
                      : gluPartialDiskGlu(theirs, s.r0, s.r1, s.slices, s.rings, s.start, s.sweep);
            }
            calls[which].swap(recorded);
        }
        gluDeleteQuadric(ours), gluDeleteQuadricGlu(theirs);
        SCOPED_TRACE((s.cylinder ? "cylinder " : "disc ") + std::to_string(s.r0) + " sweep " + std::to_string(s.sweep));
        ASSERT_GT(calls[0].size(), 0u);
        EXPECT_EQ(calls[0], calls[1]);
    }
}

}  // namespace
